// StandartPaySet0 and StandartPayForNoCard end to end through the C API, driven by automation
// scripts on every backend: the items a person picks, the receipt or sheet and lines stored,
// the messages shown, and a failed write that leaves the dialog and its list to try again.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "receipt/StandardItemWriter.h"
#include "tests/app/ScriptRun.h"
#include "tests/receipt/StandardItemFlows.h"
#include "tests/support/TestDb.h"
#include "walkin/WalkinStandardSheet.h"
#include <QJsonDocument>
#include <QPushButton>
#include "controls/StripedListCtrl.h"
#include <QTest>

Q_DECLARE_METATYPE(ItemFlow)

namespace {

void addItem(db::Connection& c, const char* office, const char* cls, const char* name, const char* code,
             const char* unit, double price, int discountable, const QVariant& rate)
{
    db::AddRecord(c, QStringLiteral("收费标准表"),
                  {{QStringLiteral("Office"), QString::fromUtf8(office)},
                   {QStringLiteral("收费分类"), QString::fromUtf8(cls)},
                   {QStringLiteral("收费项目"), QString::fromUtf8(name)},
                   {QStringLiteral("ItemCode"), QString::fromUtf8(code)},
                   {QStringLiteral("单位"), QString::fromUtf8(unit)},
                   {QStringLiteral("单价"), price},
                   {QStringLiteral("IS_Discount"), discountable},
                   {QStringLiteral("Discout_Value"), rate}});
}

// A clinic: doctor 王医生 (D01, 口腔科), nurse 刘护士, the refund switch shown, case 7 of
// patient P1 who has paid 40, and three catalogue items.
void addClinic(db::Connection& c, const QString& setup)
{
    db::AddRecord(c, QStringLiteral("主治医生表"),
                  {{QStringLiteral("医生姓名"), QStringLiteral("王医生")}, {QStringLiteral("医生编号"), QStringLiteral("D01")},
                   {QStringLiteral("科室"), QStringLiteral("口腔科")}}, {});
    db::AddRecord(c, QStringLiteral("护士表"), {{QStringLiteral("护士"), QStringLiteral("刘护士")}}, {});
    db::AddRecord(c, QStringLiteral("Management_table"), {{QStringLiteral("FeeIOShowYesNo"), 1}}, {});
    db::AddRecord(c, QStringLiteral("病历卡表"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("病人编号"), QStringLiteral("P1")}}, {});
    db::AddRecord(c, QStringLiteral("病历收费单"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("收款金额"), 40.0}},
                  QStringLiteral("病历收费编号"));
    addItem(c, "口腔科", "治疗类", "洁治", "JZ", "次", 100, 1, 0.8);
    addItem(c, "口腔科", "治疗类", "拔牙", "BY", "颗", 50, 0, QVariant());
    addItem(c, "放射科", "放射类", "全景片", "QJP", "张", 35, 1, QVariant());
    if (setup == QLatin1String("type3"))
        db::AddRecord(c, QStringLiteral("DiscountSet_table"),
                      {{QStringLiteral("DiscoutYesNo"), 1}, {QStringLiteral("FeeItemYesNo"), 5}}, {});
}

receipt::StandardItemList storedLines()
{
    receipt::StandardItemList items;
    for (const auto& [name, price, discountable] : {std::tuple{"洁治", 100.0, 1}, {"拔牙", 50.0, 0}}) {
        receipt::StandardItem i;
        i.className = QStringLiteral("治疗类");
        i.name = QString::fromUtf8(name);
        i.unitPrice = i.undiscountedAmount = i.discountedAmount = price;
        i.quantity = 1;
        i.discountable = discountable;
        items.add(i);
    }
    return items;
}

QVariantMap rowOf(db::Connection& c, const QString& table, qint64 id)
{
    db::Query q(c, QStringLiteral("SELECT * FROM %1 WHERE ID=?").arg(table), {id});
    q.exec();
    return q.next() ? testdb::currentRow(q) : QVariantMap();
}

QStringList linesOf(db::Connection& c, const QString& ownerColumn, qint64 id)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 收费明细表 WHERE %1=? ORDER BY ID").arg(ownerColumn), {id});
    q.exec();
    QStringList out;
    while (q.next())
        out << QStringLiteral("%1 %2 %3 %4").arg(q.text(QStringLiteral("收费项目")))
                   .arg(q.number(QStringLiteral("数量")))
                   .arg(q.number(QStringLiteral("金额")))
                   .arg(q.number(QStringLiteral("Discout_Value")));
    return out;
}

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(QStringLiteral("message"))) texts << m.value(QStringLiteral("text")).toString();
    return texts;
}

struct Host {
    CalvaneConnection* conn = nullptr;
    Host(const QString& backend, const QString& setup)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
        addClinic(db(), setup);
    }
    ~Host() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }
};

// Once the dialog shows: the Nth statement after its save button is first pressed fails.
void failOnFirstSave(Host& host, int fault)
{
    app::Dialog::setShownHook([&host, fault](app::Dialog& d) {
        if (!fault) return;
        for (QPushButton* b : d.findChildren<QPushButton*>()) {
            const QString t = b->text().remove(QLatin1Char(' '));
            if (t != QStringLiteral("提交") && t != QStringLiteral("结帐")) continue;
            auto armed = std::make_shared<bool>(true);
            QObject::connect(b, &QPushButton::pressed, b, [&host, fault, armed] {
                if (*armed) host.db().failStatementAfter(fault);
                *armed = false;
            });
        }
    });
}

void addFlowRows(const QList<ItemFlow>& flows)
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<ItemFlow>("flow");
    for (const QString& b : testdb::backends())
        for (const ItemFlow& f : flows)
            QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(f.name))) << b << f;
}

void compareRow(const QVariantMap& stored, const QVariantMap& expected)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant value = stored.value(it.key().toLower());
        if (it.value().typeId() == QMetaType::Double) QCOMPARE(value.toDouble(), it.value().toDouble());
        else QCOMPARE(value.toString().trimmed(), it.value().toString());
    }
}

} // namespace

class TestStandardItemDialogs : public QObject {
    Q_OBJECT
    const double hostDate_ = oledate::fromDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void standardReceipt_data() { addFlowRows(standardReceiptFlows()); }
    void standardReceipt()
    {
        QFETCH(QString, backend);
        QFETCH(ItemFlow, flow);
        Host host(backend, flow.setup);
        qint64 storedId = 0;
        if (flow.setup == QLatin1String("stored")) {
            receipt::StandardReceiptHeader h;
            h.caseNumber = 7;
            h.doctorName = QStringLiteral("王医生");
            h.date = QDateTime(QDate(2024, 3, 4), QTime(8, 0));
            storedId = receipt::writeStandardReceipt(host.db(), h, storedLines()).id;
        }
        failOnFirstSave(host, flow.fault);
        ScriptRun run(QJsonDocument::fromJson(flow.script).array());
        int32_t receiptId = int32_t(storedId), dateLock = 0;
        const int32_t got = StandartPaySet0(host.conn, 7, &receiptId, flow.doctor.toUtf8().constData(), "口腔科", "D01",
                                            "张三", "P1", hostDate_, "刘护士", &dateLock);
        host.db().clearFault();

        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(got), flow.result);
        QCOMPARE(messagesOf(run), flow.messages);
        const qint64 receipts = db::toInteger(db::scalar(host.db(), QStringLiteral("SELECT count(*) FROM 收费收据表")));
        if (flow.header.isEmpty()) {
            QCOMPARE(receipts, storedId ? 1 : 0);
            QCOMPARE(qint64(receiptId), storedId);
            if (flow.fault) QVERIFY(!QString::fromUtf8(CalvaneLastError()).isEmpty());
            return;
        }
        QCOMPARE(receipts, 1);
        if (storedId) QCOMPARE(qint64(receiptId), storedId);
        compareRow(rowOf(host.db(), QStringLiteral("收费收据表"), receiptId), flow.header);
        QCOMPARE(linesOf(host.db(), QStringLiteral("收据编号"), receiptId), flow.lines);
    }

    void walkinStandardFee_data() { addFlowRows(walkinStandardFlows()); }
    void walkinStandardFee()
    {
        QFETCH(QString, backend);
        QFETCH(ItemFlow, flow);
        Host host(backend, flow.setup);
        qint64 storedId = 0;
        if (flow.setup == QLatin1String("stored")) {
            walkin::WalkinStandardSheet s;
            s.patientName = QStringLiteral("赵六");
            s.doctorName = QStringLiteral("王医生");
            s.doctorNumber = QStringLiteral("D01");
            s.department = QStringLiteral("口腔科");
            s.date = QDateTime(QDate(2024, 3, 4), QTime(8, 0));
            storedId = walkin::writeWalkinStandardSheet(host.db(), s, storedLines()).id;
        }
        failOnFirstSave(host, flow.fault);
        ScriptRun run(QJsonDocument::fromJson(flow.script).array());
        int32_t stored = -1, second = -1, dateLock = 0;
        const int32_t got = StandartPayForNoCard(host.conn, int32_t(storedId), flow.doctor.toUtf8().constData(), "收款员",
                                                 hostDate_, &stored, &second, "刘护士", &dateLock);
        host.db().clearFault();

        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(got), flow.result);
        QCOMPARE(messagesOf(run), flow.messages);
        const qint64 sheets = db::toInteger(db::scalar(host.db(), QStringLiteral("SELECT count(*) FROM 无病历收费单")));
        if (flow.header.isEmpty()) {
            QCOMPARE(sheets, storedId ? 1 : 0);
            QCOMPARE(stored, -1);
            QCOMPARE(second, -1);
            return;
        }
        QCOMPARE(sheets, 1);
        QCOMPARE(second, 0);
        if (storedId) QCOMPARE(qint64(stored), storedId);
        compareRow(rowOf(host.db(), QStringLiteral("无病历收费单"), stored), flow.header);
        QCOMPARE(linesOf(host.db(), QStringLiteral("无病案编号"), stored), flow.lines);
    }

    // The item list as the dialog opens at its own size: 数量 and 金额 are in sight, not behind a
    // horizontal scroll bar, also with the receipt's nine columns of discounting.
    void itemListsShowQuantityAndAmount_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("walkin");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": 填写收据, discounting on"))) << b << false;
            QTest::newRow(qPrintable(b + QStringLiteral(": 无病案标准收费"))) << b << true;
        }
    }
    void itemListsShowQuantityAndAmount()
    {
        QFETCH(QString, backend);
        QFETCH(bool, walkin);
        Host host(backend, QStringLiteral("type3"));
        QStringList hidden;
        int lists = 0;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (CStripedListCtrl* list : d.findChildren<CStripedListCtrl*>()) {
                ++lists;
                for (int c = 0; c < list->columnCount(); ++c) {
                    const QString heading = list->horizontalHeaderItem(c)->text();
                    if (heading != QStringLiteral("数量") && heading != QStringLiteral("金额")) continue;
                    const int right = list->columnViewportPosition(c) + list->columnWidth(c);
                    if (list->isColumnHidden(c) || list->columnWidth(c) < list->fontMetrics().horizontalAdvance(heading) || right > list->viewport()->width())
                        hidden << QStringLiteral("%1 %2..%3 of %4").arg(heading).arg(list->columnViewportPosition(c))
                                      .arg(right).arg(list->viewport()->width());
                }
            }
        });
        ScriptRun run(QJsonDocument::fromJson(walkin ? R"js([{"click":"关闭"}])js" : R"js([{"click":"取消"}])js").array());
        int32_t id = 0, stored = -1, second = -1, dateLock = 0;
        if (walkin)
            StandartPayForNoCard(host.conn, 0, "王医生", "收款员", hostDate_, &stored, &second, "刘护士", &dateLock);
        else
            StandartPaySet0(host.conn, 7, &id, "王医生", "口腔科", "D01", "张三", "P1", hostDate_, "刘护士", &dateLock);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(lists, 1);
        QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestStandardItemDialogs)
#include "tst_standard_item_dialogs.moc"
