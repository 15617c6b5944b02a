#pragma once
#include "common/Prompter.h"
#include <QList>
#include <QStringList>

// Answers questions from a list and records every text shown, for tests of engine logic.
// A question with no answer left gets "no" and is recorded with a marker, so a test that
// did not expect it fails on the transcript.
class ScriptedPrompter : public Prompter {
public:
    explicit ScriptedPrompter(QList<bool> answers = {}) : answers_(std::move(answers)), scope_(this) {}
    void inform(const QString& text) override { shown << text; }
    bool ask(const QString& text, Buttons) override
    {
        if (answers_.isEmpty()) {
            shown << QStringLiteral("(unexpected) ") + text;
            return false;
        }
        shown << text;
        return answers_.takeFirst();
    }
    bool allAnswered() const { return answers_.isEmpty(); }

    QStringList shown;

private:
    QList<bool> answers_;
    Prompter::Scope scope_;
};
