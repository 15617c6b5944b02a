#include "prepay/VipGrade.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include "db/TextMatch.h"
#include "db/TolerantRead.h"
#include "prepay/Failure.h"
#include <cmath>
#include <exception>

namespace prepay {

namespace {

struct Band {
    qint64 id = 0; // 0: the total lies in no band
    QString cardType;
};

qint32 accountOfMember(db::Connection& c, const QString& memberCode, QString* failure)
{
    qint32 account = 0;
    db::tolerantRead(
        c,
        [&] {
            const QVariant id = db::SelectFieldValue(
                c, QStringLiteral("SELECT ID FROM PrePay_Table WHERE ") + db::sameText(QStringLiteral("VIP_CODE"))
                       + QStringLiteral(" ORDER BY ID"),
                {memberCode}, QStringLiteral("ID"));
            account = static_cast<qint32>(db::toInteger(id));
        },
        [&](const std::exception& e) { noteFailure(failure, e); });
    return account;
}

Band bandOf(db::Connection& c, double total)
{
    // The band table was always searched with the total printed "%f", so a total that is a
    // hair off a bound counts as on it.
    const double at = money::roundTo(total, 6);
    db::Query q(c,
                QStringLiteral("SELECT ID, VIP_card_type FROM Grade_shengji_Calculate_table"
                               " WHERE VIP_min_value <? AND VIP_max_value >? ORDER BY ID"),
                {at, at});
    q.exec();
    Band b;
    if (q.next()) {
        b.id = q.integer(QStringLiteral("ID"));
        b.cardType = q.text(QStringLiteral("VIP_card_type"));
    }
    return b;
}

// Every write of one booking; throws on any failure, the caller's unit then undoes it all.
void book(db::Connection& c, const QString& memberCode, const QString& patientName, double points, qint16 autoFlag,
          const QString& operatorName, const QDateTime& date, qint32 account, const QString& note, qint32 receiptId)
{
    db::AddRecord(c, QStringLiteral("Grade_Record_table"),
                  {{QStringLiteral("VIP_CODE"), memberCode},
                   {QStringLiteral("Ptn_Name"), patientName},
                   {QStringLiteral("Grade_value"), points},
                   {QStringLiteral("Grade_auto"), int(autoFlag)},
                   {QStringLiteral("Grade_man"), operatorName},
                   {QStringLiteral("Grade_date"), date},
                   {QStringLiteral("VIP_ID"), account},
                   {QStringLiteral("note"), note},
                   {QStringLiteral("ReceiptID"), receiptId}});

    // Read under a row lock on PostgreSQL: two workstations booking points for one member at
    // once would otherwise both add to the same old total and one booking would be lost.
    // (SQLite's transaction already holds the write lock from its start.)
    db::Query old(c, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?")
                         + (c.isSQLite() ? QString() : QStringLiteral(" FOR UPDATE")),
                  {account});
    old.exec();
    if (!old.next()) throw db::Error(QStringLiteral("会员帐户不存在"));
    const double oldTotal = old.number(QStringLiteral("VIP_grade_value"));
    const double newTotal = oldTotal + points;
    if (!money::isStorable(newTotal))
        throw db::Error(QStringLiteral("会员积分超出允许范围（%1 + %2）").arg(oldTotal).arg(points));

    const db::Where ofAccount{QStringLiteral("ID=?"), {account}};
    const Band from = bandOf(c, oldTotal);
    const Band to = bandOf(c, newTotal);
    // A total in no band (exactly on a bound, or past every band) says nothing about the grade:
    // the member keeps the card earned, and with it the rank discount of every linked patient.
    if (from.id == to.id || to.id == 0) {
        if (db::ModefyRecord(c, QStringLiteral("PrePay_Table"), {{QStringLiteral("VIP_grade_value"), newTotal}},
                             ofAccount) != 1)
            throw db::Error(QStringLiteral("会员积分没有修改"));
        return;
    }

    if (db::ModefyRecord(c, QStringLiteral("PrePay_Table"),
                         {{QStringLiteral("VIP_grade_value"), newTotal},
                          {QStringLiteral("VIP_card_type"), to.cardType}},
                         ofAccount) != 1)
        throw db::Error(QStringLiteral("会员积分没有修改"));
    db::AddRecord(c, QStringLiteral("Grade_shengji_table"),
                  {{QStringLiteral("VIP_CODE"), memberCode},
                   {QStringLiteral("VIP_card_type"), to.cardType},
                   {QStringLiteral("VIP_grade_type"), 1},
                   {QStringLiteral("VIP_Grade_date"), date}});
    db::ModefyRecord(c, QStringLiteral("病人简历表"), {{QStringLiteral("VIP_Rank_Name"), to.cardType}},
                     {QStringLiteral("lower(rtrim(病人编号)) IN (SELECT lower(rtrim(Patient_Code))"
                                     " FROM VIP_PtnSheet_Table WHERE VIP_ID=? AND Patient_Code IS NOT NULL)"),
                      {account}});
}

} // namespace

void BookPoints(db::Connection& c, const QString& memberCode, const QString& patientName, double points,
                qint16 autoFlag, const QString& operatorName, const QDateTime& date, qint32 account,
                const QString& note, qint32 receiptId)
{
    QString failure;
    if (account <= 0) account = accountOfMember(c, memberCode, &failure);
    if (account <= 0)
        throw db::Error(failure.isEmpty() ? QStringLiteral("会员帐户不存在（%1）").arg(memberCode) : failure);
    if (!money::isStorable(points)) throw db::Error(QStringLiteral("会员积分超出允许范围（%1）").arg(points));
    db::Transaction tx(c);
    book(c, memberCode, patientName, points, autoFlag, operatorName, date, account, note, receiptId);
    tx.commit();
}

int VipGradeSet(db::Connection& c, const QString& memberCode, const QString& patientName, double points,
                qint16 autoFlag, const QString& operatorName, const QDateTime& date, qint32 account,
                const QString& note, qint32 receiptId, QString* failure)
{
    if (account <= 0) account = accountOfMember(c, memberCode, failure);
    if (account <= 0) return 0;

    bool booked = false;
    if (money::isStorable(points)) {
        try {
            db::Transaction tx(c);
            book(c, memberCode, patientName, points, autoFlag, operatorName, date, account, note, receiptId);
            tx.commit();
            booked = true;
        } catch (const std::exception& e) {
            // The unit has rolled back: nothing of the booking is kept.
            noteFailure(failure, e);
        }
    } else {
        noteFailure(failure, QStringLiteral("会员积分超出允许范围（%1）").arg(points));
    }
    // Shown after the unit has ended, so no write lock is held while the message is open.
    if (!booked) Prompter::current().inform(kPointsNotBooked);
    return 0;
}

} // namespace prepay
