// A day at the front desk, driven as a person (or a clinic's automation script) drives it:
// controls found by their accessible names, dialogs answered by UI scripts, on every backend.
#include "tests/desk/DeskSteps.h"
#include "app/ControlDriver.h"
#include "app/Dialog.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "print/CMainFrame.h"
#include "print/PrintUi.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// A small clinic: two cashiers (one retired), a doctor and two patients.
void loadClinic(db::Connection& c)
{
    for (const auto& [name, retired] : QList<QPair<QString, int>>{{u"马丽"_s, 0}, {u"高洁"_s, 1}})
        db::execute(c, u"INSERT INTO 收款员表 (收款员, 停用) VALUES (?, ?)"_s, {name, retired});
    db::execute(c, u"INSERT INTO 主治医生表 (医生姓名, 医生编号, 科室) VALUES (?, ?, ?)"_s,
                {u"王医生"_s, u"D07"_s, u"修复科"_s});
    db::execute(c, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名, 拼音码, 电话) VALUES (?, ?, ?, ?, ?)"_s,
                {1001, u"P1001"_s, u"张三"_s, u"zs"_s, u"13900001111"_s});
    db::execute(c, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名, 拼音码, 电话) VALUES (?, ?, ?, ?, ?)"_s,
                {1002, u"P1002"_s, u"李四"_s, u"ls"_s, u"13900002222"_s});
}

// A control of the desk by its accessible name, shown or not (for reading what it says).
// The print dialog answered with a PDF file, and the previews that opened.
struct PdfPrinter : print::PrintUi {
    QString pdf;
    QList<QPointer<print::CMainFrame>> previews;
    print::PrintUi::Scope scope{this};
    bool choosePrinter(QPrinter& printer, QWidget*) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    }
    void previewShown(print::CMainFrame& frame) override { previews << &frame; }
};

// The text of a PDF as pdftotext reads it, blanks left out (spacing is layout).
QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-raw"_s, pdf, u"-"_s});
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput()).remove(u' ').remove(u'\n');
}

} // namespace

// Opens a fresh clinic database at url, migrated and filled.
db::ConnectionPtr clinicAt(const QString& url)
{
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    loadClinic(*c);
    return c;
}

class TestDesk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    // Sign in, find the patient, write a receipt, settle it, a walk-in sheet, the day's end.
    // Dialogs still standing in for unbuilt ones are never opened: their actions must be
    // disabled, and the test says which steps it could not take yet.
    void fullDay_data() { testdb::addBackendRows(); }
    void fullDay()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        DeskWindow desk(url);
        desk.show();

        // Sign in from the clinic's list: the retired cashier is not offered.
        auto* cashiers = qobject_cast<QComboBox*>(named(&desk, u"收款员"_s));
        QCOMPARE(cashiers->count(), 1);
        QVERIFY(!desk.action(u"收费收据"_s)->isEnabled());
        STEP(app::control::choose(cashiers, u"马丽"_s));
        STEP(app::control::click(app::control::find(&desk, u"签到"_s)));
        QCOMPARE(desk.cashier(), u"马丽"_s);
        QCOMPARE(labelText(&desk, u"当前收款员"_s), u"收款员：马丽"_s);

        // Find the patient by pinyin initials; Enter on a single hit opens the page.
        QWidget* search = named(&desk, u"查找病人"_s);
        STEP(app::control::set(search, u"ZS"_s));
        STEP(app::control::key(search, u"Enter"_s));
        QCOMPARE(labelText(&desk, u"姓名"_s), u"张三"_s);
        QCOMPARE(labelText(&desk, u"病历号"_s), u"1001"_s);
        QCOMPARE(labelText(&desk, u"电话"_s), u"13900001111"_s);
        STEP(app::control::choose(app::control::find(&desk, u"接诊医生"_s), u"王医生"_s));

        // Write a receipt: the dialog gets the patient and doctor, the desk says what was stored.
        QString seenPatient, seenDoctor;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (e->accessibleName() == u"姓名"_s) seenPatient = e->text();
            for (QComboBox* b : d.findChildren<QComboBox*>())
                if (b->accessibleName() == u"医生"_s) seenDoctor = b->currentText();
        });
        {
            ScriptRun run(steps(R"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"set":"治疗费","to":"150.5"},{"click":"提交"}])"));
            STEP(app::control::click(app::control::find(&desk, u"收费收据"_s)));
            QCOMPARE(run.events(u"error"_s).size(), 0);
        }
        app::Dialog::setShownHook(nullptr);
        QCOMPARE(seenPatient, u"张三"_s);
        QCOMPARE(seenDoctor, u"王医生"_s);
        const qint64 receipt = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 收费收据表"_s));
        QVERIFY(receipt > 0);
        QCOMPARE(labelText(&desk, u"操作结果"_s), u"收据 %1 已保存，合计 155.50"_s.arg(receipt));
        // The call itself, for a developer: what the export answered.
        QVERIFY(qobject_cast<QPlainTextEdit*>(named(&desk, u"开发者视图"_s))
                    ->toPlainText()
                    .contains(uR"(ReceiptSet {"result":0,"out":{"receipt_id":%1}})"_s.arg(receipt)));
        auto* receipts = qobject_cast<QTableWidget*>(named(&desk, u"收据列表"_s));
        QCOMPARE(receipts->rowCount(), 1);
        QCOMPARE(receipts->item(0, 1)->text(), QString::number(receipt));
        QCOMPARE(receipts->item(0, 4)->text(), u"未付"_s);

        // Settle it.
        STEP(app::control::row(receipts, 0));
        {
            ScriptRun run(steps(R"([{"dialog":"收费结帐"},{"click":"结帐"}])"));
            STEP(app::control::click(app::control::find(&desk, u"结帐"_s)));
            QCOMPARE(run.events(u"error"_s).size(), 0);
            QCOMPARE(db::toText(db::scalar(*c, u"SELECT 付款 FROM 收费收据表 WHERE ID = ?"_s, {receipt})), u"已付"_s);
            QVERIFY(desk.lastOutcome().startsWith(u"收据 %1 已结帐"_s.arg(receipt)));
            QCOMPARE(receipts->item(0, 4)->text(), u"已付"_s);
        }

        // A walk-in patient's sheet.
        {
            ScriptRun run(steps(R"([{"dialog":"无病案收费单"},{"set":"患者姓名","to":"路人甲"},{"choose":"医生","item":"王医生"},)"
                                R"({"set":"挂号费","to":"5"},{"set":"检查费","to":"30"},{"click":"结帐"}])"));
            desk.action(u"无病案收费单"_s)->trigger();
            QCOMPARE(run.events(u"error"_s).size(), 0);
            const qint64 sheet = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 无病历收费单"_s));
            QCOMPARE(desk.lastOutcome(), u"无病案收费单 %1 已保存，合计 35.00"_s.arg(sheet));
        }

        // The day's list holds what was written, with its totals.
        desk.action(u"今日收费"_s)->trigger();
        auto* day = qobject_cast<QTableWidget*>(named(&desk, u"今日单据"_s));
        QCOMPARE(day->rowCount(), 2);
        QCOMPARE(day->item(0, 2)->text(), QString::number(receipt));
        QVERIFY(labelText(&desk, u"今日合计"_s).startsWith(u"收据 1 张"_s));
        // From another patient's page, the day's receipt opens on its own patient's page.
        QVERIFY(desk.openPatient(1002));
        desk.action(u"今日收费"_s)->trigger();
        STEP(app::control::row(day, 0));
        emit day->doubleClicked(day->model()->index(0, 0));
        QCOMPARE(labelText(&desk, u"姓名"_s), u"张三"_s);
        QCOMPARE(receipts->currentRow(), 0);

        // The day-end statement.
        {
            ScriptRun run(steps(R"([{"dialog":"缴款统计"}])"));
            desk.action(u"日结"_s)->trigger();
            QCOMPARE(run.events(u"open"_s).size(), 1);
            QCOMPARE(desk.lastOutcome(), u"日结已关闭"_s);
        }
    }

    // Every settled document prints through the preview: after the checkout and the walk-in
    // sheet when the cashier answers 是, and again later from either list, marked 补打. Printing
    // stores nothing (no city receipt form) and an unpaid receipt cannot be printed.
    void printsSettledDocuments_data() { testdb::addBackendRows(); }
    void printsSettledDocuments()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        DeskWindow desk(url);
        desk.show();
        desk.signIn(u"马丽"_s);
        QVERIFY(desk.openPatient(1001));
        STEP(app::control::choose(app::control::find(&desk, u"接诊医生"_s), u"王医生"_s));
        QTemporaryDir dir;
        PdfPrinter printer;
        // Prints what the preview shows; returns the PDF's text, or "" when no preview opened.
        auto printPreviewed = [&](const QString& name) -> QString {
            if (printer.previews.isEmpty() || !printer.previews.last()) return QString();
            const QPointer<print::CMainFrame> frame = printer.previews.takeLast();
            if (desk.isVisible()) return QString(); // the preview stands in for the desk
            printer.pdf = dir.filePath(name + u".pdf"_s);
            frame->printAction()->trigger();
            if (!QTest::qWaitFor([&] { return frame.isNull(); })) return QString();
            return desk.isVisible() ? pdfText(printer.pdf) : QString();
        };

        {
            ScriptRun run(steps(R"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"set":"治疗费","to":"150.5"},{"click":"提交"}])"));
            desk.action(u"收费收据"_s)->trigger();
        }
        const qint64 receipt = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 收费收据表"_s));
        auto* receipts = qobject_cast<QTableWidget*>(named(&desk, u"收据列表"_s));
        STEP(app::control::row(receipts, 0));
        QVERIFY(!desk.action(u"打印收据"_s)->isEnabled()); // not settled yet
        QVERIFY(!desk.action(u"补打收据"_s)->isEnabled());
        QCOMPARE(desk.action(u"打印收据"_s)->shortcut(), QKeySequence(u"Ctrl+P"_s));

        // 是 after the checkout: the receipt page, as settled.
        {
            ScriptRun run(steps(R"([{"dialog":"收费结帐"},{"click":"结帐"},{"reply":"是"}])"));
            desk.action(u"结帐"_s)->trigger();
            QCOMPARE(run.events(u"error"_s).size(), 0);
        }
        QCOMPARE(desk.lastOutcome(), u"收据 %1 已结帐，实收 155.50；收据 %1 的收据已在打印预览中"_s.arg(receipt));
        QString text = printPreviewed(u"settled"_s);
        for (const QString& t : {u"收据号：%1（收费）"_s.arg(receipt), u"姓名：张三病历号：1001"_s, u"治疗费150.50"_s,
                                 u"实收金额155.50"_s, u"现金155.50"_s, u"收款人：马丽"_s})
            QVERIFY2(text.contains(t), qPrintable(t + u" not in "_s + text));
        QVERIFY(!text.contains(u"补打"_s));

        // 是 after a walk-in sheet: its page.
        {
            ScriptRun run(steps(R"([{"dialog":"无病案收费单"},{"set":"患者姓名","to":"路人甲"},{"choose":"医生","item":"王医生"},)"
                                R"({"set":"检查费","to":"30"},{"click":"结帐"},{"reply":"是"}])"));
            desk.action(u"无病案收费单"_s)->trigger();
            QCOMPARE(run.events(u"error"_s).size(), 0);
        }
        const qint64 sheet = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 无病历收费单"_s));
        text = printPreviewed(u"walkin"_s);
        for (const QString& t : {u"单据号：%1（无病案收费单）"_s.arg(sheet), u"姓名：路人甲"_s, u"检查费30.00"_s})
            QVERIFY2(text.contains(t), qPrintable(t + u" not in "_s + text));

        // Later, from today's list: the walk-in sheet again, marked as a reprint.
        desk.action(u"今日收费"_s)->trigger();
        auto* day = qobject_cast<QTableWidget*>(named(&desk, u"今日单据"_s));
        int sheetRow = -1;
        for (int r = 0; r < day->rowCount(); ++r)
            if (day->item(r, 1)->text() == u"无病案收费单"_s) sheetRow = r;
        STEP(app::control::row(day, sheetRow));
        QVERIFY(desk.action(u"补打收据"_s)->isEnabled());
        desk.action(u"补打收据"_s)->trigger();
        QCOMPARE(desk.lastOutcome(), u"无病案收费单 %1 的补打收据已在打印预览中"_s.arg(sheet));
        text = printPreviewed(u"reprint"_s);
        QVERIFY2(text.contains(u"补打"_s) && text.contains(u"单据号：%1"_s.arg(sheet)), qPrintable(text));

        // And the receipt from the patient's page with Ctrl+P's action.
        QVERIFY(desk.openPatient(1001));
        STEP(app::control::row(receipts, 0));
        desk.action(u"打印收据"_s)->trigger();
        text = printPreviewed(u"again"_s);
        QVERIFY2(text.contains(u"收据号：%1（收费）"_s.arg(receipt)), qPrintable(text));
        QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT count(*) FROM BeanshiReceipt_table"_s)), 0);
    }

    // The server goes away: the status bar says so, no dialog opens, and the desk comes back
    // by itself when the server does. A file database cannot go away, so PostgreSQL only.
    void lostConnection()
    {
        if (!testdb::backends().contains(u"postgresql"_s)) QSKIP("needs PostgreSQL (CALVANE_TEST_PG)");
        const QString url = testdb::freshUrl(u"postgresql"_s);
        const QString name = QUrl(url).path().mid(1);
        clinicAt(url);
        DeskWindow desk(url);
        desk.show();
        desk.signIn(u"马丽"_s);
        QVERIFY(desk.openPatient(1001));
        STEP(app::control::choose(app::control::find(&desk, u"接诊医生"_s), u"王医生"_s));
        QVERIFY(desk.action(u"收费收据"_s)->isEnabled());

        // Everyone is thrown out and the database is out of reach, as when a server restarts.
        auto admin = db::Connection::open(qEnvironmentVariable("CALVANE_TEST_PG"));
        db::execute(*admin, u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = ?"_s, {name});
        admin->execute(u"ALTER DATABASE %1 RENAME TO %1_away"_s.arg(name));

        int shown = 0;
        app::Dialog::setShownHook([&](app::Dialog&) { ++shown; });
        desk.action(u"收费收据"_s)->trigger();
        QCOMPARE(shown, 0);
        QVERIFY(!desk.connected());
        QCOMPARE(labelText(&desk, u"连接状态"_s), u"数据库连接已断开，正在重新连接…"_s);
        QVERIFY(!desk.action(u"收费收据"_s)->isEnabled());
        QVERIFY(!desk.checkConnection()); // still away

        admin->execute(u"ALTER DATABASE %1_away RENAME TO %1"_s.arg(name));
        QVERIFY(desk.checkConnection());
        QCOMPARE(labelText(&desk, u"连接状态"_s), u"连接正常"_s);
        QCOMPARE(desk.lastOutcome(), u"数据库连接已恢复"_s);
        QVERIFY(desk.action(u"收费收据"_s)->isEnabled());
        {
            ScriptRun run(steps(R"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"click":"提交"}])"));
            desk.action(u"收费收据"_s)->trigger();
        }
        QCOMPARE(shown, 1);
        QVERIFY2(desk.lastOutcome().endsWith(u"已保存，合计 5.00"_s), qPrintable(desk.lastOutcome()));
    }
};

QTEST_MAIN(TestDesk)
#include "tst_desk.moc"
