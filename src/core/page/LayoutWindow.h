#pragma once
// A child window of the main window as the frame sees it: something with a
// size that can be placed, shown, hidden and updated. Viewers contribute
// such windows to a page as layout items.
#include "core/platform/ScreenInfo.h"

namespace vantrel {

class LayoutWindow {
 public:
  virtual ~LayoutWindow() = default;
  // The window's present size.
  virtual Size size() const = 0;
  // Moves and sizes the window (in the main window's client coordinates)
  // without repainting it.
  virtual void place(const Rect& r) = 0;
  virtual void setShown(bool shown) = 0;
  // Repaints the window at once.
  virtual void update() = 0;
  // A stable name for the kind of window, for scripted runs ("home", ...).
  virtual const char* kindName() const = 0;
};

// Where a window goes: 0 left strip, 1 right strip, 2 top strip, 3 bottom
// strip, 4 fills what is left.
enum LayoutKind : int { kLeftStrip = 0, kRightStrip = 1, kTopStrip = 2, kBottomStrip = 3, kFill = 4 };

struct LayoutItem {
  LayoutWindow* window = nullptr;
  int kind = kFill;
  bool operator==(const LayoutItem&) const = default;
};

}  // namespace vantrel
