// Values other programs leave in the clinic's tables, and a server that goes away under an open
// dialog: an amount that is a text (SQLite keeps it), an amount that is missing, a batch holding
// less than nothing, lines stored under no document, a NUL in a line's name. Each is refused
// with a message that names it, and nothing is settled on it.
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "receipt/ReceiptEditForm.h"
#include "rx/PrescriptionCheckoutForm.h"
#include "settle/CheckoutForm.h"
#include "settle/Settlement.h"
#include "tests/app/ScriptRun.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/rx/StockFixture.h"
#include "tests/settle/SettleFixture.h"
#include "tests/support/TestDb.h"
#include "tools/calvane/ExportTable.h"
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString kMedicine = u"阿莫西林"_s, kSpec = u"0.25g*24"_s;

// Case 101 of patient P1, doctor 李医生, a clinic that keeps stock: 50 units of the medicine.
struct Clinic {
    CalvaneConnection* conn = nullptr;

    explicit Clinic(const QString& backend)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
        db::AddRecord(db(), u"主治医生表"_s, {{u"医生姓名"_s, u"李医生"_s}, {u"医生编号"_s, u"D2"_s}}, {});
        db::AddRecord(db(), u"病历卡表"_s, {{u"病历号"_s, 101}, {u"病人编号"_s, u"P1"_s}}, {});
        stockfixture::keepStock(db(), true);
        stockfixture::addBatches(db(), kMedicine, kSpec, u"50"_s);
    }
    ~Clinic() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }

    qint64 receipt(const db::FieldValues& own)
    {
        db::FieldValues row{{u"病历号"_s, 101}, {u"病人姓名"_s, u"张三"_s}, {u"付款"_s, u"未付"_s},
                            {u"医生姓名"_s, u"李医生"_s}, {u"FeeIO"_s, 0}};
        row.append(own);
        return db::AddRecord(db(), u"收费收据表"_s, row);
    }
    // 挂号费 100 and 检查费 as given; 合计 as given.
    qint64 categories(const QVariant& check, const QVariant& total)
    {
        return receipt({{u"挂号费"_s, 100.0}, {u"检查费"_s, check}, {u"合计"_s, total}});
    }
    // Two units of the medicine at 10.
    qint64 prescription(const QVariant& total, const QVariant& quantity)
    {
        const qint64 id = receipt({{u"合计"_s, total}, {u"IsPrescriptionFlag"_s, 2}});
        db::AddRecord(db(), u"处方明细表"_s,
                      {{u"ReceiptID"_s, id}, {u"名称"_s, kMedicine}, {u"规格"_s, kSpec}, {u"单价"_s, 10.0},
                       {u"数量"_s, quantity}, {u"金额"_s, 20.0}, {u"MedcineOutFlag"_s, 0}});
        return id;
    }
    // One catalogue item 拍片 of 50.
    qint64 items(const QVariant& amount)
    {
        const qint64 id = receipt({{u"合计"_s, 50.0}});
        db::AddRecord(db(), u"收费明细表"_s,
                      {{u"收费类型"_s, u"检查"_s}, {u"收费项目"_s, u"拍片"_s}, {u"标准"_s, 50.0}, {u"数量"_s, 1.0},
                       {u"金额"_s, amount}, {u"收据编号"_s, id}, {u"IsDiscout"_s, 0}, {u"StandartFee"_s, 50.0}});
        return id;
    }
    QString paid(qint64 id) { return db::toText(db::scalar(db(), u"SELECT rtrim(付款) FROM 收费收据表 WHERE ID=?"_s, {id})); }
    qint64 count(const QString& table) { return db::toInteger(db::scalar(db(), u"SELECT count(*) FROM "_s + table)); }
    QString stock() { return stockfixture::batches(db()); }
};

QStringList said(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(u"message"_s)) texts << m.value(u"text"_s).toString();
    return texts;
}

QString databaseName(const QString& url) { return QUrl(url).path().mid(1); }

QStringList captured;
void capture(QtMsgType, const QMessageLogContext&, const QString& text) { captured << text; }

} // namespace

class TestStoredValues : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // The checkout of each kind of receipt, on amounts as another program left them: refused
    // before its dialog opens with the value named, or settled when they are sound.
    void checkoutOnStoredAmounts_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("kind"); // categories | prescription | items
        QTest::addColumn<QVariant>("first");
        QTest::addColumn<QVariant>("second");
        QTest::addColumn<QString>("refusal"); // %1: the receipt; empty: settles
        const QVariant none;
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: sound categories", n.data()) << b << "categories" << QVariant(20.0) << QVariant(120.0) << "";
            QTest::addRow("%s: sound prescription", n.data()) << b << "prescription" << QVariant(20.0) << QVariant(2.0) << "";
            QTest::addRow("%s: prescription without 合计", n.data())
                << b << "prescription" << none << QVariant(2.0) << "收据%1的合计是空的，不能结帐!";
            QTest::addRow("%s: prescription line without 数量", n.data())
                << b << "prescription" << QVariant(20.0) << none << "收据%1的药品“阿莫西林”的数量是空的，不能结帐!";
            if (b != QLatin1String("sqlite")) continue;
            // Only SQLite keeps a text in a column of numbers.
            QTest::addRow("%s: text in a category", n.data())
                << b << "categories" << QVariant(u"abc"_s) << QVariant(100.0) << "收据%1的检查费不是数字（abc），不能结帐!";
            QTest::addRow("%s: text in 合计", n.data())
                << b << "categories" << none << QVariant(u"一百"_s) << "收据%1的合计不是数字（一百），不能结帐!";
            QTest::addRow("%s: text in a prescription's 合计", n.data())
                << b << "prescription" << QVariant(u"20元"_s) << QVariant(2.0) << "收据%1的合计不是数字（20元），不能结帐!";
            QTest::addRow("%s: text in an item's 金额", n.data())
                << b << "items" << QVariant(u"abc"_s) << none << "收据%1的收费项目“拍片”的金额不是数字（abc），不能结帐!";
        }
    }
    void checkoutOnStoredAmounts()
    {
        QFETCH(QString, backend);
        QFETCH(QString, kind);
        QFETCH(QVariant, first);
        QFETCH(QVariant, second);
        QFETCH(QString, refusal);
        Clinic k(backend);
        const bool categories = kind == QLatin1String("categories"), prescription = kind == QLatin1String("prescription");
        const qint64 id = categories ? k.categories(first, second)
                                     : prescription ? k.prescription(first, second) : k.items(first);
        int32_t receipt = int32_t(id), state = 0, lock = 0, result = -1;
        QStringList messages;
        QString lastError;
        bool opened = false;
        {
            ScriptRun run(prescription ? steps(R"([{"click":"确定"}])") : steps(R"([{"click":"结   帐"}])"));
            if (categories)
                result = ReceiptPay(0, k.conn, "P1", 101, &receipt, "", "D2", "张三", 0.0, "王收款", &state, 0, &lock);
            else if (prescription)
                result = RescriptionReceiptPay(0, k.conn, "P1", 101, &receipt, "", "D2", "", "张三", 0.0, "王收款", &state,
                                               0, &lock);
            else
                result = StandartPay(0, k.conn, 101, &receipt, "李医生", "", "D2", "张三", "P1", "王收款", 0.0, &state, 0,
                                     &lock);
            lastError = QString::fromUtf8(CalvaneLastError());
            messages = said(run);
            opened = !run.events(u"open"_s).isEmpty();
        }
        QCOMPARE(int(result), 0);
        if (refusal.isEmpty()) {
            QCOMPARE(messages, QStringList{prescription ? rx::kPrescriptionSettled : settle::kSettled});
            QCOMPARE(k.paid(id), u"已付"_s);
            QCOMPARE(k.count(u"病历收费单"_s), 1);
            if (prescription) QCOMPARE(k.stock(), u"48"_s);
            return;
        }
        QCOMPARE(messages, QStringList{refusal.arg(id)});
        QVERIFY(!opened);
        QVERIFY2(lastError.contains(refusal.arg(id)), qPrintable(lastError));
        QCOMPARE(k.paid(id), u"未付"_s);
        QCOMPARE(k.count(u"病历收费单"_s), 0);
        QCOMPARE(k.stock(), u"50"_s);
    }

    // What the dialog found sound when it opened is judged again inside the settlement: another
    // program that empties the 合计 meanwhile stops it, and nothing is written.
    void settlementJudgesAgain_data() { testdb::addBackendRows(); }
    void settlementJudgesAgain()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 id = k.prescription(20.0, 2.0);
        db::execute(k.db(), u"UPDATE 收费收据表 SET 合计=NULL WHERE ID=?"_s, {id});
        const settle::SettlementResult done = settle::Settle(k.db(), settletest::request(id, 20.0));
        QVERIFY(!done.ok);
        QCOMPARE(int(done.failure), int(settle::SettlementFailure::StoredAmounts));
        QCOMPARE(done.message, u"收据%1的合计是空的，不能结帐!"_s.arg(id));
        QCOMPARE(k.paid(id), u"未付"_s);
        QCOMPARE(k.count(u"病历收费单"_s), 0);
    }

    // A batch holding less than nothing (miscounted elsewhere) beside a good one: the checkout
    // neither counts it into what is on hand nor passes it over, but says so; nothing moves.
    void negativeBatch_data() { testdb::addBackendRows(); }
    void negativeBatch()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        db::execute(k.db(), u"DELETE FROM 材料库存表"_s);
        stockfixture::addBatches(k.db(), kMedicine, kSpec, u"-3,5"_s);
        const qint64 id = k.prescription(20.0, 2.0);
        rx::PrescriptionCheckoutForm::Inputs in;
        in.patientNumber = u"P1"_s;
        in.caseNumber = 101;
        in.receiptId = id;
        in.cashier = u"王收款"_s;
        rx::PrescriptionCheckoutForm f(k.conn->connection, in);
        f.open();
        ScriptedPrompter p;
        QCOMPARE(int(f.settle()), int(rx::PrescriptionCheckoutForm::Ending::Stay));
        QCOMPARE(p.shown, QStringList{u"药品“阿莫西林 0.25g*24”的库存数量为负数（-3），库存记录有误，请先更正库存!"_s});
        QCOMPARE(k.stock(), u"-3,5"_s);
        QCOMPARE(k.count(u"材料出库表"_s), 0);
        QCOMPARE(k.paid(id), u"未付"_s);
    }

    // Lines stored under a document ID that names none would be orphans no list shows.
    void linesWithoutDocument_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("document");
        for (const QString& b : testdb::backends())
            for (int d : {-1, 0}) QTest::addRow("%s: %d", qPrintable(b), d) << b << d;
    }
    void linesWithoutDocument()
    {
        QFETCH(QString, backend);
        QFETCH(int, document);
        Clinic k(backend);
        CalvaneMedicineList* lines = CalvaneMedicineListCreate();
        CalvaneMedicineLine l{};
        l.name = "阿莫西林";
        l.quantity = 2;
        l.amount = 20;
        double total = 0;
        QCOMPARE(int(InputMedicineList(lines, &l, &total)), 0);
        QVERIFY(AMDDetailMedicineRecord(0, k.conn, lines, nullptr, document) != 0);
        CalvaneMedicineListDestroy(lines);
        QVERIFY2(QString::fromUtf8(CalvaneLastError()).contains(u"单据编号 %1 不正确"_s.arg(document)), CalvaneLastError());
        QCOMPARE(k.count(u"处方明细表"_s), 0);
    }

    // A host's text ends at its first NUL: `calvane call` refuses such a line instead of storing
    // its name cut short.
    void nulInALineName()
    {
        calltable::Args store(*calltable::find(u"AMDDetailMedicineRecord"_s));
        QString error;
        QVERIFY(!store.set(u"lines"_s, uR"([{"name":"阿莫\u0000西林","quantity":2}])"_s, &error));
        QCOMPARE(error, u"lines: line field name: holds a NUL character"_s);
        QVERIFY(store.set(u"lines"_s, uR"([{"name":"阿莫西林","quantity":2}])"_s, &error));
    }

    // The server ends the session of an open desk: a checkout and a receipt edit opened then
    // say that reading failed and why, instead of judging the fields they could not fill; the
    // connection's end prints none of the driver's complaints about its statements.
    void serverGoneUnderOpenDialogs()
    {
        if (qEnvironmentVariableIsEmpty("CALVANE_TEST_PG")) QSKIP("needs CALVANE_TEST_PG");
        const QString url = testdb::freshUrl(u"postgresql"_s);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        db::AddRecord(*c, u"主治医生表"_s, {{u"医生姓名"_s, u"李医生"_s}}, {});
        const qint64 id = db::AddRecord(*c, u"收费收据表"_s,
                                        {{u"病历号"_s, 101}, {u"挂号费"_s, 200.0}, {u"合计"_s, 200.0},
                                         {u"付款"_s, u"未付"_s}, {u"医生姓名"_s, u"李医生"_s}});
        settle::CheckoutForm::Inputs in;
        in.patientNumber = u"P1"_s;
        in.caseNumber = 101;
        in.receiptId = id;
        in.cashier = u"王收款"_s;
        settle::CheckoutForm(c, in).open(); // the session has its statements prepared

        captured.clear();
        const QtMessageHandler previous = qInstallMessageHandler(capture);
        auto admin = db::Connection::open(qEnvironmentVariable("CALVANE_TEST_PG"));
        db::scalar(*admin, u"SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname=?"_s,
                   {databaseName(url)});
        QStringList shown;
        QString detail;
        {
            settle::CheckoutForm checkout(c, in);
            checkout.open();
            receipt::ReceiptEditForm::Inputs edit;
            edit.receiptId = id;
            receipt::ReceiptEditForm editor(c, edit);
            editor.open();
            ScriptedPrompter p;
            checkout.settle();
            editor.settle();
            shown = p.shown;
            detail = checkout.failureDetail;
        }
        c.reset();
        qInstallMessageHandler(previous);
        QCOMPARE(shown.size(), 2);
        for (const QString& s : shown) QVERIFY2(s.startsWith(u"发生错误!\n读取单据失败："_s), qPrintable(s));
        QVERIFY(!detail.isEmpty());
        QCOMPARE(captured.filter(u"Unable to free statement"_s), QStringList());
        auto after = db::Connection::open(url);
        QCOMPARE(db::toText(db::scalar(*after, u"SELECT rtrim(付款) FROM 收费收据表 WHERE ID=?"_s, {id})), u"未付"_s);
    }
};

QTEST_MAIN(TestStoredValues)
#include "tst_stored_values.moc"
