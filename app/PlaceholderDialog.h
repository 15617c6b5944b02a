#pragma once
#include "app/Dialog.h"
#include <QMap>
#include <QVariant>

class QCheckBox;
class QFormLayout;
class QLineEdit;

namespace app {

// Stands in for a dialog whose own class has not been written yet: it carries the real
// dialog's title and resource number and what the export handed it, but it can never be
// confirmed. When it opens it says that the dialog is not available and ends as cancelled, so
// no host is ever told that a save or a settlement happened; the call's last error says why.
class PlaceholderDialog : public Dialog {
    Q_OBJECT
public:
    PlaceholderDialog(int resourceNumber, const QString& title);
    // The message shown when a stand-in opens.
    static QString notAvailableText(const QString& title);

    // A read-only field showing one input of the export.
    void addField(const QString& label, const QVariant& value);
    QVariant field(const QString& label) const;
    // What the real dialog would have changed (a stored receipt's identifier, a new state).
    void setField(const QString& label, const QVariant& value);
    // An option a person (or a script) may tick, such as the choice that leads to a follow-up dialog.
    void addOption(const QString& label, bool checked = false);
    bool option(const QString& label) const;
    // The real dialog reads these settings when it opens; so does its stand-in.
    void readsReceiptTitle() { readsReceiptTitle_ = true; }
    void readsFeeDiscout() { readsFeeDiscout_ = true; }
    QString receiptTitle() const { return receiptTitle_; }
    int feeDiscout() const { return feeDiscout_; }

protected:
    void initDialog() override;

private:
    QFormLayout* form_;
    QMap<QString, QVariant> values_;
    QMap<QString, QLineEdit*> edits_;
    QMap<QString, QCheckBox*> options_;
    bool readsReceiptTitle_ = false;
    bool readsFeeDiscout_ = false;
    QString receiptTitle_; // the built-in title: none
    int feeDiscout_ = -1;
};

} // namespace app
