#pragma once
// The frame window's layout: the windows of the page shown arranged as
// strips along the edges and one window filling the rest, the windows of the
// previous page hidden, and an overlay that can be shown above the page
// without disturbing it. The window itself (a platform window) is reached
// through FrameHost.
#include <string>
#include <vector>

#include "core/platform/KeyboardService.h"
#include "core/platform/ScreenInfo.h"
#include "core/page/LayoutWindow.h"

namespace vantrel {

// The platform side of the frame window.
class FrameHost {
 public:
  virtual ~FrameHost() = default;
  // The client area's size.
  virtual Size clientSize() const = 0;
  // Moves the main window (screen coordinates, outer size = client size).
  virtual void moveWindow(const Rect& r) = 0;
  virtual void setWaitCursor(bool on) = 0;
  // The title of the page shown changed.
  virtual void titleChanged(const std::u16string& title) = 0;
  // A navigation begins: whatever floats over the page shown (a popup)
  // goes before the page changes.
  virtual void navigationStarting() {}
};

struct PlacedItem {
  LayoutWindow* window;
  int kind;
  Rect rect;
};

// Places the items in a client area of w x h: strips take their present
// size across the strip and stack inwards in the order given; the last fill
// item gets what is left. Items of an unknown kind are left out.
std::vector<PlacedItem> placeItems(const std::vector<LayoutItem>& items, int w, int h);

// The height the layout uses for a client height: a window that covers the
// menu bar's place on a portrait (294) or landscape (214) screen keeps the
// menu bar's height (26) free. Values at 96 dots per inch, scaled with dpiY.
int layoutHeight(int clientHeight, int dpiY);
inline int menuBarHeight(int dpiY) { return scaleForDpi(26, dpiY); }

class FrameWindow {
 public:
  enum class Mode { Normal, Overlay };

  FrameWindow(FrameHost& host, const ScreenInfo& screen, KeyboardService& keyboard);

  // Hides the keyboard and moves the window to the visible desktop area less
  // the menu bar's height at the bottom.
  void create();
  void beginLayout();
  void commit(std::vector<LayoutItem> items);
  void arrange(bool arrangeOnly);
  void enterOverlay() { mode_ = Mode::Overlay; }
  void closeOverlay() { beginLayout(); }
  bool keyboardUp() const { return keyboardUp_; }
  // The keyboard appeared or went away: fit the window above it (or above
  // the menu bar) and lay out again.
  void keyboardChanged();
  // The resolution changed (a zoom): fits the frame to the desktop again and
  // places the page's windows at their new sizes, those under an overlay too.
  void rescale();

  Mode mode() const { return mode_; }
  const std::vector<LayoutItem>& current() const { return current_; }
  const std::vector<LayoutItem>& previous() const { return previous_; }
  const std::vector<LayoutItem>& overlay() const { return overlay_; }
  // The items on screen now: the overlay in overlay mode, else the page.
  const std::vector<LayoutItem>& shownItems() const {
    return mode_ == Mode::Overlay ? overlay_ : current_;
  }
  FrameHost& host() { return host_; }

 private:
  void leaveOverlay();

  FrameHost& host_;
  const ScreenInfo& screen_;
  KeyboardService& keyboard_;
  std::vector<LayoutItem> current_, previous_, overlay_;
  Mode mode_ = Mode::Normal;
  bool keyboardUp_ = false;
};

}  // namespace vantrel
