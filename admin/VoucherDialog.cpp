#include "admin/VoucherDialog.h"
#include "admin/ChangeRun.h"
#include "common/Money.h"
#include "app/DialogKeys.h"
#include "ui_VoucherDialog.h"

using namespace Qt::StringLiterals;

namespace
{

QString kindName(int kind)
{
    return kind == vouchers::MoneyCard ? u"IC消费卡"_s : u"消费券"_s;
}

void setRow(QTableWidget* table, int row, const QStringList& cells)
{
    for (int col = 0; col < cells.size(); ++col)
        table->setItem(row, col, new QTableWidgetItem(cells[col]));
}

} // namespace

VoucherDialog::VoucherDialog(db::ConnectionPtr connection, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::VoucherDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    ui_->kindEdit->addItems({kindName(vouchers::Voucher), kindName(vouchers::MoneyCard)});
    ui_->passwordEdit->setEchoMode(QLineEdit::Password);
    ui_->expiryEdit->setDate(QDate::currentDate().addYears(1));
    db::Connection& c = *connection_;
    const auto run = [this](const std::function<vouchers::Outcome()>& change, const QString& done) {
        admin::runChange(ui_->note, change, done, [this] { reload(); });
    };
    connect(ui_->issueButton, &QPushButton::clicked, this, [=, this, &c] {
        const vouchers::Issue v{ui_->numberEdit->text(),
                                ui_->kindEdit->currentIndex() == 1 ? vouchers::MoneyCard : vouchers::Voucher,
                                ui_->valueEdit->text(),
                                ui_->passwordEdit->text(),
                                ui_->expiresCheck->isChecked(),
                                ui_->expiryEdit->date()};
        run([&] { return vouchers::issue(c, v, c.serverTime().date()); }, u"已发放“%1”。"_s.arg(v.number.trimmed()));
        ui_->passwordEdit->clear();
    });
    connect(ui_->findButton, &QPushButton::clicked, this, [this, &c] {
        admin::runChange(
            ui_->note,
            [&] {
                const auto found = vouchers::find(c, ui_->numberEdit->text());
                for (int r = 0; found && r < cards_.size(); ++r)
                    if (cards_[r].id == found->id)
                        ui_->cardTable->selectRow(r);
                return vouchers::Outcome{
                    bool(found),
                    found ? QString() : u"没有编号为“%1”的消费券/卡。"_s.arg(ui_->numberEdit->text().trimmed()), 0};
            },
            QString(), [] {});
    });
    connect(ui_->takeBackButton, &QPushButton::clicked, this, [=, this, &c] {
        if (auto card = selected())
            run([&] { return vouchers::takeBack(c, *card); }, u"已收回。"_s);
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->cardTable, &QTableWidget::itemSelectionChanged, this,
            [this] { showCard(ui_->cardTable->currentRow()); });
    run([] { return vouchers::Outcome{true, QString(), 0}; }, QString());
}

VoucherDialog::~VoucherDialog() = default;

void VoucherDialog::reload()
{
    const int keep = ui_->cardTable->currentRow();
    cards_ = vouchers::list(*connection_);
    ui_->cardTable->setRowCount(int(cards_.size()));
    for (int r = 0; r < cards_.size(); ++r) {
        const vouchers::Card& v = cards_[r];
        setRow(ui_->cardTable, r,
               {v.number, kindName(v.kind), money::format2(v.left),
                v.expires ? v.expiry.date().toString(u"yyyy-MM-dd"_s) : u"不限"_s, v.hasPassword ? u"有"_s : u"无"_s,
                vouchers::stateName(v.state)});
    }
    if (keep >= 0 && keep < cards_.size())
        ui_->cardTable->selectRow(keep);
    showCard(ui_->cardTable->currentRow());
}

void VoucherDialog::showCard(int row)
{
    ui_->historyTable->setRowCount(0);
    if (row < 0 || row >= cards_.size()) {
        ui_->balance->clear();
        return;
    }
    const vouchers::Card& v = cards_[row];
    ui_->numberEdit->setText(v.number);
    ui_->balance->setText(u"“%1”余额 %2 元，%3"_s.arg(v.number, money::format2(v.left), vouchers::stateName(v.state)));
    try {
        const QList<vouchers::Use> uses = vouchers::history(*connection_, v.id);
        ui_->historyTable->setRowCount(int(uses.size()));
        for (int r = 0; r < uses.size(); ++r)
            setRow(ui_->historyTable, r,
                   {uses[r].date.toString(u"yyyy-MM-dd HH:mm"_s), QString::number(uses[r].receipt),
                    QString::number(uses[r].caseNumber), money::format2(uses[r].amount), uses[r].cashier});
    } catch (const db::Error& e) {
        ui_->note->setText(e.message());
    }
}

std::optional<vouchers::Card> VoucherDialog::selected()
{
    const int r = ui_->cardTable->currentRow();
    if (r >= 0 && r < cards_.size())
        return cards_[r];
    ui_->note->setText(u"请先在列表中选择消费券/卡。"_s);
    return std::nullopt;
}
