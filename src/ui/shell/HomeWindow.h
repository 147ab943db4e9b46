#pragma once
// The home page's window: the start-screen picture for the screen's
// orientation and resolution, with taps on its letters and contents button
// passed to the Home viewer.
#include <QImage>
#include <memory>

#include "ui/platform/Accessible.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenInfo.h"
#include "core/chrome/HomeViewer.h"
#include "ui/shell/LayoutWidget.h"
#include "ui/shell/ScriptState.h"

namespace vantrel {

class HomeWindow : public LayoutWidget, public AccessibleHotSpots, public Rescalable {
 public:
  HomeWindow(QWidget* parent, const ScreenInfo& screen);
  void setViewer(HomeViewer* viewer) { viewer_ = viewer; }
  // The layout for the screen as it is now.
  HomeLayout currentLayout() const;
  int bitmapNumber() const { return bitmapNumber_; }
  // Counts picture loads (a resize to the same rectangle loads nothing).
  int loads() const { return loads_; }
  // The picture's left edge: centred when the window is wider than the
  // picture, at the top as on the device.
  int pictureLeft() const;
  // The spot the keyboard is on (-1: none).
  int currentSpot() const { return spot_; }

  int accessibleSpotCount() const override { return static_cast<int>(currentLayout().spots().size()); }
  QString accessibleSpotName(int spot) const override;
  QRect accessibleSpotRect(int spot) const override;
  void accessiblePressSpot(int spot) override;
  // The picture for the new resolution.
  void rescale() override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override { layoutChanged(); }
  void moveEvent(QMoveEvent*) override { layoutChanged(); }
  void mousePressEvent(QMouseEvent* e) override;
  // The arrows walk the spots in reading order, Return or Space presses the
  // one the keyboard is on, a letter key presses that letter.
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void layoutChanged();
  void setSpot(int spot);

  const ScreenInfo& screen_;
  HomeViewer* viewer_ = nullptr;
  QRect lastRect_;
  QImage picture_;
  int bitmapNumber_ = 0;
  int loads_ = 0;
  int spot_ = -1;
};

// The Home viewer with its window.
class QtHomeViewer : public HomeViewer, public ScriptStateSection {
 public:
  QtHomeViewer(MainFrame& frame, const PageKeys& keys, QWidget* pageArea, const ScreenInfo& screen);
  ~QtHomeViewer() override;
  HomeWindow* homeWindow() const { return window_; }
  // {bitmap, landscape}: the picture shown and the orientation it is for.
  QJsonObject scriptState() const override;

 private:
  HomeWindow* window_;
};

}  // namespace vantrel
