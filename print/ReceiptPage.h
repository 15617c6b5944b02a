#pragma once
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include <QDateTime>
#include <QList>
#include <QString>

// The receipt page the desk hands a patient for any settled document: a fee receipt, a
// standard-item receipt, a prescription or a walk-in sheet. It says what was charged (lines or
// categories), what came off it, what was collected and how, and who took it when. A reprint
// says so on the page, so a second copy is never taken for a second payment.
namespace print {

struct ReceiptPage {
    struct Line {
        QString item;     // category label, catalogue item, or medicine with its size
        QString quantity; // "" for a category
        double amount = 0.0;
    };
    struct Payment {
        QString method; // "现金", "银行卡刷卡", …
        double amount = 0.0;
    };

    QString title;   // the clinic's receipt title
    QString heading; // "收  费  收  据", "退  费  收  据"
    QString number;  // "收据号：18（标准收费）"
    QString patient; // "姓名：张三 病历号：1001"
    QString doctor;  // "医生：王医生 科室：修复科"
    QDateTime date;  // of the settlement (a walk-in sheet: of the sheet)
    bool itemised = false; // lines with quantities (else categories)
    QList<Line> lines;
    double total = 0.0;      // 合计
    double oldArrears = 0.0; // 原欠款 settled with it
    bool arrearsLater = false; // old arrears left for later: not part of what was due
    double due = 0.0;        // 应收金额
    double discount = 0.0;   // what the discount took off
    double otherFree = 0.0;  // 其它优惠
    double collected = 0.0;  // 实收金额
    QList<Payment> payments; // what each method took, as stored
    double owing = 0.0;      // left owing after this settlement
    QString cashier;
    bool reprint = false;
};

// The page routine; context is a ReceiptPage. Amounts that are 0 (old arrears, discounts,
// owing) are left off; every line is drawn, and lines past the page's end fall off it.
void drawReceiptPage(Canvas& dc, const PrintInfo& info, void* context);

} // namespace print
