// The module in a host that has no QApplication of its own: the application the module makes
// (once, and only when something is shown), Qt's Chinese texts and the common behaviour of
// fields and message boxes in every dialog.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "app/FieldBehaviour.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "tests/support/TestDb.h"
#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const double date = oledate::fromDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));

// Answers every message box shown while it lives, noting its title and text.
class MessageBoxWatch {
public:
    MessageBoxWatch()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->windowTitle() + QLatin1Char('|') + box->text();
                box->buttons().first()->click();
            }
        });
        timer_.start();
    }
    QStringList shown;

private:
    QTimer timer_;
};

// A form with an amount field between two ordinary ones and a read-only field, as a .ui marks them.
struct Form {
    QWidget window;
    QLineEdit* before = new QLineEdit;
    QLineEdit* amount = new QLineEdit;
    QLineEdit* readOnly = new QLineEdit;
    QLineEdit* after = new QLineEdit;
    Form()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QLineEdit* e : {before, amount, readOnly, after}) layout->addWidget(e);
        amount->setProperty("amount", true);
        readOnly->setReadOnly(true);
        app::applyFieldBehaviour(&window);
        window.show();
        window.activateWindow();
    }
};

} // namespace

class TestModuleFrame : public QObject {
    Q_OBJECT
    CalvaneConnection* conn_ = nullptr;

private slots:
    void initTestCase()
    {
        testdb::isolateSettings();
        auto c = testdb::open(QStringLiteral("sqlite"));
        QCOMPARE(CalvaneConnect(qPrintable(QStringLiteral("sqlite:") + c->sqliteFile()), &conn_), 0);
    }
    void cleanupTestCase() { CalvaneDisconnect(conn_); }

    // Must run first: nothing has been shown yet.
    void callsThatShowNothingMakeNoApplication()
    {
        double balance = -1;
        QCOMPARE(int(GetPrePayTotalMoney(conn_, 1, &balance)), 0);
        QCOMPARE(balance, 0.0);
        QCOMPARE(int(VipGradeSet(conn_, "NOBODY", "张三", 5, 0, "张会计", date, 0, "", 0)), 0);
        QVERIFY(!QCoreApplication::instance());
    }

    // One application for all calls, kept between them; its dialogs speak Chinese.
    void oneApplicationSpeakingChinese()
    {
        QCoreApplication* first = nullptr;
        for (int call = 0; call < 3; ++call) {
            ScriptRun run(QJsonArray{});
            QLocale locale;
            QString cancel, calendarDay;
            app::Dialog::setShownHook([&](app::Dialog& d) {
                locale = d.locale();
                cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
                if (auto* picker = d.findChild<QDateTimeEdit*>()) calendarDay = picker->locale().dayName(1);
                d.endDialog(app::IDCANCEL);
            });
            int32_t receiptId = 0;
            QCOMPARE(int(ReceiptSet(conn_, 1001, &receiptId, "", "", "", "张三", date, "", nullptr)), 1);
            app::Dialog::setShownHook(nullptr);
            QVERIFY(QCoreApplication::instance());
            if (!first) first = QCoreApplication::instance();
            QCOMPARE(QCoreApplication::instance(), first);
            QCOMPARE(locale, QLocale(QLocale::Chinese, QLocale::China));
            QCOMPARE(cancel, QStringLiteral("取消"));
            QCOMPARE(calendarDay, QStringLiteral("星期一"));
        }
    }

    // A box says which dialog it speaks for; without a dialog, the module's name.
    void messageBoxesCarryTheDialogTitle()
    {
        MessageBoxWatch watch;
        app::Dialog::setShownHook([](app::Dialog& d) {
            for (auto* b : d.findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("提   交")) b->click(); // no doctor chosen
            d.endDialog(app::IDCANCEL);
        });
        int32_t receiptId = 0;
        ReceiptSet(conn_, 1001, &receiptId, "", "", "", "张三", date, "", nullptr);
        app::Dialog::setShownHook(nullptr);
        // A member code that is no UTF-8: nothing is booked, and the cashier is told.
        VipGradeSet(conn_, "\xd5\xc5", "张三", 5, 0, "张会计", date, 0, "", 0);
        QCOMPARE(watch.shown, (QStringList{QStringLiteral("收费收据|请选择医生!"),
                                           QStringLiteral("收费系统|会员积分自动修改不成功，请手工修改该会员的积分！")}));
    }

    void amountFieldsTakeNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<QString>("left");
        QTest::newRow("letters dropped") << "12a.3b4" << "12.34" << "12.34";
        QTest::newRow("one decimal point") << "1.2.3" << "1.23" << "1.23";
        QTest::newRow("a refund's sign") << "-5x" << "-5" << "-5.00";
        QTest::newRow("two decimals once left") << "7.5" << "7.5" << "7.50";
        QTest::newRow("nothing is 0") << "" << "" << "0.00";
    }
    void amountFieldsTakeNumbers()
    {
        QFETCH(QString, typed);
        Form f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.amount->setFocus();
        QVERIFY(f.amount->hasFocus());
        QTest::keyClicks(f.amount, typed);
        QTEST(f.amount->text(), "whileTyping");
        f.after->setFocus();
        QTEST(f.amount->text(), "left");
    }

    // Entered by keyboard or mouse, an amount's text is selected: what is typed replaces it.
    void amountFieldsSelectOnEntry()
    {
        Form f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.amount->setText(QStringLiteral("45.00"));
        f.before->setFocus();
        QTest::keyClick(f.before, Qt::Key_Tab);
        QTRY_COMPARE(f.amount->selectedText(), QStringLiteral("45.00"));
        f.after->setFocus();
        QTest::mouseClick(f.amount, Qt::LeftButton, {}, QPoint(4, f.amount->height() / 2));
        QTRY_COMPARE(f.amount->selectedText(), QStringLiteral("45.00"));
        QTest::keyClicks(f.amount, QStringLiteral("3"));
        QCOMPARE(f.amount->text(), QStringLiteral("3"));
    }

    // A read-only field looks it and is passed over by Tab; made editable again, it takes both back.
    void readOnlyFields()
    {
        Form f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QCOMPARE(f.readOnly->focusPolicy(), Qt::NoFocus);
        QCOMPARE(f.readOnly->palette().color(QPalette::Base), f.window.palette().color(QPalette::Window));
        f.amount->setFocus();
        QTest::keyClick(f.amount, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.after);

        f.readOnly->setReadOnly(false);
        QCOMPARE(f.readOnly->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(f.readOnly->palette().color(QPalette::Base), f.window.palette().color(QPalette::Base));
        f.after->setReadOnly(true);
        QCOMPARE(f.after->focusPolicy(), Qt::NoFocus);
    }
};

// No application object of the test's own: the host has none.
int main(int argc, char** argv)
{
    TestModuleFrame test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_module_frame.moc"
