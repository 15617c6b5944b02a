#pragma once
#include "app/Dialog.h"
#include <memory>

namespace Ui {
class DetailContentsDialog;
}

// Dialog 3021 "明细统计内容设置": the items (or other contents) each kind of detailed
// statistics counts, added from the kind's item list and removed again.
class DetailContentsDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit DetailContentsDialog(int kind, QWidget* parent = nullptr);
    ~DetailContentsDialog() override;

protected:
    void initDialog() override;

private:
    void kindChosen(int kind);
    void itemChosen(int row);
    void contentChosen();
    void loadContents();
    void add();
    void remove();

    std::unique_ptr<Ui::DetailContentsDialog> ui_;
    int kind_;
};
