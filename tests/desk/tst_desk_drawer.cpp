// The cash drawer at the front desk, driven as a cashier drives it on every backend: sign in, a
// cash checkout with 收款/找零, a top-up of the patient's prepaid account with its slip, and the
// shift hand-over printed and saved as CSV.
#include "tests/desk/DeskSteps.h"
#include "app/ControlDriver.h"
#include "app/Dialog.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "prepay/PrePayDeposit.h"
#include "prepay/PrePayDepositForm.h"
#include "settle/Tendered.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// 马丽 at the desk; 张三 (case 1001) holds prepaid account with 100.00, 李四 (1002) has none;
// 张三 has an unpaid receipt of 150.50.
void loadClinic(db::Connection& c)
{
    db::execute(c, u"INSERT INTO 收款员表 (收款员, 停用) VALUES (?, 0)"_s, {u"马丽"_s});
    db::execute(c, u"INSERT INTO 主治医生表 (医生姓名, 医生编号, 科室) VALUES (?, ?, ?)"_s, {u"王医生"_s, u"D07"_s, u"修复科"_s});
    for (const auto& [caseNumber, number, name] : {std::tuple{1001, u"P1001"_s, u"张三"_s}, {1002, u"P1002"_s, u"李四"_s}}) {
        db::execute(c, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名) VALUES (?, ?, ?)"_s, {caseNumber, number, name});
        db::execute(c, u"INSERT INTO 病人简历表 (病人编号) VALUES (?)"_s, {number});
    }
    const qint64 account = db::AddRecord(c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"P1001"_s}});
    db::AddRecord(c, u"PrePayUserSheet_Table"_s, {{u"PrePayer_ID"_s, account}, {u"Patient_Code"_s, u"P1001"_s}});
    db::AddRecord(c, u"PrePayReg_Table"_s,
                  {{u"PrePayer_ID"_s, account}, {u"PrePay_IO"_s, 0}, {u"PrePay_Money"_s, 100.0}, {u"PreferMoney"_s, 0.0}});
    db::AddRecord(c, u"收费收据表"_s,
                  {{u"病历号"_s, 1001}, {u"病人姓名"_s, u"张三"_s}, {u"治疗费"_s, 150.5}, {u"合计"_s, 150.5},
                   {u"付款"_s, u"未付"_s}, {u"医生姓名"_s, u"王医生"_s}, {u"收款人"_s, u" "_s}, {u"FeeIO"_s, 0},
                   {u"日期"_s, QDateTime::currentDateTime()}});
}

QStringList messages(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& e : run.events(u"message"_s)) texts << e.value(u"text"_s).toString();
    return texts;
}

// The text of a PDF as pdftotext reads it, without blanks.
QString pdfText(const QString& path)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-raw"_s, path, u"-"_s});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).remove(QRegularExpression(u"\\s+"_s));
}

} // namespace

class TestDeskDrawer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    void drawer_data() { testdb::addBackendRows(); }
    void drawer()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        loadClinic(*c);
        DeskWindow desk(url);
        desk.show();
        QTemporaryDir dir;

        STEP(app::control::choose(named(&desk, u"收款员"_s), u"马丽"_s));
        STEP(app::control::click(app::control::find(&desk, u"签到"_s)));
        QCOMPARE(desk.cashier(), u"马丽"_s);

        // A patient without an account has nothing to pay into.
        QVERIFY(desk.openPatient(1002));
        QVERIFY(!desk.action(u"预付费交款"_s)->isEnabled());
        QVERIFY(desk.openPatient(1001));
        QCOMPARE(labelText(&desk, u"预付费余额"_s), u"100.00"_s);
        QVERIFY(desk.action(u"预付费交款"_s)->isEnabled());
        QVERIFY(desk.action(u"交班"_s)->isEnabled());

        // Cash checkout: 100 handed over for 150.50 is refused and nothing is booked; 200 settles.
        auto* receipts = qobject_cast<QTableWidget*>(named(&desk, u"收据列表"_s));
        STEP(app::control::row(receipts, 0));
        {
            ScriptRun run(steps(R"([{"dialog":"收费结帐"},{"set":"收款","to":"100"},{"click":"结帐"},)"
                                R"({"set":"收款","to":"200"},{"click":"结帐"},{"reply":"否"}])"));
            desk.action(u"结帐"_s)->trigger();
            QCOMPARE(run.events(u"error"_s).size(), 0);
            QCOMPARE(messages(run), (QStringList{settle::kTenderedTooLow.arg(u"150.50"_s), u"收据结帐成功!"_s,
                                                 u"是否打印？如打印请按“是”，否则，按“否”!"_s}));
        }
        QCOMPARE(db::toNumber(db::scalar(*c, u"SELECT 收款金额 FROM 病历收费单"_s)), 150.5);

        // Top-up: a zero is refused, 200.50 in cash is booked, the slip printed, the page follows.
        const QString slip = dir.filePath(u"slip.pdf"_s);
        {
            ScriptRun run(steps(R"([{"dialog":"预付费交款"},{"set":"交款金额","to":"0"},{"click":"交款"},)"
                                R"({"set":"交款金额","to":"200.5"},{"choose":"交款方式","item":"现金"},)"
                                R"({"click":"交款"},{"click":"打印交款单"},{"click":"关闭"}])"),
                          slip);
            desk.action(u"预付费交款"_s)->trigger();
            QCOMPARE(run.events(u"error"_s).size(), 0);
            QCOMPARE(messages(run), (QStringList{prepay::kDepositNotPositive, prepay::kDepositDone}));
        }
        QCOMPARE(labelText(&desk, u"预付费余额"_s), u"300.50"_s);
        QCOMPARE(desk.lastOutcome(), u"张三 预付费交款 1 笔，余额 300.50"_s);
        QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM PrePayReg_Table WHERE Checker=? AND PrePayType=0"_s,
                                          {u"马丽"_s})),
                 1);
        const QString slipText = pdfText(slip);
        for (const QString& t : {u"预付费交款单"_s, u"交款金额:200.50元"_s, u"交款后余额:300.50元"_s, u"收款员:马丽"_s})
            QVERIFY2(slipText.contains(t), qPrintable(t + u" in "_s + slipText));

        // The hand-over: 马丽's drawer holds the 150.50 settled and the 200.50 paid in, saved as
        // CSV; the whole day printed.
        const QString page = dir.filePath(u"handover.pdf"_s);
        {
            ScriptRun run(steps(R"([{"dialog":"交班"},{"click":"导出CSV"},{"choose":"交班范围","item":"全天"},)"
                                R"({"click":"统计"},{"click":"打印预览"},{"click":"关闭"}])"),
                          page);
            desk.action(u"交班"_s)->trigger();
            QCOMPARE(run.events(u"error"_s).size(), 0);
        }
        QCOMPARE(desk.lastOutcome(), u"交班已关闭"_s);
        QFile csv(dir.filePath(u"handover.csv"_s));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString table = QString::fromUtf8(csv.readAll());
        for (const QString& row : {u"现金,351.00"_s, u"合计收款,351.00"_s, u"钱箱现金,351.00"_s, u"收据张数,1"_s,
                                   u"预付费交款金额,200.50"_s, u"未结收据张数,0"_s})
            QVERIFY2(table.contains(row), qPrintable(row + u" in "_s + table));
        const QString pageText = pdfText(page);
        for (const QString& t : {u"交班表"_s, u"收款员:全部"_s, u"钱箱现金351.00"_s, u"预付费交款笔数1"_s})
            QVERIFY2(pageText.contains(t), qPrintable(t + u" in "_s + pageText));
    }
};

QTEST_MAIN(TestDeskDrawer)
#include "tst_desk_drawer.moc"
