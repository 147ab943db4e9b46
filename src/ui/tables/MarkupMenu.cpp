#include "ui/tables/MarkupMenu.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "core/platform/FontFiles.h"
#include "ui/platform/ListKeys.h"
#include "ui/platform/QtSurface.h"
#include "core/platform/ScreenInfo.h"

namespace vantrel {

MarkupMenu::MarkupMenu(QWidget* owner, MarkupMenuModel& model, std::function<void(int)> chosen)
    : QWidget(owner, Qt::Popup), model_(model), chosen_(std::move(chosen)) {
  setObjectName("markupMenu");
  setAttribute(Qt::WA_DeleteOnClose);
  setMouseTracking(true);
  resize(sizeHint());
}

QSize MarkupMenu::sizeHint() const {
  return QSize(model_.itemWidth() + 2, static_cast<int>(model_.count()) * model_.itemHeight() + 2);
}

int MarkupMenu::itemAt(QPoint p) const {
  if (p.x() < 1 || p.x() > width() - 2 || p.y() < 1) return -1;
  const int h = model_.itemHeight();
  if (h <= 0) return -1;
  int i = (p.y() - 1) / h;
  return i < static_cast<int>(model_.count()) ? i : -1;
}

QStringList MarkupMenu::itemTexts() const {
  QStringList out;
  for (size_t i = 0; i < model_.count(); ++i) out << QString::fromStdU16String(model_.plainText(i));
  return out;
}

void MarkupMenu::chooseItem(int index) {
  if (index < 0 || index >= static_cast<int>(model_.count())) return;
  auto chosen = chosen_;  // the menu goes away with close()
  close();
  if (chosen) chosen(index);
}

void MarkupMenu::paintEvent(QPaintEvent*) {
  // Drawn off-screen and copied in one step.
  QtSurface surface(width(), height(), devicePixelRatioF());
  surface.fillRect(Rect{0, 0, width(), height()}, 0xFFFFFF);
  const int h = model_.itemHeight();
  for (size_t i = 0; i < model_.count(); ++i) {
    Rect r = rectXYWH(1, 1 + static_cast<int>(i) * h, model_.itemWidth(), h);
    model_.drawItem(i, surface, r);
  }
  surface.end();
  QPainter p(this);
  p.drawImage(0, 0, surface.image());
  p.setPen(QColor(0, 0, 0));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  if (hover_ >= 0) {
    // The item under the stylus is outlined; the item itself is drawn as always.
    p.setPen(QColor(8, 107, 231));
    p.drawRect(1, 1 + hover_ * h, model_.itemWidth() - 1, h - 1);
  }
}

void MarkupMenu::mouseMoveEvent(QMouseEvent* e) {
  int i = itemAt(e->position().toPoint());
  if (i != hover_) {
    hover_ = i;
    update();
  }
}

void MarkupMenu::mouseReleaseEvent(QMouseEvent* e) {
  if (!rect().contains(e->position().toPoint())) {
    close();
    return;
  }
  int i = itemAt(e->position().toPoint());
  if (i >= 0) chooseItem(i);
}

QString MarkupMenu::accessibleRowText(int row) const {
  if (row < 0 || row >= static_cast<int>(model_.count())) return {};
  return QString::fromStdU16String(model_.plainText(static_cast<size_t>(row)));
}

QRect MarkupMenu::accessibleRowRect(int row) const {
  if (row < 0 || row >= static_cast<int>(model_.count())) return {};
  return QRect(1, 1 + row * model_.itemHeight(), model_.itemWidth(), model_.itemHeight());
}

void MarkupMenu::setCurrent(int item) {
  if (item == hover_) return;
  hover_ = item;
  update();
  announceSelection(this, item);
}

void MarkupMenu::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  announceShown(this);
}

void MarkupMenu::keyPressEvent(QKeyEvent* e) {
  const int n = static_cast<int>(model_.count());
  if (e->key() == Qt::Key_Escape) {
    close();
  } else if (e->key() == Qt::Key_Down && n) {
    setCurrent((hover_ + 1) % n);  // a menu wraps round
  } else if (e->key() == Qt::Key_Up && n) {
    setCurrent(hover_ <= 0 ? n - 1 : hover_ - 1);
  } else if (const auto move = listMoveFor(*e); move && n) {
    setCurrent(static_cast<int>(rowAfterMove(*move, hover_, 0, n, n)));
  } else if (isOpenKey(*e) && hover_ >= 0) {
    chooseItem(hover_);
  }
}

MenuHost::MenuHost(QWidget* parent, ScreenDpi dpi, FontFiles* fonts, std::string fontPath)
    : QWidget(parent), dpi_(dpi), fonts_(fonts), fontPath_(std::move(fontPath)), model_(dpi) {
  setObjectName("menuHost");
  hide();
  if (fonts_ && !fontPath_.empty()) fontAdded_ = fonts_->addFontFile(fontPath_);
}

MenuHost::~MenuHost() {
  if (menu_) menu_->close();
  if (fonts_ && fontAdded_) removeFontAndAnnounce(*fonts_, fontPath_);
}

void MenuHost::fill(const ItemSource& source) {
  if (menu_) menu_->close();
  QtSurface measure(1, 1);
  measure.useFont(guideFontDescription(dpi_.y()));
  model_.fill(source, measure);
}

void MenuHost::track(int flags, int x, int y) {
  if (menu_) menu_->close();
  menu_ = new MarkupMenu(this, model_, [this](int index) {
    if (listener_) listener_->menuChosen(index);
    if (handler_) handler_(index);
  });
  QSize s = menu_->sizeHint();
  // The client rectangle is placed (a popup's frame, if the platform draws one, lies outside).
  menu_->setGeometry(QRect(QPoint(x, (flags & kBottomAlign) ? y - s.height() : y), s));
  menu_->show();
}

}  // namespace vantrel
