// MedicineRescriptionSet end to end through the C API, driven by scripts on every backend: a
// walk-in prescription paid and taken out of stock at once, a case-record one left unpaid, a
// shortage that shows the stock check and saves nothing, and the clinic without stock keeping.
#include "app/Dialog.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "rx/MedicineCatalogue.h"
#include "tests/app/ScriptRun.h"
#include "tests/rx/PrescriptionClinic.h"
#include <QTest>

using namespace rxclinic;
using namespace stockfixture;

namespace {

QStringList textsOf(const ScriptRun& run, const QString& kind, const char* key)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(kind)) texts << m.value(QLatin1String(key)).toString();
    return texts;
}

// The stored fee document: "table 付款 合计 应收金额 收款金额 IsPrescriptionFlag", or "none".
QString document(db::Connection& c, bool walkIn, qint64 id)
{
    const QString table = walkIn ? QStringLiteral("无病历收费单") : QStringLiteral("收费收据表");
    db::Query q(c, QStringLiteral("SELECT * FROM %1 WHERE ID=?").arg(table), {id});
    q.exec();
    if (!q.next()) return QStringLiteral("none");
    QStringList parts{table, q.text(QStringLiteral("付款")), QString::number(q.number(QStringLiteral("合计")))};
    if (walkIn) parts << QString::number(q.number(QStringLiteral("应收金额"))) << QString::number(q.number(QStringLiteral("收款金额")));
    parts << q.text(QStringLiteral("IsPrescriptionFlag"));
    return parts.join(QLatin1Char(' '));
}

qint64 rowsOf(db::Connection& c, const char* table)
{
    return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromUtf8(table))));
}

} // namespace

class TestPrescriptionDialog : public QObject {
    Q_OBJECT
    const double hostDate_ = oledate::fromDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void flows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("walkIn");
        QTest::addColumn<bool>("kept"); // the clinic keeps stock
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("after");    // batches afterwards
        QTest::addColumn<QString>("taken");    // withdrawals
        QTest::addColumn<QStringList>("dialogs");
        const QJsonArray six = addLine(QStringLiteral("西药"), amox, caps, QStringLiteral("6"));
        const QJsonArray shortage = six + click("确定") + inDialog("药品库存检查") + click("确定") + click("取消");
        const QStringList entry{QStringLiteral("填写处方")};
        const QStringList checked{QStringLiteral("填写处方"), QStringLiteral("药品库存检查")};
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: walk-in paid, taken from two batches", n.data())
                << b << true << true << "5,3" << six + click("确定") << 0 << "无病历收费单 已付 60 60 60 2" << "0,2"
                << "5#1,1#2" << entry;
            QTest::addRow("%s: case record unpaid, nothing taken", n.data())
                << b << false << true << "5,3" << six + click("确定") << 0 << "收费收据表 未付 60 2" << "5,3" << ""
                << entry;
            QTest::addRow("%s: walk-in short", n.data())
                << b << true << true << "5@0,2" << shortage << 1 << "none" << "5,2" << "" << checked;
            QTest::addRow("%s: case record short", n.data())
                << b << false << true << "" << shortage << 1 << "none" << "" << "" << checked;
            QTest::addRow("%s: walk-in without stock keeping", n.data())
                << b << true << false << "2" << six + click("确定") << 0 << "无病历收费单 已付 60 60 60 2" << "2" << ""
                << entry;
            const QJsonArray two = six + addLine(QStringLiteral("西药"), QStringLiteral("布洛芬"), QStringLiteral("0.3g*20"),
                                                 QStringLiteral("1"));
            QTest::addRow("%s: a line deleted before saving", n.data())
                << b << true << false << "2" << two + QJsonArray{QJsonObject{{"row", "处方"}, {"index", 1}}} + click("删除") + click("确定")
                << 0 << "无病历收费单 已付 60 60 60 2" << "2" << "" << entry;
            QTest::addRow("%s: a line changed before saving", n.data())
                << b << true << false << "2"
                << six + QJsonArray{QJsonObject{{"row", "处方"}, {"index", 0}}, QJsonObject{{"set", "数量"}, {"to", "2"}}} +
                       click("修改") + click("确定")
                << 0 << "无病历收费单 已付 20 20 20 2" << "2" << "" << entry;
            QTest::addRow("%s: empty case record is not stored", n.data())
                << b << false << true << "5" << click("确定") + click("取消") << 1 << "none" << "5" << "" << entry;
        }
    }
    void flows()
    {
        QFETCH(QString, backend);
        QFETCH(bool, walkIn);
        QFETCH(bool, kept);
        QFETCH(QString, stock);
        QFETCH(QJsonArray, script);
        QFETCH(int, result);
        QFETCH(QString, document);
        QFETCH(QString, after);
        QFETCH(QString, taken);
        QFETCH(QStringList, dialogs);
        Host host(backend, kept);
        addBatches(host.db(), amox, caps, stock);
        ScriptRun run(script);
        int32_t id = 0, dateLock = 0;
        const int32_t got = MedicineRescriptionSet(host.conn, 7, &id, "王医生", "口腔科", "D01", "刘护士", "张三",
                                                   walkIn ? "" : "P7", hostDate_, "收款员", &dateLock);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(got), result);
        QCOMPARE(textsOf(run, QStringLiteral("open"), "dialog"), dialogs);
        QCOMPARE(::document(host.db(), walkIn, id), document);
        QCOMPARE(rowsOf(host.db(), walkIn ? "收费收据表" : "无病历收费单"), 0);
        QCOMPARE(batches(host.db()), after);
        QCOMPARE(withdrawals(host.db()), taken);
        QCOMPARE(rowsOf(host.db(), "处方明细表"), document == QLatin1String("none") ? 0 : 1);
        if (document == QLatin1String("none")) QCOMPARE(id, 0);
    }

    // A line taken from the tree and the fields of both headers as stored.
    void treeAndHeaders_data() { testdb::addBackendRows(); }
    void treeAndHeaders()
    {
        QFETCH(QString, backend);
        Host host(backend, true);
        addBatches(host.db(), QStringLiteral("板蓝根"), QStringLiteral("10g*20"), QStringLiteral("5"));
        const auto m = rx::MedicineByNameSpec(host.db(), QStringLiteral("板蓝根"), QStringLiteral("10g*20"));
        QVERIFY(m);
        const QJsonArray script{QJsonObject{{"tree", "常用药品"}, {"path", QJsonArray{"中药", rx::medicineText(*m)}}, {"double", true}},
                                QJsonObject{{"choose", "性别"}, {"item", "女"}},
                                QJsonObject{{"set", "年龄"}, {"to", "31"}},
                                QJsonObject{{"click", "确定"}}};
        ScriptRun run(script);
        int32_t id = 0, dateLock = 1;
        QCOMPARE(int(MedicineRescriptionSet(host.conn, 0, &id, "王医生", "口腔科", "D01", "刘护士", "路人", "", hostDate_,
                                            "收款员", &dateLock)),
                 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        db::Query q(host.db(), QStringLiteral("SELECT * FROM 无病历收费单 WHERE ID=?"), {id});
        q.exec();
        QVERIFY(q.next());
        QCOMPARE(q.text(QStringLiteral("病人姓名")), QStringLiteral("路人"));
        QCOMPARE(q.text(QStringLiteral("性别")), QStringLiteral("女"));
        QCOMPARE(q.text(QStringLiteral("年龄")), QStringLiteral("31"));
        QCOMPARE(q.text(QStringLiteral("收款人")), QStringLiteral("收款员"));
        QCOMPARE(q.text(QStringLiteral("医生编号")), QStringLiteral("D01"));
        QCOMPARE(q.text(QStringLiteral("护士")), QStringLiteral("刘护士"));
        QCOMPARE(q.number(QStringLiteral("余额")), 0.0);
        QCOMPARE(q.number(QStringLiteral("合计")), 12.5);
        QCOMPARE(batches(host.db()), QStringLiteral("4"));
        db::Query line(host.db(), QStringLiteral("SELECT * FROM 处方明细表"));
        line.exec();
        QVERIFY(line.next());
        QCOMPARE(line.integer(QStringLiteral("NonDocReceiptID")), id);
        QCOMPARE(line.integer(QStringLiteral("MedcineOutFlag")), 1);
        QCOMPARE(line.text(QStringLiteral("服用方式")), QStringLiteral("口服"));
        QCOMPARE(line.text(QStringLiteral("医保类型")), QStringLiteral("甲类"));
    }
};

QTEST_MAIN(TestPrescriptionDialog)
#include "tst_prescription_dialog.moc"
