#include "admin/PatientRegister.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"
#include "tools/desk/PatientSearch.h"
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestPatients : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // Desks registering one after the other on their own connections never share a number,
    // a number the clinic already gave out is skipped, and the new patient is found by the
    // initials of the name.
    void numbersHandedOutOnce_data() { testdb::addBackendRows(); }
    void numbersHandedOutOnce()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto a = db::Connection::open(url);
        db::schema::migrate(*a);
        auto b = db::Connection::open(url);
        db::Query(*a, u"INSERT INTO 病人简历表 (病人编号, 病人姓名) VALUES ('P1002', '旧档')"_s).exec();

        const auto first = patients::registerPatient(*a, {0, {}, u"张伟"_s, u"13900001111"_s, u"男"_s, u"30"_s});
        const auto second = patients::registerPatient(*b, {0, {}, u"李娜"_s, {}, u"女"_s, {}});
        QVERIFY(first.ok && second.ok);
        QCOMPARE(first.id, 1001);
        QCOMPARE(second.id, 1002);
        QCOMPARE(patients::load(*a, 1001)->number, u"P1001"_s);
        QCOMPARE(patients::load(*a, 1002)->number, u"P1002-2"_s);
        QCOMPARE(patients::load(*b, 1001)->sex, u"男"_s);

        const auto hits = desk::searchPatients(*a, u"zw"_s);
        QCOMPARE(hits.size(), 1);
        QCOMPARE(hits[0].caseNumber, 1001);
    }

    // Two processes registering at the same time, each on its own connection: every patient
    // gets a case number and a patient number of its own.
    void twoDesksAtOnce_data() { testdb::addBackendRows(); }
    void twoDesksAtOnce()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        db::schema::migrate(*db::Connection::open(url));
        constexpr int each = 15;
        QList<QProcess*> desks;
        for (int d = 0; d < 2; ++d) {
            auto* p = new QProcess(this);
            p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            p->start(QCoreApplication::applicationFilePath(), {u"--register"_s, url, QString::number(each)});
            desks << p;
        }
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        auto c = db::Connection::open(url);
        db::Query q(*c, u"SELECT count(*), count(DISTINCT 病历号), count(DISTINCT 病人编号), "
                        "(SELECT count(DISTINCT 病人编号) FROM 病人简历表) FROM 病历卡表"_s);
        q.exec();
        QVERIFY(q.next());
        for (int i = 0; i < 4; ++i) QCOMPARE(q.integer(i), 2 * each);
    }

    // Bad input gets its message and writes nothing.
    void refused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("age");
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << u"  "_s << u""_s << u""_s << u""_s << u""_s << u"病人姓名不能为空。"_s;
        QTest::newRow("letters in phone") << u"张伟"_s << u"139abc"_s << u""_s << u""_s << u""_s << u"电话只能包含数字和“-”。"_s;
        QTest::newRow("sex") << u"张伟"_s << u""_s << u"M"_s << u""_s << u""_s << u"性别应为“男”或“女”。"_s;
        QTest::newRow("age") << u"张伟"_s << u""_s << u""_s << u"三十"_s << u""_s << u"年龄应为0到150之间的整数。"_s;
        QTest::newRow("birth date not a date") << u"张伟"_s << u""_s << u""_s << u""_s << u"1980-02-30"_s
                                               << u"出生日期应写成“年-月-日”，如1980-05-17。"_s;
        QTest::newRow("birth date to come") << u"张伟"_s << u""_s << u""_s << u""_s
                                            << QDate::currentDate().addDays(1).toString(Qt::ISODate) << u"出生日期不能晚于今天。"_s;
    }
    void refused()
    {
        QFETCH(QString, name);
        QFETCH(QString, phone);
        QFETCH(QString, sex);
        QFETCH(QString, age);
        QFETCH(QString, birth);
        QFETCH(QString, message);
        for (const QString& backend : testdb::backends()) {
            auto c = testdb::open(backend);
            const auto o = patients::registerPatient(*c, {0, {}, name, phone, sex, age, birth});
            QVERIFY(!o.ok);
            QCOMPARE(o.message, message);
            db::Query q(*c, u"SELECT (SELECT count(*) FROM 病历卡表) + (SELECT count(*) FROM 病人简历表)"_s);
            q.exec();
            QVERIFY(q.next());
            QCOMPARE(q.integer(0), 0);
        }
    }

    // A correction keeps the search's initials current and is refused when another desk
    // corrected the patient first.
    void correction_data() { testdb::addBackendRows(); }
    void correction()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        const qint64 id = patients::registerPatient(*c, {0, {}, u"张伟"_s, {}, {}, {}}).id;
        const auto seen = *patients::load(*c, id);
        QVERIFY(patients::correct(*c, seen, {0, {}, u"王伟"_s, u"010-1234"_s, u"男"_s, u"41"_s, u"1983-4-5"_s}).ok);
        QVERIFY(!patients::correct(*c, seen, {0, {}, u"李伟"_s, {}, {}, {}}).ok);
        const auto now = *patients::load(*c, id);
        QCOMPARE(now.name, u"王伟"_s);
        QCOMPARE(now.age, u"41"_s);
        QCOMPARE(now.birthDate, u"1983-04-05"_s);
        // A birth date corrected at another desk meanwhile is not overwritten unseen.
        auto other = db::Connection::open(url);
        QVERIFY(patients::correct(*other, now, {0, {}, u"王伟"_s, u"010-1234"_s, u"男"_s, u"41"_s, u"1983-04-06"_s}).ok);
        QCOMPARE(patients::correct(*c, now, {0, {}, u"王伟"_s, u"010-1234"_s, u"男"_s, u"41"_s, {}}).message,
                 u"该病人已被其他收费台修改，请重新打开后再试。"_s);
        QCOMPARE(patients::load(*c, id)->birthDate, u"1983-04-06"_s);
        QVERIFY(desk::searchPatients(*c, u"zw"_s).isEmpty());
        QCOMPARE(desk::searchPatients(*c, u"ww"_s).size(), 1);
    }
};

// `--register URL N`: one desk registering N patients as fast as it can (for twoDesksAtOnce).
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--register"_s) {
        auto c = db::Connection::open(args[2]);
        for (int i = 0; i < args[3].toInt(); ++i)
            if (!patients::registerPatient(*c, {0, {}, u"病人%1"_s.arg(i), {}, {}, {}}).ok) return 1;
        return 0;
    }
    TestPatients t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_patients.moc"
