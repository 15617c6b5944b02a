#include "tests/stats/InvoiceVoidFlows.h"

QList<InvoiceVoidFlow> invoiceVoidFlows()
{
    const QString ask = QStringLiteral("将该发票做退票处理?");
    const QString done = QStringLiteral("已经做退票处理!");
    const QString already = QStringLiteral("该票据已作废,不能再做退票处理!");
    return QList<InvoiceVoidFlow>{
        {"voiding 1001 voids 1002 of the same receipt",
         R"([{"dialog":"退票设置"},{"set":"票据号码","to":"1001"},{"click":"确    定"},{"reply":"是"}])", {ask, done},
         "1001,1002,3001"},
        {"answered no: the ticket stays valid and the dialog open",
         R"([{"set":"票据号码","to":"1001"},{"click":"确定"},{"reply":"否"},{"click":"取消"}])", {ask}, "3001"},
        {"a voided ticket is not voided again", R"([{"set":"票据号码","to":"3001"},{"click":"确定"}])", {already},
         "3001"},
        {"a number not in the table, then another try",
         R"([{"set":"票据号码","to":"999"},{"click":"确定"},{"set":"票据号码","to":"2001"},{"click":"确定"},
             {"reply":"是"}])",
         {"不存在该发票号码!", ask, done}, "2001,3001"},
        // Tickets whose receipt is unknown (no ID, or 0) stand alone: voided one by one, truthfully.
        {"a ticket without a receipt is voided", R"([{"set":"票据号码","to":"5001"},{"click":"确定"},{"reply":"是"}])",
         {ask, done}, "3001,5001"},
        {"a ticket of receipt 0 is voided alone", R"([{"set":"票据号码","to":"6001"},{"click":"确定"},{"reply":"是"}])",
         {ask, done}, "3001,6001"},
        {"another state closes without a word", R"([{"set":"票据号码","to":"4001"},{"click":"确定"}])", {}, "3001"},
        {"beyond a ticket number's range", R"([{"set":"票据号码","to":"4294967296"},{"click":"确定"},{"click":"取消"}])",
         {"请输入一个整数。"}, "3001"},
        {"no integer: the field does not take it", R"([{"set":"票据号码","to":"10.5"}])", {}, "3001",
         QStringLiteral("does not take \"10.5\"")},
    };
}
