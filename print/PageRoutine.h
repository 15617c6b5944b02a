#pragma once
#include <functional>

namespace print {
class Canvas;

// The job's view of the page being drawn. Every job is one page long: routines are called
// once, for page 1, and draw the whole document there.
struct PrintInfo {
    int currentPage = 1;
    int fromPage = 1;
    int toPage = 1;
    bool preview = false;
};

// Draws the whole document on the canvas. The context is what the dialog handed to the print
// run (usually the data of the document), passed back untouched.
using PageRoutine = std::function<void(Canvas& dc, const PrintInfo& info, void* context)>;

// The case-record checkout prints an empty page.
void drawEmptyPage(Canvas& dc, const PrintInfo& info, void* context);

} // namespace print
