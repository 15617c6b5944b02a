/* A host program as a clinic's own would be: it sees only the installed header and library. */
#include <calvane/calvane.h>
#include <stdio.h>

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
    int32_t receipt = 5, lock = 0;
    CalvaneSetUiScript(argv[2]);
    int32_t r = ReceiptSet(conn, 1001, &receipt, "王医生", "口腔科", "D01", "张三", date, "李护士", &lock);
    printf("ReceiptSet %d %d [%s]\n", (int)r, (int)receipt, CalvaneUiScriptError());

    int32_t stored = -1, second = -1;
    CalvaneSetUiScript(argv[3]);
    r = PayForNoCard(conn, 0, "王医生", "收款员", date, &stored, &second, NULL, &lock);
    printf("PayForNoCard %d %d %d [%s]\n", (int)r, (int)stored, (int)second, CalvaneUiScriptError());

    printf("ReceiptPrint %d\n", (int)ReceiptPrint(1, 2, 3, 4, "a", NULL, "c", "d"));
    CalvaneDisconnect(conn);
    return 0;
}
