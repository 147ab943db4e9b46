#pragma once
// Small images of the button bars, drawn at the resolution asked for:
// the note button (a sheet with a folded corner, on the bar's key colour
// red, which the bar replaces by its own colour) and the guide's logo.
#include <QImage>

namespace vantrel {

QImage noteButtonImage(int dpiX, int dpiY);
QImage guideLogoImage(int dpiX, int dpiY);

}  // namespace vantrel
