#include "admin/DoctorList.h"
#include "db/Query.h"
#include "db/Transaction.h"

namespace doctors {
namespace {

constexpr int kMaxText = 20;
const QString kChangedElsewhere = QStringLiteral("该行已被其他收费台修改，请重新打开后再试。");

Outcome refused(const QString& message) { return {false, message, 0}; }
Outcome done() { return {true, QString(), 0}; }

// The rows these lists hold are written from one desk at a time: on PostgreSQL the table is
// locked against other writers for the check and the write, as SQLite's single writer does.
void lock(db::Connection& c, const char* table)
{
    if (!c.isSQLite()) c.execute(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(QString::fromUtf8(table)));
}

qint64 count(db::Connection& c, const QString& sql, const QVariantList& values)
{
    return db::scalar(c, sql, values).toLongLong();
}

Doctor trimmed(const Doctor& d) { return {d.name.trimmed(), d.number.trimmed(), d.department.trimmed()}; }

// What is wrong with a doctor's row before it is written, or nothing.
QString problem(db::Connection& c, const Doctor& d, const Doctor* except)
{
    if (d.name.isEmpty()) return QStringLiteral("医生姓名不能为空。");
    if (d.name.size() > kMaxText || d.number.size() > kMaxText)
        return QStringLiteral("医生姓名和编号不能超过%1个字。").arg(kMaxText);
    if (!d.department.isEmpty() && count(c, QStringLiteral("SELECT count(*) FROM 科室表 WHERE 科室 = ?"), {d.department}) == 0)
        return QStringLiteral("科室“%1”不在科室表中。").arg(d.department);
    const QString other = except ? except->name : QString();
    if ((!except || d.name != other) &&
        count(c, QStringLiteral("SELECT count(*) FROM 主治医生表 WHERE 医生姓名 = ?"), {d.name}) > 0)
        return QStringLiteral("已有名为“%1”的医生。").arg(d.name);
    if (!d.number.isEmpty() && (!except || d.number != except->number) &&
        count(c, QStringLiteral("SELECT count(*) FROM 主治医生表 WHERE 医生编号 = ?"), {d.number}) > 0)
        return QStringLiteral("医生编号“%1”已被使用。").arg(d.number);
    return {};
}

const QString kDoctorAsLoaded =
    QStringLiteral(" WHERE 医生姓名 = ? AND coalesce(医生编号, '') = coalesce(?, '') AND coalesce(科室, '') = coalesce(?, '')");
QVariantList asLoaded(const Doctor& d) { return {d.name, d.number, d.department}; }

QString departmentProblem(db::Connection& c, const QString& name)
{
    if (name.isEmpty()) return QStringLiteral("科室名称不能为空。");
    if (name.size() > kMaxText) return QStringLiteral("科室名称不能超过%1个字。").arg(kMaxText);
    if (count(c, QStringLiteral("SELECT count(*) FROM 科室表 WHERE 科室 = ?"), {name}) > 0)
        return QStringLiteral("已有科室“%1”。").arg(name);
    return {};
}

} // namespace

QList<Doctor> list(db::Connection& c)
{
    db::Query q(c, c.isSQLite() ? QStringLiteral("SELECT 医生姓名, 医生编号, 科室 FROM 主治医生表 ORDER BY rowid")
                                : QStringLiteral("SELECT 医生姓名, 医生编号, 科室 FROM 主治医生表 ORDER BY ctid"));
    q.exec();
    QList<Doctor> all;
    while (q.next()) all.append({q.text(0), q.text(1), q.text(2)});
    return all;
}

QStringList departments(db::Connection& c)
{
    db::Query q(c, c.isSQLite() ? QStringLiteral("SELECT 科室 FROM 科室表 ORDER BY rowid")
                                : QStringLiteral("SELECT 科室 FROM 科室表 ORDER BY ctid"));
    q.exec();
    QStringList all;
    while (q.next()) all << q.text(0);
    return all;
}

Outcome add(db::Connection& c, const Doctor& raw)
{
    const Doctor d = trimmed(raw);
    db::Transaction tx(c);
    lock(c, "主治医生表");
    if (const QString p = problem(c, d, nullptr); !p.isEmpty()) return refused(p);
    db::Query(c, QStringLiteral("INSERT INTO 主治医生表 (医生姓名, 医生编号, 科室) VALUES (?, ?, ?)"),
              {d.name, d.number, d.department})
        .exec();
    tx.commit();
    return done();
}

Outcome edit(db::Connection& c, const Doctor& loaded, const Doctor& raw)
{
    const Doctor d = trimmed(raw);
    db::Transaction tx(c);
    lock(c, "主治医生表");
    if (const QString p = problem(c, d, &loaded); !p.isEmpty()) return refused(p);
    db::Query q(c, QStringLiteral("UPDATE 主治医生表 SET 医生姓名 = ?, 医生编号 = ?, 科室 = ?") + kDoctorAsLoaded);
    q.bindAll({d.name, d.number, d.department}).bindAll(asLoaded(loaded)).exec();
    if (q.rowsAffected() != 1) return refused(kChangedElsewhere);
    tx.commit();
    return done();
}

Outcome remove(db::Connection& c, const Doctor& loaded)
{
    db::Transaction tx(c);
    db::Query q(c, QStringLiteral("DELETE FROM 主治医生表") + kDoctorAsLoaded);
    q.bindAll(asLoaded(loaded)).exec();
    if (q.rowsAffected() != 1) return refused(kChangedElsewhere);
    tx.commit();
    return done();
}

Outcome addDepartment(db::Connection& c, const QString& raw)
{
    const QString name = raw.trimmed();
    db::Transaction tx(c);
    lock(c, "科室表");
    if (const QString p = departmentProblem(c, name); !p.isEmpty()) return refused(p);
    db::Query(c, QStringLiteral("INSERT INTO 科室表 (科室) VALUES (?)"), {name}).exec();
    tx.commit();
    return done();
}

Outcome renameDepartment(db::Connection& c, const QString& loaded, const QString& raw)
{
    const QString name = raw.trimmed();
    db::Transaction tx(c);
    lock(c, "科室表");
    lock(c, "主治医生表");
    if (const QString p = departmentProblem(c, name); !p.isEmpty()) return refused(p);
    db::Query q(c, QStringLiteral("UPDATE 科室表 SET 科室 = ? WHERE 科室 = ?"), {name, loaded});
    q.exec();
    if (q.rowsAffected() != 1) return refused(kChangedElsewhere);
    db::Query(c, QStringLiteral("UPDATE 主治医生表 SET 科室 = ? WHERE 科室 = ?"), {name, loaded}).exec();
    tx.commit();
    return done();
}

Outcome removeDepartment(db::Connection& c, const QString& loaded)
{
    db::Transaction tx(c);
    lock(c, "主治医生表");
    if (const qint64 n = count(c, QStringLiteral("SELECT count(*) FROM 主治医生表 WHERE 科室 = ?"), {loaded}); n > 0)
        return refused(QStringLiteral("科室“%1”还有%2位医生，请先调整他们的科室。").arg(loaded).arg(n));
    db::Query q(c, QStringLiteral("DELETE FROM 科室表 WHERE 科室 = ?"), {loaded});
    q.exec();
    if (q.rowsAffected() != 1) return refused(kChangedElsewhere);
    tx.commit();
    return done();
}

} // namespace doctors
