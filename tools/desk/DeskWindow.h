#pragma once
#include "print/ReceiptPageReader.h"
#include "tools/desk/DayList.h"
#include "tools/desk/Link.h"
#include "tools/desk/PatientPage.h"
#include "tools/desk/PatientSearch.h"
#include <QMainWindow>
#include <QMap>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class QTimer;

// The front desk: the window a clinic's cashier works in all day. The cashier signs in, finds
// the patient as they type, sees the patient's page (identity, prepaid balance, member grade,
// arrears, receipts) and opens the module's dialogs by their Chinese names, exactly as any host
// program calls the exports; today's receipts and walk-in sheets are one tab away. After each
// dialog the desk says in a sentence what happened and reads the lists again.
class DeskWindow : public QMainWindow {
    Q_OBJECT
public:
    // Opens url for the exports and for the desk's own look-ups; throws db::Error when it cannot.
    explicit DeskWindow(const QString& url, QWidget* parent = nullptr);
    ~DeskWindow() override;

    void signIn(const QString& cashier);
    // The sign-in button: the chosen cashier's password is checked first (a new clinic's first
    // sign-in makes its first manager).
    void signInChecked();
    bool signedInAsManager() const { return manager_; }
    const QString& cashier() const { return cashier_; }
    // Shows the page of a case; false when the case does not exist.
    bool openPatient(qint64 caseNumber);
    void searchNow();
    // Asks the database whether it is still there; reconnects when it was lost and is back.
    // Returns whether the desk is connected afterwards.
    bool checkConnection();
    bool connected() const { return connected_; }
    QAction* action(const QString& text) const;
    const QString& lastOutcome() const { return lastOutcome_; }
    desk::Link& link() { return *link_; }

private:
    void buildMenusAndActions();
    QWidget* buildSignInPage();
    QWidget* buildWorkPage();
    QWidget* buildPatientTab();
    QWidget* buildDayTab();
    void buildStatusBar();

    void reloadCashiers();
    // chosen: the receipt to keep chosen (by ID); none: the first unpaid one.
    void showPatient(std::optional<qint64> chosen = std::nullopt);
    void refreshDay();
    void refreshAll();
    void updateActions();
    void fillInitialsInBackground();

    std::optional<desk::ReceiptRow> selectedReceipt() const;
    std::optional<desk::DayRow> selectedDayRow() const;
    // The document selected in the list shown (settled tells whether it was paid).
    std::optional<print::DocumentRef> selectedDocument(bool* settled = nullptr) const;
    QMap<QString, QString> context() const;
    // Calls one dialog export with the current context plus `values`; fills `out` with its
    // out-parameters. Returns false, opening nothing, when the connection is dead.
    bool call(const QString& exportName, const QMap<QString, QString>& values, int* result,
              QMap<QString, QString>* out = nullptr);
    void tell(const QString& sentence);
    void markLost(const QString& reason);

    // The actions, each opening one dialog export.
    void newReceipt(const QString& exportName, const QString& what);
    void editReceipt();
    void settle(bool again);
    void viewReceipt();
    void walkIn(const QString& exportName, qint64 sheetId);
    void correctWalkIn();
    // The document's receipt page in the print preview (a reprint says so on the page);
    // returns the sentence for the cashier.
    QString printDocument(const print::DocumentRef& doc, bool reprint);
    void runReport(const QString& exportName, const QMap<QString, QString>& values, const QString& title);
    // The cash drawer: money into the patient's prepaid account, and the shift hand-over.
    void topUp();
    void handOver();

    std::unique_ptr<desk::Link> link_;
    QString cashier_;
    QString clinicName_;
    bool connected_ = true;
    QString lastOutcome_;
    std::optional<desk::PatientPage> page_;
    double balance_ = 0;
    desk::DayList day_;

    QMap<QString, QAction*> actions_;
    QStackedWidget* stack_ = nullptr;
    QComboBox* cashierList_ = nullptr;
    QLabel* signInNote_ = nullptr;
    QLineEdit* password_ = nullptr;
    bool firstStart_ = false;
    bool manager_ = false;
    QLabel* banner_ = nullptr; // the clinic's name over the work page
    QLineEdit* search_ = nullptr;
    QTableWidget* hits_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QMap<QString, QLabel*> fields_; // patient page values by label
    QComboBox* doctor_ = nullptr;
    QTableWidget* receipts_ = nullptr;
    QTableWidget* dayTable_ = nullptr;
    QLabel* dayTotals_ = nullptr;
    QLabel* outcome_ = nullptr;
    QPlainTextEdit* developer_ = nullptr;
    QLabel* statusDb_ = nullptr;
    QLabel* statusCashier_ = nullptr;
    QLabel* statusLink_ = nullptr;
    QTimer* searchDelay_ = nullptr;
    QTimer* watch_ = nullptr;
    QTimer* initials_ = nullptr;
    QList<desk::PatientHit> hitRows_;
};
