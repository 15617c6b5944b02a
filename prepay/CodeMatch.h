#pragma once
#include <QString>

namespace prepay {

// Patient and member codes compare as on the clinic's SQL Server: ASCII case and trailing
// blanks do not count. Gives "column matches the next bound value".
inline QString codeMatches(const QString& column)
{
    return QStringLiteral("lower(rtrim(%1))=lower(rtrim(?))").arg(column);
}

} // namespace prepay
