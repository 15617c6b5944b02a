#pragma once
#include <QByteArray>
#include <QString>

// The clinic's texts were GBK (code page 936). Where its bytes still matter — list columns
// sorted byte by byte, limits counted in bytes — these helpers give the same answers.
namespace gbk {

QByteArray encode(const QString& text); // characters GBK lacks become '?'
int byteLength(const QString& text);
// Negative, zero or positive, as a multibyte string compare orders the GBK bytes.
int compare(const QString& a, const QString& b);

} // namespace gbk
