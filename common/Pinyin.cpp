#include "common/Pinyin.h"
#include "common/Gbk.h"
#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <array>
#include <iconv.h>
#include <vector>

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

} // namespace

// The initial of a level-1 character from its GBK code; 0 for any other character.
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

namespace {

// Characters beyond level 1 (婷, 琳, 瑶 are common in names) are placed among the level-1
// characters by the Chinese collation, which orders by pinyin: a character between two
// level-1 characters of one initial has that initial. Where its two neighbours differ (it lies
// at the seam of two initials) the later is taken; the few characters there may come out wrong.
struct LevelOne {
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    std::vector<QChar> sorted; // level 1 in collation order
    bool usable = false;

    LevelOne()
    {
        QByteArray codes;
        for (unsigned row = 0xB0; row <= 0xD7; ++row)
            for (unsigned cell = 0xA1; cell <= 0xFE; ++cell)
                if ((row << 8 | cell) <= levelOneEnd) codes += char(row), codes += char(cell);
        iconv_t cd = iconv_open("UTF-8", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        QByteArray utf8(codes.size() * 2, '\0');
        char* in = codes.data();
        size_t inLeft = size_t(codes.size());
        char* out = utf8.data();
        size_t outLeft = size_t(utf8.size());
        const bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1);
        iconv_close(cd);
        if (!ok) return;
        utf8.truncate(utf8.size() - int(outLeft));
        const QString chars = QString::fromUtf8(utf8);
        sorted.assign(chars.begin(), chars.end());
        std::sort(sorted.begin(), sorted.end(),
                  [this](QChar a, QChar b) { return collator.compare(QString(a), QString(b)) < 0; });
        // A collation without Chinese data would order by code: then it tells nothing.
        usable = collator.compare(QStringLiteral("婷"), QStringLiteral("挖")) < 0;
    }

    char initialOf(QChar ch) const
    {
        if (!usable) return 0;
        const auto at = std::upper_bound(sorted.begin(), sorted.end(), ch, [this](QChar a, QChar b) {
            return collator.compare(QString(a), QString(b)) < 0;
        });
        if (at == sorted.end()) return ::pinyin::initialOf(sorted.back());
        return ::pinyin::initialOf(*at);
    }
};

bool isHan(QChar ch) { return (ch.unicode() >= 0x4E00 && ch.unicode() <= 0x9FFF) || (ch.unicode() >= 0x3400 && ch.unicode() <= 0x4DBF); }

} // namespace

QString initials(const QString& text)
{
    QString out;
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            if (ch.isLetterOrNumber()) out += ch.toLower();
            continue;
        }
        char letter = initialOf(ch);
        if (!letter && isHan(ch)) {
            static const LevelOne levelOne;
            letter = levelOne.initialOf(ch);
        }
        if (letter) out += QLatin1Char(letter);
    }
    return out;
}

} // namespace pinyin
