// Files that are not ours stay untouched: the settings file is rewritten in place (owner,
// mode, comments and foreign lines kept) and only when it is a regular file; files we create
// are private; scripts are read only from trusted, plain, reasonably small files; printed URLs
// never show a password.
#include "common/SafeFile.h"
#include "common/Settings.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "tests/support/TestDb.h"
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QRegularExpression>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct Stat {
    bool ok = false;
    struct stat st {};
    explicit Stat(const QString& path, bool follow = false)
    {
        const QByteArray p = QFile::encodeName(path);
        ok = (follow ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st)) == 0;
    }
    mode_t mode() const { return st.st_mode & 07777; }
};

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

} // namespace

class TestFileSafety : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private Q_SLOTS:
    void cleanup() { qunsetenv("CALVANE_SETTINGS"); }

    // Only the managed line changes; what the clinic wrote by hand stays, and QSettings reads
    // the value back exactly.
    void settingsKeepTheirOtherLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray foreign = "; written by hand\n[General]\nOther=1\nReceiptTitle=old\n\n[Printer]\nReceiptTitle=not "
                                   "this\nno equals sign here\n";
        QTest::newRow("replaced in place") << foreign << QStringLiteral("口腔门诊部")
                                           << QByteArray(foreign).replace("ReceiptTitle=old", "ReceiptTitle=口腔门诊部");
        QTest::newRow("added to [General]") << QByteArray("# notes\n[General]\nOther=1\n[Printer]\nX=2\n")
                                            << QStringLiteral("口腔")
                                            << QByteArray("# notes\n[General]\nOther=1\nReceiptTitle=口腔\n[Printer]\nX=2\n");
        QTest::newRow("no [General] yet") << QByteArray("[Printer]\nX=2") << QStringLiteral("口腔")
                                          << QByteArray("[Printer]\nX=2\n[General]\nReceiptTitle=口腔\n");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("口腔") << QByteArray("[General]\nReceiptTitle=口腔\n");
        QTest::newRow("a comma") << QByteArray("[General]\n") << QStringLiteral("北京,口腔")
                                 << QByteArray("[General]\nReceiptTitle=\"北京,口腔\"\n");
        for (const char* awkward : {"  blanks around  ", "quote \" and back\\slash", "semi;colon #hash", ""})
            QTest::newRow(awkward) << QByteArray("[General]\n") << QString::fromUtf8(awkward) << QByteArray();
    }
    void settingsKeepTheirOtherLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString path = dir_.filePath(QStringLiteral("lines.ini"));
        writeFile(path, before);
        qputenv("CALVANE_SETTINGS", path.toUtf8());
        QVERIFY(settings::writeValue(QStringLiteral("ReceiptTitle"), value));
        if (!after.isEmpty()) QCOMPARE(contentOf(path), after);
        QCOMPARE(settings::readValue(QStringLiteral("ReceiptTitle")).value_or(QStringLiteral("(none)")), value);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("ReceiptTitle")).toString(), value);
    }

    // Another user's file with its own mode stays theirs, the same file.
    void settingsKeepOwnerAndMode()
    {
        const QString path = dir_.filePath(QStringLiteral("owned.ini"));
        writeFile(path, "[General]\nFeeDiscout=1\n");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        const bool chowned = ::geteuid() == 0 && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
        const Stat before(path);
        qputenv("CALVANE_SETTINGS", path.toUtf8());
        settings::writeFeeDiscout(0);
        QCOMPARE(contentOf(path), QByteArray("[General]\nFeeDiscout=0\n"));
        const Stat after(path);
        QCOMPARE(after.st.st_ino, before.st.st_ino);
        QCOMPARE(after.mode(), mode_t(0640));
        QCOMPARE(after.st.st_uid, before.st.st_uid);
        QCOMPARE(after.st.st_gid, before.st.st_gid);
        if (!chowned) qInfo("not root: ownership by another user not tried");
    }

    // Anything but a regular file is refused, with a message, and left exactly as it was.
    void settingsRefuseWhatIsNotARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("device") << "device";
        QTest::newRow("folder") << "folder";
    }
    void settingsRefuseWhatIsNotARegularFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir here;
        const QString path = here.filePath(QStringLiteral("Kelvask.ini"));
        const QString target = here.filePath(QStringLiteral("target.ini"));
        const QByteArray p = QFile::encodeName(path);
        writeFile(target, "[General]\nFeeDiscout=1\n");
        if (kind == QLatin1String("link")) QCOMPARE(::symlink(QFile::encodeName(target).constData(), p.constData()), 0);
        if (kind == QLatin1String("fifo")) QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        if (kind == QLatin1String("device") && ::mknod(p.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (needs root)");
        if (kind == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
        const Stat before(path);
        qputenv("CALVANE_SETTINGS", p);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^calvane: settings file ")));
        QVERIFY(!settings::writeValue(QStringLiteral("FeeDiscout"), QStringLiteral("0")));
        const Stat after(path);
        QCOMPARE(after.st.st_mode, before.st.st_mode);
        QCOMPARE(after.st.st_ino, before.st.st_ino);
        QCOMPARE(contentOf(target), QByteArray("[General]\nFeeDiscout=1\n"));
        if (kind != QLatin1String("link")) {
            // Reading does not hang on a FIFO or read a device for ever either.
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^calvane: settings file ")));
            QVERIFY(!settings::readValue(QStringLiteral("FeeDiscout")));
        }
    }

    // What we create holds patient data or the clinic's settings: its owner's only.
    void newFilesAreReadableByTheirOwnerOnly()
    {
        const mode_t oldMask = ::umask(022);
        const QString ini = dir_.filePath(QStringLiteral("new/Kelvask.ini"));
        qputenv("CALVANE_SETTINGS", ini.toUtf8());
        QVERIFY(settings::createKey());
        QCOMPARE(Stat(ini).mode(), mode_t(0600));

        const QString file = dir_.filePath(QStringLiteral("clinic.sqlite"));
        {
            auto c = db::Connection::open(QStringLiteral("sqlite:") + file);
            c->execute(QStringLiteral("CREATE TABLE t (x INTEGER)"));
            db::execute(*c, QStringLiteral("INSERT INTO t VALUES (1)"));
            QCOMPARE(Stat(file).mode(), mode_t(0600));
            QCOMPARE(Stat(file + QStringLiteral("-wal")).mode(), mode_t(0600));
        }
        ::umask(oldMask);
    }

    // Scripts: plain files that nobody else may write, and of a sane size.
    void scriptsAreReadOnlyFromTrustedPlainFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal"); // empty: read
        QTest::newRow("own file") << "own" << "";
        QTest::newRow("through a link to an own file") << "link" << "";
        QTest::newRow("others may write it") << "world" << "other users may write it";
        QTest::newRow("the group may write it") << "group" << "other users may write it";
        QTest::newRow("another user's") << "foreign" << "belongs to another user";
        QTest::newRow("FIFO") << "fifo" << "a FIFO, not a regular file";
        QTest::newRow("device") << "/dev/zero" << "a device, not a regular file";
        QTest::newRow("too large") << "large" << "larger than";
    }
    void scriptsAreReadOnlyFromTrustedPlainFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        QTemporaryDir here;
        QString path = here.filePath(QStringLiteral("script.json"));
        const QByteArray p = QFile::encodeName(path);
        writeFile(path, "{}");
        QCOMPARE(::chmod(p.constData(), 0644), 0);
        if (kind == QLatin1String("link")) {
            path = here.filePath(QStringLiteral("link.json"));
            QCOMPARE(::symlink(p.constData(), QFile::encodeName(path).constData()), 0);
        }
        if (kind == QLatin1String("world")) QCOMPARE(::chmod(p.constData(), 0646), 0);
        if (kind == QLatin1String("group")) QCOMPARE(::chmod(p.constData(), 0664), 0);
        if (kind == QLatin1String("foreign") && (::geteuid() != 0 || ::chown(p.constData(), 65534, 65534) != 0))
            QSKIP("cannot give a file to another user (needs root)");
        if (kind == QLatin1String("fifo")) {
            QFile::remove(path);
            QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        }
        if (kind.startsWith(QLatin1Char('/'))) path = kind;
        if (kind == QLatin1String("large")) QCOMPARE(::truncate(p.constData(), safefile::kMaxScriptBytes + 1), 0);

        QByteArray data;
        QString error;
        const bool read = safefile::readRegular(path, safefile::kMaxScriptBytes, true, data, &error);
        QCOMPARE(read, refusal.isEmpty());
        if (read) QCOMPARE(data, QByteArray("{}"));
        else QVERIFY2(error.contains(refusal), qPrintable(error));
    }

    // A transcript is created private, appended to, and never written through a link.
    void transcriptsAreNeverWrittenThroughALink()
    {
        const mode_t oldMask = ::umask(022);
        QTemporaryDir here;
        const QString path = here.filePath(QStringLiteral("t.jsonl"));
        QString error;
        QVERIFY(safefile::canAppend(path, &error));
        QVERIFY(!QFile::exists(path)); // checking creates nothing
        QVERIFY(safefile::appendPrivate(path, "a\n", &error));
        QVERIFY(safefile::appendPrivate(path, "b\n", &error));
        QCOMPARE(contentOf(path), QByteArray("a\nb\n"));
        QCOMPARE(Stat(path).mode(), mode_t(0600));
        ::umask(oldMask);

        const QString victim = here.filePath(QStringLiteral("victim"));
        writeFile(victim, "keep");
        const QString link = here.filePath(QStringLiteral("link.jsonl"));
        QCOMPARE(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(link).constData()), 0);
        QVERIFY(!safefile::canAppend(link, &error));
        QVERIFY(!safefile::appendPrivate(link, "x\n", &error));
        QVERIFY2(error.contains(QLatin1String("symbolic link")), qPrintable(error));
        QCOMPARE(contentOf(victim), QByteArray("keep"));
    }

    // Wherever a database URL is printed, its password is not.
    void passwordsAreHiddenInPrintedUrls_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("printed");
        QTest::newRow("user and password") << "postgresql://bob:s3cret@db:5432/clinic" << "postgresql://bob:***@db:5432/clinic";
        QTest::newRow("parameter") << "postgresql://bob@db/clinic?password=s3cret&sslmode=require"
                                   << "postgresql://bob@db/clinic?password=***&sslmode=require";
        QTest::newRow("parameter, any case, second") << "postgres://db/clinic?sslmode=require&PASSWORD=s3cret"
                                                     << "postgres://db/clinic?sslmode=require&PASSWORD=***";
        QTest::newRow("no password") << "postgresql://bob@db/clinic" << "postgresql://bob@db/clinic";
        QTest::newRow("sqlite") << "sqlite:/srv/clinic.sqlite" << "sqlite:/srv/clinic.sqlite";
    }
    void passwordsAreHiddenInPrintedUrls()
    {
        QFETCH(QString, url);
        QFETCH(QString, printed);
        QCOMPARE(db::redactedUrl(url), printed);
    }
};

QTEST_GUILESS_MAIN(TestFileSafety)
#include "tst_file_safety.moc"
