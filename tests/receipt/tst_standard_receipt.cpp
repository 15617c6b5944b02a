// Standard-item receipts and walk-in standard sheets: the record writer (header and lines in one
// transaction, guarded edits, two desks on one database) and the receipt form's entry rules,
// on every backend.
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/StandartNonDocInfo.h"
#include "receipt/StandardReceiptForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/support/TestDb.h"
#include "walkin/WalkinStandardSheet.h"
#include <QProcess>
#include <QTest>

using namespace receipt;

namespace {

const QDateTime when(QDate(2024, 3, 5), QTime(9, 30));

StandardItem line(const char* name, double price, double quantity, int discountable = 1, double rate = 1.0)
{
    StandardItem i;
    i.className = QStringLiteral("治疗类");
    i.name = QString::fromUtf8(name);
    i.unit = QStringLiteral("次");
    i.unitPrice = price;
    i.quantity = quantity;
    i.discountable = discountable;
    i.rate = discountable ? rate : 1.0;
    i.undiscountedAmount = price * quantity;
    i.discountedAmount = price * quantity * i.rate;
    i.date = when;
    return i;
}

StandardReceiptHeader header(int refund = 0)
{
    StandardReceiptHeader h;
    h.caseNumber = 7;
    h.patientName = QStringLiteral("张三");
    h.doctorName = QStringLiteral("王医生");
    h.doctorNumber = QStringLiteral("D01");
    h.department = QStringLiteral("口腔科");
    h.nurse = QStringLiteral("刘护士");
    h.remark = QStringLiteral("复诊");
    h.date = when;
    h.refund = refund;
    h.discountType = 3;
    h.discountValue = 0.9;
    return h;
}

QList<QVariantMap> rows(db::Connection& c, const QString& sql, const QVariantList& values = {})
{
    db::Query q(c, sql);
    q.bindAll(values).exec();
    QList<QVariantMap> out;
    while (q.next()) out << testdb::currentRow(q);
    return out;
}

// Everything the writers touch, as text, to compare before and after.
QString snapshot(db::Connection& c)
{
    QStringList out;
    for (const char* table : {"收费收据表", "无病历收费单", "收费明细表"})
        for (const QVariantMap& m : rows(c, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QString::fromUtf8(table))))
            for (auto it = m.cbegin(); it != m.cend(); ++it) out << it.key() + QLatin1Char('=') + it.value().toString();
    return out.join(QLatin1Char('|'));
}

QStringList names(const StandardItemList& list)
{
    QStringList n;
    for (const StandardItem& i : list.lines()) n << i.name + QLatin1Char('/') + QString::number(i.rowId);
    return n;
}

// A stored receipt of two lines (洁治 2×50, 拔牙 1×100 not discountable).
SavedLines storeTwoLines(db::Connection& c)
{
    StandardItemList items;
    items.add(line("洁治", 50, 2));
    items.add(line("拔牙", 100, 1, 0));
    return writeStandardReceipt(c, header(), items);
}

walkin::WalkinStandardSheet walkinSheet()
{
    walkin::WalkinStandardSheet s;
    s.patientName = QStringLiteral("马晓东");
    s.sex = QStringLiteral("男");
    s.age = 52;
    s.doctorName = QStringLiteral("王医生");
    s.doctorNumber = QStringLiteral("D01");
    s.department = QStringLiteral("口腔科");
    s.cashier = QStringLiteral("收款员");
    s.nurse = QStringLiteral("刘护士");
    s.date = when;
    s.remark = QStringLiteral("加急");
    return s;
}

// The backend and a URL another process can open on the same database.
struct SharedDb {
    QString url;
    db::ConnectionPtr c;
    explicit SharedDb(const QString& backend) : url(testdb::freshUrl(backend)), c(db::Connection::open(url))
    {
        db::schema::migrate(*c);
    }
};

int otherDesk(const SharedDb& d, const QString& action, ReceiptKind kind, qint64 owner)
{
    QProcess p;
    p.start(QStringLiteral(STANDARD_DESK),
            {d.url, action, QString::number(int(kind)), QString::number(owner)});
    if (!p.waitForFinished(120000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

class TestStandardReceipt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    // Header and lines as stored: 合计 is the discounted total, negative on a refund receipt,
    // while the lines keep positive amounts.
    void writesReceiptAndLines_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("refund");
        QTest::addColumn<double>("total");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": several items"))) << b << 0 << 225.0;
            QTest::newRow(qPrintable(b + QStringLiteral(": refund"))) << b << 1 << -225.0;
        }
    }
    void writesReceiptAndLines()
    {
        QFETCH(QString, backend);
        QFETCH(int, refund);
        QFETCH(double, total);
        auto c = testdb::open(backend);
        StandardItemList items;
        items.add(line("洁治", 50, 2, 1, 0.9)); // 90 of 100
        items.add(line("拔牙", 100, 1, 0));     // takes no discount
        items.add(line("全景片", 35, 1));
        const SavedLines saved = writeStandardReceipt(*c, header(refund), items);

        const auto receipt = rows(*c, QStringLiteral("SELECT * FROM 收费收据表"));
        QCOMPARE(receipt.size(), 1);
        const QVariantMap& r = receipt.first();
        QCOMPARE(r.value("id").toLongLong(), saved.id);
        QCOMPARE(r.value("合计").toDouble(), total);
        QCOMPARE(saved.total, total);
        QCOMPARE(r.value("付款").toString(), QStringLiteral("未付"));
        QCOMPARE(r.value("feeio").toInt(), refund);
        QCOMPARE(r.value("doctor_discout").toInt(), 3);
        QCOMPARE(r.value("doctor_discout_value").toDouble(), 0.9);
        QCOMPARE(r.value("备注").toString(), QStringLiteral("复诊"));
        QCOMPARE(r.value("病历号").toInt(), 7);
        QCOMPARE(r.value("护士").toString(), QStringLiteral("刘护士"));
        QVERIFY(r.value("挂号费").isNull()); // the category columns stay empty

        const auto lines = rows(*c, QStringLiteral("SELECT * FROM 收费明细表 ORDER BY ID"));
        QCOMPARE(lines.size(), 3);
        const QList<QList<double>> expected{{50, 2, 90, 0.9, 100, 1}, {100, 1, 100, 1.0, 100, 0}, {35, 1, 35, 1.0, 35, 1}};
        for (int i = 0; i < 3; ++i) {
            const QVariantMap& l = lines[i];
            QCOMPARE(l.value("收据编号").toLongLong(), saved.id);
            QCOMPARE(l.value("收据类型").toInt(), 0);
            QVERIFY(l.value("无病案编号").isNull());
            QCOMPARE(l.value("收费类型").toString(), QStringLiteral("治疗类"));
            QCOMPARE(l.value("标准").toDouble(), expected[i][0]);
            QCOMPARE(l.value("数量").toDouble(), expected[i][1]);
            QCOMPARE(l.value("金额").toDouble(), expected[i][2]);
            QCOMPARE(l.value("discout_value").toDouble(), expected[i][3]);
            QCOMPARE(l.value("standartfee").toDouble(), expected[i][4]);
            QCOMPARE(l.value("isdiscout").toInt(), int(expected[i][5]));
            QCOMPARE(db::toDateTime(l.value("日期")), when);
        }
        QCOMPARE(saved.newIds.size(), size_t(3));
        QCOMPARE(saved.newIds.front(), lines.first().value("id").toLongLong());
    }

    // An edit that deletes a loaded line, changes another and adds one is one save; saving the
    // same list again afterwards adds nothing twice.
    void editDeletesChangesAndAdds_data() { testdb::addBackendRows(); }
    void editDeletesChangesAndAdds()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const SavedLines first = storeTwoLines(*c);
        StandardItemList items = loadStandardItems(*c, ReceiptKind::CaseRecord, first.id);
        QCOMPARE(names(items), (QStringList{QStringLiteral("洁治/%1").arg(first.newIds[0]),
                                            QStringLiteral("拔牙/%1").arg(first.newIds[1])}));
        items.remove(0);
        StandardItem changed = items.at(0);
        changed.quantity = 2;
        changed.discountedAmount = 200;
        items.replace(0, changed);
        items.add(line("补牙", 80, 1));
        StandardItem dropped = line("临时", 1, 1);
        items.add(dropped);
        items.remove(2); // added since opening: nothing to delete

        StandardReceiptHeader h = header();
        h.id = first.id;
        h.loaded = loadStandardReceiptRow(*c, first.id);
        const SavedLines saved = writeStandardReceipt(*c, h, items);
        items.markSaved(saved.newIds);
        QCOMPARE(saved.id, first.id);
        QVERIFY(items.removed().empty());

        auto stored = [&] {
            QStringList out;
            for (const QVariantMap& l : rows(*c, QStringLiteral("SELECT * FROM 收费明细表 ORDER BY ID")))
                out << QStringLiteral("%1 %2×%3=%4").arg(l.value("收费项目").toString(), l.value("标准").toString(),
                                                        l.value("数量").toString(), l.value("金额").toString());
            return out;
        };
        const QStringList expected{QStringLiteral("拔牙 100×2=200"), QStringLiteral("补牙 80×1=80")};
        QCOMPARE(stored(), expected);
        QCOMPARE(db::toNumber(db::scalar(*c, QStringLiteral("SELECT 合计 FROM 收费收据表"))), 280.0);
        h.loaded = loadStandardReceiptRow(*c, first.id);
        writeStandardReceipt(*c, h, items);
        QCOMPARE(stored(), expected);
    }

    // A line another program stored without an item name, quantity, amount or rate is read as
    // "", 0, 0 and the full rate; changing or deleting it is no conflict with anyone.
    void linesWithNullsAreEdited_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("remove");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": changed"))) << b << false;
            QTest::newRow(qPrintable(b + QStringLiteral(": deleted"))) << b << true;
        }
    }
    void linesWithNullsAreEdited()
    {
        QFETCH(QString, backend);
        QFETCH(bool, remove);
        auto c = testdb::open(backend);
        const SavedLines first = storeTwoLines(*c);
        db::execute(*c, QStringLiteral("UPDATE 收费明细表 SET 收费项目=NULL, 数量=NULL, 金额=NULL, Discout_Value=NULL WHERE ID=")
                            + QString::number(first.newIds[0]));
        StandardItemList items = loadStandardItems(*c, ReceiptKind::CaseRecord, first.id);
        QCOMPARE(items.at(0).rate, 1.0);
        if (remove) {
            items.remove(0);
        } else {
            StandardItem changed = items.at(0);
            changed.name = QStringLiteral("洁治");
            changed.quantity = 1;
            changed.discountedAmount = 50;
            items.replace(0, changed);
        }
        StandardReceiptHeader h = header();
        h.id = first.id;
        h.loaded = loadStandardReceiptRow(*c, first.id);
        writeStandardReceipt(*c, h, items);
        const QStringList stored = names(loadStandardItems(*c, ReceiptKind::CaseRecord, first.id));
        const QStringList expected = remove ? QStringList{QStringLiteral("拔牙/%1").arg(first.newIds[1])}
                                            : QStringList{QStringLiteral("洁治/%1").arg(first.newIds[0]),
                                                          QStringLiteral("拔牙/%1").arg(first.newIds[1])};
        QCOMPARE(stored, expected);
    }

    // Every statement of a save failing in turn, the header's first among them: nothing of the
    // save is kept and the list stays as it was, so the dialog can try again.
    void failedWriteKeepsNothing_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("kind");
        for (const QString& b : testdb::backends())
            for (const char* k : {"new receipt", "edit", "walk-in sheet", "walk-in correction"})
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(k))) << b << QString::fromUtf8(k);
    }
    void failedWriteKeepsNothing()
    {
        QFETCH(QString, backend);
        QFETCH(QString, kind);
        auto c = testdb::open(backend);
        const bool walkin = kind.startsWith(QLatin1String("walk-in"));
        const bool editing = kind == QLatin1String("edit") || kind == QLatin1String("walk-in correction");
        StandardItemList items;
        StandardReceiptHeader h = header();
        walkin::WalkinStandardSheet sheet = walkinSheet();
        items.add(line("洁治", 50, 2));
        items.add(line("拔牙", 100, 1));
        if (editing) {
            const SavedLines s = walkin ? walkin::writeWalkinStandardSheet(*c, sheet, items) : writeStandardReceipt(*c, h, items);
            items = loadStandardItems(*c, walkin ? ReceiptKind::Walkin : ReceiptKind::CaseRecord, s.id);
            h.id = sheet.id = s.id;
            if (!walkin) h.loaded = loadStandardReceiptRow(*c, s.id);
            sheet.loadedTotal = s.total;
            items.remove(0);
            StandardItem more = items.at(0);
            more.quantity = 4;
            items.replace(0, more);
            items.add(line("补牙", 80, 1));
        }
        const QString before = snapshot(*c);
        const QStringList listBefore = names(items);
        int failures = 0;
        for (int n = 1; n < 50; ++n) {
            c->failStatementAfter(n);
            bool failed = false;
            try {
                walkin ? walkin::writeWalkinStandardSheet(*c, sheet, items) : writeStandardReceipt(*c, h, items);
            } catch (const db::Error&) {
                failed = true;
            }
            c->clearFault();
            if (!failed) break; // the fault came after the last statement: the save went through
            ++failures;
            QCOMPARE(snapshot(*c), before);
            QCOMPARE(names(items), listBefore);
        }
        QVERIFY(failures >= (editing ? 4 : 3)); // the header, each line and the deletion failed once
        QVERIFY(snapshot(*c) != before);
    }

    // A receipt settled or deleted at another desk, or a line changed there, is not overwritten.
    void staleEditIsRefused_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("meanwhile");
        for (const QString& b : testdb::backends())
            for (const char* m : {"settled", "deleted", "line changed", "line deleted", "header changed"})
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(m))) << b << QString::fromUtf8(m);
    }
    void staleEditIsRefused()
    {
        QFETCH(QString, backend);
        QFETCH(QString, meanwhile);
        auto c = testdb::open(backend);
        const SavedLines first = storeTwoLines(*c);
        StandardItemList items = loadStandardItems(*c, ReceiptKind::CaseRecord, first.id);
        StandardReceiptHeader h = header();
        h.id = first.id;
        h.loaded = loadStandardReceiptRow(*c, first.id);
        const QString ids = QString::number(first.newIds[0]);
        const QMap<QString, QString> statements{
            {QStringLiteral("settled"), QStringLiteral("UPDATE 收费收据表 SET 付款='已付'")},
            {QStringLiteral("deleted"), QStringLiteral("DELETE FROM 收费收据表")},
            {QStringLiteral("line changed"), QStringLiteral("UPDATE 收费明细表 SET 数量=5 WHERE ID=") + ids},
            {QStringLiteral("line deleted"), QStringLiteral("DELETE FROM 收费明细表 WHERE ID=") + ids},
            {QStringLiteral("header changed"), QStringLiteral("UPDATE 收费收据表 SET 备注='另一台'")},
        };
        db::execute(*c, statements.value(meanwhile));
        const QString before = snapshot(*c);
        items.add(line("补牙", 80, 1));
        QVERIFY_THROWS_EXCEPTION(SaveConflict, writeStandardReceipt(*c, h, items));
        QCOMPARE(snapshot(*c), before);
    }

    // Two desks, two processes, one receipt or sheet: the other desk saves first, so this desk's
    // save of what it loaded earlier is refused whole and the other desk's work stays.
    void twoDesksOneReceipt_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("kind");
        for (const QString& b : testdb::backends()) {
            for (const char* a : {"requantify", "drop", "settle", "add"})
                QTest::newRow(qPrintable(b + QStringLiteral(": receipt, ") + QString::fromUtf8(a)))
                    << b << QString::fromUtf8(a) << 0;
            QTest::newRow(qPrintable(b + QStringLiteral(": walk-in sheet, requantify"))) << b << "requantify" << 1;
        }
    }
    void twoDesksOneReceipt()
    {
        QFETCH(QString, backend);
        QFETCH(QString, action);
        QFETCH(int, kind);
        SharedDb d(backend);
        const auto k = ReceiptKind(kind);
        StandardItemList first;
        first.add(line("洁治", 50, 2));
        first.add(line("拔牙", 100, 1));
        walkin::WalkinStandardSheet sheet = walkinSheet();
        const SavedLines stored =
            kind == 1 ? walkin::writeWalkinStandardSheet(*d.c, sheet, first) : writeStandardReceipt(*d.c, header(), first);

        // This desk loads, the other desk saves, then this desk saves.
        StandardItemList mine = loadStandardItems(*d.c, k, stored.id);
        StandardReceiptHeader h = header();
        h.id = stored.id;
        h.loaded = loadStandardReceiptRow(*d.c, stored.id);
        StandardItem edited = mine.at(0);
        edited.quantity = 7;
        edited.discountedAmount = 350;
        mine.replace(0, edited);
        QCOMPARE(otherDesk(d, action, k, stored.id), 0);
        const QString theirs = snapshot(*d.c);
        if (kind == 1) {
            sheet.id = stored.id;
            QVERIFY_THROWS_EXCEPTION(SaveConflict, walkin::writeWalkinStandardSheet(*d.c, sheet, mine));
        } else {
            mine.add(line("补牙", 80, 1));
            QVERIFY_THROWS_EXCEPTION(SaveConflict, writeStandardReceipt(*d.c, h, mine));
        }
        QCOMPARE(snapshot(*d.c), theirs);
        // The other desk saved its receipt whole: the stored total is still that of the stored lines.
        if (action == QLatin1String("add")) {
            const StandardItemList stored = loadStandardItems(*d.c, k, h.id);
            QCOMPARE(db::toNumber(db::scalar(*d.c, QStringLiteral("SELECT 合计 FROM 收费收据表 WHERE ID=?"), {h.id})),
                     totalsOf(stored).discounted);
        }
    }

    // The walk-in sheet: paid in full, its remark kept, lines as walk-in lines; the header comes
    // back through GetStandartNonDocInfo. An empty sheet stores 合计 0 and no lines.
    void walkinSheetStored_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<double>("total");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": items and remark"))) << b << 2 << 160.0;
            QTest::newRow(qPrintable(b + QStringLiteral(": no items"))) << b << 0 << 0.0;
        }
    }
    void walkinSheetStored()
    {
        QFETCH(QString, backend);
        QFETCH(int, lineCount);
        QFETCH(double, total);
        auto c = testdb::open(backend);
        StandardItemList items;
        if (lineCount) {
            items.add(line("洁治", 50, 2));
            StandardItem typed = line("拔牙", 100, 1);
            typed.discountedAmount = 60; // an amount typed over the price stands
            items.add(typed);
        }
        const SavedLines saved = walkin::writeWalkinStandardSheet(*c, walkinSheet(), items);
        const QVariantMap s = rows(*c, QStringLiteral("SELECT * FROM 无病历收费单")).value(0);
        QCOMPARE(s.value("id").toLongLong(), saved.id);
        QCOMPARE(s.value("付款").toString(), QStringLiteral("已付"));
        QCOMPARE(s.value("备注").toString(), QStringLiteral("加急"));
        for (const char* column : {"合计", "应收金额", "收款金额"}) QCOMPARE(s.value(QString::fromUtf8(column)).toDouble(), total);
        QCOMPARE(s.value("余额").toDouble(), 0.0);
        QCOMPARE(s.value("病历号").toInt(), 0);
        QCOMPARE(s.value("收款人").toString(), QStringLiteral("收款员"));
        const auto lines = rows(*c, QStringLiteral("SELECT * FROM 收费明细表 ORDER BY ID"));
        QCOMPARE(lines.size(), lineCount);
        for (const QVariantMap& l : lines) {
            QCOMPARE(l.value("无病案编号").toLongLong(), saved.id);
            QCOMPARE(l.value("收据类型").toInt(), 1);
            QVERIFY(l.value("收据编号").isNull());
        }
        if (lineCount) QCOMPARE(lines[1].value("金额").toDouble(), 60.0);

        db::StandartNonDocInfo info;
        QVERIFY(db::GetStandartNonDocInfo(*c, saved.id, info));
        QCOMPARE(info.patientName, QStringLiteral("马晓东"));
        QCOMPARE(info.sex, QStringLiteral("男"));
        QCOMPARE(info.age, 52);
        QCOMPARE(info.doctorNumber, QStringLiteral("D01"));
        QCOMPARE(info.department, QStringLiteral("口腔科"));
        QCOMPARE(info.total, total);
        QCOMPARE(info.remark, QStringLiteral("加急"));
        QVERIFY(!db::GetStandartNonDocInfo(*c, saved.id + 1, info));
    }

    // Type 3: a typed amount gives the rate, cut to two decimals and kept within 0..1.
    void typedAmountGivesRate_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("discount");
        QTest::newRow("90 for 100") << 100.0 << 1.0 << 90.0 << 0.90 << 0.90;
        QTest::newRow("120 for 100") << 100.0 << 1.0 << 120.0 << 1.0 << 1.0;
        QTest::newRow("rate cut, not rounded") << 30.0 << 1.0 << 29.99 << 0.99 << 29.99 / 30.0;
        QTest::newRow("two of them") << 50.0 << 2.0 << 85.0 << 0.85 << 0.85;
        QTest::newRow("negative amount") << 100.0 << 1.0 << -5.0 << 0.0 << 0.0;
    }
    void typedAmountGivesRate()
    {
        QFETCH(double, price);
        QFETCH(double, quantity);
        QFETCH(double, amount);
        auto c = testdb::open(QStringLiteral("sqlite"));
        StandardReceiptForm form(c, {});
        form.discountType = 3;
        form.itemLoaded({1, QStringLiteral("治疗类"), QStringLiteral("洁治"), QStringLiteral("次"), price, {}, 1, 1.0});
        form.entry.quantity = quantity;
        form.quantityChanged();
        QCOMPARE(form.entry.amount, price * quantity);
        form.entry.amount = amount;
        form.amountChanged();
        QTEST(form.entry.itemRate, "rate");
        QTEST(form.entry.discount, "discount");
        QCOMPARE(form.entry.amount, amount); // what was typed stays
    }

    // Without discounting an amount typed over the item's is not taken: the line costs its price
    // times its quantity.
    void noDiscountingNoTypedAmount()
    {
        auto c = testdb::open(QStringLiteral("sqlite"));
        StandardReceiptForm form(c, {});
        form.discountType = -1;
        form.itemLoaded({1, QStringLiteral("治疗类"), QStringLiteral("洁治"), QStringLiteral("次"), 100.0, {}, 1, 0.8});
        QVERIFY(!form.amountEditable());
        form.entry.amount = 50.0;
        form.amountChanged();
        QCOMPARE(form.entry.amount, 100.0);
        form.add();
        QCOMPARE(form.actualTotal, 100.0);
    }

    // The quantity spin never goes below 1; the amount follows with the item's rate when the
    // item takes discounts and discounting is on.
    void quantitySpin_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("discountable");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("amount");
        QTest::newRow("up twice") << -1 << 1 << QList<int>{1, 1} << 3.0 << 300.0;
        QTest::newRow("down from 1 stays 1") << 2 << 1 << QList<int>{-1, -1} << 1.0 << 80.0;
        QTest::newRow("catalogue rate") << 2 << 1 << QList<int>{1} << 2.0 << 160.0;
        QTest::newRow("no discount on this item") << 2 << 0 << QList<int>{1} << 2.0 << 200.0;
    }
    void quantitySpin()
    {
        QFETCH(int, type);
        QFETCH(int, discountable);
        QFETCH(QList<int>, steps);
        auto c = testdb::open(QStringLiteral("sqlite"));
        StandardReceiptForm form(c, {});
        form.discountType = type;
        form.itemLoaded({1, {}, QStringLiteral("洁治"), {}, 100.0, {}, discountable, 0.8});
        for (int s : steps) form.quantityStepped(s);
        QTEST(form.entry.quantity, "quantity");
        QTEST(form.entry.amount, "amount");
    }

    // The list buttons and the records behind the rows: add, click, change, delete (a loaded
    // line goes to the removed list, the class stays), totals after each.
    void listButtons()
    {
        auto c = testdb::open(QStringLiteral("sqlite"));
        StandardReceiptForm form(c, {});
        form.discountType = 2;
        form.itemLoaded({1, QStringLiteral("治疗类"), QStringLiteral("洁治"), QStringLiteral("次"), 100.0, {}, 1, 0.8});
        QVERIFY(form.addEnabled);
        form.add();
        form.itemLoaded({2, QStringLiteral("治疗类"), QStringLiteral("拔牙"), QStringLiteral("颗"), 50.0, {}, 0, 0.5});
        form.quantityStepped(1);
        form.add();
        QCOMPARE(form.items.size(), 2);
        QCOMPARE(form.actualTotal, 180.0);
        QCOMPARE(form.receivableTotal, 200.0);
        QCOMPARE(cellTexts(form.items.at(1)),
                 (QStringList{"治疗类", "拔牙", "颗", "50.00", "2.00", "不打折", "1.00", "100.00", "100.00"}));
        QCOMPARE(form.entry.itemName, QString());
        QVERIFY(!form.addEnabled && !form.modifyEnabled && !form.deleteEnabled);

        form.rowClicked(0);
        QVERIFY(form.deleteEnabled && !form.modifyEnabled && !form.addEnabled);
        QCOMPARE(form.entry.itemRate, 0.8);
        form.entry.quantity = 3;
        form.quantityChanged();
        QVERIFY(form.modifyEnabled);
        form.modify();
        QCOMPARE(form.items.at(0).discountedAmount, 240.0);
        QCOMPARE(form.actualTotal, 340.0);

        form.items.lines()[0].rowId = 11; // as if loaded from the database
        form.rowClicked(0);
        form.remove();
        QCOMPARE(form.items.size(), 1);
        QCOMPARE(form.items.removed().size(), size_t(1));
        QCOMPARE(form.entry.className, QStringLiteral("治疗类"));
        QCOMPARE(form.actualTotal, 100.0);
        QVERIFY_THROWS_EXCEPTION(OutOfBounds, form.items.at(1));
    }

    // Changing to the types 0 and 1 asks whether to recalculate the listed items; a type 0
    // change without an approved rate is withdrawn.
    void discountTypeChange_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("approved");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("typeAfter");
        QTest::addColumn<double>("total");
        QTest::newRow("approved rate, recalculate") << 0 << QVariant(0.5) << QList<bool>{true} << 0 << 150.0;
        QTest::newRow("approved rate, keep the items") << 0 << QVariant(0.5) << QList<bool>{false} << 0 << 180.0;
        QTest::newRow("no approved rate") << 0 << QVariant() << QList<bool>{} << 2 << 180.0;
        QTest::newRow("member rate") << 1 << QVariant() << QList<bool>{true} << 1 << 150.0;
        QTest::newRow("catalogue rates: no question") << 3 << QVariant() << QList<bool>{} << 3 << 180.0;
    }
    void discountTypeChange()
    {
        QFETCH(int, type);
        QFETCH(QVariant, approved);
        QFETCH(QList<bool>, answers);
        auto c = testdb::open(QStringLiteral("sqlite"));
        StandardReceiptForm form(c, {});
        form.discountType = 2;
        form.memberRate = 0.5;
        form.items.add(line("洁治", 100, 1, 1, 0.8));
        form.items.add(line("拔牙", 100, 1, 0));
        ScriptedPrompter prompter(answers);
        form.discountTypeChanged(type, approved.isValid() ? std::optional<double>(approved.toDouble()) : std::nullopt);
        QVERIFY(prompter.allAnswered());
        QTEST(form.discountType, "typeAfter");
        QTEST(totalsOf(form.items).discounted, "total");
    }

    // 提  交 refuses a receipt without doctor, department or number and writes nothing.
    void submitNeedsDoctor_data()
    {
        QTest::addColumn<QString>("doctor");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QString>("number");
        QTest::newRow("no doctor") << "" << "口腔科" << "D01";
        QTest::newRow("no department") << "王医生" << "" << "D01";
        QTest::newRow("no number") << "王医生" << "口腔科" << "";
    }
    void submitNeedsDoctor()
    {
        QFETCH(QString, doctor);
        QFETCH(QString, department);
        QFETCH(QString, number);
        auto c = testdb::open(QStringLiteral("sqlite"));
        StandardReceiptForm form(c, {7, 0, doctor, department, number, QStringLiteral("张三"), {}, when, {}, 0});
        ScriptedPrompter prompter;
        QCOMPARE(form.submit(), StandardReceiptForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("请填写医生、科室或医生编号!")});
        QCOMPARE(db::toInteger(db::scalar(*c, QStringLiteral("SELECT count(*) FROM 收费收据表"))), 0);
    }

    // The dialog's side of a stale edit: the save is refused with the common message and the
    // receipt as the other desk left it is shown again; lines that could not be read at opening
    // are never saved over.
    void formRefusesStaleOrUnreadReceipt_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("unread");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": changed at another desk"))) << b << false;
            QTest::newRow(qPrintable(b + QStringLiteral(": lines not read"))) << b << true;
        }
    }
    void formRefusesStaleOrUnreadReceipt()
    {
        QFETCH(QString, backend);
        QFETCH(bool, unread);
        auto c = testdb::open(backend);
        const SavedLines first = storeTwoLines(*c);
        if (unread) c->execute(QStringLiteral("ALTER TABLE 收费明细表 RENAME TO 收费明细表_away"));
        StandardReceiptForm form(c, {7, first.id, QStringLiteral("王医生"), QStringLiteral("口腔科"), QStringLiteral("D01"),
                                     QStringLiteral("张三"), {}, when, {}, 0});
        form.open();
        if (unread) {
            c->execute(QStringLiteral("ALTER TABLE 收费明细表_away RENAME TO 收费明细表"));
        } else {
            // Another desk adds a line to the receipt and saves it.
            StandardReceiptHeader h = header();
            h.id = first.id;
            h.loaded = loadStandardReceiptRow(*c, first.id);
            StandardItemList theirs = loadStandardItems(*c, ReceiptKind::CaseRecord, first.id);
            theirs.add(line("洁牙", 60, 1));
            writeStandardReceipt(*c, h, theirs);
        }
        const QString before = snapshot(*c);
        form.items.add(line("补牙", 80, 1));
        ScriptedPrompter prompter;
        QCOMPARE(form.submit(), StandardReceiptForm::Ending::Stay);
        QCOMPARE(snapshot(*c), before);
        QCOMPARE(prompter.shown.size(), 1);
        if (unread) {
            QVERIFY2(prompter.shown[0].startsWith(QStringLiteral("发生错误!")), qPrintable(prompter.shown[0]));
        } else {
            QCOMPARE(prompter.shown[0], db::kChangedElsewhere);
            QCOMPARE(form.items.size(), 3); // the other desk's receipt, shown again
        }
    }

    // A refund is checked against what the patient the host named has paid, not against the
    // patient the case's card happens to name.
    void refundCheckedForTheNamedPatient_data() { testdb::addBackendRows(); }
    void refundCheckedForTheNamedPatient()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        db::AddRecord(*c, QStringLiteral("病历卡表"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("病人编号"), QStringLiteral("P9")}}, {});
        db::AddRecord(*c, QStringLiteral("病历卡表"), {{QStringLiteral("病历号"), 8}, {QStringLiteral("病人编号"), QStringLiteral("P7")}}, {});
        for (const auto& [caseNumber, paid] : {std::pair{7, 1000.0}, {8, 100.0}})
            db::AddRecord(*c, QStringLiteral("病历收费单"),
                          {{QStringLiteral("病历号"), caseNumber}, {QStringLiteral("ReceiptID"), 0},
                           {QStringLiteral("收款金额"), paid}, {QStringLiteral("日期"), when}},
                          QStringLiteral("病历收费编号"));
        StandardReceiptForm form(c, {7, 0, QStringLiteral("王医生"), QStringLiteral("口腔科"), QStringLiteral("D01"),
                                     QStringLiteral("张三"), QStringLiteral("P7"), when, {}, 0});
        form.open();
        form.header.refund = 1;
        form.items.add(line("退洁治", 500, 1));
        ScriptedPrompter prompter({false});
        QCOMPARE(form.submit(), StandardReceiptForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("要退费的金额超过实际已收的金额，是否继续退费？")});
    }
};

QTEST_MAIN(TestStandardReceipt)
#include "tst_standard_receipt.moc"
