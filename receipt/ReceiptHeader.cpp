#include "receipt/ReceiptHeader.h"
#include "common/Gbk.h"
#include "db/ClinicLookups.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include <algorithm>

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
    db::Query q(c, QStringLiteral("SELECT 医生姓名 FROM 主治医生表"));
    q.exec();
    while (q.next()) list << q.text(0);
    // The table has no order of its own (and an index on the name reorders a plain scan):
    // show the names as the clinic's server ordered text, so every backend lists them alike.
    std::stable_sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return gbk::compare(db::textKey(a), db::textKey(b)) < 0;
    });
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
