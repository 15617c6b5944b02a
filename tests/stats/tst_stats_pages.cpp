// The printouts of the statistics: every drawing call against golden files, and the PDF a
// person would get read back with pdftotext.
#include "print/PrintRun.h"
#include "print/RecordingCanvas.h"
#include "stats/PaymentForm.h"
#include "stats/ReportPages.h"
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList categoryDay{
    u"项目#现金#公费医疗#特约记帐#住院收入#合计金额"_s, u"挂号费#15.0"_s, u"检查费#100.0"_s, u"镶牙费#0.0"_s,
    u"正畸费#0.0"_s, u"注射费#0.0"_s, u"中药费#0.0"_s, u"西药费#3.0"_s, u"治疗费#0.0"_s, u"手术费#0.0"_s,
    u"诊疗费#0.0"_s, u"放射费#0.0"_s, u"其它#0.0"_s, u"合计#104.0"_s};
const QStringList classDay{u"项目#现金#公费医疗#特约记帐#住院收入#合计金额"_s, u"检查#50.0"_s, u"修复#0.0"_s,
                           u"治疗#60.0"_s, u"合计#102.0"_s};
const QStringList account{u"项目#应收#实收#差额"_s,   u"西药费#117.0#117.0#0.00"_s, u"治疗费#20.0#20.0#0.00"_s,
                          u"手术费#40.0#40.0#0.00"_s, u"诊疗费#5.0#5.0#0.00"_s,     u"放射费#6.0#6.0#0.00"_s,
                          u"合计#188.0#188.0#0.00"_s, u"收款员#刘会计"_s,           u"发票#4"_s,
                          u"金额#188.0"_s,            u"退票#2"_s,                  u"起始发票#100"_s,
                          u"终止发票#103"_s};
const QStringList departments{u"科室#西药费#治疗费#手术费#诊疗费#放射费#合计"_s,
                              u"放射科#0.0#0.0#0.0#0.0#6.0#6.0"_s, u"儿科#0.0#0.0#0.0#5.0#0.0#5.0"_s,
                              u"口腔科#17.0#20.0#0.0#0.0#0.0#37.0"_s, u"合计#17.0#20.0#0.0#5.0#6.0#48.0\\48.0"_s};

struct Page {
    print::PageRoutine routine;
    std::shared_ptr<void> context;
};

Page pageNamed(const QString& name)
{
    const QDateTime at(QDate(2026, 3, 10), QTime(8, 5, 9));
    const auto payment = [&](const QStringList& lines) {
        return Page{stats::drawPaymentForm,
                    std::make_shared<stats::PaymentForm>(stats::PaymentForm{u"第一门诊部"_s, at, u"张收款"_s, lines})};
    };
    const auto report = [&](stats::ReportMode mode, const QStringList& lines) {
        return Page{stats::drawReportPage,
                    std::make_shared<stats::ReportPage>(stats::ReportPage{u"康华"_s, u"刘会计"_s, QDate(2026, 3, 1),
                                                                          QDate(2026, 3, 31), at, mode, lines})};
    };
    if (name == QLatin1String("payment-categories")) return payment(categoryDay);
    if (name == QLatin1String("payment-classes")) return payment(classDay);
    if (name == QLatin1String("report-account")) return report(stats::ReportMode::Account, account);
    if (name == QLatin1String("report-departments")) return report(stats::ReportMode::Department, departments);
    return report(stats::ReportMode::Doctor, departments);
}

QString withoutBlanks(QString s) { return s.remove(QRegularExpression(u"\\s+"_s)); }

} // namespace

class TestStatsPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawingCalls_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* n : {"payment-categories", "payment-classes", "report-account", "report-departments"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }
    void drawingCalls()
    {
        QFETCH(QString, name);
        const Page page = pageNamed(name);
        print::RecordingCanvas dc;
        page.routine(dc, print::PrintInfo{}, page.context.get());
        QVERIFY(dc.fontsRestored());
        const QString path = QStringLiteral(GOLDEN_DIR "/%1.txt").arg(name);
        QFile golden(path);
        if (qEnvironmentVariableIsSet("CALVANE_UPDATE_GOLDEN")) {
            QVERIFY(golden.open(QIODevice::WriteOnly | QIODevice::Truncate));
            golden.write(dc.dump().toUtf8() + '\n');
            return;
        }
        QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(dc.calls(), QString::fromUtf8(golden.readAll()).trimmed().split(u'\n'));
    }

    void pdfText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("payment form") << u"payment-categories"_s
                                      << QStringList{u"缴 款 书"_s, u"交款单位:第一门诊部 ------ 2026年3月10日"_s,
                                                     u"编号:2026310859"_s, u"挂号费"_s, u"104.0"_s,
                                                     u"收款人:张收款"_s, u"附注:本日门诊"_s};
        QTest::newRow("account statement")
            << u"report-account"_s
            << QStringList{u"康华口腔门诊报帐单(自费)"_s, u"2026-3-1\\2026-3-31"_s, u"制单：刘会计"_s,
                           u"No：2026310859"_s, u"起始发票"_s, u"188.0"_s};
        QTest::newRow("doctors") << u"report-doctors"_s
                                 << QStringList{u"康华医生工作量统计"_s, u"2026-3-1-2026-3-31"_s, u"48.0\\48.0"_s};
    }
    void pdfText()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, texts);
        const Page page = pageNamed(name);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"page.pdf"_s);
        QVERIFY(print::writePagePdf(page.routine, page.context.get(), pdf));
        QProcess p;
        p.start(u"pdftotext"_s, {u"-raw"_s, pdf, u"-"_s});
        QVERIFY(p.waitForFinished(30000));
        const QString text = withoutBlanks(QString::fromUtf8(p.readAllStandardOutput()));
        for (const QString& t : texts) QVERIFY2(text.contains(withoutBlanks(t)), qPrintable(t + u" in "_s + text));
    }
};

QTEST_MAIN(TestStatsPages)
#include "tst_stats_pages.moc"
