#include "tools/desk/PatientSearch.h"
#include "common/Pinyin.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include <QScopeGuard>
#include <limits>

using namespace Qt::StringLiterals;

namespace desk {

namespace {

const QString columns = QStringLiteral("SELECT 病历号, 病人编号, 病人姓名, 电话 FROM 病历卡表 WHERE ");

// The last character of all: every text beginning with p lies in [p, p + this).
const QString beyond = QString::fromUcs4(U"\U0010FFFF");

// expr compared byte by byte, as the index built on it orders it.
QString bytewise(const db::Connection& c, const QString& expr)
{
    return c.isSQLite() ? expr : expr + QStringLiteral(" COLLATE \"C\"");
}

// Ordered by the indexed expression itself, so the planner walks that index's range and stops
// at the limit (ordering by 病历号 would tempt it into scanning every case in key order).
SearchStep byPrefix(const db::Connection& c, const QString& expr, const QString& prefix, int limit)
{
    const QString e = bytewise(c, expr);
    return {columns + e + QStringLiteral(" >= ? AND ") + e + QStringLiteral(" < ? ORDER BY ") + e + QStringLiteral(" LIMIT ?"),
            {prefix, prefix + beyond, limit}};
}

// Phones whose last digits are these: a prefix of the reversed phone the triggers keep.
SearchStep byPhoneEnding(const db::Connection& c, const QString& digits, int limit)
{
    QString reversed;
    for (auto it = digits.crbegin(); it != digits.crend(); ++it) reversed += *it;
    return byPrefix(c, QStringLiteral("电话反序"), reversed, limit);
}

// Names with the text inside them (not at their start): a prefix of one of the name's endings.
SearchStep byNamePart(const db::Connection& c, const QString& lower, int limit)
{
    const QString e = bytewise(c, QStringLiteral("f.片段"));
    return {QStringLiteral("SELECT k.病历号, k.病人编号, k.病人姓名, k.电话 FROM 姓名片段表 f JOIN 病历卡表 k ON k.病历号 = f.病历号 WHERE ") +
                e + QStringLiteral(" >= ? AND ") + e + QStringLiteral(" < ? ORDER BY ") + e + QStringLiteral(" LIMIT ?"),
            {lower, lower + beyond, limit}};
}

} // namespace

QList<SearchStep> searchSteps(const db::Connection& c, const QString& text, int limit)
{
    const QString t = text.trimmed();
    QList<SearchStep> steps;
    if (t.isEmpty() || limit <= 0) return steps;
    bool digits = true, latin = true;
    for (const QChar ch : t) {
        digits = digits && ch >= u'0' && ch <= u'9';
        latin = latin && ch.unicode() < 0x80 && ch.isLetterOrNumber();
    }
    const QString lower = t.toLower();
    if (digits) {
        // Case numbers are 32-bit; a phone typed in full is not asked as one.
        bool ok = false;
        const qint64 caseNumber = t.toLongLong(&ok);
        if (ok && caseNumber <= std::numeric_limits<qint32>::max()) steps << SearchStep{columns + QStringLiteral("病历号 = ? LIMIT ?"), {caseNumber, limit}};
        steps << byPrefix(c, QStringLiteral("电话"), t, limit);
        steps << byPhoneEnding(c, t, limit);
        steps << byPrefix(c, QStringLiteral("lower(病人编号)"), lower, limit);
    } else if (latin) {
        steps << byPrefix(c, QStringLiteral("拼音码"), lower, limit);
        steps << byPrefix(c, QStringLiteral("lower(病人编号)"), lower, limit);
        steps << byNamePart(c, lower, limit);
    } else {
        steps << byPrefix(c, QStringLiteral("病人姓名"), t, limit);
        steps << byNamePart(c, lower, limit);
    }
    return steps;
}

QList<PatientHit> searchPatients(db::Connection& c, const QString& text, int limit)
{
    QList<PatientHit> hits;
    // Each step walks its index's range whatever the text: planned once, not per keystroke.
    c.planWithoutValues(true);
    const auto planAgain = qScopeGuard([&] {
        try {
            c.planWithoutValues(false);
        } catch (const db::Error&) {
            // Only a closed connection refuses it; the setting chooses plans, never answers.
        }
    });
    for (const SearchStep& step : searchSteps(c, text, limit)) {
        if (hits.size() >= limit) break;
        db::Query q(c, step.sql);
        q.bindAll(step.values);
        q.exec();
        while (q.next() && hits.size() < limit) {
            const qint64 caseNumber = q.integer(0);
            bool seen = false;
            for (const PatientHit& h : hits) seen = seen || h.caseNumber == caseNumber;
            if (!seen) hits.append({caseNumber, q.text(1), q.text(2), q.text(3)});
        }
    }
    return hits;
}

int fillMissingInitials(db::Connection& c, int batch)
{
    db::Query q(c, QStringLiteral("SELECT 病历号, 病人姓名 FROM 病历卡表 WHERE 拼音码 IS NULL ORDER BY 病历号 LIMIT ?"),
                {batch});
    q.exec();
    QList<QPair<qint64, QString>> rows;
    while (q.next()) rows.append({q.integer(0), q.text(1)});
    if (rows.isEmpty()) return 0;
    db::Transaction t(c);
    for (const auto& [caseNumber, name] : rows)
        // Guarded by the NULL: initials another desk filled meanwhile stay as they are.
        // A name without initials stores "" (a null QString would bind as NULL and the case
        // would be picked again on every round).
        db::execute(c, QStringLiteral("UPDATE 病历卡表 SET 拼音码 = ? WHERE 病历号 = ? AND 拼音码 IS NULL"),
                    {QString(u""_s + pinyin::initials(name)), caseNumber});
    t.commit();
    return int(rows.size());
}

} // namespace desk
