#include "ui/shell/CommandBarWidget.h"

#include <QApplication>
#include <QFrame>
#include <QPainter>

#include "ui/resources/Bitmaps.h"

namespace vantrel {

CommandBarWidget::CommandBarWidget(QWidget* parent, ScreenDpi dpi)
    : QWidget(parent), dpi_(dpi) {
  setObjectName("commandBar");
  for (const CommandBarButton& b : commandBarLayout()) {
    if (b.command == 0) {
      auto* sep = new QFrame(this);
      sep->setFrameShape(QFrame::VLine);
      sep->setFrameShadow(QFrame::Sunken);
      order_.append(sep);
      continue;
    }
    auto* button = new QToolButton(this);
    button->setObjectName(QString("command%1").arg(b.command));
    images_[b.command] = b.image;
    button->setAutoRaise(true);
    // Tab reaches the buttons; a tap leaves the focus where it was.
    button->setFocusPolicy(Qt::TabFocus);
    const QString name = QString::fromStdU16String(b.name ? b.name : u"");
    button->setAccessibleName(name);
    button->setToolTip(b.shortcut ? QString("%1 (%2)").arg(name, QString::fromStdU16String(b.shortcut)) : name);
    button->setEnabled(b.enabledAtStart);
    const int command = b.command;
    if (b.menu >= 0) {
      auto* menu = new QMenu(this);
      for (const CommandMenuItem& item : commandMenuItems()) {
        if (item.menu != b.menu) continue;
        if (!item.text) {
          menu->addSeparator();
          continue;
        }
        QAction* a = menu->addAction(QString::fromStdU16String(item.text));
        a->setData(item.command);
        const int id = item.command;
        connect(a, &QAction::triggered, this, [this, id] {
          if (onCommand_) onCommand_(id);
        });
      }
      menus_[command] = menu;
      connect(button, &QToolButton::clicked, this, [this, menu, button] { popupMenu(menu, button); });
    } else {
      connect(button, &QToolButton::clicked, this, [this, command] {
        if (onCommand_) onCommand_(command);
      });
    }
    buttons_[command] = button;
    order_.append(button);
  }
  setIcons();
}

void CommandBarWidget::setIcons() {
  const int image = commandImageSize(dpi_.x());
  for (auto it = buttons_.cbegin(); it != buttons_.cend(); ++it) {
    const int number = images_.value(it.key());
    QIcon icon;
    const qreal ratio = devicePixelRatioF();
    for (bool enabled : {true, false}) {
      const QImage image = atPixelRatio(ratio, dpi_.x(), dpi_.y(), [number, enabled](int x, int y) {
        return commandImage(number, enabled, x, y);
      });
      icon.addPixmap(QPixmap::fromImage(image), enabled ? QIcon::Normal : QIcon::Disabled);
    }
    it.value()->setIcon(icon);
    it.value()->setIconSize(QSize(image, image));
  }
}

void CommandBarWidget::rescale() {
  setIcons();
  layoutButtons();
}

void CommandBarWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(214, 211, 206));
  p.setPen(QColor(255, 255, 255));
  p.drawLine(0, 0, width(), 0);
}

int CommandBarWidget::requiredWidth() const {
  int w = 0;
  for (QWidget* b : order_) w += qobject_cast<QFrame*>(b) ? scaleForDpi(5, dpi_.x()) : scaleForDpi(22, dpi_.x());
  return w;
}

void CommandBarWidget::layoutButtons() {
  const int h = height();
  const int buttonW = scaleForDpi(22, dpi_.x());
  const int sepW = scaleForDpi(5, dpi_.x());
  int x = 0;
  for (QWidget* w : order_) {
    const bool sep = qobject_cast<QFrame*>(w) != nullptr;
    const int width = sep ? sepW : buttonW;
    w->setGeometry(x, sep ? h / 6 : 0, width, sep ? h - h / 3 : h);
    x += width;
  }
}

void CommandBarWidget::setButtonEnabled(int command, bool enabled) {
  if (QToolButton* b = buttons_.value(command)) b->setEnabled(enabled);
}

bool CommandBarWidget::buttonEnabled(int command) const {
  QToolButton* b = buttons_.value(command);
  return b && b->isEnabled();
}

void CommandBarWidget::popupMenu(QMenu* menu, QWidget* anchor) {
  // Drop-down menus open upwards from their button, as the bar sits at the
  // bottom of the screen.
  QSize s = menu->sizeHint();
  QPoint at = anchor->mapToGlobal(QPoint(0, 0)) - QPoint(0, s.height());
  menu->popup(at);
}

void CommandBarWidget::showHistoryMenu(const ItemSource& items) {
  if (history_) history_->deleteLater();
  if (historyHost_) {
    historyData_.clear();
    for (uint32_t i = 0; i < items.itemCount(); ++i) historyData_.push_back(items.itemAt(i).data);
    historyHost_->setChosenHandler([this](int index) {
      if (index >= 0 && static_cast<size_t>(index) < historyData_.size() && onHistory_)
        onHistory_(historyData_[static_cast<size_t>(index)]);
    });
    historyHost_->fill(items);
    // The list's bottom edge sits on the bar's top edge, at the bar's left.
    QPoint at = mapToGlobal(QPoint(0, 0));
    historyHost_->track(MenuHost::kBottomAlign, at.x(), at.y());
    return;
  }
  auto* menu = new QMenu(this);
  menu->setObjectName("historyMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (uint32_t i = 0; i < items.itemCount(); ++i) {
    Item item = items.itemAt(i);
    QAction* a = menu->addAction(QString::fromStdU16String(item.text));
    const uint32_t data = item.data;
    connect(a, &QAction::triggered, this, [this, data] {
      if (onHistory_) onHistory_(data);
    });
  }
  history_ = menu;
  // The list's bottom edge sits on the bar's top edge, at the bar's left.
  QSize s = menu->sizeHint();
  menu->popup(mapToGlobal(QPoint(0, 0)) - QPoint(0, s.height()));
}

bool CommandBarWidget::trigger(int command) {
  if (QToolButton* b = buttons_.value(command)) {
    if (!b->isEnabled()) return false;
    b->click();
    return true;
  }
  for (QMenu* menu : menus_)
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->data().toInt() == command) {
        if (!a->isEnabled()) return false;
        a->trigger();
        return true;
      }
  return false;
}

QMenu* CommandBarWidget::openMenu() const {
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

}  // namespace vantrel
