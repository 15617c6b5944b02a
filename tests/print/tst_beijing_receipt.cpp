// The Beijing outpatient receipt forms: the form logic of both editions (totals, capital
// numerals, the balancing rule, the receipt number) and both exports through scripts on every
// backend.
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "print/BeijingReceiptForm.h"
#include "tests/app/ScriptRun.h"
#include "tests/print/BeijingFlows.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/support/TestDb.h"
#include <QJsonDocument>
#include <QTest>

using namespace beijing;

namespace {

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(QStringLiteral("message"))) texts << m.value(QStringLiteral("text")).toString();
    return texts;
}

} // namespace

class TestBeijingReceipt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    // Typing items one after another (index into the edition's ReceiptItem order, amount).
    void form_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("edition");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QList<QPointF>>("typed"); // x: item index, y: amount
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("treatment");
        QTest::addColumn<QString>("capital");
        for (const QString& b : testdb::backends()) {
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(b + QStringLiteral(": ") + QLatin1String(name)));
            };
            row("clinic: opened with the amount") << b << 0 << 120.5 << QList<QPointF>{} << QStringList() << 120.5 << 120.5
                                                  << "壹佰贰拾元伍角整";
            row("clinic: 西药 20 added") << b << 0 << 120.5 << QList<QPointF>{{0, 20}} << QStringList() << 140.5 << 120.5
                                         << "壹佰肆拾元伍角整";
            row("clinic: 治疗费 changed") << b << 0 << 120.5 << QList<QPointF>{{17, 100}} << QStringList() << 100.0
                                          << 100.0 << "壹佰元整";
            row("city: 西药 30 leaves the total") << b << 1 << 100.0 << QList<QPointF>{{0, 30}} << QStringList() << 100.0
                                                  << 70.0 << "壹佰元整";
            row("city: 化验 150 refused, 西药 30 kept")
                << b << 1 << 100.0 << QList<QPointF>{{0, 30}, {3, 150}} << QStringList{"总费用不能为小于0的值！"} << 100.0
                << 70.0 << "壹佰元整";
            row("city: exactly the total") << b << 1 << 100.0 << QList<QPointF>{{0, 100}} << QStringList() << 100.0 << 0.0
                                           << "壹佰元整";
            // Sums are made in fen: a split that uses up the total exactly is taken, and a sum of
            // fen amounts is stored as the amount it is.
            row("city: 0.1 and 0.2 use up 0.3") << b << 1 << 0.3 << QList<QPointF>{{0, 0.1}, {3, 0.2}} << QStringList()
                                                << 0.3 << 0.0 << "叁角整";
            row("city: 4.2 and 8.4 use up 12.6") << b << 1 << 12.6 << QList<QPointF>{{0, 4.2}, {3, 8.4}} << QStringList()
                                                 << 12.6 << 0.0 << "壹拾贰元陆角整";
            row("clinic: 0.1 and 0.2 make 0.3") << b << 0 << 0.1 << QList<QPointF>{{0, 0.2}} << QStringList() << 0.3
                                                << 0.1 << "叁角整";
            row("city: hidden 针灸 counts nothing") << b << 1 << 100.0 << QList<QPointF>{{18, 500}} << QStringList()
                                                   << 100.0 << 100.0 << "壹佰元整";
        }
    }
    void form()
    {
        QFETCH(QString, backend);
        QFETCH(int, edition);
        QFETCH(double, amount);
        QFETCH(QList<QPointF>, typed);
        QFETCH(QStringList, messages);
        auto c = testdb::open(backend);
        BeijingReceiptForm::Inputs in;
        in.edition = edition == 0 ? Edition::Clinic : Edition::City;
        in.amount = amount;
        BeijingReceiptForm form(c, in);
        ScriptedPrompter prompter;
        form.open();
        Items items = form.items;
        for (const QPointF& p : typed) {
            Items next = form.items; // the fields as shown, then one item typed over
            next[int(p.x())] = p.y();
            if (form.itemsChanged(next)) items = next;
            QCOMPARE(form.items[int(p.x())], items[int(p.x())]); // a refused item is back to its value
        }
        QCOMPARE(prompter.shown, messages);
        QTEST(form.total, "total");
        QTEST(form.items[treatmentIndex(in.edition)], "treatment");
        // Exactly, not within a tolerance: nothing of a fen's fraction is left to be stored.
        QFETCH(double, total);
        QFETCH(double, treatment);
        QVERIFY2(form.total == total, qPrintable(QString::number(form.total, 'g', 17)));
        QVERIFY2(form.items[treatmentIndex(in.edition)] == treatment,
                 qPrintable(QString::number(form.items[treatmentIndex(in.edition)], 'g', 17)));
        QTEST(form.capital, "capital");
    }

    // The receipt number of the clinic form: the ticket table's first value, 1 without one.
    void ticketNumber_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariantList>("rows");
        QTest::addColumn<int>("shown");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": empty table"))) << b << QVariantList{} << 1;
            QTest::newRow(qPrintable(b + QStringLiteral(": NULL"))) << b << QVariantList{QVariant()} << 1;
            QTest::newRow(qPrintable(b + QStringLiteral(": a number"))) << b << QVariantList{3021} << 3021;
        }
    }
    void ticketNumber()
    {
        QFETCH(QString, backend);
        QFETCH(QVariantList, rows);
        auto c = testdb::open(backend);
        for (const QVariant& v : rows) db::AddRecord(*c, QStringLiteral("TicketNumber_Table"), {{QStringLiteral("TicketID"), v}}, {});
        BeijingReceiptForm form(c, {});
        form.open();
        QTEST(int(form.ticketNumber), "shown");
    }

    void exports_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("edition");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QVariantMap>("row");
        QTest::addColumn<QString>("scriptError");
        for (const QString& b : testdb::backends())
            for (const BeijingFlow& f : beijingFlows())
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(f.name)))
                    << b << f.edition << f.amount << QJsonDocument::fromJson(f.script).array() << f.result << f.messages
                    << f.row << f.scriptError;
    }
    void exports()
    {
        QFETCH(QString, backend);
        QFETCH(int, edition);
        QFETCH(double, amount);
        QFETCH(QJsonArray, script);
        QFETCH(int, result);
        QFETCH(QVariantMap, row);
        QVERIFY(!script.isEmpty());
        CalvaneConnection* conn = nullptr;
        QCOMPARE(CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn), 0);
        db::Connection& c = *conn->connection;
        db::schema::migrate(c);
        db::AddRecord(c, QStringLiteral("Payee_table"), {{QStringLiteral("Payee"), QStringLiteral("北京口腔医院")}}, {});

        ScriptRun run(script);
        int32_t receiptId = 55;
        const double date = oledate::fromDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));
        const int32_t got = edition == 0 ? BeijingReceiptPrint(conn, "张三", "1001", amount, "收款员", date, &receiptId)
                                         : BeijingReceiptPrint1(conn, "张三", "", amount, "收款员", date, &receiptId);
        QFETCH(QString, scriptError);
        const QString error = QString::fromUtf8(CalvaneUiScriptError());
        QVERIFY2(scriptError.isEmpty() ? error.isEmpty() : error.endsWith(scriptError), qPrintable(error));
        QCOMPARE(int(got), result);
        QCOMPARE(int(receiptId), result);
        QTEST(messagesOf(run), "messages");
        checkStored(c, row);
        CalvaneDisconnect(conn);
    }

private:
    static void checkStored(db::Connection& c, const QVariantMap& row)
    {
        db::Query q(c, QStringLiteral("SELECT * FROM BeanshiReceipt_table"));
        q.exec();
        if (row.isEmpty()) {
            QVERIFY(!q.next()); // nothing stored
        } else {
            QVERIFY(q.next());
            for (auto it = row.cbegin(); it != row.cend(); ++it) {
                if (it.value().typeId() == QMetaType::Double) QCOMPARE(q.number(it.key()), it.value().toDouble());
                else QCOMPARE(q.text(it.key()), it.value().toString());
            }
            QCOMPARE(q.dateTime(QStringLiteral("PayDate")), QDateTime(QDate(2024, 3, 5), QTime(9, 30)));
            QVERIFY(!q.next());
        }
    }
};

QTEST_MAIN(TestBeijingReceipt)
#include "tst_beijing_receipt.moc"
