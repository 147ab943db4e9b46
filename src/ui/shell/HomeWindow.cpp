#include "shell/HomeWindow.h"

#include <QMouseEvent>
#include <QPainter>

#include "resources/Bitmaps.h"

namespace vantrel {

HomeWindow::HomeWindow(QWidget* parent, const ScreenInfo& screen) : LayoutWidget(parent, "home"), screen_(screen) {
  setObjectName("home");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

HomeLayout HomeWindow::currentLayout() const {
  return HomeLayout(screen_.dpiX(), screen_.dpiY(), screen_.isLandscape());
}

void HomeWindow::layoutChanged() {
  QRect r = rect();
  if (r == lastRect_) return;
  lastRect_ = r;
  int number = currentLayout().bitmap();
  picture_ = bitmapImage(number, screen_.dpiX(), screen_.dpiY());
  bitmapNumber_ = number;
  ++loads_;
}

void HomeWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(246, 244, 236));
  if (!picture_.isNull()) p.drawImage(0, 0, picture_);  // unscaled, clipped to the client area
}

void HomeWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && viewer_) {
    QPoint pt = e->position().toPoint();
    viewer_->tap(currentLayout(), pt.x(), pt.y());
  }
  QWidget::mousePressEvent(e);
}

QtHomeViewer::QtHomeViewer(MainFrame& frame, const PageKeys& keys, QWidget* pageArea, const ScreenInfo& screen)
    : HomeViewer(frame, keys, nullptr), window_(new HomeWindow(pageArea, screen)) {
  setWindow(window_);
  window_->setViewer(this);
  window_->setGeometry(0, 0, 0, 0);
  window_->hide();
}

QtHomeViewer::~QtHomeViewer() { delete window_; }

QJsonObject QtHomeViewer::scriptState() const {
  QJsonObject o;
  o["bitmap"] = window_->bitmapNumber();
  o["landscape"] = window_->currentLayout().landscape();
  return o;
}

}  // namespace vantrel
