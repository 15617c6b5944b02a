#pragma once
#include <QHash>
#include <QPoint>
#include <QString>

// The drawing surface of the printed forms, in the terms the forms were laid out in: a
// logical-font table, a mapping mode, text in a rectangle with the classic format flags,
// text at a point and rules drawn by move-to/line-to. Page routines draw only through it, so
// the same routine goes to a recorder in tests and to a QPainter for preview, printer and PDF.
namespace print {

enum MapMode { MM_TEXT = 1, MM_LOMETRIC = 2 };

// Format flags of drawText (the values are the ones the forms store).
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_NOPREFIX = 0x800;

// Pitch-and-family bits.
inline constexpr int FIXED_PITCH = 0x1;
inline constexpr int FF_ROMAN = 0x10;
inline constexpr int FF_SWISS = 0x20;
inline constexpr int FF_MODERN = 0x30;
inline constexpr int FF_SCRIPT = 0x40;
inline constexpr int FF_DECORATIVE = 0x50;

// A logical font as the forms create it; heights and widths in logical units.
struct LogFont {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;
    QString faceName;

    // The fonts of every printed form: no escapement, italic, underline or strike-out,
    // character set 0, default precisions and quality, variable-pitch roman, no face name.
    static LogFont printFont(int height, int width, int weight);
    QString describe() const;
    bool operator==(const LogFont&) const = default;
};

// A rectangle as the forms give it: in low-metric mode top is above bottom, so top > bottom.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

using FontHandle = int;
// The device's own font, selected when a canvas starts.
inline constexpr FontHandle STOCK_FONT = 0;

class Canvas {
public:
    virtual ~Canvas() = default;

    void setMapMode(MapMode mode);
    FontHandle createFont(const LogFont& font);
    // Returns the font that was selected before, to be selected again when the routine ends.
    // An unknown handle selects nothing and returns the current one.
    FontHandle selectFont(FontHandle font);
    // A selected font (or the stock font) is not deleted; false then.
    bool deleteFont(FontHandle font);
    void drawText(const QString& text, const Rect& rect, unsigned format);
    // The point is the top left of the text's cell.
    void textOut(int x, int y, const QString& text);
    void moveTo(int x, int y);
    void lineTo(int x, int y);

    MapMode mapMode() const { return mapMode_; }
    FontHandle selectedFont() const { return selected_; }
    // The logical font behind a handle; the stock font for STOCK_FONT or an unknown handle.
    LogFont font(FontHandle handle) const;
    QPoint currentPosition() const { return position_; }
    int liveFonts() const { return fonts_.size(); }

protected:
    // What a device does with each call, after the bookkeeping above.
    virtual void onMapMode(MapMode) {}
    virtual void onCreateFont(FontHandle, const LogFont&) {}
    virtual void onSelectFont(FontHandle /*requested*/, FontHandle /*previous*/) {}
    virtual void onDeleteFont(FontHandle, bool /*deleted*/) {}
    virtual void onDrawText(const QString&, const Rect&, unsigned /*format*/) {}
    virtual void onTextOut(int /*x*/, int /*y*/, const QString&) {}
    virtual void onMoveTo(int /*x*/, int /*y*/) {}
    virtual void onLineTo(QPoint /*from*/, QPoint /*to*/) {}

private:
    MapMode mapMode_ = MM_TEXT;
    QHash<FontHandle, LogFont> fonts_;
    FontHandle nextFont_ = 1;
    FontHandle selected_ = STOCK_FONT;
    QPoint position_;
};

} // namespace print
