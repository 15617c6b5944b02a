#include "admin/DoctorDialog.h"
#include "app/DialogKeys.h"
#include "ui_DoctorDialog.h"

using namespace Qt::StringLiterals;

DoctorDialog::DoctorDialog(db::ConnectionPtr connection, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::DoctorDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    db::Connection& c = *connection_;
    connect(ui_->addDoctorButton, &QPushButton::clicked, this,
            [this, &c] { run([&] { return doctors::add(c, fields()); }, u"已新增医生。"_s); });
    connect(ui_->editDoctorButton, &QPushButton::clicked, this, [this, &c] {
        if (auto d = selectedDoctor()) run([&] { return doctors::edit(c, *d, fields()); }, u"已修改。"_s);
    });
    connect(ui_->removeDoctorButton, &QPushButton::clicked, this, [this, &c] {
        if (auto d = selectedDoctor()) run([&] { return doctors::remove(c, *d); }, u"已删除。"_s);
    });
    connect(ui_->addDepartmentButton, &QPushButton::clicked, this, [this, &c] {
        run([&] { return doctors::addDepartment(c, ui_->departmentEdit->text()); }, u"已新增科室。"_s);
    });
    connect(ui_->renameDepartmentButton, &QPushButton::clicked, this, [this, &c] {
        if (auto d = selectedDepartment())
            run([&] { return doctors::renameDepartment(c, *d, ui_->departmentEdit->text()); }, u"已改名。"_s);
    });
    connect(ui_->removeDepartmentButton, &QPushButton::clicked, this, [this, &c] {
        if (auto d = selectedDepartment()) run([&] { return doctors::removeDepartment(c, *d); }, u"已删除。"_s);
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->doctorTable, &QTableWidget::itemSelectionChanged, this, [this] {
        const int r = ui_->doctorTable->currentRow();
        if (r < 0 || r >= doctors_.size()) return;
        ui_->nameEdit->setText(doctors_[r].name);
        ui_->numberEdit->setText(doctors_[r].number);
        ui_->departmentCombo->setCurrentText(doctors_[r].department);
    });
    connect(ui_->departmentList, &QListWidget::currentTextChanged, ui_->departmentEdit, &QLineEdit::setText);
    run([] { return doctors::Outcome{true, QString(), 0}; }, QString());
}

DoctorDialog::~DoctorDialog() = default;

void DoctorDialog::reload()
{
    doctors_ = doctors::list(*connection_);
    departments_ = doctors::departments(*connection_);
    ui_->doctorTable->setRowCount(int(doctors_.size()));
    for (int r = 0; r < doctors_.size(); ++r) {
        const QStringList cells{doctors_[r].name, doctors_[r].number, doctors_[r].department};
        for (int col = 0; col < cells.size(); ++col) ui_->doctorTable->setItem(r, col, new QTableWidgetItem(cells[col]));
    }
    ui_->departmentList->clear();
    ui_->departmentList->addItems(departments_);
    const QString chosen = ui_->departmentCombo->currentText();
    ui_->departmentCombo->clear();
    ui_->departmentCombo->addItem(QString()); // a doctor without a department
    ui_->departmentCombo->addItems(departments_);
    ui_->departmentCombo->setCurrentText(chosen);
}

std::optional<doctors::Doctor> DoctorDialog::selectedDoctor()
{
    const int r = ui_->doctorTable->currentRow();
    if (r >= 0 && r < doctors_.size()) return doctors_[r];
    ui_->note->setText(u"请先在医生名单中选择医生。"_s);
    return std::nullopt;
}

std::optional<QString> DoctorDialog::selectedDepartment()
{
    const int r = ui_->departmentList->currentRow();
    if (r >= 0 && r < departments_.size()) return departments_[r];
    ui_->note->setText(u"请先在科室名单中选择科室。"_s);
    return std::nullopt;
}

doctors::Doctor DoctorDialog::fields() const
{
    return {ui_->nameEdit->text(), ui_->numberEdit->text(), ui_->departmentCombo->currentText()};
}

void DoctorDialog::run(const std::function<doctors::Outcome()>& change, const QString& done)
{
    try {
        const doctors::Outcome o = change();
        ui_->note->setText(o.ok ? done : o.message);
        reload();
    } catch (const db::Error& e) {
        ui_->note->setText(e.message());
    }
}
