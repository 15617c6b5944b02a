#pragma once
#include "app/Dialog.h"
#include "rx/PrescriptionForm.h"
#include <memory>

class QComboBox;
class QTreeWidgetItem;
namespace Ui {
class PrescriptionDialog;
}

// Dialog 3042 "填写处方": a doctor or cashier writes one patient's prescription from the
// common-medicine catalogue. The widgets carry the fields; PrescriptionForm decides and saves.
class PrescriptionDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit PrescriptionDialog(const rx::PrescriptionForm::Inputs& inputs, QWidget* parent = nullptr);
    ~PrescriptionDialog() override;

    // The fee document handed back to the host.
    qint32 documentId() const { return form_ ? form_->documentId() : inputs_.documentId; }

protected:
    void initDialog() override;

private:
    void takeHeader();
    void takeEntry();
    void showHeader();
    void showEntry();
    void showLines();
    static void refill(QComboBox* combo, const QStringList& items, const QString& text);

    void medicinePicked(QTreeWidgetItem* item);
    void medicineDoubleClicked(QTreeWidgetItem* item);
    void categoryChosen(int index);
    void nameChosen(int index);
    void specChosen(int index);
    void doctorChosen(int index);
    void quantityStepped(int steps);
    void quantityTyped();
    void rowClicked();
    void add();
    void modify();
    void remove();
    void save();

    std::unique_ptr<Ui::PrescriptionDialog> ui_;
    rx::PrescriptionForm::Inputs inputs_;
    std::unique_ptr<rx::PrescriptionForm> form_;
    bool showing_ = false; // fields are being shown: their change signals are ours
};
