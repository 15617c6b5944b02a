// Rendering page routines with Qt (PDF, raster) and the print-run flow of the preview frame.
#include "app/Dialog.h"
#include "app/PrintRedirect.h"
#include "common/Prompter.h"
#include "print/PrintRun.h"
#include "print/PrintUi.h"
#include "print/QtCanvas.h"
#include "tests/print/SampleSheet.h"
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace print;

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qWarning() << program << args << p.readAllStandardError();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The lines pdftotext reads back, blanks collapsed (spacing is layout, not text).
QStringList pdfLines(const QString& pdf)
{
    QStringList lines;
    for (QString line : run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})
                            .split(QLatin1Char('\n'))) {
        line = line.simplified().remove(QChar(0x0C));
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

struct Word {
    QRectF box; // millimetres from the page's top left
    QString text;
};

QList<Word> pdfWords(const QString& pdf)
{
    static const QRegularExpression re(QStringLiteral(
        "<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" yMax=\"([-\\d.]+)\">(.*)</word>"));
    QList<Word> words;
    const double mm = 25.4 / 72;
    const QString xml = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    for (auto it = re.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        words.append({QRectF(QPointF(m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm),
                             QPointF(m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm)),
                      m.captured(5)});
    }
    return words;
}

Word findWord(const QList<Word>& words, const QString& text)
{
    for (const Word& w : words)
        if (w.text == text)
            return w;
    return {};
}

// Page position in millimetres of a low-metric point on an A4 PDF with 5 mm margins.
QPointF pageMm(int x, int y)
{
    return {5 + x / 10.0, 5 - y / 10.0};
}

// The bounding box of the dark pixels.
QRect ink(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// An image at 254 dpi: one pixel per low-metric unit, so that unit (x, y) is pixel (x, -y).
QImage tenthMillimetreImage(const std::function<void(Canvas&)>& draw)
{
    QImage image(1000, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(10000);
    image.setDotsPerMeterY(10000);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    canvas.setMapMode(MM_LOMETRIC);
    canvas.selectFont(canvas.createFont(LogFont::printFont(40, 15, 20)));
    draw(canvas);
    return image;
}

class FakeUi : public PrintUi {
public:
    QWidget* owner = nullptr;
    bool accept = true;
    QString printTo;
    QString saveAs;
    int printDialogs = 0;
    bool ownerVisibleAtDialog = false;
    int framesVisibleAtDialog = 0;
    QList<QPointer<CMainFrame>> shown;

    bool choosePrinter(QPrinter& printer, QWidget*) override
    {
        ++printDialogs;
        ownerVisibleAtDialog = owner && owner->isVisible();
        framesVisibleAtDialog = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            framesVisibleAtDialog += qobject_cast<CMainFrame*>(w) && w->isVisible();
        if (!accept)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        return true;
    }
    QString choosePdfFile(QWidget*, const QString&) override { return saveAs; }
    void previewShown(CMainFrame& frame) override { shown << &frame; }
};

// The messages shown while it is installed.
struct RecordedMessages : Prompter {
    QStringList texts;
    Prompter::Scope scope{this};
    void inform(const QString& text) override { texts << text; }
    bool ask(const QString& text, Buttons) override
    {
        texts << text;
        return false;
    }
};

int openFrames()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<CMainFrame*>(w) != nullptr;
    return n;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    FakeUi ui_;
    std::unique_ptr<PrintUi::Scope> scope_;
    QString pdf_;

private Q_SLOTS:
    void init()
    {
        ui_ = FakeUi();
        scope_ = std::make_unique<PrintUi::Scope>(&ui_);
        pdf_ = dir_.filePath(QStringLiteral("%1.pdf").arg(QTest::currentTestFunction()));
        QFile::remove(pdf_);
        ui_.printTo = pdf_;
    }
    void cleanup()
    {
        app::setPrintRedirectPath({});
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CMainFrame*>(w))
                w->close();
        QTRY_COMPARE(openFrames(), 0);
        scope_.reset();
    }

    void pdfTextAndPlacement()
    {
        SampleSheet sheet = sampleSheet();
        QVERIFY(writePagePdf(drawSampleSheet, &sheet, pdf_));
        QCOMPARE(sheet.calls, 1);
        QCOMPARE(sheet.last.currentPage, 1);
        QVERIFY(!sheet.last.preview);

        const QStringList lines = pdfLines(pdf_);
        QCOMPARE(lines.mid(0, 4), (QStringList{QStringLiteral("口 腔 门 诊 部"), QStringLiteral("收 费 明 细"),
                                               QStringLiteral("姓名：张三 病案号：A001"),
                                               QStringLiteral("应收金额(元)：128.50")}));
        QVERIFY(lines.contains(QStringLiteral("36.5")));

        const QList<Word> words = pdfWords(pdf_);
        // Text at a point: its cell's top left; a Chinese character advances twice the width.
        const Word name = findWord(words, QStringLiteral("姓名：张三"));
        QVERIFY(qAbs(name.box.left() - pageMm(35, -240).x()) < 0.3);
        QVERIFY(qAbs(name.box.top() - pageMm(35, -240).y()) < 0.3);
        QVERIFY(qAbs(name.box.width() - 5 * 3.0) < 0.3);
        // Title centred in its rectangle, 6 mm a character.
        const Word first = findWord(words, QStringLiteral("口")), last = findWord(words, QStringLiteral("部"));
        QVERIFY(qAbs(first.box.width() - 6.0) < 0.2);
        QVERIFY(qAbs((first.box.left() + last.box.right()) / 2 - pageMm(375, -80).x()) < 0.5);
        QVERIFY(qAbs(first.box.center().y() - pageMm(375, -80).y()) < 0.5);
        // A cell too narrow for its text wraps inside the cell, line under line.
        const Word head = findWord(words, QStringLiteral("公费医")), tail = findWord(words, QStringLiteral("疗"));
        const QRectF cell = QRectF(pageMm(241, -400), pageMm(342, -580)).adjusted(-0.2, -0.2, 0.2, 0.2);
        QVERIFY2(cell.contains(head.box) && cell.contains(tail.box), "wrapped cell text outside its cell");
        QVERIFY(tail.box.top() >= head.box.bottom() - 0.1);
    }

    void rasterShowsTextAndRules()
    {
        SampleSheet sheet = sampleSheet();
        QVERIFY(writePagePdf(drawSampleSheet, &sheet, pdf_));
        const QString png = dir_.filePath(QStringLiteral("sheet"));
        run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                                         QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf_, png});
        QImage page(png + QStringLiteral(".png"));
        QCOMPARE(page.width(), 2100); // A4, one pixel per 0.1 mm
        QVERIFY(qAbs(page.height() - 2970) <= 1);
        const int margin = 50;
        auto dark = [&](int x, int y) { return qGray(page.pixel(margin + x, margin - y)) < 128; };
        // The grid's top rule across its length, and its left rule down its height.
        for (int x = 102; x <= 461; x += 9)
            QVERIFY2(dark(x, -380) || dark(x, -381) || dark(x, -379), qPrintable(QString::number(x)));
        for (int y = -382; y >= -578; y -= 8)
            QVERIFY2(dark(100, y) || dark(99, y) || dark(101, y), qPrintable(QString::number(y)));
        // The title's ink sits in its rectangle, centred.
        const QRect title = ink(page.copy(margin + 35, margin + 30, 680, 100));
        QVERIFY(!title.isEmpty());
        QVERIFY(qAbs(title.center().x() - 340) < 8);
        QVERIFY(qAbs(title.center().y() - 50) < 8);
    }

    // Flag by flag, where the ink of a text lands in the rectangle [100,-100,900,-300].
    void textPlacement_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("format");
        QTest::addColumn<QRect>("expected"); // ink box in pixels (= units); -1: not checked
        const QString t = QStringLiteral("中文");
        QTest::newRow("0x835 centred both ways") << t << 0x835u << QRect(470, 180, 60, 40);
        QTest::newRow("right bottom single line") << t << 0x82Au << QRect(840, 260, 60, 40);
        QTest::newRow("0x810 left top") << t << 0x810u << QRect(100, 100, 60, 40);
        QTest::newRow("vertical centre needs single line") << t << 0x815u << QRect(470, 100, 60, 40);
        QTest::newRow("word break wraps a long text")
            << QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十") << 0x810u
            << QRect(100, 100, 780, 90);
        QTest::newRow("single line clips at the right edge")
            << QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十") << 0x820u
            << QRect(100, 100, 800, 40);
        QTest::newRow("prefix: && draws one &") << QStringLiteral("&&&&") << 0x20u << QRect(100, -1, -1, -1);
    }
    void textPlacement()
    {
        QFETCH(QString, text);
        QFETCH(uint, format);
        QFETCH(QRect, expected);
        const QImage image = tenthMillimetreImage([&](Canvas& dc) { dc.drawText(text, {100, -100, 900, -300}, format); });
        const QRect box = ink(image);
        QVERIFY(!box.isEmpty());
        QVERIFY(QRect(100, 100, 800, 200).contains(box));
        const int tolerance = 9; // the ink of a glyph sits a little inside its cell
        QVERIFY2(qAbs(box.left() - expected.left()) <= tolerance, qPrintable(QDebug::toString(box)));
        if (expected.top() >= 0)
            QVERIFY2(qAbs(box.top() - expected.top()) <= tolerance, qPrintable(QDebug::toString(box)));
        if (expected.width() >= 0) {
            QVERIFY2(qAbs(box.width() - expected.width()) <= tolerance + 6, qPrintable(QDebug::toString(box)));
            QVERIFY2(qAbs(box.height() - expected.height()) <= tolerance, qPrintable(QDebug::toString(box)));
        } else {
            // Two ampersands, not four.
            const QRect four = ink(tenthMillimetreImage([&](Canvas& dc) { dc.drawText(text, {100, -100, 900, -300}, 0x820); }));
            QVERIFY2(box.width() < four.width() * 0.7, qPrintable(QDebug::toString(box)));
        }
    }

    // Under the y-up mapping glyphs stay upright: T has its bar on top, at the text's cell.
    void textIsUpright()
    {
        const QImage image = tenthMillimetreImage([](Canvas& dc) {
            dc.selectFont(dc.createFont(LogFont::printFont(200, 100, 400)));
            dc.textOut(300, -100, QStringLiteral("T"));
        });
        const QRect box = ink(image);
        QVERIFY(box.top() >= 100 && box.top() < 160);
        QVERIFY(box.left() >= 300);
        int heaviest = 0, most = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            int n = 0;
            for (int x = box.left(); x <= box.right(); ++x)
                n += qGray(image.pixel(x, y)) < 128;
            if (n > most)
                most = n, heaviest = y;
        }
        QVERIFY2(heaviest < box.top() + box.height() / 4, "the bar of T is not at the top");
    }

    void previewTitle_data()
    {
        QTest::addColumn<bool>("hasOwner");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("caption") << true << QStringLiteral("收费结帐") << QString() << QStringLiteral("收费结帐 (预览)");
        QTest::newRow("empty caption") << true << QString() << QString() << QStringLiteral("打印预览");
        QTest::newRow("given title") << true << QStringLiteral("收费结帐") << QStringLiteral("缴款书")
                                     << QStringLiteral("缴款书");
        QTest::newRow("no owner") << false << QString() << QString() << QStringLiteral("打印预览");
    }
    void previewTitle()
    {
        QFETCH(bool, hasOwner);
        QFETCH(QString, caption);
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QDialog owner;
        owner.setWindowTitle(caption);
        owner.show();
        const QPointer<CMainFrame> frame = previewPage(drawEmptyPage, hasOwner ? &owner : nullptr, nullptr, title);
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), expected);
        QCOMPARE(owner.isVisible(), !hasOwner);
        frame->close();
        QTRY_VERIFY(frame.isNull());
        QVERIFY(owner.isVisible());
    }

    // A preview hides its owner, shows page 1 maximised, and however it ends, the owner is back.
    void previewRunsAndReturns_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("emptyPage");
        QTest::addColumn<bool>("printed");
        QTest::newRow("close") << "close" << false << false;
        QTest::newRow("print") << "print" << false << true;
        QTest::newRow("print, dialog cancelled") << "cancel" << false << false;
        QTest::newRow("window closed") << "window" << false << false;
        QTest::newRow("empty page printed") << "print" << true << true;
        QTest::newRow("owner destroyed") << "destroy" << false << false;
    }
    void previewRunsAndReturns()
    {
        QFETCH(QString, ending);
        QFETCH(bool, emptyPage);
        QFETCH(bool, printed);
        auto owner = std::make_unique<QDialog>();
        owner->setWindowTitle(QStringLiteral("收费结帐"));
        owner->show();
        ui_.owner = owner.get();
        ui_.accept = ending != QLatin1String("cancel");
        SampleSheet sheet = sampleSheet();
        const PageRoutine routine = emptyPage ? PageRoutine(drawEmptyPage) : PageRoutine(drawSampleSheet);

        const QPointer<CMainFrame> frame = previewPage(routine, owner.get(), &sheet);
        QVERIFY(frame);
        QCOMPARE(ui_.shown, QList<QPointer<CMainFrame>>{frame});
        QVERIFY(frame->isVisible());
        QVERIFY(frame->isMaximized());
        QVERIFY(!owner->isVisible());
        QCOMPARE(CMainFrame::runOf(owner.get()), frame.data());
        QCOMPARE(frame->previewView()->pageCount(), 1);
        if (!emptyPage) {
            QVERIFY(sheet.calls >= 1);
            QVERIFY(sheet.last.preview);
        }

        if (ending == QLatin1String("close"))
            frame->closeAction()->trigger();
        else if (ending == QLatin1String("window"))
            frame->close();
        else if (ending == QLatin1String("destroy"))
            owner.reset();
        else
            frame->printAction()->trigger();
        QTRY_VERIFY(frame.isNull());
        if (owner) {
            QVERIFY(owner->isVisible());
            QCOMPARE(CMainFrame::runOf(owner.get()), nullptr);
        }
        QCOMPARE(ui_.printDialogs, ending == QLatin1String("print") || ending == QLatin1String("cancel") ? 1 : 0);
        QCOMPARE(QFile::exists(pdf_), printed);
        if (printed)
            QCOMPARE(pdfLines(pdf_).contains(QStringLiteral("姓名：张三 病案号：A001")), !emptyPage);
    }

    // The print button: print dialog and job, the owner visible throughout, no preview window.
    void directPrint_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("printed") << true;
        QTest::newRow("cancelled") << false;
    }
    void directPrint()
    {
        QFETCH(bool, accept);
        QDialog owner;
        owner.show();
        ui_.owner = &owner;
        ui_.accept = accept;
        SampleSheet sheet = sampleSheet();
        printPage(drawSampleSheet, &owner, &sheet);
        QCOMPARE(ui_.printDialogs, 1);
        QVERIFY(ui_.ownerVisibleAtDialog);
        QCOMPARE(ui_.framesVisibleAtDialog, 0);
        QVERIFY(ui_.shown.isEmpty());
        QVERIFY(owner.isVisible());
        QCOMPARE(CMainFrame::runOf(&owner), nullptr);
        QCOMPARE(sheet.calls, accept ? 1 : 0);
        QCOMPARE(QFile::exists(pdf_), accept);
        if (accept)
            QVERIFY(pdfLines(pdf_).contains(QStringLiteral("应收金额(元)：128.50")));
    }

    // The owner is one of the module's dialogs in its modal run: hiding it for the preview must
    // not end that run, and the host stays blocked while the preview stands in for it.
    void previewFromModalDialog()
    {
        app::Dialog owner(9002, QStringLiteral("收费结帐"));
        ui_.owner = &owner;
        QPointer<CMainFrame> frame;
        bool hidden = false, runningDuringPreview = false, shownAgain = false, modalIsFrame = false;
        QTimer::singleShot(0, &owner, [&] {
            frame = previewPage(drawEmptyPage, &owner, nullptr);
            hidden = !owner.isVisible();
            runningDuringPreview = owner.isRunning();
            modalIsFrame = frame && QGuiApplication::modalWindow() == frame->windowHandle();
            QTimer::singleShot(0, frame, [&] { frame->closeAction()->trigger(); });
            QTimer::singleShot(50, &owner, [&] {
                shownAgain = owner.isVisible() && owner.isRunning();
                owner.endDialog(app::IDOK);
            });
        });
        QCOMPARE(owner.runModal(), app::IDOK);
        QVERIFY(hidden);
        QVERIFY(runningDuringPreview);
        QVERIFY(modalIsFrame);
        QVERIFY(shownAgain);
        QVERIFY(frame.isNull());
    }

    // A job that cannot be written is reported, not passed off as printed; a routine that fails
    // leaves no half page behind.
    void failedJobs()
    {
        RecordedMessages messages;
        QDialog owner;
        owner.show();
        ui_.printTo = dir_.filePath(QStringLiteral("missing/dir/x.pdf"));
        printPage(drawEmptyPage, &owner, nullptr);
        QCOMPARE(messages.texts,
                 QStringList{QStringLiteral("打印失败：%1").arg(QDir::toNativeSeparators(ui_.printTo))});

        const PageRoutine throwing = [](Canvas& canvas, const PrintInfo&, void*) {
            canvas.textOut(0, 0, QStringLiteral("半张"));
            throw std::runtime_error("no data");
        };
        QVERIFY(!writePagePdf(throwing, nullptr, pdf_));
        QVERIFY(!QFile::exists(pdf_));

        const QPointer<CMainFrame> frame = previewPage(drawEmptyPage, &owner, nullptr);
        ui_.saveAs = dir_.filePath(QStringLiteral("missing/dir/y.pdf"));
        QVERIFY(!frame->savePdf());
        QCOMPARE(messages.texts.last(), QStringLiteral("无法保存文件：%1").arg(QDir::toNativeSeparators(ui_.saveAs)));
    }

    void oneRunPerOwner()
    {
        QDialog owner;
        owner.show();
        const QPointer<CMainFrame> frame = previewPage(drawEmptyPage, &owner, nullptr);
        QCOMPARE(previewPage(drawEmptyPage, &owner, nullptr), frame);
        printPage(drawEmptyPage, &owner, nullptr);
        QCOMPARE(ui_.printDialogs, 0);
        QCOMPARE(openFrames(), 1);
        // Another dialog runs its own.
        QDialog other;
        other.show();
        const QPointer<CMainFrame> second = previewPage(drawEmptyPage, &other, nullptr);
        QVERIFY(second && second != frame);
        QCOMPARE(openFrames(), 2);
    }

    void savePdfFromPreview()
    {
        QDialog owner;
        owner.show();
        SampleSheet sheet = sampleSheet();
        const QPointer<CMainFrame> frame = previewPage(drawSampleSheet, &owner, &sheet);
        ui_.saveAs = pdf_;
        QVERIFY(frame->savePdf());
        QVERIFY(pdfLines(pdf_).contains(QStringLiteral("姓名：张三 病案号：A001")));
        QVERIFY(frame->isVisible());
        QVERIFY(!owner.isVisible());
        ui_.saveAs.clear(); // chooser cancelled
        QVERIFY(!frame->savePdf());
        ui_.saveAs = dir_.filePath(QStringLiteral("missing/dir/x.pdf"));
        QVERIFY(!frame->savePdf());
        QVERIFY(frame->isVisible());
    }

    // Under an automation script the page goes to the script's PDF; no window opens.
    void redirectWritesPdf_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::newRow("preview") << false;
        QTest::newRow("print") << true;
    }
    void redirectWritesPdf()
    {
        QFETCH(bool, direct);
        app::setPrintRedirectPath(pdf_);
        QDialog owner;
        owner.show();
        SampleSheet sheet = sampleSheet();
        const QPointer<CMainFrame> frame = CMainFrame::start(drawSampleSheet, &owner, &sheet, direct);
        QVERIFY(frame.isNull());
        QCOMPARE(openFrames(), 0);
        QVERIFY(owner.isVisible());
        QCOMPARE(ui_.printDialogs, 0);
        QVERIFY(pdfLines(pdf_).contains(QStringLiteral("姓名：张三 病案号：A001")));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
