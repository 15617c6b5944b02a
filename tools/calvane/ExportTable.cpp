#include "tools/calvane/ExportTable.h"
#include "common/ShortQuote.h"
#include "common/OleDate.h"
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace calltable {

namespace {

using K = Kind;

std::vector<Export> makeTable()
{
    return {
        {"PayForNoCard",
         {{"conn", K::Connection}, {"sheet_id", K::Long}, {"doctor", K::Text}, {"cashier", K::Text},
          {"date", K::Date}, {"stored_id", K::LongOut}, {"second", K::LongOut}, {"nurse", K::Text},
          {"date_lock", K::LongIn}},
         [](Args& a) { return PayForNoCard(a.conn(0), a.l(1), a.s(2), a.s(3), a.d(4), a.p(5), a.p(6), a.s(7), a.p(8)); }},
        {"ReceiptSet",
         {{"conn", K::Connection}, {"case_number", K::Long}, {"receipt_id", K::LongInOut}, {"doctor", K::Text},
          {"department", K::Text}, {"doctor_number", K::Text}, {"patient", K::Text}, {"date", K::Date},
          {"nurse", K::Text}, {"date_lock", K::LongIn}},
         [](Args& a) {
             return ReceiptSet(a.conn(0), a.l(1), a.p(2), a.s(3), a.s(4), a.s(5), a.s(6), a.d(7), a.s(8), a.p(9));
         }},
        {"ReceiptPay",
         {{"resettle", K::Long}, {"conn", K::Connection}, {"patient_number", K::Text}, {"case_number", K::Long},
          {"receipt_id", K::LongIn}, {"unused_text", K::Text}, {"doctor_number", K::Text}, {"patient", K::Text},
          {"unused_date", K::Date}, {"cashier", K::Text}, {"state", K::LongInOut}, {"print_switch", K::Long},
          {"date_lock", K::LongIn}},
         [](Args& a) {
             return ReceiptPay(a.l(0), a.conn(1), a.s(2), a.l(3), a.p(4), a.s(5), a.s(6), a.s(7), a.d(8), a.s(9),
                               a.p(10), a.l(11), a.p(12));
         }},
        {"RescriptionReceiptPay",
         {{"resettle", K::Long}, {"conn", K::Connection}, {"patient_number", K::Text}, {"case_number", K::Long},
          {"receipt_id", K::LongIn}, {"unused_text", K::Text}, {"doctor_number", K::Text},
          {"unused_text2", K::Text}, {"patient", K::Text}, {"unused_date", K::Date}, {"cashier", K::Text},
          {"state", K::LongInOut}, {"print_switch", K::Long}, {"date_lock", K::LongIn}},
         [](Args& a) {
             return RescriptionReceiptPay(a.l(0), a.conn(1), a.s(2), a.l(3), a.p(4), a.s(5), a.s(6), a.s(7), a.s(8),
                                          a.d(9), a.s(10), a.p(11), a.l(12), a.p(13));
         }},
        {"StandartPaySet0",
         {{"conn", K::Connection}, {"case_number", K::Long}, {"receipt_id", K::LongInOut}, {"doctor", K::Text},
          {"department", K::Text}, {"doctor_number", K::Text}, {"patient", K::Text}, {"patient_number", K::Text},
          {"date", K::Date}, {"nurse", K::Text}, {"date_lock", K::LongIn}},
         [](Args& a) {
             return StandartPaySet0(a.conn(0), a.l(1), a.p(2), a.s(3), a.s(4), a.s(5), a.s(6), a.s(7), a.d(8),
                                    a.s(9), a.p(10));
         }},
        {"MedicineRescriptionSet",
         {{"conn", K::Connection}, {"case_number", K::Long}, {"receipt_id", K::LongInOut}, {"doctor", K::Text},
          {"department", K::Text}, {"doctor_number", K::Text}, {"nurse", K::Text}, {"patient", K::Text},
          {"patient_number", K::Text}, {"date", K::Date}, {"cashier", K::Text}, {"date_lock", K::LongIn}},
         [](Args& a) {
             return MedicineRescriptionSet(a.conn(0), a.l(1), a.p(2), a.s(3), a.s(4), a.s(5), a.s(6), a.s(7),
                                           a.s(8), a.d(9), a.s(10), a.p(11));
         }},
        {"StandartPay",
         {{"resettle", K::Long}, {"conn", K::Connection}, {"case_number", K::Long}, {"receipt_id", K::LongInOut},
          {"doctor", K::Text}, {"department", K::Text}, {"doctor_number", K::Text}, {"patient", K::Text},
          {"patient_number", K::Text}, {"cashier", K::Text}, {"unused_date", K::Date}, {"state", K::LongInOut},
          {"print_switch", K::Long}, {"date_lock", K::LongIn}},
         [](Args& a) {
             return StandartPay(a.l(0), a.conn(1), a.l(2), a.p(3), a.s(4), a.s(5), a.s(6), a.s(7), a.s(8), a.s(9),
                                a.d(10), a.p(11), a.l(12), a.p(13));
         }},
        {"StandartPayResult",
         {{"resettle", K::Long}, {"conn", K::Connection}, {"case_number", K::Long}, {"receipt_id", K::LongIn},
          {"doctor", K::Text}, {"department", K::Text}, {"doctor_number", K::Text}, {"patient", K::Text},
          {"patient_number", K::Text}, {"cashier", K::Text}},
         [](Args& a) {
             return StandartPayResult(a.l(0), a.conn(1), a.l(2), a.p(3), a.s(4), a.s(5), a.s(6), a.s(7), a.s(8),
                                      a.s(9));
         }},
        {"StandartPayForNoCard",
         {{"conn", K::Connection}, {"sheet_id", K::Long}, {"doctor", K::Text}, {"cashier", K::Text},
          {"date", K::Date}, {"stored_id", K::LongOut}, {"second", K::LongOut}, {"nurse", K::Text},
          {"date_lock", K::LongIn}},
         [](Args& a) {
             return StandartPayForNoCard(a.conn(0), a.l(1), a.s(2), a.s(3), a.d(4), a.p(5), a.p(6), a.s(7), a.p(8));
         }},
        {"ReceiptEditResult",
         {{"conn", K::Connection}, {"receipt_id", K::Long}, {"patient", K::Text}, {"treatment_number", K::Long},
          {"doctor", K::Text}, {"doctor_number", K::Text}, {"unused_number", K::Long}, {"cashier", K::Text},
          {"date", K::Date}},
         [](Args& a) {
             return ReceiptEditResult(a.conn(0), a.l(1), a.s(2), a.l(3), a.s(4), a.s(5), a.l(6), a.s(7), a.d(8));
         }},
        {"BeijingReceiptPrint",
         {{"conn", K::Connection}, {"payer", K::Text}, {"case_number_text", K::Text}, {"amount", K::Double},
          {"cashier", K::Text}, {"date", K::Date}, {"receipt_id", K::LongInOut}},
         [](Args& a) { return BeijingReceiptPrint(a.conn(0), a.s(1), a.s(2), a.d(3), a.s(4), a.d(5), a.p(6)); }},
        {"BeijingReceiptPrint1",
         {{"conn", K::Connection}, {"payer", K::Text}, {"receipt_no", K::Text}, {"amount", K::Double},
          {"cashier", K::Text}, {"date", K::Date}, {"receipt_id", K::LongInOut}},
         [](Args& a) { return BeijingReceiptPrint1(a.conn(0), a.s(1), a.s(2), a.d(3), a.s(4), a.d(5), a.p(6)); }},
        {"ReceiptPrint",
         {{"value1", K::Long}, {"value2", K::Long}, {"value3", K::Long}, {"value4", K::Long}, {"text1", K::Text},
          {"text2", K::Text}, {"text3", K::Text}, {"text4", K::Text}},
         [](Args& a) { return ReceiptPrint(a.l(0), a.l(1), a.l(2), a.l(3), a.s(4), a.s(5), a.s(6), a.s(7)); },
         false},
        {"SDTableStatic",
         {{"conn", K::Connection}, {"clinic", K::Text}, {"operator_name", K::Text}},
         [](Args& a) { return SDTableStatic(a.conn(0), a.s(1), a.s(2)); }},
        {"SDTableDisable", {{"conn", K::Connection}}, [](Args& a) { return SDTableDisable(a.conn(0)); }},
        {"HEBEITableStatic",
         {{"conn", K::Connection}, {"paying_unit", K::Text}, {"cashier", K::Text}},
         [](Args& a) { return HEBEITableStatic(a.conn(0), a.s(1), a.s(2)); }},
        {"SetSysthesisChoice",
         {{"conn", K::Connection}, {"report_type", K::Long}},
         [](Args& a) { return SetSysthesisChoice(a.conn(0), a.l(1)); }},
        {"SetSysthesisStandartItemChoice",
         {{"conn", K::Connection}, {"kind", K::Long}},
         [](Args& a) { return SetSysthesisStandartItemChoice(a.conn(0), a.l(1)); }},
        {"GetPrePayTotalMoney",
         {{"conn", K::Connection}, {"account", K::Long}, {"balance", K::DoubleOut}},
         [](Args& a) { return GetPrePayTotalMoney(a.conn(0), a.l(1), a.dp(2)); },
         false},
        {"GetPrePayInfo1",
         {{"conn", K::Connection}, {"resettle", K::Long}, {"use_prepay", K::LongInOut}, {"patient_code", K::Text},
          {"account", K::LongOut}, {"unused", K::Double}, {"pay_sheet", K::Long}},
         [](Args& a) { return GetPrePayInfo1(a.conn(0), a.l(1), a.p(2), a.s(3), a.p(4), a.d(5), a.l(6)); },
         false},
        {"VipGradeSet",
         {{"conn", K::Connection}, {"member_code", K::Text}, {"patient", K::Text}, {"points", K::Double},
          {"auto_flag", K::Short}, {"operator_name", K::Text}, {"date", K::Date}, {"account", K::Long},
          {"note", K::Text}, {"receipt_id", K::Long}},
         [](Args& a) {
             return VipGradeSet(a.conn(0), a.s(1), a.s(2), a.d(3), a.h(4), a.s(5), a.d(6), a.l(7), a.s(8), a.l(9));
         },
         false},
        {"ShowMedicineList",
         {{"mode", K::Long}, {"conn", K::Connection}, {"document_id", K::Long}, {"lines", K::Lines},
          {"list_control", K::Rows}, {"total", K::DoubleOut}},
         [](Args& a) { return ShowMedicineList(a.l(0), a.conn(1), a.l(2), a.lines(3), a.rows(4), a.dp(5)); }, false},
        {"InputMedicineList",
         {{"lines", K::Lines}, {"line", K::Line}, {"total", K::DoubleOut}},
         [](Args& a) { return InputMedicineList(a.lines(0), a.line(1), a.dp(2)); }, false},
        {"AMDDetailMedicineRecord",
         {{"mode", K::Long}, {"conn", K::Connection}, {"lines", K::Lines}, {"removed", K::Lines},
          {"document_id", K::Long}},
         [](Args& a) { return AMDDetailMedicineRecord(a.l(0), a.conn(1), a.lines(2), a.lines(3), a.l(4)); }, false},
        {"CheckRelationBetweenMedicineAndKB", {{"conn", K::Connection}},
         [](Args& a) { return CheckRelationBetweenMedicineAndKB(a.conn(0)); }, false},
    };
}

const QString dateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

} // namespace

const std::vector<Export>& exports()
{
    static const std::vector<Export> table = makeTable();
    return table;
}

const Export* find(const QString& name)
{
    for (const Export& e : exports())
        if (e.name == name) return &e;
    return nullptr;
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Connection: return QStringLiteral("connection (--db)");
    case Kind::Text: return QStringLiteral("text");
    case Kind::Long: return QStringLiteral("long");
    case Kind::LongIn: return QStringLiteral("long (in)");
    case Kind::LongOut: return QStringLiteral("long (out)");
    case Kind::LongInOut: return QStringLiteral("long (in/out)");
    case Kind::Double: return QStringLiteral("amount");
    case Kind::DoubleOut: return QStringLiteral("amount (out)");
    case Kind::Short: return QStringLiteral("16-bit whole number");
    case Kind::Date: return QStringLiteral("date YYYY-MM-DD HH:MM:SS");
    case Kind::Lines: return QStringLiteral("line list, JSON [{\"name\": …, \"price\": …}, …] (in/out)");
    case Kind::Line: return QStringLiteral("line, JSON {\"name\": …, \"price\": …}");
    case Kind::Rows: return QStringLiteral("list rows (out)");
    }
    return QString();
}

bool isOut(Kind kind)
{
    return kind == Kind::LongOut || kind == Kind::LongInOut || kind == Kind::DoubleOut || kind == Kind::Lines ||
           kind == Kind::Rows;
}

Args::Args(const Export& e) : export_(&e), slots_(e.params.size())
{
    const double now = oledate::fromDateTime(QDateTime::currentDateTime());
    for (size_t i = 0; i < e.params.size(); ++i) {
        if (e.params[i].kind == Kind::Date) slots_[i].real = now;
        if (e.params[i].kind == Kind::Lines)
            slots_[i].lines.reset(CalvaneMedicineListCreate(), CalvaneMedicineListDestroy);
        if (e.params[i].kind == Kind::Rows) slots_[i].rows.reset(CalvaneListRowsCreate(), CalvaneListRowsDestroy);
        if (e.params[i].kind == Kind::Line) lineFromJson({}, slots_[i].line, nullptr);
    }
}

int Args::indexOf(const QString& name) const
{
    for (size_t i = 0; i < export_->params.size(); ++i)
        if (export_->params[i].name == name) return int(i);
    return -1;
}

bool Args::set(const QString& name, const QString& value, QString* error)
{
    const int i = indexOf(name);
    if (i < 0) {
        *error = QStringLiteral("%1 has no parameter %2").arg(export_->name, shortQuote(name));
        return false;
    }
    Slot& slot = slots_[i];
    bool ok = true;
    switch (export_->params[i].kind) {
    case Kind::Connection:
        *error = QStringLiteral("the connection is given with --db");
        return false;
    case Kind::Text: slot.text = value.toUtf8(); break;
    case Kind::Long:
    case Kind::LongIn:
    case Kind::LongOut:
    case Kind::LongInOut: slot.number = value.toInt(&ok); break;
    case Kind::Double:
    case Kind::DoubleOut: slot.real = value.toDouble(&ok); break;
    case Kind::Short: {
        const int v = value.toInt(&ok);
        ok = ok && v >= -32768 && v <= 32767;
        slot.number = v;
        break;
    }
    case Kind::Date: {
        QDateTime t = QDateTime::fromString(value, dateFormat);
        if (!t.isValid()) t = QDateTime(QDate::fromString(value, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        ok = t.isValid();
        if (ok) slot.real = oledate::fromDateTime(t);
        break;
    }
    case Kind::Lines: {
        const QJsonDocument doc = QJsonDocument::fromJson(value.toUtf8());
        ok = doc.isArray();
        std::shared_ptr<CalvaneMedicineList> list(CalvaneMedicineListCreate(), CalvaneMedicineListDestroy);
        for (const QJsonValue& v : doc.array()) {
            OwnedLine l;
            QString reason = QStringLiteral("every line is a JSON object");
            if (!v.isObject() || !lineFromJson(v.toObject(), l, &reason) ||
                CalvaneMedicineListInsert(list.get(), CalvaneMedicineListCount(list.get()), &l.line) != 0) {
                *error = QStringLiteral("%1: %2").arg(name, reason);
                return false;
            }
        }
        if (ok) slot.lines = list;
        break;
    }
    case Kind::Line: {
        const QJsonDocument doc = QJsonDocument::fromJson(value.toUtf8());
        ok = doc.isObject();
        QString reason;
        if (ok && !lineFromJson(doc.object(), slot.line, &reason)) {
            *error = QStringLiteral("%1: %2").arg(name, reason);
            return false;
        }
        break;
    }
    case Kind::Rows:
        *error = QStringLiteral("%1 is only written by the export").arg(name);
        return false;
    }
    if (!ok) *error = QStringLiteral("%1=%2: not a %3").arg(name, shortQuote(value), kindName(export_->params[i].kind));
    return ok;
}

QString Args::text(const QString& name) const
{
    const int i = indexOf(name);
    if (i < 0) return QString();
    const Slot& slot = slots_[i];
    switch (export_->params[i].kind) {
    case Kind::Connection: return QString();
    case Kind::Text: return QString::fromUtf8(slot.text);
    case Kind::Double:
    case Kind::DoubleOut: return QString::number(slot.real, 'f', 2);
    case Kind::Date: return oledate::toDateTime(slot.real).toString(dateFormat);
    case Kind::Lines: return QString::fromUtf8(QJsonDocument(linesToJson(slot.lines.get())).toJson(QJsonDocument::Compact));
    case Kind::Line: return QString::fromUtf8(QJsonDocument(lineToJson(slot.line.line)).toJson(QJsonDocument::Compact));
    case Kind::Rows: return QString::fromUtf8(QJsonDocument(rowsToJson(slot.rows.get())).toJson(QJsonDocument::Compact));
    default: return QString::number(slot.number);
    }
}

QByteArray Args::resultJson(int32_t result) const
{
    // Written by hand so that the out-parameters keep the order of the signature.
    QByteArray json = "{\"result\":" + QByteArray::number(result) + ",\"out\":{";
    bool first = true;
    for (size_t i = 0; i < export_->params.size(); ++i) {
        const Param& p = export_->params[i];
        if (!isOut(p.kind)) continue;
        if (!first) json += ",";
        first = false;
        QJsonValue value(slots_[i].number);
        if (p.kind == Kind::DoubleOut) value = slots_[i].real;
        if (p.kind == Kind::Lines) value = linesToJson(slots_[i].lines.get());
        if (p.kind == Kind::Rows) value = rowsToJson(slots_[i].rows.get());
        json += QJsonDocument(QJsonObject{{p.name, value}}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
    }
    return json + "}}";
}

} // namespace calltable
