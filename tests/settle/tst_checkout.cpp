// The checkout of a category receipt without its widgets: what it loads, how its handlers move
// the amounts, the payment method, and what a settlement leaves behind.
#include "SettleFixture.h"
#include "common/Money.h"
#include "common/Settings.h"
#include "settle/CheckoutForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include <QTest>

using namespace settle;
using namespace settletest;
using namespace Qt::StringLiterals;

class TestCheckout : public QObject
{
    Q_OBJECT

  private slots:
    void init() { testdb::isolateSettings(); }

    void opening_data() { testdb::addBackendRows(); }
    void opening()
    {
        QFETCH(QString, backend);
        Desk k(backend);
        const qint64 id = k.receipt(200);
        db::execute(*k.c, u"UPDATE 收费收据表 SET 科室='口腔科', 护士='刘护士', 备注='复诊' WHERE ID=?"_s, {id});
        CheckoutForm f = k.form(id);
        f.open();
        QCOMPARE(f.total, 200.0);
        QCOMPARE(f.oldArrears, 50.0);
        QVERIFY(f.arrearsLaterVisible);
        QCOMPARE(f.amountDue, 250.0);
        QCOMPARE(f.state, 0);
        // The member's rank is chosen: 0.9 × 200 + 50.
        QCOMPARE(f.discount.mode, int(MemberRank));
        QCOMPARE(f.discounted, 230.0);
        QCOMPARE(f.collected, 230.0);
        QVERIFY(f.discountVisible && f.otherFreeVisible && f.switchVisible && !f.paymentVisible);
        QCOMPARE(f.otherFreeReasons, QStringList{u"老人优惠"_s});
        QCOMPARE(f.discount.member.memberCode, u"M1"_s);
        QCOMPARE(f.doctor, u"李医生"_s);
        QCOMPARE(f.department, u"口腔科"_s);
        QCOMPARE(f.nurse, u"刘护士"_s);
        QCOMPARE(f.receiptNote, u"复诊"_s);
        QCOMPARE(f.receiptTitle, settings::defaultReceiptTitle);

        f.arrearsLaterChanged(true);
        QCOMPARE(f.amountDue, 200.0);
        QCOMPARE(f.discounted, 180.0);
        f.arrearsLaterChanged(false);
        QCOMPARE(f.amountDue, 250.0);
        QCOMPARE(f.discounted, 230.0);

        f.discountSwitched(false);
        QVERIFY(!f.discountVisible && !f.otherFreeVisible);
        QCOMPARE(f.discounted, 250.0);
        QCOMPARE(settings::readValue(u"FeeDiscout"_s).value_or(QString()), QString()); // no key: nothing stored
    }

    // "现欠款(元)": less than a whole yuan either way is let off.
    void arrears_data()
    {
        QTest::addColumn<double>("collected");
        QTest::addColumn<double>("arrears");
        QTest::newRow("0.8 owed") << 249.2 << 0.0;
        QTest::newRow("1.2 owed") << 248.8 << 1.2;
        // The arithmetic of doubles leaves 0.99999999999997 here: a whole yuan owed all the same.
        QTest::newRow("a yuan owed, a hair short in doubles") << 249.00000000000003 << 1.0;
        QTest::newRow("0.5 over") << 250.5 << 0.0;
        QTest::newRow("20 over") << 270.0 << -20.0;
    }
    void arrears()
    {
        QFETCH(double, collected);
        QFETCH(double, arrears);
        Desk k(u"sqlite"_s);
        db::execute(*k.c, u"DELETE FROM DiscountSet_table"_s);
        CheckoutForm f = k.form(k.receipt(200));
        f.open();
        QCOMPARE(f.discount.mode, int(DiscountOff));
        f.collected = collected;
        f.collectedChanged(false);
        QVERIFY(qAbs(f.arrearsLeft - arrears) < 1e-9);
    }

    void otherFree_data() { testdb::addBackendRows(); }
    void otherFree()
    {
        QFETCH(QString, backend);
        Desk k(backend);
        CheckoutForm f = k.form(k.receipt(200));
        f.open();
        f.otherFree = 25;
        f.otherFreeChanged();
        QCOMPARE(f.collected, 0.9 * 250 - 25);
        QCOMPARE(f.arrearsLeft, 0.0);
    }

    void method_data()
    {
        QTest::addColumn<int>("resettle");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("method");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("bank card") << 0 << int(BankCard) << true << int(BankCard) << QStringList();
        QTest::newRow("cancelled") << 0 << int(Cheque) << false << int(Cash) << QStringList();
        QTest::newRow("voucher again") << 1 << int(Voucher) << true << int(Cash) << QStringList{kVoucherLocked};
        QTest::newRow("no prepaid account") << 0 << int(PrePayment) << true << int(Cash)
                                            << QStringList{u"该患者没有可支配的预付费金额！"_s};
    }
    void method()
    {
        QFETCH(int, resettle);
        QFETCH(int, chosen);
        QFETCH(bool, answered);
        QFETCH(int, method);
        QFETCH(QStringList, said);
        Desk k(u"sqlite"_s);
        CheckoutForm f = k.form(k.receipt(200), resettle);
        f.open();
        ScriptedPrompter prompter;
        bool opened = false;
        f.methodChosen(chosen, [&](const PaymentForm::Inputs& in) -> std::optional<CheckoutForm::PaymentAnswer> {
            opened = true;
            if (!answered) return std::nullopt;
            CheckoutForm::PaymentAnswer a;
            a.split.method = in.method;
            SplitOver(a.split, in.toCollect, 100);
            return a;
        });
        QCOMPARE(prompter.shown, said);
        QCOMPARE(opened, said.isEmpty());
        QCOMPARE(f.method, method);
        QCOMPARE(f.paymentVisible, method != Cash);
        if (method != Cash) {
            QCOMPARE(f.methodAmount, 100.0);
            QCOMPARE(f.cash, 130.0);
            QCOMPARE(f.collected, 230.0);
            QCOMPARE(f.paymentLabel, paymentMethodLabel(method));
        }
    }

    // 1.69 at rank 0.95 by bank card: the dialog collects the rounded 1.61 and nothing is left
    // owing either way, on screen or in the record.
    void noPhantomFen_data() { testdb::addBackendRows(); }
    void noPhantomFen()
    {
        QFETCH(QString, backend);
        Desk k(backend, 0.0);
        db::execute(*k.c, u"UPDATE Discount_table SET DiscountValue=0.95"_s, {});
        const qint64 id = k.receipt(1.69);
        CheckoutForm f = k.form(id);
        f.open();
        f.methodChosen(BankCard, [&](const PaymentForm::Inputs& in) {
            CheckoutForm::PaymentAnswer a;
            a.split.method = in.method;
            a.split.amount = money::round2(in.toCollect);
            return std::optional(a);
        });
        QCOMPARE(f.collected, 1.61);
        QCOMPARE(f.arrearsLeft, 0.0);
        ScriptedPrompter prompter;
        QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
        QCOMPARE(db::toNumber(k.value(u"SELECT 余额 FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 0.0);
        QCOMPARE(db::toNumber(k.value(u"SELECT 收款金额 FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 1.61);
    }

    // The payment dialog split 230 (100 by bank card, 130 cash); a change to what is collected
    // drops that split back to cash, so the card is never charged for another amount.
    void staleSplit_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("kept");
        QTest::newRow("优惠金额") << u"otherFree"_s << false;
        QTest::newRow("原欠款暂不结帐") << u"arrearsLater"_s << false;
        QTest::newRow("实收金额 typed") << u"collected"_s << false;
        QTest::newRow("实收金额 left as it was") << u"same"_s << true;
    }
    void staleSplit()
    {
        QFETCH(QString, change);
        QFETCH(bool, kept);
        for (const QString& backend : testdb::backends()) {
            Desk k(backend);
            const qint64 id = k.receipt(200);
            CheckoutForm f = k.form(id);
            f.open();
            f.methodChosen(BankCard, [](const PaymentForm::Inputs& in) {
                CheckoutForm::PaymentAnswer a;
                a.split.method = in.method;
                SplitOver(a.split, in.toCollect, 100);
                return std::optional(a);
            });
            QCOMPARE(f.methodAmount, 100.0);
            if (change == u"otherFree"_s) {
                f.otherFree = 10;
                f.otherFreeChanged();
            } else if (change == u"arrearsLater"_s) {
                f.arrearsLaterChanged(true);
            } else {
                if (change == u"collected"_s) f.collected = 150;
                f.collectedChanged(false);
            }
            QCOMPARE(f.method, kept ? int(BankCard) : int(Cash));
            QCOMPARE(f.paymentVisible, kept);
            if (kept) QCOMPARE(f.cash + f.methodAmount, f.collected);
            else QCOMPARE(f.cash + f.methodAmount, 0.0);
            ScriptedPrompter prompter;
            QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
            QCOMPARE(db::toNumber(k.value(u"SELECT OtherTypePayedMoney FROM 病历收费单 WHERE ReceiptID=?"_s, {id})),
                     kept ? 100.0 : 0.0);
            QCOMPARE(db::toNumber(k.value(u"SELECT 收款金额 FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), f.collected);
        }
    }

    void noDoctor()
    {
        Desk k(u"sqlite"_s);
        const qint64 id = k.receipt(200);
        CheckoutForm f = k.form(id);
        f.open();
        f.doctor.clear();
        ScriptedPrompter prompter;
        QCOMPARE(f.settle(), CheckoutForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{kNoDoctor});
        QCOMPARE(k.paid(id), u"未付"_s);
    }

    // A settlement, its points (negative for a refund) and the conversion into prepayment, then
    // a re-settlement that loads and rewrites the record.
    void settleAndAgain_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("refund");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s fee", qPrintable(b)) << b << 0;
            QTest::addRow("%s refund", qPrintable(b)) << b << 1;
        }
    }
    void settleAndAgain()
    {
        QFETCH(QString, backend);
        QFETCH(int, refund);
        Desk k(backend, 0.0);
        db::AddRecord(*k.c, u"Management_table"_s, {{u"FeeGadeYesNo"_s, 1}, {u"FeeToPrepayFlag"_s, 0}, {u"FeeToPrepayDiscout"_s, 10.0}}, {});
        db::AddRecord(*k.c, u"Grade_Calculte_table"_s, {{u"FeeItemType"_s, 0}, {u"FeeItem"_s, u"挂号费"_s}, {u"FeeGradeCalculter"_s, 10.0}}, {});
        const qint32 account = k.account(u"P1"_s, 0);
        db::execute(*k.c, u"UPDATE PrePay_Table SET VIP_CODE='M1', VIP_grade_value=500 WHERE ID=?"_s, {account});
        db::AddRecord(*k.c, u"VIP_PtnSheet_Table"_s, {{u"VIP_ID"_s, account}, {u"Patient_Code"_s, u"P1"_s}}, {});
        const qint64 id = k.receipt(200, 101, u"张三"_s, refund);

        CheckoutForm f = k.form(id);
        f.open();
        QCOMPARE(f.refundText(), refund ? kRefundText : QString());
        f.settleNote = u"首次"_s;
        ScriptedPrompter prompter;
        QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
        QCOMPARE(prompter.shown, QStringList{kSettled});
        QVERIFY(f.printEnabled);
        QCOMPARE(k.paid(id), u"已付"_s);
        QCOMPARE(k.records(id), 1);
        // A refund is money paid back: due and collected are stored negative.
        const double sign = refund ? -1.0 : 1.0;
        QCOMPARE(f.total, sign * 200.0);
        for (const auto& [column, amount] : {std::pair{u"总计应收费用"_s, 200.0}, {u"实收费用"_s, 200.0}, {u"收款金额"_s, 180.0}})
            QCOMPARE(db::toNumber(k.value(u"SELECT "_s + column + u" FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), sign * amount);
        // 10 × 0.9 × 200 × 0.01 points, negative for a refund.
        const double points = refund ? -18.0 : 18.0;
        QCOMPARE(db::toNumber(k.value(u"SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"_s, {account})), 500 + points);
        QCOMPARE(db::toNumber(k.value(u"SELECT Discout FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 0.9);
        // 10 % of what was paid goes into the account; a refund converts nothing back.
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM PrePayReg_Table WHERE IsFromFeeFlag=?"_s, {f.paySheet}), refund ? 0 : 1);
        if (!refund)
            QCOMPARE(db::toNumber(k.value(u"SELECT PrePay_Money FROM PrePayReg_Table WHERE IsFromFeeFlag=?"_s, {f.paySheet})),
                     0.1 * f.collected);

        // Again: the stored payment comes back, is changed and written over the same record; its
        // cashier and 其它优惠 are shown as stored.
        db::execute(*k.c, u"UPDATE 病历收费单 SET 收款人=? WHERE ReceiptID=?"_s, {u"李收款"_s, id});
        CheckoutForm g = k.form(id, 1);
        g.open();
        QCOMPARE(g.cashier, u"李收款"_s);
        QVERIFY(g.otherFreeVisible);
        QCOMPARE(g.paySheet, f.paySheet);
        QCOMPARE(g.settleNote, u"首次"_s);
        QCOMPARE(g.collected, f.collected);
        QCOMPARE(g.discount.mode, int(MemberRank));
        g.collected = 100;
        g.settleNote = u"再次"_s;
        prompter.shown.clear();
        QCOMPARE(g.settle(), CheckoutForm::Ending::Accept);
        QCOMPARE(k.records(id), 1);
        QCOMPARE(db::toNumber(k.value(u"SELECT 收款金额 FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 100.0);
        QCOMPARE(db::toText(k.value(u"SELECT 备注 FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), u"再次"_s);
        // No second booking of points; the conversion entry follows the new amount.
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM Grade_Record_table"_s), 1);
        if (!refund)
            QCOMPARE(db::toNumber(k.value(u"SELECT PrePay_Money FROM PrePayReg_Table WHERE IsFromFeeFlag=?"_s, {f.paySheet})), 10.0);
    }

    // A re-settlement works out what is due as the first settlement did: a part payment's debt
    // stays owed, and old arrears are not discounted by reopening a rate. The receipt is re-settled
    // by cheque for what was collected; what is owed must come out as it was.
    void resettlementKeepsWhatIsOwed_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<double>("arrears");    // old arrears
        QTest::addColumn<bool>("rankRate");     // the member's 0.9, or no discount
        QTest::addColumn<double>("collected");  // typed at the first settlement
        QTest::addColumn<double>("due");        // "折后金额"
        QTest::addColumn<double>("owed");       // "现欠款"
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: 150 paid of 200", qPrintable(b)) << b << 0.0 << false << 150.0 << 200.0 << 50.0;
            QTest::addRow("%s: 0.9 with arrears 100", qPrintable(b)) << b << 100.0 << true << 280.0 << 280.0 << 0.0;
            QTest::addRow("%s: 0.9 with arrears, part paid", qPrintable(b)) << b << 100.0 << true << 250.0 << 280.0 << 30.0;
        }
    }
    void resettlementKeepsWhatIsOwed()
    {
        QFETCH(QString, backend);
        QFETCH(double, arrears);
        QFETCH(bool, rankRate);
        QFETCH(double, collected);
        QFETCH(double, due);
        QFETCH(double, owed);
        Desk k(backend, arrears);
        if (!rankRate) db::execute(*k.c, u"DELETE FROM DiscountSet_table"_s);
        const qint64 id = k.receipt(200);
        ScriptedPrompter prompter;
        {
            CheckoutForm f = k.form(id);
            f.open();
            QCOMPARE(f.discounted, due);
            f.collected = collected;
            f.collectedChanged(false);
            QCOMPARE(f.arrearsLeft, owed);
            QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
        }
        CheckoutForm g = k.form(id, 1);
        g.open();
        QCOMPARE(g.discounted, due);
        QCOMPARE(g.collected, collected);
        QCOMPARE(g.arrearsLeft, owed);
        g.methodChosen(Cheque, [](const PaymentForm::Inputs& in) {
            CheckoutForm::PaymentAnswer a;
            a.split.method = Cheque;
            a.split.amount = in.toCollect;
            return std::optional(a);
        });
        QCOMPARE(g.method, int(Cheque));
        QCOMPARE(g.arrearsLeft, owed);
        QCOMPARE(g.settle(), CheckoutForm::Ending::Accept);
        for (const auto& [column, amount] :
             {std::pair{u"收款金额"_s, collected}, {u"OtherTypePayedMoney"_s, collected}, {u"余额"_s, owed}})
            QCOMPARE(db::toNumber(k.value(u"SELECT "_s + column + u" FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), amount);
    }

    // A receipt of 200 less 50 from a money card, re-settled by cheque: the card's 50 is read
    // back from what the record says it used (its Discout holds no rate), so nothing turns into a
    // debt and the card amount is written again.
    void resettlementKeepsTheMoneyCard_data() { testdb::addBackendRows(); }
    void resettlementKeepsTheMoneyCard()
    {
        QFETCH(QString, backend);
        Desk k(backend, 0.0);
        const qint64 id = k.receipt(200);
        ScriptedPrompter prompter;
        {
            CheckoutForm f = k.form(id);
            f.open();
            f.discount.mode = MoneyCardAmount;
            f.discount.cardName = u"代金卡"_s;
            f.discount.cardValue = 80.0;
            f.discountValueTyped(50.0);
            QCOMPARE(f.collected, 150.0);
            QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
        }
        CheckoutForm g = k.form(id, 1);
        g.open();
        QCOMPARE(g.discount.mode, int(MoneyCardAmount));
        QCOMPARE(g.discount.value, 50.0);
        QCOMPARE(g.discounted, 150.0);
        g.methodChosen(Cheque, [](const PaymentForm::Inputs& in) {
            CheckoutForm::PaymentAnswer a;
            a.split.method = Cheque;
            a.split.amount = in.toCollect;
            return std::optional(a);
        });
        QCOMPARE(g.arrearsLeft, 0.0);
        QCOMPARE(g.settle(), CheckoutForm::Ending::Accept);
        for (const auto& [column, amount] : {std::pair{u"MoneyCard_UsedValue"_s, 50.0}, {u"余额"_s, 0.0}, {u"收款金额"_s, 150.0}})
            QCOMPARE(db::toNumber(k.value(u"SELECT "_s + column + u" FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), amount);
    }

    // Paid 200 from prepayment, re-settled with 20 let off: the split made for 200 goes, and the
    // account is charged what is paid from it now (180 when prepayment is chosen again, nothing
    // when the rest is paid in cash).
    void resettlementPrepaymentFollowsTheAmount_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("prepaidAgain");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: prepayment again", qPrintable(b)) << b << true;
            QTest::addRow("%s: cash now", qPrintable(b)) << b << false;
        }
    }
    void resettlementPrepaymentFollowsTheAmount()
    {
        QFETCH(QString, backend);
        QFETCH(bool, prepaidAgain);
        Desk k(backend, 0.0);
        db::execute(*k.c, u"DELETE FROM DiscountSet_table"_s);
        db::AddRecord(*k.c, u"DiscountSet_table"_s, {{u"DiscoutYesNo"_s, 1}, {u"OtherFreeYesNo"_s, 1}}, {});
        const qint32 account = k.account(u"P1"_s, 300);
        const qint64 id = k.receipt(200);
        const auto fromPrepayment = [account](const PaymentForm::Inputs& in) {
            CheckoutForm::PaymentAnswer a;
            a.split.method = PrePayment;
            a.split.amount = in.toCollect;
            a.account = account;
            return std::optional(a);
        };
        ScriptedPrompter prompter;
        {
            CheckoutForm f = k.form(id);
            f.open();
            f.methodChosen(PrePayment, fromPrepayment);
            QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
        }
        QCOMPARE(k.prepayUsed(account), 200.0);
        CheckoutForm g = k.form(id, 1);
        g.open();
        QCOMPARE(g.method, int(PrePayment));
        g.otherFree = 20.0;
        g.otherFreeChanged();
        QCOMPARE(g.collected, 180.0);
        QCOMPARE(g.method, int(Cash));
        if (prepaidAgain) g.methodChosen(PrePayment, fromPrepayment);
        QCOMPARE(g.settle(), CheckoutForm::Ending::Accept);
        const double paid = prepaidAgain ? 180.0 : 0.0;
        QCOMPARE(k.prepayUsed(account), paid);
        for (const auto& [column, amount] : {std::pair{u"收款金额"_s, 180.0}, {u"OtherTypePayedMoney"_s, paid},
                                             {u"MoneyPayed_type"_s, prepaidAgain ? 1.0 : 0.0}})
            QCOMPARE(db::toNumber(k.value(u"SELECT "_s + column + u" FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), amount);
    }

    void settledElsewhere_data() { testdb::addBackendRows(); }
    void settledElsewhere()
    {
        QFETCH(QString, backend);
        Desk k(backend);
        const qint64 id = k.receipt(200);
        CheckoutForm f = k.form(id);
        f.open();
        db::execute(*k.c, u"UPDATE 收费收据表 SET 付款='已付' WHERE ID=?"_s, {id});
        ScriptedPrompter prompter;
        QCOMPARE(f.settle(), CheckoutForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{kReceiptNotSettled});
        QVERIFY(!f.failureDetail.isEmpty());
        QCOMPARE(k.records(id), 0);
    }

    void paintedPrepayment_data() { testdb::addBackendRows(); }
    void paintedPrepayment()
    {
        QFETCH(QString, backend);
        Desk k(backend);
        k.account(u"P1"_s, 320.4);
        CheckoutForm f = k.form(k.receipt(200));
        f.open();
        QCOMPARE(f.prepayText(), u"可用预付费：￥320"_s);
        CheckoutForm again = k.form(k.receipt(100), 1);
        again.open();
        QCOMPARE(again.prepayText(), QString());
    }
};

QTEST_GUILESS_MAIN(TestCheckout)
#include "tst_checkout.moc"
