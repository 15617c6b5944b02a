#include "stats/DetailContentsDialog.h"
#include "stats/ContentOptionsDialog.h"
#include "stats/StatsSettings.h"
#include "ui_DetailContentsDialog.h"

using namespace Qt::StringLiterals;

DetailContentsDialog::DetailContentsDialog(int kind, QWidget* parent)
    : app::Dialog(3021, u"明细统计内容设置"_s, parent), ui_(std::make_unique<Ui::DetailContentsDialog>()),
      kind_(kind >= 0 && kind < stats::ContentKinds ? kind : 0)
{
    ui_->setupUi(this);
    ui_->kindCombo->addItems(stats::contentKindNames());
    // The item list's two columns start at the left edges of the two fields under it.
    ui_->itemList->setTabStop(0, 2);
    ui_->itemList->setTabStop(1, 160);
    connect(ui_->kindCombo, &QComboBox::activated, this, &DetailContentsDialog::kindChosen);
    connect(ui_->itemList, &CDBListBox::lineChosen, this, &DetailContentsDialog::itemChosen);
    connect(ui_->contentList, &QListWidget::itemClicked, this, &DetailContentsDialog::contentChosen);
    connect(ui_->contentList, &QListWidget::currentRowChanged, this, &DetailContentsDialog::contentChosen);
    connect(ui_->addButton, &QPushButton::clicked, this, &DetailContentsDialog::add);
    connect(ui_->deleteButton, &QPushButton::clicked, this, &DetailContentsDialog::remove);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

DetailContentsDialog::~DetailContentsDialog() = default;

void DetailContentsDialog::initDialog() { kindChosen(kind_); }

void DetailContentsDialog::kindChosen(int kind)
{
    kind_ = kind;
    ui_->kindCombo->setCurrentIndex(kind);
    ui_->firstEdit->clear();
    ui_->secondEdit->clear();
    ui_->addButton->setEnabled(false);
    ui_->itemList->resetContent();
    if (!connectionPtr()) return;
    if (!guarded([&] { ui_->itemList->setLines(stats::itemLinesOfKind(connection(), kind)); }))
        inform(u"发生错误!"_s);
    loadContents();
}

void DetailContentsDialog::loadContents()
{
    ui_->contentList->clear();
    QStringList contents;
    if (!guarded([&] { contents = stats::LoadContents(connection(), kind_); })) inform(u"发生错误!"_s);
    ui_->contentList->addItems(contents);
}

void DetailContentsDialog::itemChosen(int row)
{
    const QStringList cols = ui_->itemList->columns(row);
    ui_->firstEdit->setText(cols.value(0));
    ui_->secondEdit->setText(cols.value(1));
    ui_->addButton->setEnabled(row >= 0);
}

void DetailContentsDialog::contentChosen()
{
    const QListWidgetItem* item = ui_->contentList->currentItem();
    if (!item) return;
    std::optional<stats::ContentOptions> o;
    if (!guarded([&] { o = stats::LoadContent(connection(), kind_, item->text()); }) || !o) return;
    (o->itemType == 0 ? ui_->byCategoryRadio : ui_->byItemRadio)->setChecked(true);
    ui_->personCheck->setChecked(o->staticPersonNum == 1);
    ui_->moneyCheck->setChecked(o->staticMoney == 1);
}

void DetailContentsDialog::add()
{
    const QString first = ui_->firstEdit->text(), second = ui_->secondEdit->text();
    stats::ContentOptions options = stats::defaultOptions(kind_);
    if (!stats::addsWithoutOptions(kind_)) {
        ContentOptionsDialog d(kind_, first, second, this);
        d.setConnection(connectionPtr());
        if (d.runModal() != app::IDOK) return;
        options = d.options();
    }
    const QString item = stats::storedItem(options, first, second);
    bool added = false;
    if (!guarded([&] { added = stats::AddContent(connection(), kind_, item, options); })) {
        inform(u"发生错误!"_s);
        return;
    }
    if (!added) {
        inform(u"该项统计内容已经存在!"_s);
        return;
    }
    ui_->contentList->addItem(item);
}

void DetailContentsDialog::remove()
{
    const QListWidgetItem* item = ui_->contentList->currentItem();
    if (!item) return;
    if (!ask(u"确定删除该项统计内容吗?"_s)) return;
    int removed = 0;
    if (!guarded([&] { removed = stats::DeleteContent(connection(), kind_, item->text()); }) || removed == 0)
        inform(u"删除不成功!"_s);
    loadContents();
}
