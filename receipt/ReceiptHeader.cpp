#include "receipt/ReceiptHeader.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "receipt/ClinicText.h"

namespace receipt {

void LoadReceiptDate(db::Connection& c, QDateTime& date)
{
    const QDateTime now = QDateTime::currentDateTime();
    date = now.addMSecs(-now.time().msec());
    date = db::GetServerTime(c);
}

namespace {

void fillColumn(db::Connection& c, const QString& sql, QStringList& list)
{
    list.clear();
    db::Query q(c, sql);
    q.exec();
    while (q.next()) list << q.text(0);
}

} // namespace

void FillDoctorList(db::Connection& c, QStringList& list)
{
    fillColumn(c, QStringLiteral("SELECT 医生姓名 FROM 主治医生表"), list);
}

void FillNurseList(db::Connection& c, QStringList& list) { fillColumn(c, QStringLiteral("SELECT 护士 FROM 护士表"), list); }

void SelectDoctor(db::Connection& c, int index, const QString& entryText, DoctorFields& fields)
{
    if (index < 0) return;
    fields.name = entryText;
    fields.number.clear();
    db::Query q(c, QStringLiteral("SELECT 医生编号,科室 FROM 主治医生表 WHERE ") + clinictext::equals(QStringLiteral("医生姓名")),
                {fields.name});
    q.exec();
    if (!q.next()) return;
    fields.number = q.text(QStringLiteral("医生编号"));
    fields.department = q.text(QStringLiteral("科室"));
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
