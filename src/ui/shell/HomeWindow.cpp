#include "ui/shell/HomeWindow.h"

#include <QMouseEvent>
#include <algorithm>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/resources/Bitmaps.h"

namespace vantrel {

HomeWindow::HomeWindow(QWidget* parent, const ScreenInfo& screen) : LayoutWidget(parent, "home"), screen_(screen) {
  setObjectName("home");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::TabFocus);
  setAccessibleName("Home");
}

QString HomeWindow::accessibleSpotName(int spot) const {
  const auto spots = currentLayout().spots();
  if (spot < 0 || spot >= static_cast<int>(spots.size())) return {};
  const char16_t letter = spots[static_cast<size_t>(spot)].letter;
  return letter ? QString(QChar(letter)) : QStringLiteral("Contents");
}

QRect HomeWindow::accessibleSpotRect(int spot) const {
  const auto spots = currentLayout().spots();
  if (spot < 0 || spot >= static_cast<int>(spots.size())) return {};
  const Rect& r = spots[static_cast<size_t>(spot)].rect;
  return QRect(r.left + pictureLeft(), r.top, r.width(), r.height());
}

int HomeWindow::pictureLeft() const {
  return picture_.isNull() ? 0 : std::max(0, (width() - qRound(picture_.deviceIndependentSize().width())) / 2);
}

void HomeWindow::accessiblePressSpot(int spot) {
  const auto spots = currentLayout().spots();
  if (viewer_ && spot >= 0 && spot < static_cast<int>(spots.size())) viewer_->press(spots[static_cast<size_t>(spot)]);
}

void HomeWindow::setSpot(int spot) {
  spot_ = spot;
  update();
  announceSelection(this, spot);
}

void HomeWindow::keyPressEvent(QKeyEvent* e) {
  const int n = accessibleSpotCount();
  const int from = spot_ < 0 ? -1 : spot_;
  switch (e->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down: setSpot(std::min(from + 1, n - 1)); return;
    case Qt::Key_Left:
    case Qt::Key_Up: setSpot(std::max(from - 1, 0)); return;
    case Qt::Key_Home: setSpot(0); return;
    case Qt::Key_End: setSpot(n - 1); return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (spot_ >= 0) accessiblePressSpot(spot_);
      return;
    default: break;
  }
  const QString text = e->text().toUpper();
  if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z' && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    for (int i = 0; i < n; ++i)
      if (accessibleSpotName(i) == text) return accessiblePressSpot(i);
  }
  LayoutWidget::keyPressEvent(e);
}

void HomeWindow::focusInEvent(QFocusEvent* e) {
  LayoutWidget::focusInEvent(e);
  setSpot(spot_ < 0 ? 0 : spot_);
}

void HomeWindow::focusOutEvent(QFocusEvent* e) {
  LayoutWidget::focusOutEvent(e);
  update();
}

HomeLayout HomeWindow::currentLayout() const {
  return HomeLayout(screen_.dpiX(), screen_.dpiY(), screen_.isLandscape());
}

void HomeWindow::rescale() {
  lastRect_ = QRect();
  layoutChanged();
  update();
}

void HomeWindow::layoutChanged() {
  QRect r = rect();
  if (r == lastRect_) return;
  lastRect_ = r;
  int number = currentLayout().bitmap();
  picture_ = sharpBitmap(number, screen_.dpiX(), screen_.dpiY(), devicePixelRatioF());
  bitmapNumber_ = number;
  ++loads_;
}

void HomeWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(246, 244, 236));
  if (!picture_.isNull()) p.drawImage(pictureLeft(), 0, picture_);  // unscaled, clipped to the client area
  if (hasFocus() && spot_ >= 0) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = accessibleSpotRect(spot_).adjusted(0, 0, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

void HomeWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && viewer_) {
    QPoint pt = e->position().toPoint();
    viewer_->tap(currentLayout(), pt.x() - pictureLeft(), pt.y());
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
  o["x"] = window_->pictureLeft();
  o["y"] = 0;
  return o;
}

}  // namespace vantrel
