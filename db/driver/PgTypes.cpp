#include "db/driver/PgTypes.h"
#include <QDateTime>
#include <charconv>
#include <cmath>
#include <libpq-fe.h>

namespace db::driver::pg {

namespace {

// Type OIDs from PostgreSQL's pg_type catalogue; fixed since the types were added.
enum Oid : unsigned {
    Bool = 16,
    Bytea = 17,
    Int8 = 20,
    Int2 = 21,
    Int4 = 23,
    Float4 = 700,
    Float8 = 701,
    Date = 1082,
    Time = 1083,
    Timestamp = 1114,
    Timestamptz = 1184,
    Numeric = 1700,
};

QByteArray doubleText(double d)
{
    if (std::isnan(d)) return QByteArrayLiteral("NaN");
    if (std::isinf(d)) return d > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
    // The shortest text that reads back as the same double: no digit of a sum is lost on the way.
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, d);
    return QByteArray(buffer, r.ptr - buffer);
}

double textDouble(const char* text, int length)
{
    double d = 0;
    const auto r = std::from_chars(text, text + length, d);
    if (r.ec == std::errc()) return d;
    const QByteArray s(text, length);
    if (s == "NaN") return std::nan("");
    if (s == "Infinity") return HUGE_VAL;
    if (s == "-Infinity") return -HUGE_VAL;
    return 0;
}

// "HH:MM:SS[.ffffff]" at the start of text; the rest (a zone) is returned through `rest`.
QTime timeOf(QByteArrayView text, QByteArrayView* rest)
{
    if (text.size() < 8) return {};
    const QTime t = QTime::fromString(QString::fromLatin1(text.first(8)), QStringLiteral("HH:mm:ss"));
    qsizetype i = 8;
    int ms = 0;
    if (i < text.size() && text[i] == '.') {
        int digits = 0;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            if (digits++ < 3) ms = ms * 10 + (text[i] - '0');
        for (; digits < 3; ++digits) ms *= 10;
    }
    if (rest) *rest = text.sliced(i);
    return t.isValid() ? t.addMSecs(ms) : t;
}

// "+08", "-03:30", "+05:45:12" as seconds east of UTC.
int zoneOffset(QByteArrayView zone)
{
    if (zone.isEmpty()) return 0;
    const int sign = zone[0] == '-' ? -1 : 1;
    int parts[3] = {0, 0, 0};
    int part = 0;
    for (qsizetype i = 1; i < zone.size() && part < 3; ++i) {
        if (zone[i] == ':') ++part;
        else parts[part] = parts[part] * 10 + (zone[i] - '0');
    }
    return sign * (parts[0] * 3600 + parts[1] * 60 + parts[2]);
}

QVariant timestampOf(QByteArrayView text, bool withZone)
{
    // ISO output: "YYYY-MM-DD HH:MM:SS[.ffffff][±zone]". "infinity" and BC dates read as text.
    if (text.size() < 19 || text[10] != ' ') return QString::fromLatin1(text);
    const QDate d = QDate::fromString(QString::fromLatin1(text.first(10)), Qt::ISODate);
    QByteArrayView zone;
    const QTime t = timeOf(text.sliced(11), &zone);
    if (!d.isValid() || !t.isValid()) return QString::fromLatin1(text);
    if (!withZone) return QDateTime(d, t);
    return QDateTime(d, t, Qt::OffsetFromUTC, zoneOffset(zone)).toLocalTime();
}

} // namespace

Parameter encode(const QVariant& value)
{
    Parameter p;
    if (value.isNull()) return p;
    p.null = false;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        p.data = QByteArray::number(value.toLongLong());
        break;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
        p.data = QByteArray::number(value.toULongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        p.data = doubleText(value.toDouble());
        break;
    case QMetaType::Bool:
        // Read as a boolean by a boolean column and as 0/1 by an integer one.
        p.data = value.toBool() ? "1" : "0";
        break;
    case QMetaType::QByteArray:
        p.data = value.toByteArray();
        p.binary = true;
        break;
    case QMetaType::QDateTime:
        p.data = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
        break;
    case QMetaType::QDate:
        p.data = value.toDate().toString(Qt::ISODate).toLatin1();
        break;
    case QMetaType::QTime:
        p.data = value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
        break;
    default:
        p.data = value.toString().toUtf8();
    }
    return p;
}

QVariant decode(unsigned typeOid, const char* text, int length)
{
    const QByteArrayView s(text, length);
    switch (typeOid) {
    case Bool:
        return QVariant(length > 0 && text[0] == 't');
    case Int2:
    case Int4:
        return QVariant(s.toInt());
    case Int8:
        return QVariant(s.toLongLong());
    case Float4:
    case Float8:
    case Numeric:
        return QVariant(textDouble(text, length));
    case Date: {
        const QDate d = QDate::fromString(QString::fromLatin1(s), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant(QString::fromLatin1(s));
    }
    case Time:
        return QVariant(timeOf(s, nullptr));
    case Timestamp:
        return timestampOf(s, false);
    case Timestamptz:
        return timestampOf(s, true);
    case Bytea: {
        size_t size = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
        if (!bytes) return QVariant(QByteArray());
        QByteArray b(reinterpret_cast<const char*>(bytes), qsizetype(size));
        PQfreemem(bytes);
        return QVariant(b);
    }
    default:
        return QVariant(QString::fromUtf8(text, length));
    }
}

} // namespace db::driver::pg
