// The prescription form without its widgets: the quantity spin, the line buttons and their
// rows, and saves that fail or find the stock gone, which must leave nothing written.
#include "db/Query.h"
#include "rx/PrescriptionForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/rx/StockFixture.h"
#include "tests/support/TestDb.h"
#include <QTest>

using namespace stockfixture;
using rx::PrescriptionForm;

namespace {

const QString amox = QStringLiteral("阿莫西林");
const QString caps = QStringLiteral("0.25g*24");
const QString saveFailed = QStringLiteral("提交记录时不成功!请重新确定!");

PrescriptionForm::Inputs inputs(bool walkIn, qint32 documentId = 0)
{
    PrescriptionForm::Inputs in;
    in.caseNumber = 7;
    in.documentId = documentId;
    in.doctorName = QStringLiteral("王医生");
    in.patientName = QStringLiteral("张三");
    in.patientNumber = walkIn ? QString() : QStringLiteral("P7");
    in.cashier = QStringLiteral("收款员");
    in.date = QDateTime(QDate(2024, 3, 5), QTime(9, 30));
    return in;
}

void enter(PrescriptionForm& f, const QString& name, double quantity, double price = 10.0)
{
    f.entry = {};
    f.entry.category = QStringLiteral("西药");
    f.entry.name = name;
    f.entry.spec = caps;
    f.entry.price = price;
    f.entry.quantity = quantity;
}

QString names(const PrescriptionForm& f)
{
    QStringList out;
    for (const QStringList& r : f.rows()) out << r[0] + QLatin1Char(':') + r[4];
    return out.join(QLatin1Char(','));
}

qint64 count(db::Connection& c, const char* table)
{
    return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromUtf8(table))));
}

} // namespace

class TestPrescriptionForm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void spin_data()
    {
        QTest::addColumn<double>("quantity");
        QTest::addColumn<int>("steps");
        QTest::addColumn<double>("result");
        QTest::newRow("up") << 1.0 << 1 << 2.0;
        QTest::newRow("down to 1") << 2.0 << -1 << 1.0;
        QTest::newRow("not below 1") << 1.0 << -1 << 1.0;
        QTest::newRow("a typed fraction steps whole") << 2.5 << -1 << 1.5;
        QTest::newRow("below 1 becomes 1") << 1.5 << -1 << 1.0;
    }
    void spin()
    {
        QFETCH(double, quantity);
        QFETCH(int, steps);
        QFETCH(double, result);
        PrescriptionForm f(nullptr, inputs(true));
        enter(f, amox, quantity, 4.0);
        f.stepQuantity(steps);
        QCOMPARE(f.entry.quantity, result);
        QCOMPARE(f.entry.amount, 4.0 * result);
    }

    // Stored lines come first in ID order, added ones after in the order added; deleting a
    // stored line keeps the count of new lines right and deletes its row on save.
    void lines_data() { testdb::addBackendRows(); }
    void lines()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        keepStock(*c, true);
        addBatches(*c, amox, caps, QStringLiteral("20"));
        addBatches(*c, QStringLiteral("布洛芬"), caps, QStringLiteral("20"));
        qint32 sheet = 0;
        {
            PrescriptionForm first(c, inputs(true));
            first.open();
            enter(first, amox, 1);
            first.add();
            enter(first, QStringLiteral("布洛芬"), 2);
            first.add();
            QCOMPARE(first.save(), PrescriptionForm::Ending::Accept);
            sheet = first.documentId();
        }
        QCOMPARE(batches(*c), QStringLiteral("19,18"));
        PrescriptionForm f(c, inputs(true, sheet));
        f.open();
        QCOMPARE(f.storedCount(), 2);
        // Stored head first, so the line added last has the lowest ID.
        QCOMPARE(names(f), QStringLiteral("布洛芬:2.00,阿莫西林:1.00"));
        enter(f, amox, 3, 2.0);
        f.add();
        QCOMPARE(names(f), QStringLiteral("布洛芬:2.00,阿莫西林:1.00,阿莫西林:3.00"));
        QCOMPARE(f.header.total, 10.0 + 20.0 + 6.0);
        f.selectRow(2);
        f.entry.quantity = 4; // typed, not stepped
        QVERIFY(f.modify());
        QCOMPARE(f.lines().at(1).amount, 8.0);
        f.selectRow(0);
        QVERIFY(f.remove());
        QCOMPARE(f.storedCount(), 1);
        QCOMPARE(names(f), QStringLiteral("阿莫西林:1.00,阿莫西林:4.00"));
        QCOMPARE(f.save(), PrescriptionForm::Ending::Accept);
        // Only the new line left the stock; the deleted line's row is gone.
        QCOMPARE(batches(*c), QStringLiteral("15,18"));
        QCOMPARE(count(*c, "处方明细表"), 2);
        QCOMPARE(db::toNumber(db::scalar(*c, QStringLiteral("SELECT 合计 FROM 无病历收费单 WHERE ID=?"), {sheet})), 18.0);
    }

    // Every statement of a walk-in save failing in turn leaves nothing written, says so and
    // keeps the lines for another try.
    void failedSaveWritesNothing_data() { testdb::addBackendRows(); }
    void failedSaveWritesNothing()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        keepStock(*c, true);
        addBatches(*c, amox, caps, QStringLiteral("1,5"));
        PrescriptionForm f(c, inputs(true));
        f.open();
        enter(f, amox, 2);
        f.add();
        for (int n = 1;; ++n) {
            QVERIFY2(n < 60, "the save never got through");
            ScriptedPrompter prompter;
            c->failStatementAfter(n);
            const PrescriptionForm::Ending ending = f.save();
            c->clearFault();
            if (ending == PrescriptionForm::Ending::Accept) break;
            QCOMPARE(ending, PrescriptionForm::Ending::Stay);
            QCOMPARE(prompter.shown, QStringList{saveFailed});
            QVERIFY(!f.failure.isEmpty());
            QCOMPARE(batches(*c), QStringLiteral("1,5"));
            QCOMPARE(withdrawals(*c), QString());
            QCOMPARE(count(*c, "无病历收费单") + count(*c, "处方明细表"), 0);
            QCOMPARE(f.documentId(), 0);
            QCOMPARE(f.lines().size(), 1);
        }
        QCOMPARE(batches(*c), QStringLiteral("0,4"));
        QCOMPARE(count(*c, "处方明细表"), 1);
    }

    // The stock-out finds less than the check promised (two lines of one medicine each within
    // the stock, together beyond it): the save is undone and says so.
    void shortfallAtStockOut_data() { testdb::addBackendRows(); }
    void shortfallAtStockOut()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        keepStock(*c, true);
        addBatches(*c, amox, caps, QStringLiteral("5"));
        PrescriptionForm f(c, inputs(true));
        f.open();
        for (int i = 0; i < 2; ++i) {
            enter(f, amox, 3);
            f.add();
        }
        ScriptedPrompter prompter;
        QCOMPARE(f.save(), PrescriptionForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{saveFailed});
        QVERIFY(f.failure.contains(amox));
        QCOMPARE(batches(*c), QStringLiteral("5"));
        QCOMPARE(count(*c, "无病历收费单"), 0);
    }

    // A case-record prescription settled at the cashier's meanwhile is not written over.
    void settledMeanwhile_data() { testdb::addBackendRows(); }
    void settledMeanwhile()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        PrescriptionForm first(c, inputs(false));
        first.open();
        enter(first, amox, 1);
        first.add();
        QCOMPARE(first.save(), PrescriptionForm::Ending::Accept);
        PrescriptionForm f(c, inputs(false, first.documentId()));
        f.open();
        enter(f, amox, 2);
        f.add();
        db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET 付款='已付'"));
        ScriptedPrompter prompter;
        QCOMPARE(f.save(), PrescriptionForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{saveFailed});
        QCOMPARE(count(*c, "处方明细表"), 1);
        QCOMPARE(db::toNumber(db::scalar(*c, QStringLiteral("SELECT 合计 FROM 收费收据表"))), 10.0);
    }
};

QTEST_GUILESS_MAIN(TestPrescriptionForm)
#include "tst_prescription_form.moc"
