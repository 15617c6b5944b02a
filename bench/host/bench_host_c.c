/* A clinic's host program in C, with no application object of its own: each call to a dialog
 * export runs on the application the module keeps. Prints one line per call:
 *   EXPORT RESULT MILLISECONDS
 * usage: bench_host_c URL SCRIPT CALLS MEMBER_CODE */
#include <calvane/calvane.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: bench_host_c URL SCRIPT CALLS MEMBER_CODE\n");
        return 2;
    }
    CalvaneConnection* conn = NULL;
    if (CalvaneConnect(argv[1], &conn) != 0 || CalvaneSetUiScript(argv[2]) != 0) {
        fprintf(stderr, "%s\n", CalvaneLastError());
        return 1;
    }
    const int calls = atoi(argv[3]);
    const double date = 45356.5;
    for (int i = 0; i < calls; ++i) {
        int32_t receipt = 0, lock = 0;
        const double t = now_ms();
        const int32_t r = ReceiptSet(conn, 1001, &receipt, "张明华", "口腔内科", "D001", "张三", date, "周静", &lock);
        printf("ReceiptSet %d %.3f\n", (int)r, now_ms() - t);
    }
    for (int i = 0; i < calls; ++i) {
        const double t = now_ms();
        const int32_t r = VipGradeSet(conn, argv[4], "张三", 1, 0, "张会计", date, 0, "", 0);
        printf("VipGradeSet %d %.3f %s\n", (int)r, now_ms() - t, CalvaneLastError()[0] ? "failed" : "booked");
    }
    CalvaneDisconnect(conn);
    return 0;
}
