#pragma once
#include "print/Canvas.h"

namespace print {

// The two fonts the clinic's forms are drawn with, a bold title and the body text, on a page
// in low-metric units. Made when the page starts; when it ends the font that was selected before
// is selected again and both are deleted, as every routine must leave the canvas.
class FormFonts {
public:
    explicit FormFonts(Canvas& dc)
        : dc_(dc), title_(dc.createFont(LogFont::printFont(60, 30, 800))),
          body_(dc.createFont(LogFont::printFont(40, 15, 20)))
    {
        dc_.setMapMode(MM_LOMETRIC);
        old_ = dc_.selectFont(title_);
    }
    ~FormFonts()
    {
        dc_.selectFont(old_);
        dc_.deleteFont(title_);
        dc_.deleteFont(body_);
    }
    FormFonts(const FormFonts&) = delete;
    FormFonts& operator=(const FormFonts&) = delete;

    void title() { dc_.selectFont(title_); }
    void body() { dc_.selectFont(body_); }

private:
    Canvas& dc_;
    FontHandle title_;
    FontHandle body_;
    FontHandle old_ = STOCK_FONT;
};

} // namespace print
