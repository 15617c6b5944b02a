#pragma once
#include <QString>

class QPrinter;
class QWidget;

namespace print {
class CMainFrame;

// The windows a print run asks the user through: the print dialog and the file chooser of
// "save as PDF". People get Qt's dialogs; tests install their own to drive a run offscreen
// and to be told when a preview shows.
class PrintUi {
public:
    virtual ~PrintUi() = default;
    // The print dialog for the job on printer (one page); false when the user cancels.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent);
    // Where to save the page as PDF; empty when the user cancels.
    virtual QString choosePdfFile(QWidget* parent, const QString& suggestion);
    // A preview window has shown page 1 and hidden its owner.
    virtual void previewShown(CMainFrame&) {}

    static PrintUi& current();
    // Installs ui for as long as the guard lives (nullptr: Qt's dialogs).
    class Scope {
    public:
        explicit Scope(PrintUi* ui);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        PrintUi* previous_;
    };
};

} // namespace print
