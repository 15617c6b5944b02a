#pragma once
#include "admin/RateTables.h"
#include <QDialog>
#include <QList>
#include <memory>

class QTableWidget;

namespace Ui
{
class RateTablesDialog;
}

// "折扣和积分表": a page per look-up table of the discount and member rules, each a grid of
// rows to add to, change and remove, saved as a whole. ratetables:: checks and writes; a
// refusal goes to 提示 and leaves what was typed on screen to be corrected.
class RateTablesDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit RateTablesDialog(db::ConnectionPtr connection, QWidget* parent = nullptr);
    ~RateTablesDialog() override;

  private:
    void reload(int page);
    void addRow(QTableWidget* grid, const ratetables::Row& row);
    QList<ratetables::Row> rows(int page) const;

    std::unique_ptr<Ui::RateTablesDialog> ui_;
    db::ConnectionPtr connection_;
    QList<QTableWidget*> grids_;
    QList<ratetables::Loaded> loaded_;
};
