#include "tools/desk/Outcome.h"
#include "common/Money.h"
#include "db/Query.h"
#include "tools/desk/PatientPage.h"

namespace desk {

QString receiptOutcome(db::Connection& c, const QString& what, qint64 id, bool confirmed)
{
    if (!confirmed || id <= 0) return QStringLiteral("%1没有保存").arg(what);
    const auto row = loadReceipt(c, id);
    if (!row) return QStringLiteral("%1 %2 已删除").arg(what).arg(id);
    return QStringLiteral("%1 %2 已保存，合计 %3").arg(what).arg(id).arg(money::format2(row->total));
}

QString settleOutcome(db::Connection& c, qint64 id)
{
    const auto row = loadReceipt(c, id);
    if (!row || !row->paid) return QStringLiteral("收据 %1 没有结帐").arg(id);
    db::Query q(c, QStringLiteral("SELECT 收款金额 FROM 病历收费单 WHERE ReceiptID = ? ORDER BY 病历收费编号 DESC"), {id});
    q.exec();
    if (!q.next()) return QStringLiteral("收据 %1 已结帐").arg(id);
    return QStringLiteral("收据 %1 已结帐，实收 %2").arg(id).arg(money::format2(q.number(0)));
}

QString walkInOutcome(db::Connection& c, qint64 id, bool confirmed)
{
    if (!confirmed || id <= 0) return QStringLiteral("无病案收费单没有保存");
    db::Query q(c, QStringLiteral("SELECT 合计 FROM 无病历收费单 WHERE ID = ?"), {id});
    q.exec();
    if (!q.next()) return QStringLiteral("无病案收费单 %1 不存在").arg(id);
    return QStringLiteral("无病案收费单 %1 已保存，合计 %2").arg(id).arg(money::format2(q.number(0)));
}

} // namespace desk
