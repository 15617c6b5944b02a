/* Calvane: the fee and billing module of a dental outpatient clinic.
 * C interface for host programs. Texts are UTF-8 (NULL reads as ""), never kept after a call;
 * dates are OLE Automation dates (days since 1899-12-30, the fraction being the time of day).
 * Pointer parameters are read before the dialog runs ("in"), written after it ("out"), or
 * both; a NULL pointer reads as 0 and is never written. Parameters named unused_… keep the
 * place of values the module ignores.
 *
 * Every dialog export runs one modal dialog on the calling (user-interface) thread. When no
 * dialog can be shown at all (no display, no connection, another thread) the export changes
 * nothing, returns 0 and CalvaneLastError() says why. */
#ifndef CALVANE_CALVANE_H
#define CALVANE_CALVANE_H

#include <stdint.h>

#if defined(CALVANE_BUILDING_LIBRARY)
#define CALVANE_API __attribute__((visibility("default")))
#else
#define CALVANE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An open clinic database, counted: the host opens it, dialogs hold it while they run. */
typedef struct CalvaneConnection CalvaneConnection;

/* Opens "sqlite:PATH" or "postgresql://…". Returns 0 and sets *conn, or non-zero
 * (the reason from CalvaneLastError). */
CALVANE_API int32_t CalvaneConnect(const char* url, CalvaneConnection** conn);
/* Releases the host's reference. NULL is ignored. */
CALVANE_API void CalvaneDisconnect(CalvaneConnection* conn);
/* The text of the last failure on this thread, UTF-8; "" when there was none. */
CALVANE_API const char* CalvaneLastError(void);

/* Automation: the JSON script that drives the dialogs of the following calls instead of a
 * person (path UTF-8; NULL or "" goes back to $CALVANE_UI_SCRIPT, or to people). Returns
 * non-zero, changing nothing, when the script cannot be read. */
CALVANE_API int32_t CalvaneSetUiScript(const char* path);
/* Why the script of the last call stopped (a step that could not be done); "" when it ran
 * through or there was none. */
CALVANE_API const char* CalvaneUiScriptError(void);

/* Fee receipt (dialog 285 "收费收据"). Returns 1 when cancelled; otherwise writes the receipt
 * identifier back and returns 0. */
CALVANE_API int32_t ReceiptSet(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                               const char* doctor, const char* department, const char* doctor_number,
                               const char* patient, double date, const char* nurse, int32_t* date_lock);

/* Standard-item receipt (dialog 2012 "填写收据"). Result as ReceiptSet. */
CALVANE_API int32_t StandartPaySet0(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                                    const char* doctor, const char* department, const char* doctor_number,
                                    const char* patient, const char* patient_number, double date,
                                    const char* nurse, int32_t* date_lock);

/* Receipt edit (dialog 3002 "收费收据"). Returns 0. */
CALVANE_API int32_t ReceiptEditResult(CalvaneConnection* conn, int32_t receipt_id, const char* patient,
                                      int32_t treatment_number, const char* doctor, const char* doctor_number,
                                      int32_t unused_number, const char* cashier, double date);

#ifdef __cplusplus
}
#endif

#endif
