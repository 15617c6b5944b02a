// The receipt page of every settled document, read from the database on each backend: every
// drawing call against a golden file, the text a person reads in its PDF, and the documents
// that must not print.
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "print/PrintRun.h"
#include "print/ReceiptPageReader.h"
#include "print/RecordingCanvas.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using print::DocumentRef;
using print::DocumentTable;

namespace {

const QDateTime kWritten(QDate(2026, 3, 5), QTime(9, 30, 0));
const QDateTime kSettled(QDate(2026, 3, 5), QTime(10, 15, 0));

db::FieldValues receiptRow(const QString& name, double total, const QString& paid)
{
    return {{u"病历号"_s, 1001},        {u"病人姓名"_s, name},      {u"日期"_s, kWritten}, {u"医生姓名"_s, u"王医生"_s},
            {u"科室"_s, u"修复科"_s},    {u"合计"_s, total},         {u"付款"_s, paid},     {u"收款人"_s, paid == u"已付"_s ? u"马丽"_s : u" "_s},
            {u"FeeIO"_s, 0}};
}

qint64 payment(db::Connection& c, qint64 receipt, const db::FieldValues& amounts)
{
    db::FieldValues f{{u"病历号"_s, 1001}, {u"ReceiptID"_s, receipt}, {u"收款人"_s, u"马丽"_s}, {u"日期"_s, kSettled}};
    f.append(amounts);
    return db::AddRecord(c, u"病历收费单"_s, f, u"病历收费编号"_s);
}

// One document of each kind, settled as a cashier would have settled it; returns it.
DocumentRef storeDocument(db::Connection& c, const QString& kind)
{
    if (kind == u"fee"_s) {
        // Categories, a 10% member discount, a courtesy, old arrears, part left owing, card and cash.
        auto row = receiptRow(u"张三"_s, 155.5, u"已付"_s);
        row.append({{u"挂号费"_s, 5.0}, {u"治疗费"_s, 150.5}});
        const qint64 id = db::AddRecord(c, u"收费收据表"_s, row);
        payment(c, id, {{u"总计应收费用"_s, 155.5}, {u"原欠金额"_s, 20.0}, {u"实收费用"_s, 175.5}, {u"收款金额"_s, 140.0},
                        {u"余额"_s, 12.45}, {u"OtherFreeFee"_s, 5.5}, {u"Discout_Type"_s, 1}, {u"Discout"_s, 0.9},
                        {u"MoneyPayed_type"_s, 2}, {u"OtherTypePayedMoney"_s, 100.0}, {u"CashMoney"_s, 40.0},
                        {u"GetLaterLeftMoneyFlag"_s, 0}});
        return {DocumentTable::Receipt, id};
    }
    if (kind == u"refund"_s) {
        // Positive categories, a negative total, the money paid back in cash.
        auto row = receiptRow(u"张三"_s, -30.0, u"已付"_s);
        row.last().second = 1; // FeeIO
        row.append({u"治疗费"_s, 30.0});
        const qint64 id = db::AddRecord(c, u"收费收据表"_s, row);
        payment(c, id, {{u"总计应收费用"_s, -30.0}, {u"实收费用"_s, -30.0}, {u"收款金额"_s, -30.0}, {u"余额"_s, 0.0},
                        {u"MoneyPayed_type"_s, 0}});
        return {DocumentTable::Receipt, id};
    }
    if (kind == u"standard"_s) {
        auto row = receiptRow(u"李四"_s, 260.0, u"已付"_s);
        row.append({u"Doctor_Discout"_s, -1});
        const qint64 id = db::AddRecord(c, u"收费收据表"_s, row);
        db::AddRecord(c, u"收费明细表"_s, {{u"收费类型"_s, u"治疗"_s}, {u"收费项目"_s, u"根管治疗"_s}, {u"单位"_s, u"颗"_s},
                                           {u"标准"_s, 100.0}, {u"数量"_s, 2.0}, {u"金额"_s, 200.0}, {u"收据编号"_s, id}});
        db::AddRecord(c, u"收费明细表"_s, {{u"收费类型"_s, u"检查"_s}, {u"收费项目"_s, u"全景片"_s}, {u"单位"_s, u"张"_s},
                                           {u"标准"_s, 60.0}, {u"数量"_s, 1.0}, {u"金额"_s, 60.0}, {u"收据编号"_s, id}});
        payment(c, id, {{u"总计应收费用"_s, 260.0}, {u"实收费用"_s, 260.0}, {u"收款金额"_s, 260.0}, {u"余额"_s, 0.0},
                        {u"MoneyPayed_type"_s, 0}, {u"OtherTypePayedMoney"_s, 0.0}, {u"CashMoney"_s, 0.0}});
        return {DocumentTable::Receipt, id};
    }
    if (kind == u"prescription"_s) {
        auto row = receiptRow(u"王五"_s, 36.4, u"已付"_s);
        row.append({u"IsPrescriptionFlag"_s, 2});
        const qint64 id = db::AddRecord(c, u"收费收据表"_s, row);
        db::AddRecord(c, u"处方明细表"_s, {{u"ReceiptID"_s, id}, {u"名称"_s, u"阿莫西林"_s}, {u"规格"_s, u"0.25g×24"_s},
                                           {u"单位"_s, u"盒"_s}, {u"单价"_s, 12.2}, {u"数量"_s, 2.0}, {u"金额"_s, 24.4}});
        db::AddRecord(c, u"处方明细表"_s, {{u"ReceiptID"_s, id}, {u"名称"_s, u"甲硝唑"_s}, {u"规格"_s, u"0.2g×21"_s},
                                           {u"单位"_s, u"盒"_s}, {u"单价"_s, 6.0}, {u"数量"_s, 2.0}, {u"金额"_s, 12.0}});
        payment(c, id, {{u"总计应收费用"_s, 36.4}, {u"实收费用"_s, 36.4}, {u"收款金额"_s, 36.4}, {u"余额"_s, 0.0},
                        {u"MoneyPayed_type"_s, 1}, {u"OtherTypePayedMoney"_s, 30.0}, {u"CashMoney"_s, 6.4},
                        {u"GetLaterLeftMoneyFlag"_s, 1}});
        return {DocumentTable::Receipt, id};
    }
    db::FieldValues sheet{{u"病历号"_s, 0},          {u"病人姓名"_s, u"路人甲"_s}, {u"日期"_s, kWritten},
                          {u"医生姓名"_s, u"王医生"_s}, {u"科室"_s, u"修复科"_s},   {u"收款人"_s, u"马丽"_s},
                          {u"付款"_s, u"已付"_s},      {u"余额"_s, 0.0}};
    if (kind == u"walkin-fee"_s) {
        sheet.append({{u"挂号费"_s, 5.0}, {u"检查费"_s, 30.0}, {u"合计"_s, 35.0}, {u"应收金额"_s, 35.0}, {u"收款金额"_s, 35.0}});
        return {DocumentTable::WalkIn, db::AddRecord(c, u"无病历收费单"_s, sheet)};
    }
    sheet.append({{u"性别"_s, u"女"_s}, {u"年龄"_s, u"34"_s}, {u"合计"_s, 45.0}, {u"应收金额"_s, 45.0}, {u"收款金额"_s, 45.0}});
    if (kind == u"walkin-prescription"_s) sheet.append({u"IsPrescriptionFlag"_s, 2});
    const qint64 id = db::AddRecord(c, u"无病历收费单"_s, sheet);
    if (kind == u"walkin-prescription"_s)
        db::AddRecord(c, u"处方明细表"_s, {{u"NonDocReceiptID"_s, id}, {u"名称"_s, u"布洛芬"_s}, {u"规格"_s, u"0.3g×20"_s},
                                           {u"单位"_s, u"盒"_s}, {u"数量"_s, 3.0}, {u"金额"_s, 45.0}});
    else
        db::AddRecord(c, u"收费明细表"_s, {{u"收费项目"_s, u"洁治"_s}, {u"单位"_s, u"次"_s}, {u"数量"_s, 1.0},
                                           {u"金额"_s, 45.0}, {u"无病案编号"_s, id}});
    return {DocumentTable::WalkIn, id};
}

QString withoutBlanks(QString s)
{
    s.remove(u' ').remove(u'\n').remove(QChar(0x0C));
    return s;
}

} // namespace

class TestReceiptPage : public QObject {
    Q_OBJECT
private slots:
    // Every kind of document: its drawing, call by call, is the same on every backend, and
    // every text drawn reads back from the PDF.
    void documents_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("reprint");
        QTest::addColumn<QStringList>("texts"); // what the page must say, a few of them
        const QList<std::tuple<const char*, const char*, bool, QStringList>> cases{
            {"fee receipt: categories, discount, arrears, card and cash", "fee", false,
             {u"收据号：1（收费）"_s, u"挂号费"_s, u"治疗费"_s, u"150.50"_s, u"原欠款"_s, u"折扣优惠"_s, u"17.55"_s,
              u"其它优惠"_s, u"银行卡刷卡"_s, u"欠款"_s, u"12.45"_s}},
            {"refund receipt", "refund", false, {u"退  费  收  据"_s, u"收据号：1（收费，退费）"_s, u"30.00"_s, u"-30.00"_s}},
            {"standard-item receipt, reprinted", "standard", true,
             {u"补打"_s, u"收据号：1（标准收费）"_s, u"根管治疗"_s, u"2颗"_s, u"200.00"_s, u"全景片"_s}},
            {"prescription paid from prepayment and cash", "prescription", false,
             {u"收据号：1（处方）"_s, u"阿莫西林 0.25g×24"_s, u"2盒"_s, u"预付费交款"_s, u"30.00"_s, u"6.40"_s}},
            {"walk-in sheet by categories", "walkin-fee", false, {u"单据号：1（无病案收费单）"_s, u"检查费"_s, u"35.00"_s}},
            {"walk-in standard sheet, reprinted", "walkin-standard", true,
             {u"补打"_s, u"单据号：1（无病案标准收费）"_s, u"性别：女 年龄：34"_s, u"洁治"_s}},
            {"walk-in prescription", "walkin-prescription", false, {u"单据号：1（无病案处方）"_s, u"布洛芬 0.3g×20"_s, u"3盒"_s}},
        };
        for (const QString& backend : testdb::backends())
            for (const auto& [name, kind, reprint, texts] : cases)
                QTest::newRow(qPrintable(u"%1 on %2"_s.arg(QString::fromUtf8(name), backend)))
                    << backend << QString::fromUtf8(kind) << reprint << texts;
    }
    void documents()
    {
        QFETCH(QString, backend);
        QFETCH(QString, kind);
        QFETCH(bool, reprint);
        QFETCH(QStringList, texts);
        auto c = testdb::open(backend);
        const DocumentRef doc = storeDocument(*c, kind);
        QString refusal;
        auto page = print::loadReceiptPage(*c, doc, u"阳光口腔"_s, refusal);
        QVERIFY2(page, qPrintable(refusal));
        QVERIFY(refusal.isEmpty());
        page->reprint = reprint;

        print::RecordingCanvas dc;
        print::drawReceiptPage(dc, print::PrintInfo{}, &*page);
        QVERIFY(dc.fontsRestored());
        const QString golden = QStringLiteral(GOLDEN_DIR "/receipt-page-%1%2.txt").arg(kind, reprint ? u"-reprint"_s : QString());
        QFile file(golden);
        if (qEnvironmentVariableIsSet("CALVANE_UPDATE_GOLDEN")) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(dc.dump().toUtf8() + '\n');
            return;
        }
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(golden));
        QCOMPARE(dc.calls(), QString::fromUtf8(file.readAll()).trimmed().split(u'\n'));

        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"page.pdf"_s);
        QVERIFY(print::writePagePdf(print::drawReceiptPage, &*page, pdf));
        QProcess p;
        p.start(u"pdftotext"_s, {u"-raw"_s, pdf, u"-"_s});
        QVERIFY(p.waitForFinished(30000));
        const QString read = withoutBlanks(QString::fromUtf8(p.readAllStandardOutput()));
        QStringList drawn;
        for (const auto& t : dc.texts()) drawn << t.text;
        for (const QString& t : texts) QVERIFY2(drawn.join(u'|').contains(t), qPrintable(t));
        for (const QString& t : drawn) QVERIFY2(read.contains(withoutBlanks(t)), qPrintable(t + u" not in "_s + read));
        QCOMPARE(read.contains(u"补打"_s), reprint);
    }

    // A page is one page long: lines that would push the totals off it are summed on one line.
    void longDocumentKeepsItsTotals_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("summedUp");
        QTest::newRow("fits") << 20 << false;
        QTest::newRow("too long") << 80 << true;
    }
    void longDocumentKeepsItsTotals()
    {
        QFETCH(int, lines);
        QFETCH(bool, summedUp);
        print::ReceiptPage page;
        page.itemised = true;
        for (int i = 0; i < lines; ++i) page.lines.append({u"项目%1"_s.arg(i + 1), u"1次"_s, 1.25});
        page.total = page.due = page.collected = 1.25 * lines;
        page.payments = {{u"银行卡刷卡"_s, 50.0}, {u"现金"_s, page.collected - 50.0}};
        page.oldArrears = page.discount = page.otherFree = page.owing = 1.0; // every sum drawn
        print::RecordingCanvas dc;
        print::drawReceiptPage(dc, print::PrintInfo{}, &page);
        int lowest = 0, items = 0;
        QString rest;
        for (const auto& t : dc.texts()) {
            lowest = std::min(lowest, t.inRect ? t.rect.bottom : t.at.y() - 40);
            items += t.text.startsWith(u"项目"_s) && t.text != u"项目"_s;
            if (t.text.startsWith(u"另有"_s)) rest = t.text;
        }
        QVERIFY2(lowest >= -2870, qPrintable(QString::number(lowest))); // A4's printable height
        QVERIFY(dc.texts().last().text.startsWith(u"收款人"_s));
        QCOMPARE(rest.isEmpty(), !summedUp);
        if (summedUp) {
            const int more = rest.mid(3).section(u' ', 0, 0).toInt();
            QCOMPARE(items + more, lines);
            // The summed line's amount is what the lines left off it come to.
            QVERIFY(dc.calls().join(u'\n').contains(u"\"%1\""_s.arg(money::format2(1.25 * more))));
        } else {
            QCOMPARE(items, lines);
        }
    }

    // What is not a settled document prints nothing, and the cashier is told why.
    void refused_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message");
        for (const QString& backend : testdb::backends()) {
            auto row = [&](const char* name, const char* state, const QString& message) {
                QTest::newRow(qPrintable(u"%1 on %2"_s.arg(QString::fromUtf8(name), backend)))
                    << backend << QString::fromUtf8(state) << message;
            };
            row("unknown receipt", "unknown", u"收据 99 不存在，没有打印"_s);
            row("unpaid receipt", "unpaid", u"收据 1 还没有结帐，没有打印"_s);
            row("paid, payment record missing", "no record", u"收据 1 没有结帐记录，没有打印"_s);
            row("unknown walk-in sheet", "unknown sheet", u"无病案收费单 99 不存在，没有打印"_s);
            row("walk-in sheet not paid", "unpaid sheet", u"无病案收费单 1 还没有结帐，没有打印"_s);
        }
    }
    void refused()
    {
        QFETCH(QString, backend);
        QFETCH(QString, state);
        QFETCH(QString, message);
        auto c = testdb::open(backend);
        DocumentRef doc{DocumentTable::Receipt, 99};
        if (state == u"unpaid"_s || state == u"no record"_s)
            doc.id = db::AddRecord(*c, u"收费收据表"_s, receiptRow(u"张三"_s, 10.0, state == u"unpaid"_s ? u"未付"_s : u"已付"_s));
        if (state.endsWith(u"sheet"_s)) doc.table = DocumentTable::WalkIn;
        if (state == u"unpaid sheet"_s)
            doc.id = db::AddRecord(*c, u"无病历收费单"_s, {{u"病人姓名"_s, u"路人甲"_s}, {u"合计"_s, 5.0}, {u"付款"_s, u"未付"_s}});
        QString refusal = u"stale"_s;
        QVERIFY(!print::loadReceiptPage(*c, doc, u"阳光口腔"_s, refusal));
        QCOMPARE(refusal, message);
    }
};

QTEST_MAIN(TestReceiptPage)
#include "tst_receipt_page.moc"
