// Fee categories, the receipt header look-ups, the fee receipt rows and the fee receipt
// form's buttons, on every backend.
#include "common/Money.h"
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "receipt/FeeReceiptForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/support/TestDb.h"
#include <QProcess>
#include <QTest>

using namespace receipt;
using Ending = FeeReceiptForm::Ending;

Q_DECLARE_METATYPE(QList<QVariant>)
using Amounts = QList<std::pair<int, double>>; // category index, amount
Q_DECLARE_METATYPE(Amounts)

namespace {

const QString receipts = QStringLiteral("收费收据表");

void addDoctor(db::Connection& c, const QVariant& name, const QVariant& number, const QVariant& department)
{
    db::AddRecord(c, QStringLiteral("主治医生表"),
                  {{QStringLiteral("医生姓名"), name}, {QStringLiteral("医生编号"), number}, {QStringLiteral("科室"), department}},
                  {});
}

// An unpaid receipt as another desk would have stored it; returns its ID.
qint64 addStoredReceipt(db::Connection& c, const QString& doctor, const QString& paid = QStringLiteral("未付"),
                        const QVariant& prescription = {}, const QVariant& feeIO = 0)
{
    return db::AddRecord(c, receipts,
                         {{QStringLiteral("病历号"), 7},
                          {QStringLiteral("病人姓名"), QStringLiteral("张三")},
                          {QStringLiteral("医生姓名"), doctor},
                          {QStringLiteral("医生编号"), QStringLiteral("D01")},
                          {QStringLiteral("科室"), QStringLiteral("口腔科")},
                          {QStringLiteral("护士"), QStringLiteral("刘护士")},
                          {QStringLiteral("收款人"), QStringLiteral("收款员")},
                          {QStringLiteral("检查费"), 30.0},
                          {QStringLiteral("整畸费"), 20.0},
                          {QStringLiteral("其它费用"), 5.0},
                          {QStringLiteral("合计"), 55.0},
                          {QStringLiteral("付款"), paid},
                          {QStringLiteral("备注"), QStringLiteral("复诊")},
                          {QStringLiteral("FeeIO"), feeIO},
                          {QStringLiteral("IsPrescriptionFlag"), prescription}});
}

QVariantMap row(db::Connection& c, qint64 id)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 收费收据表 WHERE ID=?"), {id});
    q.exec();
    return q.next() ? testdb::currentRow(q) : QVariantMap();
}

qint64 receiptCount(db::Connection& c) { return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM 收费收据表"))); }

FeeReceiptForm::Inputs inputs(qint64 id = 0, const QString& doctor = QStringLiteral("王医生"))
{
    FeeReceiptForm::Inputs in;
    in.caseNumber = 7;
    in.receiptId = id;
    in.doctorName = doctor;
    in.department = QStringLiteral("口腔科");
    in.doctorNumber = QStringLiteral("D01");
    in.patientName = QStringLiteral("张三");
    in.date = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));
    in.nurse = QStringLiteral("刘护士");
    return in;
}

// Another cashier, in a process of its own: opens receipt id of 王医生 in the fee receipt form,
// sets its 挂号费 and clicks 修改. Exit code 0 when the edit was written.
int otherDeskEdit(const QString& url, qint64 id, double fee)
{
    auto c = db::Connection::open(url);
    FeeReceiptForm form(c, inputs(id));
    form.open();
    form.fields.amounts[0] = fee;
    form.amountsChanged();
    ScriptedPrompter prompter;
    return form.modify() == Ending::Accept && prompter.shown.isEmpty() ? 0 : 1;
}

int runOtherDesk(const QString& url, qint64 id, double fee)
{
    return QProcess::execute(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--other-desk"), url, QString::number(id), QString::number(fee)});
}

} // namespace

class TestFeeReceipt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void categoriesInCanonicalOrder()
    {
        const QStringList columns{"挂号费", "检查费", "镶牙费", "整畸费", "注射费", "中药费",
                                  "西药费", "治疗费", "手术费", "诊疗费", "放射费", "其它费用"};
        const CategoryLabels labels = defaultCategoryLabels();
        for (int i = 0; i < CategoryCount; ++i) {
            QCOMPARE(categoryColumn(i), columns[i]);
            QCOMPARE(categoryIndex(columns[i]), i);
        }
        QCOMPARE(labels[3], QStringLiteral("正畸费"));
        QCOMPARE(labels[11], QStringLiteral("其它"));
        QCOMPARE(categoryIndex(QStringLiteral("正畸费")), -1); // a label never names a column
    }

    void clinicLabels_data() { testdb::addBackendRows(); }
    void clinicLabels()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const QList<std::pair<int, QVariant>> names{{4, QStringLiteral("矫正费")}, {12, QStringLiteral("其他收费")},
                                                   {1, QVariant()}, {2, QStringLiteral("  ")}, {13, QStringLiteral("多余")}};
        for (const auto& [index, name] : names)
            db::AddRecord(*c, QStringLiteral("ReceiptItemName_Table"),
                          {{QStringLiteral("ItemIndex"), index}, {QStringLiteral("ItemName"), name}}, {});
        CategoryLabels labels;
        LoadCategoryLabels(*c, labels);
        CategoryLabels expected = defaultCategoryLabels();
        expected[3] = QStringLiteral("矫正费");
        expected[11] = QStringLiteral("其他收费");
        QCOMPARE(labels, expected);

        c->failStatementAfter(1);
        QVERIFY_THROWS_EXCEPTION(db::Error, LoadCategoryLabels(*c, labels));
        QCOMPARE(labels, defaultCategoryLabels());
    }

    void headerLists_data() { testdb::addBackendRows(); }
    void headerLists()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addDoctor(*c, QStringLiteral("王医生"), QStringLiteral("D01"), QStringLiteral("口腔科"));
        addDoctor(*c, QStringLiteral("O'Neil"), QStringLiteral("D02"), QStringLiteral("正畸科"));
        for (const QString& n : {QStringLiteral("刘护士"), QStringLiteral("陈护士")})
            db::AddRecord(*c, QStringLiteral("护士表"), {{QStringLiteral("护士"), n}}, {});
        addDoctor(*c, QStringLiteral("阿医生"), QStringLiteral("D03"), QVariant());
        QStringList doctors{QStringLiteral("stale")}, nurses;
        FillDoctorList(*c, doctors);
        FillNurseList(*c, nurses);
        QCOMPARE(doctors, (QStringList{"王医生", "O'Neil", "阿医生"})); // as the rows are kept, not sorted
        QCOMPARE(nurses, (QStringList{"陈护士", "刘护士"})); // the list filler's GBK order
    }

    void doctorSelection_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QStringList>("expected"); // name, number, department
        struct Case {
            const char* name;
            int index;
            QString picked;
            QStringList expected;
        };
        const QList<Case> cases{
            {"doctor with number and department", 0, QStringLiteral("王医生"), {"王医生", "D01", "口腔科"}},
            {"apostrophe in the name", 1, QStringLiteral("O'Neil"), {"O'Neil", "D02", "正畸科"}},
            {"ASCII case and trailing blank", 1, QStringLiteral("o'neil "), {"o'neil ", "D02", "正畸科"}},
            {"NULL number and department read empty", 2, QStringLiteral("李医生"), {"李医生", "", ""}},
            {"not in the table: number cleared, department kept", 3, QStringLiteral("张医生"), {"张医生", "", "旧科室"}},
            {"nothing picked: nothing changes", -1, QStringLiteral("王医生"), {"原医生", "D99", "旧科室"}},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(c.name)))
                    << b << c.index << c.picked << c.expected;
    }
    void doctorSelection()
    {
        QFETCH(QString, backend);
        QFETCH(int, index);
        QFETCH(QString, picked);
        QFETCH(QStringList, expected);
        auto c = testdb::open(backend);
        addDoctor(*c, QStringLiteral("王医生"), QStringLiteral("D01"), QStringLiteral("口腔科"));
        addDoctor(*c, QStringLiteral("O'Neil"), QStringLiteral("D02"), QStringLiteral("正畸科"));
        addDoctor(*c, QStringLiteral("李医生"), QVariant(), QVariant());
        DoctorFields fields{QStringLiteral("原医生"), QStringLiteral("D99"), QStringLiteral("旧科室")};
        SelectDoctor(*c, index, picked, fields);
        QCOMPARE((QStringList{fields.name, fields.number, fields.department}), expected);
    }

    void refundSwitch_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QList<QVariant>>("rows");
        QTest::addColumn<bool>("visible");
        const QList<std::tuple<const char*, QList<QVariant>, bool>> cases{
            {"no settings row", {}, false},
            {"switched on", {1}, true},
            {"switched off", {0}, false},
            {"NULL is skipped, the last value wins", {0, 1, QVariant()}, true},
            {"a later 0 hides it", {1, 0}, false},
        };
        for (const QString& b : testdb::backends())
            for (const auto& [name, rows, visible] : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(name))) << b << rows << visible;
    }
    void refundSwitch()
    {
        QFETCH(QString, backend);
        QFETCH(QList<QVariant>, rows);
        QFETCH(bool, visible);
        auto c = testdb::open(backend);
        for (const QVariant& v : rows)
            db::AddRecord(*c, QStringLiteral("Management_table"), {{QStringLiteral("FeeIOShowYesNo"), v}}, {});
        QCOMPARE(RefundSwitchVisible(*c), visible);
    }

    void receiptDate_data() { testdb::addBackendRows(); }
    void receiptDate()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        QDateTime date(QDate(2001, 2, 3), QTime(4, 5, 6));
        LoadReceiptDate(*c, date);
        QVERIFY(qAbs(date.secsTo(c->serverTime())) < 5);
        // The server unreachable: the local time stays.
        date = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6));
        c->failStatementAfter(1);
        QVERIFY_THROWS_EXCEPTION(db::Error, LoadReceiptDate(*c, date));
        QVERIFY(qAbs(date.secsTo(QDateTime::currentDateTime())) < 5);
    }

    void addWritesTheRow_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("remark");
        QTest::addColumn<QString>("storedRemark");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": remark"))) << b << QStringLiteral("复诊") << QStringLiteral("复诊");
            QTest::newRow(qPrintable(b + QStringLiteral(": empty remark is one blank"))) << b << QString() << QStringLiteral(" ");
        }
    }
    void addWritesTheRow()
    {
        QFETCH(QString, backend);
        QFETCH(QString, remark);
        QFETCH(QString, storedRemark);
        auto c = testdb::open(backend);
        FeeReceipt r;
        r.caseNumber = 7;
        r.patientName = QStringLiteral("O'Hara 张");
        r.date = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
        for (int i = 0; i < CategoryCount; ++i) r.amounts[i] = i + 1;
        r.total = -78.0;
        r.remark = remark;
        r.doctorName = QStringLiteral("王医生");
        r.doctorNumber = QStringLiteral("D01");
        r.department = QStringLiteral("口腔科");
        r.refund = 1; // no nurse: an empty text, not NULL
        const qint64 id = addFeeReceipt(*c, r);
        QVERIFY(id > 0);
        const QVariantMap m = row(*c, id);
        QCOMPARE(m["病历号"].toLongLong(), 7);
        QCOMPARE(m["病人姓名"].toString(), r.patientName);
        QCOMPARE(db::toDateTime(m["日期"]), r.date);
        for (int i = 0; i < CategoryCount; ++i) QCOMPARE(m[categoryColumn(i)].toDouble(), double(i + 1));
        QCOMPARE(m["合计"].toDouble(), -78.0);
        QCOMPARE(m["医生姓名"].toString(), QStringLiteral("王医生"));
        QCOMPARE(m["医生编号"].toString(), QStringLiteral("D01"));
        QCOMPARE(m["科室"].toString(), QStringLiteral("口腔科"));
        QVERIFY(!m["护士"].isNull());
        QCOMPARE(m["护士"].toString(), QString());
        QCOMPARE(m["收款人"].toString(), QStringLiteral(" "));
        QCOMPARE(m["付款"].toString(), QStringLiteral("未付"));
        QCOMPARE(m["备注"].toString(), storedRemark);
        QCOMPARE(m["feeio"].toInt(), 1);
        for (const char* column : {"isprescriptionflag", "doctor_discout", "doctor_discout_value"})
            QVERIFY2(m[column].isNull(), column);
    }

    void loadForEditing_data() { testdb::addBackendRows(); }
    void loadForEditing()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint64 unpaid = addStoredReceipt(*c, QStringLiteral("Dr Wang"), QStringLiteral("未付"), {}, -1);
        const qint64 paid = addStoredReceipt(*c, QStringLiteral("Dr Wang"), QStringLiteral("已付"));
        const qint64 prescription = addStoredReceipt(*c, QStringLiteral("Dr Wang"), QStringLiteral("未付"), 2);

        const auto r = loadUnpaidFeeReceipt(*c, unpaid, QStringLiteral("dr wang "));
        QVERIFY(r);
        QCOMPARE(r->id, unpaid);
        QCOMPARE(r->amounts[1], 30.0);
        QCOMPARE(r->amounts[3], 20.0); // 整畸费
        QCOMPARE(r->amounts[11], 5.0); // 其它费用
        QCOMPARE(r->amounts[0], 0.0);  // NULL
        QCOMPARE(r->total, 55.0);
        QCOMPARE(r->remark, QStringLiteral("复诊"));
        QCOMPARE(r->department, QStringLiteral("口腔科"));
        QCOMPARE(r->nurse, QStringLiteral("刘护士"));
        QCOMPARE(r->patientName, QStringLiteral("张三"));
        QCOMPARE(r->refund, 1); // FeeIO as its absolute value

        QVERIFY(!loadUnpaidFeeReceipt(*c, unpaid, QStringLiteral("李医生")));
        QVERIFY(!loadUnpaidFeeReceipt(*c, paid, QStringLiteral("Dr Wang")));
        QVERIFY(!loadUnpaidFeeReceipt(*c, prescription, QStringLiteral("Dr Wang")));
        QVERIFY(!loadUnpaidFeeReceipt(*c, 999, QStringLiteral("Dr Wang")));
    }

    void updateAndDeleteOnlyUnpaidRows_data() { testdb::addBackendRows(); }
    void updateAndDeleteOnlyUnpaidRows()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint64 id = addStoredReceipt(*c, QStringLiteral("王医生"));
        FeeReceipt r = *loadUnpaidFeeReceipt(*c, id, QStringLiteral("王医生"));
        r.caseNumber = 8;
        r.amounts[0] = 10.0;
        r.total = 65.0;
        r.remark.clear();
        r.doctorName = QStringLiteral("李医生");
        r.date = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5));
        QCOMPARE(updateFeeReceipt(*c, r), UpdateResult::Updated);
        QVariantMap m = row(*c, id);
        QCOMPARE(m["病历号"].toLongLong(), 8);
        QCOMPARE(m["挂号费"].toDouble(), 10.0);
        QCOMPARE(m["合计"].toDouble(), 65.0);
        QCOMPARE(m["备注"].toString(), QStringLiteral(" "));
        QCOMPARE(m["医生姓名"].toString(), QStringLiteral("李医生"));
        QCOMPARE(db::toDateTime(m["日期"]), r.date);
        QCOMPARE(m["收款人"].toString(), QStringLiteral("收款员")); // untouched

        // Settled at the cashier's desk meanwhile: neither changed nor deleted.
        db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET 付款='已付' WHERE ID=?"), {id});
        r.amounts[0] = 99.0;
        QCOMPARE(updateFeeReceipt(*c, r), UpdateResult::NotEditable);
        QCOMPARE(row(*c, id)["挂号费"].toDouble(), 10.0);
        QCOMPARE(deleteFeeReceipt(*c, id), DeleteResult::Settled);
        QVERIFY(!row(*c, id).isEmpty());

        const qint64 other = addStoredReceipt(*c, QStringLiteral("王医生"));
        QCOMPARE(deleteFeeReceipt(*c, other), DeleteResult::Deleted);
        QVERIFY(row(*c, other).isEmpty());
        QCOMPARE(deleteFeeReceipt(*c, other), DeleteResult::Gone);
    }

    void amountReceivedCoversThePatientsCases_data() { testdb::addBackendRows(); }
    void amountReceivedCoversThePatientsCases()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const QList<std::pair<int, QVariant>> cards{{7, QStringLiteral("P1")}, {8, QStringLiteral("P1")},
                                                   {9, QStringLiteral("P2")}, {10, QVariant()}, {11, QVariant()}};
        for (const auto& [caseNumber, patient] : cards)
            db::AddRecord(*c, QStringLiteral("病历卡表"),
                          {{QStringLiteral("病历号"), caseNumber}, {QStringLiteral("病人编号"), patient}}, {});
        const QList<std::pair<int, double>> payments{{7, 100.0}, {8, 50.0}, {9, 1000.0}, {10, 30.0}, {11, 40.0}};
        for (const auto& [caseNumber, paid] : payments)
            db::AddRecord(*c, QStringLiteral("病历收费单"),
                          {{QStringLiteral("病历号"), caseNumber}, {QStringLiteral("收款金额"), paid}}, QStringLiteral("病历收费编号"));
        QCOMPARE(amountReceived(*c, 7), 150.0);
        QCOMPARE(amountReceived(*c, 9), 1000.0);
        QCOMPARE(amountReceived(*c, 10), 30.0); // no patient number: this case only
        QCOMPARE(amountReceived(*c, 12), 0.0);  // no card, no payments
    }
    void formOpening_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("receipt"); // which stored receipt the host names
        QTest::addColumn<int>("fault");       // the Nth statement of opening fails
        QTest::addColumn<bool>("existing");   // opened in edit mode
        QTest::addColumn<bool>("allEnabled"); // the read failed: the template's state
        const QList<std::tuple<const char*, QString, int, bool, bool>> cases{
            {"receipt ID 0: a new receipt", "none", 0, false, false},
            {"unpaid receipt of this doctor", "unpaid", 0, true, false},
            {"paid receipt opens as a new one", "paid", 0, false, false},
            {"another doctor's receipt opens as a new one", "other", 0, false, false},
            {"a failed read leaves every button enabled", "unpaid", 5, false, true},
        };
        for (const QString& b : testdb::backends())
            for (const auto& [name, which, fault, existing, all] : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(name)))
                    << b << which << fault << existing << all;
    }
    void formOpening()
    {
        QFETCH(QString, backend);
        QFETCH(QString, receipt);
        QFETCH(int, fault);
        QFETCH(bool, existing);
        QFETCH(bool, allEnabled);
        auto c = testdb::open(backend);
        addDoctor(*c, QStringLiteral("王医生"), QStringLiteral("D01"), QStringLiteral("口腔科"));
        db::AddRecord(*c, QStringLiteral("护士表"), {{QStringLiteral("护士"), QStringLiteral("刘护士")}}, {});
        db::AddRecord(*c, QStringLiteral("ReceiptItemName_Table"),
                      {{QStringLiteral("ItemIndex"), 4}, {QStringLiteral("ItemName"), QStringLiteral("矫正费")}}, {});
        db::AddRecord(*c, QStringLiteral("Management_table"), {{QStringLiteral("FeeIOShowYesNo"), 1}}, {});
        qint64 id = 0;
        if (receipt == QLatin1String("unpaid")) id = addStoredReceipt(*c, QStringLiteral("王医生"));
        if (receipt == QLatin1String("paid")) id = addStoredReceipt(*c, QStringLiteral("王医生"), QStringLiteral("已付"));
        if (receipt == QLatin1String("other")) id = addStoredReceipt(*c, QStringLiteral("李医生"));

        FeeReceiptForm::Inputs in = inputs(id);
        in.patientName = QStringLiteral("主机病人");
        in.dateFixed = 1;
        FeeReceiptForm form(c, in);
        if (fault) c->failStatementAfter(fault);
        form.open();
        c->clearFault();

        QVERIFY(qAbs(form.fields.date.secsTo(c->serverTime())) < 5); // the host's date never stays
        QVERIFY(!form.dateEnabled);
        QCOMPARE(form.labels[3], QStringLiteral("矫正费"));
        QCOMPARE(form.nurses, QStringList{"刘护士"});
        QCOMPARE(form.doctors, QStringList{"王医生"});
        QVERIFY(form.refundVisible);
        QCOMPARE(form.submitEnabled, !existing);
        QCOMPARE(form.modifyEnabled, existing || allEnabled);
        QCOMPARE(form.deleteEnabled, existing || allEnabled);
        QCOMPARE(form.receiptId(), id);
        QCOMPARE(form.fields.total, existing ? 55.0 : 0.0);
        QCOMPARE(form.fields.amounts[1], existing ? 30.0 : 0.0);
        QCOMPARE(form.fields.patientName, existing ? QStringLiteral("张三") : QStringLiteral("主机病人"));
    }

    void formSubmit_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<Amounts>("amounts");
        QTest::addColumn<int>("refund");
        QTest::addColumn<QString>("doctor");
        QTest::addColumn<double>("received");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<double>("total");
        QTest::addColumn<QStringList>("messages");
        const QString doctor = QStringLiteral("王医生");
        const QString zero = QStringLiteral("合计费用为0值,是否重新填写?");
        const QString overRefund = QStringLiteral("要退费的金额超过实际已收的金额，是否继续退费？");
        const Amounts fifty{{1, 30.0}, {3, 20.0}};
        struct Case {
            const char* name;
            Amounts amounts;
            int refund;
            QString doctor;
            double received;
            QList<bool> answers;
            int fault;
            bool stored;
            double total;
            QStringList messages;
        };
        const QList<Case> cases{
            {"new receipt", fifty, 0, doctor, 0, {}, 0, true, 50.0, {}},
            {"no doctor", fifty, 0, QString(), 0, {}, 0, false, 0, {"请选择医生!"}},
            {"zero total, fill in again", {}, 0, doctor, 0, {true}, 0, false, 0, {zero}},
            {"zero total, store it", {}, 0, doctor, 0, {false}, 0, true, 0.0, {zero}},
            {"refund within what was received", fifty, 1, doctor, 100, {}, 0, true, -50.0, {}},
            {"refund above what was received, go on", fifty, 1, doctor, 40, {true}, 0, true, -50.0, {overRefund}},
            {"refund above what was received, stop", fifty, 1, doctor, 40, {false}, 0, false, 0, {overRefund}},
            {"failed save", fifty, 0, doctor, 0, {}, 1, false, 0, {"收据记录失败,退出!"}},
            {"an amount out of range", {{1, 1e308}}, 0, doctor, 0, {}, 0, false, 0, {money::kAmountOutOfRange}},
            {"amounts in range, their total not", {{1, 6e8}, {2, 6e8}}, 0, doctor, 0, {}, 0, false, 0,
             {money::kAmountOutOfRange}},
            {"an amount on the bound", {{1, 1e9}}, 0, doctor, 0, {}, 0, true, 1e9, {}},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(c.name)))
                    << b << c.amounts << c.refund << c.doctor << c.received << c.answers << c.fault << c.stored << c.total
                    << c.messages;
    }
    void formSubmit()
    {
        QFETCH(QString, backend);
        QFETCH(Amounts, amounts);
        QFETCH(int, refund);
        QFETCH(QString, doctor);
        QFETCH(double, received);
        QFETCH(QList<bool>, answers);
        QFETCH(int, fault);
        QFETCH(bool, stored);
        QFETCH(double, total);
        QFETCH(QStringList, messages);
        auto c = testdb::open(backend);
        db::AddRecord(*c, QStringLiteral("病历卡表"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("病人编号"), QStringLiteral("P1")}}, {});
        db::AddRecord(*c, QStringLiteral("病历收费单"), {{QStringLiteral("病历号"), 7}, {QStringLiteral("收款金额"), received}},
                      QStringLiteral("病历收费编号"));

        FeeReceiptForm form(c, inputs(0, doctor));
        form.open();
        for (const auto& [index, value] : amounts) form.fields.amounts[index] = value;
        form.fields.refund = refund;
        ScriptedPrompter prompter(answers);
        if (fault) c->failStatementAfter(fault);
        const Ending ending = form.submit();
        c->clearFault();

        QCOMPARE(prompter.shown, messages);
        QVERIFY(prompter.allAnswered());
        QCOMPARE(ending, stored ? Ending::Accept : Ending::Stay);
        QCOMPARE(receiptCount(*c), stored ? 1 : 0);
        if (!stored) {
            QCOMPARE(form.receiptId(), 0);
            return;
        }
        const QVariantMap m = row(*c, form.receiptId());
        QCOMPARE(m["合计"].toDouble(), total);
        QCOMPARE(m["feeio"].toInt(), refund);
        for (const auto& [index, value] : amounts) QCOMPARE(m[categoryColumn(index)].toDouble(), value);
    }

    void formModify_data() { testdb::addBackendRows(); }
    void formModify()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint64 id = addStoredReceipt(*c, QStringLiteral("王医生"), QStringLiteral("未付"), {}, 1);
        db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET 合计=-55 WHERE ID=?"), {id});
        FeeReceiptForm form(c, inputs(id));
        form.open();
        QCOMPARE(form.fields.refund, 1);
        QCOMPARE(form.fields.total, -55.0);

        // Editing a refund receipt's amounts keeps its total negative.
        form.fields.amounts[0] = 10.0;
        form.amountsChanged();
        QCOMPARE(form.fields.total, 65.0);
        {
            ScriptedPrompter prompter;
            QCOMPARE(form.modify(), Ending::Accept);
            QVERIFY(prompter.shown.isEmpty());
        }
        QCOMPARE(form.receiptId(), id);
        QVariantMap m = row(*c, id);
        QCOMPARE(m["合计"].toDouble(), -65.0);
        QCOMPARE(m["挂号费"].toDouble(), 10.0);
        QCOMPARE(m["feeio"].toInt(), 1);

        // A failed write, or a receipt settled meanwhile, keeps the dialog open.
        for (const bool settled : {false, true}) {
            ScriptedPrompter prompter;
            if (settled) db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET 付款='已付' WHERE ID=?"), {id});
            else c->failStatementAfter(1);
            form.fields.amounts[0] = 99.0;
            QCOMPARE(form.modify(), Ending::Stay);
            c->clearFault();
            QCOMPARE(prompter.shown, QStringList{"收据修改失败,退出!"});
            QCOMPARE(row(*c, id)["挂号费"].toDouble(), 10.0);
        }
    }

    // Two cashiers edit one unpaid receipt, the other one in another process, between this
    // form's loading and its 修改: this edit must not write over theirs unseen.
    void editChangedAtAnotherDesk_data() { testdb::addBackendRows(); }
    void editChangedAtAnotherDesk()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        const qint64 id = addStoredReceipt(*c, QStringLiteral("王医生"));
        FeeReceiptForm mine(c, inputs(id));
        mine.open();
        QVERIFY(mine.modifyEnabled);

        QCOMPARE(runOtherDesk(url, id, 15.0), 0);
        QCOMPARE(row(*c, id)["挂号费"].toDouble(), 15.0);

        mine.fields.amounts[1] = 40.0;
        mine.amountsChanged();
        {
            ScriptedPrompter prompter;
            QCOMPARE(mine.modify(), Ending::Stay);
            QCOMPARE(prompter.shown, QStringList{db::kChangedElsewhere});
        }
        // Nothing of ours written; the form shows the receipt as the other desk left it.
        QVariantMap m = row(*c, id);
        QCOMPARE(m["挂号费"].toDouble(), 15.0);
        QCOMPARE(m["检查费"].toDouble(), 30.0);
        QCOMPARE(mine.fields.amounts[0], 15.0);
        QCOMPARE(mine.fields.amounts[1], 30.0);
        QCOMPARE(mine.fields.total, 70.0);

        // Made again on top of it, our edit is written; and a second one after it too.
        for (const double amount : {40.0, 45.0}) {
            mine.fields.amounts[1] = amount;
            mine.amountsChanged();
            ScriptedPrompter prompter;
            QCOMPARE(mine.modify(), Ending::Accept);
            QVERIFY(prompter.shown.isEmpty());
            m = row(*c, id);
            QCOMPARE(m["挂号费"].toDouble(), 15.0);
            QCOMPARE(m["检查费"].toDouble(), amount);
            QCOMPARE(m["合计"].toDouble(), 40.0 + amount);
        }
    }

    void formDelete_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("meanwhile"); // "", "settled" or "fault"
        QTest::addColumn<int>("ending");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QStringList>("messages");
        const QString ask = QStringLiteral("真的要删除这个收据吗？");
        const QString failed = QStringLiteral("删除该收据信息时发生错误！");
        for (const QString& b : testdb::backends()) {
            auto row = [&](const char* name) { return &QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(name))); };
            *row("answered no") << b << false << QString() << int(Ending::Stay) << true << QStringList{ask};
            *row("deleted") << b << true << QString() << int(Ending::Accept) << false
                            << QStringList{ask, QStringLiteral("该收据信息已删除！")};
            *row("settled meanwhile") << b << true << QStringLiteral("settled") << int(Ending::Reject) << true
                                      << QStringList{ask, failed};
            *row("database failure") << b << true << QStringLiteral("fault") << int(Ending::Reject) << true
                                     << QStringList{ask, failed};
        }
    }
    void formDelete()
    {
        QFETCH(QString, backend);
        QFETCH(bool, answer);
        QFETCH(QString, meanwhile);
        QFETCH(int, ending);
        QFETCH(bool, kept);
        QFETCH(QStringList, messages);
        auto c = testdb::open(backend);
        const qint64 id = addStoredReceipt(*c, QStringLiteral("王医生"));
        FeeReceiptForm form(c, inputs(id));
        form.open();
        if (meanwhile == QLatin1String("settled"))
            db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET 付款='已付' WHERE ID=?"), {id});
        ScriptedPrompter prompter({answer});
        if (meanwhile == QLatin1String("fault")) c->failStatementAfter(1);
        QCOMPARE(int(form.remove()), ending);
        c->clearFault();
        QCOMPARE(prompter.shown, messages);
        QCOMPARE(!row(*c, id).isEmpty(), kept);
        QCOMPARE(form.receiptId(), id); // the deleted receipt's ID goes back to the host
        if (Ending(ending) == Ending::Accept) {
            QVERIFY(form.submitEnabled && !form.modifyEnabled && !form.deleteEnabled);
            QCOMPARE(form.fields.total, 0.0);
            QCOMPARE(form.fields.amounts[1], 0.0);
            QVERIFY(form.fields.remark.isEmpty());
        }
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--other-desk"))
        return otherDeskEdit(args[2], args[3].toLongLong(), args[4].toDouble());
    TestFeeReceipt test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_fee_receipt.moc"
