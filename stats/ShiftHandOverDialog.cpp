#include "stats/ShiftHandOverDialog.h"
#include "print/PrintRun.h"
#include "stats/ResultExport.h"
#include "ui_ShiftHandOverDialog.h"

using namespace Qt::StringLiterals;

ShiftHandOverDialog::ShiftHandOverDialog(Inputs inputs, QWidget* parent)
    : app::Dialog(3060, u"交班"_s, parent), ui_(std::make_unique<Ui::ShiftHandOverDialog>()), inputs_(std::move(inputs))
{
    ui_->setupUi(this);
    ui_->scopeCombo->addItems({u"本收款员：%1"_s.arg(inputs_.cashier), u"全天"_s});
    ui_->dateEdit->setDate(inputs_.day.isValid() ? inputs_.day : QDate::currentDate());
    ui_->resultList->setTabStop(0, 2);
    ui_->resultList->setTabStop(1, 200);
    connect(ui_->statButton, &QPushButton::clicked, this, &ShiftHandOverDialog::statistics);
    connect(ui_->previewButton, &QPushButton::clicked, this, &ShiftHandOverDialog::preview);
    connect(ui_->printButton, &QPushButton::clicked, this, &ShiftHandOverDialog::print);
    connect(ui_->csvButton, &QPushButton::clicked, this, &ShiftHandOverDialog::saveCsv);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

ShiftHandOverDialog::~ShiftHandOverDialog() = default;

void ShiftHandOverDialog::initDialog()
{
    page_.clinic = inputs_.clinic;
    if (connectionPtr()) statistics();
}

void ShiftHandOverDialog::statistics()
{
    const QDate day = ui_->dateEdit->date();
    const QString cashier = ui_->scopeCombo->currentIndex() == 0 ? inputs_.cashier : QString();
    stats::HandOver h;
    if (!guarded([&] { h = stats::shiftHandOver(connection(), day, cashier); })) {
        inform(u"发生错误!"_s);
        return;
    }
    page_.handOver = h;
    ui_->resultList->setLines(stats::handOverLines(h));
}

void ShiftHandOverDialog::preview() { print::previewPage(stats::drawHandOver, this, &page_); }

void ShiftHandOverDialog::print() { print::printPage(stats::drawHandOver, this, &page_); }

void ShiftHandOverDialog::saveCsv()
{
    const stats::HandOver& h = page_.handOver;
    stats::saveCsv(this, stats::handOverLines(h),
                   u"交班-%1-%2"_s.arg(h.cashier.isEmpty() ? u"全天"_s : h.cashier, h.day.toString(u"yyyyMMdd"_s)));
}
