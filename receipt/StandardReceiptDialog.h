#pragma once
#include "app/Dialog.h"
#include "receipt/StandardReceiptForm.h"
#include <functional>
#include <memory>
#include <optional>

class CatalogueSearchHelper;
namespace Ui {
class StandardReceiptDialog;
}

// Dialog 2012 "填写收据": a case-record patient's standard-item receipt, item by item from the
// fee standard catalogue. The widgets carry the fields; StandardReceiptForm decides.
class StandardReceiptDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit StandardReceiptDialog(const receipt::StandardReceiptForm::Inputs& inputs, QWidget* parent = nullptr);
    ~StandardReceiptDialog() override;

    qint64 receiptId() const;
    // Why the last submit failed to write (empty when none did).
    QString lastFailure() const;

    // Asks for the rate a superior approved ("允许折扣值"); nothing when cancelled. The
    // checkout's approved-rate dialog plugs in here.
    using ApprovedRateAsker = std::function<std::optional<double>(QWidget* parent)>;
    static void setApprovedRateAsker(ApprovedRateAsker asker);

protected:
    void initDialog() override;

private:
    bool takeFields();
    void showFields();
    void showList();
    void itemLoaded(const receipt::CatalogueItem& item);
    void treePicked(qint64 id);
    void typeChosen(int index);
    void submit();

    std::unique_ptr<Ui::StandardReceiptDialog> ui_;
    receipt::StandardReceiptForm::Inputs inputs_;
    std::unique_ptr<receipt::StandardReceiptForm> form_;
    CatalogueSearchHelper* search_ = nullptr;
    bool showing_ = false;
};
