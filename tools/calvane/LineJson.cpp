#include "tools/calvane/LineJson.h"
#include <QJsonValue>

namespace calltable {

namespace {

// The text fields, in the order of OwnedLine::texts.
const char* const textKeys[10] = {"category", "name", "spec", "unit", "usage", "free_text", "dose", "times_per_day",
                                  "insurance", "remark"};

const char** textField(CalvaneMedicineLine& l, int i)
{
    const char** fields[10] = {&l.category, &l.name,      &l.spec,          &l.unit,      &l.usage,
                               &l.free_text, &l.dose,     &l.times_per_day, &l.insurance, &l.remark};
    return fields[i];
}

double* numberField(CalvaneMedicineLine& l, const QString& key)
{
    if (key == QLatin1String("price")) return &l.price;
    if (key == QLatin1String("quantity")) return &l.quantity;
    if (key == QLatin1String("extra")) return &l.extra;
    if (key == QLatin1String("amount")) return &l.amount;
    return nullptr;
}

int32_t* wholeField(CalvaneMedicineLine& l, const QString& key)
{
    if (key == QLatin1String("document_id")) return &l.document_id;
    if (key == QLatin1String("row_id")) return &l.row_id;
    if (key == QLatin1String("copied")) return &l.copied;
    return nullptr;
}

// 名称, 规格, 单位, 单价, 数量, 金额, 类别, 服用方式, 每次用量, 每日次数, 医保类型, 备注, ID.
constexpr int32_t listColumns = 13;

} // namespace

bool lineFromJson(const QJsonObject& json, OwnedLine& out, QString* error)
{
    out.line = CalvaneMedicineLine{};
    out.texts = {};
    for (int i = 0; i < 10; ++i) *textField(out.line, i) = "";
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString key = it.key();
        int text = -1;
        for (int i = 0; i < 10; ++i)
            if (key == QLatin1String(textKeys[i])) text = i;
        if (text >= 0) {
            if (!it->isString()) {
                *error = QStringLiteral("line field %1: not a text").arg(key);
                return false;
            }
            // A host's text ends at its first NUL: the line would be stored cut short.
            if (it->toString().contains(QChar(0))) {
                *error = QStringLiteral("line field %1: holds a NUL character").arg(key);
                return false;
            }
            out.texts[text] = it->toString().toUtf8();
            *textField(out.line, text) = out.texts[text].constData();
        } else if (double* number = numberField(out.line, key)) {
            if (!it->isDouble()) {
                *error = QStringLiteral("line field %1: not a number").arg(key);
                return false;
            }
            *number = it->toDouble();
        } else if (int32_t* whole = wholeField(out.line, key)) {
            if (!it->isDouble() || it->toDouble() != double(it->toInt())) {
                *error = QStringLiteral("line field %1: not a whole number").arg(key);
                return false;
            }
            *whole = it->toInt();
        } else {
            *error = QStringLiteral("a line has no field %1").arg(key);
            return false;
        }
    }
    return true;
}

QJsonObject lineToJson(const CalvaneMedicineLine& line)
{
    CalvaneMedicineLine l = line;
    QJsonObject o;
    for (int i = 0; i < 10; ++i) o.insert(QLatin1String(textKeys[i]), QString::fromUtf8(*textField(l, i)));
    o.insert(QStringLiteral("price"), l.price);
    o.insert(QStringLiteral("quantity"), l.quantity);
    o.insert(QStringLiteral("extra"), l.extra);
    o.insert(QStringLiteral("amount"), l.amount);
    o.insert(QStringLiteral("document_id"), l.document_id);
    o.insert(QStringLiteral("row_id"), l.row_id);
    o.insert(QStringLiteral("copied"), l.copied);
    return o;
}

QJsonArray linesToJson(CalvaneMedicineList* list)
{
    QJsonArray a;
    for (int32_t i = 1; i <= CalvaneMedicineListCount(list); ++i) {
        CalvaneMedicineLine l{};
        if (CalvaneMedicineListGet(list, i, &l) == 0) a.append(lineToJson(l));
    }
    return a;
}

QJsonArray rowsToJson(CalvaneListRows* rows)
{
    QJsonArray a;
    for (int32_t r = 0; r < CalvaneListRowsCount(rows); ++r) {
        QJsonArray row;
        for (int32_t c = 0; c < listColumns; ++c) row.append(QString::fromUtf8(CalvaneListRowsText(rows, r, c)));
        a.append(row);
    }
    return a;
}

} // namespace calltable
