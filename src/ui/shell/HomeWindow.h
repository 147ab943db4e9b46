#pragma once
// The home page's window: the start-screen picture for the screen's
// orientation and resolution, with taps on its letters and contents button
// passed to the Home viewer.
#include <QImage>
#include <memory>

#include "platform/ScreenInfo.h"
#include "shell/HomeViewer.h"
#include "shell/LayoutWidget.h"
#include "shell/ScriptState.h"

namespace vantrel {

class HomeWindow : public LayoutWidget {
 public:
  HomeWindow(QWidget* parent, const ScreenInfo& screen);
  void setViewer(HomeViewer* viewer) { viewer_ = viewer; }
  // The layout for the screen as it is now.
  HomeLayout currentLayout() const;
  int bitmapNumber() const { return bitmapNumber_; }
  // Counts picture loads (a resize to the same rectangle loads nothing).
  int loads() const { return loads_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override { layoutChanged(); }
  void moveEvent(QMoveEvent*) override { layoutChanged(); }
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void layoutChanged();

  const ScreenInfo& screen_;
  HomeViewer* viewer_ = nullptr;
  QRect lastRect_;
  QImage picture_;
  int bitmapNumber_ = 0;
  int loads_ = 0;
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
