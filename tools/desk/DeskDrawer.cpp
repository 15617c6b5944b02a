// The cash drawer at the desk: paying into a prepaid account and handing the shift over. Both
// are the desk's own dialogs on its look-up connection, not exports.
#include "app/Automation.h"
#include "app/MessageBoxPrompter.h"
#include "common/Money.h"
#include "prepay/PrePayDepositDialog.h"
#include "stats/ShiftHandOverDialog.h"
#include "tools/desk/DeskWindow.h"
#include <QTimer>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Runs a dialog of the desk's own as an export's runs: its messages in message boxes, or driven
// by the configured automation script like any call; and while the desk's timers rest, since
// the connection check and the initials filler share its connection.
void runBesideTimers(app::Dialog& dialog, QTimer* watch, QTimer* initials)
{
    const bool filling = initials->isActive();
    watch->stop();
    initials->stop();
    std::unique_ptr<app::Automation> automation;
    if (const QString script = app::Automation::configuredScript(); !script.isEmpty())
        automation = app::Automation::fromFile(script);
    app::MessageBoxPrompter boxes;
    std::optional<app::Automation::Scope> scripted;
    std::optional<Prompter::Scope> people;
    if (automation) scripted.emplace(*automation);
    else people.emplace(&boxes);
    dialog.runModal();
    if (automation) automation->finish();
    watch->start();
    if (filling) initials->start();
}

} // namespace

void DeskWindow::topUp()
{
    if (!page_ || page_->account <= 0 || !checkConnection()) return;
    PrePayDepositDialog dialog({page_->number, page_->name, cashier_, clinicName_}, this);
    dialog.setConnection(link_->lookupsShared());
    runBesideTimers(dialog, watch_, initials_);
    const QString name = page_->name;
    refreshAll(); // the patient page reads the new balance
    tell(dialog.deposits() > 0
             ? u"%1 预付费交款 %2 笔，余额 %3"_s.arg(name).arg(dialog.deposits()).arg(money::format2(balance_))
             : u"预付费交款已关闭，未交款"_s);
}

void DeskWindow::handOver()
{
    if (!checkConnection()) return;
    ShiftHandOverDialog dialog({cashier_, clinicName_, QDate::currentDate()}, this);
    dialog.setConnection(link_->lookupsShared());
    runBesideTimers(dialog, watch_, initials_);
    tell(u"交班已关闭"_s);
}
