#pragma once
// The tight hierarchy's pictures: the splitter bars 400 (portrait, 240 x 15)
// and 401 (landscape, 320 x 15), drawn at the stretched size on a
// high-resolution screen, with the three snap marks at their right end; and
// the field-jump button 110 (146 at high resolution) on the red key colour.
#include <QImage>

namespace vantrel {

// The picture with that number, or a null image for another number.
QImage hierarchyBitmap(int number, int dpiX, int dpiY);

}  // namespace vantrel
