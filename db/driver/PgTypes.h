#pragma once
#include <QByteArray>
#include <QVariant>

namespace db::driver::pg {

// A value as a parameter of PQexecPrepared: text format except for bytes, which go as they
// are (binary). A null QVariant is SQL NULL.
struct Parameter {
    QByteArray data;
    bool null = true;
    bool binary = false;
};
Parameter encode(const QVariant& value);

// A column's text as the server sent it, read by the column's type (its OID): bool, int,
// qlonglong, double, QDate, QDateTime (local), QTime, QByteArray, or else QString.
QVariant decode(unsigned typeOid, const char* text, int length);

} // namespace db::driver::pg
