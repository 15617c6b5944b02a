#include "stats/StatisticalReportDialog.h"
#include "print/PrintRun.h"
#include "stats/ResultExport.h"
#include "ui_StatisticalReportDialog.h"

using namespace Qt::StringLiterals;

StatisticalReportDialog::StatisticalReportDialog(const stats::StatisticalReportForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3009, u"统计报表(注：专用功能，请谨慎使用!)"_s, parent),
      ui_(std::make_unique<Ui::StatisticalReportDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    captions_ = {ui_->caption1, ui_->caption2, ui_->caption3, ui_->caption4,
                 ui_->caption5, ui_->caption6, ui_->caption7};
    const int width = ui_->caption1->minimumWidth();
    ui_->resultList->setTabStop(0, 2);
    for (int k = 1; k < 7; ++k) ui_->resultList->setTabStop(k, width * k);
    connect(ui_->statButton, &QPushButton::clicked, this, &StatisticalReportDialog::statistics);
    connect(ui_->previewButton, &QPushButton::clicked, this, &StatisticalReportDialog::preview);
    connect(ui_->printButton, &QPushButton::clicked, this, &StatisticalReportDialog::print);
    connect(ui_->csvButton, &QPushButton::clicked, this, &StatisticalReportDialog::saveCsv);
    connect(ui_->pdfButton, &QPushButton::clicked, this, &StatisticalReportDialog::savePdf);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

StatisticalReportDialog::~StatisticalReportDialog() = default;

void StatisticalReportDialog::initDialog()
{
    form_ = std::make_unique<stats::StatisticalReportForm>(connectionPtr(), inputs_);
    if (connectionPtr()) form_->open();
    ui_->firstEdit->setDate(form_->first);
    ui_->lastEdit->setDate(form_->last);
    // The captions carry the category labels over the columns of the department and doctor lists.
    const QStringList labels = stats::reportLabels(form_->labels);
    captions_[0]->setText(u"项目"_s);
    for (int i = 0; i < labels.size(); ++i) captions_[i + 1]->setText(labels[i]);
    showLines();
}

void StatisticalReportDialog::takeFields()
{
    form_->first = ui_->firstEdit->date();
    form_->last = ui_->lastEdit->date();
    form_->mode = ui_->departmentRadio->isChecked() ? stats::ReportMode::Department
        : ui_->doctorRadio->isChecked()             ? stats::ReportMode::Doctor
                                                    : stats::ReportMode::Account;
}

void StatisticalReportDialog::showLines() { ui_->resultList->setLines(form_->lines); }

void StatisticalReportDialog::statistics()
{
    if (!form_) return;
    takeFields();
    bool finished = true;
    if (!guarded([&] {
            finished = stats::withProgress(this, form_->isLong(),
                                           [&](const stats::Progress& progress) { form_->statistics(progress); });
        })) {
        inform(u"发生错误!"_s);
        return;
    }
    if (finished) showLines();
}

void StatisticalReportDialog::preview()
{
    printed_ = form_->page(QDateTime::currentDateTime());
    print::previewPage(stats::drawReportPage, this, &printed_);
}

void StatisticalReportDialog::print()
{
    printed_ = form_->page(QDateTime::currentDateTime());
    print::printPage(stats::drawReportPage, this, &printed_);
}

QString StatisticalReportDialog::fileName() const
{
    const stats::ReportPage page = form_->page({});
    return u"统计报表-%1-%2"_s.arg(page.first.toString(u"yyyyMMdd"_s), page.last.toString(u"yyyyMMdd"_s));
}

void StatisticalReportDialog::saveCsv() { stats::saveCsv(this, form_->lines, fileName()); }

void StatisticalReportDialog::savePdf()
{
    printed_ = form_->page(QDateTime::currentDateTime());
    stats::savePdf(this, stats::drawReportPage, &printed_, fileName());
}
