#pragma once
#include "admin/CashierRegister.h"
#include <QString>
#include <functional>

class QLabel;

namespace admin
{

// What every master-data dialog does with one change: run it, show its outcome in 提示 (the
// refusal, the engine's own note, or `done`), then reload its lists, after a refusal too: what
// another desk changed is what the manager must see now. A database failure is shown the same
// way and nothing is reloaded from a connection that just failed.
void runChange(QLabel* note, const std::function<cashiers::Outcome()>& change, const QString& done,
               const std::function<void()>& reload);

} // namespace admin
