#include "common/Pinyin.h"
#include "common/Gbk.h"
#include <array>

namespace pinyin {

namespace {

struct Start {
    unsigned code; // GBK code of the first character read with this initial
    char letter;
};

// The first characters of each initial in GB2312 level 1 (啊 芭 擦 搭 蛾 发 噶 哈 击 喀 垃 妈 拿 哦
// 啪 期 然 撒 塌 挖 昔 压 匝); no syllable begins with i, u or v.
constexpr std::array<Start, 23> starts{{
    {0xB0A1, 'a'}, {0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'}, {0xB7A2, 'f'},
    {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'}, {0xC0AC, 'l'}, {0xC2E8, 'm'},
    {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'}, {0xC6DA, 'q'}, {0xC8BB, 'r'}, {0xC8F6, 's'},
    {0xCBFA, 't'}, {0xCDDA, 'w'}, {0xCEF4, 'x'}, {0xD1B9, 'y'}, {0xD4D1, 'z'},
}};
constexpr unsigned levelOneEnd = 0xD7F9; // 座, the last character of level 1

char initialOf(QChar ch)
{
    const QByteArray bytes = gbk::encode(QString(ch));
    if (bytes.size() != 2) return 0;
    const unsigned code = (unsigned(uchar(bytes[0])) << 8) | uchar(bytes[1]);
    if (code < starts.front().code || code > levelOneEnd) return 0;
    char letter = 0;
    for (const Start& s : starts)
        if (code >= s.code) letter = s.letter;
    return letter;
}

} // namespace

QString initials(const QString& text)
{
    QString out;
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            if (ch.isLetterOrNumber()) out += ch.toLower();
            continue;
        }
        if (const char letter = initialOf(ch)) out += QLatin1Char(letter);
    }
    return out;
}

} // namespace pinyin
