#include "admin/CashierRegister.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

cashiers::Cashier named(db::Connection& c, const QString& name)
{
    for (const auto& k : cashiers::list(c))
        if (k.name == name) return k;
    return {};
}

qint64 rows(db::Connection& c)
{
    db::Query q(c, u"SELECT count(*) FROM 收款员表"_s);
    q.exec();
    return q.next() ? q.integer(0) : -1;
}

} // namespace

class TestCashiers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // A new clinic's first start makes one manager, whose password is stored only as a hash,
    // and only once.
    void firstManager_data() { testdb::addBackendRows(); }
    void firstManager()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        QVERIFY(cashiers::noneActive(*c));
        QVERIFY(cashiers::createFirstManager(*c, u" 王芳 "_s, u"secret1"_s).ok);
        QVERIFY(!cashiers::noneActive(*c));
        const auto again = cashiers::createFirstManager(*c, u"李四"_s, u"secret2"_s);
        QVERIFY(!again.ok);
        QCOMPARE(rows(*c), 1);

        db::Query stored(*c, u"SELECT 密码 FROM 收款员表"_s);
        stored.exec();
        QVERIFY(stored.next());
        QVERIFY(!stored.text(0).contains(u"secret1"_s));
        QVERIFY(stored.text(0).startsWith(u"$argon2id$"_s));

        bool manager = false;
        QVERIFY(cashiers::signInAllowed(*c, u"王芳"_s, u"secret1"_s, &manager));
        QVERIFY(manager);
        QVERIFY(!cashiers::signInAllowed(*c, u"王芳"_s, u"secret2"_s));
        QVERIFY(!cashiers::signInAllowed(*c, u"王芳"_s, QString()));
    }

    // Two desks starting the same new clinic at once, in two processes: one makes the manager,
    // the other is told the clinic has one.
    void firstManagerOnce_data() { testdb::addBackendRows(); }
    void firstManagerOnce()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        db::schema::migrate(*db::Connection::open(url));
        QList<QProcess*> desks;
        for (const QString& name : {u"王芳"_s, u"李四"_s}) {
            auto* p = new QProcess(this);
            p->start(QCoreApplication::applicationFilePath(), {u"--first-manager"_s, url, name});
            desks << p;
        }
        int made = 0;
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitStatus() == QProcess::NormalExit && (p->exitCode() == 0 || p->exitCode() == 3),
                     p->readAllStandardError().constData());
            made += p->exitCode() == 0;
        }
        QCOMPARE(made, 1);
        QCOMPARE(rows(*db::Connection::open(url)), 1);
    }

    // Bad input gets its message and writes nothing.
    void refusedInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("manager");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank name") << u"  "_s << u"secret1"_s << false << u"收款员姓名不能为空。"_s;
        QTest::newRow("long name") << QString(21, u'张') << u""_s << false << u"收款员姓名不能超过20个字。"_s;
        QTest::newRow("short password") << u"李四"_s << u"12345"_s << false << u"密码至少6位。"_s;
        QTest::newRow("manager without password") << u"李四"_s << u""_s << true << u"管理员必须设置密码。"_s;
        QTest::newRow("name taken") << u" 王芳"_s << u"secret1"_s << false << u"已有名为“王芳”的收款员。"_s;
    }
    void refusedInput()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, manager);
        QFETCH(QString, message);
        for (const QString& backend : testdb::backends()) {
            auto c = testdb::open(backend);
            QVERIFY(cashiers::createFirstManager(*c, u"王芳"_s, u"secret1"_s).ok);
            const auto o = cashiers::add(*c, name, password, manager);
            QVERIFY(!o.ok);
            QCOMPARE(o.message, message);
            QCOMPARE(rows(*c), 1);
        }
    }

    // An edit made from what another desk has changed since is refused and writes nothing.
    void staleEditRefused_data() { testdb::addBackendRows(); }
    void staleEditRefused()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto a = db::Connection::open(url);
        db::schema::migrate(*a);
        auto b = db::Connection::open(url);
        QVERIFY(cashiers::add(*a, u"李四"_s, QString(), false).ok);
        const auto seenByA = named(*a, u"李四"_s);
        QVERIFY(cashiers::rename(*b, named(*b, u"李四"_s), u"李思"_s).ok);
        for (const auto& o : {cashiers::rename(*a, seenByA, u"李斯"_s), cashiers::retire(*a, seenByA),
                              cashiers::setPassword(*a, seenByA, u"secret9"_s)})
            QVERIFY(!o.ok);
        const auto now = named(*a, u"李思"_s);
        QVERIFY(now.id == seenByA.id && !now.retired && !now.hasPassword);
        // A cashier from before passwords signs in without one, until retired.
        QVERIFY(cashiers::signInAllowed(*a, u"李思"_s, QString()));
        QVERIFY(cashiers::retire(*a, now).ok);
        QVERIFY(!cashiers::signInAllowed(*a, u"李思"_s, QString()));
    }

    // The clinic always keeps an active manager.
    void lastManagerKept_data() { testdb::addBackendRows(); }
    void lastManagerKept()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        QVERIFY(cashiers::createFirstManager(*c, u"王芳"_s, u"secret1"_s).ok);
        QVERIFY(!cashiers::retire(*c, named(*c, u"王芳"_s)).ok);
        QVERIFY(!cashiers::setManager(*c, named(*c, u"王芳"_s), false).ok);
        QVERIFY(named(*c, u"王芳"_s).manager && !named(*c, u"王芳"_s).retired);

        QVERIFY(cashiers::add(*c, u"赵六"_s, u"secret2"_s, false).ok);
        QVERIFY(cashiers::setManager(*c, named(*c, u"赵六"_s), true).ok);
        QVERIFY(cashiers::retire(*c, named(*c, u"王芳"_s)).ok);
        QVERIFY(!cashiers::setManager(*c, named(*c, u"赵六"_s), false).ok);
        bool manager = false;
        QVERIFY(cashiers::signInAllowed(*c, u"赵六"_s, u"secret2"_s, &manager) && manager);
    }
};

// `--first-manager URL NAME`: one desk's first start (for firstManagerOnce); exit 3 when refused.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--first-manager"_s) {
        auto c = db::Connection::open(args[2]);
        return cashiers::createFirstManager(*c, args[3], u"secret1"_s).ok ? 0 : 3;
    }
    TestCashiers t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_cashiers.moc"
