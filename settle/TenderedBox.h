#pragma once
#include <QWidget>

class QLineEdit;

// "收款" and "找零" under every cash checkout: the cashier types what the patient handed over
// and reads the change at once. The rule (settle::checkTendered) is the engine's; the checkout
// form gets the typed text and refuses a short amount before settling.
class TenderedBox : public QWidget {
    Q_OBJECT
public:
    explicit TenderedBox(QWidget* parent = nullptr);

    QString text() const;
    // The cash the settlement takes now, in fen; the change follows it.
    void setCashDue(qint64 fen);

private:
    void showChange();

    QLineEdit* tendered_ = nullptr;
    QLineEdit* change_ = nullptr;
    qint64 cashDue_ = 0;
};
