// Exports of prepayment and membership: GetPrePayTotalMoney, GetPrePayInfo1, VipGradeSet. No
// dialog: thin calls into the engine, whose messages go through the call's Prompter.
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayCheck.h"
#include "prepay/VipGrade.h"

namespace
{

// The engine counts what it cannot read as 0 or "none" and carries on; the host still learns
// why.
void report(const char* name, const QString& failure)
{
    if (!failure.isEmpty())
        app::setLastError(QStringLiteral("%1: %2").arg(QLatin1String(name), failure));
}

} // namespace

extern "C" {

int32_t GetPrePayTotalMoney(CalvaneConnection* conn, int32_t account, double* balance)
{
    return app::runExport(
        "GetPrePayTotalMoney", conn,
        [&](app::ModuleCall&) -> int32_t {
            QString failure;
            app::write(balance, prepay::GetPrePayTotalMoney(*conn->connection, account, &failure));
            report("GetPrePayTotalMoney", failure);
            return 0;
        },
        {.ui = app::Ui::None});
}

int32_t GetPrePayInfo1(CalvaneConnection* conn, int32_t resettle, int32_t* use_prepay, const char* patient_code,
                       int32_t* account, double unused, int32_t pay_sheet)
{
    Q_UNUSED(unused);
    return app::runExport(
        "GetPrePayInfo1", conn,
        [&](app::ModuleCall&) -> int32_t {
            qint32 use = app::read(use_prepay);
            if (use != 1)
                return 0;
            qint32 found = 0;
            int32_t result = 1;
            if (conn && conn->connection) {
                QString failure;
                result = prepay::GetPrePayInfo1(*conn->connection, resettle, use, app::text(patient_code), found,
                                                pay_sheet, &failure);
                report("GetPrePayInfo1", failure);
            } else {
                // Answering 0 here would let the host take money from an account nobody checked.
                app::setLastError(QStringLiteral("GetPrePayInfo1: no database connection"));
                use = 0;
            }
            app::write(use_prepay, use);
            app::write(account, found);
            return result;
        },
        {.needsConnection = false, .ui = app::Ui::Messages});
}

int32_t VipGradeSet(CalvaneConnection* conn, const char* member_code, const char* patient, double points,
                    int16_t auto_flag, const char* operator_name, double date, int32_t account, const char* note,
                    int32_t receipt_id)
{
    return app::runExport(
        "VipGradeSet", conn,
        [&](app::ModuleCall&) -> int32_t {
            QString failure;
            prepay::VipGradeSet(*conn->connection, app::text(member_code), app::text(patient), points, auto_flag,
                                app::text(operator_name), app::date(date), account, app::text(note), receipt_id,
                                &failure);
            report("VipGradeSet", failure);
            return 0;
        },
        {.ui = app::Ui::Messages});
}

} // extern "C"
