// Writes that must not be lost or passed off as done: every statement is seen through to its
// end (a full disk, a failure as a statement finishes), and edits of a stored row write only
// while the row is as it was loaded. On every backend.
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "tests/support/TestDb.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using namespace db;

namespace {

const QString receipts = QStringLiteral("收费收据表");

qint64 addReceipt(Connection& c, const QString& remark = QStringLiteral("复诊"))
{
    return AddRecord(c, receipts,
                     {{QStringLiteral("病历号"), 7},
                      {QStringLiteral("病人姓名"), QStringLiteral("张三")},
                      {QStringLiteral("日期"), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))},
                      {QStringLiteral("检查费"), 0.1 + 0.2}, // not a short decimal: compared exactly
                      {QStringLiteral("合计"), 55.0},
                      {QStringLiteral("付款"), QStringLiteral("未付")},
                      {QStringLiteral("备注"), remark},
                      {QStringLiteral("FeeIO"), 0}});
}

qint64 count(Connection& c, const QString& table)
{
    return toInteger(scalar(c, QStringLiteral("SELECT count(*) FROM %1").arg(table)));
}

// A small filesystem of its own, unmounted again however the test ends.
struct SmallDisk {
    QTemporaryDir dir;
    bool mounted = false;
    SmallDisk()
    {
        mounted = dir.isValid() && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                                               QStringLiteral("-o"), QStringLiteral("size=4m"),
                                                                               QStringLiteral("tmpfs"), dir.path()}) == 0;
    }
    ~SmallDisk()
    {
        if (mounted) QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), dir.path()});
    }
    // Writes a file until the disk is full.
    void fill()
    {
        QFile f(dir.filePath(QStringLiteral("filler")));
        if (!f.open(QIODevice::WriteOnly)) return;
        const QByteArray block(4096, 'x');
        while (f.write(block) == block.size() && f.flush()) {
        }
    }
    void makeRoom() { QFile::remove(dir.filePath(QStringLiteral("filler"))); }
};

} // namespace

class TestWriteSafety : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editsWriteOnlyRowsStillAsLoaded_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("meanwhile"); // what another desk does after we loaded
        QTest::addColumn<int>("result");
        for (const QString& b : testdb::backends()) {
            auto row = [&](const char* name, const char* sql, EditResult r) {
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(name)))
                    << b << QString::fromUtf8(sql) << int(r);
            };
            row("nothing", "", EditResult::Written);
            row("same values written again", "UPDATE 收费收据表 SET 合计=55, 备注='复诊'", EditResult::Written);
            row("a text", "UPDATE 收费收据表 SET 病人姓名='李四'", EditResult::Changed);
            row("an amount by a hair", "UPDATE 收费收据表 SET 检查费=0.3", EditResult::Changed);
            row("a NULL column set", "UPDATE 收费收据表 SET 护士='刘护士'", EditResult::Changed);
            row("a column set to NULL", "UPDATE 收费收据表 SET 备注=NULL", EditResult::Changed);
            row("the date by a second", "UPDATE 收费收据表 SET 日期='2024-05-06 07:08:10'", EditResult::Changed);
            row("settled", "UPDATE 收费收据表 SET 付款='已付'", EditResult::Changed);
            row("deleted", "DELETE FROM 收费收据表", EditResult::Gone);
        }
    }
    void editsWriteOnlyRowsStillAsLoaded()
    {
        QFETCH(QString, backend);
        QFETCH(QString, meanwhile);
        QFETCH(int, result);
        const QString url = testdb::freshUrl(backend);
        auto mine = Connection::open(url);
        schema::migrate(*mine);
        const qint64 id = addReceipt(*mine);
        const auto loaded = LoadedRow::load(*mine, receipts, QStringLiteral("ID"), id);
        QVERIFY(loaded);
        QCOMPARE(loaded->value(QStringLiteral("备注")).toString(), QStringLiteral("复诊"));

        auto theirs = Connection::open(url);
        if (!meanwhile.isEmpty())
            execute(*theirs, meanwhile);
        const auto before = LoadedRow::load(*theirs, receipts, QStringLiteral("ID"), id);

        const FieldValues edit{{QStringLiteral("合计"), 60.0}, {QStringLiteral("备注"), QStringLiteral("改过")}};
        QCOMPARE(int(modifyIfUnchanged(*mine, *loaded, edit)), result);
        const auto after = LoadedRow::load(*theirs, receipts, QStringLiteral("ID"), id);
        if (EditResult(result) == EditResult::Written) {
            QCOMPARE(after->value(QStringLiteral("合计")).toDouble(), 60.0);
            QCOMPARE(after->value(QStringLiteral("备注")).toString(), QStringLiteral("改过"));
            // Our own write keeps the snapshot in step, so a further edit goes through too.
            LoadedRow mineNow = *loaded;
            mineNow.assign(edit);
            QCOMPARE(int(modifyIfUnchanged(*mine, mineNow, {{QStringLiteral("合计"), 61.0}})),
                     int(EditResult::Written));
            QCOMPARE(int(deleteIfUnchanged(*mine, *loaded)), int(EditResult::Changed));
        } else if (before) {
            // Nothing of ours written: the row is as the other desk left it.
            QCOMPARE(after->value(QStringLiteral("合计")), before->value(QStringLiteral("合计")));
            QCOMPARE(after->value(QStringLiteral("备注")), before->value(QStringLiteral("备注")));
            QCOMPARE(int(deleteIfUnchanged(*mine, *loaded)), int(EditResult::Changed));
        }
    }

    // The disk fills up while receipts are stored one by one, each in its own statement:
    // every ID handed out is a stored row, and the failure is reported, not passed off.
    void fullDiskNeverHandsOutAnUnstoredRow()
    {
        SmallDisk disk;
        if (!disk.mounted) QSKIP("cannot mount a small tmpfs here (needs root)");
        const QString url = QStringLiteral("sqlite:") + disk.dir.filePath(QStringLiteral("clinic.sqlite"));
        auto c = Connection::open(url);
        schema::migrate(*c);
        disk.fill();
        QList<qint64> ids;
        bool failed = false;
        for (int i = 0; i < 2000 && !failed; ++i) {
            try {
                ids << addReceipt(*c, QString(1000, QChar(u'诊')));
            } catch (const Error&) {
                failed = true;
            }
        }
        QVERIFY(failed);
        c.reset();
        disk.makeRoom();
        auto after = Connection::open(url);
        for (const qint64 id : ids)
            QVERIFY2(!scalar(*after, QStringLiteral("SELECT ID FROM 收费收据表 WHERE ID=?"), {id}).isNull(),
                     qPrintable(QStringLiteral("receipt %1 was reported stored but is not").arg(id)));
        QCOMPARE(count(*after, receipts), ids.size());
        QVERIFY(!ids.contains(addReceipt(*after)));
    }

    // A statement that fails as it finishes fails the write, and a save in a transaction is
    // undone whole, whichever of its statements it was.
    void failuresAsAStatementFinishes_data() { testdb::addBackendRows(); }
    void failuresAsAStatementFinishes()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint64 id = addReceipt(*c);
        const Where row{QStringLiteral("ID=?"), {id}};
        c->failStatementFinishAfter(1);
        QVERIFY_THROWS_EXCEPTION(Error, addReceipt(*c));
        c->failStatementFinishAfter(1);
        QVERIFY_THROWS_EXCEPTION(Error, ModefyRecord(*c, receipts, {{QStringLiteral("合计"), 1.0}}, row));

        auto save = [&] {
            Transaction t(*c);
            addReceipt(*c);
            AddRecord(*c, QStringLiteral("护士表"), {{QStringLiteral("护士"), QStringLiteral("王芳")}}, QString());
            ModefyRecord(*c, receipts, {{QStringLiteral("备注"), QStringLiteral("改过")}}, row);
            DeleteRecord(*c, QStringLiteral("护士表"), {});
            t.commit();
        };
        const qint64 receiptsBefore = count(*c, receipts);
        for (int n = 1; n <= 4; ++n) {
            c->failStatementFinishAfter(n);
            QVERIFY_THROWS_EXCEPTION(Error, save());
            c->clearFault();
            QCOMPARE(count(*c, receipts), receiptsBefore);
            QCOMPARE(count(*c, QStringLiteral("护士表")), 0);
            QCOMPARE(toText(scalar(*c, QStringLiteral("SELECT 备注 FROM 收费收据表 WHERE ID=?"), {id})), QStringLiteral("复诊"));
            QCOMPARE(c->transactionDepth(), 0);
        }
        save();
        QCOMPARE(count(*c, receipts), receiptsBefore + 1);
    }

    // Numbers that would poison every sum are never stored, whatever let them through.
    void unstorableNumbersAreNeverWritten_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<double>("value");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": NaN"))) << b << std::numeric_limits<double>::quiet_NaN();
            QTest::newRow(qPrintable(b + QStringLiteral(": infinity"))) << b << std::numeric_limits<double>::infinity();
            QTest::newRow(qPrintable(b + QStringLiteral(": 1e308 + 1e308"))) << b << 1e308 + 1e308;
            QTest::newRow(qPrintable(b + QStringLiteral(": past the bound"))) << b << -1e9 - 1.0;
        }
    }
    void unstorableNumbersAreNeverWritten()
    {
        QFETCH(QString, backend);
        QFETCH(double, value);
        auto c = testdb::open(backend);
        const qint64 id = addReceipt(*c);
        QVERIFY_THROWS_EXCEPTION(Error, AddRecord(*c, receipts, {{QStringLiteral("合计"), value}}));
        QVERIFY_THROWS_EXCEPTION(Error, ModefyRecord(*c, receipts, {{QStringLiteral("合计"), value}}, {QStringLiteral("ID=?"), {id}}));
        QCOMPARE(count(*c, receipts), 1);
        QCOMPARE(toNumber(scalar(*c, QStringLiteral("SELECT 合计 FROM 收费收据表"))), 55.0);
        // Reading with such a number is no write: it simply finds nothing.
        QVERIFY(scalar(*c, QStringLiteral("SELECT ID FROM 收费收据表 WHERE 合计=?"), {value}).isNull());
    }

    // Texts with a NUL and dates no column holds are refused alike on every backend.
    void textsWithNulAndDatesPast9999AreRefused_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("column");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": NUL in a text")))
                << b << QVariant(QStringLiteral("张") + QChar(0) + QStringLiteral("三")) << QStringLiteral("病人姓名");
            QTest::newRow(qPrintable(b + QStringLiteral(": year 10000")))
                << b << QVariant(QDateTime(QDate(10000, 1, 1), QTime(0, 0))) << QStringLiteral("日期");
            QTest::newRow(qPrintable(b + QStringLiteral(": a date in year 10000"))) << b << QVariant(QDate(10000, 6, 1))
                                                                           << QStringLiteral("日期");
        }
    }
    void textsWithNulAndDatesPast9999AreRefused()
    {
        QFETCH(QString, backend);
        QFETCH(QVariant, value);
        QFETCH(QString, column);
        auto c = testdb::open(backend);
        const qint64 id = addReceipt(*c);
        QVERIFY_THROWS_EXCEPTION(Error, AddRecord(*c, receipts, {{column, value}}));
        QVERIFY_THROWS_EXCEPTION(Error, ModefyRecord(*c, receipts, {{column, value}}, {QStringLiteral("ID=?"), {id}}));
        QCOMPARE(count(*c, receipts), 1);
        const auto row = LoadedRow::load(*c, receipts, QStringLiteral("ID"), id);
        QCOMPARE(row->value(QStringLiteral("病人姓名")).toString(), QStringLiteral("张三"));
    }

    // An extra condition of the caller ("still unpaid") is part of the same check.
    void editsMeetTheCallersCondition_data() { testdb::addBackendRows(); }
    void editsMeetTheCallersCondition()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint64 id = addReceipt(*c);
        const auto loaded = LoadedRow::load(*c, receipts, QStringLiteral("ID"), id, {QStringLiteral("合计")});
        const Where paid{QStringLiteral("付款=?"), {QStringLiteral("已付")}};
        QCOMPARE(int(modifyIfUnchanged(*c, *loaded, {{QStringLiteral("合计"), 1.0}}, paid)), int(EditResult::Changed));
        // Only the loaded column is compared: a change elsewhere in the row is no conflict.
        execute(*c, QStringLiteral("UPDATE 收费收据表 SET 备注='x'"));
        QCOMPARE(int(modifyIfUnchanged(*c, *loaded, {{QStringLiteral("合计"), 1.0}})), int(EditResult::Written));
        QCOMPARE(toNumber(scalar(*c, QStringLiteral("SELECT 合计 FROM 收费收据表"))), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestWriteSafety)
#include "tst_write_safety.moc"
