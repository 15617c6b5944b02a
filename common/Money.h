#pragma once
#include <QString>

// Amounts are yuan in doubles. The clinic's rules round by printing with a fixed number of
// decimals and reading the text back; every rounding step goes through here so the places
// that round are easy to find and all round the same way.
namespace money {

double roundTo(double value, int decimals); // printf "%.Nf" then read back
inline double round2(double v) { return roundTo(v, 2); }
inline double round3(double v) { return roundTo(v, 3); }
inline double round4(double v) { return roundTo(v, 4); }
inline double round5(double v) { return roundTo(v, 5); }

// Amounts in fen, the unit sums and comparisons of amounts are made in: whole numbers, so that
// 0.1 + 0.2 is 0.3 and a split that uses up a total exactly is seen to. toFen rounds as "%.2f"
// does; fromFen gives the double nearest to the amount, as stored.
qint64 toFen(double yuan);
inline double fromFen(qint64 fen) { return static_cast<double>(fen) / 100.0; }

QString format2(double v); // "%.2f", how amounts are shown
QString format3(double v); // "%.3f", how rates are shown
QString formatFixed(double v, int decimals);

// The largest amount, sum or points total the clinic stores, either way: far beyond any real
// fee, and small enough that sums of amounts stay exact to the fen. Infinities and NaN (a
// division by zero upstream, 1e308 typed twice) are never stored.
inline constexpr double kMaxAmount = 1e9;
// Whether v may be stored as an amount: finite, and no further from 0 than kMaxAmount.
bool isStorable(double v);
// Whether v is a whole number of fen (12.34, not 12.345): money a person hands over or pays in.
bool isWholeFen(double v);
// What a person is told when an amount or a sum of amounts is not storable.
extern const QString kAmountOutOfRange;

// Reads what a person typed into an amount field: blanks ignored, empty reads 0.
// Returns false (value untouched) when the text is not a number.
bool parseAmount(const QString& text, double& value);

} // namespace money
