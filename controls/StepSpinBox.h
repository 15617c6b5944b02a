#pragma once
#include <QDoubleSpinBox>
#include <functional>

// A number field whose arrows are handled by the dialog's form (the quantity that never goes
// below 1, the rate that moves by 0.01) instead of the spin box's own arithmetic. Typing
// still edits the value freely.
class StepSpinBox : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;
    std::function<void(int steps)> onStep; // up is +1

    void stepBy(int steps) override
    {
        if (onStep) onStep(steps);
        else QDoubleSpinBox::stepBy(steps);
    }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};
