/* Calvane: the fee and billing module of a dental outpatient clinic.
 * C interface for host programs. Texts are UTF-8 (NULL reads as ""), never kept after a call;
 * dates are OLE Automation dates (days since 1899-12-30, the fraction being the time of day).
 * Pointer parameters are read before the dialog runs ("in"), written after it ("out"), or
 * both; a NULL pointer reads as 0 and is never written. Parameters named unused_… keep the
 * place of values the module ignores.
 *
 * Every dialog export runs one modal dialog on the calling (user-interface) thread. When no
 * dialog can be shown at all (no display, no connection, another thread) the export changes
 * nothing, returns what it returns for a cancel and CalvaneLastError() says why. A host without
 * a QApplication of its own gets the module's: made when the first dialog or message is shown,
 * kept until the library is unloaded, on the thread that made it. */
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

/* Opens "sqlite:PATH" (an existing file: a clinic database is made by `calvane init`, never
 * here) or "postgresql://…". Returns 0 and sets *conn, or non-zero (the reason from
 * CalvaneLastError). Every export checks the connection first: one whose server went away is
 * connected again, once; when that fails the export changes nothing, shows no dialog (a
 * dialog export says why in a message box) and CalvaneLastError() says why. */
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

/* Dialog exports. Each runs one modal dialog (resource number and title given) on the host's
 * connection and maps how it ended:
 *   IDOK       the user confirmed;
 *   cancelled  the user cancelled or closed it;
 *   "prompt"   after IDOK the export asks "是否打印？…" and returns 1 for 是 (the host then
 *              prints), else 0.
 * Out-parameters not named for an ending are left untouched on it.
 * When an export cannot run at all (no connection, no display, a text that is not UTF-8, a
 * database failure), it changes nothing, records the reason for CalvaneLastError and returns
 * what it returns for a cancel, never the value of a confirmed dialog. */

/* Walk-in fee sheet (3000 "无病案收费单"). IDOK: *stored_id = the stored sheet, *second = 0,
 * then the prompt. Otherwise returns 0. */
CALVANE_API int32_t PayForNoCard(CalvaneConnection* conn, int32_t sheet_id, const char* doctor, const char* cashier,
                                 double date, int32_t* stored_id, int32_t* second, const char* nurse,
                                 int32_t* date_lock);

/* Fee receipt (285 "收费收据"). Returns 1 when cancelled (or when it cannot run); otherwise
 * writes the receipt identifier back and returns 0. */
CALVANE_API int32_t ReceiptSet(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                               const char* doctor, const char* department, const char* doctor_number,
                               const char* patient, double date, const char* nurse, int32_t* date_lock);

/* Checkout (292 "收费结帐"). *state gets the settlement state on every ending; IDOK with
 * print_switch 1 asks the prompt. Otherwise returns 0. */
CALVANE_API int32_t ReceiptPay(int32_t resettle, CalvaneConnection* conn, const char* patient_number,
                               int32_t case_number, int32_t* receipt_id, const char* unused_text,
                               const char* doctor_number, const char* patient, double unused_date,
                               const char* cashier, int32_t* state, int32_t print_switch, int32_t* date_lock);

/* Prescription checkout (3047 "处方结帐"). As ReceiptPay. */
CALVANE_API int32_t RescriptionReceiptPay(int32_t resettle, CalvaneConnection* conn, const char* patient_number,
                                          int32_t case_number, int32_t* receipt_id, const char* unused_text,
                                          const char* doctor_number, const char* unused_text2, const char* patient,
                                          double unused_date, const char* cashier, int32_t* state,
                                          int32_t print_switch, int32_t* date_lock);

/* Standard-item receipt (2012 "填写收据"). As ReceiptSet. */
CALVANE_API int32_t StandartPaySet0(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                                    const char* doctor, const char* department, const char* doctor_number,
                                    const char* patient, const char* patient_number, double date,
                                    const char* nurse, int32_t* date_lock);

/* Prescription entry (3042 "填写处方"). As ReceiptSet. */
CALVANE_API int32_t MedicineRescriptionSet(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                                           const char* doctor, const char* department, const char* doctor_number,
                                           const char* nurse, const char* patient, const char* patient_number,
                                           double date, const char* cashier, int32_t* date_lock);

/* Standard checkout (3006 "收费结帐"). *state is written on every ending; IDOK also writes
 * *receipt_id and, with print_switch 1, asks the prompt. Otherwise returns 0. */
CALVANE_API int32_t StandartPay(int32_t resettle, CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                                const char* doctor, const char* department, const char* doctor_number,
                                const char* patient, const char* patient_number, const char* cashier,
                                double unused_date, int32_t* state, int32_t print_switch, int32_t* date_lock);

/* The standard checkout dialog, viewing a settled receipt. Writes nothing, returns 0. */
CALVANE_API int32_t StandartPayResult(int32_t resettle, CalvaneConnection* conn, int32_t case_number,
                                      int32_t* receipt_id, const char* doctor, const char* department,
                                      const char* doctor_number, const char* patient, const char* patient_number,
                                      const char* cashier);

/* Walk-in standard fee (3007 "无病案标准收费"). As PayForNoCard. */
CALVANE_API int32_t StandartPayForNoCard(CalvaneConnection* conn, int32_t sheet_id, const char* doctor,
                                         const char* cashier, double date, int32_t* stored_id, int32_t* second,
                                         const char* nurse, int32_t* date_lock);

/* Receipt edit (3002 "收费收据"). Writes nothing, returns 0. */
CALVANE_API int32_t ReceiptEditResult(CalvaneConnection* conn, int32_t receipt_id, const char* patient,
                                      int32_t treatment_number, const char* doctor, const char* doctor_number,
                                      int32_t unused_number, const char* cashier, double date);

/* Beijing outpatient receipt form (3017 "北京门诊收费专用收据"). Returns the receipt record
 * identifier on IDOK, else 0, and writes the same value through *receipt_id. */
CALVANE_API int32_t BeijingReceiptPrint(CalvaneConnection* conn, const char* payer, const char* case_number_text,
                                        double amount, const char* cashier, double date, int32_t* receipt_id);

/* Beijing city outpatient receipt form (3029 "北京市门诊收费专用收据"). As BeijingReceiptPrint. */
CALVANE_API int32_t BeijingReceiptPrint1(CalvaneConnection* conn, const char* payer, const char* receipt_no,
                                         double amount, const char* cashier, double date, int32_t* receipt_id);

/* Does nothing; returns 0. */
CALVANE_API int32_t ReceiptPrint(int32_t value1, int32_t value2, int32_t value3, int32_t value4, const char* text1,
                                 const char* text2, const char* text3, const char* text4);

/* Statistical report (3009). Returns 0. */
CALVANE_API int32_t SDTableStatic(CalvaneConnection* conn, const char* clinic, const char* operator_name);

/* Invoice voiding settings (3010 "退票设置"). Returns 0. */
CALVANE_API int32_t SDTableDisable(CalvaneConnection* conn);

/* Payment statistics (3011 "缴款统计"). Returns 0. */
CALVANE_API int32_t HEBEITableStatic(CalvaneConnection* conn, const char* paying_unit, const char* cashier);

/* Statistics items (3022 "统计项目设置"); on IDOK with its detail option set, then the detail
 * contents (3021 "明细统计内容设置"). Returns 0. */
CALVANE_API int32_t SetSysthesisChoice(CalvaneConnection* conn, int32_t report_type);

/* Detail statistics contents (3021 "明细统计内容设置"). Returns 0. */
CALVANE_API int32_t SetSysthesisStandartItemChoice(CalvaneConnection* conn, int32_t kind);

/* Prepayment and membership. No dialog: these do their database work even where no window
 * can be shown; their messages then go to the log (a script still answers them). An amount
 * that cannot be read counts as 0 and an account that cannot be read as none, as the clinic
 * always had it, and CalvaneLastError() then says what the database said. Without a
 * connection they change nothing and return 0, except GetPrePayInfo1 (below). */

/* The balance of prepaid account `account` (deposits and their bonus, less withdrawals and
 * their bonus, less what was paid from it) into *balance; 0 for an account that does not
 * exist. Returns 0. */
CALVANE_API int32_t GetPrePayTotalMoney(CalvaneConnection* conn, int32_t account, double* balance);

/* May patient `patient_code` pay from prepayment? Only asked when *use_prepay is 1: otherwise
 * returns 0 and writes nothing. Then *account gets the patient's account and the balance is
 * checked (resettle 0: the full one; 1: without the uses of payment record pay_sheet). Returns
 * 0 for a balance above 0; for no account or nothing to spend it says so ("该患者没有可支配的
 * 预付费金额！" / "该患者可使用的预付费金额为零，不能再使用!"), sets *use_prepay to 0 and
 * returns 1. Without a connection prepayment cannot be used either: *account and *use_prepay
 * become 0 and it returns 1, saying nothing (CalvaneLastError() says why). */
CALVANE_API int32_t GetPrePayInfo1(CalvaneConnection* conn, int32_t resettle, int32_t* use_prepay,
                                   const char* patient_code, int32_t* account, double unused, int32_t pay_sheet);

/* Books `points` (negative for a refund) for the member `account` (0 or less: the account whose
 * member code is member_code), moving the card grade when the new total falls into another
 * band. When it cannot be booked nothing is kept and it says "会员积分自动修改不成功，请手工修改
 * 该会员的积分！". A member code with no account writes nothing. Returns 0. */
CALVANE_API int32_t VipGradeSet(CalvaneConnection* conn, const char* member_code, const char* patient, double points,
                                int16_t auto_flag, const char* operator_name, double date, int32_t account,
                                const char* note, int32_t receipt_id);

/* Prescription lines. A line list holds the medicine lines of one prescription, counted by
 * position from 1 at the head; the host creates and destroys it. Texts read from a list stay
 * valid until the next call on that list. */
typedef struct CalvaneMedicineList CalvaneMedicineList;
/* The rows a list control would show (名称, 规格, 单位, 单价, 数量, 金额, 类别, 服用方式, 每次用量,
 * 每日次数, 医保类型, 备注, ID; amounts as "%.2f"). */
typedef struct CalvaneListRows CalvaneListRows;

typedef struct CalvaneMedicineLine {
    const char* category;      /* 类别 */
    const char* name;          /* 名称 */
    const char* spec;          /* 规格 */
    const char* unit;          /* 单位 */
    double price;              /* 单价 */
    double quantity;           /* 数量 */
    double extra;              /* carried along */
    double amount;             /* 金额 = 单价 × 数量 */
    const char* usage;         /* 服用方式 */
    const char* free_text;     /* carried along */
    const char* dose;          /* 每次用量 */
    const char* times_per_day; /* 每日次数 */
    const char* insurance;     /* 医保类型 */
    const char* remark;        /* 备注 */
    int32_t document_id;       /* the receipt or walk-in sheet */
    int32_t row_id;            /* the stored row; 0 for a line not stored yet */
    int32_t copied;            /* carried along */
} CalvaneMedicineLine;

/* NULL when out of memory. */
CALVANE_API CalvaneMedicineList* CalvaneMedicineListCreate(void);
CALVANE_API void CalvaneMedicineListDestroy(CalvaneMedicineList* list);
CALVANE_API int32_t CalvaneMedicineListCount(const CalvaneMedicineList* list);
/* Copies the line at position (1 = head) into *line. Returns 0, or 1 for a position outside the
 * list (nothing written). */
CALVANE_API int32_t CalvaneMedicineListGet(CalvaneMedicineList* list, int32_t position, CalvaneMedicineLine* line);
/* Inserts a copy of *line: position 0 puts it first, k puts it after the k-th line. Returns 0,
 * or 1 for a position outside the list or a text that is not UTF-8 (nothing changed). */
CALVANE_API int32_t CalvaneMedicineListInsert(CalvaneMedicineList* list, int32_t position,
                                              const CalvaneMedicineLine* line);
/* Removes the line at position. Returns 0, or 1 for a position outside the list. */
CALVANE_API int32_t CalvaneMedicineListRemove(CalvaneMedicineList* list, int32_t position);

CALVANE_API CalvaneListRows* CalvaneListRowsCreate(void);
CALVANE_API void CalvaneListRowsDestroy(CalvaneListRows* rows);
CALVANE_API int32_t CalvaneListRowsCount(const CalvaneListRows* rows);
/* The text in row (from 0) and column (from 0); "" outside the rows. Valid until the rows change. */
CALVANE_API const char* CalvaneListRowsText(const CalvaneListRows* rows, int32_t row, int32_t column);

/* Loads the stored lines of fee document `document_id` (mode 0: a case-record receipt; other: a
 * walk-in sheet) in ID order onto the head of `lines` (which then starts with the newest row),
 * replaces the rows of `list_control` (may be NULL) with them and sets *total to the sum of their
 * 金额. Document 0 loads nothing (total 0). Returns 0; 1 when the lines could not be read
 * (nothing changed, CalvaneLastError() says why). */
CALVANE_API int32_t ShowMedicineList(int32_t mode, CalvaneConnection* conn, int32_t document_id,
                                     CalvaneMedicineList* lines, CalvaneListRows* list_control, double* total);
/* Puts a copy of *line at the head of `lines` and sets *total to the sum of all lines' 金额.
 * Returns 0 (1 when a list or the line is missing or a text is not UTF-8). */
CALVANE_API int32_t InputMedicineList(CalvaneMedicineList* lines, const CalvaneMedicineLine* line, double* total);
/* Stores `lines` for fee document `document_id` (mode as for ShowMedicineList): lines with a
 * row ID change their row, the others are added; walk-in lines are marked as out of stock.
 * Then deletes the rows of the lines in `removed` (may be NULL, not `lines` itself) and
 * empties it; the stored lines get their row IDs. Returns 0 when every write succeeded;
 * otherwise non-zero with nothing written and both lists as they were. */
CALVANE_API int32_t AMDDetailMedicineRecord(int32_t mode, CalvaneConnection* conn, CalvaneMedicineList* lines,
                                            CalvaneMedicineList* removed, int32_t document_id);

/* The clinic's stock switch (Management_table.MedicineFromKBFlag): 0 when prescriptions are
 * checked against the medicine stock and taken out of it; any other value when the clinic keeps
 * no stock. No setting, no connection or a database failure give 1 (CalvaneLastError() says
 * why). */
CALVANE_API int32_t CheckRelationBetweenMedicineAndKB(CalvaneConnection* conn);

#ifdef __cplusplus
}
#endif

#endif
