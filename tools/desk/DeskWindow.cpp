#include "tools/desk/DeskWindow.h"
#include "admin/CashierDialog.h"
#include "admin/DoctorDialog.h"
#include "admin/MedicineDialog.h"
#include "admin/PatientDialog.h"
#include "admin/PriceDialog.h"
#include "admin/RateTablesDialog.h"
#include "admin/SettingsDialog.h"
#include "admin/VoucherDialog.h"
#include "admin/CashierRegister.h"
#include "common/Settings.h"
#include "db/ClinicLookups.h"
#include "tools/calvane/ExportTable.h"
#include "tools/desk/Outcome.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

// How often the desk asks whether the database is still there, and how long typing must pause
// before a search runs.
constexpr int watchMs = 5000;
constexpr int searchPauseMs = 200;

struct ActionSpec {
    const char* text;
    const char* exportName; // the export it calls, "" for the desk's own actions (read by people)
    QKeySequence key;
    const char* menu;
    bool toolBar;
};

} // namespace

DeskWindow::DeskWindow(const QString& url, QWidget* parent) : QMainWindow(parent)
{
    link_ = std::make_unique<desk::Link>(url);
    clinicName_ = settings::readValue(u"ReceiptTitle"_s).value_or(settings::defaultReceiptTitle).trimmed();
    if (clinicName_.isEmpty()) clinicName_ = settings::defaultReceiptTitle;
    setWindowTitle(u"%1 — 收费前台"_s.arg(clinicName_));
    setAccessibleName(u"收费前台"_s);

    buildMenusAndActions();
    stack_ = new QStackedWidget(this);
    stack_->addWidget(buildSignInPage());
    stack_->addWidget(buildWorkPage());
    setCentralWidget(stack_);
    buildStatusBar();

    auto* dock = new QDockWidget(u"开发者视图"_s, this);
    dock->setObjectName(u"developer"_s);
    developer_ = new QPlainTextEdit(dock);
    developer_->setReadOnly(true);
    developer_->setAccessibleName(u"开发者视图"_s);
    dock->setWidget(developer_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    dock->hide();
    QAction* devToggle = dock->toggleViewAction();
    devToggle->setShortcut(QKeySequence(u"Ctrl+Shift+D"_s));
    for (QAction* m : menuBar()->actions())
        if (m->text() == u"视图"_s) m->menu()->addAction(devToggle);

    searchDelay_ = new QTimer(this);
    searchDelay_->setSingleShot(true);
    searchDelay_->setInterval(searchPauseMs);
    connect(searchDelay_, &QTimer::timeout, this, &DeskWindow::searchNow);
    watch_ = new QTimer(this);
    watch_->setInterval(watchMs);
    connect(watch_, &QTimer::timeout, this, [this] { checkConnection(); });
    watch_->start();
    initials_ = new QTimer(this);
    initials_->setInterval(0); // runs when the desk is idle, one small batch at a time
    connect(initials_, &QTimer::timeout, this, &DeskWindow::fillInitialsInBackground);
    initials_->start();

    reloadCashiers();
    updateActions();
}

DeskWindow::~DeskWindow() = default;

void DeskWindow::buildMenusAndActions()
{
    static const ActionSpec specs[] = {
        {"收款员签到", "", QKeySequence(u"Ctrl+L"_s), "文件", false},
        {"退出", "", QKeySequence::Quit, "文件", false},
        {"收费收据", "ReceiptSet", QKeySequence(Qt::Key_F2), "收费", true},
        {"标准收费", "StandartPaySet0", QKeySequence(Qt::Key_F3), "收费", true},
        {"处方", "MedicineRescriptionSet", QKeySequence(Qt::Key_F4), "收费", true},
        {"修改收据", "", QKeySequence(u"Ctrl+E"_s), "收费", false},
        {"登记病人", "", QKeySequence(u"Ctrl+N"_s), "收费", false},
        {"修改病人信息", "", QKeySequence(), "收费", false},
        {"结帐", "", QKeySequence(Qt::Key_F5), "收费", true},
        {"重新结帐", "", QKeySequence(), "收费", false},
        {"查看", "", QKeySequence(Qt::Key_F6), "收费", true},
        {"无病案收费单", "PayForNoCard", QKeySequence(Qt::Key_F7), "收费", true},
        {"无病案标准收费", "StandartPayForNoCard", QKeySequence(Qt::Key_F8), "收费", true},
        {"修改单据", "", QKeySequence(), "收费", false},
        {"打印收据", "", QKeySequence(u"Ctrl+P"_s), "收费", true},
        {"补打收据", "", QKeySequence(u"Ctrl+Shift+P"_s), "收费", false},
        {"预付费交款", "", QKeySequence(), "收费", false},
        {"交班", "", QKeySequence(), "报表", true},
        {"今日收费", "", QKeySequence(u"Ctrl+T"_s), "报表", true},
        {"日结", "HEBEITableStatic", QKeySequence(Qt::Key_F12), "报表", true},
        {"统计报表", "SDTableStatic", QKeySequence(), "报表", false},
        {"统计项目设置", "SetSysthesisChoice", QKeySequence(), "报表", false},
        {"明细统计内容设置", "SetSysthesisStandartItemChoice", QKeySequence(), "报表", false},
        {"退票设置", "SDTableDisable", QKeySequence(), "报表", false},
        {"刷新", "", QKeySequence(u"Ctrl+R"_s), "视图", true},
        {"收款员设置", "", QKeySequence(), "设置", false},
        {"医生和科室", "", QKeySequence(), "设置", false},
        {"收费标准", "", QKeySequence(), "设置", false},
        {"药品和库存", "", QKeySequence(), "设置", false},
        {"消费券/卡", "", QKeySequence(), "设置", false},
        {"折扣和会员设置", "", QKeySequence(), "设置", false},
        {"折扣和积分表", "", QKeySequence(), "设置", false},
        {"关于", "", QKeySequence(), "帮助", false},
    };
    QMap<QString, QMenu*> menus;
    for (const char* m : {"文件", "收费", "报表", "视图", "设置", "帮助"})
        menus.insert(QString::fromUtf8(m), menuBar()->addMenu(QString::fromUtf8(m)));
    auto* tools = addToolBar(u"常用"_s);
    tools->setObjectName(u"toolbar"_s);
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setMovable(false);
    for (const ActionSpec& s : specs) {
        const QString text = QString::fromUtf8(s.text);
        auto* a = new QAction(text, this);
        if (!s.key.isEmpty()) {
            a->setShortcut(s.key);
            a->setToolTip(u"%1 (%2)"_s.arg(text, s.key.toString(QKeySequence::NativeText)));
        }
        menus.value(QString::fromUtf8(s.menu))->addAction(a);
        if (s.toolBar) tools->addAction(a);
        actions_.insert(text, a);
    }
    auto on = [this](const char* text, auto handler) { connect(actions_.value(QString::fromUtf8(text)), &QAction::triggered, this, handler); };
    on("收款员签到", [this] {
        stack_->setCurrentIndex(0);
        cashier_.clear();
        manager_ = false;
        reloadCashiers();
        updateActions();
    });
    on("退出", [this] { close(); });
    on("收费收据", [this] { newReceipt(u"ReceiptSet"_s, u"收据"_s); });
    on("标准收费", [this] { newReceipt(u"StandartPaySet0"_s, u"收据"_s); });
    on("处方", [this] { newReceipt(u"MedicineRescriptionSet"_s, u"处方"_s); });
    on("修改收据", [this] { editReceipt(); });
    on("结帐", [this] { settle(false); });
    on("重新结帐", [this] { settle(true); });
    on("查看", [this] { viewReceipt(); });
    on("无病案收费单", [this] { walkIn(u"PayForNoCard"_s, 0); });
    on("无病案标准收费", [this] { walkIn(u"StandartPayForNoCard"_s, 0); });
    on("修改单据", [this] { correctWalkIn(); });
    for (const bool reprint : {false, true})
        on(reprint ? "补打收据" : "打印收据", [this, reprint] {
            if (const auto doc = selectedDocument()) tell(printDocument(*doc, reprint));
        });
    on("今日收费", [this] {
        tabs_->setCurrentIndex(1);
        refreshDay();
    });
    on("日结", [this] { runReport(u"HEBEITableStatic"_s, {}, u"日结"_s); });
    on("统计报表", [this] { runReport(u"SDTableStatic"_s, {}, u"统计报表"_s); });
    on("统计项目设置", [this] { runReport(u"SetSysthesisChoice"_s, {}, u"统计项目设置"_s); });
    on("明细统计内容设置", [this] { runReport(u"SetSysthesisStandartItemChoice"_s, {}, u"明细统计内容设置"_s); });
    on("退票设置", [this] { runReport(u"SDTableDisable"_s, {}, u"退票设置"_s); });
    on("刷新", [this] { refreshAll(); });
    on("预付费交款", [this] { topUp(); });
    on("交班", [this] { handOver(); });
    on("收款员设置", [this] {
        CashierDialog dialog(link_->lookupsShared(), this);
        dialog.exec();
        reloadCashiers();
    });
    on("登记病人", [this] {
        PatientDialog dialog(link_->lookupsShared(), 0, this);
        if (dialog.exec() == QDialog::Accepted) openPatient(dialog.savedCase());
    });
    on("修改病人信息", [this] {
        if (!page_) return;
        PatientDialog dialog(link_->lookupsShared(), page_->caseNumber, this);
        if (dialog.exec() == QDialog::Accepted) openPatient(dialog.savedCase());
    });
    on("医生和科室", [this] {
        DoctorDialog dialog(link_->lookupsShared(), this);
        dialog.exec();
        refreshAll();
    });
    on("收费标准", [this] {
        PriceDialog dialog(link_->lookupsShared(), this);
        dialog.exec();
    });
    on("药品和库存", [this] {
        MedicineDialog dialog(link_->lookupsShared(), cashier_, this);
        dialog.exec();
    });
    on("消费券/卡", [this] {
        VoucherDialog dialog(link_->lookupsShared(), this);
        dialog.exec();
    });
    on("折扣和会员设置", [this] {
        SettingsDialog dialog(link_->lookupsShared(), this);
        dialog.exec();
    });
    on("折扣和积分表", [this] {
        RateTablesDialog dialog(link_->lookupsShared(), this);
        dialog.exec();
    });
    on("关于", [this] {
        QMessageBox box(QMessageBox::Information, u"关于"_s,
                        u"%1 收费前台\n数据库：%2\n收款员：%3"_s.arg(clinicName_, link_->displayUrl(), cashier_),
                        QMessageBox::NoButton, this);
        box.addButton(u"确定"_s, QMessageBox::AcceptRole); // the cashier reads Chinese only
        box.exec();
    });
}

void DeskWindow::buildStatusBar()
{
    statusDb_ = new QLabel(u"数据库：%1"_s.arg(link_->displayUrl()), this);
    statusCashier_ = new QLabel(u"收款员：未签到"_s, this);
    statusLink_ = new QLabel(u"连接正常"_s, this);
    statusDb_->setAccessibleName(u"数据库"_s);
    statusCashier_->setAccessibleName(u"当前收款员"_s);
    statusLink_->setAccessibleName(u"连接状态"_s);
    statusBar()->addPermanentWidget(statusLink_);
    statusBar()->addPermanentWidget(statusCashier_);
    statusBar()->addPermanentWidget(statusDb_);
}

QAction* DeskWindow::action(const QString& text) const { return actions_.value(text); }

void DeskWindow::signInChecked()
{
    const QString name = cashierList_->currentText().trimmed();
    const QString password = password_->text();
    try {
        if (firstStart_) {
            const cashiers::Outcome o = cashiers::createFirstManager(link_->lookups(), name, password);
            if (!o.ok) {
                signInNote_->setText(o.message);
                return;
            }
            firstStart_ = false;
            cashierList_->setEditable(false);
        }
        bool manager = false;
        if (!cashiers::signInAllowed(link_->lookups(), name, password, &manager)) {
            signInNote_->setText(u"收款员或密码不对。"_s);
            password_->selectAll();
            return;
        }
        password_->clear();
        manager_ = manager;
        signIn(name);
        updateActions();
    } catch (const db::Error& e) {
        signInNote_->setText(e.message());
    }
}

void DeskWindow::signIn(const QString& cashier)
{
    if (cashier.trimmed().isEmpty()) return;
    cashier_ = cashier.trimmed();
    statusCashier_->setText(u"收款员：%1"_s.arg(cashier_));
    banner_->setText(u"%1 · 收费前台　　收款员：%2　　%3"_s.arg(clinicName_, cashier_,
                                                              QDate::currentDate().toString(u"yyyy年M月d日"_s)));
    stack_->setCurrentIndex(1);
    search_->setFocus();
    tell(u"%1 已签到"_s.arg(cashier_));
    refreshAll();
}

bool DeskWindow::checkConnection()
{
    QString reason;
    if (link_->alive(&reason)) {
        if (!connected_) {
            connected_ = true;
            statusLink_->setText(u"连接正常"_s);
            tell(u"数据库连接已恢复"_s);
            refreshAll();
        }
        return true;
    }
    // A server that comes back needs new connections: the old ones stay dead.
    if (link_->reconnect(&reason) && link_->alive(&reason)) {
        connected_ = true;
        statusLink_->setText(u"连接正常"_s);
        tell(u"数据库连接已恢复"_s);
        refreshAll();
        return true;
    }
    markLost(reason);
    return false;
}

void DeskWindow::markLost(const QString& reason)
{
    const bool wasConnected = connected_;
    connected_ = false;
    statusLink_->setText(u"数据库连接已断开，正在重新连接…"_s);
    statusLink_->setToolTip(reason);
    if (wasConnected) developer_->appendPlainText(u"连接断开：%1"_s.arg(reason));
    updateActions();
}

void DeskWindow::tell(const QString& sentence)
{
    lastOutcome_ = sentence;
    outcome_->setText(sentence);
    statusBar()->showMessage(sentence, 10000);
}

QMap<QString, QString> DeskWindow::context() const
{
    const QString now = QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    QString doctor = doctor_ ? doctor_->currentText().trimmed() : QString();
    QString department, doctorNumber;
    if (!doctor.isEmpty()) db::GetDoctorInfo(link_->lookups(), doctor, department, doctorNumber);
    const QString caseNumber = page_ ? QString::number(page_->caseNumber) : u"0"_s;
    return {
        {u"case_number"_s, caseNumber},
        {u"case_number_text"_s, page_ ? caseNumber : QString()},
        {u"treatment_number"_s, caseNumber},
        {u"patient"_s, page_ ? page_->name : QString()},
        {u"patient_number"_s, page_ ? page_->number : QString()},
        {u"doctor"_s, doctor},
        {u"department"_s, department},
        {u"doctor_number"_s, doctorNumber},
        {u"cashier"_s, cashier_},
        {u"operator_name"_s, cashier_},
        {u"clinic"_s, clinicName_},
        {u"date"_s, now},
        {u"unused_date"_s, now},
        {u"resettle"_s, u"0"_s},
        // A checkout asks whether to print; the desk prints the receipt page on 是.
        {u"print_switch"_s, u"1"_s},
        {u"date_lock"_s, u"0"_s},
    };
}

bool DeskWindow::call(const QString& exportName, const QMap<QString, QString>& values, int* result,
                      QMap<QString, QString>* out)
{
    // Never a dialog on a dead connection: it could only fail in the cashier's hands.
    if (!checkConnection()) {
        tell(u"数据库连接已断开，没有打开对话框；恢复后请重试"_s);
        return false;
    }
    const calltable::Export* e = calltable::find(exportName);
    if (!e) return false;
    calltable::Args args(*e);
    QMap<QString, QString> all = context();
    all.insert(values);
    QString ignored;
    for (const calltable::Param& p : e->params)
        if (all.contains(p.name)) args.set(p.name, all.value(p.name), &ignored);
    args.setConnection(link_->host());
    // The dialog's modal loop runs the desk's timers too: neither the connection check (an
    // export of its own) nor the initials filler (writes) may run inside another export.
    const bool filling = initials_->isActive();
    watch_->stop();
    initials_->stop();
    const int32_t r = args.call();
    watch_->start();
    if (filling) initials_->start();
    const QString failure = QString::fromUtf8(CalvaneLastError());
    developer_->appendPlainText(exportName + u" "_s + QString::fromUtf8(args.resultJson(r))
                                + (failure.isEmpty() ? QString() : u"   (%1)"_s.arg(failure)));
    if (out)
        for (const calltable::Param& p : e->params)
            if (calltable::isOut(p.kind)) out->insert(p.name, args.text(p.name));
    *result = r;
    if (!failure.isEmpty()) {
        // The cashier is told in Chinese; the export's name stays in the developer pane above.
        const QString prefix = exportName + u": "_s;
        tell(u"没有完成：%1"_s.arg(failure.startsWith(prefix) ? failure.mid(prefix.size()) : failure));
        refreshAll();
        return false;
    }
    return true;
}
