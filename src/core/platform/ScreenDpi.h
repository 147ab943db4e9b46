#pragma once
// The screen's resolution as a layout reads it. A widget or model keeps one
// and asks it each time it lays out, so a change of resolution (a zoom) needs
// no new objects. It either follows a screen service (its current dpiX/dpiY)
// or holds fixed values (tests, benchmarks, off-screen renders).
#include "platform/ScreenInfo.h"

namespace vantrel {

class ScreenDpi {
 public:
  ScreenDpi(int x, int y) : x_(x), y_(y) {}
  // Follows screen, which must outlive every copy.
  explicit ScreenDpi(const ScreenInfo& screen) : screen_(&screen) {}

  int x() const { return screen_ ? screen_->dpiX() : x_; }
  int y() const { return screen_ ? screen_->dpiY() : y_; }
  // n pixels at 96 dots per inch, at the current resolution.
  int sx(int n) const { return scaleForDpi(n, x()); }
  int sy(int n) const { return scaleForDpi(n, y()); }

 private:
  const ScreenInfo* screen_ = nullptr;
  int x_ = 96, y_ = 96;
};

}  // namespace vantrel
