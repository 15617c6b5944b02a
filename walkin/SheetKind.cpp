#include "walkin/SheetKind.h"
#include "db/Query.h"
#include "receipt/FeeCategories.h"

using namespace Qt::StringLiterals;

namespace walkin {

SheetKind kindOfSheet(db::Connection& c, qint64 id)
{
    // Only the schema's own twelve column names go into the text; the ID is bound.
    QStringList amounts;
    for (int i = 0; i < receipt::CategoryCount; ++i)
        amounts << u"coalesce(%1,0)<>0"_s.arg(receipt::categoryColumn(i));
    db::Query q(c,
                u"SELECT IsPrescriptionFlag, CASE WHEN %1 THEN 1 ELSE 0 END AS byCategory, "
                u"(SELECT COUNT(*) FROM 收费明细表 WHERE 无病案编号=?) AS lines FROM 无病历收费单 WHERE ID=?"_s.arg(
                    amounts.join(u" OR "_s)),
                {id, id});
    q.exec();
    if (!q.next()) return SheetKind::Missing;
    if (q.integer(u"IsPrescriptionFlag"_s) == 2) return SheetKind::Prescription;
    if (q.integer(u"lines"_s) > 0) return SheetKind::ByItems;
    if (q.integer(u"byCategory"_s) != 0) return SheetKind::ByCategory;
    return SheetKind::Empty;
}

QString refusalToOpen(db::Connection& c, qint64 id, SheetKind wanted)
{
    const SheetKind kind = kindOfSheet(c, id);
    if (kind == SheetKind::Missing) return u"该收费单不存在!"_s;
    if (kind == SheetKind::Empty || kind == wanted) return QString();
    if (kind == SheetKind::Prescription) return u"该收费单是处方收费单，不能在此修改!"_s;
    return kind == SheetKind::ByItems ? u"该收费单是按收费标准登记的，不能在此修改!"_s
                                      : u"该收费单是按收费类别登记的，不能在此修改!"_s;
}

} // namespace walkin
