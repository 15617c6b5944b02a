#include "common/Money.h"
#include <charconv>
#include <cmath>
#include <string>

namespace money {

namespace {

// "%.Nf" as the clinic's old C runtime printed it: from the value's 17 significant digits,
// rounded half away from zero. (glibc's printf rounds a value that is exactly a tie to even,
// 0.125 → "0.12"; the old receipts, and the cashier, say "0.13".) No locale is involved, so a
// decimal comma can never creep into an amount.
std::string fixedText(double v, int decimals)
{
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";

    char sci[64];
    const auto end = std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific, 16).ptr;
    const std::string s(sci, end); // [-]d.dddddddddddddddde±XX
    const bool negative = s[0] == '-';
    const size_t start = negative ? 1 : 0;
    const size_t e = s.find('e');
    std::string digits = s.substr(start, 1) + s.substr(start + 2, e - start - 2);
    const int point = std::stoi(s.substr(e + 1)) + 1; // digits before the decimal point

    std::string whole, fraction;
    if (point <= 0) {
        whole = "0";
        fraction = std::string(static_cast<size_t>(-point), '0') + digits;
    } else if (point >= static_cast<int>(digits.size())) {
        whole = digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<size_t>(point));
        fraction = digits.substr(static_cast<size_t>(point));
    }
    fraction.resize(static_cast<size_t>(decimals) + 1, '0');
    const bool up = fraction[static_cast<size_t>(decimals)] >= '5';
    std::string kept = whole + fraction.substr(0, static_cast<size_t>(decimals));
    if (up) {
        size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
        if (i == 0) kept.insert(kept.begin(), '1');
        else ++kept[i - 1];
    }
    std::string wholeOut = kept.substr(0, kept.size() - static_cast<size_t>(decimals));
    const size_t firstDigit = wholeOut.find_first_not_of('0');
    wholeOut = firstDigit == std::string::npos ? "0" : wholeOut.substr(firstDigit);
    std::string text = (negative ? "-" : "") + wholeOut;
    if (decimals > 0) text += "." + kept.substr(kept.size() - static_cast<size_t>(decimals));
    return text;
}

} // namespace

qint64 toFen(double yuan)
{
    return static_cast<qint64>(std::llround(roundTo(yuan, 2) * 100.0));
}

double roundTo(double value, int decimals)
{
    if (!std::isfinite(value)) return value;
    const std::string text = fixedText(value, decimals);
    double back = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    return back;
}

QString formatFixed(double v, int decimals) { return QString::fromStdString(fixedText(v, decimals)); }

QString format2(double v) { return formatFixed(v, 2); }
QString format3(double v) { return formatFixed(v, 3); }

const QString kAmountOutOfRange = QStringLiteral("金额超出允许范围，不能超过 1000000000 元！");

bool isStorable(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxAmount; }

bool isWholeFen(double v)
{
    // Typed amounts reach us as the nearest double: 0.29 is 28.999999999999996 fen.
    return isStorable(v) && std::fabs(v * 100.0 - std::round(v * 100.0)) < 1e-6;
}

bool parseAmount(const QString& text, double& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        value = 0.0;
        return true;
    }
    bool ok = false;
    const double v = t.toDouble(&ok); // QString reads the C locale's "." whatever the system's
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

} // namespace money
