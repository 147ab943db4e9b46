#include "core/page/FrameWindow.h"

#include <algorithm>

namespace vantrel {

namespace {
bool holds(const std::vector<LayoutItem>& items, LayoutWindow* w) {
  return std::any_of(items.begin(), items.end(), [w](const LayoutItem& i) { return i.window == w; });
}
}  // namespace

std::vector<PlacedItem> placeItems(const std::vector<LayoutItem>& items, int w, int h) {
  std::vector<PlacedItem> out;
  int x0 = 0, y0 = 0, x1 = w, y1 = h;
  LayoutWindow* fill = nullptr;
  for (const LayoutItem& item : items) {
    if (!item.window) continue;
    Size s = item.window->size();
    switch (item.kind) {
      case kLeftStrip:
        out.push_back({item.window, item.kind, rectXYWH(x0, y0, s.width, y1 - y0)});
        x0 += s.width;
        break;
      case kRightStrip:
        x1 -= s.width;
        out.push_back({item.window, item.kind, rectXYWH(x1, y0, s.width, y1 - y0)});
        break;
      case kTopStrip:
        // A top strip spans the free width, so after a left strip it ends at
        // the free area's right edge instead of running past it.
        out.push_back({item.window, item.kind, rectXYWH(x0, y0, x1 - x0, s.height)});
        y0 += s.height;
        break;
      case kBottomStrip:
        out.push_back({item.window, item.kind, rectXYWH(x0, y1 - s.height, x1 - x0, s.height)});
        y1 -= s.height;
        break;
      case kFill:
        fill = item.window;
        break;
      default:
        break;
    }
  }
  if (fill) out.push_back({fill, kFill, Rect{x0, y0, x1, y1}});
  return out;
}

int layoutHeight(int clientHeight, int dpiY) {
  if (clientHeight == scaleForDpi(294, dpiY)) return scaleForDpi(268, dpiY);
  if (clientHeight == scaleForDpi(214, dpiY)) return scaleForDpi(188, dpiY);
  return clientHeight;
}

FrameWindow::FrameWindow(FrameHost& host, const ScreenInfo& screen, KeyboardService& keyboard)
    : host_(host), screen_(screen), keyboard_(keyboard) {}

void FrameWindow::create() {
  keyboard_.hideKeyboard();
  Rect visible = screen_.visibleDesktopArea();
  host_.moveWindow(rectXYWH(visible.left, visible.top, visible.width(), visible.height() - menuBarHeight(screen_.dpiY())));
  mode_ = Mode::Normal;
  keyboardUp_ = false;
}

void FrameWindow::beginLayout() {
  if (mode_ == Mode::Overlay) leaveOverlay();
  mode_ = Mode::Normal;
}

void FrameWindow::leaveOverlay() {
  for (const LayoutItem& i : overlay_)
    if (i.window && !holds(current_, i.window)) i.window->setShown(false);
  overlay_.clear();
  mode_ = Mode::Normal;
  // The page's windows may have been moved by the overlay's layout when they
  // are shared with it; lay the page out again before showing it.
  arrange(true);
  for (const LayoutItem& i : current_) {
    if (!i.window) continue;
    i.window->setShown(true);
    i.window->update();
  }
}

void FrameWindow::commit(std::vector<LayoutItem> items) {
  if (mode_ == Mode::Overlay) {
    overlay_ = std::move(items);
  } else {
    previous_ = std::move(current_);
    current_ = std::move(items);
  }
}

void FrameWindow::arrange(bool arrangeOnly) {
  Size client = host_.clientSize();
  const int h = layoutHeight(client.height, screen_.dpiY());
  const bool overlay = mode_ == Mode::Overlay;
  if (!arrangeOnly && !overlay) {
    for (const LayoutItem& i : previous_)
      if (i.window && !holds(current_, i.window)) i.window->setShown(false);
  }
  const std::vector<LayoutItem>& items = overlay ? overlay_ : current_;
  for (const PlacedItem& p : placeItems(items, client.width, h)) p.window->place(p.rect);
  if (arrangeOnly) return;
  if (overlay) {
    for (const LayoutItem& i : overlay_) {
      if (!i.window) continue;
      i.window->setShown(true);
      i.window->update();
    }
    return;
  }
  for (const LayoutItem& i : current_)
    if (i.window && !holds(previous_, i.window)) i.window->setShown(true);
}

void FrameWindow::keyboardChanged() {
  Rect visible = screen_.visibleDesktopArea();
  int height;
  if (keyboard_.keyboardShown()) {
    height = visible.height();
    keyboardUp_ = true;
  } else {
    height = visible.height() - menuBarHeight(screen_.dpiY());
    keyboardUp_ = false;
  }
  host_.moveWindow(rectXYWH(visible.left, visible.top, visible.width(), height));
  arrange(true);
}

void FrameWindow::rescale() {
  keyboardChanged();
  if (mode_ != Mode::Overlay) return;
  Size client = host_.clientSize();
  for (const PlacedItem& p : placeItems(current_, client.width, layoutHeight(client.height, screen_.dpiY())))
    p.window->place(p.rect);
  arrange(true);  // the overlay's windows over them, shared ones included
}

}  // namespace vantrel
