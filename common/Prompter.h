#pragma once
#include <QString>

// Every message box and confirmation of the module goes through a Prompter, with the exact
// texts: people get real message boxes, automation scripts and tests get scripted answers.
// Engine code asks the current prompter; the module frame installs the right one per call.
class Prompter {
public:
    enum class Buttons { YesNo, OkCancel };
    virtual ~Prompter() = default;
    // An information box with one OK button.
    virtual void inform(const QString& text) = 0;
    // A question; true for the positive answer (是 or 确定).
    virtual bool ask(const QString& text, Buttons buttons = Buttons::YesNo) = 0;

    // The prompter in force; with none installed, messages go to the log and questions get
    // the negative answer, so nothing is ever confirmed silently.
    static Prompter& current();
    // Installs p for as long as the returned guard lives (nullptr: back to the default).
    class Scope {
    public:
        explicit Scope(Prompter* p);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Prompter* previous_;
    };
};
