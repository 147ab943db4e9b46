#pragma once
// The arithmetic of the split window: where the tree, the splitter and the
// fields pane go for a split ratio, where the splitter reacts to the pen,
// how a drag moves the ratio (kept between 0.25 and 0.75) and the three
// snap zones at the splitter's right end (0.75, 0.5, 0.25).
#include "core/platform/ScreenDpi.h"
#include "core/platform/ScreenInfo.h"

namespace vantrel {

inline constexpr float kMinSplitRatio = 0.25f;
inline constexpr float kMaxSplitRatio = 0.75f;

struct SplitGeometry {
  Rect tree;
  Rect splitter;
  Rect fields;
};

class SplitLayout {
 public:
  // Sizes follow the resolution dpi reads at each call.
  explicit SplitLayout(ScreenDpi dpi) : dpi_(dpi) {}
  SplitLayout(int dpiX = 96, int dpiY = 96) : dpi_(dpiX, dpiY) {}

  // The splitter's height.
  int splitterHeight() const { return (15 * dpi_.y() + 48) / 96; }
  // The three panes in a client area of width w and height h below a
  // header of height headerHeight.
  SplitGeometry layout(int w, int h, int headerHeight) const;
  // The splitter's top as the pen sees it.
  int hitTop(int h, int headerHeight) const;
  // The pen is over the splitter (x within its reacting part, y between its top and bottom).
  bool onSplitter(int x, int y, int h, int headerHeight) const;

  // Pen down at (x, y): starts a drag when it is on the splitter.
  bool press(int x, int y, int h, int headerHeight);
  // Pen moved to y while dragging: the ratio follows. False when not dragging.
  bool move(int y, int h, int headerHeight);
  // Pen up at (x, y): ends a drag, or snaps the ratio when the pen was
  // lifted over one of the three zones. Answers whether a layout is due
  // (always when the pen is over the splitter or a drag ended).
  bool release(int x, int y, int w, int h, int headerHeight);

  float ratio() const { return ratio_; }
  // Sets the ratio, kept between the limits.
  void setRatio(float ratio);
  bool dragging() const { return dragging_; }

 private:
  int sx(int n) const { return (n * dpi_.x() + 48) / 96; }

  ScreenDpi dpi_;
  float ratio_ = 0.5f;
  bool dragging_ = false;
  int grabOffset_ = 0;
  int lastY_ = 0;
};

}  // namespace vantrel
