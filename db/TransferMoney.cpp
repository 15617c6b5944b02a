#include "db/TransferMoney.h"
#include "common/Money.h"
#include <cmath>

namespace db {

namespace {

const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString places[4] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"), QStringLiteral("仟")};
// Groups of four digits from the right: 元, 万, 亿, and 万 again for the 万亿 above.
const QString sectionUnits[4] = {QString(), QStringLiteral("万"), QStringLiteral("亿"), QStringLiteral("万")};
const int powers[4] = {1, 10, 100, 1000};

// One group of four digits (1–9999), with a single 零 for each run of inner zeros.
QString section(int v)
{
    QString out;
    bool zeroPending = false;
    for (int place = 3; place >= 0; --place) {
        const int d = v / powers[place] % 10;
        if (d == 0) {
            if (!out.isEmpty()) zeroPending = true;
            continue;
        }
        if (zeroPending) out += digits[0];
        zeroPending = false;
        out += digits[d] + places[place];
    }
    return out;
}

} // namespace

QString TransferMoney(double amount)
{
    if (!std::isfinite(amount)) return {};
    const double rounded = money::round2(amount);
    if (std::fabs(rounded) >= 1e16) return {};
    const qint64 fen = std::llround(std::fabs(rounded) * 100.0);
    const qint64 yuan = fen / 100;
    const int jiao = static_cast<int>(fen / 10 % 10);
    const int fenDigit = static_cast<int>(fen % 10);
    if (fen == 0) return QStringLiteral("零元整");

    QString out;
    if (rounded < 0) out += QStringLiteral("负");

    if (yuan > 0) {
        int groups[4];
        qint64 rest = yuan;
        for (int& g : groups) {
            g = static_cast<int>(rest % 10000);
            rest /= 10000;
        }
        bool written = false;
        bool skipped = false; // a whole group of zeros lies between written digits
        for (int i = 3; i >= 0; --i) {
            const int g = groups[i];
            if (g == 0) {
                if (written) skipped = true;
                if (i == 2 && written) out += QStringLiteral("亿"); // 万亿 with nothing below it in the 亿 group
                continue;
            }
            if (written && (skipped || g < 1000)) out += digits[0];
            out += section(g) + sectionUnits[i];
            written = true;
            skipped = false;
        }
        out += QStringLiteral("元");
    }

    if (jiao == 0 && fenDigit == 0) return out + QStringLiteral("整");
    if (jiao > 0) {
        out += digits[jiao] + QStringLiteral("角");
        return out + (fenDigit > 0 ? digits[fenDigit] + QStringLiteral("分") : QStringLiteral("整"));
    }
    if (yuan > 0) out += digits[0];
    return out + digits[fenDigit] + QStringLiteral("分");
}

} // namespace db
