#pragma once
#include "app/Dialog.h"
#include "stats/StatisticalReportForm.h"
#include <QList>
#include <memory>

class QLabel;
namespace Ui {
class StatisticalReportDialog;
}

// Dialog 3009 "统计报表(注：专用功能，请谨慎使用!)": the paid receipts and walk-in sheets of a
// range of days as the account statement, per department or per doctor; previewed, printed or
// saved as CSV or PDF. A long range shows its progress and can be stopped.
class StatisticalReportDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit StatisticalReportDialog(const stats::StatisticalReportForm::Inputs& inputs, QWidget* parent = nullptr);
    ~StatisticalReportDialog() override;

protected:
    void initDialog() override;

private:
    void takeFields();
    void showLines();
    void statistics();
    void preview();
    void print();
    void saveCsv();
    void savePdf();
    QString fileName() const;

    std::unique_ptr<Ui::StatisticalReportDialog> ui_;
    QList<QLabel*> captions_;
    stats::StatisticalReportForm::Inputs inputs_;
    std::unique_ptr<stats::StatisticalReportForm> form_;
    stats::ReportPage printed_;
};
