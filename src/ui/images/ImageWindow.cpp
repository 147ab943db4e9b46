#include "ui/images/ImageWindow.h"

#include "ui/platform/Rescale.h"

#include "ui/platform/ScrollActions.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "core/platform/ScreenInfo.h"

namespace vantrel {

ImageWindow::ImageWindow(QWidget* parent, ScreenDpi dpi)
    : QWidget(parent), dpi_(dpi), scroller_(dpi) {
  setObjectName("imageWindow");
  setProperty(kZoomsItself, true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);

  vbar_ = new QScrollBar(Qt::Vertical, this);
  vbar_->setObjectName("verticalBar");
  vbar_->setProperty("childId", 1001);
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  hbar_->setObjectName("horizontalBar");
  hbar_->setProperty("childId", 1002);
  corner_ = new QFrame(this);
  corner_->setObjectName("cornerBox");
  corner_->setProperty("childId", 1003);
  corner_->setAutoFillBackground(true);
  for (QScrollBar* bar : {vbar_, hbar_}) {
    bar->setFocusPolicy(Qt::NoFocus);
    const ScrollAxis axis = bar == vbar_ ? ScrollAxis::Vertical : ScrollAxis::Horizontal;
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, axis](int action) {
      if (syncing_) return;
      placeKept_ = false;
      if (scroller_.scroll(axis, scrollCodeFor(action), bar->sliderPosition())) update();
      // The bar shows where the window is, not where its own step would go.
      bar->setSliderPosition(scroller_.offset(axis));
    });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, axis] {
      placeKept_ = false;
      if (scroller_.scroll(axis, ScrollRequest::Thumb, bar->sliderPosition())) update();
      syncBars();
    });
  }
  placeBars();
}

QRect ImageWindow::clientRect() const {
  return QRect(0, 0, std::max(0, width() - scaleForDpi(13, dpi_.x())), std::max(0, height() - scaleForDpi(13, dpi_.y())));
}

void ImageWindow::setPicture(QImage picture, bool smooth) {
  // Transparent parts are shown on white, once, so that painting is a copy.
  if (!picture.isNull()) {
    if (picture.hasAlphaChannel()) {
      QImage flat(picture.size(), QImage::Format_RGB32);
      flat.fill(Qt::white);
      QPainter p(&flat);
      p.drawImage(0, 0, picture);
      p.end();
      picture = std::move(flat);
    } else if (picture.format() != QImage::Format_RGB32) {
      picture = picture.convertToFormat(QImage::Format_RGB32);
    }
  }
  picture_ = std::move(picture);
  smooth_ = smooth;
  placeKept_ = false;
  scroller_.setPicture({picture_.width(), picture_.height()});
  syncBars();
  update();
}

void ImageWindow::keepPlace() {
  if (placeKept_) return;
  const Size shown = scroller_.shown();
  keptX_ = shown.width > 0 ? double(scroller_.offsetX()) / shown.width : 0;
  keptY_ = shown.height > 0 ? double(scroller_.offsetY()) / shown.height : 0;
  keptZoom_ = scroller_.zoom();
  placeKept_ = true;
}

void ImageWindow::replacePicture(QImage picture, bool smooth) {
  keepPlace();
  const double x = keptX_, y = keptY_, zoom = keptZoom_;
  setPicture(std::move(picture), smooth);
  placeKept_ = true;
  keptX_ = x;
  keptY_ = y;
  keptZoom_ = zoom;
  restorePlace();
}

void ImageWindow::restorePlace() {
  if (!placeKept_) return;
  if (!scroller_.fitMode()) scroller_.setZoom(keptZoom_);
  const Size shown = scroller_.shown();
  scroller_.scroll(ScrollAxis::Horizontal, ScrollRequest::Thumb, static_cast<int>(std::lround(keptX_ * shown.width)));
  scroller_.scroll(ScrollAxis::Vertical, ScrollRequest::Thumb, static_cast<int>(std::lround(keptY_ * shown.height)));
  syncBars();
  update();
}

bool ImageWindow::scroll(ScrollAxis axis, ScrollRequest request, int thumb) {
  placeKept_ = false;
  if (!scroller_.scroll(axis, request, thumb)) return false;
  syncBars();
  update();
  return true;
}

bool ImageWindow::zoomChanged(bool changed) {
  if (changed) {
    placeKept_ = false;
    syncBars();
    update();
  }
  return changed;
}

void ImageWindow::placeBars() {
  const QRect c = clientRect();
  const int bw = scaleForDpi(13, dpi_.x()), bh = scaleForDpi(13, dpi_.y());
  vbar_->setGeometry(c.width(), 0, bw, c.height());
  hbar_->setGeometry(0, c.height(), c.width(), bh);
  corner_->setGeometry(c.width(), c.height(), bw, bh);
}

void ImageWindow::syncBars() {
  syncing_ = true;
  const Size client = scroller_.client();
  for (QScrollBar* bar : {vbar_, hbar_}) {
    const ScrollAxis axis = bar == vbar_ ? ScrollAxis::Vertical : ScrollAxis::Horizontal;
    const int page = axis == ScrollAxis::Vertical ? client.height : client.width;
    bar->setRange(0, scroller_.maximum(axis));
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(10);
    bar->setValue(scroller_.offset(axis));
    // Shown disabled when there is nothing to scroll.
    bar->setEnabled(scroller_.needed(axis));
  }
  syncing_ = false;
}

void ImageWindow::resizeEvent(QResizeEvent*) {
  placeBars();
  const QRect c = clientRect();
  scroller_.setClient({c.width(), c.height()});
  syncBars();
  update();
  restorePlace();
}

void ImageWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect c = clientRect();
  const Size shown = scroller_.shown();
  const int x = scroller_.offsetX(), y = scroller_.offsetY();
  // The shown part of the picture at the top left, white around it.
  const int w = picture_.isNull() ? 0 : std::clamp(shown.width - x, 0, c.width());
  const int h = picture_.isNull() ? 0 : std::clamp(shown.height - y, 0, c.height());
  if (w < c.width()) p.fillRect(QRect(w, 0, c.width() - w, c.height()), Qt::white);
  if (h < c.height()) p.fillRect(QRect(0, h, w, c.height() - h), Qt::white);
  if (w <= 0 || h <= 0) return;
  const double zoom = scroller_.zoom();
  if (zoom == 1.0) {
    p.drawImage(QPoint(0, 0), picture_, QRect(x, y, w, h));
    return;
  }
  const double sx = double(picture_.width()) / shown.width, sy = double(picture_.height()) / shown.height;
  p.setRenderHint(QPainter::SmoothPixmapTransform, smooth_ || zoom < 1.0);
  p.drawImage(QRectF(0, 0, w, h), picture_, QRectF(x * sx, y * sy, w * sx, h * sy));
}

void ImageWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    const QPoint pt = e->position().toPoint();
    scroller_.penDown({pt.x(), pt.y()});
  }
  QWidget::mousePressEvent(e);
}

void ImageWindow::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) {
    const QPoint pt = e->position().toPoint();
    if (scroller_.penMove({pt.x(), pt.y()})) {
      placeKept_ = false;
      syncBars();
      repaint();
    }
  }
  QWidget::mouseMoveEvent(e);
}

void ImageWindow::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
  wheelRest_ += delta;
  const int notches = wheelRest_ / 120;
  wheelRest_ -= notches * 120;
  if (e->modifiers() & Qt::ControlModifier) {
    for (int i = 0; i < std::abs(notches); ++i) notches > 0 ? zoomIn() : zoomOut();
  } else {
    // Three lines a notch; Shift or a sideways wheel scrolls across.
    const bool across = (e->modifiers() & Qt::ShiftModifier) || e->angleDelta().y() == 0;
    const ScrollAxis axis = across ? ScrollAxis::Horizontal : ScrollAxis::Vertical;
    for (int i = 0; i < 3 * std::abs(notches); ++i)
      scroll(axis, notches > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown);
  }
  e->accept();
}

void ImageWindow::keyPressEvent(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (mods == Qt::ControlModifier) {
    switch (e->key()) {
      case Qt::Key_Plus:
      case Qt::Key_Equal: zoomIn(); return;
      case Qt::Key_Minus: zoomOut(); return;
      case Qt::Key_0: resetZoom(); return;
      default: break;
    }
  } else if (mods == Qt::NoModifier && e->key() == Qt::Key_F) {
    toggleFit();
    return;
  }
  QWidget::keyPressEvent(e);
}

ImagePane::ImagePane(QWidget* parent, ScreenDpi dpi)
    : HeaderedWindow(parent, "image", dpi), window_(new ImageWindow(this, dpi)) {
  setObjectName("image");
}

void ImagePane::setTitle(const HeaderSettings& settings) {
  setupHeader(settings);
  placeWindow();
}

void ImagePane::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  placeWindow();
}

void ImagePane::placeWindow() {
  const int top = contentTop();
  window_->setGeometry(0, top, width(), std::max(0, height() - top));
}

}  // namespace vantrel
