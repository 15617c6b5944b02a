#pragma once
#include "print/Canvas.h"
#include <QLine>
#include <QList>
#include <QStringList>

namespace print {

// Keeps every call, for tests of page routines: a readable dump (one line per call, for golden
// files) and the drawn texts with the font in force, and the rules, for targeted checks.
class RecordingCanvas : public Canvas {
public:
    struct Text {
        QString text;
        bool inRect = false; // drawText (rect, format) or textOut (at)
        Rect rect;
        unsigned format = 0;
        QPoint at;
        LogFont font;
        MapMode mapMode = MM_TEXT;
    };

    const QStringList& calls() const { return calls_; }
    QString dump() const { return calls_.join(QLatin1Char('\n')); }
    const QList<Text>& texts() const { return texts_; }
    const QList<QLine>& rules() const { return rules_; }
    // The routine left the canvas as it found it: stock font selected, every font deleted.
    bool fontsRestored() const { return selectedFont() == STOCK_FONT && liveFonts() == 0; }

protected:
    void onMapMode(MapMode mode) override;
    void onCreateFont(FontHandle handle, const LogFont& font) override;
    void onSelectFont(FontHandle requested, FontHandle previous) override;
    void onDeleteFont(FontHandle handle, bool deleted) override;
    void onDrawText(const QString& text, const Rect& rect, unsigned format) override;
    void onTextOut(int x, int y, const QString& text) override;
    void onMoveTo(int x, int y) override;
    void onLineTo(QPoint from, QPoint to) override;

private:
    QStringList calls_;
    QList<Text> texts_;
    QList<QLine> rules_;
};

} // namespace print
