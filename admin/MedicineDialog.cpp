#include "admin/MedicineDialog.h"
#include "admin/ChangeRun.h"
#include "common/Money.h"
#include "rx/StockLevels.h"
#include "app/DialogKeys.h"
#include "ui_MedicineDialog.h"

using namespace Qt::StringLiterals;

namespace
{

constexpr int kNearDays = 90;

void fill(QTableWidget* table, const QList<QStringList>& rows)
{
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int col = 0; col < rows[r].size(); ++col)
            table->setItem(r, col, new QTableWidgetItem(rows[r][col]));
}

QString quantityText(double q)
{
    return QString::number(q, 'g', 10);
}

} // namespace

MedicineDialog::MedicineDialog(db::ConnectionPtr connection, const QString& cashier, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::MedicineDialog>()), connection_(std::move(connection)),
      cashier_(cashier)
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    ui_->expiresEdit->setDisplayFormat(u"yyyy-MM-dd"_s);
    ui_->expiresEdit->setCalendarPopup(true);
    ui_->expiresEdit->setDate(QDate::currentDate().addYears(1));
    db::Connection& c = *connection_;
    const auto run = [this](const std::function<medicines::Outcome()>& change, const QString& done) {
        admin::runChange(ui_->note, change, done, [this] { reload(); });
    };
    connect(ui_->addButton, &QPushButton::clicked, this,
            [=, this, &c] { run([&] { return medicines::add(c, fields()); }, u"已新增药品。"_s); });
    connect(ui_->editButton, &QPushButton::clicked, this, [=, this, &c] {
        if (auto m = selected())
            run([&] { return medicines::edit(c, *m, fields()); }, u"已修改。"_s);
    });
    connect(ui_->removeButton, &QPushButton::clicked, this, [=, this, &c] {
        if (auto m = selected())
            run([&] { return medicines::remove(c, *m); }, u"已删除。"_s);
    });
    connect(ui_->intakeButton, &QPushButton::clicked, this, [=, this, &c] {
        const int i = ui_->medicineEdit->currentIndex();
        const medicines::Intake intake{i >= 0 && i < medicines_.size() ? medicines_[i].id : 0,
                                       ui_->lotEdit->text(),
                                       ui_->quantityEdit->text(),
                                       ui_->expiresEdit->date(),
                                       ui_->intakePriceEdit->text(),
                                       cashier_,
                                       ui_->remarkEdit->text()};
        run(
            [&] {
                medicines::Outcome o = medicines::receive(c, intake, c.serverTime());
                if (o.ok) {
                    o.message = u"已入库，批次 %1。"_s.arg(o.id);
                    ui_->quantityEdit->clear();
                }
                return o;
            },
            QString());
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->medicineTable, &QTableWidget::itemSelectionChanged, this, [this] {
        const int r = ui_->medicineTable->currentRow();
        if (r < 0 || r >= medicines_.size())
            return;
        showMedicine(medicines_[r].input());
        ui_->medicineEdit->setCurrentIndex(r);
    });
    run([] { return medicines::Outcome{true, QString(), 0}; }, QString());
}

MedicineDialog::~MedicineDialog() = default;

void MedicineDialog::reload()
{
    db::Connection& c = *connection_;
    const QDateTime now = c.serverTime();
    medicines_ = medicines::list(c);
    const QHash<QString, double> held = rx::GoodStock(c, now);
    QList<QStringList> rows;
    const int chosen = ui_->medicineEdit->currentIndex();
    ui_->medicineEdit->clear();
    for (const medicines::Medicine& m : medicines_) {
        rows.append({m.category, m.name, m.spec, m.unit, money::format2(m.price),
                     quantityText(held.value(rx::medicineKey(m.name, m.spec)))});
        ui_->medicineEdit->addItem(u"%1 %2"_s.arg(m.name, m.spec).trimmed());
    }
    ui_->medicineEdit->setCurrentIndex(chosen < medicines_.size() ? chosen : -1);
    fill(ui_->medicineTable, rows);
    rows.clear();
    for (const rx::Batch& b : rx::BatchesNearExpiry(c, now, kNearDays))
        rows.append({QString::number(b.number), b.name, b.spec, b.lot, quantityText(b.quantity),
                     b.expires.date().toString(u"yyyy-MM-dd"_s)});
    fill(ui_->nearTable, rows);
}

std::optional<medicines::Medicine> MedicineDialog::selected()
{
    const int r = ui_->medicineTable->currentRow();
    if (r >= 0 && r < medicines_.size())
        return medicines_[r];
    ui_->note->setText(u"请先在药品目录中选择药品。"_s);
    return std::nullopt;
}

medicines::MedicineInput MedicineDialog::fields() const
{
    return {ui_->categoryEdit->text(),   ui_->nameEdit->text(),     ui_->specEdit->text(), ui_->unitEdit->text(),
            ui_->priceEdit->text(),      ui_->usageEdit->text(),    ui_->doseEdit->text(), ui_->dailyEdit->text(),
            ui_->indicationEdit->text(), ui_->insuranceEdit->text()};
}

void MedicineDialog::showMedicine(const medicines::MedicineInput& m)
{
    ui_->categoryEdit->setText(m.category);
    ui_->nameEdit->setText(m.name);
    ui_->specEdit->setText(m.spec);
    ui_->unitEdit->setText(m.unit);
    ui_->priceEdit->setText(m.price);
    ui_->usageEdit->setText(m.usage);
    ui_->doseEdit->setText(m.dose);
    ui_->dailyEdit->setText(m.daily);
    ui_->indicationEdit->setText(m.indication);
    ui_->insuranceEdit->setText(m.insurance);
}
