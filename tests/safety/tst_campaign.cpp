// The reliability campaign: many short rounds in which 3 or 4 desks, each a process of its own,
// settle at the same moment through the three checkouts (ReceiptPay, StandartPay,
// RescriptionReceiptPay), first settlements and re-settlements mixed, colliding on the same
// receipts, on one voucher, on one prepaid account and on the last units of one batch; in some
// rounds one desk is killed (SIGKILL) at a random moment of its checkout. Whatever the
// interleaving, after every round the tables must still say that money and stock moved once:
//   - a settled receipt has exactly one payment record, an unpaid one none;
//   - a voucher holds what it was issued with less the voucher payments on record, never < 0;
//   - a prepaid account holds its deposits less its uses, never < 0, one use per payment
//     record paid from it and none for any other;
//   - a batch has lost exactly what its withdrawal rows say, and those are the settled
//     prescription lines, each taken once;
//   - a member's points are one booking per settled receipt that earns them.
// The plan of the rounds comes from a seed printed at the start (CALVANE_CAMPAIGN_SEED repeats
// it; CALVANE_CAMPAIGN_ROUNDS changes how many rounds run per database). The timing between the
// processes is the machine's, so a failure names its round and the broken invariant.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "prepay/PrePayBalance.h"
#include "receipt/StandardItemWriter.h"
#include "settle/CheckoutForm.h"
#include "settle/Settlement.h"
#include "tests/app/ScriptRun.h"
#include "tests/rx/StockFixture.h"
#include "tests/settle/SettleFixture.h"
#include "tests/support/TestDb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <iostream>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;

namespace
{

enum Kind { Category, Standard, Prescription };
const char* const kKindNames[] = {"ReceiptPay", "StandartPay", "RescriptionReceiptPay"};
const QString kSettled = settle::kSettled;
const QString kSpec = u"0.25g*24"_s;
constexpr double kPrice = 10.0; // a unit of medicine
constexpr double kUnits = 2.0;  // per prescription

// One desk's checkout: which export, which receipt, first settlement or again, paid how.
struct Checkout {
    Kind kind = Category;
    qint64 receipt = 0;
    bool resettle = false;
    int method = settle::Cash; // Cash, PrePayment or Voucher; -1: keep what the record says
    qint64 caseNumber = 0;
    QString patient;
    QString voucher;

    QStringList args() const
    {
        return {QString::number(kind),
                QString::number(receipt),
                QString::number(resettle),
                QString::number(method),
                QString::number(caseNumber),
                patient,
                voucher};
    }
    static Checkout from(const QStringList& a)
    {
        return {Kind(a[0].toInt()), a[1].toLongLong(), a[2].toInt() != 0, a[3].toInt(), a[4].toLongLong(), a[5], a[6]};
    }
};

// What a desk was told, what the module left for its host as the last error, the last dialog
// it saw open and why its script stopped, if it did (a dialog it expected did not come).
struct Seen {
    QStringList messages;
    QString lastError, lastDialog, scriptError;
    bool settled() const { return messages.contains(kSettled); }
    QString text() const { return messages.join(u" / "_s); }
};

QJsonObject step(const char* kind, const QString& what)
{
    return {{QString::fromLatin1(kind), what}};
}

// The script a cashier would follow: pick the method in the payment dialog, then settle.
QJsonArray script(const Checkout& k)
{
    const QString title = k.kind == Prescription ? u"处方结帐"_s : u"收费结帐"_s;
    QJsonArray s;
    if (k.method == settle::PrePayment || k.method == settle::Voucher) {
        s << QJsonObject{{u"choose"_s, u"付款方式"_s},
                         {u"item"_s, k.method == settle::PrePayment ? u"预付费交款"_s : u"消费券/卡"_s}}
          << step("dialog", u"付款方式"_s);
        if (k.method == settle::Voucher)
            s << QJsonObject{{u"set"_s, u"请输入消费券的编号"_s}, {u"to"_s, k.voucher}} << step("click", u"验证"_s);
        s << step("click", u"确定"_s) << step("dialog", title);
    }
    // Settling again in cash is a choice; a first settlement starts in cash.
    if (k.method == settle::Cash && k.resettle)
        s << QJsonObject{{u"choose"_s, u"付款方式"_s}, {u"item"_s, u"现金"_s}};
    s << step("click", k.kind == Prescription ? u"确定"_s : u"结   帐"_s);
    return s;
}

// Runs the checkout through its export, as a host does, with the script's answers.
Seen runCheckout(CalvaneConnection* conn, const Checkout& k)
{
    ScriptRun run(script(k));
    int32_t id = int32_t(k.receipt), state = 0, lock = 0;
    const QByteArray patient = k.patient.toUtf8();
    const int32_t caseNumber = int32_t(k.caseNumber);
    const int32_t resettle = k.resettle ? 1 : 0;
    if (k.kind == Category)
        ReceiptPay(resettle, conn, patient, caseNumber, &id, "", "D2", "张三", 0.0, "王收款", &state, 0, &lock);
    else if (k.kind == Standard)
        StandartPay(resettle, conn, caseNumber, &id, "李医生", "", "D2", "张三", patient, "王收款", 0.0, &state, 0,
                    &lock);
    else
        RescriptionReceiptPay(resettle, conn, patient, caseNumber, &id, "", "D2", "", "张三", 0.0, "王收款", &state, 0,
                              &lock);
    Seen seen;
    for (const QJsonObject& m : run.events(u"message"_s))
        seen.messages << m.value(u"text"_s).toString();
    seen.lastError = QString::fromUtf8(CalvaneLastError());
    seen.scriptError = QString::fromUtf8(CalvaneUiScriptError());
    if (const auto opened = run.events(u"open"_s); !opened.isEmpty())
        seen.lastDialog = opened.last().value(u"dialog"_s).toString();
    return seen;
}

// A desk as a process of its own: connects, says "ready", waits for "go" on stdin, runs its
// checkout and prints what it was told as one JSON line. With "hold" it also stops once its dialog
// shows (saying "open") until the next line: the dialog has read the receipt, nothing is saved.
int deskMain(const QStringList& a)
{
    CalvaneConnection* conn = nullptr;
    if (CalvaneConnect(a[0].toUtf8().constData(), &conn) != 0) {
        std::cerr << CalvaneLastError() << std::endl;
        return 1;
    }
    const Checkout k = Checkout::from(a.mid(1, 7));
    if (a.value(8) == u"hold"_s) {
        app::Dialog::setShownHook([held = false](app::Dialog&) mutable {
            if (std::exchange(held, true))
                return;
            std::cout << "open" << std::endl;
            std::string line;
            std::getline(std::cin, line);
        });
    }
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    const Seen seen = runCheckout(conn, k);
    const QJsonObject out{{u"messages"_s, QJsonArray::fromStringList(seen.messages)},
                          {u"error"_s, seen.lastError},
                          {u"dialog"_s, seen.lastDialog},
                          {u"script"_s, seen.scriptError}};
    std::cout << QJsonDocument(out).toJson(QJsonDocument::Compact).constData() << std::endl;
    CalvaneDisconnect(conn);
    return 0;
}

// A desk process seen from the test.
struct Desk {
    Checkout checkout;
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    bool killed = false;

    void start(const QString& url, const QString& tmp, bool hold = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TMPDIR"_s, tmp); // what a killed desk leaves behind goes with the test
        process->setProcessEnvironment(env);
        QStringList args{u"--desk"_s, url};
        args << checkout.args();
        if (hold)
            args << u"hold"_s;
        process->start(QCoreApplication::applicationFilePath(), args);
    }
    // Waits for the next line the desk prints; "" when it ended or stayed silent.
    QByteArray line(int ms = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (!process->canReadLine() && t.elapsed() < ms)
            if (!process->waitForReadyRead(int(ms - t.elapsed())))
                break;
        return process->readLine().trimmed();
    }
    // Written through at once: QProcess would otherwise hold it until this desk is waited for,
    // and the desks of a round would run one after the other.
    void say(const QByteArray& what)
    {
        process->write(what + '\n');
        process->waitForBytesWritten();
    }
    // How it ended: "" when it finished and printed its view, else what went wrong.
    QString finish(Seen& seen)
    {
        if (!process->waitForFinished(60000)) {
            process->kill();
            process->waitForFinished();
            return u"did not finish"_s;
        }
        if (killed)
            return {};
        if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0)
            return u"ended with %1: %2"_s.arg(process->exitCode())
                .arg(QString::fromUtf8(process->readAllStandardError()));
        const QJsonObject o = QJsonDocument::fromJson(line(1000)).object();
        for (const QJsonValue& v : o.value(u"messages"_s).toArray())
            seen.messages << v.toString();
        seen.lastError = o.value(u"error"_s).toString();
        seen.scriptError = o.value(u"script"_s).toString();
        seen.lastDialog = o.value(u"dialog"_s).toString();
        return o.isEmpty() ? u"printed nothing: "_s + QString::fromUtf8(process->readAllStandardError()) : QString();
    }
};

// The campaign's clinic: doctor 李医生 (D2), members that earn 10 points per 100 on 挂号费 and
// on the item 拍片, a clinic that keeps stock; one patient whose account and voucher every round
// tops up; each round's medicine with one small batch.
struct Clinic {
    QString url;
    CalvaneConnection* conn = nullptr;
    QHash<qint64, qint64> voucherIssuedFen; // voucher → its value when issued
    QHash<QString, double> batchIssued;     // medicine → its batch's units when stocked

    explicit Clinic(const QString& backend) : url(testdb::freshUrl(backend))
    {
        if (CalvaneConnect(url.toUtf8().constData(), &conn) != 0)
            qFatal("%s", CalvaneLastError());
        db::Connection& c = db();
        db::schema::migrate(c);
        db::AddRecord(c, u"主治医生表"_s, {{u"医生姓名"_s, u"李医生"_s}, {u"医生编号"_s, u"D2"_s}}, {});
        db::execute(c, u"DELETE FROM Management_table"_s);
        db::AddRecord(c, u"Management_table"_s, {{u"MedicineFromKBFlag"_s, 0}, {u"FeeGadeYesNo"_s, 1}}, {});
        for (const auto& [type, item] : {std::pair{0, u"挂号费"_s}, std::pair{1, u"拍片"_s}})
            db::AddRecord(c, u"Grade_Calculte_table"_s,
                          {{u"FeeItemType"_s, type}, {u"FeeItem"_s, item}, {u"FeeGradeCalculter"_s, 10.0}}, {});
    }
    ~Clinic() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }

    struct Patient {
        qint64 caseNumber = 1001;
        QString number = u"P1"_s, voucher = u"V1"_s;
        qint32 account = 0;
        qint64 voucherId = 0;
    };

    // The patient P1 of case 1001, a member with a prepaid account M1, and a voucher V1, topped
    // up with what is given.
    Patient patient(double deposit = 0, double voucherValue = 0)
    {
        db::Connection& c = db();
        Patient p;
        db::AddRecord(c, u"病历卡表"_s, {{u"病历号"_s, p.caseNumber}, {u"病人编号"_s, p.number}}, {});
        db::AddRecord(c, u"病人简历表"_s, {{u"病人编号"_s, p.number}, {u"IS_VIP"_s, 1}, {u"VIP_Code"_s, u"M1"_s}}, {});
        p.account =
            qint32(db::AddRecord(c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"M1"_s}, {u"VIP_grade_value"_s, 0.0}}));
        db::AddRecord(c, u"PrePayUserSheet_Table"_s, {{u"PrePayer_ID"_s, p.account}, {u"Patient_Code"_s, p.number}});
        db::AddRecord(c, u"VIP_PtnSheet_Table"_s, {{u"VIP_ID"_s, p.account}, {u"Patient_Code"_s, p.number}}, {});
        p.voucherId = db::AddRecord(c, u"PreferManagement_table"_s,
                                    {{u"Card_Cover_Code"_s, p.voucher},
                                     {u"Card_Kind_Type"_s, 0},
                                     {u"Card_Left_Fee"_s, 0.0},
                                     {u"Card_Is_HaveExpire"_s, 0},
                                     {u"Card_Is_PWD"_s, 0},
                                     {u"Card_Is_Takenback"_s, 2}});
        voucherIssuedFen.insert(p.voucherId, 0);
        topUp(p, deposit, voucherValue);
        return p;
    }

    // Brings the account and the voucher up to at least these amounts, between rounds: a
    // deposit, and value issued onto the voucher.
    void topUp(const Patient& p, double deposit, double voucherValue)
    {
        db::Connection& c = db();
        const qint64 add = money::toFen(deposit) - money::toFen(prepay::GetPrePayTotalMoney(c, p.account));
        if (add > 0)
            db::AddRecord(
                c, u"PrePayReg_Table"_s,
                {{u"PrePayer_ID"_s, p.account}, {u"PrePay_IO"_s, 0}, {u"PrePay_Money"_s, money::fromFen(add)}});
        const qint64 issue = money::toFen(voucherValue) -
                             money::toFen(db::toNumber(db::scalar(
                                 c, u"SELECT Card_Left_Fee FROM PreferManagement_table WHERE ID=?"_s, {p.voucherId})));
        if (issue > 0) {
            db::execute(c, u"UPDATE PreferManagement_table SET Card_Left_Fee=Card_Left_Fee+? WHERE ID=?"_s,
                        {money::fromFen(issue), p.voucherId});
            voucherIssuedFen[p.voucherId] += issue;
        }
    }

    // A batch of `units` of a medicine of its own, 药<n>.
    QString batch(int n, double units)
    {
        const QString medicine = u"药%1"_s.arg(n);
        stockfixture::addBatches(db(), medicine, kSpec, QString::number(units));
        batchIssued.insert(medicine, units);
        return medicine;
    }

    // An unpaid receipt of the patient: `amount` of 挂号费, one 拍片 of `amount`, or two units of
    // the medicine.
    qint64 receipt(Kind kind, const Patient& p, double amount, const QString& medicine = {})
    {
        db::Connection& c = db();
        if (kind == Standard) {
            receipt::StandardItemList items;
            receipt::StandardItem i;
            i.className = u"检查"_s;
            i.name = u"拍片"_s;
            i.unitPrice = i.undiscountedAmount = i.discountedAmount = amount;
            i.quantity = 1;
            items.add(i);
            receipt::StandardReceiptHeader h;
            h.caseNumber = p.caseNumber;
            h.patientName = u"张三"_s;
            h.doctorName = u"李医生"_s;
            h.doctorNumber = u"D2"_s;
            return receipt::writeStandardReceipt(c, h, items).id;
        }
        const bool rx = kind == Prescription;
        const double total = rx ? kUnits * kPrice : amount;
        const qint64 id = db::AddRecord(c, u"收费收据表"_s,
                                        {{u"病历号"_s, p.caseNumber},
                                         {u"病人姓名"_s, u"张三"_s},
                                         {u"挂号费"_s, rx ? 0.0 : amount},
                                         {u"合计"_s, total},
                                         {u"付款"_s, u"未付"_s},
                                         {u"医生姓名"_s, u"李医生"_s},
                                         {u"医生编号"_s, u"D2"_s},
                                         {u"FeeIO"_s, 0},
                                         {u"IsPrescriptionFlag"_s, rx ? 2 : 0}});
        if (rx)
            db::AddRecord(c, u"处方明细表"_s,
                          {{u"ReceiptID"_s, id},
                           {u"名称"_s, medicine},
                           {u"规格"_s, kSpec},
                           {u"单价"_s, kPrice},
                           {u"数量"_s, kUnits},
                           {u"金额"_s, total},
                           {u"MedcineOutFlag"_s, 0}});
        return id;
    }

    // What is broken in the tables, one line per fault; empty when every invariant holds.
    QStringList broken();
};

// A receipt of the campaign and how it was settled (-1: not yet).
struct Target {
    Kind kind;
    qint64 id;
    int settledBy = -1;
};

QStringList Clinic::broken()
{
    db::Connection& c = db();
    QStringList faults;
    const auto rows = [&](const QString& sql) {
        auto q = std::make_shared<db::Query>(c, sql);
        q->exec();
        return q;
    };

    // One payment record per settled receipt, none for an unpaid one.
    QHash<qint64, bool> paid;
    for (auto q = rows(
             u"SELECT ID, rtrim(付款), (SELECT COUNT(*) FROM 病历收费单 p WHERE p.ReceiptID=r.ID) FROM 收费收据表 r"_s);
         q->next();) {
        const qint64 id = q->integer(0);
        const QString state = q->text(1);
        const qint64 records = q->integer(2);
        paid.insert(id, state == u"已付"_s);
        if (state != u"已付"_s && state != u"未付"_s)
            faults << u"receipt %1 is '%2'"_s.arg(id).arg(state);
        if (records != (state == u"已付"_s ? 1 : 0))
            faults << u"receipt %1 is %2 with %3 payment records"_s.arg(id).arg(state).arg(records);
    }

    // Vouchers: issued less the voucher payments on record. Uses of prepayment: one per record
    // paid from it, of the amount it took.
    QHash<qint64, qint64> voucherPaidFen;
    QHash<qint64, qint64> prepayRecordFen; // 病历收费编号 → amount paid from prepayment
    for (auto q = rows(u"SELECT 病历收费编号, MoneyPayed_type, PreferID, OtherTypePayedMoney FROM 病历收费单"_s);
         q->next();) {
        if (q->integer(1) == settle::Voucher)
            voucherPaidFen[q->integer(2)] += money::toFen(q->number(3));
        if (q->integer(1) == settle::PrePayment)
            prepayRecordFen.insert(q->integer(0), money::toFen(q->number(3)));
    }
    for (auto q = rows(u"SELECT ID, Card_Left_Fee FROM PreferManagement_table"_s); q->next();) {
        const qint64 id = q->integer(0), left = money::toFen(q->number(1));
        const qint64 want = voucherIssuedFen.value(id) - voucherPaidFen.value(id);
        if (left != want || left < 0)
            faults << u"voucher %1 holds %2, issued %3 less %4 paid on record"_s.arg(id).arg(
                money::format2(money::fromFen(left)), money::format2(money::fromFen(voucherIssuedFen.value(id))),
                money::format2(money::fromFen(voucherPaidFen.value(id))));
    }
    QHash<qint64, int> usesOfRecord;
    for (auto q = rows(u"SELECT PaySheetID, Payed_Money FROM PrePayUseReg_Table"_s); q->next();) {
        const qint64 sheet = q->integer(0);
        ++usesOfRecord[sheet];
        if (!prepayRecordFen.contains(sheet))
            faults << u"a prepayment use of %1 for record %2, which was not paid from prepayment"_s
                          .arg(money::format2(q->number(1)))
                          .arg(sheet);
        else if (money::toFen(q->number(1)) != prepayRecordFen.value(sheet))
            faults << u"record %1 took %2 from prepayment, its use says %3"_s.arg(sheet).arg(
                money::format2(money::fromFen(prepayRecordFen.value(sheet))), money::format2(q->number(1)));
    }
    for (auto it = prepayRecordFen.cbegin(); it != prepayRecordFen.cend(); ++it)
        if (usesOfRecord.value(it.key()) != 1 && it.value() != 0)
            faults << u"record %1 paid from prepayment has %2 uses"_s.arg(it.key()).arg(usesOfRecord.value(it.key()));

    // Prepaid accounts: deposits less uses, as the module itself reads the balance.
    for (auto q = rows(u"SELECT a.ID,"
                       " (SELECT COALESCE(SUM(CASE WHEN PrePay_IO=0 THEN PrePay_Money ELSE -PrePay_Money END),0)"
                       "  FROM PrePayReg_Table d WHERE d.PrePayer_ID=a.ID),"
                       " (SELECT COALESCE(SUM(Payed_Money),0) FROM PrePayUseReg_Table u WHERE u.PrePayer_ID=a.ID),"
                       " VIP_grade_value,"
                       " (SELECT COALESCE(SUM(Grade_value),0) FROM Grade_Record_table g WHERE g.VIP_ID=a.ID)"
                       " FROM PrePay_Table a"_s);
         q->next();) {
        const qint32 account = qint32(q->integer(0));
        const qint64 deposits = money::toFen(q->number(1)), uses = money::toFen(q->number(2));
        const qint64 balance = money::toFen(prepay::GetPrePayTotalMoney(c, account));
        if (balance != deposits - uses || balance < 0)
            faults << u"account %1 holds %2: deposits %3, uses %4"_s.arg(account).arg(
                money::format2(money::fromFen(balance)), money::format2(money::fromFen(deposits)),
                money::format2(money::fromFen(uses)));
        if (std::abs(q->number(3) - q->number(4)) > 1e-6)
            faults << u"member %1 has %2 points, bookings say %3"_s.arg(account).arg(q->number(3)).arg(q->number(4));
    }

    // Points: one booking per settled receipt that earns them (a prescription earns none).
    for (auto q = rows(
             u"SELECT r.ID, r.IsPrescriptionFlag, (SELECT COUNT(*) FROM Grade_Record_table g WHERE g.ReceiptID=r.ID)"
             " FROM 收费收据表 r"_s);
         q->next();) {
        const qint64 id = q->integer(0);
        const qint64 want = paid.value(id) && q->integer(1) != 2 ? 1 : 0;
        if (q->integer(2) != want)
            faults << u"receipt %1 has %2 points bookings"_s.arg(id).arg(q->integer(2));
    }

    // Stock: each prescription line leaves the stock with its receipt's settlement, once; the
    // batch has lost exactly what the withdrawals say.
    QHash<QString, double> settledUnits, withdrawn;
    for (auto q = rows(u"SELECT l.ID, l.名称, l.数量, l.MedcineOutFlag, l.ReceiptID FROM 处方明细表 l"_s); q->next();) {
        const bool out = q->integer(3) == 1, settled = paid.value(q->integer(4));
        if (out != settled)
            faults << u"line %1 of receipt %2 is %3 stock while the receipt is %4"_s.arg(q->integer(0))
                          .arg(q->integer(4))
                          .arg(out ? u"out of"_s : u"in"_s, settled ? u"settled"_s : u"unpaid"_s);
        if (out)
            settledUnits[q->text(1)] += q->number(2);
    }
    for (auto q = rows(u"SELECT 名称, SUM(数量) FROM 材料出库表 GROUP BY 名称"_s); q->next();)
        withdrawn.insert(q->text(0), q->number(1));
    for (auto q = rows(u"SELECT 名称, SUM(现存数量) FROM 材料库存表 GROUP BY 名称"_s); q->next();) {
        const QString m = q->text(0);
        const double left = q->number(1), issued = batchIssued.value(m);
        if (left < 0 || left != issued - withdrawn.value(m) || withdrawn.value(m) != settledUnits.value(m))
            faults << u"%1: %2 of %3 left, withdrawals %4, settled lines %5"_s.arg(m)
                          .arg(left)
                          .arg(issued)
                          .arg(withdrawn.value(m))
                          .arg(settledUnits.value(m));
    }
    return faults;
}

quint32 campaignSeed()
{
    bool ok = false;
    const quint32 given = qEnvironmentVariable("CALVANE_CAMPAIGN_SEED").toUInt(&ok);
    return ok ? given : 20261211u;
}

int campaignRounds()
{
    bool ok = false;
    const int given = qEnvironmentVariable("CALVANE_CAMPAIGN_ROUNDS").toInt(&ok);
    return ok && given > 0 ? given : 100;
}

} // namespace

class TestCampaign : public QObject
{
    Q_OBJECT
    QTemporaryDir tmp_;

  private slots:
    void initTestCase()
    {
        testdb::isolateSettings();
        qInfo("campaign seed %u, %d rounds per database (CALVANE_CAMPAIGN_SEED, CALVANE_CAMPAIGN_ROUNDS)",
              campaignSeed(), campaignRounds());
    }

    void campaign_data() { testdb::addBackendRows(); }
    void campaign()
    {
        QFETCH(QString, backend);
        QRandomGenerator random(campaignSeed());
        Clinic clinic(backend);
        QElapsedTimer clock;
        clock.start();
        QHash<qint64, int> firstSettlements; // receipt → first settlements that said they settled
        int firsts[3][3] = {};               // first settlements by checkout and method (cash, prepayment, voucher)
        int resettled = 0, kills = 0;
        QMap<QString, int> refusals; // what the desks that did not settle were told
        qint64 deskMs = 150;         // how long a desk takes from "go" to its end, measured as we go
        QList<Target> settledLastRound;
        const Clinic::Patient p = clinic.patient();

        for (int round = 1; round <= campaignRounds(); ++round) {
            // One patient's account and voucher, each holding about one receipt's worth, so that
            // two desks paying from them at once cannot both be served, and a batch that holds
            // one prescription and a half.
            const auto fen = [&](int from, int to) { return random.bounded(from * 100, to * 100) / 100.0; };
            db::Transaction setUp(clinic.db());
            clinic.topUp(p, fen(30, 120), fen(30, 120));
            const QString medicine = clinic.batch(round, 3);
            // This round's receipts, unpaid, and those the last round settled, to settle again.
            QList<Target> fresh;
            for (Kind k : {Category, Standard, Prescription, Prescription})
                fresh << Target{k, clinic.receipt(k, p, fen(40, 120), medicine)};
            setUp.commit();
            std::vector<Desk> desks(3 + random.bounded(2));
            for (Desk& d : desks) {
                // As many draws whatever the last round left, so that a seed gives the same plan.
                const int pick = int(random.bounded(8));
                const Target& t =
                    pick < 4 || pick - 4 >= settledLastRound.size() ? fresh[pick % 4] : settledLastRound[pick - 4];
                Checkout& k = d.checkout;
                const int methods[] = {settle::Cash, settle::PrePayment, settle::PrePayment, settle::Voucher,
                                       settle::Voucher};
                k = {t.kind, t.id, false, methods[random.bounded(5)], p.caseNumber, p.number, p.voucher};
                // Mostly what a cashier would do: settle what is unpaid, settle again what was
                // settled; now and then the other, which must be refused or change nothing.
                k.resettle = (t.settledBy >= 0) != (random.bounded(5) == 0);
                // Settling again "by voucher" keeps what the record says; picking another method
                // for a voucher payment must be refused.
                if (k.resettle && k.method == settle::Voucher)
                    k.method = -1;
                d.start(clinic.url, tmp_.path());
            }
            for (Desk& d : desks)
                QVERIFY2(d.line() == "ready",
                         qPrintable(u"round %1: a desk did not start (state %2, error %3, exit %4): "_s.arg(round)
                                        .arg(int(d.process->state()))
                                        .arg(int(d.process->error()))
                                        .arg(d.process->exitCode()) +
                                    QString::fromUtf8(d.process->readAllStandardError())));
            QElapsedTimer roundClock;
            roundClock.start();
            for (Desk& d : desks)
                d.say("go");
            const bool kill = random.bounded(4) == 0;
            if (kill) {
                Desk& victim = desks[random.bounded(int(desks.size()))];
                QThread::msleep(random.bounded(int(deskMs * 5 / 4) + 1));
                victim.killed = victim.process->state() == QProcess::Running;
                if (victim.killed) {
                    victim.process->kill();
                    ++kills;
                }
            }

            QStringList faults;
            for (Desk& d : desks) {
                Seen seen;
                const QString ending = d.finish(seen);
                const Checkout& k = d.checkout;
                const QString who = u"%1 %2 receipt %3 method %4: "_s
                                        .arg(QLatin1String(kKindNames[k.kind]), k.resettle ? u"again"_s : u"first"_s)
                                        .arg(k.receipt)
                                        .arg(k.method);
                if (!ending.isEmpty())
                    faults << who + ending;
                if (d.killed)
                    continue;
                if (!seen.settled()) {
                    // Counted by kind: the amounts a message names are left out.
                    static const QRegularExpression amount(u"-?\\d+\\.\\d\\d"_s);
                    ++refusals[seen.messages.isEmpty() ? u"(left in %1) %2"_s.arg(seen.lastDialog, seen.scriptError)
                                                       : QString(seen.messages.last()).replace(amount, u"…"_s)];
                    continue;
                }
                k.resettle ? ++resettled
                           : ++firsts[k.kind][k.method == settle::Cash         ? 0
                                              : k.method == settle::PrePayment ? 1
                                                                               : 2];
                if (!k.resettle && ++firstSettlements[k.receipt] > 1)
                    faults << who + u"a second first settlement said it settled"_s;
                const QString state = db::toText(
                    db::scalar(clinic.db(), u"SELECT rtrim(付款) FROM 收费收据表 WHERE ID=?"_s, {k.receipt}));
                if (state != u"已付"_s)
                    faults << who + u"said it settled, the receipt is "_s + state;
            }
            if (!kill)
                deskMs = (deskMs * 3 + roundClock.elapsed()) / 4;
            faults << clinic.broken();
            settledLastRound.clear();
            for (Target t : fresh) {
                const QVariant by =
                    db::scalar(clinic.db(), u"SELECT MoneyPayed_type FROM 病历收费单 WHERE ReceiptID=?"_s, {t.id});
                if (by.isNull())
                    continue;
                t.settledBy = int(db::toInteger(by));
                settledLastRound << t;
            }
            QVERIFY2(faults.isEmpty(),
                     qPrintable(u"%1 round %2 of seed %3:\n  "_s.arg(backend).arg(round).arg(campaignSeed()) +
                                faults.join(u"\n  "_s)));
        }
        QStringList refused;
        for (auto it = refusals.cbegin(); it != refusals.cend(); ++it)
            refused << u"%1 ×%2"_s.arg(it.key()).arg(it.value());
        QStringList settled;
        for (Kind k : {Category, Standard, Prescription})
            settled << u"%1 %2/%3/%4"_s.arg(QLatin1String(kKindNames[k]))
                           .arg(firsts[k][0])
                           .arg(firsts[k][1])
                           .arg(firsts[k][2]);
        qInfo("%s: %d rounds in %.1f s; first settlements (cash/prepayment/voucher) %s; %d again; %d desks killed; "
              "refused: %s",
              qPrintable(backend), campaignRounds(), clock.elapsed() / 1000.0, qPrintable(settled.join(u", "_s)),
              resettled, kills, qPrintable(refused.join(u", "_s)));
        // A campaign in which a checkout or a method never settled, nothing was settled again,
        // nothing was refused or nobody was killed proved less than it says.
        for (const auto& byMethod : firsts)
            for (int n : byMethod)
                QVERIFY2(n > 0, qPrintable(settled.join(u", "_s)));
        QVERIFY(resettled > 0 && !refusals.isEmpty() && kills > 0);
    }

    // A receipt paid by voucher, settled again by another method: the voucher was spent by the
    // first settlement and is not given back, so the record keeps the voucher (else the patient
    // paid twice: by the voucher and again by the new method).
    void voucherPaymentKeptWhenSettledAgain_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("method");
        for (const QString& b : testdb::backends())
            for (Kind k : {Category, Standard, Prescription})
                for (int m : {int(settle::Cash), int(settle::PrePayment)})
                    QTest::addRow("%s %s method %d", qPrintable(b), kKindNames[k], m) << b << int(k) << m;
    }
    void voucherPaymentKeptWhenSettledAgain()
    {
        QFETCH(QString, backend);
        QFETCH(int, kind);
        QFETCH(int, method);
        Clinic clinic(backend);
        const Clinic::Patient p = clinic.patient(500, 500);
        const qint64 id = clinic.receipt(Kind(kind), p, 80, clinic.batch(1, 3));
        const Seen first =
            runCheckout(clinic.conn, {Kind(kind), id, false, settle::Voucher, p.caseNumber, p.number, p.voucher});
        QVERIFY2(first.settled(), qPrintable(first.text()));
        // Refused when the method is picked or when the checkout ends; settled again only with
        // the voucher kept.
        runCheckout(clinic.conn, {Kind(kind), id, true, method, p.caseNumber, p.number, p.voucher});
        db::Connection& c = clinic.db();
        QCOMPARE(db::toInteger(db::scalar(c, u"SELECT MoneyPayed_type FROM 病历收费单 WHERE ReceiptID=?"_s, {id})),
                 qint64(settle::Voucher));
        QCOMPARE(db::toInteger(db::scalar(c, u"SELECT COUNT(*) FROM PrePayUseReg_Table"_s)), 0);
        const QStringList faults = clinic.broken();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"\n"_s)));
    }

    // The rule behind it, in the settlement every checkout goes through: a re-settlement that
    // would change whether the voucher paid is refused, either way, and nothing moves.
    void resettlementKeepsWhetherTheVoucherPaid_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("again");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s voucher, then cash", qPrintable(b)) << b << int(settle::Voucher) << int(settle::Cash);
            QTest::addRow("%s voucher, then prepayment", qPrintable(b))
                << b << int(settle::Voucher) << int(settle::PrePayment);
            QTest::addRow("%s cash, then voucher", qPrintable(b)) << b << int(settle::Cash) << int(settle::Voucher);
        }
    }
    void resettlementKeepsWhetherTheVoucherPaid()
    {
        QFETCH(QString, backend);
        QFETCH(int, first);
        QFETCH(int, again);
        settletest::Clinic k(backend);
        const qint64 id = k.receipt(100);
        const qint32 account = k.account(u"P1"_s, 300);
        const qint64 voucher = k.voucher(u"V1"_s, 150);
        const auto settle = [&](int method, bool resettle) {
            settle::SettlementRequest r =
                settletest::request(id, 100, method, method == settle::Cash ? 0 : 100, 101, resettle, voucher);
            r.prepayAccount = account;
            r.voucher = {voucher, u"V1"_s, 0, 100};
            if (resettle)
                r.settledRecord = settle::LoadSettledRecord(*k.c, 101, id);
            return settle::Settle(*k.c, r);
        };
        QVERIFY(settle(first, false).ok);
        const settle::SettlementResult done = settle(again, true);
        QVERIFY(!done.ok);
        QCOMPARE(done.message, settle::kVoucherLocked);
        QCOMPARE(k.count(u"SELECT MoneyPayed_type FROM 病历收费单 WHERE ReceiptID=?"_s, {id}), first);
        QCOMPARE(k.voucherLeft(voucher), first == settle::Voucher ? 50.0 : 150.0);
        QCOMPARE(k.prepayUsed(account), 0.0);
    }

    // A re-settlement opened while the receipt was still unpaid: its dialog has read the
    // receipt (no payment record yet) when another desk settles it by voucher. The
    // re-settlement's OK must be refused as settled elsewhere meanwhile: one record, the
    // voucher charged once, the prepaid account not at all, points booked once.
    void resettlementOpenedBeforeTheFirst_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("kind");
        for (const QString& b : testdb::backends())
            for (Kind k : {Category, Standard, Prescription})
                QTest::addRow("%s %s", qPrintable(b), kKindNames[k]) << b << int(k);
    }
    void resettlementOpenedBeforeTheFirst()
    {
        QFETCH(QString, backend);
        QFETCH(int, kind);
        Clinic clinic(backend);
        const Clinic::Patient p = clinic.patient(500, 500);
        const qint64 id = clinic.receipt(Kind(kind), p, 80, clinic.batch(1, 3));
        const double due = kind == Prescription ? kUnits * kPrice : 80.0;

        Desk again, first;
        again.checkout = {Kind(kind), id, true, settle::PrePayment, p.caseNumber, p.number, p.voucher};
        again.start(clinic.url, tmp_.path(), true);
        QCOMPARE(again.line(), QByteArray("ready"));
        again.say("go");
        QCOMPARE(again.line(), QByteArray("open"));

        first.checkout = {Kind(kind), id, false, settle::Voucher, p.caseNumber, p.number, p.voucher};
        first.start(clinic.url, tmp_.path());
        QCOMPARE(first.line(), QByteArray("ready"));
        first.say("go");
        Seen firstSaw, againSaw;
        QCOMPARE(first.finish(firstSaw), QString());
        QVERIFY2(firstSaw.settled(), qPrintable(firstSaw.text()));

        again.say("go");
        QCOMPARE(again.finish(againSaw), QString());
        QVERIFY2(!againSaw.settled(), qPrintable(againSaw.text()));
        QVERIFY2(againSaw.messages.contains(settle::kReceiptNotSettled), qPrintable(againSaw.text()));
        QVERIFY2(againSaw.lastError.contains(u"another desk"_s), qPrintable(againSaw.lastError));

        db::Connection& c = clinic.db();
        QCOMPARE(db::toInteger(db::scalar(c, u"SELECT COUNT(*) FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 1);
        QCOMPARE(db::toInteger(db::scalar(c, u"SELECT MoneyPayed_type FROM 病历收费单 WHERE ReceiptID=?"_s, {id})),
                 qint64(settle::Voucher));
        QCOMPARE(db::toNumber(db::scalar(c, u"SELECT Card_Left_Fee FROM PreferManagement_table"_s)), 500 - due);
        QCOMPARE(db::toInteger(db::scalar(c, u"SELECT COUNT(*) FROM PrePayUseReg_Table"_s)), 0);
        const QStringList faults = clinic.broken();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"\n"_s)));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 10 && args[1] == u"--desk"_s)
        return deskMain(args.mid(2));
    TestCampaign t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_campaign.moc"
