// The save dialog of the exports and the PDF print never touches the clinic's SQLite files:
// it starts away from them, tells file types by name, refuses a database as a target, and a
// process that showed it on the database's folder keeps SQLite's locks (another process then
// opening and closing the database leaves our WAL alone, and no row is lost).
#include "app/SaveFileDialog.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The files this process holds open that were deleted under it.
QStringList deletedOpenFiles()
{
    QStringList deleted;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (target.endsWith(QLatin1String(" (deleted)"))) deleted << target;
    }
    return deleted;
}

qint64 doctors(db::Connection& c) { return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM 主治医生表"))); }

} // namespace

class TestSaveDialog : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    void startsAwayFromTheWorkingFolder()
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        QFileDialog d;
        app::setUpSaveDialog(d, QStringLiteral("/somewhere/else/统计报表.csv"), QStringLiteral("CSV (*.csv)"),
                             QStringLiteral("csv"));
        QDir::setCurrent(before);
        QCOMPARE(d.directory().absolutePath(), QDir(app::saveStartFolder()).absolutePath());
        QVERIFY(d.directory().absolutePath() != QDir(dir_.path()).absolutePath());
        QCOMPARE(d.defaultSuffix(), QStringLiteral("csv"));
    }

    void databaseFilesByName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("database");
        QTest::newRow("database") << "/data/clinic.sqlite" << true;
        QTest::newRow("its WAL") << "/data/clinic.sqlite-wal" << true;
        QTest::newRow("its shared memory") << "/data/clinic.sqlite-shm" << true;
        QTest::newRow("a journal") << "/data/clinic.db-journal" << true;
        QTest::newRow("a report") << "/data/日结.csv" << false;
        QTest::newRow("a PDF") << "/data/日结.pdf" << false;
    }
    void databaseFilesByName()
    {
        QFETCH(QString, path);
        QTEST(app::isDatabaseFile(path), "database");
    }

    void showingTheDatabasesFolderKeepsSqlitesLocks()
    {
        const QString path = dir_.filePath(QStringLiteral("clinic.sqlite"));
        auto c = db::Connection::open(QStringLiteral("sqlite:") + path);
        db::schema::migrate(*c);
        db::execute(*c, QStringLiteral("INSERT INTO 主治医生表 (医生姓名) VALUES ('王医生')"));
        QVERIFY(QFile::exists(path + QStringLiteral("-wal")));

        // A person goes to the database's folder in the dialog, with the details shown.
        {
            QFileDialog d;
            app::setUpSaveDialog(d, QStringLiteral("统计报表.csv"), QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
            d.setViewMode(QFileDialog::Detail);
            d.setNameFilter(QString());
            d.setDirectory(dir_.path());
            d.show();
            QTest::qWait(1500);
            d.close();
        }
        // Another desk opens and closes the database.
        QProcess other;
        other.start(QStringLiteral(CALVANE_TOOL), {QStringLiteral("call"), QStringLiteral("GetPrePayTotalMoney"),
                                                   QStringLiteral("--db"), QStringLiteral("sqlite:") + path,
                                                   QStringLiteral("--arg"), QStringLiteral("account=1")});
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 0);

        db::execute(*c, QStringLiteral("INSERT INTO 主治医生表 (医生姓名) VALUES ('李医生')"));
        QCOMPARE(deletedOpenFiles(), QStringList());
        c.reset();
        auto again = db::Connection::open(QStringLiteral("sqlite:") + path);
        QCOMPARE(doctors(*again), 2);
    }
};

QTEST_MAIN(TestSaveDialog)
#include "tst_save_dialog.moc"
