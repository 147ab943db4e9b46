#pragma once
// The emulated device screen: its resolution (--dpi, --dpi-x, --dpi-y) and
// size (--screen WxH). A device's desktop starts below its task bar, a strip
// of 26 pixels at 96 dots per inch along the top; the emulated screen keeps
// that strip (the main window paints the page title there), so the windows
// below it get the sizes they would get on the device.
//
// The reader's zoom multiplies the device's resolution: dpiX and dpiY are
// what every layout reads, the device's own values times the zoom.
#include "core/platform/ScreenInfo.h"
#include "core/platform/Zoom.h"

namespace vantrel {

class QtScreen : public ScreenInfo {
 public:
  QtScreen(int dpiX, int dpiY, Size screen) : deviceDpiX_(dpiX), deviceDpiY_(dpiY), screen_(screen) {}
  int dpiX() const override { return zoomedDpi(deviceDpiX_, zoom_); }
  int dpiY() const override { return zoomedDpi(deviceDpiY_, zoom_); }
  Size screenSize() const override { return screen_; }
  Rect visibleDesktopArea() const override {
    int bar = taskBarHeight();
    return rectXYWH(0, bar, screen_.width, screen_.height - bar);
  }
  int taskBarHeight() const { return sy(26); }
  // The main window was resized: the emulated screen follows it.
  void setScreenSize(Size s) { screen_ = s; }

  int zoom() const { return zoom_; }
  void setZoom(int percent) { zoom_ = clampZoom(percent); }
  int deviceDpiX() const { return deviceDpiX_; }
  int deviceDpiY() const { return deviceDpiY_; }

 private:
  int deviceDpiX_, deviceDpiY_;
  int zoom_ = kNoZoom;
  Size screen_;
};

}  // namespace vantrel
