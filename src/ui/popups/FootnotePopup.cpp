#include "ui/popups/FootnotePopup.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "ui/html/HtmlDialog.h"
#include "ui/platform/QtSurface.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {

namespace {

// One window border, in pixels.
constexpr int kBorder = 1;

void htmlDialog(QWidget* mainWindow, int dpiY, const std::u16string& title, const std::u16string& text,
                std::function<void(int32_t, const std::u16string&)> onLink) {
  HtmlDialog dialog(mainWindow, dpiY);
  // An empty rectangle: the dialog covers the main window.
  const int id = dialog.open(QString::fromStdU16String(title), QString::fromStdU16String(text), QRect());
  if (id != -1 && onLink) onLink(id, dialog.anchorName().toStdU16String());
}

FootnotePopup::DialogOpener& dialogOpener() {
  static FootnotePopup::DialogOpener opener = htmlDialog;
  return opener;
}

// The popup on screen is entered in the record of the main window it is shown
// over (none when it has no main window).
void forgetShown(FootnotePopup* popup) {
  if (OpenWindows* windows = OpenWindows::of(popup)) windows->closed(popup);
}

}  // namespace

int32_t parseLinkTarget(const QString& target, std::u16string& anchorName) {
  anchorName.clear();
  int64_t value = 0;
  int i = 0;
  while (i < target.size() && target[i].isDigit() && target[i].unicode() < 128) {
    value = value * 10 + (target[i].unicode() - '0');
    if (value > 0x7FFFFFFF) return -1;
    ++i;
  }
  if (i == 0) return -1;
  const int hash = target.indexOf(QLatin1Char('#'), i);
  if (hash >= 0) anchorName = target.mid(hash + 1).toStdU16String();
  return static_cast<int32_t>(value);
}

FootnotePopup::FootnotePopup(QWidget* mainWindow, ScreenDpi dpi)
    : QWidget(mainWindow, Qt::Popup | Qt::FramelessWindowHint),
      mainWindow_(mainWindow),
      dpi_(dpi),
      renderer_(dpi) {
  setObjectName("popup");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(guideFontDescription(dpi.y()));
  QWidget::hide();
}

FootnotePopup::~FootnotePopup() = default;

void FootnotePopup::setFont(const FontDescription& font) {
  givenFont_ = font;
  givenDpiY_ = dpi_.y();
  renderer_.configure(font, 0, 0);
}

void FootnotePopup::rescale() {
  FontDescription f = givenFont_;
  f.height = rescaleForDpi(givenFont_.height, givenDpiY_, dpi_.y());
  renderer_.configure(f, 0, 0);
}

void FootnotePopup::setDialogOpener(DialogOpener opener) {
  dialogOpener() = opener ? std::move(opener) : DialogOpener(htmlDialog);
}


FootnotePopup* FootnotePopup::shownPopup(const QObject* in) {
  const OpenWindows* windows = OpenWindows::of(in);
  return windows ? windows->popup() : nullptr;
}

Rect FootnotePopup::popupBounds(const QWidget* mainWindow, int dpiX, int dpiY) {
  QRect r = mainWindow ? QRect(mainWindow->mapToGlobal(QPoint(0, 0)), mainWindow->size()) : QRect(0, 0, 240, 320);
  Rect b{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  b.right -= (dpiX + 48) / 96 + kBorder;
  b.bottom -= (dpiY + 48) / 96 + kBorder;
  return b;
}

bool FootnotePopup::show(TextBlock& block, QPoint anchor, const std::u16string& title, bool fullView, bool reparse) {
  anchor_ = anchor;
  const Rect bounds = popupBounds(mainWindow_, dpi_.x(), dpi_.y());
  TextBlock copy = block;
  QtSurface screen(1, 1);
  if (reparse) MarkupRenderer::resetBlock(copy);
  renderer_.parse(copy, screen);
  const PopupPlacement placed = renderer_.placePopup(bounds, screen, copy, {anchor.x(), anchor.y()});
  lastToDialog_ = placed.fillsHeight || fullView;
  if (lastToDialog_) {
    // The dialog gets the text as the caller holds it (markup for a fresh block).
    dialogTitle_ = title;
    dialogText_ = block.text;
    hidePopup();
    QPointer<FootnotePopup> self(this);
    dialogOpener()(mainWindow_, dpi_.y(), title, block.text, [self](int32_t id, const std::u16string& anchorName) {
      if (self && self->listener_) self->listener_(self, id, self->anchor_, anchorName);
    });
    return true;
  }
  block = copy;
  dialogTitle_.clear();
  dialogText_.clear();
  block_ = copy;
  const Rect rect = placed.rect.inflated(kBorder, kBorder);
  setGeometry(rect.left, rect.top, rect.width(), rect.height());
  image_ = QtSurface::makeImage(rect.width(), rect.height(), devicePixelRatioF());
  {
    QtSurface surface(&image_);
    surface.fillRect({0, 0, rect.width(), rect.height()}, block_.background);
    links_.clear();
    // The client area (inside the window's border) less one border each side.
    const Rect text{2 * kBorder, 2 * kBorder, rect.width() - 2 * kBorder, rect.height() - 2 * kBorder};
    renderer_.drawLinked({rect.left, rect.top}, links_, surface, block_, text);
    surface.end();
    QPainter p(&image_);
    p.setPen(Qt::black);
    p.drawRect(0, 0, rect.width() - 1, rect.height() - 1);
  }
  QWidget::show();
  raise();
  announceShown(this);
  if (OpenWindows* windows = OpenWindows::of(this)) windows->opened(this);
  update();
  return false;
}

void FootnotePopup::hidePopup() {
  if (isVisible()) QWidget::hide();
  forgetShown(this);
}

void FootnotePopup::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), toQColor(block_.background));
  p.drawImage(0, 0, image_);
}

void FootnotePopup::mousePressEvent(QMouseEvent* e) {
  const QPoint global = e->globalPosition().toPoint();
  hidePopup();
  const int32_t id = links_.hitTest({global.x() + 6, global.y()});
  if (id != 0 && listener_) listener_(this, id, anchor_, std::u16string());
}

void FootnotePopup::hideEvent(QHideEvent*) {
  forgetShown(this);
  if (onHidden_) onHidden_();
}

}  // namespace vantrel
