#pragma once
#include "db/Connection.h"
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

// Vouchers and consumption cards (PreferManagement_table), and the IC card that may carry one.
namespace settle
{

inline const QString kVoucherNotIssued = QStringLiteral("该消费券尚未发放或者已经收回，不能再使用！");
inline const QString kVoucherExpired = QStringLiteral("该消费券已经过期，不能再使用！");
inline const QString kNoPassword = QStringLiteral("不输入密码，不能使用！");
inline const QString kWrongPassword = QStringLiteral("密码不正确，请重新验证！");
inline const QString kCardDisagrees = QStringLiteral("消费卡中的信息和病历数据库中的信息不一致，不能使用！");
// Said when the voucher no longer covers what this settlement takes off it (another desk spent
// it meanwhile): nothing is settled.
inline const QString kVoucherShort = QStringLiteral("该消费券/卡的余额已不足本次付款，不能结帐，请重新选择付款方式！");
// A voucher pays only a positive amount it holds: one without a recorded balance (left empty by
// whoever issued it) or holding nothing is not accepted, rather than "paying" 0 or a negative sum.
inline const QString kVoucherNoBalance = QStringLiteral("该消费券/卡没有余额记录，不能使用！");
inline const QString kVoucherEmpty = QStringLiteral("该消费券/卡已没有可用余额，不能使用！");

struct VoucherRecord {
    bool found = false;
    qint64 id = 0;
    QString number; // Card_Cover_Code
    int kind = 0;   // Card_Kind_Type; 1 = IC card
    double left = 0.0;
    bool hasBalance = false; // Card_Left_Fee is not NULL
    int hasExpiry = 0;
    QDateTime expiry;
    int needsPassword = 0;
    QString password;
    int state = 0; // Card_Is_Takenback: 0 not issued, 2 used, 3 taken back
};

// The first voucher with that number; found false (and everything 0 or empty) when none.
VoucherRecord LoadVoucher(db::Connection& c, const QString& number);

// The checks before a voucher is accepted, in the clinic's order: issued and not taken back,
// not expired (a voucher expiring today still counts), a balance above 0, the password (askPassword returns
// nothing when the cashier cancels), and for an IC card the balance on the card. Returns the
// message of the first check that fails, nothing when the voucher may be used.
std::optional<QString> VerifyVoucher(const VoucherRecord& v, const QDate& today,
                                     const std::function<std::optional<QString>()>& askPassword,
                                     double icBalance);

// IC card content: "A1CA<number>A2CAA2MA<balance>A3MA".
inline const QString kSampleCardContent = QStringLiteral("A1CA020021A2CAA2MA200.A3MA");
QString icCardContent(const QString& number, double balance); // balance printed "%f"

struct ICCardData {
    QString number;
    double balance = 0.0;
};
// Reads content; on a malformed one returns the message to show and leaves data untouched.
std::optional<QString> ParseICCard(const QString& content, ICCardData& data);

} // namespace settle
