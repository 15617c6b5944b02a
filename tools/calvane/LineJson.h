#pragma once
#include "calvane/calvane.h"
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <array>

// Prescription lines as `calvane call` takes and prints them: JSON objects whose keys are the
// fields of CalvaneMedicineLine ({"name": "阿莫西林胶囊", "price": 12.5, …}).
namespace calltable {

// A line with its own copies of the texts its pointers point to.
struct OwnedLine {
    CalvaneMedicineLine line{};
    std::array<QByteArray, 10> texts;

    OwnedLine() = default;
    // A copy's pointers would point into the original's texts.
    OwnedLine(const OwnedLine&) = delete;
    OwnedLine& operator=(const OwnedLine&) = delete;
};

// Fills `out` from a JSON object; false with a reason for an unknown key or a wrong type.
bool lineFromJson(const QJsonObject& json, OwnedLine& out, QString* error);
QJsonObject lineToJson(const CalvaneMedicineLine& line);

// Every line of a list, head first; and the rows of a list control.
QJsonArray linesToJson(CalvaneMedicineList* list);
QJsonArray rowsToJson(CalvaneListRows* rows);

} // namespace calltable
