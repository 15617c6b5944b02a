#include "admin/ChangeRun.h"
#include <QLabel>

namespace admin
{

void runChange(QLabel* note, const std::function<cashiers::Outcome()>& change, const QString& done,
               const std::function<void()>& reload)
{
    try {
        const cashiers::Outcome o = change();
        note->setText(!o.ok || !o.message.isEmpty() ? o.message : done);
        reload();
    } catch (const db::Error& e) {
        note->setText(e.message());
    }
}

} // namespace admin
