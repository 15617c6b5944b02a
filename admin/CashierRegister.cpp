#include "admin/CashierRegister.h"
#include "common/Password.h"
#include "db/Query.h"
#include "db/Transaction.h"

namespace cashiers {
namespace {

constexpr int kMaxName = 20;     // printed on receipts and the day list beside the money
constexpr int kMinPassword = 6;

Outcome refused(const QString& message) { return {false, message, 0}; }
Outcome done(qint64 id = 0) { return {true, QString(), id}; }

const QString kChangedElsewhere = QStringLiteral("该收款员已被其他收费台修改，请重新打开后再试。");

QString nameProblem(const QString& name)
{
    if (name.isEmpty()) return QStringLiteral("收款员姓名不能为空。");
    if (name.size() > kMaxName) return QStringLiteral("收款员姓名不能超过%1个字。").arg(kMaxName);
    return {};
}

QString passwordProblem(const QString& password, bool required)
{
    if (password.isEmpty() && !required) return {};
    if (password.size() < kMinPassword) return QStringLiteral("密码至少%1位。").arg(kMinPassword);
    return {};
}

// Names are checked and written in one transaction; on PostgreSQL the table is locked against
// other writers first, so that two desks adding the same name at once cannot both pass.
void lockForNames(db::Connection& c)
{
    if (!c.isSQLite()) c.execute(QStringLiteral("LOCK TABLE 收款员表 IN SHARE ROW EXCLUSIVE MODE"));
}

bool nameTaken(db::Connection& c, const QString& name, qint64 except = 0)
{
    db::Query q(c, QStringLiteral("SELECT count(*) FROM 收款员表 WHERE 收款员 = ? AND ID <> ?"), {name, except});
    q.exec();
    return q.next() && q.integer(0) > 0;
}

QString takenMessage(const QString& name) { return QStringLiteral("已有名为“%1”的收款员。").arg(name); }

// The row as the manager saw it: same name, same retired and manager marks.
const QString kAsLoaded = QStringLiteral(" WHERE ID = ? AND 收款员 = ? AND coalesce(停用, 0) = ? AND coalesce(管理员, 0) = ?");

QVariantList asLoaded(const Cashier& c) { return {c.id, c.name, c.retired ? 1 : 0, c.manager ? 1 : 0}; }

qint64 insertCashier(db::Connection& c, const QString& name, const QString& password, bool manager)
{
    db::Query q(c, QStringLiteral("INSERT INTO 收款员表 (收款员, 停用, 管理员, 密码) VALUES (?, 0, ?, ?)"),
                {name, manager ? 1 : 0, password.isEmpty() ? QVariant() : QVariant(password::hash(password))});
    q.exec();
    db::Query id(c, QStringLiteral("SELECT max(ID) FROM 收款员表 WHERE 收款员 = ?"), {name});
    id.exec();
    return id.next() ? id.integer(0) : 0;
}

int activeManagers(db::Connection& c)
{
    // On PostgreSQL the managers' rows are locked first, so that two desks demoting the last two
    // managers at once are taken one after the other and the second sees the first's change.
    if (!c.isSQLite())
        db::Query(c, QStringLiteral("SELECT ID FROM 收款员表 WHERE 管理员 = 1 AND coalesce(停用, 0) = 0 FOR UPDATE")).exec();
    db::Query q(c, QStringLiteral("SELECT count(*) FROM 收款员表 WHERE 管理员 = 1 AND coalesce(停用, 0) = 0"));
    q.exec();
    return q.next() ? static_cast<int>(q.integer(0)) : 0;
}

// One guarded update of a cashier's row; with `keepManager` the clinic must still have an
// active manager after it, or nothing is written.
Outcome guardedUpdate(db::Connection& c, const Cashier& loaded, const QString& set, const QVariantList& values,
                      bool keepManager)
{
    db::Transaction tx(c);
    if (keepManager) activeManagers(c);
    db::Query q(c, QStringLiteral("UPDATE 收款员表 SET ") + set + kAsLoaded);
    q.bindAll(values).bindAll(asLoaded(loaded)).exec();
    if (q.rowsAffected() != 1) return refused(kChangedElsewhere);
    if (keepManager && activeManagers(c) == 0) return refused(QStringLiteral("不能停用或取消最后一位管理员。"));
    tx.commit();
    return done(loaded.id);
}

} // namespace

QList<Cashier> list(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT ID, 收款员, 停用, 管理员, 密码 FROM 收款员表 ORDER BY ID"));
    q.exec();
    QList<Cashier> all;
    while (q.next())
        all.append({q.integer(0), q.text(1), q.integer(2) != 0, q.integer(3) != 0, !q.text(4).isEmpty()});
    return all;
}

bool noneActive(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT count(*) FROM 收款员表 WHERE coalesce(停用, 0) = 0"));
    q.exec();
    return q.next() && q.integer(0) == 0;
}

Outcome createFirstManager(db::Connection& c, const QString& rawName, const QString& password)
{
    const QString name = rawName.trimmed();
    if (const QString p = nameProblem(name); !p.isEmpty()) return refused(p);
    if (const QString p = passwordProblem(password, true); !p.isEmpty()) return refused(p);
    db::Transaction tx(c);
    // Two desks starting a new clinic at once: the second finds the first's manager.
    lockForNames(c);
    if (!noneActive(c)) return refused(QStringLiteral("诊所已有收款员，请用已有的收款员登录。"));
    if (nameTaken(c, name)) return refused(takenMessage(name));
    const qint64 id = insertCashier(c, name, password, true);
    tx.commit();
    return done(id);
}

Outcome add(db::Connection& c, const QString& rawName, const QString& password, bool manager)
{
    const QString name = rawName.trimmed();
    if (const QString p = nameProblem(name); !p.isEmpty()) return refused(p);
    if (const QString p = passwordProblem(password, manager); !p.isEmpty())
        return refused(manager && password.isEmpty() ? QStringLiteral("管理员必须设置密码。") : p);
    db::Transaction tx(c);
    lockForNames(c);
    if (nameTaken(c, name)) return refused(takenMessage(name));
    const qint64 id = insertCashier(c, name, password, manager);
    tx.commit();
    return done(id);
}

Outcome rename(db::Connection& c, const Cashier& loaded, const QString& rawName)
{
    const QString name = rawName.trimmed();
    if (const QString p = nameProblem(name); !p.isEmpty()) return refused(p);
    db::Transaction tx(c);
    lockForNames(c);
    if (nameTaken(c, name, loaded.id)) return refused(takenMessage(name));
    Outcome o = guardedUpdate(c, loaded, QStringLiteral("收款员 = ?"), {name}, false);
    if (o.ok) tx.commit();
    return o;
}

Outcome setPassword(db::Connection& c, const Cashier& loaded, const QString& password)
{
    if (const QString p = passwordProblem(password, true); !p.isEmpty()) return refused(p);
    return guardedUpdate(c, loaded, QStringLiteral("密码 = ?"), {password::hash(password)}, false);
}

Outcome setManager(db::Connection& c, const Cashier& loaded, bool manager)
{
    if (manager && !loaded.hasPassword) return refused(QStringLiteral("管理员必须设置密码。"));
    return guardedUpdate(c, loaded, QStringLiteral("管理员 = ?"), {manager ? 1 : 0}, !manager);
}

Outcome retire(db::Connection& c, const Cashier& loaded)
{
    return guardedUpdate(c, loaded, QStringLiteral("停用 = 1"), {}, loaded.manager);
}

bool signInAllowed(db::Connection& c, const QString& name, const QString& password, bool* manager)
{
    db::Query q(c, QStringLiteral("SELECT 密码, 管理员 FROM 收款员表 WHERE 收款员 = ? AND coalesce(停用, 0) = 0"),
                {name.trimmed()});
    q.exec();
    // An older clinic may list a name twice: any of its active rows signs in.
    while (q.next()) {
        const QString stored = q.text(0);
        if (stored.isEmpty() ? password.isEmpty() : password::matches(stored, password)) {
            if (manager) *manager = q.integer(1) != 0;
            return true;
        }
    }
    if (manager) *manager = false;
    return false;
}

} // namespace cashiers
