// The clinic schema on every backend, and the demo clinic loaded into it.
#include "db/ClinicLookups.h"
#include "db/DemoClinic.h"
#include "db/DocumentFee.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "tests/support/TestDb.h"
#include <QTest>

using namespace db;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const QString twelve = u("挂号费,检查费,镶牙费,整畸费,注射费,中药费,西药费,治疗费,手术费,诊疗费,放射费,其它费用");

// Every table and column the module reads or writes.
const QList<QPair<QString, QString>> clinicColumns = {
    {u("收费收据表"), u("ID,病历号,病人姓名,日期,医生姓名,医生编号,科室,护士,收款人,") + twelve
                           + u(",合计,付款,备注,FeeIO,IsPrescriptionFlag,Doctor_Discout,Doctor_Discout_Value")},
    {u("无病历收费单"), u("ID,病历号,病人姓名,性别,年龄,日期,医生姓名,医生编号,科室,护士,收款人,") + twelve
                             + u(",合计,应收金额,收款金额,余额,付款,备注,IsPrescriptionFlag")},
    {u("收费明细表"), u("ID,收费类型,收费项目,单位,标准,数量,金额,日期,收据类型,收据编号,无病案编号,IsDiscout,"
                         "Discout_Value,StandartFee")},
    {u("病历收费单"), u("病历收费编号,病历号,ReceiptID,总计应收费用,免收费用,实收费用,收款金额,余额,原欠金额,免收条件,"
                         "备注,收款人,日期,Discout_Type,Discout,Discout_Note,OtherFreeFee,OtherFreeFeeReason,"
                         "OtherFreeFeeNote,MoneyCard_Name,MoneyCard_Value,MoneyCard_UsedValue,CardOnlyForDisctItem,"
                         "MoneyPayed_type,OtherTypePayedMoney,CashMoney,GetLaterLeftMoneyFlag,PreferID")},
    {u("处方明细表"), u("ID,ReceiptID,NonDocReceiptID,名称,规格,单位,单价,金额,数量,类别,服用方式,每次用量,每日次数,"
                         "医保类型,备注,MedcineOutFlag")},
    {u("BeanshiReceipt_table"), u("ID,Payee,ReceiptID,ReceiptMoney,PayDate,Checker,ReceiptItem1,ReceiptItem2,"
                                  "ReceiptItem3,ReceiptItem4,ReceiptItem5,ReceiptItem6,ReceiptItem7,ReceiptItem8,"
                                  "ReceiptItem9,ReceiptItem10,ReceiptItem11,ReceiptItem12,ReceiptItem13,ReceiptItem14,"
                                  "ReceiptItem15,ReceiptItem16,ReceiptItem17,ReceiptItem18,ReceiptItem19")},
    {u("ShandongTicket_Table"), u("TicketID,ReceiptID,IsUsed")},
    {u("TicketNumber_Table"), u("TicketID")},
    {u("收费标准表"), u("ID,Office,收费分类,TypeCode,收费项目,ItemCode,单位,单价,备注,IS_Discount,Discout_Value")},
    {u("主治医生表"), u("医生姓名,医生编号,科室")},
    {u("护士表"), u("护士")},
    {u("科室表"), u("科室")},
    {u("Payee_table"), u("Payee")},
    {u("ReceiptItemName_Table"), u("ItemIndex,ItemName")},
    {u("病历卡表"), u("病历号,病人编号")},
    {u("病人简历表"), u("病人编号,IS_VIP,VIP_Rank_Name,VIP_Code")},
    {u("Management_table"), u("FeeIOShowYesNo,FeeToPrepayFlag,FeeToPrepayDiscout,FeeGadeYesNo,MedicineFromKBFlag")},
    {u("DiscountSet_table"), u("DiscoutYesNo,VIPDiscoutYesNo,FeeDiscoutYesNo,CurrentFeeDiscoutYesNo,OtherFreeYesNo,"
                               "MoneyCardYesNo,CardOnlyForDisctItem,FeeDiscoutOnlyForVIP,FeeItemYesNo")},
    {u("Discount_table"), u("ID,DiscountName,DiscountValue,Note")},
    {u("DiscountAccout_table"), u("MinMoney,MaxMoney,Discout")},
    {u("DiscountCurrente_table"), u("MinMoney,MaxMoney,Discout")},
    {u("MoneyCard_Table"), u("ID,MoneyCard_Name,MoneyCard_Value")},
    {u("优惠类型表"), u("优惠类型")},
    {u("ReceiptType_Table"), u("ReceiptType")},
    {u("PreferManagement_table"), u("ID,Card_Cover_Code,Card_Kind_Type,Card_Left_Fee,Card_Is_HaveExpire,"
                                    "Card_Expire_Date,Card_Is_PWD,Card_PWD,Card_Is_Takenback")},
    {u("PrePay_Table"), u("ID,VIP_CODE,VIP_date,PrePayer_Name,PrePayer_type,Call,VIP_address,VIP_note,"
                          "VIP_grade_value,VIP_card_type")},
    {u("PrePayUserSheet_Table"), u("ID,PrePayer_ID,Patient_Code,AgreeUsePrePay_Man,Checker,RegTime,note")},
    {u("PrePayReg_Table"), u("ID,PrePayer_ID,PrePay_Money,PreferMoney,PrePay_IO,PayMoney_Man,Checker,PayTime,note,"
                             "PrePayType,IsFromFeeFlag")},
    {u("PrePayUseReg_Table"), u("ID,PrePayer_ID,Patient_Code,PaySheetID,Payed_Money,Checker,RegTime,note")},
    {u("VIP_PtnSheet_Table"), u("VIP_ID,Patient_Code")},
    {u("Grade_Calculte_table"), u("FeeItemType,FeeItem,FeeGradeCalculter")},
    {u("Grade_shengji_Calculate_table"), u("ID,VIP_min_value,VIP_max_value,Discout_value,VIP_card_type")},
    {u("Grade_shengji_table"), u("ID,VIP_CODE,VIP_card_type,VIP_grade_type,VIP_Grade_date")},
    {u("Grade_Record_table"), u("ID,VIP_CODE,Ptn_Name,Grade_value,Grade_auto,Grade_man,Grade_date,VIP_ID,note,ReceiptID")},
    {u("常用药品表"), u("ID,类别,名称,规格,单位,单价,服用方式,每次用量,每日用量,适应症,医保类型")},
    {u("材料库存表"), u("库存编号,名称,规格,现存数量,ExpireDate")},
    {u("材料出库表"), u("出库编号,单位,名称,规格,数量,出库价格,总价,日期,领料人,领用人,备注,库存分类,KBID,ExpireDate")},
    {u("SysthesisStatics_Table"), u("SysthesisType,StandartItem,NonStandartItem,MoneyCard,VipCard,PreferCard")},
    {u("StaticStandartItemforDayMonth_Table"), u("ID,StaticsStandartType,StandartItem,ItemType,StaticPersonNum,StaticMoney")},
};

qint64 count(Connection& c, const QString& sql, const QVariantList& values = {})
{
    return toInteger(scalar(c, sql, values));
}

qint64 rowsInClinicTables(Connection& c)
{
    qint64 n = 0;
    for (const auto& [table, columns] : clinicColumns) n += count(c, u("SELECT count(*) FROM ") + table);
    return n;
}

} // namespace

class TestDemoClinic : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTableAndColumnExists_data() { testdb::addBackendRows(); }
    void everyTableAndColumnExists()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        for (const auto& [table, columns] : clinicColumns) {
            try {
                Query(*c, u("SELECT %1 FROM %2 WHERE 1=0").arg(columns, table)).exec();
            } catch (const Error& e) {
                QFAIL(qPrintable(table + u(": ") + e.message()));
            }
        }
    }

    // PostgreSQL's REAL would keep about seven digits; amounts need cents on large sums.
    void amountsKeepEveryFen_data() { testdb::addBackendRows(); }
    void amountsKeepEveryFen()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const double amount = 12345678.91;
        const qint64 id = AddRecord(*c, u("病历收费单"),
                                    {{u("收款金额"), amount}, {u("余额"), 0.07}, {u("原欠金额"), -9876543.21}},
                                    u("病历收费编号"));
        Query q(*c, u("SELECT 收款金额,余额,原欠金额 FROM 病历收费单 WHERE 病历收费编号=?"), {id});
        q.exec();
        QVERIFY(q.next());
        QVERIFY(q.number(u("收款金额")) == amount);
        QVERIFY(q.number(u("余额")) == 0.07);
        QVERIFY(q.number(u("原欠金额")) == -9876543.21);
    }

    void demoClinicLoadsWithEveryKindOfRecord_data() { testdb::addBackendRows(); }
    void demoClinicLoadsWithEveryKindOfRecord()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        loadDemoClinic(*c);
        const QDateTime today(c->serverTime().date(), QTime(0, 0));
        const QDateTime tomorrow = today.addDays(1);

        // Sizes: a dozen patients, about sixty fee items, about thirty medicines.
        QCOMPARE(count(*c, u("SELECT count(*) FROM 病历卡表")), 12);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 病人简历表")), 12);
        QVERIFY(qAbs(count(*c, u("SELECT count(*) FROM 收费标准表")) - 60) <= 5);
        QVERIFY(qAbs(count(*c, u("SELECT count(*) FROM 常用药品表")) - 30) <= 3);
        QVERIFY(count(*c, u("SELECT count(*) FROM 科室表")) >= 3);
        QVERIFY(count(*c, u("SELECT count(*) FROM 主治医生表")) >= 3);
        QVERIFY(count(*c, u("SELECT count(*) FROM 护士表")) >= 2);
        QCOMPARE(count(*c, u("SELECT count(*) FROM Management_table")), 1);
        QCOMPARE(count(*c, u("SELECT count(*) FROM DiscountSet_table")), 1);
        QCOMPARE(count(*c, u("SELECT count(DISTINCT SysthesisType) FROM SysthesisStatics_Table")), 2);

        // The catalogue has what the tree has to cope with.
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费标准表 WHERE Office IS NULL")) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费标准表 WHERE Office = ''")) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费标准表 WHERE 收费分类 IS NULL OR 收费分类 = ''")) > 0);
        QVERIFY(count(*c, u("SELECT count(DISTINCT 收费分类) FROM 收费标准表")) >= 8);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费标准表 WHERE Discout_Value IS NULL")) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费标准表 WHERE IS_Discount = 0")) > 0);

        // Stock: expired batches, batches expiring today, usable ones.
        QVERIFY(count(*c, u("SELECT count(*) FROM 材料库存表 WHERE ExpireDate < ?"), {today}) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 材料库存表 WHERE ExpireDate >= ? AND ExpireDate < ?"), {today, tomorrow}) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 材料库存表 WHERE ExpireDate >= ?"), {tomorrow}) > 0);

        // Vouchers: the IC card, a password, an expired one, one not issued.
        Query ic(*c, u("SELECT Card_Kind_Type,Card_Left_Fee FROM PreferManagement_table WHERE Card_Cover_Code=?"),
                 {u("020021")});
        ic.exec();
        QVERIFY(ic.next());
        QCOMPARE(ic.integer(u("Card_Kind_Type")), 1);
        QCOMPARE(ic.number(u("Card_Left_Fee")), 200.0);
        QVERIFY(count(*c, u("SELECT count(*) FROM PreferManagement_table WHERE Card_Is_PWD=1 AND Card_PWD <> ''")) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM PreferManagement_table WHERE Card_Is_HaveExpire=1 AND Card_Expire_Date < ? "
                            "AND Card_Is_Takenback IN (1,2)"), {today}) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM PreferManagement_table WHERE Card_Is_Takenback=0")) > 0);

        // Receipts in every state, each consistent with its own lines and payment.
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费收据表 WHERE 付款='未付' AND 日期 >= ?"), {today}) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费收据表 WHERE FeeIO=1 AND 合计 < 0 AND 手术费 > 0")) > 0);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 收费收据表 r WHERE 付款='已付' AND "
                             "(SELECT count(*) FROM 病历收费单 p WHERE p.ReceiptID=r.ID) <> 1")), 0);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 收费收据表 r WHERE 付款='未付' AND "
                             "EXISTS (SELECT 1 FROM 病历收费单 p WHERE p.ReceiptID=r.ID)")), 0);
        QString sumOfTwelve = twelve;
        sumOfTwelve.replace(u(","), u(",0)+coalesce(")).prepend(u("coalesce(")).append(u(",0)"));
        QCOMPARE(count(*c, u("SELECT count(*) FROM 收费收据表 r WHERE IsPrescriptionFlag IS NULL "
                             "AND NOT EXISTS (SELECT 1 FROM 收费明细表 d WHERE d.收据编号=r.ID) "
                             "AND abs(abs(合计) - (%1)) > 0.001").arg(sumOfTwelve)), 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费收据表 r WHERE EXISTS (SELECT 1 FROM 收费明细表 d WHERE d.收据编号=r.ID)")) >= 2);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 收费收据表 r WHERE EXISTS (SELECT 1 FROM 收费明细表 d WHERE d.收据编号=r.ID) "
                             "AND abs(合计 - (SELECT sum(金额) FROM 收费明细表 d WHERE d.收据编号=r.ID)) > 0.001")), 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费收据表 WHERE IsPrescriptionFlag=2")) > 0);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 收费收据表 r WHERE IsPrescriptionFlag=2 AND abs(合计 - "
                             "(SELECT coalesce(sum(金额),0) FROM 处方明细表 x WHERE x.ReceiptID=r.ID)) > 0.001")), 0);

        // Walk-in sheets: by category, by catalogue item, and a prescription that left stock.
        QVERIFY(count(*c, u("SELECT count(*) FROM 无病历收费单 WHERE 付款='已付' AND 余额=0")) >= 3);
        QVERIFY(count(*c, u("SELECT count(*) FROM 收费明细表 WHERE 收据类型=1 AND 无病案编号 IN (SELECT ID FROM 无病历收费单)")) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 处方明细表 WHERE MedcineOutFlag=1 AND NonDocReceiptID IN "
                            "(SELECT ID FROM 无病历收费单 WHERE IsPrescriptionFlag=2)")) > 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 材料出库表 WHERE 备注=? AND KBID IN (SELECT 库存编号 FROM 材料库存表)"),
                      {u("药品处方自动出库")}) > 0);

        // Payments from prepayment are booked against the account, with the same amount.
        QVERIFY(count(*c, u("SELECT count(*) FROM 病历收费单 WHERE MoneyPayed_type=1")) > 0);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 病历收费单 p WHERE MoneyPayed_type=1 AND NOT EXISTS (SELECT 1 FROM "
                             "PrePayUseReg_Table x WHERE x.PaySheetID=p.病历收费编号 AND x.Payed_Money=p.OtherTypePayedMoney)")), 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM 病历收费单 WHERE MoneyPayed_type=5 AND PreferID IN "
                            "(SELECT ID FROM PreferManagement_table)")) > 0);
        // Members carry their account's card type as their rank.
        QVERIFY(count(*c, u("SELECT count(*) FROM 病人简历表 WHERE IS_VIP=1")) >= 3);
        QCOMPARE(count(*c, u("SELECT count(*) FROM 病人简历表 b WHERE IS_VIP=1 AND NOT EXISTS (SELECT 1 FROM VIP_PtnSheet_Table v, "
                             "PrePay_Table a WHERE v.Patient_Code=b.病人编号 AND a.ID=v.VIP_ID AND a.VIP_card_type=b.VIP_Rank_Name)")), 0);
        QVERIFY(count(*c, u("SELECT count(*) FROM PrePayReg_Table WHERE PrePay_IO=1")) > 0);
        QCOMPARE(count(*c, u("SELECT count(*) FROM ShandongTicket_Table WHERE IsUsed=1")), 1);

        // The patient with arrears: 510 left open, then deferred while 50 more stayed open.
        const DocumentFee fee = CalculateDocumentFee(*c, u("P0003"));
        QCOMPARE(fee.received, 2150.0);
        QCOMPARE(fee.arrears, 560.0);

        // The clinic renamed two categories.
        std::array<QString, 12> names;
        GetReceiptItemName(*c, names);
        QCOMPARE(names[2], u("修复费"));
        QCOMPARE(names[10], u("影像费"));
        QCOMPARE(names[3], u("正畸费"));
    }

    void demoClinicIsLoadedOnceAndWhole_data() { testdb::addBackendRows(); }
    void demoClinicIsLoadedOnceAndWhole()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        c->failStatementAfter(300); // among the patients' receipts, near the end
        QVERIFY_THROWS_EXCEPTION(Error, loadDemoClinic(*c));
        c->clearFault();
        QCOMPARE(rowsInClinicTables(*c), 0);

        loadDemoClinic(*c);
        const qint64 loaded = rowsInClinicTables(*c);
        QVERIFY(loaded > 300);
        try {
            loadDemoClinic(*c);
            QFAIL("a second demo clinic was loaded");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(u("已有诊所数据")), qPrintable(e.message()));
        }
        QCOMPARE(rowsInClinicTables(*c), loaded);
    }
};

QTEST_GUILESS_MAIN(TestDemoClinic)
#include "tst_democlinic.moc"
