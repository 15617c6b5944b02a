// A clinic's first day on Calvane alone: `calvane init` makes an empty database, and everything
// after it is done at the desk (first manager, department and doctor, a new patient, a price, a
// receipt by categories or by catalogue items and its settlement), on every backend. Run also
// under Xvfb, where the desk meets a real X server as at the clinic.
#include "app/ControlDriver.h"
#include "db/Query.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QGuiApplication>
#include <QApplication>
#include <QDialog>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QWidget* named(QWidget* top, const QString& name)
{
    for (QWidget* w : top->findChildren<QWidget*>())
        if (w->accessibleName() == name) return w;
    throw app::control::StepRefused{u"no control named %1"_s.arg(name)};
}

QPushButton* button(QWidget* top, const QString& text)
{
    for (auto* b : top->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    throw app::control::StepRefused{u"no button %1"_s.arg(text)};
}

// Triggers a desk action that opens one of the desk's own dialogs, and works in that dialog
// once it is shown, as a person would; what could not be done is returned.
QString inDialog(DeskWindow& desk, const QString& action, const QString& title, const std::function<void(QDialog&)>& work)
{
    QString refused = u"the dialog %1 did not open"_s.arg(title);
    QTimer::singleShot(0, &desk, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || d->windowTitle() != title) return;
        refused.clear();
        try {
            work(*d);
        } catch (const app::control::StepRefused& e) {
            refused = e.reason;
        }
        if (d->isVisible()) d->reject();
    });
    desk.action(action)->trigger();
    return refused;
}

QString labelText(QWidget* top, const QString& name) { return qobject_cast<QLabel*>(named(top, name))->text(); }

// An empty clinic made by `calvane init` (no demo data); at its desk the first manager signs
// in, adds a department and a doctor and registers a patient, whose page is then open with the
// doctor chosen. Empty when all went; else what went wrong.
QString openFirstDay(const QString& url, std::unique_ptr<DeskWindow>& desk)
{
    QProcess init;
    init.start(QStringLiteral(CALVANE_TOOL), {u"init"_s, url});
    if (!init.waitForFinished(120000) || init.exitCode() != 0)
        return u"calvane init failed: "_s + QString::fromUtf8(init.readAllStandardError());
    desk = std::make_unique<DeskWindow>(url);
    desk->show();
    try {
        app::control::set(named(desk.get(), u"收款员"_s), u"王芳"_s);
        app::control::set(named(desk.get(), u"密码"_s), u"secret1"_s);
        app::control::click(button(desk.get(), u"签到"_s));
    } catch (const app::control::StepRefused& e) {
        return e.reason;
    }
    if (!desk->signedInAsManager()) return u"the first cashier is no manager"_s;
    QString why = inDialog(*desk, u"医生和科室"_s, u"医生和科室"_s, [](QDialog& d) {
        app::control::set(named(&d, u"科室名称"_s), u"口腔科"_s);
        app::control::click(button(&d, u"新增科室"_s));
        app::control::set(named(&d, u"医生姓名"_s), u"赵医生"_s);
        app::control::set(named(&d, u"医生编号"_s), u"D01"_s);
        app::control::choose(named(&d, u"科室"_s), u"口腔科"_s);
        app::control::click(button(&d, u"新增医生"_s));
        app::control::click(button(&d, u"关闭"_s));
    });
    if (!why.isEmpty()) return why;
    why = inDialog(*desk, u"登记病人"_s, u"病人登记"_s, [](QDialog& d) {
        app::control::set(named(&d, u"病人姓名"_s), u"张伟"_s);
        app::control::set(named(&d, u"电话"_s), u"13900001111"_s);
        app::control::click(button(&d, u"保存"_s));
    });
    if (!why.isEmpty()) return why;
    if (labelText(desk.get(), u"病历号"_s) != u"1001"_s) return u"the new patient's page is not open"_s;
    try {
        app::control::choose(app::control::find(desk.get(), u"接诊医生"_s), u"赵医生"_s);
    } catch (const app::control::StepRefused& e) {
        return e.reason;
    }
    return {};
}

// Runs a desk action under a script of the dialogs it opens; what went wrong, or empty.
QString scripted(DeskWindow& desk, const QString& action, const char* script)
{
    try {
        ScriptRun run(steps(script));
        app::control::click(app::control::find(&desk, action));
        QStringList errors;
        for (const QJsonObject& e : run.events(u"error"_s)) errors << e.value(u"error"_s).toString();
        return errors.join(u" | "_s);
    } catch (const app::control::StepRefused& e) {
        return e.reason;
    }
}

} // namespace

class TestDeskFirstDay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        testdb::isolateSettings();
        // The ctest entry that runs this under Xvfb says so: it must not quietly run elsewhere.
        const QString platform = qEnvironmentVariable("CALVANE_TEST_PLATFORM");
        if (!platform.isEmpty()) QCOMPARE(QGuiApplication::platformName(), platform);
    }

    void firstReceipt_data() { testdb::addBackendRows(); }
    void firstReceipt()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        std::unique_ptr<DeskWindow> desk;
        const QString opened = openFirstDay(url, desk);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));

        QString why = scripted(*desk, u"收费收据"_s,
                               R"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"set":"治疗费","to":"120"},{"click":"提交"}])");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        auto c = db::Connection::open(url);
        const qint64 receipt = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 收费收据表"_s));
        QVERIFY(receipt > 0);
        try {
            app::control::row(qobject_cast<QTableWidget*>(named(desk.get(), u"收据列表"_s)), 0);
        } catch (const app::control::StepRefused& e) {
            QFAIL(qPrintable(e.reason));
        }
        why = scripted(*desk, u"结帐"_s, R"([{"dialog":"收费结帐"},{"click":"结帐"}])");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        db::Query paid(*c, u"SELECT 付款, 合计, 医生姓名, 科室, 病人姓名 FROM 收费收据表 WHERE ID = ?"_s, {receipt});
        paid.exec();
        QVERIFY(paid.next());
        QCOMPARE(paid.text(0), u"已付"_s);
        QCOMPARE(paid.number(1), 125.0);
        QCOMPARE(paid.text(2), u"赵医生"_s);
        QCOMPARE(paid.text(3), u"口腔科"_s);
        QCOMPARE(paid.text(4), u"张伟"_s);
    }

    // The same day with a receipt of catalogue items: the manager prices an item, the receipt
    // is filled from the catalogue and settled in cash; the lines and the payment record hold
    // what was entered.
    void firstStandardReceipt_data() { testdb::addBackendRows(); }
    void firstStandardReceipt()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        std::unique_ptr<DeskWindow> desk;
        const QString opened = openFirstDay(url, desk);
        QVERIFY2(opened.isEmpty(), qPrintable(opened));

        QString why = inDialog(*desk, u"收费标准"_s, u"收费标准"_s, [](QDialog& d) {
            app::control::set(named(&d, u"收费分类"_s), u"治疗类"_s);
            app::control::set(named(&d, u"项目名称"_s), u"洁治"_s);
            app::control::set(named(&d, u"单位"_s), u"次"_s);
            app::control::set(named(&d, u"单价"_s), u"80.5"_s);
            app::control::click(button(&d, u"新增"_s));
            if (labelText(&d, u"提示"_s) != u"已新增收费项目。"_s)
                throw app::control::StepRefused{labelText(&d, u"提示"_s)};
            app::control::click(button(&d, u"关闭"_s));
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));

        why = scripted(*desk, u"标准收费"_s,
                       R"([{"dialog":"填写收据"},{"choose":"类别","item":"治疗类"},{"choose":"项目","item":"洁治"},)"
                       R"({"set":"数量","to":"2"},{"click":"录入"},{"click":"提交"}])");
        QVERIFY2(why.isEmpty(), qPrintable(why));
        auto c = db::Connection::open(url);
        const qint64 receipt = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 收费收据表"_s));
        QVERIFY(receipt > 0);
        try {
            app::control::row(qobject_cast<QTableWidget*>(named(desk.get(), u"收据列表"_s)), 0);
        } catch (const app::control::StepRefused& e) {
            QFAIL(qPrintable(e.reason));
        }
        why = scripted(*desk, u"结帐"_s, R"([{"dialog":"收费结帐"},{"click":"结帐"},{"reply":"否"}])");
        QVERIFY2(why.isEmpty(), qPrintable(why));

        db::Query lines(*c, u"SELECT 收费类型, 收费项目, 单位, 标准, 数量, 金额 FROM 收费明细表 WHERE 收据编号 = ?"_s, {receipt});
        lines.exec();
        QVERIFY(lines.next());
        QCOMPARE(lines.text(0), u"治疗类"_s);
        QCOMPARE(lines.text(1), u"洁治"_s);
        QCOMPARE(lines.text(2), u"次"_s);
        QCOMPARE(lines.number(3), 80.5);
        QCOMPARE(lines.number(4), 2.0);
        QCOMPARE(lines.number(5), 161.0);
        QVERIFY(!lines.next());
        db::Query paid(*c,
                       u"SELECT r.付款, r.合计, r.医生姓名, p.总计应收费用, p.实收费用, p.收款人, p.病历号, p.MoneyPayed_type "
                       u"FROM 收费收据表 r JOIN 病历收费单 p ON p.ReceiptID = r.ID WHERE r.ID = ?"_s,
                       {receipt});
        paid.exec();
        QVERIFY(paid.next());
        QCOMPARE(paid.text(0), u"已付"_s);
        QCOMPARE(paid.number(1), 161.0);
        QCOMPARE(paid.text(2), u"赵医生"_s);
        QCOMPARE(paid.number(3), 161.0);
        QCOMPARE(paid.number(4), 161.0);
        QCOMPARE(paid.text(5), u"王芳"_s);
        QCOMPARE(paid.integer(6), 1001);
        QCOMPARE(paid.integer(7), 0);
        QVERIFY(!paid.next());
    }
};

QTEST_MAIN(TestDeskFirstDay)
#include "tst_desk_first_day.moc"
