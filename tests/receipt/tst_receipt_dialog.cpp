// ReceiptSet end to end through the C API, driven by automation scripts on every backend: the
// fee receipt dialog's modes, buttons, questions and messages, the rows it writes and the
// receipt ID it hands back.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "receipt/FeeCategories.h"
#include "tests/app/ScriptRun.h"
#include "tests/receipt/ReceiptFlows.h"
#include "tests/support/TestDb.h"
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// A clinic: three doctors (one with an apostrophe), two nurses, the refund switch shown, and
// case 7 of patient P1, who has paid 40 so far.
void addClinic(db::Connection& c)
{
    const QList<QStringList> doctors{{"王医生", "D01", "口腔科"}, {"李医生", "D02", "正畸科"}, {"O'Neil", "D03", "放射科"}};
    for (const QStringList& d : doctors)
        db::AddRecord(c, QStringLiteral("主治医生表"),
                      {{QStringLiteral("医生姓名"), d[0]}, {QStringLiteral("医生编号"), d[1]}, {QStringLiteral("科室"), d[2]}}, {});
    for (const char* n : {"刘护士", "陈护士"})
        db::AddRecord(c, QStringLiteral("护士表"), {{QStringLiteral("护士"), QString::fromUtf8(n)}}, {});
    db::AddRecord(c, QStringLiteral("Management_table"), {{QStringLiteral("FeeIOShowYesNo"), 1}}, {});
    db::AddRecord(c, QStringLiteral("病历卡表"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("病人编号"), QStringLiteral("P1")}}, {});
    db::AddRecord(c, QStringLiteral("病历收费单"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("收款金额"), 40.0}},
                  QStringLiteral("病历收费编号"));
}

// A receipt stored earlier: "unpaid", "paid", "other" (another doctor's) or "refund".
qint64 addStored(db::Connection& c, const QString& kind)
{
    if (kind == QLatin1String("none")) return 0;
    const bool refund = kind == QLatin1String("refund");
    return db::AddRecord(c, QStringLiteral("收费收据表"),
                         {{QStringLiteral("病历号"), 7},
                          {QStringLiteral("病人姓名"), QStringLiteral("张三")},
                          {QStringLiteral("医生姓名"), kind == QLatin1String("other") ? QStringLiteral("李医生") : QStringLiteral("王医生")},
                          {QStringLiteral("医生编号"), QStringLiteral("D01")},
                          {QStringLiteral("科室"), QStringLiteral("口腔科")},
                          {QStringLiteral("护士"), QStringLiteral("刘护士")},
                          {QStringLiteral("收款人"), QStringLiteral("收款员")},
                          {QStringLiteral("检查费"), 30.0},
                          {QStringLiteral("整畸费"), 20.0},
                          {QStringLiteral("其它费用"), 5.0},
                          {QStringLiteral("合计"), refund ? -55.0 : 55.0},
                          {QStringLiteral("付款"), kind == QLatin1String("paid") ? QStringLiteral("已付") : QStringLiteral("未付")},
                          {QStringLiteral("备注"), QStringLiteral("复诊")},
                          {QStringLiteral("FeeIO"), refund ? 1 : 0}});
}

QVariantMap rowOf(db::Connection& c, qint64 id)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 收费收据表 WHERE ID=?"), {id});
    q.exec();
    QVariantMap m;
    if (!q.next()) return m;
    for (int i = 0; i < q.columnCount(); ++i) m.insert(q.columnName(i).toLower(), q.value(i));
    return m;
}

qint64 count(db::Connection& c) { return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM 收费收据表"))); }

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(QStringLiteral("message"))) texts << m.value(QStringLiteral("text")).toString();
    return texts;
}

// The enabled ones of the three action buttons, by their text without blanks.
QString enabledButtons(QWidget& dialog)
{
    QStringList names;
    for (const char* name : {"submitButton", "modifyButton", "deleteButton"}) {
        auto* b = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        if (b && b->isEnabled()) names << b->text().remove(QLatin1Char(' '));
    }
    return names.join(QLatin1Char(','));
}

// A host connection to a fresh clinic database on that backend.
struct Host {
    CalvaneConnection* conn = nullptr;
    explicit Host(const QString& backend)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
        addClinic(db());
    }
    ~Host() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }
};

} // namespace

class TestReceiptDialog : public QObject {
    Q_OBJECT
    const double hostDate_ = oledate::fromDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void flows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("stored");   // the receipt the host names (addStored)
        QTest::addColumn<QString>("doctor");   // the host's doctor
        QTest::addColumn<int>("fault");        // see ReceiptFlow::fault
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("handedBack"); // "new" row, the "same" ID, or "nothing" written
        QTest::addColumn<QString>("buttons");    // enabled on opening
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QVariantMap>("row"); // columns of the receipt handed back
        for (const QString& b : testdb::backends())
            for (const ReceiptFlow& c : receiptFlows())
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(c.name)))
                    << b << c.stored << c.doctor << c.fault << QJsonDocument::fromJson(c.script).array() << c.result
                    << c.handedBack << c.buttons << c.messages << c.rows << c.row;
    }
    void flows()
    {
        QFETCH(QString, backend);
        QFETCH(QString, stored);
        QFETCH(QString, doctor);
        QFETCH(int, fault);
        QFETCH(QJsonArray, script);
        QFETCH(int, result);
        QFETCH(QString, handedBack);
        QFETCH(QString, buttons);
        QFETCH(QStringList, messages);
        QFETCH(int, rows);
        QFETCH(QVariantMap, row);
        QVERIFY(!script.isEmpty());

        Host host(backend);
        const qint64 storedId = addStored(host.db(), stored);
        QString opened;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            opened = enabledButtons(d);
            if (fault > 0) host.db().failStatementAfter(fault);
            if (fault < 0) host.db().failStatementFinishAfter(-fault);
        });
        ScriptRun run(script);
        int32_t receiptId = static_cast<int32_t>(storedId), dateLock = 0;
        const int32_t got = ReceiptSet(host.conn, 7, &receiptId, doctor.toUtf8().constData(), "口腔科", "D01", "张三",
                                       hostDate_, "刘护士", &dateLock);
        host.db().clearFault();

        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(got), result);
        // A failure the dialog answered with its message is recorded, so that the host can
        // tell it from a cancel; a plain cancel records nothing.
        const QString failure = QString::fromUtf8(CalvaneLastError());
        QVERIFY2(failure.isEmpty() == (fault == 0), qPrintable(failure));
        if (fault) QVERIFY2(failure.startsWith(QLatin1String("ReceiptSet: ")), qPrintable(failure));
        QCOMPARE(opened, buttons);
        QCOMPARE(messagesOf(run), messages);
        QCOMPARE(count(host.db()), rows);
        const qint64 newest = db::toInteger(db::scalar(host.db(), QStringLiteral("SELECT max(ID) FROM 收费收据表")));
        if (handedBack == QLatin1String("new")) {
            QVERIFY(newest > storedId);
            QCOMPARE(qint64(receiptId), newest);
            // The server's time of opening, never the host's date.
            const QDateTime date = db::toDateTime(rowOf(host.db(), newest).value(QStringLiteral("日期")));
            QVERIFY2(qAbs(date.secsTo(host.db().serverTime())) < 60, qPrintable(date.toString(Qt::ISODate)));
        } else {
            QCOMPARE(qint64(receiptId), storedId); // "same", or nothing written on cancel
        }
        const QVariantMap stored_ = rowOf(host.db(), receiptId);
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            const QVariant value = stored_.value(it.key().toLower());
            if (it.value().typeId() == QMetaType::Double) QCOMPARE(value.toDouble(), it.value().toDouble());
            else QCOMPARE(value.toString(), it.value().toString());
        }
    }

    // A person who types a bad amount and clicks 提交 with the mouse hears about it once: the
    // click moves the focus out of the amount and submits in one go.
    void badAmountThenMouseClickWarnsOnce()
    {
        Host host(testdb::backends().first());
        bool acted = false;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            d.activateWindow();
            if (!QTest::qWaitForWindowActive(&d)) return;
            auto* amount = d.findChild<QLineEdit*>(receipt::categoryColumn(0));
            auto* submit = d.findChild<QPushButton*>(QStringLiteral("submitButton"));
            amount->setFocus(Qt::MouseFocusReason);
            amount->selectAll();
            QTest::keyClicks(amount, QStringLiteral("-")); // a sign alone: letters are not taken
            QTest::mouseClick(submit, Qt::LeftButton);
            acted = amount->hasFocus(); // back in the amount to be put right
            amount->selectAll();
            QTest::keyClicks(amount, QStringLiteral("12"));
        });
        ScriptRun run(steps(R"([{"click":"提交"}])"));
        int32_t receiptId = 0, dateLock = 0;
        QCOMPARE(int(ReceiptSet(host.conn, 7, &receiptId, "王医生", "口腔科", "D01", "张三", hostDate_, "", &dateLock)), 0);
        QVERIFY(acted);
        QCOMPARE(messagesOf(run), QStringList{QStringLiteral("请输入一个数字。")});
        QCOMPARE(rowOf(host.db(), receiptId).value(QStringLiteral("挂号费")).toDouble(), 12.0);
    }

    // What the dialog shows on opening an unpaid receipt: the clinic's labels, the receipt's
    // fields, the server's date locked, and no refund switch when the clinic hides it.
    void openingAnExistingReceipt_data() { testdb::addBackendRows(); }
    void openingAnExistingReceipt()
    {
        QFETCH(QString, backend);
        Host host(backend);
        db::execute(host.db(), QStringLiteral("UPDATE Management_table SET FeeIOShowYesNo=0"));
        db::AddRecord(host.db(), QStringLiteral("ReceiptItemName_Table"),
                      {{QStringLiteral("ItemIndex"), 4}, {QStringLiteral("ItemName"), QStringLiteral("矫正费")}}, {});
        const qint64 id = addStored(host.db(), QStringLiteral("unpaid"));
        QMap<QString, QString> shown;
        bool dateEnabled = true, refundVisible = true;
        QDateTime date;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (!e->accessibleName().isEmpty()) shown[e->accessibleName().remove(QLatin1Char(' '))] = e->text();
            auto* dateEdit = d.findChild<QDateTimeEdit*>();
            dateEnabled = dateEdit->isEnabled();
            date = dateEdit->dateTime();
            refundVisible = d.findChild<QCheckBox*>()->isVisibleTo(&d);
        });
        ScriptRun run(steps(R"([{"set":"矫正费","to":"25"},{"click":"修改"}])"));
        int32_t receiptId = static_cast<int32_t>(id), dateLock = 1;
        QCOMPARE(int(ReceiptSet(host.conn, 7, &receiptId, "王医生", "", "", "主机病人", hostDate_, "", &dateLock)), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());

        QCOMPARE(shown.value("姓名"), QStringLiteral("张三"));
        QCOMPARE(shown.value("检查费"), QStringLiteral("30.00"));
        QCOMPARE(shown.value("矫正费"), QStringLiteral("20.00"));
        QCOMPARE(shown.value("其它"), QStringLiteral("5.00"));
        QCOMPARE(shown.value("合计"), QStringLiteral("55.00"));
        QCOMPARE(shown.value("备注"), QStringLiteral("复诊"));
        QCOMPARE(shown.value("科室"), QStringLiteral("口腔科"));
        QVERIFY(!dateEnabled);
        QVERIFY(!refundVisible);
        QVERIFY(qAbs(date.secsTo(host.db().serverTime())) < 60);

        const QVariantMap stored = rowOf(host.db(), id);
        QCOMPARE(stored.value("整畸费").toDouble(), 25.0);
        QCOMPARE(stored.value("合计").toDouble(), 60.0);
        QCOMPARE(stored.value("护士").toString(), QStringLiteral("刘护士"));
    }
};

QTEST_MAIN(TestReceiptDialog)
#include "tst_receipt_dialog.moc"
