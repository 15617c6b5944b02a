#pragma once
#include "app/Dialog.h"
#include "rx/Stock.h"
#include <memory>

namespace Ui {
class StockCheckDialog;
}

// Dialog 3049 "药品库存检查": the new lines of a prescription that the good batches cannot
// cover. It only informs; the save that found them is already undone.
class StockCheckDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit StockCheckDialog(const QList<rx::ShortLine>& lines, QWidget* parent = nullptr);
    ~StockCheckDialog() override;

    // The list's texts: 药品名称, 规格, 出库数量, 现有数量, 备注.
    static QStringList rowOf(const rx::ShortLine& line);

private:
    std::unique_ptr<Ui::StockCheckDialog> ui_;
};
