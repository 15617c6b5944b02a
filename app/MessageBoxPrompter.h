#pragma once
#include "common/Prompter.h"

namespace app {

// Messages for people: Qt message boxes over the dialog on top, with the Chinese buttons.
class MessageBoxPrompter : public Prompter {
public:
    void inform(const QString& text) override;
    bool ask(const QString& text, Buttons buttons) override;
};

} // namespace app
