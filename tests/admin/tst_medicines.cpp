#include "admin/MedicineStock.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "rx/PrescriptionForm.h"
#include "rx/Stock.h"
#include "rx/StockLevels.h"
#include "tests/admin/TwoDesks.h"
#include "tests/support/TestDb.h"
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace
{

using admintest::rows;

const QDateTime kNow(QDate(2024, 3, 5), QTime(9, 30));

medicines::MedicineInput amoxicillin()
{
    return {u"西药"_s, u"阿莫西林"_s, u"0.25g"_s, u"盒"_s,   u"12.5"_s,
            u"口服"_s, u"2粒"_s,      u"3次"_s,   QString(), QString()};
}

// Two desks on one clinic database whose catalogue holds 阿莫西林 0.25g.
struct TwoDesks : admintest::TwoDesks {
    qint64 medicine = 0;
    explicit TwoDesks(const QString& backend) : admintest::TwoDesks(backend)
    {
        medicine = medicines::add(*a, amoxicillin()).id;
        // Prescriptions take from the stock (the stock switch on).
        db::AddRecord(*a, u"Management_table"_s, {{u"MedicineFromKBFlag"_s, 0}}, {});
        if (medicine <= 0)
            qFatal("cannot set up the catalogue");
    }
    medicines::Intake intake(const QString& quantity, const QString& lot = u"L1"_s,
                             QDate expires = QDate(2025, 6, 30)) const
    {
        return {medicine, lot, quantity, expires, u"8"_s, u"王芳"_s, QString()};
    }
    double good(db::Connection& c) const
    {
        return rx::GoodStock(c, kNow).value(rx::medicineKey(u"阿莫西林"_s, u"0.25G "_s));
    }
};

} // namespace

class TestMedicines : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // Bad input gets its message and writes nothing: no medicine, no batch, no intake row.
    void refused_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << u"name"_s << u" "_s << u"药品名称不能为空。"_s;
        QTest::newRow("price not a number") << u"price"_s << u"十元"_s << u"单价应为不小于0的金额。"_s;
        QTest::newRow("same medicine") << u"name"_s << u"阿莫西林 "_s << u"已有药品“阿莫西林 0.25g”。"_s;
        QTest::newRow("no medicine chosen") << u"medicine"_s << u"0"_s << u"请先选择药品。"_s;
        QTest::newRow("medicine gone") << u"medicine"_s << u"999"_s << u"该药品已被其他收费台删除。"_s;
        QTest::newRow("quantity 0") << u"quantity"_s << u"0"_s << u"入库数量应为大于0的数。"_s;
        QTest::newRow("quantity not a number") << u"quantity"_s << u"五"_s << u"入库数量应为大于0的数。"_s;
        QTest::newRow("expires today") << u"expires"_s << u"2024-03-05"_s << u"有效期应在今天之后。"_s;
        QTest::newRow("intake price negative") << u"intakePrice"_s << u"-1"_s << u"入库价格应为不小于0的金额。"_s;
    }
    void refused()
    {
        QFETCH(QString, what);
        QFETCH(QString, value);
        QFETCH(QString, message);
        for (const QString& backend : testdb::backends()) {
            TwoDesks k(backend);
            medicines::Outcome o;
            if (what == u"name"_s || what == u"price"_s) {
                medicines::MedicineInput in = amoxicillin();
                (what == u"name"_s ? in.name : in.price) = value;
                o = medicines::add(*k.a, in);
            } else {
                medicines::Intake in = k.intake(u"10"_s);
                if (what == u"medicine"_s)
                    in.medicineId = value.toLongLong();
                if (what == u"quantity"_s)
                    in.quantity = value;
                if (what == u"expires"_s)
                    in.expires = QDate::fromString(value, Qt::ISODate);
                if (what == u"intakePrice"_s)
                    in.price = value;
                o = medicines::receive(*k.a, in, kNow);
            }
            QVERIFY(!o.ok);
            QCOMPARE(o.message, message);
            QCOMPARE(rows(*k.a, u"常用药品表"_s), 1);
            QCOMPARE(rows(*k.a, u"材料库存表"_s) + rows(*k.a, u"材料入库表"_s), 0);
        }
    }

    // A delivery of a batch already in stock adds to it, whatever was taken from it meanwhile;
    // another batch number or expiry is a batch of its own. Every intake is recorded with its
    // price, and the stock-out takes from what came in.
    void intake_data() { testdb::addBackendRows(); }
    void intake()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        const medicines::Outcome first = medicines::receive(*k.a, k.intake(u"10"_s), kNow);
        QVERIFY(first.ok);

        // Desk b hands out 4 from the batch, then desk a books a second delivery of it.
        rx::MedicineLine line;
        line.name = u"阿莫西林"_s;
        line.spec = u"0.25g"_s;
        line.quantity = 4;
        rx::MedicineLineList lines;
        lines.prepend(line);
        rx::TakeOutOfStock(*k.b, lines, 0, {u"王芳"_s, u"张三"_s}, kNow);
        const medicines::Outcome again = medicines::receive(*k.a, k.intake(u"5"_s, u" l1 "_s), kNow);
        QCOMPARE(again.id, first.id);
        QCOMPARE(k.good(*k.b), 11.0);

        const medicines::Outcome otherLot = medicines::receive(*k.a, k.intake(u"3"_s, u"L2"_s), kNow);
        const medicines::Outcome soon = medicines::receive(*k.a, k.intake(u"2.5"_s, u"L1"_s, QDate(2024, 4, 1)), kNow);
        QVERIFY(otherLot.id != first.id && soon.id != first.id && soon.id != otherLot.id);
        QCOMPARE(k.good(*k.b), 16.5);
        QCOMPARE(rows(*k.a, u"材料库存表"_s), 3);
        QCOMPARE(db::toNumber(db::scalar(*k.a, u"SELECT sum(总价) FROM 材料入库表"_s)), 8.0 * 20.5);
        QCOMPARE(db::toInteger(
                     db::scalar(*k.a, u"SELECT count(*) FROM 材料入库表 WHERE KBID=? AND 经手人='王芳'"_s, {first.id})),
                 2);

        // Near expiry: the batch that ends within 90 days, not the ones a year away; once it
        // has expired it is still listed (it holds stock) but no longer counted as good.
        const QList<rx::Batch> near = rx::BatchesNearExpiry(*k.a, kNow, 90);
        QCOMPARE(near.size(), 1);
        QCOMPARE(near[0].number, soon.id);
        QCOMPARE(near[0].lot, u"L1"_s);
        QCOMPARE(near[0].quantity, 2.5);
        const QDateTime later(QDate(2024, 4, 1), QTime(8, 0));
        QCOMPARE(rx::GoodStock(*k.a, later).value(rx::medicineKey(u"阿莫西林"_s, u"0.25g"_s)), 14.0);
        QCOMPARE(rx::BatchesNearExpiry(*k.a, later, 0).value(0).number, soon.id);
    }

    // The prescription picker shows each medicine's good stock when the clinic keeps it.
    void pickerShowsStock_data() { testdb::addBackendRows(); }
    void pickerShowsStock()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        QVERIFY(medicines::receive(*k.a, k.intake(u"7"_s, u"L1"_s, QDate::currentDate().addYears(1)), k.a->serverTime())
                    .ok);
        rx::PrescriptionForm::Inputs in;
        in.patientName = u"张三"_s;
        db::execute(*k.a, u"UPDATE Management_table SET MedicineFromKBFlag=1"_s);
        rx::PrescriptionForm notKept(k.a, in);
        notKept.open();
        QVERIFY(!notKept.showStock);
        db::execute(*k.a, u"UPDATE Management_table SET MedicineFromKBFlag=0"_s);
        rx::PrescriptionForm kept(k.a, in);
        kept.open();
        QVERIFY(kept.showStock);
        const rx::Medicine& m = kept.tree.value(0).medicines.value(0);
        QCOMPARE(kept.stock.value(rx::medicineKey(m.name, m.spec)), 7.0);
    }

    // An edit from a row another desk changed first writes nothing; a new name takes the
    // batches along; a medicine with stock is not removed.
    void staleEditsAndRemoval_data() { testdb::addBackendRows(); }
    void staleEditsAndRemoval()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        QVERIFY(medicines::receive(*k.a, k.intake(u"6"_s), kNow).ok);
        const medicines::Medicine seenByA = medicines::list(*k.a).value(0);
        medicines::MedicineInput byB = amoxicillin();
        byB.price = u"13"_s;
        QVERIFY(medicines::edit(*k.b, medicines::list(*k.b).value(0), byB).ok);
        medicines::MedicineInput renamed = amoxicillin();
        renamed.name = u"阿莫西林胶囊"_s;
        QCOMPARE(medicines::edit(*k.a, seenByA, renamed).message, u"该药品已被其他收费台修改，请重新打开后再试。"_s);
        QCOMPARE(medicines::list(*k.a).value(0).name, u"阿莫西林"_s);
        QCOMPARE(medicines::list(*k.a).value(0).price, 13.0);

        QVERIFY(medicines::edit(*k.a, medicines::list(*k.a).value(0), renamed).ok);
        QCOMPARE(rx::GoodStock(*k.b, kNow).value(rx::medicineKey(u"阿莫西林胶囊"_s, u"0.25g"_s)), 6.0);
        QCOMPARE(medicines::remove(*k.a, medicines::list(*k.a).value(0)).message,
                 u"药品“阿莫西林胶囊”还有库存，不能删除。"_s);
        db::execute(*k.a, u"UPDATE 材料库存表 SET 现存数量=0"_s);
        const medicines::Medicine emptied = medicines::list(*k.a).value(0);
        QVERIFY(medicines::edit(*k.b, medicines::list(*k.b).value(0), amoxicillin()).ok);
        QCOMPARE(medicines::remove(*k.a, emptied).message, u"该药品已被其他收费台修改，请重新打开后再试。"_s);
        QCOMPARE(rows(*k.a, u"常用药品表"_s), 1);
        const medicines::Medicine seenAgain = medicines::list(*k.a).value(0);
        QVERIFY(medicines::remove(*k.b, medicines::list(*k.b).value(0)).ok);
        QCOMPARE(medicines::remove(*k.a, seenAgain).message, u"该药品已被其他收费台删除。"_s);
        QCOMPARE(rows(*k.a, u"常用药品表"_s), 0);
    }

    // Two processes booking deliveries of one batch at the same time, while a third hands out
    // from it: one batch, every intake recorded, and what it holds is exactly what came in less
    // what went out.
    void twoDesksAtOnce_data() { testdb::addBackendRows(); }
    void twoDesksAtOnce()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        QVERIFY(medicines::receive(*k.a, k.intake(u"100"_s, u"L9"_s, QDate(2099, 1, 1)), k.a->serverTime()).ok);
        constexpr int each = 15;
        QList<QProcess*> desks;
        for (const QString& role : {u"--receive"_s, u"--receive"_s, u"--hand-out"_s}) {
            auto* p = new QProcess(this);
            p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            p->start(QCoreApplication::applicationFilePath(),
                     {role, k.url, QString::number(k.medicine), QString::number(each)});
            desks << p;
        }
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        QCOMPARE(rows(*k.a, u"材料库存表"_s), 1);
        QCOMPARE(rows(*k.a, u"材料入库表"_s), 1 + 2 * each);
        QCOMPARE(db::toNumber(db::scalar(*k.a, u"SELECT 现存数量 FROM 材料库存表"_s)), 100.0 + 2 * each - each);
    }
};

// `--receive URL MEDICINE N`: one desk booking N deliveries of 1 into batch L9 as fast as it
// can; `--hand-out URL MEDICINE N`: one handing out 1 from it N times (for twoDesksAtOnce).
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && (args[1] == u"--receive"_s || args[1] == u"--hand-out"_s)) {
        auto c = db::Connection::open(args[2]);
        const medicines::Medicine m = medicines::list(*c).value(0);
        for (int i = 0; i < args[4].toInt(); ++i) {
            if (args[1] == u"--receive"_s) {
                const medicines::Intake in{
                    args[3].toLongLong(), u"L9"_s, u"1"_s, QDate(2099, 1, 1), u"8"_s, u"王芳"_s, QString()};
                if (!medicines::receive(*c, in, c->serverTime()).ok)
                    return 1;
            } else {
                rx::MedicineLine line;
                line.name = m.name;
                line.spec = m.spec;
                line.quantity = 1;
                rx::MedicineLineList lines;
                lines.prepend(line);
                rx::TakeOutOfStock(*c, lines, 0, {u"李四"_s, u"张三"_s}, c->serverTime());
            }
        }
        return 0;
    }
    TestMedicines t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_medicines.moc"
