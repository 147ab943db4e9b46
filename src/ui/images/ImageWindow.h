#pragma once
// The picture page's windows: the image window, a scrollable view of one
// decoded picture with its two scroll bars along the right and bottom edges
// (always there, disabled when their axis has nothing to scroll), dragged
// with the stylus and, on a desktop, zoomed with Ctrl+wheel, Ctrl+plus,
// Ctrl+minus, Ctrl+0 and F (fit to window); and the image pane that holds it
// below a title header.
#include <QFrame>
#include <QImage>
#include <QScrollBar>
#include <QWidget>

#include "core/images/ImageViewerModel.h"
#include "ui/platform/Accessible.h"
#include "ui/platform/Rescale.h"
#include "ui/tables/TitleHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class ImageWindow : public QWidget, public AccessibleLabel, public Rescalable {
 public:
  // Child ids: vertical bar 1001, horizontal bar 1002, corner box 1003.
  ImageWindow(QWidget* parent, ScreenDpi dpi);
  ImageWindow(QWidget* parent, int dpiX, int dpiY)
      : ImageWindow(parent, ScreenDpi(dpiX, dpiY)) {}

  // A decoded picture, or a null image for none. smooth: scaled pictures
  // are drawn smoothed (photographs) rather than with whole pixels (drawings).
  void setPicture(QImage picture, bool smooth);
  // The same picture at another size (a variant for another resolution):
  // the picture's zoom (or fitting) and the part in view are kept, the
  // offsets in proportion, also across the resizes that follow, until the
  // picture is scrolled, zoomed or replaced.
  void replacePicture(QImage picture, bool smooth);
  // A zoom: the place (the picture's zoom and the offsets as shares of the
  // shown size) is kept from now on, through the resizes and the picture
  // the new resolution chooses, until the user scrolls or zooms.
  void rescale() override { keepPlace(); }
  const QImage& picture() const { return picture_; }
  const ImageScroller& scroller() const { return scroller_; }
  // The part of the window the picture is shown in: all of it but the bars.
  QRect clientRect() const;

  // What the scroll bars, the stylus and the zoom keys do, callable directly.
  bool scroll(ScrollAxis axis, ScrollRequest request, int thumb = 0);
  bool zoomIn() { return zoomChanged(scroller_.zoomIn()); }
  bool zoomOut() { return zoomChanged(scroller_.zoomOut()); }
  bool resetZoom() { return zoomChanged(scroller_.resetZoom()); }
  bool toggleFit() { return zoomChanged(scroller_.toggleFit()); }

  // The caption a screen reader gives the picture (plain text).
  void setCaption(const QString& caption) { caption_ = caption; }
  QAccessible::Role accessibleRole() const override { return QAccessible::Graphic; }
  QString accessibleName() const override { return caption_; }

  QScrollBar* verticalBar() const { return vbar_; }
  QScrollBar* horizontalBar() const { return hbar_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool zoomChanged(bool changed);
  void restorePlace();
  void keepPlace();
  void placeBars();
  void syncBars();

  ScreenDpi dpi_;
  ImageScroller scroller_;
  QImage picture_;
  bool smooth_ = false;
  QScrollBar* vbar_;
  QScrollBar* hbar_;
  QFrame* corner_;
  bool syncing_ = false;
  int wheelRest_ = 0;
  QString caption_;
  // The place replacePicture keeps: offsets as shares of the shown size.
  bool placeKept_ = false;
  double keptX_ = 0, keptY_ = 0, keptZoom_ = 1.0;
};

// The image pane: a title header over the image window.
class ImagePane : public HeaderedWindow {
 public:
  ImagePane(QWidget* parent, ScreenDpi dpi);
  ImagePane(QWidget* parent, int dpiX, int dpiY)
      : ImagePane(parent, ScreenDpi(dpiX, dpiY)) {}
  ImageWindow* imageWindow() const { return window_; }
  void setTitle(const HeaderSettings& settings);

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void placeWindow();
  ImageWindow* window_;
};

}  // namespace vantrel
