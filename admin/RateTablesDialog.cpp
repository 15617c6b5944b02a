#include "admin/RateTablesDialog.h"
#include "admin/ChangeRun.h"
#include "app/DialogKeys.h"
#include "ui_RateTablesDialog.h"
#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>

using namespace Qt::StringLiterals;

RateTablesDialog::RateTablesDialog(db::ConnectionPtr connection, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::RateTablesDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    for (const ratetables::Table& t : ratetables::tables()) {
        auto* grid = new QTableWidget(0, int(t.columns.size()), ui_->tabs);
        grid->setAccessibleName(t.title);
        QStringList labels;
        for (const ratetables::Column& c : t.columns)
            labels << c.label;
        grid->setHorizontalHeaderLabels(labels);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        ui_->tabs->addTab(grid, t.title);
        grids_ << grid;
        loaded_ << ratetables::Loaded{};
    }
    connect(ui_->addButton, &QPushButton::clicked, this, [this] {
        QTableWidget* grid = grids_[ui_->tabs->currentIndex()];
        addRow(grid, {});
        grid->setCurrentCell(grid->rowCount() - 1, 0);
    });
    connect(ui_->removeButton, &QPushButton::clicked, this, [this] {
        QTableWidget* grid = grids_[ui_->tabs->currentIndex()];
        if (grid->currentRow() >= 0)
            grid->removeRow(grid->currentRow());
        else
            ui_->note->setText(u"请先选择要删除的行。"_s);
    });
    connect(ui_->saveButton, &QPushButton::clicked, this, [this] {
        const int page = ui_->tabs->currentIndex();
        // What another desk saved is shown at once; a refused entry stays to be corrected.
        bool fresh = true;
        admin::runChange(
            ui_->note,
            [&] {
                const ratetables::Outcome o = ratetables::save(*connection_, loaded_[page], rows(page));
                fresh = o.ok || o.message == ratetables::kChangedElsewhere;
                return o;
            },
            u"“%1”已保存。"_s.arg(ui_->tabs->tabText(page)),
            [&] {
                if (fresh)
                    reload(page);
            });
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    admin::runChange(
        ui_->note,
        [] {
            return ratetables::Outcome{true, QString(), 0};
        },
        QString(),
        [this] {
            for (int page = 0; page < grids_.size(); ++page)
                reload(page);
        });
}

RateTablesDialog::~RateTablesDialog() = default;

void RateTablesDialog::reload(int page)
{
    loaded_[page] = ratetables::load(*connection_, ratetables::TableId(page));
    grids_[page]->setRowCount(0);
    for (const ratetables::Row& row : loaded_[page].rows)
        addRow(grids_[page], row);
}

void RateTablesDialog::addRow(QTableWidget* grid, const ratetables::Row& row)
{
    const ratetables::Table& t = ratetables::tables()[grids_.indexOf(grid)];
    const int r = grid->rowCount();
    grid->insertRow(r);
    for (int i = 0; i < t.columns.size(); ++i) {
        const ratetables::Column& c = t.columns[i];
        if (c.kind == ratetables::Kind::Choice) {
            auto* box = new QComboBox(grid);
            box->setAccessibleName(c.label);
            box->addItems(c.choices);
            // A stored value the rule does not know is shown as it is, to be corrected.
            if (!row.isEmpty() && !c.choices.contains(row.value(i)))
                box->addItem(row.value(i));
            box->setCurrentText(row.isEmpty() ? c.choices.first() : row.value(i));
            grid->setCellWidget(r, i, box);
        } else {
            grid->setItem(r, i, new QTableWidgetItem(row.value(i)));
        }
    }
}

QList<ratetables::Row> RateTablesDialog::rows(int page) const
{
    const QTableWidget* grid = grids_[page];
    QList<ratetables::Row> all;
    for (int r = 0; r < grid->rowCount(); ++r) {
        ratetables::Row row;
        for (int i = 0; i < grid->columnCount(); ++i) {
            if (const auto* box = qobject_cast<const QComboBox*>(grid->cellWidget(r, i)))
                row << box->currentText();
            else
                row << (grid->item(r, i) ? grid->item(r, i)->text() : QString());
        }
        all << row;
    }
    return all;
}
