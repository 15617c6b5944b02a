// The manager's 设置 menu at the desk: each master-data dialog opens from it, refuses bad input
// with its message and saves good input where the fee dialogs read it. A cashier who is not a
// manager cannot open them.
#include "admin/CashierRegister.h"
#include "app/ControlDriver.h"
#include "discount/DiscountLookUps.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;
namespace control = app::control;

namespace
{

const QStringList kSettings = {u"收费标准"_s, u"药品和库存"_s, u"消费券/卡"_s, u"折扣和会员设置"_s, u"折扣和积分表"_s};

QLabel* label(QWidget* top, const QString& name)
{
    for (auto* l : top->findChildren<QLabel*>())
        if (l->accessibleName() == name)
            return l;
    throw control::StepRefused{u"no label %1"_s.arg(name)};
}
QString note(QWidget* top)
{
    return label(top, u"提示"_s)->text();
}
QTableWidget* table(QWidget* top, const QString& name)
{
    return qobject_cast<QTableWidget*>(control::find(top, name));
}
void page(QWidget* top, int index)
{
    top->findChild<QTabWidget*>()->setCurrentIndex(index);
}

// Opens the dialog from the desk's menu and works in it while it is modal; the reason a step
// could not be taken, or empty.
QString inDialog(DeskWindow& desk, const QString& action, const std::function<void(QDialog&)>& work)
{
    QString refused = u"the dialog %1 did not open"_s.arg(action);
    QTimer::singleShot(0, &desk, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || d->windowTitle() != action)
            return;
        refused.clear();
        try {
            work(*d);
        } catch (const control::StepRefused& e) {
            refused = e.reason;
        }
        if (d->isVisible())
            d->reject();
    });
    desk.action(action)->trigger();
    return refused;
}

void signIn(DeskWindow& desk, const QString& name, const QString& password)
{
    desk.action(u"收款员签到"_s)->trigger();
    control::set(control::find(&desk, u"收款员"_s), name);
    control::set(control::find(&desk, u"密码"_s), password);
    control::click(control::find(&desk, u"签到"_s));
}

// A new clinic's desk, its first manager signed in.
struct ManagerDesk {
    db::ConnectionPtr c;
    DeskWindow desk;
    explicit ManagerDesk(const QString& backend) : ManagerDesk(testdb::freshUrl(backend), 0) {}

  private:
    ManagerDesk(const QString& url, int) : c(migrated(url)), desk(url)
    {
        desk.show();
        signIn(desk, u"王芳"_s, u"secret1"_s);
    }
    static db::ConnectionPtr migrated(const QString& url)
    {
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        return c;
    }
};

} // namespace

class TestAdminDesk : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void fromTheSettingsMenu_data() { testdb::addBackendRows(); }
    void fromTheSettingsMenu()
    {
        QFETCH(QString, backend);
        ManagerDesk m(backend);
        db::ConnectionPtr& c = m.c;
        DeskWindow& desk = m.desk;
        QVERIFY(desk.signedInAsManager());

        // 收费标准: a price that is no amount is refused, then the item is added; the clinic
        // names category 4 its own way.
        QString why = inDialog(desk, u"收费标准"_s, [](QDialog& d) {
            control::set(control::find(&d, u"收费分类"_s), u"治疗类"_s);
            control::set(control::find(&d, u"项目名称"_s), u"洁治"_s);
            control::set(control::find(&d, u"单价"_s), u"一百"_s);
            control::click(control::find(&d, u"新增"_s));
            QCOMPARE(note(&d), u"单价应为不小于0的金额。"_s);
            QCOMPARE(table(&d, u"收费项目"_s)->rowCount(), 0);
            control::set(control::find(&d, u"单价"_s), u"120"_s);
            control::click(control::find(&d, u"新增"_s));
            QCOMPARE(note(&d), u"已新增收费项目。"_s);
            QCOMPARE(table(&d, u"收费项目"_s)->item(0, 5)->text(), u"120.00"_s);
            page(&d, 1);
            control::set(control::find(&d, u"正畸费"_s), u"矫治费"_s);
            control::click(control::find(&d, u"保存类别名称"_s));
            QCOMPARE(note(&d), u"类别名称已保存。"_s);
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(db::toText(db::scalar(*c, u"SELECT ItemName FROM ReceiptItemName_Table WHERE ItemIndex=4"_s)),
                 u"矫治费"_s);

        // 药品和库存: a medicine, an intake refused for its quantity, then booked; the stock shows.
        why = inDialog(desk, u"药品和库存"_s, [](QDialog& d) {
            control::set(control::find(&d, u"药品名称"_s), u"阿莫西林"_s);
            control::set(control::find(&d, u"规格"_s), u"0.25g"_s);
            control::set(control::find(&d, u"单价"_s), u"12.5"_s);
            control::click(control::find(&d, u"新增"_s));
            QCOMPARE(note(&d), u"已新增药品。"_s);
            page(&d, 1);
            control::choose(control::find(&d, u"入库药品"_s), u"阿莫西林 0.25g"_s);
            control::set(control::find(&d, u"批号"_s), u"L1"_s);
            control::set(control::find(&d, u"入库数量"_s), u"-3"_s);
            control::set(control::find(&d, u"入库价格"_s), u"8"_s);
            control::click(control::find(&d, u"入库"_s));
            QCOMPARE(note(&d), u"入库数量应为大于0的数。"_s);
            control::set(control::find(&d, u"入库数量"_s), u"10"_s);
            control::click(control::find(&d, u"入库"_s));
            QCOMPARE(note(&d), u"已入库，批次 1。"_s);
            page(&d, 0);
            QCOMPARE(table(&d, u"药品目录"_s)->item(0, 5)->text(), u"10"_s);
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(db::toText(db::scalar(*c, u"SELECT 经手人 FROM 材料入库表"_s)), u"王芳"_s);

        // 消费券/卡: a voucher without a value is refused, then issued; its balance is shown.
        why = inDialog(desk, u"消费券/卡"_s, [](QDialog& d) {
            control::set(control::find(&d, u"编号"_s), u"V001"_s);
            control::click(control::find(&d, u"发放"_s));
            QCOMPARE(note(&d), u"面值应为大于0的金额。"_s);
            control::set(control::find(&d, u"面值"_s), u"200"_s);
            control::click(control::find(&d, u"发放"_s));
            QCOMPARE(note(&d), u"已发放“V001”。"_s);
            control::row(table(&d, u"消费券/卡"_s), 0);
            QCOMPARE(label(&d, u"余额"_s)->text(), u"“V001”余额 200.00 元，已发放"_s);
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));

        // 折扣和会员设置: a share above 100 % is refused and stays to be corrected; 20 is saved.
        why = inDialog(desk, u"折扣和会员设置"_s, [](QDialog& d) {
            control::set(control::find(&d, u"结帐时把收费的一部分转为预付费"_s), u"1"_s);
            control::set(control::find(&d, u"转为预付费的比例(%)"_s), u"120"_s);
            control::click(control::find(&d, u"保存"_s));
            QCOMPARE(note(&d), u"转为预付费的比例应在0到100之间。"_s);
            control::set(control::find(&d, u"转为预付费的比例(%)"_s), u"20"_s);
            control::click(control::find(&d, u"保存"_s));
            QCOMPARE(note(&d), u"设置已保存。"_s);
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT FeeToPrepayFlag FROM Management_table"_s)), 0);
        QCOMPARE(db::toNumber(db::scalar(*c, u"SELECT FeeToPrepayDiscout FROM Management_table"_s)), 20.0);

        // 折扣和积分表: a member rank priced above 1 is refused and stays to be corrected; then
        // saved, it is what the checkout's rank look-up reads.
        why = inDialog(desk, u"折扣和积分表"_s, [](QDialog& d) {
            auto* ranks = table(&d, u"会员级别折扣"_s);
            control::click(control::find(&d, u"添加行"_s));
            ranks->item(0, 0)->setText(u"金卡"_s);
            ranks->item(0, 1)->setText(u"1.5"_s);
            control::click(control::find(&d, u"保存"_s));
            QCOMPARE(note(&d), u"第1行：折扣应在0到1之间。"_s);
            QCOMPARE(ranks->item(0, 1)->text(), u"1.5"_s);
            ranks->item(0, 1)->setText(u"0.85"_s);
            control::click(control::find(&d, u"保存"_s));
            QCOMPARE(note(&d), u"“会员级别折扣”已保存。"_s);
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(discount::LookUpRankRate(*c, u"金卡"_s), 0.85);

        // A cashier who is not a manager reaches none of them.
        QVERIFY(cashiers::add(*c, u"李四"_s, u"secret2"_s, false).ok);
        signIn(desk, u"李四"_s, u"secret2"_s);
        QCOMPARE(desk.cashier(), u"李四"_s);
        for (const QString& a : kSettings)
            QVERIFY2(!desk.action(a)->isEnabled(), qPrintable(a));
    }

    // The keys of every dialog here: Enter in a half-typed entry moves on and saves nothing,
    // Esc closes the dialog.
    void keys_data() { testdb::addBackendRows(); }
    void keys()
    {
        QFETCH(QString, backend);
        ManagerDesk m(backend);
        db::ConnectionPtr& c = m.c;
        DeskWindow& desk = m.desk;
        QString why = inDialog(desk, u"收费标准"_s, [](QDialog& d) {
            control::set(control::find(&d, u"收费分类"_s), u"治疗类"_s);
            control::set(control::find(&d, u"项目名称"_s), u"洁治"_s);
            QWidget* price = control::find(&d, u"单价"_s);
            price->setFocus();
            QTest::keyClick(price, Qt::Key_Return);
            QVERIFY(d.isVisible());
            QVERIFY(d.focusWidget() != price);
        });
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT count(*) FROM 收费标准表"_s)), 0);
        for (const QString& action : kSettings + QStringList{u"收款员设置"_s, u"医生和科室"_s}) {
            bool closed = false;
            why = inDialog(desk, action, [&](QDialog& d) {
                QTest::keyClick(&d, Qt::Key_Escape);
                closed = !d.isVisible();
            });
            QVERIFY2(why.isEmpty(), qPrintable(why));
            QVERIFY2(closed, qPrintable(action));
        }
    }
};

QTEST_MAIN(TestAdminDesk)
#include "tst_admin_desk.moc"
