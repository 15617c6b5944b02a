// A clinic's first day on Calvane alone: `calvane init` makes an empty database, and everything
// after it is done at the desk (first manager, department and doctor, a new patient, a receipt
// and its settlement), on every backend.
#include "app/ControlDriver.h"
#include "db/Query.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

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

} // namespace

class TestDeskFirstDay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void firstReceipt_data() { testdb::addBackendRows(); }
    void firstReceipt()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        QProcess init;
        init.start(QStringLiteral(CALVANE_TOOL), {u"init"_s, url});
        QVERIFY(init.waitForFinished(120000));
        QVERIFY2(init.exitCode() == 0, init.readAllStandardError().constData());

        DeskWindow desk(url);
        desk.show();
        try {
            app::control::set(named(&desk, u"收款员"_s), u"王芳"_s);
            app::control::set(named(&desk, u"密码"_s), u"secret1"_s);
            app::control::click(button(&desk, u"签到"_s));
        } catch (const app::control::StepRefused& e) {
            QFAIL(qPrintable(e.reason));
        }
        QVERIFY(desk.signedInAsManager());

        QString why = inDialog(desk, u"医生和科室"_s, u"医生和科室"_s, [](QDialog& d) {
            app::control::set(named(&d, u"科室名称"_s), u"口腔科"_s);
            app::control::click(button(&d, u"新增科室"_s));
            app::control::set(named(&d, u"医生姓名"_s), u"赵医生"_s);
            app::control::set(named(&d, u"医生编号"_s), u"D01"_s);
            app::control::choose(named(&d, u"科室"_s), u"口腔科"_s);
            app::control::click(button(&d, u"新增医生"_s));
            app::control::click(button(&d, u"关闭"_s));
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));

        why = inDialog(desk, u"登记病人"_s, u"病人登记"_s, [](QDialog& d) {
            app::control::set(named(&d, u"病人姓名"_s), u"张伟"_s);
            app::control::set(named(&d, u"电话"_s), u"13900001111"_s);
            app::control::click(button(&d, u"保存"_s));
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(labelText(&desk, u"病历号"_s), u"1001"_s);

        try {
            app::control::choose(app::control::find(&desk, u"接诊医生"_s), u"赵医生"_s);
            ScriptRun run(steps(R"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"set":"治疗费","to":"120"},{"click":"提交"}])"));
            app::control::click(app::control::find(&desk, u"收费收据"_s));
            QCOMPARE(run.events(u"error"_s).size(), 0);
        } catch (const app::control::StepRefused& e) {
            QFAIL(qPrintable(e.reason));
        }
        auto c = db::Connection::open(url);
        const qint64 receipt = db::toInteger(db::scalar(*c, u"SELECT max(ID) FROM 收费收据表"_s));
        QVERIFY(receipt > 0);
        auto* receipts = qobject_cast<QTableWidget*>(named(&desk, u"收据列表"_s));
        try {
            app::control::row(receipts, 0);
            ScriptRun run(steps(R"([{"dialog":"收费结帐"},{"click":"结帐"}])"));
            app::control::click(app::control::find(&desk, u"结帐"_s));
            QCOMPARE(run.events(u"error"_s).size(), 0);
        } catch (const app::control::StepRefused& e) {
            QFAIL(qPrintable(e.reason));
        }
        db::Query paid(*c, u"SELECT 付款, 合计, 医生姓名, 科室, 病人姓名 FROM 收费收据表 WHERE ID = ?"_s, {receipt});
        paid.exec();
        QVERIFY(paid.next());
        QCOMPARE(paid.text(0), u"已付"_s);
        QCOMPARE(paid.number(1), 125.0);
        QCOMPARE(paid.text(2), u"赵医生"_s);
        QCOMPARE(paid.text(3), u"口腔科"_s);
        QCOMPARE(paid.text(4), u"张伟"_s);
    }
};

QTEST_MAIN(TestDeskFirstDay)
#include "tst_desk_first_day.moc"
