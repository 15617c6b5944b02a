// Prescription line lists for hosts (their handles and accessors) and the exports that load,
// extend and store them: ShowMedicineList, InputMedicineList, AMDDetailMedicineRecord.
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "rx/PrescriptionDetail.h"
#include <array>
#include <new>

struct CalvaneMedicineList {
    rx::MedicineLineList lines;
    std::array<QByteArray, 10> lastRead; // the texts handed out by the last Get
};

// Every cell kept as UTF-8, so the texts handed out stay valid until the rows change.
struct CalvaneListRows {
    QList<QByteArrayList> cells;

    void fill(const QList<QStringList>& rows)
    {
        cells.clear();
        for (const QStringList& row : rows) {
            QByteArrayList encoded;
            for (const QString& cell : row) encoded << cell.toUtf8();
            cells << encoded;
        }
    }
};

namespace {

rx::MedicineLine lineFrom(const CalvaneMedicineLine& in)
{
    rx::MedicineLine l;
    l.category = app::text(in.category);
    l.name = app::text(in.name);
    l.spec = app::text(in.spec);
    l.unit = app::text(in.unit);
    l.price = in.price;
    l.quantity = in.quantity;
    l.extra = in.extra;
    l.amount = in.amount;
    l.usage = app::text(in.usage);
    l.freeText = app::text(in.free_text);
    l.dose = app::text(in.dose);
    l.timesPerDay = app::text(in.times_per_day);
    l.insurance = app::text(in.insurance);
    l.remark = app::text(in.remark);
    l.documentId = in.document_id;
    l.rowId = in.row_id;
    l.copied = in.copied;
    return l;
}

void lineTo(const rx::MedicineLine& l, std::array<QByteArray, 10>& texts, CalvaneMedicineLine& out)
{
    texts = {l.category.toUtf8(), l.name.toUtf8(),     l.spec.toUtf8(),  l.unit.toUtf8(),
             l.usage.toUtf8(),    l.freeText.toUtf8(), l.dose.toUtf8(),  l.timesPerDay.toUtf8(),
             l.insurance.toUtf8(), l.remark.toUtf8()};
    out.category = texts[0].constData();
    out.name = texts[1].constData();
    out.spec = texts[2].constData();
    out.unit = texts[3].constData();
    out.price = l.price;
    out.quantity = l.quantity;
    out.extra = l.extra;
    out.amount = l.amount;
    out.usage = texts[4].constData();
    out.free_text = texts[5].constData();
    out.dose = texts[6].constData();
    out.times_per_day = texts[7].constData();
    out.insurance = texts[8].constData();
    out.remark = texts[9].constData();
    out.document_id = l.documentId;
    out.row_id = l.rowId;
    out.copied = l.copied;
}

// Runs a list operation: 0 when it went through, 1 with the reason recorded when it threw.
template <class Body>
int32_t listCall(const char* name, Body&& body)
{
    app::clearLastError();
    try {
        body();
        return 0;
    } catch (const std::exception& e) {
        app::setLastError(name, QString::fromUtf8(e.what()));
    }
    return 1;
}

[[noreturn]] void missing(const char* what) { throw std::invalid_argument(std::string("no ") + what); }

} // namespace

extern "C" {

CalvaneMedicineList* CalvaneMedicineListCreate(void) { return new (std::nothrow) CalvaneMedicineList; }
void CalvaneMedicineListDestroy(CalvaneMedicineList* list) { delete list; }
int32_t CalvaneMedicineListCount(const CalvaneMedicineList* list) { return list ? list->lines.size() : 0; }

int32_t CalvaneMedicineListGet(CalvaneMedicineList* list, int32_t position, CalvaneMedicineLine* line)
{
    return listCall("CalvaneMedicineListGet", [&] {
        if (!list) missing("line list");
        if (!line) missing("line to fill");
        lineTo(list->lines.at(position), list->lastRead, *line);
    });
}

int32_t CalvaneMedicineListInsert(CalvaneMedicineList* list, int32_t position, const CalvaneMedicineLine* line)
{
    return listCall("CalvaneMedicineListInsert", [&] {
        if (!list) missing("line list");
        if (!line) missing("line");
        list->lines.insert(position, lineFrom(*line));
    });
}

int32_t CalvaneMedicineListRemove(CalvaneMedicineList* list, int32_t position)
{
    return listCall("CalvaneMedicineListRemove", [&] {
        if (!list) missing("line list");
        list->lines.remove(position);
    });
}

CalvaneListRows* CalvaneListRowsCreate(void) { return new (std::nothrow) CalvaneListRows; }
void CalvaneListRowsDestroy(CalvaneListRows* rows) { delete rows; }
int32_t CalvaneListRowsCount(const CalvaneListRows* rows) { return rows ? static_cast<int32_t>(rows->cells.size()) : 0; }

const char* CalvaneListRowsText(const CalvaneListRows* rows, int32_t row, int32_t column)
{
    if (!rows || row < 0 || row >= rows->cells.size() || column < 0 || column >= rows->cells[row].size()) return "";
    return rows->cells[row][column].constData();
}

int32_t ShowMedicineList(int32_t mode, CalvaneConnection* conn, int32_t document_id, CalvaneMedicineList* lines,
                         CalvaneListRows* list_control, double* total)
{
    return app::runDataExport(
        "ShowMedicineList", conn,
        [&](db::Connection& c, QString&) -> int32_t {
            if (!lines) missing("line list");
            QList<QStringList> rows;
            const double sum = rx::ShowMedicineList(c, rx::feeDocumentOf(mode), document_id,
                                                    lines->lines, list_control ? &rows : nullptr);
            if (list_control) list_control->fill(rows);
            app::write(total, sum);
            return 0;
        },
        {.ui = app::Ui::None, .refused = 1});
}

int32_t InputMedicineList(CalvaneMedicineList* lines, const CalvaneMedicineLine* line, double* total)
{
    return listCall("InputMedicineList", [&] {
        if (!lines) missing("line list");
        if (!line) missing("line");
        app::write(total, rx::InputMedicineList(lines->lines, lineFrom(*line)));
    });
}

int32_t AMDDetailMedicineRecord(int32_t mode, CalvaneConnection* conn, CalvaneMedicineList* lines,
                                CalvaneMedicineList* removed, int32_t document_id)
{
    return app::runDataExport(
        "AMDDetailMedicineRecord", conn,
        [&](db::Connection& c, QString&) -> int32_t {
            if (!lines) missing("line list");
            if (removed == lines) throw std::invalid_argument("the removed lines must be a list of their own");
            rx::MedicineLineList none;
            rx::AMDDetailMedicineRecord(c, rx::feeDocumentOf(mode), lines->lines,
                                        removed ? removed->lines : none, document_id);
            return 0;
        },
        {.ui = app::Ui::None, .refused = 1});
}

} // extern "C"
