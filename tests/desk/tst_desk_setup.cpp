// A new clinic at the desk: the first sign-in makes its manager, passwords are checked, and
// only a manager reaches the 设置 menu, where the cashiers are kept.
#include "tests/desk/DeskSteps.h"
#include "admin/CashierDialog.h"
#include "admin/DoctorDialog.h"
#include "admin/PatientDialog.h"
#include "app/ControlDriver.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "receipt/ReceiptHeader.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

QString note(QWidget* top, const QString& name)
{
    return qobject_cast<QLabel*>(named(top, name))->text();
}

QPushButton* button(QWidget* top, const QString& text)
{
    for (auto* b : top->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    qFatal("no button %s", qPrintable(text));
}

void signInAs(DeskWindow& desk, const QString& name, const QString& password)
{
    desk.action(u"收款员签到"_s)->trigger();
    app::control::set(named(&desk, u"收款员"_s), name);
    app::control::set(named(&desk, u"密码"_s), password);
    app::control::click(button(&desk, u"签到"_s));
}

} // namespace

class TestDeskSetup : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void firstStart_data() { testdb::addBackendRows(); }
    void firstStart()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        db::schema::migrate(*db::Connection::open(url));
        DeskWindow desk(url);
        desk.show();

        // A password too short makes nobody.
        STEP(signInAs(desk, u"王芳"_s, u"123"_s));
        QVERIFY(desk.cashier().isEmpty());
        QCOMPARE(note(&desk, u"签到提示"_s), u"密码至少6位。"_s);

        STEP(signInAs(desk, u"王芳"_s, u"secret1"_s));
        QCOMPARE(desk.cashier(), u"王芳"_s);
        QVERIFY(desk.signedInAsManager());
        QVERIFY(desk.action(u"收款员设置"_s)->isEnabled());

        // The manager adds a cashier in 收款员设置.
        CashierDialog dialog(db::Connection::open(url), &desk);
        STEP(app::control::set(named(&dialog, u"姓名"_s), u"李四"_s));
        STEP(app::control::set(named(&dialog, u"密码"_s), u"secret2"_s));
        STEP(app::control::click(button(&dialog, u"新增"_s)));
        QCOMPARE(note(&dialog, u"提示"_s), u"已新增收款员“李四”。"_s);
        QCOMPARE(qobject_cast<QTableWidget*>(named(&dialog, u"收款员名单"_s))->rowCount(), 2);
        // The only manager cannot be retired.
        STEP(app::control::row(named(&dialog, u"收款员名单"_s), 0));
        STEP(app::control::click(button(&dialog, u"停用"_s)));
        QCOMPARE(note(&dialog, u"提示"_s), u"不能停用或取消最后一位管理员。"_s);

        // The manager enters the clinic's department and doctor in 医生和科室: the fee dialogs
        // offer that doctor with that department.
        QVERIFY(desk.action(u"医生和科室"_s)->isEnabled());
        DoctorDialog doctorsDialog(db::Connection::open(url), &desk);
        STEP(app::control::set(named(&doctorsDialog, u"科室名称"_s), u"正畸科"_s));
        STEP(app::control::click(button(&doctorsDialog, u"新增科室"_s)));
        STEP(app::control::set(named(&doctorsDialog, u"医生姓名"_s), u"赵医生"_s));
        STEP(app::control::set(named(&doctorsDialog, u"医生编号"_s), u"D01"_s));
        STEP(app::control::choose(named(&doctorsDialog, u"科室"_s), u"正畸科"_s));
        STEP(app::control::click(button(&doctorsDialog, u"新增医生"_s)));
        QCOMPARE(note(&doctorsDialog, u"提示"_s), u"已新增医生。"_s);
        STEP(app::control::click(button(&doctorsDialog, u"新增医生"_s)));
        QCOMPARE(note(&doctorsDialog, u"提示"_s), u"已有名为“赵医生”的医生。"_s);
        {
            auto c = db::Connection::open(url);
            QStringList offered;
            receipt::FillDoctorList(*c, offered);
            QCOMPARE(offered, QStringList{u"赵医生"_s});
            receipt::DoctorFields picked;
            receipt::SelectDoctor(*c, 0, u"赵医生"_s, picked);
            QCOMPARE(picked.department, u"正畸科"_s);
        }

        // A new patient: a bad phone is refused in the dialog, then the patient is registered
        // and found by the initials of the name.
        QVERIFY(desk.action(u"登记病人"_s)->isEnabled());
        {
            PatientDialog patient(db::Connection::open(url), 0, &desk);
            STEP(app::control::set(named(&patient, u"病人姓名"_s), u"张伟"_s));
            STEP(app::control::set(named(&patient, u"电话"_s), u"139x"_s));
            STEP(app::control::click(button(&patient, u"保存"_s)));
            QCOMPARE(note(&patient, u"提示"_s), u"电话只能包含数字和“-”。"_s);
            QCOMPARE(patient.savedCase(), 0);
            STEP(app::control::set(named(&patient, u"电话"_s), u"13900001111"_s));
            STEP(app::control::choose(named(&patient, u"性别"_s), u"男"_s));
            STEP(app::control::click(button(&patient, u"保存"_s)));
            QCOMPARE(patient.savedCase(), 1001);
        }
        STEP(app::control::set(named(&desk, u"查找病人"_s), u"zw"_s));
        STEP(app::control::key(named(&desk, u"查找病人"_s), u"Enter"_s));
        QCOMPARE(note(&desk, u"病历号"_s), u"1001"_s);
        QCOMPARE(note(&desk, u"电话"_s), u"13900001111"_s);
        QVERIFY(desk.action(u"修改病人信息"_s)->isEnabled());

        // A wrong password signs nobody in; the new cashier signs in without the settings.
        STEP(signInAs(desk, u"李四"_s, u"wrong!!"_s));
        QVERIFY(desk.cashier().isEmpty());
        QCOMPARE(note(&desk, u"签到提示"_s), u"收款员或密码不对。"_s);
        STEP(signInAs(desk, u"李四"_s, u"secret2"_s));
        QCOMPARE(desk.cashier(), u"李四"_s);
        QVERIFY(!desk.signedInAsManager());
        QVERIFY(!desk.action(u"收款员设置"_s)->isEnabled());
        QVERIFY(!desk.action(u"医生和科室"_s)->isEnabled());
    }
};

QTEST_MAIN(TestDeskSetup)
#include "tst_desk_setup.moc"
