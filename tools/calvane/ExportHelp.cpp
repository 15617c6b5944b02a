#include "tools/calvane/ExportHelp.h"
#include <QHash>

namespace calltable {

namespace {

struct Meaning {
    QString result;
    QHash<QString, QString> out;
};

const QString storedSheet = QStringLiteral("the stored sheet's ID; written only when confirmed");
const QString printAsked = QStringLiteral("1 when the dialog was confirmed and 是 answered the print prompt (the "
                                          "host then prints), else 0");
const QString storedReceipt = QStringLiteral("1 when cancelled or closed (nothing stored), 0 otherwise");
const QString receiptBack = QStringLiteral("the receipt's ID after the dialog; untouched when cancelled");
const QString stateAlways = QStringLiteral("the settlement state after the dialog, written on every ending");
const QString settledPrint = QStringLiteral("1 when settled, print_switch is 1 and 是 answered the print prompt, "
                                            "else 0");
const QString alwaysZero = QStringLiteral("always 0");
const QString formId = QStringLiteral("the stored form's ID when confirmed, else 0");

const QHash<QString, Meaning>& meanings()
{
    static const QHash<QString, Meaning> table{
        {QStringLiteral("PayForNoCard"),
         {printAsked, {{QStringLiteral("stored_id"), storedSheet},
                       {QStringLiteral("second"), QStringLiteral("0 when confirmed; untouched otherwise")}}}},
        {QStringLiteral("StandartPayForNoCard"),
         {printAsked, {{QStringLiteral("stored_id"), storedSheet},
                       {QStringLiteral("second"), QStringLiteral("0 when confirmed; untouched otherwise")}}}},
        {QStringLiteral("ReceiptSet"), {storedReceipt, {{QStringLiteral("receipt_id"), receiptBack}}}},
        {QStringLiteral("StandartPaySet0"), {storedReceipt, {{QStringLiteral("receipt_id"), receiptBack}}}},
        {QStringLiteral("MedicineRescriptionSet"), {storedReceipt, {{QStringLiteral("receipt_id"), receiptBack}}}},
        {QStringLiteral("ReceiptPay"), {settledPrint, {{QStringLiteral("state"), stateAlways}}}},
        {QStringLiteral("RescriptionReceiptPay"), {settledPrint, {{QStringLiteral("state"), stateAlways}}}},
        {QStringLiteral("StandartPay"),
         {settledPrint, {{QStringLiteral("receipt_id"), QStringLiteral("the receipt's ID; written only when settled")},
                         {QStringLiteral("state"), stateAlways}}}},
        {QStringLiteral("StandartPayResult"), {QStringLiteral("always 0 (the dialog only shows a settled receipt)"), {}}},
        {QStringLiteral("ReceiptEditResult"), {QStringLiteral("always 0 (nothing is handed back)"), {}}},
        {QStringLiteral("BeijingReceiptPrint"), {formId, {{QStringLiteral("receipt_id"), QStringLiteral("the same value as the result")}}}},
        {QStringLiteral("BeijingReceiptPrint1"), {formId, {{QStringLiteral("receipt_id"), QStringLiteral("the same value as the result")}}}},
        {QStringLiteral("ReceiptPrint"), {QStringLiteral("always 0; it does nothing"), {}}},
        {QStringLiteral("SDTableStatic"), {alwaysZero, {}}},
        {QStringLiteral("SDTableDisable"), {alwaysZero, {}}},
        {QStringLiteral("HEBEITableStatic"), {alwaysZero, {}}},
        {QStringLiteral("SetSysthesisChoice"), {alwaysZero, {}}},
        {QStringLiteral("SetSysthesisStandartItemChoice"), {alwaysZero, {}}},
        {QStringLiteral("GetPrePayTotalMoney"),
         {alwaysZero, {{QStringLiteral("balance"), QStringLiteral("the account's prepaid balance in yuan (0 for no "
                                                                  "such account)")}}}},
        {QStringLiteral("GetPrePayInfo1"),
         {QStringLiteral("0 when prepayment may be used (or was not asked for: use_prepay not 1), 1 when it may not"),
          {{QStringLiteral("use_prepay"), QStringLiteral("1 when prepayment may be used; set to 0 when it may not")},
           {QStringLiteral("account"), QStringLiteral("the patient's prepaid account (0: none)")}}}},
        {QStringLiteral("VipGradeSet"),
         {QStringLiteral("always 0; a booking that failed says so in a message (and the call fails)"), {}}},
        {QStringLiteral("ShowMedicineList"),
         {QStringLiteral("0, or 1 when the lines could not be read (nothing changed)"),
          {{QStringLiteral("lines"), QStringLiteral("the document's stored lines, newest first, before the given ones")},
           {QStringLiteral("list_control"), QStringLiteral("the rows a list control shows, one array of 13 texts per line")},
           {QStringLiteral("total"), QStringLiteral("the sum of the lines' 金额")}}}},
        {QStringLiteral("InputMedicineList"),
         {QStringLiteral("0, or 1 when the line is refused"),
          {{QStringLiteral("lines"), QStringLiteral("the given lines with the new one at the head")},
           {QStringLiteral("total"), QStringLiteral("the sum of the lines' 金额")}}}},
        {QStringLiteral("AMDDetailMedicineRecord"),
         {QStringLiteral("0 when every line was written; non-zero with nothing written"),
          {{QStringLiteral("lines"), QStringLiteral("the lines with their stored row IDs")},
           {QStringLiteral("removed"), QStringLiteral("empty once their rows are deleted")}}}},
        {QStringLiteral("CheckRelationBetweenMedicineAndKB"),
         {QStringLiteral("0 when prescriptions are checked against the stock and taken out of it; other values "
                         "when the clinic keeps no stock (1 also for no setting or a failure)"),
          {}}},
    };
    return table;
}

} // namespace

QString resultMeaning(const QString& exportName) { return meanings().value(exportName).result; }

QString outMeaning(const QString& exportName, const QString& parameter)
{
    return meanings().value(exportName).out.value(parameter);
}

} // namespace calltable
