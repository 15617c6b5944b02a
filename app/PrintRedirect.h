#pragma once
#include <QString>

// Under an automation script with "print_to", every preview or print request writes the page
// to that PDF instead of opening windows. Empty: print as usual.
namespace app {
QString printRedirectPath();
void setPrintRedirectPath(const QString& pdfPath);
} // namespace app
