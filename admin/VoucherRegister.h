#pragma once
#include "admin/CashierRegister.h"
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Vouchers and money cards (PreferManagement_table) as the desk issues them: a number printed on
// the voucher (for a money card also written on its IC chip), a value, an optional password and
// expiry. The checkout's voucher step reads exactly these columns; a voucher is paid from
// there, and its use history is the payment records that name it.
namespace vouchers
{

using cashiers::Outcome;

enum Kind { Voucher = 0, MoneyCard = 1 }; // Card_Kind_Type: 1 is an IC card
// Card_Is_Takenback as the checkout reads it: 0 and 3 are refused there.
enum State { NotIssued = 0, Issued = 1, Used = 2, TakenBack = 3 };

struct Issue {
    QString number;
    int kind = Voucher;
    QString value;    // yuan
    QString password; // empty: none asked
    bool expires = false;
    QDate expiry; // still valid on this day
};

struct Card {
    qint64 id = 0;
    QString number;
    int kind = Voucher;
    double left = 0.0; // Card_Left_Fee
    bool expires = false;
    QDateTime expiry;
    bool hasPassword = false;
    int state = NotIssued;
};

struct Use {
    qint64 payment = 0; // 病历收费编号
    QDateTime date;
    qint64 receipt = 0;
    qint64 caseNumber = 0;
    double amount = 0.0;
    QString cashier;
};

QString stateName(int state);

// Outcome::id is the new voucher's ID. A money card is written to the card in the reader within
// the same transaction: no card written, no card issued. `today` is the server's date.
Outcome issue(db::Connection& c, const Issue& voucher, const QDate& today);
QList<Card> list(db::Connection& c);
std::optional<Card> find(db::Connection& c, const QString& number);
// The payments made with it, oldest first.
QList<Use> history(db::Connection& c, qint64 id);
// Takes back an issued voucher: the checkout refuses it from then on. Guarded by the state and
// balance as loaded, so a voucher paid with meanwhile is not taken back unseen.
Outcome takeBack(db::Connection& c, const Card& loaded);

} // namespace vouchers
