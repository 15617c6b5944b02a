#include "print/Canvas.h"

namespace print {

LogFont LogFont::printFont(int height, int width, int weight)
{
    LogFont f;
    f.height = height;
    f.width = width;
    f.weight = weight;
    f.pitchAndFamily = FF_ROMAN;
    return f;
}

QString LogFont::describe() const
{
    return QStringLiteral("height=%1 width=%2 escapement=%3 orientation=%4 weight=%5 italic=%6 underline=%7 "
                          "strikeOut=%8 charSet=%9 outPrecision=%10 clipPrecision=%11 quality=%12 "
                          "pitchAndFamily=0x%13 face=\"%14\"")
        .arg(height)
        .arg(width)
        .arg(escapement)
        .arg(orientation)
        .arg(weight)
        .arg(int(italic))
        .arg(int(underline))
        .arg(int(strikeOut))
        .arg(charSet)
        .arg(outPrecision)
        .arg(clipPrecision)
        .arg(quality)
        .arg(pitchAndFamily, 0, 16)
        .arg(faceName);
}

void Canvas::setMapMode(MapMode mode)
{
    mapMode_ = mode;
    onMapMode(mode);
}

FontHandle Canvas::createFont(const LogFont& font)
{
    const FontHandle h = nextFont_++;
    fonts_.insert(h, font);
    onCreateFont(h, font);
    return h;
}

FontHandle Canvas::selectFont(FontHandle font)
{
    const FontHandle previous = selected_;
    if (font == STOCK_FONT || fonts_.contains(font))
        selected_ = font;
    onSelectFont(font, previous);
    return previous;
}

bool Canvas::deleteFont(FontHandle font)
{
    const bool deleted = font != selected_ && fonts_.remove(font) > 0;
    onDeleteFont(font, deleted);
    return deleted;
}

LogFont Canvas::font(FontHandle handle) const
{
    // The stock font: what a device falls back to before the routine selects its own.
    return fonts_.value(handle, LogFont::printFont(0, 0, 400));
}

void Canvas::drawText(const QString& text, const Rect& rect, unsigned format)
{
    onDrawText(text, rect, format);
}

void Canvas::textOut(int x, int y, const QString& text)
{
    onTextOut(x, y, text);
}

void Canvas::moveTo(int x, int y)
{
    position_ = QPoint(x, y);
    onMoveTo(x, y);
}

void Canvas::lineTo(int x, int y)
{
    const QPoint from = position_;
    position_ = QPoint(x, y);
    onLineTo(from, position_);
}

} // namespace print
