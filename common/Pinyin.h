#pragma once
#include <QString>

// The pinyin initials a cashier types to find a patient ("zw" for 张伟). GB2312's first level
// of characters (the 3,755 most common, names included) is ordered by pinyin, so a character's
// initial follows from where its GBK code falls; other Chinese characters are placed among
// those by the Chinese (pinyin) collation. Anything else gives nothing; ASCII letters and
// digits stand for themselves (lowercase).
namespace pinyin {

QString initials(const QString& text);
// The initial of one character of GB2312's first level, from its code; 0 for any other.
char initialOf(QChar ch);

} // namespace pinyin
