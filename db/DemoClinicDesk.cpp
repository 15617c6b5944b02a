// What the front desk needs beyond the module's own tables: the cashiers who sign in, and
// the patients' phones and pinyin initials that the patient search looks up.
#include "common/Pinyin.h"
#include "db/DemoClinicData.h"
#include "db/Query.h"

namespace db::demo {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

} // namespace

void loadDesk(Clinic& k)
{
    // 马丽 and 何军 wrote the demo's paid receipts and walk-in sheets; 高洁 has left the clinic.
    const struct {
        const char* name;
        int retired;
    } cashiers[] = {{"马丽", 0}, {"何军", 0}, {"高洁", 1}};
    for (const auto& c : cashiers) k.add(u("收款员表"), {{u("收款员"), u(c.name)}, {u("停用"), c.retired}});

    Query cases(k.c, u("SELECT 病历号, 病人姓名 FROM 病历卡表 ORDER BY 病历号"));
    cases.exec();
    QList<QPair<qint64, QString>> rows;
    while (cases.next()) rows.append({cases.integer(0), cases.text(1)});
    for (qsizetype i = 0; i < rows.size(); ++i) {
        // Mobile numbers 1390000xxxx, one per case, so that a phone search finds exactly one.
        const QString phone = QStringLiteral("1390000%1").arg(1000 + i * 37, 4, 10, QLatin1Char('0'));
        execute(k.c, u("UPDATE 病历卡表 SET 拼音码=?, 电话=? WHERE 病历号=?"),
                {pinyin::initials(rows[i].second), phone, rows[i].first});
    }
}

} // namespace db::demo
