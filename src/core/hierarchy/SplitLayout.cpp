#include "core/hierarchy/SplitLayout.h"

#include <algorithm>

namespace vantrel {

SplitGeometry SplitLayout::layout(int w, int h, int headerHeight) const {
  const int s15 = splitterHeight();
  const int hh = headerHeight;
  const float f32 = static_cast<float>(h - hh) * ratio_ - static_cast<float>(s15) * 0.5f;
  const int f = static_cast<int>(f32);
  SplitGeometry g;
  g.tree = {0, hh, w, hh + f};
  g.splitter = {0, hh + f, w, hh + f + s15};
  g.fields = {0, hh + f + s15, w, h};
  return g;
}

int SplitLayout::hitTop(int h, int headerHeight) const {
  const float v = static_cast<float>(h - headerHeight) * ratio_ - static_cast<float>((15 * dpi_.y() + 48) / 192);
  return headerHeight + static_cast<int>(v);
}

bool SplitLayout::onSplitter(int x, int y, int h, int headerHeight) const {
  const int t = hitTop(h, headerHeight);
  return y >= t && y <= t + splitterHeight() && x < sx(195);
}

bool SplitLayout::press(int x, int y, int h, int headerHeight) {
  if (!onSplitter(x, y, h, headerHeight)) return false;
  dragging_ = true;
  grabOffset_ = y - hitTop(h, headerHeight);
  lastY_ = y;
  return true;
}

bool SplitLayout::move(int y, int h, int headerHeight) {
  if (!dragging_) return false;
  const int top = layout(0, h, headerHeight).splitter.top + (y - lastY_);
  const int span = h - headerHeight;
  if (span > 0) {
    setRatio(static_cast<float>(top - headerHeight + splitterHeight() / 2) / static_cast<float>(span));
  }
  lastY_ = top + grabOffset_;
  return true;
}

bool SplitLayout::release(int x, int y, int w, int h, int headerHeight) {
  if (dragging_) {
    dragging_ = false;
    return true;
  }
  const int t = hitTop(h, headerHeight);
  if (y < t || y > t + splitterHeight()) return false;
  if (x >= w - sx(45) && x <= w - sx(35)) {
    ratio_ = 0.75f;
  } else if (x >= w - sx(29) && x <= w - sx(19)) {
    ratio_ = 0.5f;
  } else if (x >= w - sx(13) && x <= w - sx(3)) {
    ratio_ = 0.25f;
  }
  return true;
}

void SplitLayout::setRatio(float ratio) { ratio_ = std::clamp(ratio, kMinSplitRatio, kMaxSplitRatio); }

}  // namespace vantrel
