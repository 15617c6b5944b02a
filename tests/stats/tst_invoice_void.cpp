// Invoice voiding: SDTableDisable through scripts on every backend, and a ticket voided at
// another desk between reading and voiding.
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/Prompter.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "stats/InvoiceVoid.h"
#include "tests/app/ScriptRun.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/stats/InvoiceVoidFlows.h"
#include "tests/support/TestDb.h"
#include <QJsonDocument>
#include <QTest>

namespace {

void addTickets(db::Connection& c)
{
    const QList<QVariantList> tickets{{1001, 7, 0}, {1002, 7, QVariant()}, {2001, 8, 0}, {3001, 9, 1}, {4001, 10, 2},
                                      {5001, QVariant(), 0}, {6001, 0, 0}, {6002, 0, 0}};
    for (const QVariantList& t : tickets)
        db::AddRecord(c, QStringLiteral("ShandongTicket_Table"),
                      {{QStringLiteral("TicketID"), t[0]}, {QStringLiteral("ReceiptID"), t[1]}, {QStringLiteral("IsUsed"), t[2]}});
}

QString voided(db::Connection& c)
{
    QStringList ids;
    db::Query q(c, QStringLiteral("SELECT TicketID FROM ShandongTicket_Table WHERE IsUsed=1 ORDER BY TicketID"));
    q.exec();
    while (q.next()) ids << QString::number(q.integer(0));
    return ids.join(QLatin1Char(','));
}

} // namespace

class TestInvoiceVoid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    void flows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("voided");
        QTest::addColumn<QString>("scriptError");
        for (const QString& b : testdb::backends())
            for (const InvoiceVoidFlow& f : invoiceVoidFlows())
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(f.name)))
                    << b << QJsonDocument::fromJson(f.script).array() << f.messages << f.voided << f.scriptError;
    }
    void flows()
    {
        QFETCH(QString, backend);
        QFETCH(QJsonArray, script);
        QFETCH(QString, scriptError);
        QVERIFY(!script.isEmpty());
        CalvaneConnection* conn = nullptr;
        QCOMPARE(CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn), 0);
        db::schema::migrate(*conn->connection);
        addTickets(*conn->connection);
        ScriptRun run(script);
        QCOMPARE(int(SDTableDisable(conn)), 0);
        const QString error = QString::fromUtf8(CalvaneUiScriptError());
        QVERIFY2(scriptError.isEmpty() ? error.isEmpty() : error.endsWith(scriptError), qPrintable(error));
        QStringList messages;
        for (const QJsonObject& m : run.events(QStringLiteral("message"))) messages << m.value(QStringLiteral("text")).toString();
        QTEST(messages, "messages");
        QTEST(voided(*conn->connection), "voided");
        CalvaneDisconnect(conn);
    }

    // The ticket is voided at another desk after it was read as valid and before 是: nothing is
    // voided twice and the cashier is told it was voided already.
    void voidedMeanwhile_data() { testdb::addBackendRows(); }
    void voidedMeanwhile()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addTickets(*c);
        invoicevoid::InvoiceVoidForm form(c);
        struct OtherDeskFirst : ScriptedPrompter {
            db::Connection* c = nullptr;
            using ScriptedPrompter::ScriptedPrompter;
            bool ask(const QString& text, Buttons b) override
            {
                db::execute(*c, QStringLiteral("UPDATE ShandongTicket_Table SET IsUsed=1 WHERE ReceiptID=7"));
                return ScriptedPrompter::ask(text, b);
            }
        } prompter({true});
        prompter.c = c.get();
        QCOMPARE(form.confirm(QStringLiteral("1001")), invoicevoid::InvoiceVoidForm::Ending::Close);
        QCOMPARE(prompter.shown, (QStringList{"将该发票做退票处理?", "该票据已作废,不能再做退票处理!"}));
        QCOMPARE(invoicevoid::voidTicketsOfReceipt(*c, 2001, 8), 1);
        QCOMPARE(voided(*c), QStringLiteral("1001,1002,2001,3001"));
    }
};

QTEST_MAIN(TestInvoiceVoid)
#include "tst_invoice_void.moc"
