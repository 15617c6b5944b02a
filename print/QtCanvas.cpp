#include "print/QtCanvas.h"
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QtMath>

namespace print {

const QString QtCanvas::printFace = QStringLiteral("WenQuanYi Zen Hei");

namespace {

QFont::StyleHint styleHint(int pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN: return QFont::Serif;
    case FF_SWISS: return QFont::SansSerif;
    case FF_MODERN: return QFont::TypeWriter;
    case FF_SCRIPT: return QFont::Cursive;
    case FF_DECORATIVE: return QFont::Decorative;
    default: return QFont::AnyStyle;
    }
}

Qt::Alignment alignment(unsigned format)
{
    Qt::Alignment a = (format & DT_CENTER) ? Qt::AlignHCenter : (format & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    // Vertical placement applies to single-line text only; wrapped text starts at the top.
    if (format & DT_SINGLELINE)
        a |= (format & DT_VCENTER) ? Qt::AlignVCenter : (format & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    else
        a |= Qt::AlignTop;
    return a;
}

int textFlags(unsigned format)
{
    int flags = int(alignment(format));
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    else if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (format & DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    return flags;
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter)
    : painter_(painter), origin_(painter.transform()), base_(origin_), dpiX_(painter.device()->logicalDpiX()),
      dpiY_(painter.device()->logicalDpiY())
{
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    painter_.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter_.setBrush(Qt::NoBrush);
}

QtCanvas::~QtCanvas()
{
    painter_.restore();
}

int QtCanvas::unitsPerInch() const
{
    return mapMode() == MM_LOMETRIC ? 254 : qRound(dpiY_);
}

QFont QtCanvas::qtFont(const LogFont& lf) const
{
    QFont f;
    f.setFamilies(lf.faceName.isEmpty() ? QStringList{printFace} : QStringList{lf.faceName, printFace});
    f.setStyleHint(styleHint(lf.pitchAndFamily), QFont::PreferOutline);
    f.setFixedPitch((lf.pitchAndFamily & 0x3) == FIXED_PITCH);
    f.setHintingPreference(QFont::PreferNoHinting);
    // Escapement, orientation, character set, precisions and quality: no form uses anything
    // but the defaults, and Qt picks glyphs by text, not by character set.
    // The height is the character (em) height, as on the fonts the forms were laid out with,
    // whose cell is their em square. 0 asks for the device's usual 12-point text.
    const int height = lf.height != 0 ? qAbs(lf.height) : qMax(1, unitsPerInch() / 6);
    f.setPixelSize(height);
    f.setWeight(QFont::Weight(qBound(1, lf.weight == 0 ? 400 : lf.weight, 1000)));
    f.setItalic(lf.italic);
    f.setUnderline(lf.underline);
    f.setStrikeOut(lf.strikeOut);
    if (lf.width > 0) {
        // The width is the average (half-width) advance: a Chinese character takes two of it.
        const qreal fullWidth = QFontMetricsF(f).horizontalAdvance(QChar(0x4E2D));
        if (fullWidth > 0)
            f.setStretch(qBound(1, qRound(100.0 * 2 * lf.width / fullWidth), 4000));
    }
    return f;
}

void QtCanvas::onMapMode(MapMode mode)
{
    if (mode == MM_LOMETRIC)
        base_ = QTransform::fromScale(dpiX_ / 254.0, -dpiY_ / 254.0) * origin_;
    else
        base_ = origin_;
    // Rules keep a width of one unit: a tenth of a millimetre, or one device pixel.
    painter_.setTransform(base_);
    realized_.clear(); // font sizes are in the units of the mode
}

void QtCanvas::onDeleteFont(FontHandle handle, bool deleted)
{
    if (deleted)
        realized_.remove(handle);
}

const QFont& QtCanvas::selectedQtFont()
{
    auto it = realized_.find(selectedFont());
    if (it == realized_.end())
        it = realized_.insert(selectedFont(), qtFont(font(selectedFont())));
    return *it;
}

void QtCanvas::beginText(int x, int y)
{
    // Text is laid out downwards from its own origin; flipping y there keeps glyphs upright.
    painter_.setTransform(base_);
    painter_.translate(x, y);
    if (mapMode() == MM_LOMETRIC)
        painter_.scale(1, -1);
    painter_.setFont(selectedQtFont());
    painter_.setPen(Qt::black);
}

void QtCanvas::onDrawText(const QString& text, const Rect& rect, unsigned format)
{
    const bool yUp = mapMode() == MM_LOMETRIC;
    const int left = qMin(rect.left, rect.right);
    const int top = yUp ? qMax(rect.top, rect.bottom) : qMin(rect.top, rect.bottom);
    painter_.save();
    beginText(left, top);
    const QRectF box(0, 0, qAbs(rect.right - rect.left), qAbs(rect.bottom - rect.top));
    painter_.drawText(box, textFlags(format), text);
    painter_.restore();
}

void QtCanvas::onTextOut(int x, int y, const QString& text)
{
    painter_.save();
    beginText(x, y);
    painter_.drawText(QPointF(0, QFontMetricsF(painter_.font()).ascent()), text);
    painter_.restore();
}

void QtCanvas::onLineTo(QPoint from, QPoint to)
{
    painter_.drawLine(from, to);
}

} // namespace print
