#pragma once
#include "calvane/calvane.h"
#include "db/Connection.h"
#include <QMainWindow>
#include <QMap>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace calltable {
class Args;
}

// The front desk: stands in for the clinic's host program. A person picks a patient with a
// case record (or a walk-in), fills the call's context, and presses the button of a dialog
// export; the result and the out-parameters are shown, and identifiers that come back are
// kept for the next call (a new receipt's identifier goes on to its checkout).
class DeskWindow : public QMainWindow {
    Q_OBJECT
public:
    // Opens url for the host's connection; throws db::Error when it cannot.
    explicit DeskWindow(const QString& url, QWidget* parent = nullptr);
    ~DeskWindow() override;

    // Calls one export with the current context; returns the result line that is shown.
    QString callExport(const QString& name);
    void reloadPatients();

private:
    QMap<QString, QString> context() const;
    void takeBack(const calltable::Args& args);

    QString url_;
    CalvaneConnection* conn_ = nullptr;
    db::ConnectionPtr lookup_; // the desk's own reads (the patient list)
    QComboBox* patient_;
    QLineEdit* doctor_;
    QLineEdit* department_;
    QLineEdit* doctorNumber_;
    QLineEdit* nurse_;
    QLineEdit* cashier_;
    QLineEdit* payer_;
    QLineEdit* clinic_;
    QDateTimeEdit* date_;
    QSpinBox* receiptId_;
    QSpinBox* sheetId_;
    QSpinBox* state_;
    QSpinBox* choice_;
    QDoubleSpinBox* amount_;
    QCheckBox* printSwitch_;
    QCheckBox* dateLock_;
    QCheckBox* resettle_;
    QPlainTextEdit* results_;
};
