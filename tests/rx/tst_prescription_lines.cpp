// Prescription lines: the line list's positions, and loading and storing a fee document's
// lines through the C API (and `calvane call`'s JSON form of them).
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "rx/MedicineLineList.h"
#include "tests/support/TestDb.h"
#include "tools/calvane/ExportTable.h"
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

namespace {

rx::MedicineLine named(const char* name)
{
    rx::MedicineLine l;
    l.name = QString::fromUtf8(name);
    return l;
}

QString names(const rx::MedicineLineList& list)
{
    QStringList n;
    for (const rx::MedicineLine& l : list) n << l.name;
    return n.join(QLatin1Char(','));
}

CalvaneMedicineLine medicine(const char* name, double price, double quantity, int32_t rowId = 0, int32_t document = 0)
{
    CalvaneMedicineLine l{};
    l.category = "西药";
    l.name = name;
    l.spec = "0.25g*24";
    l.unit = "盒";
    l.price = price;
    l.quantity = quantity;
    l.amount = price * quantity;
    l.usage = "口服";
    l.free_text = "";
    l.dose = "2粒";
    l.times_per_day = "3次";
    l.insurance = "甲类";
    l.remark = "饭后";
    l.document_id = document;
    l.row_id = rowId;
    return l;
}

// The lines of a list, head first, as "名称:row ID:document".
QString describe(CalvaneMedicineList* list)
{
    QStringList out;
    for (int32_t i = 1; i <= CalvaneMedicineListCount(list); ++i) {
        CalvaneMedicineLine l{};
        if (CalvaneMedicineListGet(list, i, &l) != 0) return QStringLiteral("unreadable");
        out << QStringLiteral("%1:%2:%3").arg(QString::fromUtf8(l.name)).arg(l.row_id).arg(l.document_id);
    }
    return out.join(QLatin1Char(','));
}

// Stored rows, by ID: "名称 ReceiptID NonDocReceiptID MedcineOutFlag 医保类型 备注".
QStringList storedRows(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 处方明细表 ORDER BY ID"));
    q.exec();
    QStringList rows;
    while (q.next())
        rows << QStringList{q.text(QStringLiteral("名称")),
                            q.isNull(QStringLiteral("ReceiptID")) ? QStringLiteral("-") : q.text(QStringLiteral("ReceiptID")),
                            q.isNull(QStringLiteral("NonDocReceiptID")) ? QStringLiteral("-")
                                                                       : q.text(QStringLiteral("NonDocReceiptID")),
                            q.text(QStringLiteral("MedcineOutFlag")), q.text(QStringLiteral("医保类型")),
                            q.text(QStringLiteral("备注"))}
                    .join(QLatin1Char(' '));
    return rows;
}

struct Host {
    CalvaneConnection* conn = nullptr;
    explicit Host(const QString& backend)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
    }
    ~Host() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }
};

struct Lists {
    CalvaneMedicineList* lines = CalvaneMedicineListCreate();
    CalvaneMedicineList* removed = CalvaneMedicineListCreate();
    CalvaneListRows* rows = CalvaneListRowsCreate();
    ~Lists()
    {
        CalvaneMedicineListDestroy(lines);
        CalvaneMedicineListDestroy(removed);
        CalvaneListRowsDestroy(rows);
    }
};

} // namespace

class TestPrescriptionLines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void positions_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("after"); // "" when OutOfBounds
        QTest::newRow("0 puts it first") << 0 << "新,A,B";
        QTest::newRow("after the first") << 1 << "A,新,B";
        QTest::newRow("after the last") << 2 << "A,B,新";
        QTest::newRow("past the end") << 3 << "";
        QTest::newRow("negative") << -1 << "";
    }
    void positions()
    {
        QFETCH(int, position);
        QFETCH(QString, after);
        rx::MedicineLineList list;
        list.prepend(named("B"));
        list.prepend(named("A"));
        if (after.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(rx::OutOfBounds, list.insert(position, named("新")));
            QCOMPARE(names(list), QStringLiteral("A,B"));
        } else {
            list.insert(position, named("新"));
            QCOMPARE(names(list), after);
        }
        QCOMPARE(list.at(1).name, after.isEmpty() || position > 0 ? QStringLiteral("A") : QStringLiteral("新"));
        QVERIFY_THROWS_EXCEPTION(rx::OutOfBounds, list.at(0));
        QVERIFY_THROWS_EXCEPTION(rx::OutOfBounds, list.at(list.size() + 1));
    }

    // The host's view of a list: inserting, reading, removing, and the refusals.
    void hostList()
    {
        Lists l;
        CalvaneMedicineLine a = medicine("阿莫西林胶囊", 12.5, 2);
        double total = -1;
        QCOMPARE(int(InputMedicineList(l.lines, &a, &total)), 0);
        CalvaneMedicineLine b = medicine("甲硝唑片", 3.2, 1);
        QCOMPARE(int(InputMedicineList(l.lines, &b, &total)), 0);
        QCOMPARE(total, 28.2);
        QCOMPARE(describe(l.lines), QStringLiteral("甲硝唑片:0:0,阿莫西林胶囊:0:0"));

        CalvaneMedicineLine got{};
        QCOMPARE(int(CalvaneMedicineListGet(l.lines, 2, &got)), 0);
        QCOMPARE(QString::fromUtf8(got.times_per_day), QStringLiteral("3次"));
        QCOMPARE(got.amount, 25.0);
        QCOMPARE(int(CalvaneMedicineListGet(l.lines, 3, &got)), 1);
        QVERIFY(QString::fromUtf8(CalvaneLastError()).startsWith(QStringLiteral("CalvaneMedicineListGet: ")));
        QCOMPARE(int(CalvaneMedicineListInsert(l.lines, 5, &a)), 1);
        CalvaneMedicineLine gbk = medicine("\xb0\xa2", 1, 1); // "阿" in GBK
        QCOMPARE(int(InputMedicineList(l.lines, &gbk, &total)), 1);
        QCOMPARE(total, 28.2);
        QCOMPARE(int(CalvaneMedicineListRemove(l.lines, 1)), 0);
        QCOMPARE(int(CalvaneMedicineListRemove(l.lines, 0)), 1);
        QCOMPARE(describe(l.lines), QStringLiteral("阿莫西林胶囊:0:0"));
        QCOMPARE(int(InputMedicineList(nullptr, &a, &total)), 1);
    }

    void storeAndLoad_data() { testdb::addBackendRows(); }
    void storeAndLoad()
    {
        QFETCH(QString, backend);
        Host host(backend);
        Lists l;
        double total = 0;
        // Added while the receipt had no ID yet: the line's own document ID is not the one stored.
        CalvaneMedicineLine a = medicine("阿莫西林胶囊", 12.5, 2, 0, 99);
        CalvaneMedicineLine b = medicine("甲硝唑片", 3.2, 1);
        InputMedicineList(l.lines, &a, &total);
        InputMedicineList(l.lines, &b, &total);
        QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, l.lines, l.removed, 7)), 0);
        CalvaneMedicineLine walkin = medicine("布洛芬缓释胶囊", 18, 1);
        Lists sheet;
        InputMedicineList(sheet.lines, &walkin, &total);
        QCOMPARE(int(AMDDetailMedicineRecord(1, host.conn, sheet.lines, nullptr, 7)), 0);
        QCOMPARE(storedRows(host.db()), (QStringList{"甲硝唑片 7 - 0 甲类 饭后", "阿莫西林胶囊 7 - 0 甲类 饭后",
                                                     "布洛芬缓释胶囊 - 7 1 甲类 饭后"}));
        // The stored lines now carry their rows, so saving again changes them instead of adding.
        QCOMPARE(describe(l.lines), QStringLiteral("甲硝唑片:1:7,阿莫西林胶囊:2:7"));

        // Loading shows the rows in ID order and puts the newest line first.
        Lists loaded;
        total = -1;
        QCOMPARE(int(ShowMedicineList(0, host.conn, 7, loaded.lines, loaded.rows, &total)), 0);
        QCOMPARE(total, 28.2);
        QCOMPARE(describe(loaded.lines), QStringLiteral("阿莫西林胶囊:2:7,甲硝唑片:1:7"));
        QCOMPARE(int(CalvaneListRowsCount(loaded.rows)), 2);
        QStringList first;
        for (int c = 0; c < 13; ++c) first << QString::fromUtf8(CalvaneListRowsText(loaded.rows, 0, c));
        QCOMPARE(first, (QStringList{"甲硝唑片", "0.25g*24", "盒", "3.20", "1.00", "3.20", "西药", "口服", "2粒", "3次",
                                      "甲类", "饭后", "1"}));

        // Change one stored line, remove the other, add a new one: one save does all three.
        CalvaneMedicineLine changed = medicine("阿莫西林胶囊", 12.5, 3, 2, 7);
        CalvaneMedicineLine removed = medicine("甲硝唑片", 3.2, 1, 1, 7);
        CalvaneMedicineLine added = medicine("替硝唑片", 5, 2);
        Lists edit;
        CalvaneMedicineListInsert(edit.lines, 0, &changed);
        CalvaneMedicineListInsert(edit.lines, 0, &added);
        CalvaneMedicineListInsert(edit.removed, 0, &removed);
        QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, edit.lines, edit.removed, 7)), 0);
        QCOMPARE(int(CalvaneMedicineListCount(edit.removed)), 0);
        Lists again;
        QCOMPARE(int(ShowMedicineList(0, host.conn, 7, again.lines, again.rows, &total)), 0);
        QCOMPARE(describe(again.lines), QStringLiteral("替硝唑片:4:7,阿莫西林胶囊:2:7"));
        QCOMPARE(total, 47.5);

        // Document 0 loads nothing and empties the list control; a walk-in sheet has its own lines.
        QCOMPARE(int(ShowMedicineList(0, host.conn, 0, again.lines, again.rows, &total)), 0);
        QCOMPARE(int(CalvaneListRowsCount(again.rows)), 0);
        QCOMPARE(total, 0.0);
        Lists walkins;
        QCOMPARE(int(ShowMedicineList(1, host.conn, 7, walkins.lines, nullptr, &total)), 0);
        QCOMPARE(describe(walkins.lines), QStringLiteral("布洛芬缓释胶囊:3:7"));
    }

    // Saving the lines of a settled prescription again keeps what left stock marked so: only
    // the new line is still to be taken out.
    void reSavingKeepsStockOut_data() { testdb::addBackendRows(); }
    void reSavingKeepsStockOut()
    {
        QFETCH(QString, backend);
        Host host(backend);
        Lists l;
        double total = 0;
        CalvaneMedicineLine a = medicine("阿莫西林胶囊", 12.5, 2);
        InputMedicineList(l.lines, &a, &total);
        QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, l.lines, l.removed, 7)), 0);
        host.db().execute(QStringLiteral("UPDATE 处方明细表 SET MedcineOutFlag=1")); // settled: left stock
        CalvaneMedicineLine b = medicine("甲硝唑片", 3.2, 1);
        InputMedicineList(l.lines, &b, &total);
        QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, l.lines, l.removed, 7)), 0);
        QCOMPARE(storedRows(host.db()), (QStringList{"阿莫西林胶囊 7 - 1 甲类 饭后", "甲硝唑片 7 - 0 甲类 饭后"}));
    }

    // A save that fails part-way writes nothing and leaves both lists as they were; a load that
    // fails changes nothing either.
    void failuresChangeNothing_data() { testdb::addBackendRows(); }
    void failuresChangeNothing()
    {
        QFETCH(QString, backend);
        Host host(backend);
        Lists stored;
        double total = 0;
        CalvaneMedicineLine a = medicine("阿莫西林胶囊", 12.5, 2);
        InputMedicineList(stored.lines, &a, &total);
        QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, stored.lines, nullptr, 7)), 0);
        const QStringList before = storedRows(host.db());

        Lists edit;
        CalvaneMedicineLine b = medicine("甲硝唑片", 3.2, 1), c = medicine("替硝唑片", 5, 2);
        CalvaneMedicineLine gone = medicine("阿莫西林胶囊", 12.5, 2, 1, 7);
        CalvaneMedicineListInsert(edit.lines, 0, &b);
        CalvaneMedicineListInsert(edit.lines, 0, &c);
        CalvaneMedicineListInsert(edit.removed, 0, &gone);
        // Every statement of the save in turn fails: the first line, the second, the delete, …
        int failed = 0;
        for (int n = 1;; ++n) {
            host.db().failStatementAfter(n);
            const int32_t result = AMDDetailMedicineRecord(0, host.conn, edit.lines, edit.removed, 7);
            host.db().clearFault();
            if (result == 0) break;
            ++failed;
            QVERIFY(QString::fromUtf8(CalvaneLastError()).startsWith(QStringLiteral("AMDDetailMedicineRecord: ")));
            QCOMPARE(storedRows(host.db()), before);
            QCOMPARE(describe(edit.lines), QStringLiteral("替硝唑片:0:0,甲硝唑片:0:0"));
            QCOMPARE(int(CalvaneMedicineListCount(edit.removed)), 1);
        }
        QVERIFY2(failed >= 3, qPrintable(QString::number(failed)));
        QCOMPARE(storedRows(host.db()).size(), 2); // the last run went through: two added, one deleted

        // A line whose row is gone is not silently dropped.
        CalvaneMedicineLine stale = medicine("甲硝唑片", 3.2, 1, 42, 7);
        Lists staleList;
        CalvaneMedicineListInsert(staleList.lines, 0, &stale);
        const QStringList saved = storedRows(host.db());
        QVERIFY(AMDDetailMedicineRecord(0, host.conn, staleList.lines, nullptr, 7) != 0);
        QCOMPARE(storedRows(host.db()), saved);

        Lists loaded;
        InputMedicineList(loaded.lines, &b, &total);
        host.db().failStatementAfter(1);
        total = -1;
        QCOMPARE(int(ShowMedicineList(0, host.conn, 7, loaded.lines, loaded.rows, &total)), 1);
        host.db().clearFault();
        QCOMPARE(describe(loaded.lines), QStringLiteral("甲硝唑片:0:0"));
        QCOMPARE(total, -1.0);
        QCOMPARE(int(CalvaneListRowsCount(loaded.rows)), 0);
        QCOMPARE(int(ShowMedicineList(0, nullptr, 7, loaded.lines, loaded.rows, &total)), 1);
    }

    // Inside a caller's save the lists change only with it: rolled back, they still describe
    // what is stored, and the next save works. Lists that are one and the same are refused.
    void insideACallersSave()
    {
        Host host(QStringLiteral("sqlite"));
        Lists l;
        double total = 0;
        CalvaneMedicineLine a = medicine("阿莫西林胶囊", 12.5, 2);
        InputMedicineList(l.lines, &a, &total);
        {
            db::Transaction outer(host.db());
            QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, l.lines, nullptr, 7)), 0);
        } // rolled back
        QCOMPARE(describe(l.lines), QStringLiteral("阿莫西林胶囊:0:0"));
        QCOMPARE(storedRows(host.db()), QStringList());
        QCOMPARE(int(AMDDetailMedicineRecord(0, host.conn, l.lines, nullptr, 7)), 0);
        QCOMPARE(storedRows(host.db()).size(), 1);

        QVERIFY(AMDDetailMedicineRecord(0, host.conn, l.lines, l.lines, 7) != 0);
        QCOMPARE(storedRows(host.db()).size(), 1);
        QCOMPARE(int(CalvaneMedicineListCount(l.lines)), 1);
    }

    // These calls show nothing: a script set for the host's dialogs is not theirs to run.
    void scriptIsLeftForDialogs()
    {
        Host host(QStringLiteral("sqlite"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.json"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"steps":[{"click":"确定"}]})");
        f.close();
        QCOMPARE(int(CalvaneSetUiScript(path.toUtf8().constData())), 0);
        Lists l;
        double total = 0;
        QCOMPARE(int(ShowMedicineList(0, host.conn, 7, l.lines, l.rows, &total)), 0);
        QCOMPARE(int(CheckRelationBetweenMedicineAndKB(host.conn)), 1);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        CalvaneSetUiScript(nullptr);
    }

    // `calvane call` takes lines as JSON and prints them back with the list rows.
    void callForm()
    {
        Host host(QStringLiteral("sqlite"));
        QString error;
        calltable::Args store(*calltable::find(QStringLiteral("AMDDetailMedicineRecord")));
        store.setConnection(host.conn);
        QVERIFY(store.set(QStringLiteral("lines"),
                          QStringLiteral(R"([{"name":"阿莫西林胶囊","price":12.5,"quantity":2,"amount":25}])"), &error));
        QVERIFY(store.set(QStringLiteral("document_id"), QStringLiteral("7"), &error));
        QCOMPARE(int(store.call()), 0);
        QVERIFY(!store.set(QStringLiteral("lines"), QStringLiteral(R"([{"nmae":"x"}])"), &error));
        QCOMPARE(error, QStringLiteral("lines: a line has no field nmae"));
        QVERIFY(!store.set(QStringLiteral("lines"), QStringLiteral(R"([{"row_id":1.5}])"), &error));

        calltable::Args show(*calltable::find(QStringLiteral("ShowMedicineList")));
        show.setConnection(host.conn);
        show.set(QStringLiteral("document_id"), QStringLiteral("7"), &error);
        const QJsonObject out =
            QJsonDocument::fromJson(show.resultJson(show.call())).object().value(QStringLiteral("out")).toObject();
        QCOMPARE(out.value(QStringLiteral("total")).toDouble(), 25.0);
        QCOMPARE(out.value(QStringLiteral("lines")).toArray().at(0).toObject().value(QStringLiteral("row_id")).toInt(), 1);
        QCOMPARE(out.value(QStringLiteral("list_control")).toArray().at(0).toArray().at(5).toString(),
                 QStringLiteral("25.00"));
    }
};

QTEST_GUILESS_MAIN(TestPrescriptionLines)
#include "tst_prescription_lines.moc"
