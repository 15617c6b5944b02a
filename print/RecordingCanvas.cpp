#include "print/RecordingCanvas.h"

namespace print {

namespace {
QString quoted(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    s.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return QLatin1Char('"') + s + QLatin1Char('"');
}
} // namespace

void RecordingCanvas::onMapMode(MapMode mode)
{
    calls_ << QStringLiteral("setMapMode %1").arg(int(mode));
}

void RecordingCanvas::onCreateFont(FontHandle handle, const LogFont& font)
{
    calls_ << QStringLiteral("createFont #%1 %2").arg(handle).arg(font.describe());
}

void RecordingCanvas::onSelectFont(FontHandle requested, FontHandle previous)
{
    calls_ << QStringLiteral("selectFont #%1 (was #%2)%3")
                  .arg(requested)
                  .arg(previous)
                  .arg(selectedFont() == requested ? QString() : QStringLiteral(" unknown"));
}

void RecordingCanvas::onDeleteFont(FontHandle handle, bool deleted)
{
    calls_ << QStringLiteral("deleteFont #%1%2").arg(handle).arg(deleted ? QString() : QStringLiteral(" refused"));
}

void RecordingCanvas::onDrawText(const QString& text, const Rect& rect, unsigned format)
{
    calls_ << QStringLiteral("drawText [%1,%2,%3,%4] 0x%5 %6")
                  .arg(rect.left)
                  .arg(rect.top)
                  .arg(rect.right)
                  .arg(rect.bottom)
                  .arg(format, 0, 16)
                  .arg(quoted(text));
    texts_.append({text, true, rect, format, {}, font(selectedFont()), mapMode()});
}

void RecordingCanvas::onTextOut(int x, int y, const QString& text)
{
    calls_ << QStringLiteral("textOut (%1,%2) %3").arg(x).arg(y).arg(quoted(text));
    texts_.append({text, false, {}, 0, QPoint(x, y), font(selectedFont()), mapMode()});
}

void RecordingCanvas::onMoveTo(int x, int y)
{
    calls_ << QStringLiteral("moveTo (%1,%2)").arg(x).arg(y);
}

void RecordingCanvas::onLineTo(QPoint from, QPoint to)
{
    calls_ << QStringLiteral("lineTo (%1,%2)").arg(to.x()).arg(to.y());
    rules_.append(QLine(from, to));
}

} // namespace print
