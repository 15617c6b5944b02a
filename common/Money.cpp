#include "common/Money.h"
#include <cstdio>
#include <cstdlib>

namespace money {

double roundTo(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return std::strtod(buf, nullptr);
}

QString formatFixed(double v, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return QString::fromLatin1(buf);
}

QString format2(double v) { return formatFixed(v, 2); }
QString format3(double v) { return formatFixed(v, 3); }

bool parseAmount(const QString& text, double& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        value = 0.0;
        return true;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok) return false;
    value = v;
    return true;
}

} // namespace money
