#include "admin/PriceList.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "receipt/Catalogue.h"
#include "receipt/CatalogueTree.h"
#include "receipt/FeeCategories.h"
#include "receipt/StandardItemWriter.h"
#include "settle/StandardCheckoutForm.h"
#include "tests/admin/TwoDesks.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/support/TestDb.h"
#include <QtTest>

using namespace Qt::StringLiterals;

namespace
{

using admintest::rows;

prices::ItemInput scaling()
{
    return {u"口腔科"_s, u"治疗类"_s, u"ZL"_s, u"洁治"_s, u"JZ"_s, u"次"_s, u"100"_s, QString(), true, u"0.9"_s};
}

// Two desks on one clinic database, whose catalogue holds 洁治.
struct TwoDesks : admintest::TwoDesks {
    explicit TwoDesks(const QString& backend) : admintest::TwoDesks(backend)
    {
        if (!prices::add(*a, scaling()).ok)
            qFatal("cannot set up the catalogue");
    }
};

// A receipt of one catalogue item as the standard-item receipt writes it, settled in cash.
qint64 settledReceiptOf(const db::ConnectionPtr& c, qint64 itemId)
{
    const auto item = receipt::ItemById(*c, itemId);
    receipt::StandardItem line;
    line.className = item->className;
    line.name = item->name;
    line.unit = item->unit;
    line.unitPrice = line.undiscountedAmount = line.discountedAmount = item->price;
    line.quantity = 1;
    line.discountable = item->discountable;
    receipt::StandardItemList items;
    items.add(line);
    receipt::StandardReceiptHeader h;
    h.caseNumber = 7;
    h.patientName = u"张三"_s;
    h.date = QDateTime(QDate(2024, 3, 5), QTime(9, 30));
    const qint64 id = receipt::writeStandardReceipt(*c, h, items).id;
    settle::StandardCheckoutForm::Inputs in;
    in.caseNumber = 7;
    in.receiptId = id;
    in.patientName = u"张三"_s;
    in.patientNumber = u"P1"_s;
    in.cashier = u"收款员"_s;
    settle::StandardCheckoutForm form(c, in);
    form.open();
    ScriptedPrompter prompter;
    if (form.settle() != settle::StandardCheckoutForm::Ending::Accept)
        qFatal("the receipt did not settle");
    return id;
}

QString storedReceipt(db::Connection& c, qint64 id)
{
    db::Query q(c,
                u"SELECT d.收费项目, d.标准, d.金额, r.合计, r.付款, p.实收费用 FROM 收费明细表 d JOIN 收费收据表 r ON "
                u"r.ID = d.收据编号 "
                "JOIN 病历收费单 p ON p.ReceiptID = r.ID WHERE r.ID = ?"_s,
                {id});
    q.exec();
    QStringList out;
    while (q.next())
        out << u"%1 %2 %3 %4 %5 %6"_s.arg(q.text(0))
                   .arg(q.number(1))
                   .arg(q.number(2))
                   .arg(q.number(3))
                   .arg(q.text(4))
                   .arg(q.number(5));
    return out.join(u"; "_s);
}

} // namespace

class TestPrices : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // Bad input gets its message and writes nothing.
    void refused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << u"name"_s << u" "_s << u"收费项目名称不能为空。"_s;
        QTest::newRow("price not a number") << u"price"_s << u"12元"_s << u"单价应为不小于0的金额。"_s;
        QTest::newRow("no price") << u"price"_s << u""_s << u"单价应为不小于0的金额。"_s;
        QTest::newRow("negative price") << u"price"_s << u"-5"_s << u"单价应为不小于0的金额。"_s;
        QTest::newRow("price beyond any fee") << u"price"_s << u"1e300"_s << u"单价应为不小于0的金额。"_s;
        QTest::newRow("rate above 1") << u"rate"_s << u"1.2"_s << u"折扣值应大于0且不大于1。"_s;
        QTest::newRow("rate 0") << u"rate"_s << u"0"_s << u"折扣值应大于0且不大于1。"_s;
        QTest::newRow("same item in the class") << u"code"_s << u"JZ2"_s << u"收费分类“治疗类”中已有收费项目“洁治”。"_s;
        QTest::newRow("code in use") << u"name"_s << u"拔牙"_s << u"项目编码“JZ”已被使用。"_s;
    }
    void refused()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        for (const QString& backend : testdb::backends()) {
            TwoDesks k(backend);
            prices::ItemInput in = scaling();
            in.name = u"洁治 "_s; // trailing blanks are no other name to the clinic
            if (field == u"name"_s)
                in.name = value;
            if (field == u"price"_s)
                in.price = value;
            if (field == u"rate"_s)
                in.rate = value;
            if (field == u"code"_s)
                in.itemCode = value;
            const auto o = prices::add(*k.a, in);
            QCOMPARE(o.message, message);
            QVERIFY(!o.ok);
            QCOMPARE(rows(*k.a, u"收费标准表"_s), 1);
            // The same checks guard an edit, which then leaves the row as it was.
            const prices::Item item = prices::list(*k.a).value(0);
            if (field != u"code"_s && field != u"name"_s) {
                QVERIFY(!prices::edit(*k.a, item, in).ok);
                QCOMPARE(prices::list(*k.a).value(0).price, 100.0);
            }
        }
    }

    // An edit or a retirement from a row another desk changed first writes nothing and says so;
    // loaded again, it goes through.
    void staleEditFromAnotherDesk_data() { testdb::addBackendRows(); }
    void staleEditFromAnotherDesk()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        const prices::Item seenByA = prices::list(*k.a).value(0);
        prices::ItemInput byB = scaling();
        byB.price = u"120.004"_s;
        QVERIFY(prices::edit(*k.b, prices::list(*k.b).value(0), byB).ok);

        prices::ItemInput byA = scaling();
        byA.unit = u"颗"_s;
        for (const auto& o : {prices::edit(*k.a, seenByA, byA), prices::retire(*k.a, seenByA)}) {
            QVERIFY(!o.ok);
            QCOMPARE(o.message, u"该收费项目已被其他收费台修改，请重新打开后再试。"_s);
        }
        const prices::Item now = prices::list(*k.a).value(0);
        QCOMPARE(now.price, 120.0); // stored to the fen
        QCOMPARE(now.unit, u"次"_s);
        QVERIFY(prices::edit(*k.a, now, byA).ok);
        QCOMPARE(prices::list(*k.b).value(0).unit, u"颗"_s);

        QVERIFY(prices::retire(*k.b, prices::list(*k.b).value(0)).ok);
        const auto gone = prices::edit(*k.a, prices::list(*k.a).value(0), byA);
        QCOMPARE(gone.message, u"该收费项目已被其他收费台删除。"_s);
        QCOMPARE(rows(*k.a, u"收费标准表"_s), 0);
    }

    // A settled receipt keeps the lines and amounts it was written with, whatever the catalogue
    // becomes; an item lines name is retired, not deleted, and no picker offers it any more.
    void receiptsKeepTheirPrices_data() { testdb::addBackendRows(); }
    void receiptsKeepTheirPrices()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        const prices::Item item = prices::list(*k.a).value(0);
        const qint64 receiptId = settledReceiptOf(k.a, item.id);
        const QString before = storedReceipt(*k.a, receiptId);
        QCOMPARE(before, u"洁治 100 100 100 已付 100"_s);

        prices::ItemInput dearer = scaling();
        dearer.price = u"150"_s;
        QVERIFY(prices::edit(*k.a, item, dearer).ok);
        QCOMPARE(receipt::ItemById(*k.a, item.id)->price, 150.0);
        QCOMPARE(storedReceipt(*k.a, receiptId), before);

        const auto retired = prices::retire(*k.a, prices::list(*k.a).value(0));
        QVERIFY(retired.ok);
        QCOMPARE(retired.message, u"收费项目“洁治”已有收费明细，已停用。"_s);
        QCOMPARE(storedReceipt(*k.a, receiptId), before);
        QVERIFY(prices::list(*k.a).value(0).retired);
        QVERIFY(!receipt::SearchItems(*k.a, u"JZ"_s).item);
        QVERIFY(receipt::ItemsOfClass(*k.a, u"治疗类"_s).isEmpty());
        QVERIFY(!receipt::OfferedClasses(*k.a).contains(u"治疗类"_s)); // the class offered nothing else
        QVERIFY(receipt::FillCatalogueTree(*k.a, QString(), receipt::CatalogueOrder::Unsorted).empty());
        // Its name is free for a new item; the old one cannot come back beside it.
        prices::ItemInput successor = scaling();
        successor.itemCode = u"JZ1"_s;
        QVERIFY(prices::add(*k.a, successor).ok);
        QCOMPARE(receipt::OfferedClasses(*k.a), QStringList{u"治疗类"_s});
        QCOMPARE(prices::restore(*k.a, prices::list(*k.a).value(0)).message,
                 u"收费分类“治疗类”中已有收费项目“洁治”。"_s);
        QCOMPARE(receipt::SearchItems(*k.a, u"洁治"_s).item->price, 100.0);
    }

    // The clinic's names of the twelve categories are what every category dialog shows; a
    // blank name gives back the default, and a name another desk changed meanwhile is kept.
    void categoryNames_data() { testdb::addBackendRows(); }
    void categoryNames()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        const prices::CategoryNames defaults = prices::categoryNames(*k.a);
        QCOMPARE(defaults[3], u"正畸费"_s);
        prices::CategoryNames names = defaults;
        names[3] = u" 矫治费 "_s;
        names[11] = u"材料费"_s;
        QVERIFY(prices::renameCategories(*k.a, defaults, names).ok);
        receipt::CategoryLabels shown = receipt::defaultCategoryLabels();
        receipt::LoadCategoryLabels(*k.b, shown);
        QCOMPARE(shown[3], u"矫治费"_s);
        QCOMPARE(shown[11], u"材料费"_s);

        // Desk b still shows the defaults: its change of category 12 is refused whole.
        prices::CategoryNames late = defaults;
        late[0] = u"初诊费"_s;
        late[11] = u"杂费"_s;
        QCOMPARE(prices::renameCategories(*k.b, defaults, late).message,
                 u"类别名称已被其他收费台修改，请重新打开后再试。"_s);
        QCOMPARE(prices::categoryNames(*k.b)[0], u"挂号费"_s);

        prices::CategoryNames twice = prices::categoryNames(*k.a);
        twice[0] = u"检查费"_s;
        QCOMPARE(prices::renameCategories(*k.a, prices::categoryNames(*k.a), twice).message,
                 u"类别名称“检查费”重复。"_s);
        prices::CategoryNames back = prices::categoryNames(*k.a);
        back[3] = QString();
        QVERIFY(prices::renameCategories(*k.a, prices::categoryNames(*k.a), back).ok);
        QCOMPARE(prices::categoryNames(*k.b)[3], u"正畸费"_s);
        QCOMPARE(prices::categoryNames(*k.b)[11], u"材料费"_s);
    }
};

QTEST_MAIN(TestPrices)
#include "tst_prices.moc"
