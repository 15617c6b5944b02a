// The desk's pages: sign-in, the patient search and page, and today's list.
#include "common/Money.h"
#include "db/ListFillers.h"
#include "tools/desk/Cashiers.h"
#include "tools/desk/DeskWindow.h"
#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Cases given their pinyin initials per idle moment: small enough not to be felt.
constexpr int initialsBatch = 500;

QTableWidget* makeTable(QWidget* parent, const QString& name, const QStringList& headers)
{
    auto* t = new QTableWidget(0, int(headers.size()), parent);
    t->setAccessibleName(name);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setAlternatingRowColors(true);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

// Columns as wide as their texts, with room to breathe; the last one takes what is left.
void fitColumns(QTableWidget* t)
{
    t->resizeColumnsToContents();
    for (int c = 0; c + 1 < t->columnCount(); ++c) t->setColumnWidth(c, t->columnWidth(c) + 18);
}

void setRow(QTableWidget* t, int row, const QStringList& cells, const QList<int>& rightAligned = {})
{
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (rightAligned.contains(c)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(row, c, item);
    }
}

// Calls take on every press of key in w (without Ctrl or Alt); take says whether it used it.
class KeyHook : public QObject {
public:
    KeyHook(QWidget* w, QList<int> keys, std::function<bool()> take) : QObject(w), keys_(std::move(keys)), take_(std::move(take))
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        return keys_.contains(k->key()) && take_();
    }

private:
    QList<int> keys_;
    std::function<bool()> take_;
};

// A button that does what the window's action of that name does, enabled with it.
QPushButton* actionButton(QAction* a, QWidget* parent)
{
    auto* b = new QPushButton(a->text(), parent);
    b->setToolTip(a->toolTip());
    QObject::connect(b, &QPushButton::clicked, a, &QAction::trigger);
    QObject::connect(a, &QAction::changed, b, [a, b] { b->setEnabled(a->isEnabled()); });
    b->setEnabled(a->isEnabled());
    return b;
}

} // namespace

QWidget* DeskWindow::buildSignInPage()
{
    auto* page = new QWidget(this);
    auto* outer = new QGridLayout(page);
    auto* box = new QGroupBox(u"收款员签到"_s, page);
    box->setMinimumSize(460, 260);
    auto* form = new QFormLayout(box);
    form->setContentsMargins(30, 24, 30, 24);
    form->setVerticalSpacing(16);
    auto* title = new QLabel(u"%1\n收费前台"_s.arg(clinicName_), box);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.8);
    f.setBold(true);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(u"QLabel { color: #1d4f91; }"_s);
    form->addRow(title);
    cashierList_ = new QComboBox(box);
    cashierList_->setAccessibleName(u"收款员"_s);
    cashierList_->setMinimumWidth(200);
    form->addRow(u"收款员"_s, cashierList_);
    password_ = new QLineEdit(box);
    password_->setAccessibleName(u"密码"_s);
    password_->setEchoMode(QLineEdit::Password);
    form->addRow(u"密码"_s, password_);
    auto* go = new QPushButton(u"签到"_s, box);
    go->setDefault(true);
    go->setMinimumHeight(32);
    connect(go, &QPushButton::clicked, this, [this] { signInChecked(); });
    connect(password_, &QLineEdit::returnPressed, this, [this] { signInChecked(); });
    // Enter on the cashier's name signs in too (a cashier without a password needs no more).
    new KeyHook(cashierList_, {Qt::Key_Return, Qt::Key_Enter}, [this] {
        signInChecked();
        return true;
    });
    form->addRow(go);
    signInNote_ = new QLabel(box);
    signInNote_->setAccessibleName(u"签到提示"_s);
    signInNote_->setWordWrap(true);
    form->addRow(signInNote_);
    outer->setRowStretch(0, 2);
    outer->setRowStretch(2, 3);
    outer->setColumnStretch(0, 1);
    outer->setColumnStretch(2, 1);
    outer->addWidget(box, 1, 1);
    return page;
}

QWidget* DeskWindow::buildWorkPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    banner_ = new QLabel(page);
    banner_->setAccessibleName(u"诊所"_s);
    QFont bf = banner_->font();
    bf.setPointSizeF(bf.pointSizeF() * 1.4);
    bf.setBold(true);
    banner_->setFont(bf);
    banner_->setStyleSheet(u"QLabel { color: #1d4f91; padding: 2px 4px; }"_s);
    layout->addWidget(banner_);
    auto* split = new QSplitter(Qt::Horizontal, page);

    auto* left = new QGroupBox(u"病人检索"_s, split);
    left->setMinimumWidth(360);
    auto* leftLayout = new QVBoxLayout(left);
    search_ = new QLineEdit(left);
    search_->setAccessibleName(u"查找病人"_s);
    search_->setPlaceholderText(u"姓名、拼音首字母、病历号、病人编号或电话"_s);
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textEdited, this, [this] { searchDelay_->start(); });
    // Enter opens the one patient found; with several, Enter and Down go into the list, where
    // Enter opens the patient on the row and Up from the first row comes back to the field.
    auto intoHits = [this] {
        if (searchDelay_->isActive()) searchNow();
        if (hitRows_.isEmpty()) return false;
        hits_->setFocus();
        hits_->selectRow(0);
        return true;
    };
    connect(search_, &QLineEdit::returnPressed, this, [this, intoHits] {
        searchNow();
        if (hitRows_.size() == 1) openPatient(hitRows_.first().caseNumber);
        else intoHits();
    });
    new KeyHook(search_, {Qt::Key_Down}, intoHits);
    connect(search_, &QLineEdit::editingFinished, this, &DeskWindow::searchNow);
    leftLayout->addWidget(search_);
    hits_ = makeTable(left, u"病人列表"_s, {u"病历号"_s, u"姓名"_s, u"病人编号"_s, u"电话"_s});
    connect(hits_, &QTableWidget::clicked, this, [this](const QModelIndex& i) {
        if (i.row() >= 0 && i.row() < hitRows_.size()) openPatient(hitRows_[i.row()].caseNumber);
    });
    connect(hits_, &QTableWidget::activated, this, [this](const QModelIndex& i) {
        if (i.row() >= 0 && i.row() < hitRows_.size()) openPatient(hitRows_[i.row()].caseNumber);
    });
    new KeyHook(hits_, {Qt::Key_Up}, [this] {
        if (hits_->currentRow() > 0) return false;
        search_->setFocus();
        return true;
    });
    leftLayout->addWidget(hits_);
    split->addWidget(left);

    tabs_ = new QTabWidget(split);
    tabs_->setAccessibleName(u"页面"_s);
    tabs_->addTab(buildPatientTab(), u"病人"_s);
    tabs_->addTab(buildDayTab(), u"今日收费"_s);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 1) refreshDay();
        updateActions();
    });
    split->addWidget(tabs_);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 5);
    layout->addWidget(split, 1);

    outcome_ = new QLabel(page);
    outcome_->setAccessibleName(u"操作结果"_s);
    outcome_->setFrameShape(QFrame::StyledPanel);
    outcome_->setMinimumHeight(28);
    QFont f = outcome_->font();
    f.setPointSizeF(f.pointSizeF() * 1.15);
    outcome_->setFont(f);
    layout->addWidget(outcome_);
    return page;
}

QWidget* DeskWindow::buildPatientTab()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* info = new QGroupBox(u"病人信息"_s, page);
    auto* grid = new QGridLayout(info);
    static const char* const labels[] = {"姓名", "病历号", "病人编号", "性别", "年龄", "电话",
                                         "会员等级", "会员积分", "预付费余额", "原欠款"};
    int i = 0;
    for (const char* l : labels) {
        const QString label = QString::fromUtf8(l);
        auto* caption = new QLabel(label + u"："_s, info);
        auto* value = new QLabel(info);
        value->setAccessibleName(label);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(110);
        caption->setBuddy(value);
        grid->addWidget(caption, i / 5, (i % 5) * 2, Qt::AlignRight);
        grid->addWidget(value, i / 5, (i % 5) * 2 + 1);
        fields_.insert(label, value);
        ++i;
    }
    QFont big = fields_.value(u"姓名"_s)->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    fields_.value(u"姓名"_s)->setFont(big);
    auto* doctorCaption = new QLabel(u"接诊医生："_s, info);
    doctor_ = new QComboBox(info);
    doctor_->setAccessibleName(u"接诊医生"_s);
    doctor_->setMinimumWidth(110);
    doctorCaption->setBuddy(doctor_);
    grid->addWidget(doctorCaption, 2, 0, Qt::AlignRight);
    grid->addWidget(doctor_, 2, 1);
    layout->addWidget(info);

    auto* buttons = new QHBoxLayout;
    for (const char* a : {"收费收据", "标准收费", "处方", "修改收据", "结帐", "查看", "打印收据", "补打收据"})
        buttons->addWidget(actionButton(actions_.value(QString::fromUtf8(a)), page));
    buttons->addStretch();
    layout->addLayout(buttons);

    receipts_ = makeTable(page, u"收据列表"_s,
                          {u"日期"_s, u"收据号"_s, u"类别"_s, u"合计"_s, u"状态"_s, u"付款"_s, u"医生"_s, u"收款人"_s});
    connect(receipts_, &QTableWidget::itemSelectionChanged, this, &DeskWindow::updateActions);
    connect(receipts_, &QTableWidget::doubleClicked, this, [this] {
        const auto r = selectedReceipt();
        if (!r) return;
        if (r->paid) actions_.value(u"查看"_s)->trigger();
        else actions_.value(u"结帐"_s)->trigger();
    });
    layout->addWidget(receipts_, 1);
    return page;
}

QWidget* DeskWindow::buildDayTab()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* buttons = new QHBoxLayout;
    for (const char* a : {"无病案收费单", "无病案标准收费", "修改单据", "打印收据", "补打收据", "日结", "刷新"})
        buttons->addWidget(actionButton(actions_.value(QString::fromUtf8(a)), page));
    buttons->addStretch();
    layout->addLayout(buttons);
    dayTable_ = makeTable(page, u"今日单据"_s,
                          {u"时间"_s, u"单据"_s, u"编号"_s, u"病人"_s, u"类别"_s, u"合计"_s, u"状态"_s, u"实收"_s,
                           u"收款人"_s});
    connect(dayTable_, &QTableWidget::itemSelectionChanged, this, &DeskWindow::updateActions);
    // A receipt opens on its patient's page, where its actions are; a walk-in sheet opens for
    // correction.
    connect(dayTable_, &QTableWidget::doubleClicked, this, [this] {
        const auto d = selectedDayRow();
        if (!d) return;
        if (d->walkIn) {
            actions_.value(u"修改单据"_s)->trigger();
            return;
        }
        if (!openPatient(d->caseNumber)) return;
        for (int r = 0; r < page_->receipts.size(); ++r)
            if (page_->receipts[r].id == d->id) receipts_->selectRow(r);
    });
    layout->addWidget(dayTable_, 1);
    dayTotals_ = new QLabel(page);
    dayTotals_->setAccessibleName(u"今日合计"_s);
    QFont f = dayTotals_->font();
    f.setBold(true);
    dayTotals_->setFont(f);
    layout->addWidget(dayTotals_);
    return page;
}

void DeskWindow::reloadCashiers()
{
    QStringList names;
    bool read = true;
    try {
        names = desk::activeCashiers(link_->lookups());
    } catch (const db::Error& e) {
        read = false;
        signInNote_->setText(u"无法读取收款员名单：%1"_s.arg(e.message()));
    }
    cashierList_->clear();
    cashierList_->addItems(names);
    // A new clinic: the first one to sign in names and protects its first manager.
    firstStart_ = read && names.isEmpty();
    cashierList_->setEditable(firstStart_);
    if (firstStart_)
        signInNote_->setText(u"新诊所还没有收款员：请输入首位管理员的姓名和密码（至少6位），然后签到。"_s);
    else if (read)
        signInNote_->clear();
}

void DeskWindow::searchNow()
{
    searchDelay_->stop();
    hitRows_.clear();
    try {
        hitRows_ = desk::searchPatients(link_->lookups(), search_->text());
    } catch (const db::Error& e) {
        markLost(e.message());
    }
    hits_->setRowCount(int(hitRows_.size()));
    for (int r = 0; r < hitRows_.size(); ++r) {
        const desk::PatientHit& h = hitRows_[r];
        setRow(hits_, r, {QString::number(h.caseNumber), h.name, h.number, h.phone});
    }
    fitColumns(hits_);
}

bool DeskWindow::openPatient(qint64 caseNumber)
{
    std::optional<desk::PatientPage> page;
    try {
        page = desk::loadPatientPage(link_->lookups(), caseNumber);
    } catch (const db::Error& e) {
        markLost(e.message());
        return false;
    }
    if (!page) return false;
    // Reading the same patient again keeps the doctor the cashier chose and the receipt chosen.
    const bool again = page_ && page_->caseNumber == caseNumber;
    const QString doctor = again ? doctor_->currentText() : page->lastDoctor;
    std::optional<qint64> chosen;
    if (const auto r = selectedReceipt(); again && r) chosen = r->id;
    page_ = page;
    // The balance as the module gives it to any host.
    balance_ = 0;
    if (page_->account > 0) GetPrePayTotalMoney(link_->host(), page_->account, &balance_);
    doctor_->clear();
    doctor_->addItem(QString());
    try {
        doctor_->addItems(db::InitCombox(link_->lookups(), u"主治医生表"_s, u"医生姓名"_s));
    } catch (const db::Error&) {
    }
    doctor_->setCurrentIndex(std::max(0, doctor_->findText(doctor)));
    tabs_->setCurrentIndex(0);
    showPatient(chosen);
    return true;
}

void DeskWindow::showPatient(std::optional<qint64> chosen)
{
    const bool has = page_.has_value();
    auto set = [&](const char* label, const QString& v) { fields_.value(QString::fromUtf8(label))->setText(has ? v : QString()); };
    if (has) {
        const desk::PatientPage& p = *page_;
        set("姓名", p.name);
        set("病历号", QString::number(p.caseNumber));
        set("病人编号", p.number);
        set("性别", p.sex);
        set("年龄", p.age);
        set("电话", p.phone);
        set("会员等级", p.member || !p.grade.isEmpty() ? p.grade : u"非会员"_s);
        set("会员积分", p.member || p.points != 0 ? QString::number(p.points, 'f', 0) : QString());
        set("预付费余额", p.account > 0 ? money::format2(balance_) : u"无预付费账户"_s);
        set("原欠款", money::format2(p.arrears));
    }
    const QList<desk::ReceiptRow> rows = has ? page_->receipts : QList<desk::ReceiptRow>();
    receipts_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const desk::ReceiptRow& x = rows[r];
        setRow(receipts_, r,
               {x.date.toString(u"yyyy-MM-dd HH:mm"_s), QString::number(x.id),
                x.refund ? desk::kindName(x.kind) + u"(退费)"_s : desk::kindName(x.kind), money::format2(x.total),
                x.paid ? u"已付"_s : u"未付"_s, x.payment, x.doctor, x.cashier},
               {3});
        if (!x.paid)
            for (int c = 0; c < receipts_->columnCount(); ++c) receipts_->item(r, c)->setForeground(QColor(0xB0, 0x30, 0x20));
    }
    fitColumns(receipts_);
    // The receipt chosen before stays chosen wherever it now stands (gone: none); on a page
    // just opened the first unpaid receipt is what the cashier most likely came for.
    receipts_->clearSelection();
    receipts_->setCurrentItem(nullptr);
    for (int r = 0; r < rows.size(); ++r)
        if (chosen ? rows[r].id == *chosen : !rows[r].paid) {
            receipts_->selectRow(r);
            break;
        }
    updateActions();
}

void DeskWindow::refreshDay()
{
    const auto chosen = selectedDayRow();
    try {
        day_ = desk::loadDayList(link_->lookups(), QDate::currentDate(), cashier_);
    } catch (const db::Error& e) {
        markLost(e.message());
        return;
    }
    dayTable_->setRowCount(int(day_.rows.size()));
    for (int r = 0; r < day_.rows.size(); ++r) {
        const desk::DayRow& d = day_.rows[r];
        setRow(dayTable_, r,
               {d.time.toString(u"HH:mm"_s), d.walkIn ? u"无病案收费单"_s : u"收据"_s, QString::number(d.id), d.patient,
                d.kind, money::format2(d.total), d.paid ? u"已付"_s : u"未付"_s,
                d.collected != 0 ? money::format2(d.collected) : QString(), d.cashier},
               {5, 7});
    }
    fitColumns(dayTable_);
    // The document chosen before stays chosen, not the row number it had.
    dayTable_->clearSelection();
    dayTable_->setCurrentItem(nullptr);
    for (int r = 0; chosen && r < day_.rows.size(); ++r)
        if (day_.rows[r].id == chosen->id && day_.rows[r].walkIn == chosen->walkIn) {
            dayTable_->selectRow(r);
            break;
        }
    dayTotals_->setText(desk::dayTotalsText(day_));
    updateActions();
}

void DeskWindow::refreshAll()
{
    if (!cashier_.isEmpty() && connected_) {
        if (page_) openPatient(page_->caseNumber);
        refreshDay();
    }
    updateActions();
}

std::optional<desk::ReceiptRow> DeskWindow::selectedReceipt() const
{
    const int r = receipts_->currentRow();
    if (!page_ || r < 0 || r >= page_->receipts.size() || receipts_->selectedItems().isEmpty()) return std::nullopt;
    return page_->receipts[r];
}

std::optional<desk::DayRow> DeskWindow::selectedDayRow() const
{
    const int r = dayTable_->currentRow();
    if (r < 0 || r >= day_.rows.size() || dayTable_->selectedItems().isEmpty()) return std::nullopt;
    return day_.rows[r];
}

void DeskWindow::updateActions()
{
    const bool working = !cashier_.isEmpty() && connected_;
    const auto receipt = selectedReceipt();
    const auto dayRow = selectedDayRow();
    auto enable = [&](const char* text, bool on) {
        QAction* a = actions_.value(QString::fromUtf8(text));
        a->setEnabled(working && on);
    };
    enable("收费收据", page_.has_value());
    enable("标准收费", page_.has_value());
    enable("处方", true);
    enable("修改收据", receipt && !receipt->paid);
    enable("结帐", receipt && !receipt->paid);
    enable("重新结帐", receipt && receipt->paid);
    enable("查看", receipt.has_value());
    bool settled = false;
    const bool printable = selectedDocument(&settled).has_value() && settled;
    enable("打印收据", printable);
    enable("补打收据", printable);
    enable("登记病人", true);
    enable("修改病人信息", page_.has_value());
    enable("无病案收费单", true);
    enable("无病案标准收费", true);
    enable("修改单据", dayRow && dayRow->walkIn && dayRow->kind != u"处方"_s);
    enable("预付费交款", page_ && page_->account > 0);
    enable("交班", true);
    for (const char* a : {"今日收费", "日结", "统计报表", "统计项目设置", "明细统计内容设置", "退票设置", "刷新"}) enable(a, true);
    // The clinic's settings are for managers, checked by their password at sign-in.
    for (const char* a : {"收款员设置", "医生和科室", "收费标准", "药品和库存", "消费券/卡", "折扣和会员设置", "折扣和积分表"}) enable(a, manager_);
}

void DeskWindow::fillInitialsInBackground()
{
    try {
        if (connected_ && desk::fillMissingInitials(link_->lookups(), initialsBatch) > 0) return;
    } catch (const db::Error& e) {
        developer_->appendPlainText(u"拼音码未能补全：%1"_s.arg(e.message()));
    }
    initials_->stop(); // all filled (or the database refused): nothing more to do this session
}
