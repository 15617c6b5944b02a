// What each of the desk's actions asks the module for, and what it says afterwards.
#include "tools/desk/DeskWindow.h"
#include "tools/desk/Outcome.h"
#include <QTabWidget>

using namespace Qt::StringLiterals;

using desk::checkoutExport;
using desk::viewerExport;
using desk::writerExport;

void DeskWindow::newReceipt(const QString& exportName, const QString& what)
{
    // A prescription may be for a walk-in: then no case goes along.
    if (!page_ && exportName != u"MedicineRescriptionSet"_s) return;
    int result = 0;
    QMap<QString, QString> out;
    if (!call(exportName, {{u"receipt_id"_s, u"0"_s}}, &result, &out)) return;
    // These three return 1 for a cancel and 0 otherwise.
    tell(desk::receiptOutcome(link_->lookups(), what, out.value(u"receipt_id"_s).toLongLong(), result == 0));
    refreshAll();
}

void DeskWindow::editReceipt()
{
    const auto r = selectedReceipt();
    if (!r || r->paid) return;
    int result = 0;
    QMap<QString, QString> out;
    if (!call(writerExport(r->kind), {{u"receipt_id"_s, QString::number(r->id)}}, &result, &out)) return;
    const QString what = r->kind == desk::ReceiptKind::Prescription ? u"处方"_s : u"收据"_s;
    tell(desk::receiptOutcome(link_->lookups(), what, out.value(u"receipt_id"_s).toLongLong(), result == 0));
    refreshAll();
}

void DeskWindow::settle(bool again)
{
    const auto r = selectedReceipt();
    if (!r || r->paid != again) return;
    int result = 0;
    if (!call(checkoutExport(r->kind),
              {{u"receipt_id"_s, QString::number(r->id)}, {u"resettle"_s, again ? u"1"_s : u"0"_s}, {u"state"_s, u"0"_s}},
              &result))
        return;
    const QString outcome = desk::settleOutcome(link_->lookups(), r->id);
    tell(outcome);
    refreshAll();
    if (result == 1) tell(outcome + u"；"_s + printDocument({print::DocumentTable::Receipt, r->id}, false));
}

void DeskWindow::viewReceipt()
{
    const auto r = selectedReceipt();
    if (!r) return;
    int result = 0;
    if (!call(viewerExport(r->kind), {{u"receipt_id"_s, QString::number(r->id)}}, &result)) return;
    tell(u"已查看收据 %1"_s.arg(r->id));
    refreshAll();
}

void DeskWindow::walkIn(const QString& exportName, qint64 sheetId)
{
    int result = 0;
    QMap<QString, QString> out;
    // A walk-in is nobody's case: the patient's page stays, but nothing of it goes along.
    if (!call(exportName,
              {{u"sheet_id"_s, QString::number(sheetId)}, {u"stored_id"_s, u"0"_s}, {u"second"_s, u"0"_s}}, &result,
              &out))
        return;
    const qint64 stored = out.value(u"stored_id"_s).toLongLong();
    const QString outcome = desk::walkInOutcome(link_->lookups(), stored, stored > 0);
    tell(outcome);
    refreshAll();
    // 是 to "是否打印？": the sheet's receipt page, as any host prints on a result of 1.
    if (result == 1 && stored > 0) tell(outcome + u"；"_s + printDocument({print::DocumentTable::WalkIn, stored}, false));
}

void DeskWindow::correctWalkIn()
{
    const auto d = selectedDayRow();
    if (!d || !d->walkIn) return;
    walkIn(d->kind == u"标准收费"_s ? u"StandartPayForNoCard"_s : u"PayForNoCard"_s, d->id);
}

void DeskWindow::runReport(const QString& exportName, const QMap<QString, QString>& values, const QString& title)
{
    int result = 0;
    QMap<QString, QString> all = values;
    all.insert(u"paying_unit"_s, clinicName_);
    all.insert(u"report_type"_s, u"0"_s);
    all.insert(u"kind"_s, u"0"_s);
    if (!call(exportName, all, &result)) return;
    tell(u"%1已关闭"_s.arg(title));
    refreshAll();
}
