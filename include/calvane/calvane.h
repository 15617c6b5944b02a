/* Calvane: the fee and billing module of a dental outpatient clinic.
 * C interface for host programs. Texts are UTF-8; dates are OLE Automation dates
 * (days since 1899-12-30, the fraction being the time of day). */
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

#ifdef __cplusplus
}
#endif

#endif
