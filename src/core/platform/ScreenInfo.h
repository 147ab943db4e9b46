#pragma once
// What the reader needs to know about the screen: its resolution, read once
// at start-up, and its shape. Sizes in the user interface are written for
// 96 dots per inch and scaled with sx / sy.
#include <cstdint>

#include "core/platform/Geometry.h"

namespace vantrel {

// A rectangle from its top-left corner and size.
inline Rect rectXYWH(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

// (n * dpi + 48) / 96 with integer division.
inline int scaleForDpi(int n, int dpi) { return (n * dpi + 48) / 96; }

class ScreenInfo {
 public:
  virtual ~ScreenInfo() = default;
  virtual int dpiX() const = 0;
  virtual int dpiY() const = 0;
  // The whole screen in pixels.
  virtual Size screenSize() const = 0;
  // The part of the desktop not covered by the on-screen keyboard, in
  // screen coordinates.
  virtual Rect visibleDesktopArea() const = 0;

  int sx(int n) const { return scaleForDpi(n, dpiX()); }
  int sy(int n) const { return scaleForDpi(n, dpiY()); }
  bool isHighResolution() const { return dpiX() >= 192; }
  bool isSquareScreen() const {
    Size s = screenSize();
    return s.width > 0 && static_cast<double>(s.height) / static_cast<double>(s.width) == 1.0;
  }
  bool isLandscape() const {
    Size s = screenSize();
    return s.width > 0 && static_cast<double>(s.height) / static_cast<double>(s.width) < 1.0;
  }
};

// A screen with fixed values, for tests and for platforms that only emulate one.
class FixedScreen : public ScreenInfo {
 public:
  FixedScreen(int dpiX = 96, int dpiY = 96, Size screen = {240, 320})
      : dpiX_(dpiX), dpiY_(dpiY), screen_(screen) {}
  int dpiX() const override { return dpiX_; }
  int dpiY() const override { return dpiY_; }
  Size screenSize() const override { return screen_; }
  Rect visibleDesktopArea() const override {
    return visible_.isEmpty() ? Rect{0, 0, screen_.width, screen_.height} : visible_;
  }
  void setScreenSize(Size s) { screen_ = s; }
  void setVisibleDesktopArea(Rect r) { visible_ = r; }

 private:
  int dpiX_, dpiY_;
  Size screen_;
  Rect visible_;
};

}  // namespace vantrel
