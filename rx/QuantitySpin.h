#pragma once
#include <QDoubleSpinBox>

// The quantity field of the prescription dialog: typed freely, while its arrows ask the form
// for a step (which keeps the quantity at 1 or more) instead of stepping on their own.
class QuantitySpin : public QDoubleSpinBox {
    Q_OBJECT
public:
    using QDoubleSpinBox::QDoubleSpinBox;
    void stepBy(int steps) override { emit stepRequested(steps); }

signals:
    void stepRequested(int steps);

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};
