#include "print/PageRoutine.h"

namespace print {

void drawEmptyPage(Canvas&, const PrintInfo&, void*) {}

} // namespace print
