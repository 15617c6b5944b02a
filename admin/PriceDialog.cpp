#include "admin/PriceDialog.h"
#include "admin/ChangeRun.h"
#include "common/Money.h"
#include "receipt/FeeCategories.h"
#include "app/DialogKeys.h"
#include "ui_PriceDialog.h"

using namespace Qt::StringLiterals;

PriceDialog::PriceDialog(db::ConnectionPtr connection, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PriceDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    // One field per category, named by the label a clinic sees until it names it itself.
    for (const QString& label : receipt::defaultCategoryLabels()) {
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(label);
        ui_->names->addRow(label, edit);
        nameEdits_.append(edit);
    }
    db::Connection& c = *connection_;
    const auto run = [this](const std::function<prices::Outcome()>& change, const QString& done) {
        admin::runChange(ui_->note, change, done, [this] { reload(); });
    };
    connect(ui_->addButton, &QPushButton::clicked, this,
            [=, this, &c] { run([&] { return prices::add(c, fields()); }, u"已新增收费项目。"_s); });
    connect(ui_->editButton, &QPushButton::clicked, this, [=, this, &c] {
        if (auto i = selected())
            run([&] { return prices::edit(c, *i, fields()); }, u"已修改。"_s);
    });
    connect(ui_->retireButton, &QPushButton::clicked, this, [=, this, &c] {
        if (auto i = selected())
            run([&] { return prices::retire(c, *i); }, QString());
    });
    connect(ui_->restoreButton, &QPushButton::clicked, this, [=, this, &c] {
        if (auto i = selected())
            run([&] { return prices::restore(c, *i); }, u"已恢复。"_s);
    });
    connect(ui_->namesButton, &QPushButton::clicked, this, [=, this, &c] {
        prices::CategoryNames typed;
        for (size_t i = 0; i < typed.size(); ++i)
            typed[i] = nameEdits_[int(i)]->text();
        run([&] { return prices::renameCategories(c, names_, typed); }, u"类别名称已保存。"_s);
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->table, &QTableWidget::itemSelectionChanged, this, [this] {
        const int r = ui_->table->currentRow();
        if (r >= 0 && r < items_.size())
            showItem(items_[r].input());
    });
    run([] { return prices::Outcome{true, QString(), 0}; }, QString());
}

PriceDialog::~PriceDialog() = default;

void PriceDialog::reload()
{
    items_ = prices::list(*connection_);
    ui_->table->setRowCount(int(items_.size()));
    for (int r = 0; r < items_.size(); ++r) {
        const prices::Item& i = items_[r];
        const QStringList cells{i.office,
                                i.className,
                                i.name,
                                i.itemCode,
                                i.unit,
                                money::format2(i.price),
                                i.discountable ? u"打折"_s : u"不打折"_s,
                                money::format3(i.rate),
                                i.retired ? u"停用"_s : QString()};
        for (int col = 0; col < cells.size(); ++col)
            ui_->table->setItem(r, col, new QTableWidgetItem(cells[col]));
    }
    names_ = prices::categoryNames(*connection_);
    for (size_t i = 0; i < names_.size(); ++i)
        nameEdits_[int(i)]->setText(names_[i]);
}

std::optional<prices::Item> PriceDialog::selected()
{
    const int r = ui_->table->currentRow();
    if (r >= 0 && r < items_.size())
        return items_[r];
    ui_->note->setText(u"请先在列表中选择收费项目。"_s);
    return std::nullopt;
}

prices::ItemInput PriceDialog::fields() const
{
    return {ui_->officeEdit->text(), ui_->classNameEdit->text(), ui_->typeCodeEdit->text(),
            ui_->nameEdit->text(),   ui_->itemCodeEdit->text(),  ui_->unitEdit->text(),
            ui_->priceEdit->text(),  ui_->remarkEdit->text(),    ui_->discountCheck->isChecked(),
            ui_->rateEdit->text()};
}

void PriceDialog::showItem(const prices::ItemInput& i)
{
    ui_->officeEdit->setText(i.office);
    ui_->classNameEdit->setText(i.className);
    ui_->typeCodeEdit->setText(i.typeCode);
    ui_->nameEdit->setText(i.name);
    ui_->itemCodeEdit->setText(i.itemCode);
    ui_->unitEdit->setText(i.unit);
    ui_->priceEdit->setText(i.price);
    ui_->remarkEdit->setText(i.remark);
    ui_->discountCheck->setChecked(i.discountable);
    ui_->rateEdit->setText(i.rate);
}
