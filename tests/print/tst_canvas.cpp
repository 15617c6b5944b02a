// The drawing surface of page routines, as tests see it: the recording canvas.
#include "print/RecordingCanvas.h"
#include "tests/print/SampleSheet.h"
#include <QTest>

using namespace print;

class TestCanvas : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sampleSheetRecordsEveryCall()
    {
        SampleSheet sheet = sampleSheet();
        RecordingCanvas dc;
        drawSampleSheet(dc, PrintInfo{}, &sheet);
        const QString titleFont = QStringLiteral(
            "height=60 width=30 escapement=0 orientation=0 weight=800 italic=0 underline=0 strikeOut=0 charSet=0 "
            "outPrecision=0 clipPrecision=0 quality=0 pitchAndFamily=0x10 face=\"\"");
        const QString bodyFont = QString(titleFont).replace(QLatin1String("height=60 width=30"),
                                                            QLatin1String("height=40 width=15"))
                                     .replace(QLatin1String("weight=800"), QLatin1String("weight=20"));
        const QStringList expected = {
            QStringLiteral("createFont #1 ") + titleFont,
            QStringLiteral("createFont #2 ") + bodyFont,
            QStringLiteral("setMapMode 2"),
            QStringLiteral("selectFont #1 (was #0)"),
            QStringLiteral("drawText [35,-30,715,-130] 0x835 \"口 腔 门 诊 部\""),
            QStringLiteral("drawText [35,-130,715,-230] 0x835 \"收  费  明  细\""),
            QStringLiteral("selectFont #2 (was #1)"),
            QStringLiteral("textOut (35,-240) \"姓名：张三 病案号：A001\""),
            QStringLiteral("textOut (35,-300) \"应收金额(元)：128.50\""),
            QStringLiteral("moveTo (100,-380)"),
            QStringLiteral("lineTo (463,-380)"),
            QStringLiteral("moveTo (100,-580)"),
            QStringLiteral("lineTo (463,-580)"),
            QStringLiteral("moveTo (100,-380)"),
            QStringLiteral("lineTo (100,-580)"),
            QStringLiteral("moveTo (221,-380)"),
            QStringLiteral("lineTo (221,-580)"),
            QStringLiteral("moveTo (342,-380)"),
            QStringLiteral("lineTo (342,-580)"),
            QStringLiteral("moveTo (463,-380)"),
            QStringLiteral("lineTo (463,-580)"),
            QStringLiteral("drawText [120,-400,221,-580] 0x810 \"挂号费\""),
            QStringLiteral("drawText [241,-400,342,-580] 0x810 \"公费医疗\""),
            QStringLiteral("drawText [362,-400,463,-580] 0x810 \"36.5\""),
            QStringLiteral("selectFont #0 (was #2)"),
            QStringLiteral("deleteFont #1"),
            QStringLiteral("deleteFont #2"),
        };
        QCOMPARE(dc.calls(), expected);
        QVERIFY(dc.fontsRestored());

        // Each text knows the font and mapping mode it was drawn with.
        const auto& texts = dc.texts();
        QCOMPARE(texts.size(), 7);
        QCOMPARE(texts[1].font, LogFont::printFont(60, 30, 800));
        QVERIFY(texts[1].inRect);
        QCOMPARE(texts[2].font, LogFont::printFont(40, 15, 20));
        QCOMPARE(texts[2].at, QPoint(35, -240));
        QVERIFY(!texts[2].inRect);
        QCOMPARE(texts[6].mapMode, MM_LOMETRIC);
        QCOMPARE(dc.rules().size(), 6);
        QCOMPARE(dc.rules().first(), QLine(100, -380, 463, -380));
    }

    void emptyPageDrawsNothing()
    {
        RecordingCanvas dc;
        drawEmptyPage(dc, PrintInfo{}, nullptr);
        QVERIFY(dc.calls().isEmpty());
    }

    // Routines that do not put things back are visible in the record.
    void fontBookkeeping_data()
    {
        QTest::addColumn<int>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("restored");
        QTest::newRow("deleting the selected font is refused")
            << 0
            << QStringList{"createFont #1", "selectFont #1 (was #0)", "deleteFont #1 refused", "selectFont #0 (was #1)",
                           "deleteFont #1"}
            << true;
        QTest::newRow("unknown handle selects nothing")
            << 1 << QStringList{"selectFont #7 (was #0) unknown", "deleteFont #0 refused"} << true;
        QTest::newRow("font left selected") << 2 << QStringList{"createFont #1", "selectFont #1 (was #0)"} << false;
        QTest::newRow("font never deleted") << 3 << QStringList{"createFont #1"} << false;
    }
    void fontBookkeeping()
    {
        QFETCH(int, script);
        QFETCH(QStringList, expected);
        QFETCH(bool, restored);
        RecordingCanvas dc;
        switch (script) {
        case 0: {
            const FontHandle f = dc.createFont(LogFont::printFont(40, 15, 20));
            dc.selectFont(f);
            QVERIFY(!dc.deleteFont(f));
            QCOMPARE(dc.selectFont(STOCK_FONT), f);
            QVERIFY(dc.deleteFont(f));
            break;
        }
        case 1:
            QCOMPARE(dc.selectFont(7), STOCK_FONT);
            QCOMPARE(dc.selectedFont(), STOCK_FONT);
            QVERIFY(!dc.deleteFont(STOCK_FONT));
            break;
        case 2: dc.selectFont(dc.createFont(LogFont::printFont(40, 15, 20))); break;
        case 3: dc.createFont(LogFont::printFont(40, 15, 20)); break;
        }
        QStringList calls = dc.calls();
        for (QString& c : calls)
            c = c.section(QLatin1Char(' '), 0, c.startsWith(QLatin1String("createFont")) ? 1 : -1);
        QCOMPARE(calls, expected);
        QCOMPARE(dc.fontsRestored(), restored);
    }
};

QTEST_GUILESS_MAIN(TestCanvas)
#include "tst_canvas.moc"
