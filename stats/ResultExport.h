#pragma once
#include "print/PageRoutine.h"
#include "stats/StatLines.h"
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// What the statistics dialogs do beside printing: save the result as CSV or PDF, and show the
// progress of a long report with a way to stop it.
namespace stats {

// Where a file goes. People get a file dialog; tests install their own chooser.
class SaveChooser {
public:
    virtual ~SaveChooser() = default;
    // Empty when the user cancels.
    virtual QString chooseFile(QWidget* parent, const QString& suggestion, const QString& filter);

    static SaveChooser& current();
    class Scope {
    public:
        explicit Scope(SaveChooser* chooser);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        SaveChooser* previous_;
    };
};

// Under an automation script nobody can work a file dialog: the files go where the script's
// print_to says (the PDF there, the CSV beside it with the suffix ".csv"), or nowhere.
QString scriptedTarget(const QString& suffix);

// Saves the lines as CSV; a failure is told through the Prompter. True when written.
bool saveCsv(QWidget* owner, const QStringList& lines, const QString& suggestion);
// Saves the page as PDF; a failure is told through the Prompter. True when written.
bool savePdf(QWidget* owner, const print::PageRoutine& routine, void* context, const QString& suggestion);

// Runs work, which reports its progress through the callback it is given; a progress window
// with a cancel button shows when `show` is set and the work takes a moment. False when the
// user cancelled (work threw Cancelled).
bool withProgress(QWidget* owner, bool show, const std::function<void(const Progress&)>& work);

} // namespace stats
