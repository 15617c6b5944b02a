#pragma once
#include "db/Connection.h"
#include "settle/PaymentMethods.h"
#include "settle/Voucher.h"
#include <functional>
#include <optional>

namespace settle
{

// The payment dialog ("付款方式") without its widgets: how much of the amount to collect the
// chosen method pays and how much is left for cash, after checking the prepaid account or the
// voucher. Every checkout opens it the same way.
class PaymentForm {
public:
    struct Inputs {
        double toCollect = 0.0; // the checkout's "实收金额"
        QString patientNumber;
        int resettle = 0;
        qint32 account = 0;  // prepaid account, handed back possibly changed
        qint32 paySheet = 0; // payment record of a re-settlement
        int method = Cash;
        double cash = 0.0;    // the checkout's "现金交款"
        double arrears = 0.0; // the checkout's "现欠款(元)"
    };

    PaymentForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Fills the dialog for its method; for prepayment checks the account (which says itself
    // when there is nothing to pay from).
    void open();
    // The voucher number was typed over: it may be verified, and a verification made for the
    // number before no longer holds (OK waits for the new number's).
    void voucherNumberEdited();
    // "刷IC卡": reads the card; a malformed content is said and changes nothing else.
    void readCard();
    // "验证": checks the voucher; askPassword opens "密码验证" (nothing: cancelled).
    void verify(const std::function<std::optional<QString>()>& askPassword);

    PaymentSplit split;
    qint32 account = 0;
    qint32 paySheet = 0;
    QString amountLabel;        // the label of "金额"
    bool voucherControls = false; // number, "刷IC卡", "验证", the card hint
    bool availableVisible = false;
    bool verifyEnabled = false;
    bool okEnabled = true;
    bool methodListEnabled = false;

private:
    db::ConnectionPtr connection_;
    Inputs in_;
};

} // namespace settle
