// GetPrePayTotalMoney, GetPrePayInfo1 and VipGradeSet through the C API as a host calls them:
// what they write back, where their messages go (script, message box, log), NULL pointers and
// texts, and a database that cannot be read. The rules themselves are tested in tst_prepay.
#include "../app/ScriptRun.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "tests/support/TestDb.h"
#include <QAbstractButton>
#include <QApplication>
#include <QJsonDocument>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace db;

namespace
{

const QString noAccount = QStringLiteral("该患者没有可支配的预付费金额！");
const QString nothingLeft = QStringLiteral("该患者可使用的预付费金额为零，不能再使用!");
const QString pointsFailed = QStringLiteral("会员积分自动修改不成功，请手工修改该会员的积分！");
const QDateTime when(QDate(2024, 3, 5), QTime(9, 30, 0));

qint32 newAccount(Connection& c, const QString& code, const QVariant& points = QVariant())
{
    return qint32(AddRecord(c, QStringLiteral("PrePay_Table"),
                            {{QStringLiteral("VIP_CODE"), code},
                             {QStringLiteral("VIP_grade_value"), points},
                             {QStringLiteral("VIP_card_type"), QStringLiteral("旧卡")}}));
}

void move(Connection& c, qint32 account, int io, double money, double bonus)
{
    AddRecord(c, QStringLiteral("PrePayReg_Table"),
              {{QStringLiteral("PrePayer_ID"), account},
               {QStringLiteral("PrePay_IO"), io},
               {QStringLiteral("PrePay_Money"), money},
               {QStringLiteral("PreferMoney"), bonus}});
}

void use(Connection& c, qint32 account, qint32 sheet, double amount)
{
    AddRecord(c, QStringLiteral("PrePayUseReg_Table"),
              {{QStringLiteral("PrePayer_ID"), account},
               {QStringLiteral("PaySheetID"), sheet},
               {QStringLiteral("Payed_Money"), amount}});
}

void link(Connection& c, const QString& table, const QString& patient, const char* accountColumn, qint32 account)
{
    AddRecord(c, table, {{QStringLiteral("Patient_Code"), patient}, {QLatin1String(accountColumn), account}},
              QString());
}

QStringList texts(const QList<QJsonObject>& events)
{
    QStringList t;
    for (const QJsonObject& e : events)
        t << e.value(QStringLiteral("text")).toString();
    return t;
}

// Answers (and records) every message box shown while it lives.
class MessageBoxWatch
{
  public:
    MessageBoxWatch()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->buttons().first()->click();
            }
        });
        timer_.start();
    }
    QStringList shown;

  private:
    QTimer timer_;
};

QString toolPath()
{
    return QStringLiteral(CALVANE_TOOL);
}

// The environment of a machine without any display.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "CALVANE_UI_SCRIPT"})
        env.remove(QLatin1String(v));
    return env;
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

ToolRun runTool(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(toolPath(), args);
    ToolRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestPrePayExports : public QObject
{
    Q_OBJECT
    ConnectionPtr db_; // the test's own connection, for fixtures and reading back
    CalvaneConnection* conn_ = nullptr;
    double date_ = oledate::fromDateTime(when);

  private slots:
    void init()
    {
        db_ = testdb::open(QStringLiteral("sqlite"));
        QCOMPARE(CalvaneConnect(qPrintable(QStringLiteral("sqlite:") + db_->sqliteFile()), &conn_), 0);
    }
    void cleanup()
    {
        CalvaneDisconnect(conn_);
        conn_ = nullptr;
        db_.reset();
    }

    void balance()
    {
        const qint32 a = newAccount(*db_, QStringLiteral("M001"));
        const qint32 empty = newAccount(*db_, QStringLiteral("M002"));
        move(*db_, a, 0, 500, 50);
        move(*db_, a, 1, 100, 10);
        use(*db_, a, 7, 70);
        use(*db_, a, 8, 50);
        move(*db_, empty, 1, 0, 0);

        for (const auto& [account, expected] : {std::pair{a, 320.0}, {empty, 0.0}, {a + 100, 0.0}}) {
            double balance = -1;
            QCOMPARE(int(GetPrePayTotalMoney(conn_, account, &balance)), 0);
            QCOMPARE(balance, expected);
            QCOMPARE(QString::fromUtf8(CalvaneLastError()), QString());
        }
    }

    // The balance slot never keeps what an earlier call left there: a call that cannot read
    // (no connection, a database that went away) stores 0.
    void totalMoneyAlwaysStoresANumber_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("connected");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral("/no connection"))) << b << false;
            QTest::newRow(qPrintable(b + QStringLiteral("/database closed"))) << b << true;
        }
    }
    void totalMoneyAlwaysStoresANumber()
    {
        QFETCH(QString, backend);
        QFETCH(bool, connected);
        CalvaneConnection* conn = nullptr;
        if (connected) {
            QCOMPARE(CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn), 0);
            conn->connection->close();
        }
        double balance = 320.0; // from the last patient
        QCOMPARE(int(GetPrePayTotalMoney(conn, 1, &balance)), 0);
        QCOMPARE(balance, 0.0);
        QVERIFY(QString::fromUtf8(CalvaneLastError()).startsWith(QLatin1String("GetPrePayTotalMoney: ")));
        if (conn)
            CalvaneDisconnect(conn);
    }

    // The check with a script: its result and write-backs, and every message in the transcript.
    void check_data()
    {
        QTest::addColumn<QString>("patient");
        QTest::addColumn<int>("resettle");
        QTest::addColumn<int>("flagIn");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("flagOut");
        QTest::addColumn<QString>("account"); // "A", "B", "0", or "in" for the value passed in
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("balance above 0") << "P-A" << 0 << 1 << 0 << 0 << 1 << "A" << QStringList();
        QTest::newRow("no account") << "P-X" << 0 << 1 << 0 << 1 << 0 << "0" << QStringList{noAccount};
        QTest::newRow("nothing to spend") << "P-B" << 0 << 1 << 0 << 1 << 0 << "B" << QStringList{nothingLeft};
        // B's only use belongs to payment record 9: settling 9 again has its money back.
        QTest::newRow("re-settling the record that spent it") << "P-B" << 1 << 1 << 9 << 0 << 1 << "B" << QStringList();
        QTest::newRow("re-settling another record")
            << "P-B" << 1 << 1 << 8 << 1 << 0 << "B" << QStringList{nothingLeft};
        QTest::newRow("flag 0: nothing asked, nothing written")
            << "P-X" << 0 << 0 << 0 << 0 << 0 << "in" << QStringList();
        QTest::newRow("flag 2 counts as not asked") << "P-X" << 0 << 2 << 0 << 0 << 2 << "in" << QStringList();
    }
    void check()
    {
        QFETCH(QString, patient);
        QFETCH(int, resettle);
        QFETCH(int, flagIn);
        QFETCH(int, sheet);
        QFETCH(QString, account);
        const QMap<QString, qint32> ids{{QStringLiteral("A"), newAccount(*db_, QStringLiteral("A"))},
                                        {QStringLiteral("B"), newAccount(*db_, QStringLiteral("B"))},
                                        {QStringLiteral("0"), 0},
                                        {QStringLiteral("in"), 55}};
        move(*db_, ids["A"], 0, 100, 0);
        move(*db_, ids["B"], 0, 40, 0);
        use(*db_, ids["B"], 9, 40);
        link(*db_, QStringLiteral("PrePayUserSheet_Table"), QStringLiteral("P-A"), "PrePayer_ID", ids["A"]);
        link(*db_, QStringLiteral("PrePayUserSheet_Table"), QStringLiteral("P-B"), "PrePayer_ID", ids["B"]);

        ScriptRun run(QJsonArray{});
        int32_t flag = flagIn;
        int32_t gotAccount = 55;
        const int32_t result =
            GetPrePayInfo1(conn_, resettle, &flag, patient.toUtf8().constData(), &gotAccount, 0, sheet);
        QTEST(int(result), "result");
        QTEST(int(flag), "flagOut");
        QCOMPARE(gotAccount, ids[account]);
        QTEST(texts(run.events(QStringLiteral("message"))), "messages");
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(QString::fromUtf8(CalvaneLastError()), QString());
    }

    void points_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("byCode"); // the account left 0, found by member code
        QTest::addColumn<double>("points");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("card"); // after; "旧卡" = unchanged
        QTest::addColumn<int>("upgrades");
        QTest::newRow("band change, account given") << "M001" << false << 20.0 << 110.0 << "银卡" << 1;
        QTest::newRow("band change, found by code") << "M001" << true << 20.0 << 110.0 << "银卡" << 1;
        QTest::newRow("same band") << "M001" << false << 5.0 << 95.0 << "旧卡" << 0;
        QTest::newRow("refund within the band") << "M001" << false << -50.0 << 40.0 << "旧卡" << 0;
        QTest::newRow("code with no account writes nothing") << "M404" << true << 20.0 << 90.0 << "旧卡" << 0;
    }
    void points()
    {
        QFETCH(QString, code);
        QFETCH(bool, byCode);
        QFETCH(double, points);
        for (const auto& [low, high, card] : {std::tuple{0.0, 100.0, "普通卡"}, {100.0, 500.0, "银卡"}})
            AddRecord(*db_, QStringLiteral("Grade_shengji_Calculate_table"),
                      {{QStringLiteral("VIP_min_value"), low},
                       {QStringLiteral("VIP_max_value"), high},
                       {QStringLiteral("VIP_card_type"), QString::fromUtf8(card)}});
        const qint32 account = newAccount(*db_, QStringLiteral("M001"), 90.0);
        for (const char* p : {"P1", "P2", "P3"})
            AddRecord(*db_, QStringLiteral("病人简历表"),
                      {{QStringLiteral("病人编号"), QLatin1String(p)},
                       {QStringLiteral("VIP_Rank_Name"), QStringLiteral("旧卡")}},
                      QString());
        link(*db_, QStringLiteral("VIP_PtnSheet_Table"), QStringLiteral("P1"), "VIP_ID", account);
        link(*db_, QStringLiteral("VIP_PtnSheet_Table"), QStringLiteral("P2"), "VIP_ID", account);

        ScriptRun run(QJsonArray{});
        QCOMPARE(int(VipGradeSet(conn_, code.toUtf8().constData(), "王五", points, 1, "张会计", date_,
                                 byCode ? 0 : account, "备注", 31)),
                 0);
        QCOMPARE(texts(run.events(QStringLiteral("message"))), QStringList());
        QCOMPARE(QString::fromUtf8(CalvaneLastError()), QString());

        const bool booked = code == QLatin1String("M001");
        Query r(*db_, QStringLiteral("SELECT * FROM Grade_Record_table"));
        r.exec();
        QCOMPARE(r.next(), booked);
        if (booked) {
            QCOMPARE(r.text(QStringLiteral("Ptn_Name")), QStringLiteral("王五"));
            QCOMPARE(r.number(QStringLiteral("Grade_value")), points);
            QCOMPARE(r.integer(QStringLiteral("Grade_auto")), 1);
            QCOMPARE(r.text(QStringLiteral("Grade_man")), QStringLiteral("张会计"));
            QCOMPARE(r.dateTime(QStringLiteral("Grade_date")), when);
            QCOMPARE(r.integer(QStringLiteral("VIP_ID")), qint64(account));
            QCOMPARE(r.text(QStringLiteral("note")), QStringLiteral("备注"));
            QCOMPARE(r.integer(QStringLiteral("ReceiptID")), 31);
        }
        QTEST(toNumber(scalar(*db_, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"), {account})),
              "total");
        QFETCH(QString, card);
        QCOMPARE(toText(scalar(*db_, QStringLiteral("SELECT VIP_card_type FROM PrePay_Table WHERE ID=?"), {account})),
                 card);
        QTEST(int(toInteger(scalar(*db_, QStringLiteral("SELECT count(*) FROM Grade_shengji_table")))), "upgrades");
        Query ranks(*db_, QStringLiteral("SELECT VIP_Rank_Name FROM 病人简历表 ORDER BY 病人编号"));
        ranks.exec();
        QStringList got;
        while (ranks.next())
            got << ranks.text(QStringLiteral("VIP_Rank_Name"));
        QCOMPARE(got, (QStringList{card, card, QStringLiteral("旧卡")})); // P3 is not linked
    }

    // NULL pointers are never written and NULL texts read as empty.
    void nullPointers()
    {
        const qint32 a = newAccount(*db_, QStringLiteral("M001"), 10.0);
        move(*db_, a, 0, 100, 0);
        link(*db_, QStringLiteral("PrePayUserSheet_Table"), QStringLiteral("P-A"), "PrePayer_ID", a);
        link(*db_, QStringLiteral("PrePayUserSheet_Table"), QStringLiteral(""), "PrePayer_ID", a);
        ScriptRun run(QJsonArray{});

        QCOMPARE(int(GetPrePayTotalMoney(conn_, a, nullptr)), 0);
        QCOMPARE(int(GetPrePayInfo1(conn_, 0, nullptr, "P-A", nullptr, 0, 0)), 0); // flag NULL reads 0
        int32_t flag = 1;
        QCOMPARE(int(GetPrePayInfo1(conn_, 0, &flag, "P-A", nullptr, 0, 0)), 0);
        QCOMPARE(flag, 1);
        int32_t account = -1;
        QCOMPARE(int(GetPrePayInfo1(conn_, 0, &flag, nullptr, &account, 0, 0)), 0); // "" is linked too
        QCOMPARE(account, a);
        QCOMPARE(int(VipGradeSet(conn_, nullptr, nullptr, 5, 0, nullptr, date_, a, nullptr, 0)), 0);
        QCOMPARE(toNumber(scalar(*db_, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"), {a})),
                 15.0);
        QCOMPARE(toInteger(scalar(*db_, QStringLiteral("SELECT count(*) FROM Grade_Record_table WHERE VIP_CODE='' AND"
                                                       " Ptn_Name='' AND Grade_man='' AND note=''"))),
                 1); // empty texts, not NULL
        QCOMPARE(texts(run.events(QStringLiteral("message"))), QStringList());
        QCOMPARE(QString::fromUtf8(CalvaneLastError()), QString());
    }

    // A host still sending GBK: nothing is allowed or booked on a guessed name, and it is said.
    void textNotUtf8()
    {
        const qint32 a = newAccount(*db_, QStringLiteral("M001"), 10.0);
        move(*db_, a, 0, 100, 0);
        ScriptRun run(QJsonArray{});
        const char* gbk = "\xd5\xc5\xc8\xfd"; // 张三
        int32_t flag = 1, account = 42;
        QCOMPARE(int(GetPrePayInfo1(conn_, 0, &flag, gbk, &account, 0, 0)), 1);
        QCOMPARE(flag, 0);
        QCOMPARE(account, 0);
        QVERIFY(QString::fromUtf8(CalvaneLastError()).startsWith(QStringLiteral("GetPrePayInfo1: a text parameter")));
        QCOMPARE(int(VipGradeSet(conn_, "M001", gbk, 5, 0, "", date_, a, "", 0)), 0);
        QCOMPARE(toInteger(scalar(*db_, QStringLiteral("SELECT count(*) FROM Grade_Record_table"))), 0);
        QCOMPARE(texts(run.events(QStringLiteral("message"))), QStringList{pointsFailed});
    }

    // No connection, or one whose database cannot be read: nothing is reported as success, and
    // CalvaneLastError says why.
    void unreadableDatabase_data()
    {
        QTest::addColumn<bool>("closed"); // false: no connection at all
        QTest::newRow("no connection") << false;
        QTest::newRow("closed database") << true;
    }
    void unreadableDatabase()
    {
        QFETCH(bool, closed);
        const qint32 a = newAccount(*db_, QStringLiteral("M001"), 10.0);
        move(*db_, a, 0, 100, 0);
        link(*db_, QStringLiteral("PrePayUserSheet_Table"), QStringLiteral("P-A"), "PrePayer_ID", a);
        CalvaneConnection* conn = nullptr;
        if (closed) {
            QCOMPARE(CalvaneConnect(qPrintable(QStringLiteral("sqlite:") + db_->sqliteFile()), &conn), 0);
            conn->connection->close();
        }
        const auto failedBecause = [&](const char* name) {
            const QString error = QString::fromUtf8(CalvaneLastError());
            QVERIFY2(error.startsWith(QLatin1String(name) + QLatin1String(": ")), qPrintable(error));
            if (!closed)
                QCOMPARE(error, QLatin1String(name) + QLatin1String(": no database connection"));
        };
        ScriptRun run(QJsonArray{});

        double balance = -1;
        QCOMPARE(int(GetPrePayTotalMoney(conn, a, &balance)), 0);
        QCOMPARE(balance, 0.0); // a number the host can trust: 0 when nothing could be read
        failedBecause("GetPrePayTotalMoney");

        // Prepayment that could not be checked cannot be used.
        int32_t flag = 1;
        int32_t account = 55;
        QCOMPARE(int(GetPrePayInfo1(conn, 0, &flag, "P-A", &account, 0, 0)), 1);
        QCOMPARE(flag, 0);
        QCOMPARE(account, 0);
        failedBecause("GetPrePayInfo1");

        QCOMPARE(int(VipGradeSet(conn, "M001", "王五", 5, 0, "张会计", date_, a, "", 0)), 0);
        failedBecause("VipGradeSet");
        QCOMPARE(toNumber(scalar(*db_, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"), {a})),
                 10.0);

        // The cashier hears what the check and the booking say when they fail; a call that never
        // reached the database says nothing.
        const QStringList said = closed ? QStringList{noAccount, pointsFailed} : QStringList();
        QCOMPARE(texts(run.events(QStringLiteral("message"))), said);
        CalvaneDisconnect(conn);
    }

    // Without a script, people get real message boxes.
    void messagesForPeople()
    {
        const qint32 a = newAccount(*db_, QStringLiteral("M001"), 10.0);
        MessageBoxWatch watch;
        int32_t flag = 1;
        int32_t account = 0;
        QCOMPARE(int(GetPrePayInfo1(conn_, 0, &flag, "P-X", &account, 0, 0)), 1);
        QCOMPARE(int(VipGradeSet(conn_, "M001", "王五", 5, 0, "张会计", date_, a + 1, "", 0)), 0);
        QCOMPARE(watch.shown, (QStringList{noAccount, pointsFailed}));
    }

    // Where no window can be shown and no script is set, the database work is still done and the
    // message goes to the log; a dialog export is refused there as before.
    void noDisplay()
    {
        const qint32 a = newAccount(*db_, QStringLiteral("M001"));
        move(*db_, a, 0, 0, 0);
        link(*db_, QStringLiteral("PrePayUserSheet_Table"), QStringLiteral("P-A"), "PrePayer_ID", a);
        const QString url = QStringLiteral("sqlite:") + db_->sqliteFile();

        const ToolRun check = runTool({"call", "GetPrePayInfo1", "--db", url, "--arg", "use_prepay=1", "--arg",
                                       "patient_code=P-A", "--arg", "account=9"},
                                      withoutDisplay());
        QCOMPARE(check.exitCode, 0);
        QCOMPARE(check.out.trimmed(),
                 QByteArray(R"({"result":1,"out":{"use_prepay":0,"account":)") + QByteArray::number(a) + "}}");
        QVERIFY2(QString::fromUtf8(check.err).contains(QStringLiteral("calvane: ") + nothingLeft),
                 check.err.constData());

        const ToolRun dialog = runTool({"call", "ReceiptSet", "--db", url, "--arg", "receipt_id=5"}, withoutDisplay());
        QCOMPARE(dialog.exitCode, 1);
        QCOMPARE(dialog.out, QByteArray()); // nothing a script could take for an answer
        QVERIFY2(dialog.err.contains("ReceiptSet: no display"), dialog.err.constData());
    }

    // `calvane call` on the demo clinic: every account's balance as a plain SUM over its rows
    // gives it.
    void callTool()
    {
        QTemporaryDir dir;
        const QString url = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("demo.sqlite"));
        QCOMPARE(runTool({"init", url, "--demo"}).exitCode, 0);
        const ConnectionPtr demo = Connection::open(url);
        Query accounts(*demo, QStringLiteral("SELECT ID FROM PrePay_Table ORDER BY ID"));
        accounts.exec();
        int withUses = 0;
        QList<qint64> ids;
        while (accounts.next())
            ids << accounts.integer(QStringLiteral("ID"));
        QVERIFY(!ids.isEmpty());
        for (qint64 id : ids) {
            const double moved =
                toNumber(scalar(*demo,
                                QStringLiteral("SELECT Sum(CASE PrePay_IO WHEN 0 THEN 1 WHEN 1 THEN -1 ELSE 0 END"
                                               " * (coalesce(PrePay_Money,0) + coalesce(PreferMoney,0)))"
                                               " FROM PrePayReg_Table WHERE PrePayer_ID=?"),
                                {id}));
            const double used = toNumber(scalar(
                *demo, QStringLiteral("SELECT Sum(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=?"), {id}));
            withUses += used != 0;

            const ToolRun r =
                runTool({"call", "GetPrePayTotalMoney", "--db", url, "--arg", QStringLiteral("account=%1").arg(id)});
            QCOMPARE(r.exitCode, 0);
            const QJsonObject json = QJsonDocument::fromJson(r.out).object();
            QCOMPARE(json.value(QStringLiteral("result")).toInt(-1), 0);
            QCOMPARE(json.value(QStringLiteral("out")).toObject().keys(), QStringList{QStringLiteral("balance")});
            QCOMPARE(json.value(QStringLiteral("out")).toObject().value(QStringLiteral("balance")).toDouble(-1),
                     moved - used);
        }
        QVERIFY(withUses > 0); // the demo exercises every term
    }
};

QTEST_MAIN(TestPrePayExports)
#include "tst_prepay_exports.moc"
