// Exports of prepayment and membership: GetPrePayTotalMoney, GetPrePayInfo1, VipGradeSet. No
// dialog: thin calls into the engine, whose messages go through the call's Prompter.
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "common/Prompter.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayCheck.h"
#include "prepay/VipGrade.h"

extern "C" {

int32_t GetPrePayTotalMoney(CalvaneConnection* conn, int32_t account, double* balance)
{
    // The host always reads a number: 0 when the call cannot run or nothing can be read, never
    // the value an earlier call left there.
    app::write(balance, 0.0);
    return app::runDataExport("GetPrePayTotalMoney", conn, [&](db::Connection& c, QString& failure) -> int32_t {
        // The engine counts what it cannot read as 0 and carries on; the host still learns why.
        app::write(balance, prepay::GetPrePayTotalMoney(c, account, &failure));
        return 0;
    });
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
            // From here every way out writes the flag and the account: the host acts on them, and
            // answering "go ahead" for an account nobody checked would spend money that is not there.
            qint32 found = 0;
            int32_t result = 1;
            try {
                if (!conn || !conn->connection) throw std::runtime_error("no database connection");
                QString failure;
                result = prepay::GetPrePayInfo1(*conn->connection, resettle, use, app::text(patient_code), found,
                                                pay_sheet, &failure);
                app::setLastError("GetPrePayInfo1", failure);
            } catch (const std::exception& e) {
                app::setLastError("GetPrePayInfo1", QString::fromUtf8(e.what()));
                use = 0;
                found = 0;
                result = 1;
            }
            app::write(use_prepay, use);
            app::write(account, found);
            return result;
        },
        {.needsConnection = false, .ui = app::Ui::Messages, .refused = 1});
}

int32_t VipGradeSet(CalvaneConnection* conn, const char* member_code, const char* patient, double points,
                    int16_t auto_flag, const char* operator_name, double date, int32_t account, const char* note,
                    int32_t receipt_id)
{
    return app::runDataExport(
        "VipGradeSet", conn,
        [&](db::Connection& c, QString& failure) -> int32_t {
            QString memberCode, patientName, operatorName, noteText;
            QDateTime when;
            try {
                when = app::date(date);
                memberCode = app::text(member_code);
                patientName = app::text(patient);
                operatorName = app::text(operator_name);
                noteText = app::text(note);
            } catch (const app::InvalidParameter& e) {
                // Nothing is booked: the cashier must hear so, as for any booking that fails.
                failure = QString::fromUtf8(e.what());
                Prompter::current().inform(prepay::kPointsNotBooked);
                return 0;
            }
            prepay::VipGradeSet(c, memberCode, patientName, points, auto_flag, operatorName, when, account, noteText,
                                receipt_id, &failure);
            return 0;
        },
        {.ui = app::Ui::Messages});
}

} // extern "C"
