// The clinic library's look-ups, list fillers, the patient's money position and the IC card
// reader, on every backend.
#include "common/Settings.h"
#include "db/ClinicLookups.h"
#include "db/DocumentFee.h"
#include "db/ICCard.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace db;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

void addBackendByCase(const QStringList& cases)
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<int>("index");
    for (const QString& b : testdb::backends())
        for (int i = 0; i < cases.size(); ++i) QTest::newRow(qPrintable(b + QLatin1Char('/') + cases[i])) << b << i;
}

// A card that lives in memory, standing in for a clinic's real reader.
class MemoryCard : public ICCardDevice {
public:
    bool read(QString& content) override
    {
        if (!present) return false;
        content = text;
        return true;
    }
    bool write(const QString& content) override
    {
        if (!present) return false;
        text = content;
        return true;
    }
    bool present = true;
    QString text;
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestClinicOps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void doctorInfoMatchesNamesAsTheClinicDatabaseDid_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QString>("number");
        const struct { const char* row; const char* name; bool found; const char* dept; const char* number; } cases[] = {
            {"exact", "张明华", true, "口腔内科", "D001"},
            {"typed with a trailing blank", "张明华 ", true, "口腔内科", "D001"},
            {"stored with a trailing blank", "smith", true, "外科", "D010"},
            {"apostrophe, other case, NULL department", "o'neil", true, "", "D009"},
            {"part of a name", "张明", false, "旧科室", "旧编号"},
            {"injection attempt", "x' OR '1'='1", false, "旧科室", "旧编号"},
        };
        for (const QString& b : testdb::backends())
            for (const auto& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << u(c.name) << c.found << u(c.dept) << u(c.number);
    }
    void doctorInfoMatchesNamesAsTheClinicDatabaseDid()
    {
        QFETCH(QString, backend);
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(QString, department);
        QFETCH(QString, number);
        auto c = testdb::open(backend);
        const QString t = u("主治医生表");
        AddRecord(*c, t, {{u("医生姓名"), u("张明华")}, {u("医生编号"), u("D001")}, {u("科室"), u("口腔内科")}}, QString());
        AddRecord(*c, t, {{u("医生姓名"), u("O'Neil")}, {u("医生编号"), u("D009")}, {u("科室"), QVariant()}}, QString());
        AddRecord(*c, t, {{u("医生姓名"), u("Smith ")}, {u("医生编号"), u("D010")}, {u("科室"), u("外科")}}, QString());
        QString dept = u("旧科室"), no = u("旧编号");
        QCOMPARE(GetDoctorInfo(*c, name, dept, no), found);
        QCOMPARE(dept, department);
        QCOMPARE(no, number);
    }

    void receiptItemNamesReplaceOnlyWhatTheClinicRenamed_data() { testdb::addBackendRows(); }
    void receiptItemNamesReplaceOnlyWhatTheClinicRenamed()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const std::array<QString, 12> defaults{u("挂号费"), u("检查费"), u("镶牙费"), u("正畸费"), u("注射费"), u("中药费"),
                                               u("西药费"), u("治疗费"), u("手术费"), u("诊疗费"), u("放射费"), u("其它")};
        std::array<QString, 12> names = defaults;
        GetReceiptItemName(*c, names); // no rows at all
        QCOMPARE(names, defaults);

        const QString t = u("ReceiptItemName_Table");
        AddRecord(*c, t, {{u("ItemIndex"), 3}, {u("ItemName"), u("修复费")}}, QString());
        AddRecord(*c, t, {{u("ItemIndex"), 12}, {u("ItemName"), u("材料费")}}, QString());
        AddRecord(*c, t, {{u("ItemIndex"), 5}, {u("ItemName"), u("   ")}}, QString()); // blank: keep the default
        AddRecord(*c, t, {{u("ItemIndex"), 7}, {u("ItemName"), QVariant()}}, QString());
        AddRecord(*c, t, {{u("ItemIndex"), 0}, {u("ItemName"), u("无效")}}, QString());
        AddRecord(*c, t, {{u("ItemIndex"), 13}, {u("ItemName"), u("无效")}}, QString());
        GetReceiptItemName(*c, names);
        std::array<QString, 12> expected = defaults;
        expected[2] = u("修复费");
        expected[11] = u("材料费");
        QCOMPARE(names, expected);
    }

    void comboListsOfferEachValueOnceInTheClinicsOrder_data() { testdb::addBackendRows(); }
    void comboListsOfferEachValueOnceInTheClinicsOrder()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        for (const QVariant& n : {QVariant(u("王芳")), QVariant(u("O'Brien")), QVariant(u("o'brien ")), QVariant(),
                                  QVariant(u("")), QVariant(u("李娜")), QVariant(u("王芳"))})
            AddRecord(*c, u("护士表"), {{u("护士"), n}}, QString());
        // GBK order: Latin letters first, then 李 (C0EE) before 王 (CDF5); the first spelling stays.
        QCOMPARE(InitCombox(*c, u("护士表"), u("护士")), (QStringList{u("O'Brien"), u("李娜"), u("王芳")}));

        const QString m = u("常用药品表");
        const char* const rows[][2] = {{"阿莫西林胶囊", "0.5g×24粒"}, {"阿莫西林胶囊", "0.25g×24粒"},
                                       {"King's 漱口水", "200ml"},     {"Kings 漱口水", "500ml"},
                                       {"阿莫西林胶囊 ", "0.25g×24粒"}};
        for (const auto& [name, spec] : rows) AddRecord(*c, m, {{u("名称"), u(name)}, {u("规格"), u(spec)}});
        QCOMPARE(InitComboxForSpecial(*c, m, u("规格"), u("名称"), u("阿莫西林胶囊")),
                 (QStringList{u("0.25g×24粒"), u("0.5g×24粒")}));
        QCOMPARE(InitComboxForSpecial(*c, m, u("规格"), u("名称"), u("king's 漱口水 ")), QStringList{u("200ml")});
        QCOMPARE(InitComboxForSpecial(*c, m, u("规格"), u("名称"), u("King%")), QStringList());

        QVERIFY_THROWS_EXCEPTION(Error, InitCombox(*c, u("护士表 WHERE 1=1; --"), u("护士")));
        QVERIFY_THROWS_EXCEPTION(Error, InitComboxForSpecial(*c, m, u("规格"), u("名称=名称 OR 1"), u("x")));
    }

    void typedTextIsMatchedAgainstTheStoredValues_data()
    {
        addBackendByCase({u("exact other case"), u("exact padded"), u("prefix"), u("apostrophe prefix"), u("no match"),
                          u("blank"), u("injection")});
    }
    void typedTextIsMatchedAgainstTheStoredValues()
    {
        QFETCH(QString, backend);
        QFETCH(int, index);
        const struct { const char* typed; bool matched; const char* value; bool exact; } cases[] = {
            {"o'hara ltd", true, "O'Hara Ltd", true},
            {"个人 ", true, "个人", true},
            {"北京", true, "北京华信科技有限公司", false},
            {"o'h", true, "O'Hara Ltd", false},
            {"上海", false, "", false},
            {"  ", false, "", false},
            {"x' OR '1'='1", false, "", false},
        };
        const auto& e = cases[index];
        auto c = testdb::open(backend);
        for (const char* p : {"个人", "北京华信科技有限公司", "北京市实验中学", "O'Hara Ltd"})
            AddRecord(*c, u("Payee_table"), {{u("Payee"), u(p)}}, QString());
        const auto match = CheckQueryCombox(*c, u("Payee_table"), u("Payee"), u(e.typed));
        QCOMPARE(match.has_value(), e.matched);
        if (match) {
            QCOMPARE(match->value, u(e.value));
            QCOMPARE(match->exact, e.exact);
        }
    }

    // Settlements as "case,days ago,collected,left,flag,old arrears" separated by ";"; "-" is
    // a NULL old arrears. Case 1 and 2 belong to patient P1, case 9 to someone else.
    void documentFeeFollowsThePatientsSettlements_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("patient");
        QTest::addColumn<QString>("settlements");
        QTest::addColumn<double>("received");
        QTest::addColumn<double>("arrears");
        const struct { const char* row; const char* patient; const char* settlements; double received, arrears; } cases[] = {
            {"nothing settled", "P1", "", 0, 0},
            {"unknown patient", "P7", "1,3,100,20,0,0", 0, 0},
            {"one settlement", "P1", "1,3,100,20,0,0", 100, 20},
            {"deferred old arrears", "P1", "1,30,2000,510,0,0;1,7,150,50,1,510", 2150, 560},
            {"old arrears paid off", "P1", "1,30,2000,510,0,0;1,7,710,0,0,510", 2710, 0},
            {"deferred without stating them", "P1", "1,30,100,80,0,0;1,2,27.5,0,1,-", 127.5, 80},
            {"latest by date, not by entry", "P1", "1,1,40,5,0,0;1,10,300,70,0,0", 340, 5},
            {"every case of the patient", "P1", "1,10,300,70,0,0;2,1,40,5,0,0", 340, 5},
            {"a refund counts negative", "P1", "1,10,300,0,0,0;1,1,-100,0,0,0", 200, 0},
            {"patient number as typed", "p1 ", "1,3,100,20,0,0", 100, 20},
            {"cents do not drift", "P1", "1,3,0.1,0.1,0,0;1,2,0.2,0.2,1,0.1", 0.3, 0.3},
        };
        for (const QString& b : testdb::backends())
            for (const auto& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << u(c.patient) << u(c.settlements) << c.received << c.arrears;
    }
    void documentFeeFollowsThePatientsSettlements()
    {
        QFETCH(QString, backend);
        QFETCH(QString, patient);
        QFETCH(QString, settlements);
        QFETCH(double, received);
        QFETCH(double, arrears);
        auto c = testdb::open(backend);
        for (const auto& [caseNo, number] : {std::pair{1, "P1"}, {2, "P1"}, {9, "P2"}})
            AddRecord(*c, u("病历卡表"), {{u("病历号"), caseNo}, {u("病人编号"), u(number)}}, QString());
        // Someone else's open arrears never leak into P1's.
        AddRecord(*c, u("病历收费单"), {{u("病历号"), 9}, {u("收款金额"), 999.0}, {u("余额"), 999.0},
                                         {u("日期"), QDateTime::currentDateTime()}}, u("病历收费编号"));
        const QDate today = QDate::currentDate();
        for (const QString& s : settlements.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList f = s.split(QLatin1Char(','));
            AddRecord(*c, u("病历收费单"),
                      {{u("病历号"), f[0].toInt()},
                       {u("日期"), QDateTime(today.addDays(-f[1].toInt()), QTime(10, 0))},
                       {u("收款金额"), f[2].toDouble()},
                       {u("总计应收费用"), f[2].toDouble()},
                       {u("余额"), f[3].toDouble()},
                       {u("GetLaterLeftMoneyFlag"), f[4].toInt()},
                       {u("原欠金额"), f[5] == QLatin1String("-") ? QVariant() : QVariant(f[5].toDouble())}},
                      u("病历收费编号"));
        }
        const DocumentFee fee = CalculateDocumentFee(*c, patient);
        // Exact: callers compare these with typed amounts, so no fraction of a fen may drift in.
        QVERIFY2(fee.received == received, qPrintable(QString::number(fee.received, 'g', 17)));
        QVERIFY2(fee.arrears == arrears, qPrintable(QString::number(fee.arrears, 'g', 17)));
    }

    void documentFeeAlsoReportsBilledAndWaived_data() { testdb::addBackendRows(); }
    void documentFeeAlsoReportsBilledAndWaived()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        AddRecord(*c, u("病历卡表"), {{u("病历号"), 1}, {u("病人编号"), u("P1")}}, QString());
        AddRecord(*c, u("病历收费单"), {{u("病历号"), 1}, {u("总计应收费用"), 200.0}, {u("收款金额"), 160.0},
                                         {u("免收费用"), 0.0}, {u("OtherFreeFee"), 20.0}}, u("病历收费编号"));
        AddRecord(*c, u("病历收费单"), {{u("病历号"), 1}, {u("总计应收费用"), 50.0}, {u("收款金额"), 45.0},
                                         {u("免收费用"), 5.0}}, u("病历收费编号"));
        const DocumentFee fee = CalculateDocumentFee(*c, u("P1"));
        QCOMPARE(fee.billed, 250.0);
        QCOMPARE(fee.waived, 25.0);
        QCOMPARE(fee.received, 205.0);
    }

    // Where the card file comes from: the environment, the settings, both (the environment
    // wins) or neither; and whether a card is in the reader (the file exists).
    void icCardIsReadFromTheConfiguredFile_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("cardPresent");
        QTest::addColumn<int>("readResult");
        QTest::newRow("environment, card") << "env" << true << 0;
        QTest::newRow("settings, card") << "settings" << true << 0;
        QTest::newRow("both, environment wins") << "both" << true << 0;
        QTest::newRow("environment, no card") << "env" << false << 1;
        QTest::newRow("settings, no card") << "settings" << false << 1;
        QTest::newRow("nothing configured") << "none" << true << 1;
    }
    void icCardIsReadFromTheConfiguredFile()
    {
        QFETCH(QString, source);
        QFETCH(bool, cardPresent);
        QFETCH(int, readResult);
        QTemporaryDir dir;
        const QString card = dir.filePath(u("card.txt"));
        const QString decoy = dir.filePath(u("other-card.txt"));
        const QByteArray content = "A1CA020021A2CAA2MA200.A3MA\n";
        if (cardPresent) QVERIFY(writeFile(card, content));
        QVERIFY(writeFile(decoy, "A1CA999999A2CAA2MA1.A3MA"));

        testdb::isolateSettings();
        qunsetenv("CALVANE_IC_CARD");
        if (source == QLatin1String("settings") || source == QLatin1String("both")) {
            settings::createKey();
            QVERIFY(settings::writeValue(u("ICCardFile"), source == QLatin1String("both") ? decoy : card));
        }
        if (source == QLatin1String("env") || source == QLatin1String("both")) qputenv("CALVANE_IC_CARD", card.toUtf8());

        const QString initial = u("A1CA020021A2CAA2MA200.A3MA");
        QString buffer = u("unchanged");
        QCOMPARE(ReadICCard(buffer), readResult);
        QCOMPARE(buffer, readResult == 0 ? initial : u("unchanged"));

        // Rewriting after a checkout: only a card that is there can be written.
        const QString after = u("A1CA020021A2CAA2MA50.000000A3MA");
        QCOMPARE(WriteICCard(after), readResult == 0 ? 0 : 1);
        if (readResult == 0) {
            QCOMPARE(ReadICCard(buffer), 0);
            QCOMPARE(buffer, after);
        } else if (!cardPresent) {
            QVERIFY2(!QFile::exists(card), "writing made up a card");
        } else {
            QFile f(card); // not configured: the card on disk stays as it was
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), content);
        }
        qunsetenv("CALVANE_IC_CARD");
    }

    void anInstalledReaderTakesOverFromTheFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u("card.txt"));
        QVERIFY(writeFile(file, "A1CA1A2CAA2MA1.A3MA"));
        qputenv("CALVANE_IC_CARD", file.toUtf8());
        MemoryCard reader;
        reader.text = u("A1CA020021A2CAA2MA200.A3MA");
        QString buffer;
        {
            ICCardScope scope(&reader);
            QCOMPARE(ReadICCard(buffer), 0);
            QCOMPARE(buffer, reader.text);
            QCOMPARE(WriteICCard(u("A1CA020021A2CAA2MA150.000000A3MA")), 0);
            QCOMPARE(reader.text, u("A1CA020021A2CAA2MA150.000000A3MA"));
            reader.present = false;
            QCOMPARE(WriteICCard(u("x")), 1);
            QVERIFY(ReadICCard(buffer) != 0);
        }
        QCOMPARE(ReadICCard(buffer), 0); // back to the file
        QCOMPARE(buffer, u("A1CA1A2CAA2MA1.A3MA"));
        qunsetenv("CALVANE_IC_CARD");
    }
};

QTEST_GUILESS_MAIN(TestClinicOps)
#include "tst_clinicops.moc"
