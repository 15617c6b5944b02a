#include "admin/VoucherRegister.h"
#include "common/Password.h"
#include "common/Money.h"
#include "db/ICCard.h"
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"
#include "settle/Voucher.h"

namespace vouchers
{
namespace
{

constexpr int kMaxNumber = 30;
constexpr int kMaxPassword = 20;
constexpr int kPaidByVoucher = 5; // MoneyPayed_type of "消费券/卡"

Outcome refused(const QString& message)
{
    return {false, message, 0};
}

QString problem(const Issue& v, const QString& number, double& value, const QDate& today)
{
    if (number.isEmpty())
        return QStringLiteral("消费券/卡的编号不能为空。");
    if (number.size() > kMaxNumber)
        return QStringLiteral("消费券/卡的编号不能超过%1位。").arg(kMaxNumber);
    // The chip's text is cut at these marks: a number holding one could never be read back.
    for (const char* mark : {"A1CA", "A2CA", "A2MA", "A3MA"})
        if (number.contains(QLatin1String(mark), Qt::CaseSensitive))
            return QStringLiteral("消费券/卡的编号不能包含“%1”。").arg(QLatin1String(mark));
    if (v.value.trimmed().isEmpty() || !money::parseAmount(v.value, value) || money::toFen(value) <= 0 ||
        !money::isStorable(value))
        return QStringLiteral("面值应为大于0的金额。");
    if (v.password.size() > kMaxPassword)
        return QStringLiteral("密码不能超过%1位。").arg(kMaxPassword);
    if (v.expires && (!v.expiry.isValid() || v.expiry < today))
        return QStringLiteral("有效期不能早于今天。");
    return {};
}

Card readCard(const db::Query& q)
{
    return {q.integer(0),      q.text(1),         int(q.integer(2)),
            q.number(3),       q.integer(4) == 1, q.dateTime(QStringLiteral("Card_Expire_Date")),
            q.integer(6) == 1, int(q.integer(7))};
}

const QString kCardColumns = QStringLiteral(
    "SELECT "
    "ID,Card_Cover_Code,Card_Kind_Type,Card_Left_Fee,Card_Is_HaveExpire,Card_Expire_Date,Card_Is_PWD,Card_Is_Takenback "
    "FROM PreferManagement_table ");

} // namespace

QString stateName(int state)
{
    switch (state) {
    case Issued:
        return QStringLiteral("已发放");
    case Used:
        return QStringLiteral("已使用");
    case TakenBack:
        return QStringLiteral("已收回");
    default:
        return QStringLiteral("未发放");
    }
}

Outcome issue(db::Connection& c, const Issue& v, const QDate& today)
{
    const QString number = v.number.trimmed();
    double value = 0.0;
    if (const QString why = problem(v, number, value, today); !why.isEmpty())
        return refused(why);
    value = money::round2(value);
    db::Transaction tx(c);
    // Numbers are checked and written one desk at a time: the checkout finds a voucher by its
    // number, and two vouchers of one number would pay from the first only.
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE PreferManagement_table IN SHARE ROW EXCLUSIVE MODE"));
    if (db::toInteger(db::scalar(c,
                                 QStringLiteral("SELECT count(*) FROM PreferManagement_table WHERE ") +
                                     db::sameText(QStringLiteral("Card_Cover_Code")),
                                 {number})) > 0)
        return refused(QStringLiteral("编号“%1”的消费券/卡已经存在。").arg(number));
    const qint64 id =
        db::AddRecord(c, QStringLiteral("PreferManagement_table"),
                      {{QStringLiteral("Card_Cover_Code"), number},
                       {QStringLiteral("Card_Kind_Type"), v.kind == MoneyCard ? 1 : 0},
                       {QStringLiteral("Card_Left_Fee"), value},
                       {QStringLiteral("Card_Is_HaveExpire"), v.expires ? 1 : 0},
                       {QStringLiteral("Card_Expire_Date"),
                        v.expires ? QVariant(db::dateTimeText(QDateTime(v.expiry, QTime(0, 0)))) : QVariant()},
                       {QStringLiteral("Card_Is_PWD"), v.password.isEmpty() ? 0 : 1},
                       // Only its hash: a copy of the database lets nobody spend the voucher.
                       {QStringLiteral("Card_PWD"), v.password.isEmpty() ? QVariant() : QVariant(password::hash(v.password))},
                       {QStringLiteral("Card_Is_Takenback"), int(Issued)}});
    // The checkout compares the chip's balance with the table's: the chip gets the same text the
    // checkout writes after a payment.
    if (v.kind == MoneyCard && db::WriteICCard(settle::icCardContent(number, value)) != 0)
        return refused(QStringLiteral("写IC卡不成功，消费卡没有发放。请放好卡后再试。"));
    tx.commit();
    return {true, QString(), id};
}

QList<Card> list(db::Connection& c)
{
    db::Query q(c, kCardColumns + QStringLiteral("ORDER BY ID"));
    q.exec();
    QList<Card> all;
    while (q.next())
        all.append(readCard(q));
    return all;
}

std::optional<Card> find(db::Connection& c, const QString& number)
{
    db::Query q(c,
                kCardColumns + QStringLiteral("WHERE ") + db::sameText(QStringLiteral("Card_Cover_Code")) +
                    QStringLiteral(" ORDER BY ID"),
                {number.trimmed()});
    q.exec();
    if (!q.next())
        return std::nullopt;
    return readCard(q);
}

QList<Use> history(db::Connection& c, qint64 id)
{
    db::Query q(c,
                QStringLiteral("SELECT 病历收费编号,日期,ReceiptID,病历号,OtherTypePayedMoney,收款人 FROM 病历收费单 "
                               "WHERE PreferID=? AND MoneyPayed_type=? ORDER BY 日期, 病历收费编号"),
                {id, kPaidByVoucher});
    q.exec();
    QList<Use> uses;
    while (q.next())
        uses.append(
            {q.integer(0), q.dateTime(QStringLiteral("日期")), q.integer(2), q.integer(3), q.number(4), q.text(5)});
    return uses;
}

Outcome takeBack(db::Connection& c, const Card& loaded)
{
    if (loaded.state == TakenBack)
        return refused(QStringLiteral("该消费券/卡已经收回。"));
    if (loaded.state == NotIssued)
        return refused(QStringLiteral("该消费券/卡尚未发放。"));
    const int n = db::ModefyRecord(c, QStringLiteral("PreferManagement_table"),
                                   {{QStringLiteral("Card_Is_Takenback"), int(TakenBack)}},
                                   db::stillAsRead(QStringLiteral("ID"), loaded.id,
                                                   {{QStringLiteral("Card_Is_Takenback"), loaded.state},
                                                    {QStringLiteral("Card_Left_Fee"), loaded.left}}));
    if (n != 1)
        return refused(QStringLiteral("该消费券/卡已被其他收费台使用或修改，请重新查询后再试。"));
    return {true, QString(), loaded.id};
}

} // namespace vouchers
