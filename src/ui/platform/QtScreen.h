#pragma once
// The emulated device screen: its resolution (--dpi, --dpi-x, --dpi-y) and
// size (--screen WxH). A device's desktop starts below its task bar, a strip
// of 26 pixels at 96 dots per inch along the top; the emulated screen keeps
// that strip (the main window paints the page title there), so the windows
// below it get the sizes they would get on the device.
#include "platform/ScreenInfo.h"

namespace vantrel {

class QtScreen : public ScreenInfo {
 public:
  QtScreen(int dpiX, int dpiY, Size screen) : dpiX_(dpiX), dpiY_(dpiY), screen_(screen) {}
  int dpiX() const override { return dpiX_; }
  int dpiY() const override { return dpiY_; }
  Size screenSize() const override { return screen_; }
  Rect visibleDesktopArea() const override {
    int bar = taskBarHeight();
    return rectXYWH(0, bar, screen_.width, screen_.height - bar);
  }
  int taskBarHeight() const { return sy(26); }
  // The main window was resized: the emulated screen follows it.
  void setScreenSize(Size s) { screen_ = s; }

 private:
  int dpiX_, dpiY_;
  Size screen_;
};

}  // namespace vantrel
