// Pictures of the desk for its documentation: the sign-in, the main window with a search, the
// patient page, today's list, a prepaid top-up and the hand-over, taken on a demo clinic (run
// under a display, e.g. Xvfb: scripts/desk-screenshots.sh).
#include "app/ControlDriver.h"
#include "print/CMainFrame.h"
#include "app/Dialog.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QAbstractScrollArea>
#include <QPrintPreviewWidget>
#include <QTableWidget>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

namespace {

void settle()
{
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

bool save(QWidget& w, const QString& dir, const QString& name)
{
    settle();
    const QString path = QDir(dir).filePath(name);
    if (!w.grab().save(path)) {
        QTextStream(stderr) << "desk_screenshots: cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << "\n";
    return true;
}

// Does what a cashier's hands would do in the next dialog, through a UI script.
void scripted(DeskWindow& desk, const QTemporaryDir& dir, const QString& action, const QByteArray& steps)
{
    const QString path = dir.filePath(QStringLiteral("script.json"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    f.write("{\"steps\":" + steps + "}");
    f.close();
    CalvaneSetUiScript(path.toUtf8().constData());
    desk.action(action)->trigger();
    const QString refused = QString::fromUtf8(CalvaneUiScriptError());
    if (!refused.isEmpty()) QTextStream(stderr) << "desk_screenshots: " << action << ": " << refused << "\n";
    QTextStream(stdout) << desk.lastOutcome() << "\n";
    CalvaneSetUiScript(nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        QTextStream(stderr) << "usage: desk_screenshots URL CASE_NUMBER OUTPUT_DIR\n";
        return 2;
    }
    DeskWindow desk(args[1]);
    desk.resize(1280, 800);
    desk.show();
    bool ok = save(desk, args[3], QStringLiteral("desk-signin.png"));
    desk.signIn(QStringLiteral("马丽"));
    // A little of the day's work first: a walk-in patient's sheet, and case 1012's receipt settled.
    QTemporaryDir scripts;
    scripted(desk, scripts, QStringLiteral("无病案收费单"),
             R"([{"dialog":"无病案收费单"},{"set":"患者姓名","to":"赵大海"},{"choose":"医生","item":"张明华"},)"
             R"({"set":"挂号费","to":"5"},{"set":"检查费","to":"30"},{"click":"结帐"},{"reply":"否"}])");
    desk.openPatient(1012);
    scripted(desk, scripts, QStringLiteral("结帐"), R"([{"dialog":"收费结帐"},{"click":"结帐"},{"reply":"否"}])");
    QWidget* search = app::control::find(&desk, QStringLiteral("查找病人"));
    app::control::set(search, QStringLiteral("z"));
    desk.openPatient(args[2].toLongLong());
    ok = save(desk, args[3], QStringLiteral("desk-main.png")) && ok;
    app::control::set(search, QStringLiteral("张伟"));
    desk.searchNow();
    desk.openPatient(args[2].toLongLong());
    ok = save(desk, args[3], QStringLiteral("desk-patient.png")) && ok;
    desk.action(QStringLiteral("今日收费"))->trigger();
    ok = save(desk, args[3], QStringLiteral("desk-day.png")) && ok;
    // The walk-in sheet's receipt page, reprinted from today's list, in the print preview.
    auto* day = qobject_cast<QTableWidget*>(app::control::find(&desk, QStringLiteral("今日单据")));
    for (int r = day->rowCount() - 1; r >= 0; --r)
        if (day->item(r, 1)->text() == QStringLiteral("无病案收费单")) {
            app::control::row(day, r);
            break;
        }
    desk.action(QStringLiteral("补打收据"))->trigger();
    QTextStream(stdout) << desk.lastOutcome() << "\n";
    print::CMainFrame* preview = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<print::CMainFrame*>(w); f && f->isVisible()) preview = f;
    if (preview) {
        // Without a window manager nothing maximises it: a window's size, and the slip readable.
        preview->resize(1000, 800);
        preview->previewView()->setZoomFactor(1.6);
        settle();
        // The slip sits at the page's top left.
        if (auto* view = preview->previewView()->findChild<QAbstractScrollArea*>()) {
            view->horizontalScrollBar()->setValue(0);
            view->verticalScrollBar()->setValue(0);
        }
    }
    ok = preview && save(*preview, args[3], QStringLiteral("desk-receipt-preview.png")) && ok;
    if (preview) preview->close();
    // The cash drawer: a top-up of the patient's prepaid account, and the cashier's hand-over.
    desk.openPatient(args[2].toLongLong());
    const auto shoot = [&](const QString& action, const QString& picture, const QByteArray& steps) {
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (e->accessibleName() == QStringLiteral("交款金额")) e->setText(QStringLiteral("500"));
            ok = save(d, args[3], picture) && ok;
        });
        scripted(desk, scripts, action, steps);
        app::Dialog::setShownHook(nullptr);
    };
    shoot(QStringLiteral("预付费交款"), QStringLiteral("desk-topup.png"), R"([{"click":"关闭"}])");
    shoot(QStringLiteral("交班"), QStringLiteral("desk-handover.png"), R"([{"click":"关闭"}])");
    return ok ? 0 : 1;
}
