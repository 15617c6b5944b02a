#pragma once
#include "print/Canvas.h"
#include <QFont>
#include <QHash>
#include <QTransform>

class QPainter;

namespace print {

// Draws the canvas calls with a QPainter on a printer, a preview page or a PDF. Low-metric
// units are real tenths of a millimetre from the top left of the printable area, y upwards;
// text-mode units are device pixels, y downwards.
class QtCanvas : public Canvas {
public:
    // Chinese text extracts exactly from PDFs made with this face.
    static const QString printFace;

    // The painter must be active; its current transform is the page's origin.
    explicit QtCanvas(QPainter& painter);
    ~QtCanvas() override;

    // The Qt font that renders a logical font, in the units of the current mapping mode.
    QFont qtFont(const LogFont& font) const;

protected:
    void onMapMode(MapMode mode) override;
    void onDeleteFont(FontHandle handle, bool deleted) override;
    void onDrawText(const QString& text, const Rect& rect, unsigned format) override;
    void onTextOut(int x, int y, const QString& text) override;
    void onLineTo(QPoint from, QPoint to) override;

private:
    void beginText(int x, int y);
    int unitsPerInch() const;
    const QFont& selectedQtFont();

    QPainter& painter_;
    QTransform origin_;
    QTransform base_;
    double dpiX_;
    double dpiY_;
    QHash<FontHandle, QFont> realized_; // handles are never reused
};

} // namespace print
