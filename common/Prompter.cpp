#include "common/Prompter.h"
#include <QDebug>

namespace {

class LogPrompter : public Prompter {
public:
    void inform(const QString& text) override { qWarning().noquote() << "calvane:" << text; }
    bool ask(const QString& text, Buttons) override
    {
        qWarning().noquote() << "calvane: (answered no)" << text;
        return false;
    }
};

LogPrompter logPrompter;
Prompter* installed = nullptr;

} // namespace

Prompter& Prompter::current() { return installed ? *installed : logPrompter; }

Prompter::Scope::Scope(Prompter* p) : previous_(installed) { installed = p; }
Prompter::Scope::~Scope() { installed = previous_; }
