// The receipt view's form: what it loads with and without a payment record, and its settle
// action (the arrears note, one transaction, written only over the rows as loaded).
#include "db/Query.h"
#include "db/RecordOps.h"
#include "receipt/ReceiptEditForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/support/TestDb.h"
#include <QTest>

using namespace receipt;
using Ending = ReceiptEditForm::Ending;

namespace {

struct Clinic {
    db::ConnectionPtr c;
    qint64 receipt = 0;
    Clinic(const QString& backend, bool payment) : c(testdb::open(backend))
    {
        db::AddRecord(*c, QStringLiteral("主治医生表"),
                      {{QStringLiteral("医生姓名"), QStringLiteral("王医生")}, {QStringLiteral("医生编号"), QStringLiteral("D01")}}, {});
        db::AddRecord(*c, QStringLiteral("科室表"), {{QStringLiteral("科室"), QStringLiteral("口腔科")}}, {});
        receipt = db::AddRecord(*c, QStringLiteral("收费收据表"),
                                {{QStringLiteral("病历号"), 7},
                                 {QStringLiteral("病人姓名"), QStringLiteral("张三")},
                                 {QStringLiteral("医生姓名"), QStringLiteral("王医生")},
                                 {QStringLiteral("医生编号"), QStringLiteral("D01")},
                                 {QStringLiteral("科室"), QStringLiteral("口腔科")},
                                 {QStringLiteral("收款人"), QStringLiteral("收款员")},
                                 {QStringLiteral("检查费"), 30.0},
                                 {QStringLiteral("其它费用"), 25.0},
                                 {QStringLiteral("合计"), 55.0},
                                 {QStringLiteral("付款"), QStringLiteral("已付")},
                                 {QStringLiteral("备注"), QStringLiteral("复诊")}});
        if (payment)
            db::AddRecord(*c, QStringLiteral("病历收费单"),
                          {{QStringLiteral("病历号"), 7},
                           {QStringLiteral("ReceiptID"), receipt},
                           {QStringLiteral("收款金额"), 40.0},
                           {QStringLiteral("余额"), 15.0},
                           {QStringLiteral("备注"), QStringLiteral("首付")}},
                          QStringLiteral("病历收费编号"));
    }
    ReceiptEditForm form(int hideSettle = 0) const
    {
        ReceiptEditForm::Inputs in;
        in.receiptId = receipt;
        in.patientName = QStringLiteral("主机病人");
        in.cashier = QStringLiteral("主机收款员");
        in.hideSettle = hideSettle;
        return ReceiptEditForm(c, in);
    }
    // Both rows as stored, for "nothing written" comparisons.
    QVariantMap rows() const
    {
        QVariantMap m;
        for (const QString& sql : {QStringLiteral("SELECT * FROM 收费收据表 WHERE ID=?"),
                                   QStringLiteral("SELECT * FROM 病历收费单 WHERE ReceiptID=?")}) {
            db::Query q(*c, sql, {receipt});
            q.exec();
            if (!q.next()) continue;
            for (int i = 0; i < q.columnCount(); ++i) m.insert(sql.section(' ', 3, 3) + q.columnName(i).toLower(), q.value(i));
        }
        return m;
    }
    QString text(const QString& sql) const { return db::toText(db::scalar(*c, sql, {receipt})); }
    double number(const QString& sql) const { return db::toNumber(db::scalar(*c, sql, {receipt})); }
};

} // namespace

class TestReceiptEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    // Opening: the stored receipt replaces what the host handed in; the payment fields only
    // with a payment record; the date is the server's; no settle button when hidden.
    void opening_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("payment");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": with payment"))) << b << true;
            QTest::newRow(qPrintable(b + QStringLiteral(": without payment"))) << b << false;
        }
    }
    void opening()
    {
        QFETCH(QString, backend);
        QFETCH(bool, payment);
        Clinic clinic(backend, payment);
        ReceiptEditForm form = clinic.form(1);
        form.open();
        QCOMPARE(form.fields.patientName, QStringLiteral("张三"));
        QCOMPARE(form.fields.treatmentNumber, 7);
        QCOMPARE(form.fields.cashier, QStringLiteral("收款员"));
        QCOMPARE(form.fields.payState, QStringLiteral("已付"));
        QCOMPARE(form.fields.total, 55.0);
        QCOMPARE(form.paymentVisible, payment);
        QCOMPARE(form.fields.received, payment ? 40.0 : 0.0);
        QCOMPARE(form.fields.owed, payment ? 15.0 : 0.0);
        QCOMPARE(form.fields.paymentRemark, payment ? QStringLiteral("首付") : QString());
        QVERIFY(!form.settleVisible);
        QCOMPARE(form.departments, QStringList{QStringLiteral("口腔科")});
        QVERIFY(qAbs(form.fields.date.secsTo(clinic.c->serverTime())) < 60);
    }

    // The settle action: the arrears note on the remark of both rows, the payment record's
    // amounts, and the message when no doctor is chosen.
    void settle_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("payment");
        QTest::addColumn<QString>("doctor");
        QTest::addColumn<double>("owed");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("remark"); // of the receipt afterwards
        for (const QString& b : testdb::backends()) {
            const auto row = [&](const char* name) -> QTestData& { return QTest::newRow(qPrintable(b + QStringLiteral(": ") + QLatin1String(name))); };
            row("amount owed is noted") << b << true << QStringLiteral("王医生") << 12.5 << QStringList() << QStringLiteral("复诊 现欠款12.50");
            row("nothing owed, no note") << b << true << QStringLiteral("王医生") << 0.0 << QStringList() << QStringLiteral("复诊");
            row("negative owed is noted too") << b << true << QStringLiteral("王医生") << -3.0 << QStringList() << QStringLiteral("复诊 现欠款-3.00");
            row("no payment record") << b << false << QStringLiteral("王医生") << 0.0 << QStringList() << QStringLiteral("复诊");
            row("missing doctor") << b << true << QString() << 12.5 << QStringList{"医生信息不应为空!"} << QStringLiteral("复诊");
        }
    }
    void settle()
    {
        QFETCH(QString, backend);
        QFETCH(bool, payment);
        QFETCH(QString, doctor);
        QFETCH(double, owed);
        QFETCH(QStringList, messages);
        QFETCH(QString, remark);
        Clinic clinic(backend, payment);
        ReceiptEditForm form = clinic.form();
        form.open();
        form.fields.doctorName = doctor;
        form.fields.owed = owed;
        form.fields.received = 42.5;
        ScriptedPrompter prompter;
        const Ending ending = form.settle();
        QCOMPARE(prompter.shown, messages);
        QCOMPARE(ending, messages.isEmpty() ? Ending::Accept : Ending::Stay);
        QCOMPARE(clinic.text(QStringLiteral("SELECT 备注 FROM 收费收据表 WHERE ID=?")), remark);
        if (!payment || !messages.isEmpty()) {
            QCOMPARE(clinic.number(QStringLiteral("SELECT count(*) FROM 病历收费单 WHERE ReceiptID=? AND 收款金额=40")),
                     payment ? 1.0 : 0.0);
            return;
        }
        QCOMPARE(clinic.text(QStringLiteral("SELECT 备注 FROM 病历收费单 WHERE ReceiptID=?")), remark);
        QCOMPARE(clinic.number(QStringLiteral("SELECT 余额 FROM 病历收费单 WHERE ReceiptID=?")), owed);
        QCOMPARE(clinic.number(QStringLiteral("SELECT 收款金额 FROM 病历收费单 WHERE ReceiptID=?")), 42.5);
        QCOMPARE(clinic.text(QStringLiteral("SELECT 收款人 FROM 病历收费单 WHERE ReceiptID=?")), QStringLiteral("收款员"));
    }

    // Every statement of the save failing in turn leaves both rows as they were and the dialog
    // open; the try that finally succeeds notes the arrears once.
    void settleIsOneTransaction_data() { testdb::addBackendRows(); }
    void settleIsOneTransaction()
    {
        QFETCH(QString, backend);
        Clinic clinic(backend, true);
        const QVariantMap before = clinic.rows();
        ReceiptEditForm form = clinic.form();
        form.open();
        form.fields.owed = 12.5;
        int failures = 0;
        for (int n = 1; n < 20; ++n) {
            ScriptedPrompter prompter;
            clinic.c->failStatementAfter(n);
            const Ending ending = form.settle();
            clinic.c->clearFault();
            if (ending == Ending::Accept) break;
            ++failures;
            QCOMPARE(prompter.shown.size(), 2); // the database's text, then ours
            QCOMPARE(prompter.shown.last(), QStringLiteral("收据修改失败!"));
            QCOMPARE(clinic.rows(), before);
        }
        QVERIFY2(failures >= 2, "the receipt row and the payment record are two statements");
        QCOMPARE(clinic.text(QStringLiteral("SELECT 备注 FROM 病历收费单 WHERE ReceiptID=?")), QStringLiteral("复诊 现欠款12.50"));
    }

    // Another desk changes the payment record after the view opened: the save writes neither row.
    void settleOverAChangedPayment_data() { testdb::addBackendRows(); }
    void settleOverAChangedPayment()
    {
        QFETCH(QString, backend);
        Clinic clinic(backend, true);
        ReceiptEditForm form = clinic.form();
        form.open();
        // What another desk's settlement would write meanwhile.
        db::execute(*clinic.c, QStringLiteral("UPDATE 病历收费单 SET 收款金额=55 WHERE ReceiptID=?"), {clinic.receipt});
        const QVariantMap before = clinic.rows();
        ScriptedPrompter prompter;
        form.fields.remark = QStringLiteral("改过");
        QCOMPARE(form.settle(), Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("收据修改失败!")});
        QCOMPARE(clinic.rows(), before);
    }
};

QTEST_MAIN(TestReceiptEdit)
#include "tst_receipt_edit.moc"
