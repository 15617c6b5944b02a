#include "admin/DoctorList.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "receipt/ReceiptHeader.h"
#include "tests/support/TestDb.h"
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

qint64 doctorRows(db::Connection& c)
{
    db::Query q(c, u"SELECT count(*) FROM 主治医生表"_s);
    q.exec();
    return q.next() ? q.integer(0) : -1;
}

// A clinic with one department and one doctor in it.
db::ConnectionPtr clinic(const QString& backend)
{
    auto c = testdb::open(backend);
    if (!doctors::addDepartment(*c, u"正畸科"_s).ok || !doctors::add(*c, {u"王医生"_s, u"D01"_s, u"正畸科"_s}).ok)
        qFatal("cannot set up the clinic");
    return c;
}

} // namespace

class TestDoctors : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // What is entered here is what the fee dialogs read: picking the doctor brings its number
    // and department into the receipt.
    void readByTheDialogs_data() { testdb::addBackendRows(); }
    void readByTheDialogs()
    {
        QFETCH(QString, backend);
        auto c = clinic(backend);
        QVERIFY(doctors::add(*c, {u" 李医生 "_s, QString(), QString()}).ok);
        QStringList list;
        receipt::FillDoctorList(*c, list);
        QCOMPARE(list, (QStringList{u"王医生"_s, u"李医生"_s}));
        receipt::DoctorFields fields;
        receipt::SelectDoctor(*c, 0, u"王医生"_s, fields);
        QCOMPARE(fields.number, u"D01"_s);
        QCOMPARE(fields.department, u"正畸科"_s);
    }

    // Bad input gets its message and writes nothing.
    void refused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << u" "_s << u"D02"_s << u""_s << u"医生姓名不能为空。"_s;
        QTest::newRow("unknown department") << u"赵医生"_s << u"D02"_s << u"外科"_s << u"科室“外科”不在科室表中。"_s;
        QTest::newRow("name twice") << u"王医生"_s << u"D02"_s << u""_s << u"已有名为“王医生”的医生。"_s;
        QTest::newRow("number twice") << u"赵医生"_s << u" D01"_s << u""_s << u"医生编号“D01”已被使用。"_s;
    }
    void refused()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, department);
        QFETCH(QString, message);
        for (const QString& backend : testdb::backends()) {
            auto c = clinic(backend);
            const auto o = doctors::add(*c, {name, number, department});
            QVERIFY(!o.ok);
            QCOMPARE(o.message, message);
            QCOMPARE(doctorRows(*c), 1);
        }
    }

    // A department renamed takes its doctors along; one with doctors is not removed; an edit
    // from a row another desk changed first writes nothing.
    void departmentsAndStaleEdits_data() { testdb::addBackendRows(); }
    void departmentsAndStaleEdits()
    {
        QFETCH(QString, backend);
        auto c = clinic(backend);
        QVERIFY(!doctors::removeDepartment(*c, u"正畸科"_s).ok);
        QVERIFY(doctors::renameDepartment(*c, u"正畸科"_s, u"口腔正畸科"_s).ok);
        QCOMPARE(doctors::departments(*c), QStringList{u"口腔正畸科"_s});
        QCOMPARE(doctors::list(*c).value(0).department, u"口腔正畸科"_s);
        QVERIFY(!doctors::renameDepartment(*c, u"正畸科"_s, u"外科"_s).ok);

        const doctors::Doctor seen = doctors::list(*c).value(0);
        QVERIFY(doctors::edit(*c, seen, {u"王医生"_s, u"D09"_s, u"口腔正畸科"_s}).ok);
        QVERIFY(!doctors::edit(*c, seen, {u"王大夫"_s, u"D01"_s, u"口腔正畸科"_s}).ok);
        QVERIFY(!doctors::remove(*c, seen).ok);
        QCOMPARE(doctors::list(*c).value(0).number, u"D09"_s);
        QVERIFY(doctors::remove(*c, doctors::list(*c).value(0)).ok);
        QVERIFY(doctors::removeDepartment(*c, u"口腔正畸科"_s).ok);
        QCOMPARE(doctorRows(*c), 0);
    }
};

QTEST_MAIN(TestDoctors)
#include "tst_doctors.moc"
