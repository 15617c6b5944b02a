#include "db/driver/PgPlaceholders.h"

namespace db::driver {

namespace {

bool identifierChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
        || (static_cast<unsigned char>(c) & 0x80);
}

// The length of a dollar-quote opening tag ($$ or $name$) at `at`, or 0 when there is none
// there: $1 is a parameter, and a tag never starts with a digit.
qsizetype dollarTag(const QByteArray& s, qsizetype at)
{
    qsizetype i = at + 1;
    if (i < s.size() && s[i] >= '0' && s[i] <= '9') return 0;
    while (i < s.size() && identifierChar(s[i]) && s[i] != '$') ++i;
    return (i < s.size() && s[i] == '$') ? i - at + 1 : 0;
}

} // namespace

QByteArray numberedPlaceholders(const QString& sql, int* count)
{
    const QByteArray s = sql.toUtf8();
    QByteArray out;
    out.reserve(s.size() + 16);
    int n = 0;
    qsizetype i = 0;
    auto copyUntil = [&](qsizetype end) {
        out.append(s.constData() + i, end - i);
        i = end;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (c == '?') {
            out += '$' + QByteArray::number(++n);
            ++i;
        } else if (c == '\'') {
            // E'…' takes backslash escapes; a plain literal only the doubled quote.
            const bool escapes = i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e') && (i < 2 || !identifierChar(s[i - 2]));
            qsizetype j = i + 1;
            while (j < s.size()) {
                if (escapes && s[j] == '\\') j += 2;
                else if (s[j] == '\'' && j + 1 < s.size() && s[j + 1] == '\'') j += 2;
                else if (s[j] == '\'') break;
                else ++j;
            }
            copyUntil(std::min(j + 1, s.size()));
        } else if (c == '"') {
            const qsizetype j = s.indexOf('"', i + 1);
            copyUntil(j < 0 ? s.size() : j + 1);
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            const qsizetype j = s.indexOf('\n', i);
            copyUntil(j < 0 ? s.size() : j + 1);
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            // PostgreSQL's block comments nest.
            int depth = 0;
            qsizetype j = i;
            while (j < s.size()) {
                if (s[j] == '/' && j + 1 < s.size() && s[j + 1] == '*') { ++depth; j += 2; }
                else if (s[j] == '*' && j + 1 < s.size() && s[j + 1] == '/') { j += 2; if (--depth == 0) break; }
                else ++j;
            }
            copyUntil(std::min(j, s.size()));
        } else if (c == '$' && (i == 0 || !identifierChar(s[i - 1]))) {
            const qsizetype tagLength = dollarTag(s, i);
            if (tagLength == 0) {
                copyUntil(i + 1);
                continue;
            }
            const QByteArray tag = s.mid(i, tagLength);
            const qsizetype close = s.indexOf(tag, i + tagLength);
            copyUntil(close < 0 ? s.size() : close + tagLength);
        } else {
            copyUntil(i + 1);
        }
    }
    if (count) *count = n;
    return out;
}

} // namespace db::driver
