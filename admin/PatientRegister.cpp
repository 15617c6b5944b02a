#include "admin/PatientRegister.h"
#include "common/Pinyin.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include <QDate>
#include <optional>

namespace patients {
namespace {

constexpr int kMaxName = 20;
constexpr int kMaxPhone = 20;
// The first case number of a clinic without any, as the clinic systems number them.
constexpr qint64 kFirstCase = 1001;

Outcome refused(const QString& message) { return {false, message, 0}; }

Patient trimmed(const Patient& p)
{
    return {p.caseNumber, p.number.trimmed(), p.name.trimmed(), p.phone.trimmed(), p.sex.trimmed(), p.age.trimmed(),
            p.birthDate.trimmed()};
}

QDate birthOf(const Patient& p)
{
    const QDate padded = QDate::fromString(p.birthDate, QStringLiteral("yyyy-MM-dd"));
    return padded.isValid() ? padded : QDate::fromString(p.birthDate, QStringLiteral("yyyy-M-d"));
}

// How the birth date is stored, and compared by the guard of a correction: text on both
// databases ('' for none), so that NULL and a date compare without a typed parameter.
QVariant storedBirth(const Patient& p)
{
    return p.birthDate.isEmpty() ? QVariant() : QVariant(db::dateTimeText(QDateTime(birthOf(p), QTime(0, 0))));
}
QString birthAsText(const Patient& p)
{
    return p.birthDate.isEmpty() ? QStringLiteral("") : db::dateTimeText(QDateTime(birthOf(p), QTime(0, 0)));
}

QString problem(const Patient& p)
{
    if (p.name.isEmpty()) return QStringLiteral("病人姓名不能为空。");
    if (p.name.size() > kMaxName) return QStringLiteral("病人姓名不能超过%1个字。").arg(kMaxName);
    if (p.phone.size() > kMaxPhone) return QStringLiteral("电话不能超过%1位。").arg(kMaxPhone);
    for (const QChar ch : p.phone)
        if (!ch.isDigit() && ch != u'-' && ch != u' ') return QStringLiteral("电话只能包含数字和“-”。");
    if (!p.sex.isEmpty() && p.sex != QStringLiteral("男") && p.sex != QStringLiteral("女"))
        return QStringLiteral("性别应为“男”或“女”。");
    bool ok = true;
    if (!p.age.isEmpty() && (p.age.toInt(&ok), !ok || p.age.toInt() < 0 || p.age.toInt() > 150))
        return QStringLiteral("年龄应为0到150之间的整数。");
    if (!p.birthDate.isEmpty()) {
        const QDate birth = birthOf(p);
        if (!birth.isValid() || birth.year() < 1900) return QStringLiteral("出生日期应写成“年-月-日”，如1980-05-17。");
        if (birth > QDate::currentDate()) return QStringLiteral("出生日期不能晚于今天。");
    }
    return {};
}

qint64 number(db::Connection& c, const QString& sql, const QVariantList& values = {})
{
    return db::scalar(c, sql, values).toLongLong();
}

} // namespace

Outcome registerPatient(db::Connection& c, const Patient& raw)
{
    const Patient p = trimmed(raw);
    if (const QString why = problem(p); !why.isEmpty()) return refused(why);
    db::Transaction tx(c);
    // Numbers are handed out one desk at a time: PostgreSQL's lock waits for the other desk's
    // registration to end; on SQLite the transaction already holds the single write lock.
    if (!c.isSQLite()) c.execute(QStringLiteral("LOCK TABLE 病历卡表 IN SHARE ROW EXCLUSIVE MODE"));
    const qint64 caseNumber = std::max(kFirstCase, number(c, QStringLiteral("SELECT max(病历号) FROM 病历卡表")) + 1);
    // The patient number follows the case number; one another system already gave out is
    // skipped by a suffix rather than shared.
    QString patientNumber = QStringLiteral("P%1").arg(caseNumber);
    for (int n = 2; number(c, QStringLiteral("SELECT count(*) FROM 病人简历表 WHERE 病人编号 = ?"), {patientNumber}) +
                            number(c, QStringLiteral("SELECT count(*) FROM 病历卡表 WHERE 病人编号 = ?"), {patientNumber}) >
                        0;
         ++n)
        patientNumber = QStringLiteral("P%1-%2").arg(caseNumber).arg(n);
    db::Query(c, QStringLiteral("INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名, 拼音码, 电话) VALUES (?, ?, ?, ?, ?)"),
              {caseNumber, patientNumber, p.name, pinyin::initials(p.name), p.phone})
        .exec();
    db::Query(c, QStringLiteral("INSERT INTO 病人简历表 (病人编号, 病人姓名, 性别, 年龄, 出生日期, IS_VIP) VALUES (?, ?, ?, ?, ?, 0)"),
              {patientNumber, p.name, p.sex, p.age, storedBirth(p)})
        .exec();
    tx.commit();
    return {true, QString(), caseNumber};
}

std::optional<Patient> load(db::Connection& c, qint64 caseNumber)
{
    db::Query q(c, QStringLiteral("SELECT k.病历号, k.病人编号, k.病人姓名, k.电话, r.性别, r.年龄, r.出生日期 FROM 病历卡表 k "
                                  "LEFT JOIN 病人简历表 r ON r.病人编号 = k.病人编号 WHERE k.病历号 = ?"),
                {caseNumber});
    q.exec();
    if (!q.next()) return std::nullopt;
    const QDateTime birth = q.dateTime(QStringLiteral("出生日期"));
    return Patient{q.integer(0), q.text(1), q.text(2), q.text(3), q.text(4), q.text(5),
                   birth.isValid() ? birth.date().toString(QStringLiteral("yyyy-MM-dd")) : QString()};
}

Outcome correct(db::Connection& c, const Patient& loaded, const Patient& raw)
{
    Patient p = trimmed(raw);
    p.caseNumber = loaded.caseNumber;
    p.number = loaded.number;
    if (const QString why = problem(p); !why.isEmpty()) return refused(why);
    db::Transaction tx(c);
    db::Query card(c, QStringLiteral("UPDATE 病历卡表 SET 病人姓名 = ?, 拼音码 = ?, 电话 = ? WHERE 病历号 = ? AND "
                                     "coalesce(病人姓名, '') = coalesce(?, '') AND coalesce(电话, '') = coalesce(?, '')"),
                   {p.name, pinyin::initials(p.name), p.phone, loaded.caseNumber, loaded.name, loaded.phone});
    card.exec();
    if (card.rowsAffected() != 1) return refused(QStringLiteral("该病人已被其他收费台修改，请重新打开后再试。"));
    db::Query record(c, QStringLiteral("UPDATE 病人简历表 SET 病人姓名 = ?, 性别 = ?, 年龄 = ?, 出生日期 = ? WHERE 病人编号 = ? AND "
                                       "coalesce(性别, '') = coalesce(?, '') AND coalesce(年龄, '') = coalesce(?, '') AND "
                                       "coalesce(CAST(出生日期 AS TEXT), '') = ?"),
                     {p.name, p.sex, p.age, storedBirth(p), loaded.number, loaded.sex, loaded.age, birthAsText(loaded)});
    record.exec();
    if (record.rowsAffected() > 1) return refused(QStringLiteral("病人编号“%1”在病人简历表中不唯一。").arg(loaded.number));
    // A case the clinic system made without a record gets one now.
    if (record.rowsAffected() == 0) {
        if (number(c, QStringLiteral("SELECT count(*) FROM 病人简历表 WHERE 病人编号 = ?"), {loaded.number}) > 0)
            return refused(QStringLiteral("该病人已被其他收费台修改，请重新打开后再试。"));
        db::Query(c, QStringLiteral("INSERT INTO 病人简历表 (病人编号, 病人姓名, 性别, 年龄, 出生日期, IS_VIP) VALUES (?, ?, ?, ?, ?, 0)"),
                  {loaded.number, p.name, p.sex, p.age, storedBirth(p)})
            .exec();
    }
    tx.commit();
    return {true, QString(), loaded.caseNumber};
}

} // namespace patients
