#include "settle/StandardReceiptPick.h"
#include "db/Query.h"

using namespace Qt::StringLiterals;

namespace settle {

StandardReceiptPick PickStandardReceipt(db::Connection& c, qint64 caseNumber, qint64 receiptId, bool resettle)
{
    StandardReceiptPick pick;
    if (receiptId < 0 || (receiptId == 0 && resettle)) {
        pick.refusal = u"收据编号不正确，不能结帐!"_s;
        return pick;
    }
    if (receiptId == 0) {
        receiptId = db::toInteger(db::scalar(
            c,
            u"SELECT MIN(r.ID) FROM 收费收据表 r WHERE r.病历号=? AND rtrim(r.付款)='未付' AND r.IsPrescriptionFlag IS NULL"
            " AND EXISTS (SELECT 1 FROM 收费明细表 l WHERE l.收据编号=r.ID)"_s,
            {caseNumber}));
        if (receiptId <= 0) {
            pick.refusal = u"该病历没有未付的标准收费收据!"_s;
            return pick;
        }
    }
    db::Query q(c,
                u"SELECT r.病历号, r.IsPrescriptionFlag,"
                " (SELECT COUNT(*) FROM 收费明细表 l WHERE l.收据编号=r.ID) AS lines,"
                " (SELECT COUNT(*) FROM 收费明细表 l WHERE l.收据编号=r.ID AND l.金额 IS NULL) AS unpriced"
                " FROM 收费收据表 r WHERE r.ID=?"_s,
                {receiptId});
    q.exec();
    if (!q.next()) pick.refusal = u"该收据不存在!"_s;
    else if (q.integer(u"病历号"_s) != caseNumber) pick.refusal = u"该收据不属于这个病历，不能结帐!"_s;
    else if (q.integer(u"IsPrescriptionFlag"_s) == 2) pick.refusal = u"处方收据不能在此结帐!"_s;
    else if (q.integer(u"lines"_s) == 0) pick.refusal = u"该收据没有收费项目，不能结帐!"_s;
    else if (q.integer(u"unpriced"_s) > 0) pick.refusal = u"该收据的收费项目没有金额，不能结帐!"_s;
    else pick.receiptId = receiptId;
    return pick;
}

} // namespace settle
