#pragma once
#include "app/Dialog.h"
#include "stats/ShiftHandOver.h"
#include <memory>

namespace Ui {
class ShiftHandOverDialog;
}

// "交班": the hand-over of the signed-in cashier, or of the whole desk, for a day; shown as a
// list, printed through the preview, saved as CSV. It opens on today's figures of the cashier.
class ShiftHandOverDialog : public app::Dialog {
    Q_OBJECT
public:
    struct Inputs {
        QString cashier;
        QString clinic;
        QDate day;
    };
    explicit ShiftHandOverDialog(Inputs inputs, QWidget* parent = nullptr);
    ~ShiftHandOverDialog() override;

    const stats::HandOver& handOver() const { return page_.handOver; }

protected:
    void initDialog() override;

private:
    void statistics();
    void preview();
    void print();
    void saveCsv();

    std::unique_ptr<Ui::ShiftHandOverDialog> ui_;
    Inputs inputs_;
    stats::HandOverPage page_; // what the print run draws; lives as long as the dialog
};
