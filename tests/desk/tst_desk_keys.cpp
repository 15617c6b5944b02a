// The desk and its dialogs at the keyboard: Enter signs in, the search goes into its hits and
// opens the patient, a refresh keeps the chosen document, and in the dialogs Enter presses the
// main button except in a date field (taken, nothing settled) and after a voucher number
// (verified), Esc does what 关闭/取消 does. On every backend.
#include "tests/desk/DeskSteps.h"
#include "app/Automation.h"
#include "app/ControlDriver.h"
#include "app/Dialog.h"
#include "app/DialogKeys.h"
#include "controls/CDBListBox.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "settle/Voucher.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QJsonDocument>
#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

qint64 addReceipt(db::Connection& c, qint64 caseNo, const QString& name, const QDateTime& when, bool paid)
{
    return db::AddRecord(c, u"收费收据表"_s,
                         {{u"病历号"_s, caseNo}, {u"病人姓名"_s, name}, {u"日期"_s, when}, {u"合计"_s, 100.0}, {u"医生姓名"_s, u"王医生"_s},
                          {u"治疗费"_s, 100.0}, {u"付款"_s, paid ? u"已付"_s : u"未付"_s}, {u"收款人"_s, u" "_s},
                          {u"FeeIO"_s, 0}},
                         u"ID"_s);
}

// A cashier without a password, a doctor, two patients whose names share 三.
db::ConnectionPtr clinicAt(const QString& url)
{
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    db::execute(*c, u"INSERT INTO 收款员表 (收款员, 停用) VALUES (?, 0)"_s, {u"马丽"_s});
    db::execute(*c, u"INSERT INTO 主治医生表 (医生姓名, 医生编号, 科室) VALUES (?, ?, ?)"_s,
                {u"王医生"_s, u"D07"_s, u"修复科"_s});
    for (const auto& [caseNo, name, phone] : QList<std::tuple<int, QString, QString>>{
             {1001, u"张三丰"_s, u"13900001111"_s}, {1002, u"王三"_s, u"13811112222"_s}})
        db::execute(*c, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名, 电话) VALUES (?, ?, ?, ?)"_s,
                    {caseNo, u"P%1"_s.arg(caseNo), name, phone});
    return c;
}

QList<qint64> idsIn(QTableWidget* t, int column)
{
    QList<qint64> ids;
    for (int r = 0; r < t->rowCount(); ++r) ids << t->item(r, column)->text().toLongLong();
    return ids;
}

qint64 chosenId(QTableWidget* t, int column)
{
    const auto rows = t->selectionModel()->selectedRows();
    return rows.size() == 1 ? t->item(rows.first().row(), column)->text().toLongLong() : -1;
}

} // namespace

class TestDeskKeys : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void signInAndSearch_data() { testdb::addBackendRows(); }
    void signInAndSearch()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        DeskWindow desk(url);
        desk.show();
        desk.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&desk));

        STEP(app::control::key(named(&desk, u"收款员"_s), u"Enter"_s));
        QCOMPARE(desk.cashier(), u"马丽"_s);

        // The last digits of a phone, one patient: Enter opens the page.
        QWidget* search = named(&desk, u"查找病人"_s);
        STEP(app::control::set(search, u"2222"_s));
        STEP(app::control::key(search, u"Enter"_s));
        QCOMPARE(labelText(&desk, u"病历号"_s), u"1002"_s);

        // A part of two names: Down goes into the hits, Enter opens the one on the row.
        auto* hits = qobject_cast<QTableWidget*>(named(&desk, u"病人列表"_s));
        STEP(app::control::set(search, u"三"_s));
        desk.searchNow();
        QCOMPARE(hits->rowCount(), 2);
        STEP(app::control::key(search, u"Down"_s));
        QCOMPARE(QApplication::focusWidget(), hits);
        QCOMPARE(hits->currentRow(), 0);
        const QString second = hits->item(1, 0)->text();
        STEP(app::control::key(hits, u"Down"_s));
        STEP(app::control::key(hits, u"Enter"_s));
        QCOMPARE(labelText(&desk, u"病历号"_s), second);
        // Up from the first row is back in the field.
        STEP(app::control::key(hits, u"Up"_s));
        STEP(app::control::key(hits, u"Up"_s));
        QCOMPARE(QApplication::focusWidget(), search);
    }

    // Another desk writes meanwhile: after a refresh the chosen receipt and the chosen line of
    // the day are the same documents, wherever they now stand.
    void refreshKeepsTheDocument_data() { testdb::addBackendRows(); }
    void refreshKeepsTheDocument()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        const QDateTime now = QDateTime::currentDateTime();
        const qint64 older = addReceipt(*c, 1001, u"张三丰"_s, now.addSecs(-3600), true);
        const qint64 unpaid = addReceipt(*c, 1001, u"张三丰"_s, now.addSecs(-60), false);
        DeskWindow desk(url);
        desk.show();
        desk.signIn(u"马丽"_s);
        QVERIFY(desk.openPatient(1001));
        auto* receipts = qobject_cast<QTableWidget*>(named(&desk, u"收据列表"_s));
        QCOMPARE(idsIn(receipts, 1), (QList<qint64>{unpaid, older}));
        QCOMPARE(chosenId(receipts, 1), unpaid); // a page just opened: the unpaid one
        STEP(app::control::row(receipts, 1));
        QCOMPARE(chosenId(receipts, 1), older);

        const qint64 newer = addReceipt(*c, 1001, u"张三丰"_s, now.addSecs(-10), false);
        desk.action(u"刷新"_s)->trigger();
        QCOMPARE(idsIn(receipts, 1), (QList<qint64>{newer, unpaid, older}));
        QCOMPARE(chosenId(receipts, 1), older);
        QVERIFY(desk.action(u"重新结帐"_s)->isEnabled()); // the actions follow the paid one chosen

        // The day: receipts by time written; a receipt written earlier comes in above.
        desk.action(u"今日收费"_s)->trigger();
        auto* day = qobject_cast<QTableWidget*>(named(&desk, u"今日单据"_s));
        const int row = int(idsIn(day, 2).indexOf(unpaid));
        STEP(app::control::row(day, row));
        const qint64 earlier = addReceipt(*c, 1002, u"王三"_s, QDateTime(now.date(), QTime(0, 0, 1)), false);
        desk.action(u"刷新"_s)->trigger();
        QCOMPARE(idsIn(day, 2).indexOf(earlier), 0);
        QCOMPARE(chosenId(day, 2), unpaid);
        // A document that is gone leaves nothing chosen.
        db::execute(*c, u"DELETE FROM 收费收据表 WHERE ID = ?"_s, {unpaid});
        desk.action(u"刷新"_s)->trigger();
        QCOMPARE(chosenId(day, 2), -1);
    }

    // The dialogs opened from the desk, driven by keys only.
    void dialogKeys_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("payment"); // 付款 of the receipt afterwards
        QTest::addColumn<QString>("message"); // a message the keys must have brought up, or ""
        QTest::addColumn<int>("receipts");    // receipts stored afterwards
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: Enter in the date does not settle, Esc closes", qPrintable(b))
                << b << u"结帐"_s
                << uR"([{"dialog":"收费结帐"},{"key":"日期","press":"Enter"},{"key":"日期","press":"Esc"}])"_s
                << u"未付"_s << QString() << 1;
            QTest::addRow("%s: Enter in an amount settles", qPrintable(b))
                << b << u"结帐"_s << uR"([{"dialog":"收费结帐"},{"key":"实收金额","press":"Enter"},{"reply":"否"}])"_s << u"已付"_s
                << QString() << 1;
            QTest::addRow("%s: Enter after a voucher number verifies it", qPrintable(b))
                << b << u"结帐"_s
                << uR"([{"dialog":"收费结帐"},{"choose":"付款方式","item":"消费券/卡"},{"dialog":"付款方式"},)"
                   uR"({"set":"请输入消费券的编号","to":"NOPE"},{"key":"请输入消费券的编号","press":"Enter"},)"
                   uR"({"key":"请输入消费券的编号","press":"Esc"},{"dialog":"收费结帐"},{"key":"日期","press":"Esc"}])"_s
                << u"未付"_s << settle::kVoucherNotIssued << 1;
            QTest::addRow("%s: Esc cancels a new receipt", qPrintable(b))
                << b << u"收费收据"_s << uR"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"key":"挂号费","press":"Esc"}])"_s
                << u"未付"_s << QString() << 1;
            QTest::addRow("%s: Enter submits a new receipt", qPrintable(b))
                << b << u"收费收据"_s << uR"([{"dialog":"收费收据"},{"set":"挂号费","to":"5"},{"key":"挂号费","press":"Enter"}])"_s
                << u"未付"_s << QString() << 2;
        }
    }
    void dialogKeys()
    {
        QFETCH(QString, backend);
        QFETCH(QString, action);
        QFETCH(QString, script);
        QFETCH(QString, payment);
        QFETCH(QString, message);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        const qint64 receipt = addReceipt(*c, 1001, u"张三丰"_s, QDateTime::currentDateTime(), false);
        DeskWindow desk(url);
        desk.show();
        desk.signIn(u"马丽"_s);
        QVERIFY(desk.openPatient(1001));
        STEP(app::control::choose(named(&desk, u"接诊医生"_s), u"王医生"_s));
        {
            ScriptRun run(QJsonDocument::fromJson(script.toUtf8()).array());
            desk.action(action)->trigger();
            // Every step was taken and none was left for the script's end to do.
            for (const QJsonObject& e : run.events(u"error"_s)) QFAIL(qPrintable(e.value(u"error"_s).toString()));
            QStringList texts;
            for (const QJsonObject& m : run.events(u"message"_s)) texts << m.value(u"text"_s).toString();
            QVERIFY2(app::Automation::lastRunNotice().isEmpty(),
                     qPrintable(app::Automation::lastRunNotice() + u" / "_s + texts.join(u" | "_s)));
            if (!message.isEmpty()) QVERIFY2(texts.contains(message), qPrintable(texts.join(u" | "_s)));
        }
        QCOMPARE(db::toText(db::scalar(*c, u"SELECT 付款 FROM 收费收据表 WHERE ID = ?"_s, {receipt})), payment);
        QTEST(int(db::toInteger(db::scalar(*c, u"SELECT count(*) FROM 收费收据表"_s))), "receipts");
    }

    // 查看 opens a receipt to be read: nothing in it can be typed into or chosen, and it looks
    // so (the window's colour behind every field); Esc closes it.
    void viewOnlyLooksReadOnly_data() { testdb::addBackendRows(); }
    void viewOnlyLooksReadOnly()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        addReceipt(*c, 1001, u"张三丰"_s, QDateTime::currentDateTime(), true);
        DeskWindow desk(url);
        desk.show();
        desk.signIn(u"马丽"_s);
        QVERIFY(desk.openPatient(1001));
        STEP(app::control::row(named(&desk, u"收据列表"_s), 0));
        QStringList changeable;
        int fields = 0;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QWidget* w : d.findChildren<QWidget*>()) {
                if (!w->isVisibleTo(&d)) continue;
                const QString what = w->objectName();
                if (auto* e = qobject_cast<QLineEdit*>(w)) {
                    ++fields;
                    if (!e->isReadOnly() || e->palette().color(QPalette::Base) != d.palette().color(QPalette::Window))
                        changeable << what;
                } else if (auto* e = qobject_cast<QAbstractSpinBox*>(w)) {
                    if (!e->isReadOnly()) changeable << what;
                } else if (qobject_cast<QComboBox*>(w) && w->isEnabled()) {
                    changeable << what;
                }
            }
        });
        {
            ScriptRun run(steps(R"([{"dialog":"收费收据"},{"key":"日期","press":"Esc"}])"));
            desk.action(u"查看"_s)->trigger();
            for (const QJsonObject& e : run.events(u"error"_s)) QFAIL(qPrintable(e.value(u"error"_s).toString()));
            QVERIFY2(app::Automation::lastRunNotice().isEmpty(), qPrintable(app::Automation::lastRunNotice()));
        }
        app::Dialog::setShownHook(nullptr);
        QVERIFY(fields > 12);
        QVERIFY2(changeable.isEmpty(), qPrintable(changeable.join(u", "_s)));
    }

    // The day-end statement counts the day's category receipts as it opens: 统 计 at once
    // gives the lines, not an empty list.
    void dayEndCountsAtOnce_data() { testdb::addBackendRows(); }
    void dayEndCountsAtOnce()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = clinicAt(url);
        db::AddRecord(*c, u"无病历收费单"_s,
                      {{u"病历号"_s, 0}, {u"病人姓名"_s, u"路人甲"_s}, {u"日期"_s, QDateTime::currentDateTime()},
                       {u"挂号费"_s, 5.0}, {u"合计"_s, 5.0}, {u"付款"_s, u"已付"_s}, {u"收款人"_s, u"马丽"_s}},
                      u"ID"_s);
        DeskWindow desk(url);
        desk.show();
        desk.signIn(u"马丽"_s);
        QString mode;
        QStringList lines;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QComboBox* b : d.findChildren<QComboBox*>())
                if (b->accessibleName() == u"统计方式"_s) mode = b->currentText();
            auto* list = d.findChild<CDBListBox*>();
            for (QPushButton* b : d.findChildren<QPushButton*>())
                if (app::bareLabel(b->text()) == u"统计"_s)
                    QObject::connect(b, &QPushButton::clicked, &d, [&lines, list] { lines = list->lines(); });
        });
        {
            ScriptRun run(steps(R"([{"dialog":"缴款统计"},{"click":"统 计"},{"key":"统计方式","press":"Esc"}])"));
            desk.action(u"日结"_s)->trigger();
            for (const QJsonObject& e : run.events(u"error"_s)) QFAIL(qPrintable(e.value(u"error"_s).toString()));
            QVERIFY2(app::Automation::lastRunNotice().isEmpty(), qPrintable(app::Automation::lastRunNotice()));
        }
        app::Dialog::setShownHook(nullptr);
        QCOMPARE(mode, u"按非标准收费统计"_s);
        QCOMPARE(lines.size(), 14);
        QVERIFY2(lines.contains(u"挂号费#5.0"_s) && lines.last() == u"合计#5.0"_s, qPrintable(lines.join(u" | "_s)));
    }
};

QTEST_MAIN(TestDeskKeys)
#include "tst_desk_keys.moc"
