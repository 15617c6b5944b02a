// ReceiptEditResult through the C API, driven by scripts on every backend: a stored receipt
// is shown for reading, with its payment record when it has one, and nothing is written.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QVariantMap tableRows(db::Connection& c)
{
    QVariantMap m;
    for (const QString& table : {QStringLiteral("收费收据表"), QStringLiteral("病历收费单")}) {
        db::Query q(c, QStringLiteral("SELECT * FROM ") + table);
        q.exec();
        for (int row = 0; q.next(); ++row) {
            for (int i = 0; i < q.columnCount(); ++i)
                m.insert(QStringLiteral("%1.%2.%3").arg(table).arg(row).arg(q.columnName(i)), q.value(i));
        }
    }
    return m;
}

} // namespace

class TestReceiptEditDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void view_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("payment");
        QTest::addColumn<QString>("closeWith");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": with its payment record"))) << b << true << "关闭";
            QTest::newRow(qPrintable(b + QStringLiteral(": without a payment record"))) << b << false << "关闭";
            QTest::newRow(qPrintable(b + QStringLiteral(": window closed"))) << b << true << "";
        }
    }
    void view()
    {
        QFETCH(QString, backend);
        QFETCH(bool, payment);
        QFETCH(QString, closeWith);
        CalvaneConnection* conn = nullptr;
        QCOMPARE(CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn), 0);
        db::Connection& c = *conn->connection;
        db::schema::migrate(c);
        db::AddRecord(c, QStringLiteral("主治医生表"), {{QStringLiteral("医生姓名"), QStringLiteral("王医生")}}, {});
        db::AddRecord(c, QStringLiteral("科室表"), {{QStringLiteral("科室"), QStringLiteral("口腔科")}}, {});
        const qint64 id = db::AddRecord(c, QStringLiteral("收费收据表"),
                                        {{QStringLiteral("病历号"), 7},
                                         {QStringLiteral("病人姓名"), QStringLiteral("张三")},
                                         {QStringLiteral("医生姓名"), QStringLiteral("王医生")},
                                         {QStringLiteral("科室"), QStringLiteral("口腔科")},
                                         {QStringLiteral("收款人"), QStringLiteral("收款员")},
                                         {QStringLiteral("检查费"), 30.0},
                                         {QStringLiteral("其它费用"), 25.5},
                                         {QStringLiteral("合计"), 55.5},
                                         {QStringLiteral("付款"), QStringLiteral("已付")}});
        if (payment)
            db::AddRecord(c, QStringLiteral("病历收费单"),
                          {{QStringLiteral("ReceiptID"), id}, {QStringLiteral("收款金额"), 40.0}, {QStringLiteral("余额"), 15.5},
                           {QStringLiteral("备注"), QStringLiteral("首付")}},
                          QStringLiteral("病历收费编号"));
        const QVariantMap before = tableRows(c);

        QMap<QString, QString> shown;
        bool paymentShown = !payment, settleShown = true;
        QString doctor, department;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (e->isVisibleTo(&d) && !e->accessibleName().isEmpty())
                    shown.insert(e->objectName(), e->text());
            paymentShown = d.findChild<QLineEdit*>(QStringLiteral("receivedEdit"))->isVisibleTo(&d);
            settleShown = d.findChild<QPushButton*>(QStringLiteral("settleButton"))->isVisibleTo(&d);
            doctor = d.findChild<QComboBox*>(QStringLiteral("doctorCombo"))->currentText();
            department = d.findChild<QComboBox*>(QStringLiteral("departmentCombo"))->currentText();
        });
        ScriptRun run(closeWith.isEmpty() ? steps(R"([{"dialog":"收费收据"},{"close":true}])")
                                          : steps(R"([{"dialog":"收费收据"},{"click":"关  闭"}])"));
        const int32_t result = ReceiptEditResult(conn, int32_t(id), "主机病人", 7, "", "", 0, "主机收款员",
                                                 oledate::fromDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5))));
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(result), 0);
        QCOMPARE(paymentShown, payment);
        QVERIFY(!settleShown);
        QCOMPARE(shown.value("patientEdit"), QStringLiteral("张三"));
        QCOMPARE(shown.value("recordEdit"), QStringLiteral("7"));
        QCOMPARE(shown.value("其它费用"), QStringLiteral("25.50"));
        QCOMPARE(shown.value("totalEdit"), QStringLiteral("55.50"));
        QCOMPARE(shown.value("cashierEdit"), QStringLiteral("收款员"));
        QCOMPARE(shown.value("stateEdit"), QStringLiteral("已付"));
        QCOMPARE(doctor, QStringLiteral("王医生"));
        QCOMPARE(department, QStringLiteral("口腔科"));
        QCOMPARE(shown.value("receivedEdit"), payment ? QStringLiteral("40.00") : QString());
        QCOMPARE(shown.value("owedEdit"), payment ? QStringLiteral("15.50") : QString());
        QCOMPARE(shown.value("paymentRemarkEdit"), payment ? QStringLiteral("首付") : QString());
        QCOMPARE(tableRows(c), before);
        CalvaneDisconnect(conn);
    }
};

QTEST_MAIN(TestReceiptEditDialog)
#include "tst_receipt_edit_dialog.moc"
