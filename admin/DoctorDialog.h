#pragma once
#include "admin/DoctorList.h"
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class DoctorDialog;
}

// "医生和科室": the lists the fee dialogs offer. The widgets carry the fields; doctors:: checks
// and writes, and every refusal is shown in 提示.
class DoctorDialog : public QDialog {
    Q_OBJECT
public:
    explicit DoctorDialog(db::ConnectionPtr connection, QWidget* parent = nullptr);
    ~DoctorDialog() override;

private:
    void reload();
    std::optional<doctors::Doctor> selectedDoctor();
    std::optional<QString> selectedDepartment();
    doctors::Doctor fields() const;
    // Runs one change, shows its outcome (or the database's refusal) and reloads the lists.
    void run(const std::function<doctors::Outcome()>& change, const QString& done);

    std::unique_ptr<Ui::DoctorDialog> ui_;
    db::ConnectionPtr connection_;
    QList<doctors::Doctor> doctors_;
    QStringList departments_;
};
