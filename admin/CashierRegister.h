#pragma once
#include "db/Connection.h"
#include <QList>
#include <QString>

// The clinic's cashiers (收款员表) as a manager keeps them at the desk: who may sign in, with
// which password, and who may change the clinic's settings. Every change is guarded by the row
// as the manager saw it: when another desk changed it first, nothing is written and the answer
// says so.
namespace cashiers {

struct Cashier {
    qint64 id = 0;
    QString name;
    bool retired = false;
    bool manager = false;
    bool hasPassword = false;
};

// ok false: nothing was written, message says why in the desk's words.
struct Outcome {
    bool ok = false;
    QString message;
    qint64 id = 0;
};

QList<Cashier> list(db::Connection& c);
// True when nobody can sign in yet: the first start of a new clinic makes its first manager.
bool noneActive(db::Connection& c);

// The first manager of a clinic without cashiers; refused when one was made meanwhile.
Outcome createFirstManager(db::Connection& c, const QString& name, const QString& password);
Outcome add(db::Connection& c, const QString& name, const QString& password, bool manager);
Outcome rename(db::Connection& c, const Cashier& loaded, const QString& newName);
Outcome setPassword(db::Connection& c, const Cashier& loaded, const QString& password);
Outcome setManager(db::Connection& c, const Cashier& loaded, bool manager);
// Retired cashiers stay in the table for the receipts that name them, but cannot sign in. The
// last active manager is never retired or demoted: nobody could then reach the settings.
Outcome retire(db::Connection& c, const Cashier& loaded);

// Whether this name and password sign in: an active cashier whose password matches, or one
// from before passwords (none stored) with an empty password.
bool signInAllowed(db::Connection& c, const QString& name, const QString& password, bool* manager = nullptr);

} // namespace cashiers
