#pragma once
#include "app/Dialog.h"
#include "walkin/WalkinStandardFeeForm.h"
#include <memory>

class StandardItemEntryFields;
class TenderedBox;
namespace Ui {
class WalkinStandardFeeDialog;
}

// Dialog 3007 "无病案标准收费": a walk-in patient pays for catalogue items at once. The widgets
// carry the fields; WalkinStandardFeeForm decides.
class WalkinStandardFeeDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit WalkinStandardFeeDialog(const walkin::WalkinStandardFeeForm::Inputs& inputs, QWidget* parent = nullptr);
    ~WalkinStandardFeeDialog() override;

    qint64 sheetId() const;
    QString lastFailure() const;

protected:
    void initDialog() override;

private:
    bool takeFields();
    void showFields();
    void settle();

    std::unique_ptr<Ui::WalkinStandardFeeDialog> ui_;
    walkin::WalkinStandardFeeForm::Inputs inputs_;
    std::unique_ptr<walkin::WalkinStandardFeeForm> form_;
    StandardItemEntryFields* entry_ = nullptr;
    TenderedBox* tendered_ = nullptr;
    bool showing_ = false;
};
