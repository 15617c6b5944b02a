#include "settle/Voucher.h"
#include "common/Password.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/TextMatch.h"

using namespace Qt::StringLiterals;

namespace settle
{

VoucherRecord LoadVoucher(db::Connection& c, const QString& number)
{
    VoucherRecord v;
    db::Query q(c, u"SELECT * FROM PreferManagement_table WHERE "_s + db::sameText(u"Card_Cover_Code"_s)
                       + u" ORDER BY ID"_s,
                {number});
    q.exec();
    if (!q.next()) return v;
    v.found = true;
    v.id = q.integer(u"ID"_s);
    v.number = q.text(u"Card_Cover_Code"_s);
    v.kind = int(q.integer(u"Card_Kind_Type"_s));
    v.hasBalance = !q.isNull(u"Card_Left_Fee"_s);
    v.left = q.number(u"Card_Left_Fee"_s);
    v.hasExpiry = int(q.integer(u"Card_Is_HaveExpire"_s));
    v.expiry = q.dateTime(u"Card_Expire_Date"_s);
    v.needsPassword = int(q.integer(u"Card_Is_PWD"_s));
    v.password = q.text(u"Card_PWD"_s);
    v.state = int(q.integer(u"Card_Is_Takenback"_s));
    return v;
}

std::optional<QString> VerifyVoucher(const VoucherRecord& v, const QDate& today,
                                     const std::function<std::optional<QString>()>& askPassword,
                                     double icBalance)
{
    if (!v.found || v.state == 0 || v.state == 3) return kVoucherNotIssued;
    if (v.hasExpiry == 1 && (!v.expiry.isValid() || v.expiry < QDateTime(today, QTime(0, 0))))
        return kVoucherExpired;
    // Before the password: there is no point asking for it when the voucher cannot pay.
    if (!v.hasBalance) return kVoucherNoBalance;
    if (money::toFen(v.left) <= 0) return kVoucherEmpty;
    if (v.needsPassword == 1) {
        const std::optional<QString> typed = askPassword ? askPassword() : std::nullopt;
        if (!typed) return kNoPassword;
        // Vouchers issued at our desk keep only a slow hash of their password; those a host
        // wrote keep it as typed, compared byte for byte as it always was.
        const bool right = password::isHash(v.password) ? password::matches(v.password, *typed)
                                                        : typed->toUtf8() == v.password.toUtf8();
        if (!right) return kWrongPassword;
    }
    // Compared in fen: the card carries "%f" of the stored balance, never its last bits.
    if (v.kind == 1 && money::toFen(icBalance) != money::toFen(v.left)) return kCardDisagrees;
    return std::nullopt;
}

QString icCardContent(const QString& number, double balance)
{
    return u"A1CA"_s + number + u"A2CAA2MA"_s + money::formatFixed(balance, 6) + u"A3MA"_s;
}

std::optional<QString> ParseICCard(const QString& content, ICCardData& data)
{
    const qsizetype start = content.indexOf(u"A1CA"_s);
    if (start < 0) return u"卡内容1-%1不正确，请重新读正确的卡"_s.arg(content);
    const qsizetype numberStart = start + 4;
    const qsizetype numberEnd = content.indexOf(u"A2CA"_s, numberStart);
    const QString number = content.mid(numberStart, numberEnd < 0 ? -1 : numberEnd - numberStart);
    const qsizetype balanceTag = content.indexOf(u"A2CAA2MA"_s);
    if (balanceTag < 0) {
        data.number = number; // the number is taken before the balance is looked for
        return u"卡内容2-%1不正确，请重新读正确的卡"_s.arg(content);
    }
    const qsizetype balanceStart = balanceTag + 8;
    const qsizetype balanceEnd = content.indexOf(u"A3MA"_s, balanceStart);
    const QString balance = content.mid(balanceStart, balanceEnd < 0 ? -1 : balanceEnd - balanceStart);
    data.number = number;
    // The number's longest leading decimal, as the card text was always read ("200." is 200).
    double value = 0.0;
    QString digits;
    bool point = false;
    for (const QChar ch : balance.trimmed()) {
        if (ch == u'.' && !point) point = true;
        else if (!ch.isDigit() && !((ch == u'-' || ch == u'+') && digits.isEmpty())) break;
        digits += ch;
    }
    if (digits.endsWith(u'.')) digits.chop(1);
    bool ok = false;
    value = digits.toDouble(&ok);
    data.balance = ok ? value : 0.0;
    return std::nullopt;
}

} // namespace settle
