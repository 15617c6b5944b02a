#include "admin/CashierDialog.h"
#include "app/DialogKeys.h"
#include "ui_CashierDialog.h"

using namespace Qt::StringLiterals;

CashierDialog::CashierDialog(db::ConnectionPtr connection, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CashierDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    auto guarded = [this](auto work) {
        try {
            work();
        } catch (const db::Error& e) {
            ui_->note->setText(e.message());
        }
    };
    connect(ui_->addButton, &QPushButton::clicked, this, [=, this] {
        guarded([this] {
            report(cashiers::add(*connection_, ui_->nameEdit->text(), ui_->passwordEdit->text(), ui_->managerCheck->isChecked()),
                 u"已新增收款员“%1”。"_s.arg(ui_->nameEdit->text().trimmed()));
        });
    });
    connect(ui_->renameButton, &QPushButton::clicked, this, [=, this] {
        guarded([this] {
            if (auto c = selected()) report(cashiers::rename(*connection_, *c, ui_->nameEdit->text()), u"已改名。"_s);
        });
    });
    connect(ui_->passwordButton, &QPushButton::clicked, this, [=, this] {
        guarded([this] {
            if (auto c = selected()) report(cashiers::setPassword(*connection_, *c, ui_->passwordEdit->text()), u"密码已设置。"_s);
        });
    });
    connect(ui_->managerButton, &QPushButton::clicked, this, [=, this] {
        guarded([this] {
            if (auto c = selected()) report(cashiers::setManager(*connection_, *c, true), u"已设为管理员。"_s);
        });
    });
    connect(ui_->demoteButton, &QPushButton::clicked, this, [=, this] {
        guarded([this] {
            if (auto c = selected()) report(cashiers::setManager(*connection_, *c, false), u"已取消管理员。"_s);
        });
    });
    connect(ui_->retireButton, &QPushButton::clicked, this, [=, this] {
        guarded([this] {
            if (auto c = selected()) report(cashiers::retire(*connection_, *c), u"已停用。"_s);
        });
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->table, &QTableWidget::itemSelectionChanged, this, [this] {
        const int r = ui_->table->currentRow();
        if (r >= 0 && r < rows_.size()) ui_->nameEdit->setText(rows_[r].name);
    });
    guarded([this] { reload(); });
}

CashierDialog::~CashierDialog() = default;

void CashierDialog::reload()
{
    rows_ = cashiers::list(*connection_);
    ui_->table->setRowCount(int(rows_.size()));
    for (int r = 0; r < rows_.size(); ++r) {
        const auto& c = rows_[r];
        const QStringList cells{c.name, c.manager ? u"是"_s : QString(), c.retired ? u"停用"_s : QString(),
                                c.hasPassword ? u"已设"_s : u"未设"_s};
        for (int col = 0; col < cells.size(); ++col) ui_->table->setItem(r, col, new QTableWidgetItem(cells[col]));
    }
}

std::optional<cashiers::Cashier> CashierDialog::selected()
{
    const int r = ui_->table->currentRow();
    if (r < 0 || r >= rows_.size()) {
        ui_->note->setText(u"请先在名单中选择收款员。"_s);
        return std::nullopt;
    }
    return rows_[r];
}

void CashierDialog::report(const cashiers::Outcome& o, const QString& done)
{
    ui_->note->setText(o.ok ? done : o.message);
    if (o.ok) ui_->passwordEdit->clear();
    // After a refusal too: what another desk changed is what the manager must see now.
    const int keep = ui_->table->currentRow();
    reload();
    if (keep >= 0 && keep < ui_->table->rowCount()) ui_->table->selectRow(keep);
}
