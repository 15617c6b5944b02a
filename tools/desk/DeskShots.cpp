// Pictures of the desk for its documentation: the sign-in, the main window with a search, the
// patient page and today's list, taken on a demo clinic (run under a display, e.g. Xvfb:
// scripts/desk-screenshots.sh).
#include "app/ControlDriver.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QApplication>
#include <QDir>
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
    return ok ? 0 : 1;
}
