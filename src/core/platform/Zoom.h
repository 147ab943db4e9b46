#pragma once
// The reader's zoom: a percentage that multiplies the screen's dots per inch
// before any layout reads them. At 200 % a 96 dpi screen lays out exactly as
// a 192 dpi one at 100 %.
#include <array>

namespace vantrel {

inline constexpr int kNoZoom = 100;
inline constexpr int kMinZoom = 25;
inline constexpr int kMaxZoom = 400;
// The steps Ctrl++ and Ctrl+- move through.
inline constexpr std::array<int, 13> kZoomSteps{50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

// dpi at zoom percent, rounded to the nearest dot.
inline int zoomedDpi(int dpi, int zoom) { return (dpi * zoom + 50) / 100; }

// The next step above (direction > 0) or below (direction < 0) zoom; zoom
// itself at either end. A zoom between steps moves to the neighbouring step.
inline int nextZoom(int zoom, int direction) {
  if (direction > 0) {
    for (int step : kZoomSteps)
      if (step > zoom) return step;
    return zoom < kZoomSteps.back() ? kZoomSteps.back() : zoom;
  }
  if (direction < 0) {
    for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it)
      if (*it < zoom) return *it;
    return zoom > kZoomSteps.front() ? kZoomSteps.front() : zoom;
  }
  return zoom;
}

// zoom kept within what the reader accepts.
inline int clampZoom(int zoom) { return zoom < kMinZoom ? kMinZoom : zoom > kMaxZoom ? kMaxZoom : zoom; }

}  // namespace vantrel
