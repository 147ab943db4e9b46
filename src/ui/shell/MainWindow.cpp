#include "ui/shell/MainWindow.h"

#include "ui/platform/Accessible.h"
#include "ui/platform/Rescale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include "core/chrome/ChromeViewer.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/page/MainFrame.h"

namespace vantrel {

MainWindow::MainWindow(QtScreen& screen) : screen_(screen), openWindows_(new OpenWindows(this)) {
  installAccessibleFactory();
  setObjectName("mainWindow");
  pageArea_ = new QWidget(this);
  pageArea_->setObjectName("pageArea");
  pageArea_->setAutoFillBackground(true);
  QPalette pal = pageArea_->palette();
  pal.setColor(QPalette::Window, QColor(255, 255, 255));
  pageArea_->setPalette(pal);
  commandBar_ = new CommandBarWidget(this, ScreenDpi(screen));
  setMinimumSizeForScreen();
  Size s = screen.screenSize();
  resize(s.width, s.height);
  setWindowTitle(QString::fromStdU16String(kGuideTitle));
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

Size MainWindow::clientSize() const { return {pageArea_->width(), pageArea_->height()}; }

void MainWindow::moveWindow(const Rect& r) {
  // The frame window's rectangle is in screen coordinates, and the emulated
  // screen is this window's client area.
  pageArea_->setGeometry(r.left, r.top, r.width(), r.height());
  placeCommandBar();
}

void MainWindow::placeCommandBar() {
  const int barH = menuBarHeight(screen_.dpiY());
  const int top = std::min(pageArea_->geometry().bottom() + 1, height() - barH);
  commandBar_->setGeometry(0, top, width(), barH);
}

void MainWindow::setWaitCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

QString MainWindow::plainPageTitle(const std::u16string& title) {
  // A title may carry the markup of the item it came from; the window title
  // and the task-bar strip show plain text.
  std::u16string plain = MarkupRenderer::stripAllTags(title);
  for (char16_t& c : plain)
    if (c == u'\n' || c == u'\r' || c == u'\t') c = u' ';
  return QString::fromStdU16String(plain).simplified();
}

void MainWindow::titleChanged(const std::u16string& title) {
  title_ = plainPageTitle(title);
  setWindowTitle(title_.isEmpty() ? QString::fromStdU16String(kGuideTitle) : title_);
  update(0, 0, width(), screen_.taskBarHeight());
}

void MainWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(214, 211, 206));
  const int bar = screen_.taskBarHeight();
  QLinearGradient g(0, 0, 0, bar);
  g.setColorAt(0, QColor(30, 64, 120));
  g.setColorAt(1, QColor(14, 38, 80));
  p.fillRect(0, 0, width(), bar, g);
  QFont f("DejaVu Sans");
  f.setPixelSize(std::max(1, screen_.sy(12)));
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  const int pad = screen_.sx(6);
  p.drawText(QRect(pad, 0, width() - 2 * pad, bar), Qt::AlignVCenter | Qt::AlignLeft,
             p.fontMetrics().elidedText(title_, Qt::ElideRight, width() - 2 * pad));
}

void MainWindow::resizeEvent(QResizeEvent*) {
  screen_.setScreenSize({width(), height()});
  if (frame_) {
    // The emulated screen changed size: fit the frame window to the new
    // desktop as a change of the keyboard's state would.
    frame_->keyboardChanged();
  } else {
    Rect v = screen_.visibleDesktopArea();
    moveWindow(rectXYWH(v.left, v.top, v.width(), v.height() - menuBarHeight(screen_.dpiY())));
  }
  placeCommandBar();
}

void MainWindow::setMinimumSizeForScreen() {
  // The smallest window that keeps the whole command bar, the task-bar strip
  // and a usable page area.
  setMinimumSize(commandBar_->requiredWidth(),
                 screen_.taskBarHeight() + menuBarHeight(screen_.dpiY()) + scaleForDpi(60, screen_.dpiY()));
}

void MainWindow::rescaleAll(const std::function<void()>& rescaleViewers) {
  rescaleWidgets(this);
  rescaleScreen();
  if (rescaleViewers) rescaleViewers();
  rescale();
  relayoutWidgets(this);
}

void MainWindow::rescaleScreen() {
  setMinimumSizeForScreen();
  screen_.setScreenSize({width(), height()});
}

void MainWindow::rescale() {
  screen_.setScreenSize({width(), height()});
  if (frame_) frame_->rescale();
  placeCommandBar();
  update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!onShortcut_) {
    event->accept();
    return;
  }
  // The exit command asks its question and ends the program on Yes; the
  // window itself stays until the shutdown takes it away.
  event->ignore();
  onShortcut_(cmd::kExit);
}

int MainWindow::shortcutCommand(int key, Qt::KeyboardModifiers modifiers) {
  modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (modifiers == Qt::AltModifier) {
    if (key == Qt::Key_Left) return cmd::kBack;
    if (key == Qt::Key_Right) return cmd::kForward;
    if (key == Qt::Key_Home) return cmd::kHome;
  }
  if (modifiers == Qt::ControlModifier && key == Qt::Key_Q) return cmd::kExit;
  if (modifiers == Qt::ControlModifier && key == Qt::Key_K) return cmd::kSearch;
  return 0;
}

MainWindow::ZoomKey MainWindow::zoomKey(int key, Qt::KeyboardModifiers modifiers) {
  // Plus often needs Shift, and the keypad's keys carry their own modifier.
  modifiers &= Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (modifiers != Qt::ControlModifier) return ZoomKey::None;
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return ZoomKey::In;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return ZoomKey::Out;
    case Qt::Key_0:
      return ZoomKey::Reset;
    default:
      return ZoomKey::None;
  }
}

void MainWindow::closePopups() {
  // Closing one popup may bring the one below it back as the active one.
  for (int guard = 0; guard < 16; ++guard) {
    QWidget* popup = QApplication::activePopupWidget();
    if (!popup || !ownsWidget(popup)) break;
    popup->close();
  }
}

bool MainWindow::ownsWidget(const QWidget* w) const {
  for (const QWidget* top = w ? w->window() : nullptr; top; top = top->parentWidget() ? top->parentWidget()->window() : nullptr) {
    if (top == this) return true;
    if (top->windowType() != Qt::Popup && top->windowType() != Qt::ToolTip) return false;
  }
  return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) return wheelZoom(qobject_cast<QWidget*>(watched), static_cast<QWheelEvent*>(event));
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  // The shortcuts work from a popup opened over the window as well.
  if (!w || !ownsWidget(w)) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  if (ZoomKey z = zoomKey(k->key(), k->modifiers()); z != ZoomKey::None && onZoom_ && !zoomsItself(w)) {
    event->accept();
    if (event->type() == QEvent::KeyPress) onZoom_(z);
    return true;
  }
  if (onPrint_ && k->key() == Qt::Key_P && (k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                              Qt::AltModifier | Qt::MetaModifier)) == Qt::ControlModifier) {
    event->accept();
    if (event->type() == QEvent::KeyPress) onPrint_();
    return true;
  }
  int command = shortcutCommand(k->key(), k->modifiers());
  if (!command) return false;
  if (event->type() == QEvent::ShortcutOverride) {
    // Keep the key from being taken as a shortcut by a child; it arrives as
    // a key press next.
    event->accept();
    return true;
  }
  if (onShortcut_) onShortcut_(command);
  return true;
}

bool MainWindow::zoomsItself(const QWidget* w) {
  // A picture zooms itself with the same keys and wheel.
  for (const QWidget* p = w; p; p = p->parentWidget())
    if (p->property(kZoomsItself).toBool()) return true;
  return false;
}

bool MainWindow::wheelZoom(QWidget* w, QWheelEvent* e) {
  if (!w || !onZoom_ || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != Qt::ControlModifier ||
      !ownsWidget(w))
    return false;
  if (zoomsItself(w)) return false;
  wheelRest_ += e->angleDelta().y();
  const int notches = wheelRest_ / 120;
  wheelRest_ -= notches * 120;
  for (int i = 0; i < std::abs(notches); ++i) onZoom_(notches > 0 ? ZoomKey::In : ZoomKey::Out);
  e->accept();
  return true;
}

}  // namespace vantrel
