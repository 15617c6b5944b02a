// What the desk reads for the cashier: pinyin initials, the patient search and its indexes, the
// patient page, the day's list and the sentences after a dialog, on every backend.
#include "common/Pinyin.h"
#include "db/DemoClinic.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "tests/support/TestDb.h"
#include "tools/desk/Cashiers.h"
#include "tools/desk/DayList.h"
#include "tools/desk/Outcome.h"
#include "tools/desk/PatientPage.h"
#include "tools/desk/PatientSearch.h"
#include <QTest>
#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

void addCase(db::Connection& c, qint64 caseNo, const QString& number, const QString& name, const QString& phone)
{
    db::execute(c, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名, 拼音码, 电话) VALUES (?, ?, ?, ?, ?)"_s,
                {caseNo, number, name, pinyin::initials(name), phone});
}

QList<qint64> casesOf(const QList<desk::PatientHit>& hits)
{
    QList<qint64> out;
    for (const desk::PatientHit& h : hits) out << h.caseNumber;
    std::sort(out.begin(), out.end());
    return out;
}

qint64 addReceipt(db::Connection& c, qint64 caseNo, const QString& name, const QDateTime& when, double total, bool paid,
                  const QString& cashier = u" "_s)
{
    return db::AddRecord(c, u"收费收据表"_s,
                         {{u"病历号"_s, caseNo}, {u"病人姓名"_s, name}, {u"日期"_s, when}, {u"合计"_s, total},
                          {u"治疗费"_s, total}, {u"付款"_s, paid ? u"已付"_s : u"未付"_s}, {u"收款人"_s, cashier},
                          {u"FeeIO"_s, 0}},
                         u"ID"_s);
}

void addPayment(db::Connection& c, qint64 caseNo, qint64 receipt, const QDateTime& when, double collected,
                const QString& cashier)
{
    db::AddRecord(c, u"病历收费单"_s,
                  {{u"病历号"_s, caseNo}, {u"ReceiptID"_s, receipt}, {u"日期"_s, when}, {u"收款金额"_s, collected},
                   {u"实收费用"_s, collected}, {u"余额"_s, 0.0}, {u"收款人"_s, cashier}, {u"MoneyPayed_type"_s, 0},
                   {u"CashMoney"_s, collected}},
                  u"病历收费编号"_s);
}

qint64 addWalkIn(db::Connection& c, const QString& name, const QDateTime& when, double total, const QString& cashier)
{
    return db::AddRecord(c, u"无病历收费单"_s,
                         {{u"病历号"_s, 0}, {u"病人姓名"_s, name}, {u"日期"_s, when}, {u"合计"_s, total},
                          {u"应收金额"_s, total}, {u"收款金额"_s, total}, {u"余额"_s, 0.0}, {u"付款"_s, u"已付"_s},
                          {u"收款人"_s, cashier}},
                         u"ID"_s);
}

} // namespace

class TestDeskLookups : public QObject {
    Q_OBJECT
    std::map<QString, db::ConnectionPtr> big_;

    // 200,000 patients with three-character names and their own phones, written in one
    // statement so that the triggers fill the search's own rows as for any writer.
    db::Connection& bigClinic(const QString& backend)
    {
        auto& c = big_[backend];
        if (c) return *c;
        c = testdb::open(backend);
        const QString row = u"SELECT i, 'N' || i, substr('王李张刘陈杨黄赵吴周', i % 10 + 1, 1) || "
                            "substr('伟芳娜敏静丽强磊军洋', i / 10 % 10 + 1, 1) || substr('华明红平英建文玉兰春', i / 100 % 10 + 1, 1), "
                            "'1' || (3900000000 + i)"_s;
        const QString into = u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名, 电话) "_s;
        c->execute(c->isSQLite() ? u"WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 200000) "_s + into + row + u" FROM s"_s
                                 : into + row + u" FROM generate_series(1, 200000) AS s(i)"_s);
        c->execute(u"UPDATE 病历卡表 SET 拼音码 = 'zw' WHERE substr(病人姓名, 1, 2) = '张伟'"_s);
        c->execute(c->isSQLite() ? u"ANALYZE"_s : u"VACUUM ANALYZE"_s);
        return *c;
    }

    static QString planOf(db::Connection& c, const desk::SearchStep& step)
    {
        QString plan;
        if (c.isSQLite()) {
            db::Query q(c, u"EXPLAIN QUERY PLAN "_s + step.sql);
            q.bindAll(step.values);
            q.exec();
            while (q.next()) plan += q.text(3) + u'\n';
            return plan;
        }
        // PostgreSQL plans EXPLAIN only as plain text: the test's own values go in as literals.
        QString sql = step.sql;
        for (const QVariant& v : step.values) {
            const QString literal = v.typeId() == QMetaType::QString ? u"'"_s + v.toString().replace(u"'"_s, u"''"_s) + u"'"_s
                                                                     : v.toString();
            sql.replace(sql.indexOf(u'?'), 1, literal);
        }
        db::Query q(c, u"EXPLAIN "_s + sql);
        q.exec();
        while (q.next()) plan += q.text(0) + u'\n';
        return plan;
    }

private slots:
    void cleanupTestCase() { big_.clear(); }
    void initTestCase() { testdb::isolateSettings(); }

    void initials_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initials");
        QTest::newRow("two characters") << u"张伟"_s << u"zw"_s;
        QTest::newRow("first and last of level one") << u"啊座"_s << u"az"_s;
        QTest::newRow("boundaries") << u"芭擦搭蛾发噶哈击喀垃妈拿哦啪期然撒塌挖昔压匝"_s << u"bcdefghjklmnopqrstwxyz"_s;
        QTest::newRow("just before a boundary") << u"澳"_s << u"a"_s; // B0C4, the last a
        QTest::newRow("latin and digits kept, lowercase") << u"李Amy 2"_s << u"lamy2"_s;
        QTest::newRow("beyond level one, by the Chinese collation") << u"周婷琳瑶璐铭琪萱彤"_s << u"ztlylmqxt"_s;
        QTest::newRow("not Chinese gives nothing") << u"王あ"_s << u"w"_s;
        QTest::newRow("punctuation dropped") << u"欧阳·娜娜"_s << u"oynn"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void initials()
    {
        QFETCH(QString, name);
        QTEST(pinyin::initials(name), "initials");
    }

    void search_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qint64>>("cases");
        for (const QString& b : testdb::backends()) {
            auto row = [&](const char* name, const QString& text, const QList<qint64>& cases) {
                QTest::newRow(qPrintable(b + u": "_s + QString::fromUtf8(name))) << b << text << cases;
            };
            row("name prefix", u"张"_s, {1, 2});
            row("whole name", u"张伟华"_s, {2});
            row("initials, any case", u"ZW"_s, {1, 2, 3});
            row("initials prefix", u"w"_s, {4});
            row("patient number ignores case", u"p00"_s, {1, 2, 3});
            row("case number exactly, phone prefix and ending", u"4"_s, {4, 5});
            row("phone prefix", u"13900"_s, {1, 2});
            row("whole phone", u"13912345678"_s, {3});
            row("last digits of a phone", u"1111"_s, {1});
            row("last digits across separators", u"81234"_s, {5});
            row("middle digits are not an ending", u"0000"_s, {});
            row("part of a name", u"伟"_s, {1, 2});
            row("end of a name", u"华"_s, {2});
            row("part of a name in Latin, any case", u"AMY"_s, {5});
            row("part of a name in Chinese and Latin", u"阳a"_s, {5});
            row("digits of a patient number", u"77"_s, {4});
            row("wildcards are plain text", u"%"_s, {});
            row("underscore is plain text", u"_"_s, {});
            row("nobody", u"李"_s, {});
            row("blank", u"  "_s, {});
        }
    }
    void search()
    {
        QFETCH(QString, backend);
        QFETCH(QString, text);
        auto c = testdb::open(backend);
        addCase(*c, 1, u"P001"_s, u"张伟"_s, u"13900001111"_s);
        addCase(*c, 2, u"p002"_s, u"张伟华"_s, u"13900002222"_s);
        addCase(*c, 3, u"P003"_s, u"章维"_s, u"13912345678"_s);
        addCase(*c, 4, u"770"_s, u"王芳"_s, QString());
        addCase(*c, 5, u"Q5"_s, u"欧阳Amy"_s, u"010-6688 1234"_s);
        QTEST(casesOf(desk::searchPatients(*c, text)), "cases");
    }

    void searchStopsAtTheLimit_data() { testdb::addBackendRows(); }
    void searchStopsAtTheLimit()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        for (int i = 1; i <= 60; ++i) addCase(*c, i, u"N%1"_s.arg(i), u"张%1"_s.arg(i), u"1380000%1"_s.arg(i, 4, 10, QChar(u'0')));
        QCOMPARE(desk::searchPatients(*c, u"张"_s, 25).size(), 25);
        // Every kind of look-up stops at the limit, counted over all of them together.
        QCOMPARE(desk::searchPatients(*c, u"1"_s, 25).size(), 25);
        QCOMPARE(desk::searchPatients(*c, u"z"_s, 60).size(), 60);
    }

    // A search inside a transaction that a failure has already spoilt fails too; the rollback
    // after it still happens, and the connection goes on as before.
    void searchInASpoiltTransactionLeavesItsRollback_data() { testdb::addBackendRows(); }
    void searchInASpoiltTransactionLeavesItsRollback()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addCase(*c, 1, u"N1"_s, u"张三"_s, u"13800000001"_s);
        {
            db::Transaction t(*c);
            addCase(*c, 2, u"N2"_s, u"李四"_s, u"13800000002"_s);
            QVERIFY_THROWS_EXCEPTION(db::Error, db::execute(*c, u"SELECT no_such_column FROM 病历卡表"_s));
            try {
                desk::searchPatients(*c, u"张"_s);
            } catch (const db::Error&) {
                // PostgreSQL refuses everything in the spoilt transaction but its rollback.
            }
        }
        QCOMPARE(c->transactionDepth(), 0);
        QCOMPARE(casesOf(desk::searchPatients(*c, u"张"_s)), QList<qint64>{1});
        QCOMPARE(casesOf(desk::searchPatients(*c, u"李"_s)), QList<qint64>{});
    }

    // What the clinic system writes to 病历卡表 itself (not through the desk) is found by its
    // new phone ending and name parts at once, and no longer by the old ones.
    void searchFollowsTheHostsWrites_data() { testdb::addBackendRows(); }
    void searchFollowsTheHostsWrites()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        auto found = [&](const QString& text) { return casesOf(desk::searchPatients(*c, text)); };
        const QList<qint64> none;
        db::execute(*c, u"INSERT INTO 病历卡表 (病历号, 病人姓名, 电话) VALUES (7, ?, ?)"_s, {u"王小明"_s, u"13811112222"_s});
        QCOMPARE(found(u"小明"_s), QList<qint64>{7});
        QCOMPARE(found(u"2222"_s), QList<qint64>{7});

        db::execute(*c, u"UPDATE 病历卡表 SET 病人姓名 = ?, 电话 = ? WHERE 病历号 = 7"_s, {u"李大明"_s, u"138-3333-4444"_s});
        QCOMPARE(found(u"小明"_s), none);
        QCOMPARE(found(u"2222"_s), none);
        QCOMPARE(found(u"大明"_s), QList<qint64>{7});
        QCOMPARE(found(u"34444"_s), QList<qint64>{7});

        db::execute(*c, u"UPDATE 病历卡表 SET 病历号 = 8 WHERE 病历号 = 7"_s);
        QCOMPARE(found(u"大明"_s), QList<qint64>{8});
        // A hand-written reversed phone does not stand.
        db::execute(*c, u"UPDATE 病历卡表 SET 电话反序 = ? WHERE 病历号 = 8"_s, {u"9999"_s});
        QCOMPARE(found(u"9999"_s), none);
        QCOMPARE(found(u"4444"_s), QList<qint64>{8});
        // A phone taken away ends nothing.
        db::execute(*c, u"UPDATE 病历卡表 SET 电话 = NULL WHERE 病历号 = 8"_s);
        QCOMPARE(found(u"4444"_s), none);

        // Replacing the row whole (SQLite's INSERT OR REPLACE fires no delete trigger).
        db::execute(*c, c->isSQLite() ? u"INSERT OR REPLACE INTO 病历卡表 (病历号, 病人姓名) VALUES (8, ?)"_s
                                      : u"INSERT INTO 病历卡表 (病历号, 病人姓名) VALUES (8, ?) ON CONFLICT (病历号) DO UPDATE SET 病人姓名 = excluded.病人姓名"_s,
                    {u"赵小红"_s});
        QCOMPARE(found(u"大明"_s), none);
        QCOMPARE(found(u"小红"_s), QList<qint64>{8});

        db::execute(*c, u"DELETE FROM 病历卡表 WHERE 病历号 = 8"_s);
        QCOMPARE(found(u"小红"_s), none);
        QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT count(*) FROM 姓名片段表"_s)), 0);
    }

    // A clinic that upgrades finds the patients it registered before by phone ending and name part.
    void upgradeFillsTheSearch_data() { testdb::addBackendRows(); }
    void upgradeFillsTheSearch()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend, false);
        // Version 6: the last before the search by phone ending and name part.
        db::schema::migrate(*c, 6);
        QCOMPARE(db::schema::currentVersion(*c), 6);
        addCase(*c, 1, u"P001"_s, u"张伟华"_s, u"13900001111"_s);
        addCase(*c, 2, u"P002"_s, u"李娜"_s, QString());
        db::schema::migrate(*c);
        QCOMPARE(casesOf(desk::searchPatients(*c, u"伟华"_s)), QList<qint64>{1});
        QCOMPARE(casesOf(desk::searchPatients(*c, u"娜"_s)), QList<qint64>{2});
        QCOMPARE(casesOf(desk::searchPatients(*c, u"01111"_s)), QList<qint64>{1});
    }

    // Each statement of a search reads one range of an index on a clinic of 200,000 patients
    // with the planner's own statistics: none scans the cases or the name parts.
    void searchUsesIndexes_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("text");
        for (const QString& b : testdb::backends())
            for (const QString& t : {u"张"_s, u"伟"_s, u"zw"_s, u"1390"_s, u"4321"_s})
                QTest::newRow(qPrintable(b + u": "_s + t)) << b << t;
    }
    void searchUsesIndexes()
    {
        QFETCH(QString, backend);
        QFETCH(QString, text);
        db::Connection& c = bigClinic(backend);
        const auto steps = desk::searchSteps(c, text);
        QVERIFY(!steps.isEmpty());
        for (const desk::SearchStep& step : steps) {
            const QString plan = planOf(c, step);
            QVERIFY2(!plan.contains(u"SCAN k"_s) && !plan.contains(u"SCAN f"_s) && !plan.contains(u"SCAN 病历卡表"_s) &&
                         !plan.contains(u"Seq Scan"_s),
                     qPrintable(step.sql + u"\n"_s + plan));
            QVERIFY2(plan.contains(u"INDEX"_s, Qt::CaseInsensitive) || plan.contains(u"PRIMARY KEY"_s), qPrintable(plan));
            if (!step.sql.contains(u"病历号 = ?"_s)) QVERIFY2(plan.contains(u"_prefix"_s), qPrintable(plan));
        }
        // And the answers are the right ones: the case numbers run 1 to 200,000.
        const auto hits = desk::searchPatients(c, text);
        QVERIFY(!hits.isEmpty());
        for (const desk::PatientHit& h : hits)
            QVERIFY2(h.name.contains(text) || h.phone.startsWith(text) || h.phone.endsWith(text) ||
                         pinyin::initials(h.name).startsWith(text) || QString::number(h.caseNumber) == text,
                     qPrintable(h.name + u" "_s + h.phone));
    }

    void initialsFilledInBatches_data() { testdb::addBackendRows(); }
    void initialsFilledInBatches()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        for (const auto& [n, name] : QList<QPair<int, QString>>{{1, u"张伟"_s}, {2, u"王芳"_s}, {3, QString()}})
            db::execute(*c, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名) VALUES (?, ?, ?)"_s, {n, u"P%1"_s.arg(n), name});
        db::execute(*c, u"INSERT INTO 病历卡表 (病历号, 病人姓名, 拼音码) VALUES (4, ?, ?)"_s, {u"赵六"_s, u"kept"_s});
        QCOMPARE(desk::fillMissingInitials(*c, 2), 2);
        QCOMPARE(desk::fillMissingInitials(*c, 2), 1);
        QCOMPARE(desk::fillMissingInitials(*c, 2), 0); // a case without a name is done too
        QCOMPARE(casesOf(desk::searchPatients(*c, u"wf"_s)), QList<qint64>{2});
        QCOMPARE(db::toText(db::scalar(*c, u"SELECT 拼音码 FROM 病历卡表 WHERE 病历号 = 4"_s)), u"kept"_s);
    }

    void cashiers_data() { testdb::addBackendRows(); }
    void cashiers()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        for (const auto& [name, retired] : QList<QPair<QString, QVariant>>{
                 {u"马丽"_s, 0}, {u"高洁"_s, 1}, {u"  "_s, 0}, {u"何军"_s, QVariant()}, {u"马丽"_s, 0}})
            db::execute(*c, u"INSERT INTO 收款员表 (收款员, 停用) VALUES (?, ?)"_s, {name, retired});
        QCOMPARE(desk::activeCashiers(*c), (QStringList{u"马丽"_s, u"何军"_s}));
    }

    // The demo clinic's patients cover every kind of page.
    void patientPage_data() { testdb::addBackendRows(); }
    void patientPage()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        db::loadDemoClinic(*c);

        const auto member = desk::loadPatientPage(*c, 1001);
        QVERIFY(member);
        QCOMPARE(member->name, u"张伟"_s);
        QCOMPARE(member->number, u"P0001"_s);
        QCOMPARE(member->grade, u"金卡"_s);
        QCOMPARE(member->points, 6200.0);
        QVERIFY(member->account > 0);
        QCOMPARE(member->phone.size(), 11);
        QCOMPARE(member->receipts.size(), 2);
        QCOMPARE(member->receipts[0].paid, false); // newest first: today's, unpaid
        QCOMPARE(member->receipts[0].total, 210.0);
        QCOMPARE(member->receipts[0].payment, QString());
        QCOMPARE(member->receipts[1].payment, u"预付费交款 378.00"_s);
        QCOMPARE(member->lastDoctor, u"刘伟"_s);

        // 50 left owing plus the 510 that settlement put off.
        QCOMPARE(desk::loadPatientPage(*c, 1003)->arrears, 560.0);
        const auto voucher = desk::loadPatientPage(*c, 1010);
        QCOMPARE(voucher->receipts[0].payment, u"消费券/卡 70.00 + 现金 130.00"_s);
        QCOMPARE(voucher->grade, QString());
        QCOMPARE(voucher->account, 0);
        QCOMPARE(desk::loadPatientPage(*c, 1007)->receipts[0].kind, desk::ReceiptKind::Standard);
        QCOMPARE(desk::loadPatientPage(*c, 1008)->receipts[0].payment, u"银行卡刷卡 10000.00 + 现金 980.00"_s);
        const auto prescriptions = desk::loadPatientPage(*c, 1009);
        QCOMPARE(prescriptions->receipts.size(), 2);
        for (const desk::ReceiptRow& r : prescriptions->receipts) QCOMPARE(r.kind, desk::ReceiptKind::Prescription);
        const auto refund = desk::loadPatientPage(*c, 1006);
        QVERIFY(refund->receipts[0].refund);
        QCOMPARE(refund->receipts[0].total, -200.0);
        QVERIFY(!desk::loadPatientPage(*c, 999));
    }

    // One day, from midnight to the last second, with what was written and what was taken in.
    void dayList_data() { testdb::addBackendRows(); }
    void dayList()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const QDate day(2026, 3, 2);
        auto at = [&](int dayOffset, int h, int m, int s = 0) { return QDateTime(day.addDays(dayOffset), QTime(h, m, s)); };
        const qint64 paid = addReceipt(*c, 1, u"张伟"_s, at(0, 0, 0), 155.5, true, u"马丽"_s);
        addPayment(*c, 1, paid, at(0, 9, 30), 150, u"马丽"_s);
        addReceipt(*c, 2, u"王芳"_s, at(0, 23, 59, 59), 80, false);
        const qint64 older = addReceipt(*c, 3, u"李娜"_s, at(-3, 10, 0), 300, true, u"何军"_s);
        addPayment(*c, 3, older, at(0, 11, 0), 300, u"何军"_s);
        const qint64 elsewhere = addReceipt(*c, 3, u"李娜"_s, at(-1, 10, 0), 99, true, u"何军"_s);
        addPayment(*c, 3, elsewhere, at(-1, 10, 5), 99, u"何军"_s);
        addReceipt(*c, 4, u"明天"_s, at(1, 0, 0), 1000, false);
        addWalkIn(*c, u"路人甲"_s, at(0, 13, 40), 35, u"马丽"_s);
        addWalkIn(*c, u"昨天"_s, at(-1, 13, 40), 35, u"马丽"_s);

        const desk::DayList l = desk::loadDayList(*c, day, u"马丽"_s);
        QStringList seen;
        for (const desk::DayRow& r : l.rows) seen << r.patient;
        QCOMPARE(seen, (QStringList{u"李娜"_s, u"张伟"_s, u"路人甲"_s, u"王芳"_s})); // by time written
        QCOMPARE(l.receipts, 2);
        QCOMPARE(l.walkIns, 1);
        QCOMPARE(l.unpaid, 1);
        QCOMPARE(l.billed, 270.5);     // 155.50 + 80 + 35; the older receipt was billed on its own day
        QCOMPARE(l.unpaidTotal, 80.0);
        QCOMPARE(l.collected, 485.0);  // 150 + 300 + 35
        QCOMPARE(l.collectedBy, 185.0);
        QCOMPARE(desk::dayTotalsText(l),
                 u"收据 2 张，无病案收费单 1 张，合计 270.50；未付 1 张 80.00；实收 485.00，本人实收 185.00"_s);
    }

    void outcomes_data() { testdb::addBackendRows(); }
    void outcomes()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint64 r = addReceipt(*c, 1, u"张伟"_s, QDateTime::currentDateTime(), 155.5, false);
        QCOMPARE(desk::receiptOutcome(*c, u"收据"_s, r, true), u"收据 %1 已保存，合计 155.50"_s.arg(r));
        QCOMPARE(desk::receiptOutcome(*c, u"收据"_s, r, false), u"收据没有保存"_s);
        QCOMPARE(desk::receiptOutcome(*c, u"收据"_s, r + 1, true), u"收据 %1 已删除"_s.arg(r + 1));
        QCOMPARE(desk::settleOutcome(*c, r), u"收据 %1 没有结帐"_s.arg(r));
        db::execute(*c, u"UPDATE 收费收据表 SET 付款 = ? WHERE ID = ?"_s, {u"已付"_s, r});
        addPayment(*c, 1, r, QDateTime::currentDateTime(), 150, u"马丽"_s);
        QCOMPARE(desk::settleOutcome(*c, r), u"收据 %1 已结帐，实收 150.00"_s.arg(r));
        const qint64 w = addWalkIn(*c, u"路人甲"_s, QDateTime::currentDateTime(), 35, u"马丽"_s);
        QCOMPARE(desk::walkInOutcome(*c, w, true), u"无病案收费单 %1 已保存，合计 35.00"_s.arg(w));
        QCOMPARE(desk::walkInOutcome(*c, 0, false), u"无病案收费单没有保存"_s);
    }
};

QTEST_GUILESS_MAIN(TestDeskLookups)
#include "tst_desk_lookups.moc"
