#pragma once
// The pictures of the buttons under the bookmark list and the notes panel,
// drawn with QPainter on the grey key colour (192, 192, 192) that the bar
// replaces by its own colour:
//   108 / 471  new note            104 / 132  save the note
//   134 / 135  delete the checked  107 / 133  cancel the note
//   112        the logo, on (214, 212, 188)
//   131        the logo at high resolution, on (192, 192, 192)
#include <QImage>

namespace vantrel {

// A null image for a number that is not one of these.
QImage userDataBitmap(int number, int dpiX, int dpiY);

}  // namespace vantrel
