#include "app/PrintRedirect.h"

namespace {
QString redirect;
}

namespace app {
QString printRedirectPath() { return redirect; }
void setPrintRedirectPath(const QString& pdfPath) { redirect = pdfPath; }
} // namespace app
