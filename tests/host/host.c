/* A host program as a clinic's own would be: it sees only the installed header and library. */
#include <calvane/calvane.h>
#include <stdio.h>
#include <string.h>

/* Points the next call at a script; a script that cannot be read would leave the call to wait
 * for a person, or pass without testing anything. */
static int use_script(const char* path)
{
    if (CalvaneSetUiScript(path) != 0) {
        fprintf(stderr, "script %s: %s\n", path, CalvaneLastError());
        return 0;
    }
    return 1;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: host URL RECEIPT_SCRIPT WALKIN_SCRIPT\n");
        return 2;
    }
    CalvaneConnection* conn = NULL;
    if (CalvaneConnect(argv[1], &conn) != 0) {
        fprintf(stderr, "connect: %s\n", CalvaneLastError());
        return 1;
    }
    const double date = 45356.5; /* 2024-03-06 12:00 */
    int32_t receipt = 0, lock = 0;
    if (!use_script(argv[2])) return 1;
    int32_t r = ReceiptSet(conn, 1001, &receipt, "张明华", "口腔内科", "D001", "张三", date, "周静", &lock);
    /* A new receipt was stored and its identifier handed back. */
    if (r != 0 || receipt <= 0 || CalvaneLastError()[0] != '\0') {
        fprintf(stderr, "ReceiptSet %d %d [%s] [%s]\n", (int)r, (int)receipt, CalvaneLastError(),
                CalvaneUiScriptError());
        return 1;
    }
    printf("ReceiptSet %d stored [%s]\n", (int)r, CalvaneUiScriptError());

    int32_t stored = -1, second = -1;
    if (!use_script(argv[3])) return 1;
    r = PayForNoCard(conn, 0, "张明华", "收款员", date, &stored, &second, NULL, &lock);
    /* A walk-in sheet was stored paid and its identifier handed back. */
    printf("PayForNoCard %d %s %d [%s]\n", (int)r, stored > 0 ? "stored" : "none", (int)second, CalvaneUiScriptError());

    /* The prescription lines of the new receipt: stored, then loaded back with their list rows. */
    CalvaneMedicineList* lines = CalvaneMedicineListCreate();
    CalvaneMedicineList* loaded = CalvaneMedicineListCreate();
    CalvaneListRows* rows = CalvaneListRowsCreate();
    CalvaneMedicineLine line;
    memset(&line, 0, sizeof line);
    line.name = "阿莫西林胶囊";
    line.unit = "盒";
    line.price = 12.5;
    line.quantity = 2;
    line.amount = 25;
    double total = 0;
    if (!lines || !loaded || !rows || InputMedicineList(lines, &line, &total) != 0 ||
        AMDDetailMedicineRecord(0, conn, lines, NULL, receipt) != 0 ||
        ShowMedicineList(0, conn, receipt, loaded, rows, &total) != 0) {
        fprintf(stderr, "medicine lines: %s\n", CalvaneLastError());
        return 1;
    }
    /* Texts of one row held at once, as a host's list would take them. */
    const char* name = CalvaneListRowsText(rows, 0, 0);
    const char* unit = CalvaneListRowsText(rows, 0, 2);
    const char* amount = CalvaneListRowsText(rows, 0, 5);
    printf("MedicineList %d %.2f %s %s %s\n", (int)CalvaneMedicineListCount(loaded), total, name, unit, amount);
    CalvaneListRowsDestroy(rows);
    CalvaneMedicineListDestroy(loaded);
    CalvaneMedicineListDestroy(lines);

    printf("ReceiptPrint %d\n", (int)ReceiptPrint(1, 2, 3, 4, "a", NULL, "c", "d"));
    CalvaneDisconnect(conn);
    return 0;
}
