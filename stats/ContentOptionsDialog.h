#pragma once
#include "app/Dialog.h"
#include "stats/StatsSettings.h"
#include <memory>

namespace Ui {
class ContentOptionsDialog;
}

// "统计内容设置": how one chosen item is counted by a kind of detailed statistics.
class ContentOptionsDialog : public app::Dialog {
    Q_OBJECT
public:
    ContentOptionsDialog(int kind, const QString& first, const QString& second, QWidget* parent = nullptr);
    ~ContentOptionsDialog() override;

    stats::ContentOptions options() const;

private:
    void chosen();

    std::unique_ptr<Ui::ContentOptionsDialog> ui_;
    QString first_;
    QString second_;
};
