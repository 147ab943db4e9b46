#pragma once
// The screen's resolution as a layout reads it. A widget or model keeps one
// and asks it each time it lays out, so a change of resolution (a zoom) needs
// no new objects. It either follows a screen service (its current dpiX/dpiY)
// or holds fixed values (tests, benchmarks, off-screen renders).
#include <cstdint>

#include "core/platform/ScreenInfo.h"

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

// A length made for one resolution (n pixels at 96 dots per inch scaled as
// above, or any other length) made again for another: the 96-dpi length is
// found back where it can be, so that a length rescaled equals the one made
// at the new resolution; other lengths are scaled in proportion.
inline int rescaleForDpi(int pixels, int fromDpi, int toDpi) {
  if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return pixels;
  if (pixels < 0) return -rescaleForDpi(-pixels, fromDpi, toDpi);
  const int n = static_cast<int>((int64_t(pixels) * 96 + fromDpi / 2) / fromDpi);
  if (scaleForDpi(n, fromDpi) == pixels) return scaleForDpi(n, toDpi);
  return static_cast<int>((int64_t(pixels) * toDpi + fromDpi / 2) / fromDpi);
}

}  // namespace vantrel
