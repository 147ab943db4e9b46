#pragma once
// The program's numbered bitmaps, drawn with QPainter at the size the
// screen's resolution asks for. Every picture is our own; the places that
// react to taps (the home page's letters and contents button) are drawn
// exactly where the code tests for them.
//   100 / 148  command-bar images (ten, side by side), normal and high resolution
//   136 / 149  the same, disabled
//   481 / 483  home page, portrait (high resolution: 483)
//   482 / 484  home page, landscape (high resolution: 484)
//   467 / 468  the dual list's divider, landscape (320 x 15; 640 x 30)
//   469 / 470  the same, portrait or square (240 x 15; 480 x 30)
//   500        the title headers' down arrow (12 x 12, 24 x 24 at high resolution)
//   110 / 146, 400 / 401  the tight hierarchy's pictures (resources/HierarchyBitmaps.h)
//   112 / 131  the guide's logo for button bars (high resolution: 131)
//   142 / 143  the note button of the picture page, on key colour red (high resolution: 143)
#include <QImage>

namespace vantrel {

// Colour treated as transparent in the command-bar strips.
inline constexpr unsigned kBarTransparent = 0xC0C0C0;  // (192, 192, 192)

// The bitmap with that number at the resolution; a null image for a number
// the program does not have.
QImage bitmapImage(int number, int dpiX, int dpiY);
// The same bitmap for a screen at a device pixel ratio: drawn with ratio
// times as many pixels and shown at the size of bitmapImage's, so it is as
// sharp as the screen. Sizes for layouts are its deviceIndependentSize().
QImage sharpBitmap(int number, int dpiX, int dpiY, qreal ratio);
// Draws any of the images of this folder at a device pixel ratio.
template <class Make>
QImage atPixelRatio(qreal ratio, int dpiX, int dpiY, Make make) {
  if (ratio <= 1.0) return make(dpiX, dpiY);
  QImage image = make(qRound(dpiX * ratio), qRound(dpiY * ratio));
  image.setDevicePixelRatio(ratio);
  return image;
}

// Of a picture and its high-resolution twin (listed above), the number of the
// one made for that resolution: the high-resolution one from 192 dots per
// inch. Other numbers are answered as they are.
int bitmapForDpi(int number, int dpiX);

// Width (and height) of one command-bar image: ((dpiX + 3) * 16) / 96.
inline int commandImageSize(int dpiX) { return ((dpiX + 3) * 16) / 96; }

// One image of a command-bar strip, with the transparent colour made transparent.
QImage commandImage(int index, bool enabled, int dpiX, int dpiY);

}  // namespace vantrel
