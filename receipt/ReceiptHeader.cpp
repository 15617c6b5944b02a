#include "receipt/ReceiptHeader.h"
#include "db/ClinicLookups.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "db/RecordOps.h"

namespace receipt {

void LoadReceiptDate(db::Connection& c, QDateTime& date)
{
    const QDateTime now = QDateTime::currentDateTime();
    date = now.addMSecs(-now.time().msec());
    date = db::GetServerTime(c);
}

void FillDoctorList(db::Connection& c, QStringList& list)
{
    list.clear();
    // Row order, as the clinic keeps its doctors. The table has no key of its own, and a plain
    // scan may be answered from the index on the name (sorted), so ask for storage order.
    const QString sql = c.isSQLite() ? QStringLiteral("SELECT 医生姓名 FROM 主治医生表 ORDER BY rowid")
                                     : QStringLiteral("SELECT 医生姓名 FROM 主治医生表 ORDER BY ctid");
    db::Query q(c, sql);
    q.exec();
    while (q.next()) list << q.text(0);
}

void FillNurseList(db::Connection& c, QStringList& list) { list = db::InitCombox(c, QStringLiteral("护士表"), QStringLiteral("护士")); }

void SelectDoctor(db::Connection& c, int index, const QString& entryText, DoctorFields& fields)
{
    if (index < 0) return;
    fields.name = entryText;
    fields.number.clear();
    db::GetDoctorInfo(c, fields.name, fields.department, fields.number);
}

bool RefundSwitchVisible(db::Connection& c)
{
    qint64 show = 0;
    db::Query q(c, QStringLiteral("SELECT FeeIOShowYesNo FROM Management_table"));
    q.exec();
    while (q.next())
        if (!q.isNull(QStringLiteral("FeeIOShowYesNo"))) show = q.integer(QStringLiteral("FeeIOShowYesNo"));
    return show != 0;
}

} // namespace receipt
