#pragma once
#include "admin/PatientRegister.h"
#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class PatientDialog;
}

// "病人登记": a new patient (no case number given) or the correction of a registered one.
// patients:: checks and writes; a refusal is shown in 提示 and the dialog stays open.
class PatientDialog : public QDialog {
    Q_OBJECT
public:
    PatientDialog(db::ConnectionPtr connection, qint64 caseNumber, QWidget* parent = nullptr);
    ~PatientDialog() override;

    // The case number saved (the new one for a registration), 0 before a save.
    qint64 savedCase() const { return saved_; }

private:
    void save();

    std::unique_ptr<Ui::PatientDialog> ui_;
    db::ConnectionPtr connection_;
    std::optional<patients::Patient> loaded_;
    qint64 saved_ = 0;
};
