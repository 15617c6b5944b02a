#include "admin/PatientDialog.h"
#include "app/DialogKeys.h"
#include "ui_PatientDialog.h"

using namespace Qt::StringLiterals;

PatientDialog::PatientDialog(db::ConnectionPtr connection, qint64 caseNumber, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PatientDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    connect(ui_->saveButton, &QPushButton::clicked, this, &PatientDialog::save);
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    if (caseNumber == 0) {
        ui_->caseValue->setText(u"（保存时分配）"_s);
        return;
    }
    try {
        loaded_ = patients::load(*connection_, caseNumber);
    } catch (const db::Error& e) {
        ui_->note->setText(e.message());
    }
    if (!loaded_) {
        ui_->note->setText(u"找不到病历号 %1。"_s.arg(caseNumber));
        ui_->saveButton->setEnabled(false);
        return;
    }
    setWindowTitle(u"修改病人信息"_s);
    ui_->caseValue->setText(QString::number(loaded_->caseNumber));
    ui_->nameEdit->setText(loaded_->name);
    ui_->phoneEdit->setText(loaded_->phone);
    ui_->sexCombo->setCurrentText(loaded_->sex);
    ui_->ageEdit->setText(loaded_->age);
    ui_->birthEdit->setText(loaded_->birthDate);
}

PatientDialog::~PatientDialog() = default;

void PatientDialog::save()
{
    const patients::Patient entered{0, {}, ui_->nameEdit->text(), ui_->phoneEdit->text(), ui_->sexCombo->currentText(),
                                    ui_->ageEdit->text(), ui_->birthEdit->text()};
    try {
        const patients::Outcome o = loaded_ ? patients::correct(*connection_, *loaded_, entered)
                                            : patients::registerPatient(*connection_, entered);
        if (!o.ok) {
            ui_->note->setText(o.message);
            return;
        }
        saved_ = o.id;
        accept();
    } catch (const db::Error& e) {
        ui_->note->setText(e.message());
    }
}
