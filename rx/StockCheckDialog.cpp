#include "rx/StockCheckDialog.h"
#include "common/Money.h"
#include "ui_StockCheckDialog.h"

StockCheckDialog::StockCheckDialog(const QList<rx::ShortLine>& lines, QWidget* parent)
    : app::Dialog(3049, QStringLiteral("药品库存检查"), parent), ui_(std::make_unique<Ui::StockCheckDialog>())
{
    ui_->setupUi(this);
    CStripedListCtrl* list = ui_->shortList;
    const QList<QPair<QString, int>> columns{{QStringLiteral("药品名称"), 100}, {QStringLiteral("规格"), 100},
                                             {QStringLiteral("出库数量"), 100}, {QStringLiteral("现有数量"), 100},
                                             {QStringLiteral("备注"), 150}};
    for (const auto& [heading, width] : columns) list->insertColumn(list->columnCount(), heading, width);
    for (const rx::ShortLine& l : lines) {
        const QStringList texts = rowOf(l);
        const int row = list->insertItem(list->itemCount(), texts[0]);
        for (int i = 1; i < texts.size(); ++i) list->setItemText(row, i, texts[i]);
    }
    connect(ui_->okButton, &QPushButton::clicked, this, &app::Dialog::accept);
}

StockCheckDialog::~StockCheckDialog() = default;

QStringList StockCheckDialog::rowOf(const rx::ShortLine& l)
{
    return {l.name, l.spec, money::formatFixed(l.quantity, 1), l.onHand ? money::formatFixed(*l.onHand, 1) : QString(),
            l.onHand ? QString() : QStringLiteral("库存中不存在！")};
}
