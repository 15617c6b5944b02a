#pragma once
#include "calvane/calvane.h"
#include "tools/calvane/LineJson.h"
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The exports as data: their parameters in order, with names and kinds, and how to call each
// through the C API exactly as a host does. `calvane call` and the desk use it; a new export
// is one more entry in ExportTable.cpp.
namespace calltable {

enum class Kind {
    Connection,
    Text,
    Long,
    LongIn,    // pointer to long, read by the export
    LongOut,   // pointer to long, written by the export
    LongInOut, // both
    Double,
    DoubleOut, // pointer to double, written by the export
    Short,     // 16-bit whole number
    Date,      // OLE date; given and shown as "YYYY-MM-DD HH:MM:SS"
    Lines,     // a prescription line list, given and shown as a JSON array of lines (in/out)
    Line,      // one prescription line, given as a JSON object
    Rows,      // the rows a list control would show (out)
};

struct Param {
    QString name;
    Kind kind;
};

class Args;

struct Export {
    QString name;
    std::vector<Param> params;
    std::function<int32_t(Args&)> call;
    bool dialog = true;
};

const std::vector<Export>& exports();
const Export* find(const QString& name);
QString kindName(Kind kind);
bool isOut(Kind kind);

// The values of one call, by position. Texts default to "", numbers to 0, dates to now.
class Args {
public:
    explicit Args(const Export& e);
    const Export& exportInfo() const { return *export_; }
    // Sets one parameter from its text ("YYYY-MM-DD HH:MM:SS" for dates). False with a reason.
    bool set(const QString& name, const QString& value, QString* error);
    void setConnection(CalvaneConnection* c) { connection_ = c; }
    // Values by name as text, for showing (dates formatted).
    QString text(const QString& name) const;

    // The invokers' accessors, by parameter position.
    CalvaneConnection* conn(int) const { return connection_; }
    const char* s(int i) const { return slots_[i].text.constData(); }
    int32_t l(int i) const { return slots_[i].number; }
    int32_t* p(int i) { return &slots_[i].number; }
    double d(int i) const { return slots_[i].real; }
    double* dp(int i) { return &slots_[i].real; }
    int16_t h(int i) const { return int16_t(slots_[i].number); }
    CalvaneMedicineList* lines(int i) const { return slots_[i].lines.get(); }
    const CalvaneMedicineLine* line(int i) const { return &slots_[i].line.line; }
    CalvaneListRows* rows(int i) const { return slots_[i].rows.get(); }

    int32_t call() { return export_->call(*this); }
    // {"result": R, "out": {NAME: VALUE, …}} with every out and in/out parameter.
    QByteArray resultJson(int32_t result) const;

private:
    struct Slot {
        QByteArray text;
        int32_t number = 0;
        double real = 0;
        std::shared_ptr<CalvaneMedicineList> lines;
        OwnedLine line;
        std::shared_ptr<CalvaneListRows> rows;
    };
    int indexOf(const QString& name) const;

    const Export* export_;
    CalvaneConnection* connection_ = nullptr;
    std::vector<Slot> slots_;
};

} // namespace calltable
