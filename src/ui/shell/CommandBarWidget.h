#pragma once
// The command bar along the bottom of the screen: ten image buttons, three
// separators, three of the buttons opening drop-down menus, and the history
// list shown as a popup above the bar.
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QWidget>
#include <functional>

#include "core/chrome/ChromeViewer.h"
#include "ui/tables/MarkupMenu.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class CommandBarWidget : public QWidget, public CommandBar, public Rescalable {
  Q_OBJECT
 public:
  CommandBarWidget(QWidget* parent, ScreenDpi dpi);
  CommandBarWidget(QWidget* parent, int dpiX, int dpiY)
      : CommandBarWidget(parent, ScreenDpi(dpiX, dpiY)) {}

  void setButtonEnabled(int command, bool enabled) override;
  bool buttonEnabled(int command) const override;
  void showHistoryMenu(const ItemSource& items) override;

  // Where commands go (the chrome viewer) and where a history choice goes.
  void setCommandHandler(std::function<void(int)> handler) { onCommand_ = std::move(handler); }
  void setHistoryHandler(std::function<void(uint32_t)> handler) { onHistory_ = std::move(handler); }
  // Presses a button or opens its menu as a tap would; false when the
  // command is not on the bar or its menus, or its button is disabled.
  bool trigger(int command);
  // The popup menu that is open, if any.
  QMenu* openMenu() const;
  QToolButton* button(int command) const { return buttons_.value(command); }
  // The host of the markup popup menu the history list is shown in; without
  // one the list is a plain menu.
  void setHistoryHost(MenuHost* host) { historyHost_ = host; }
  MenuHost* historyHost() const { return historyHost_; }
  QList<int> commands() const { return buttons_.keys(); }
  // The width its buttons and separators take side by side.
  int requiredWidth() const;

 public:
  // New icons at the screen's resolution; the main window places the bar.
  void rescale() override;

 private:
  void setIcons();
  void layoutButtons();
  void popupMenu(QMenu* menu, QWidget* anchor);

  ScreenDpi dpi_;
  QMap<int, QToolButton*> buttons_;
  QMap<int, int> images_;  // command -> its image
  QList<QWidget*> order_;  // buttons and separators, left to right
  QMap<int, QMenu*> menus_;  // by the command of the button that opens it
  QPointer<QMenu> history_;
  MenuHost* historyHost_ = nullptr;
  std::vector<uint32_t> historyData_;  // the data of the history list's items, by position
  std::function<void(int)> onCommand_;
  std::function<void(uint32_t)> onHistory_;

 protected:
  void resizeEvent(QResizeEvent*) override { layoutButtons(); }
  void paintEvent(QPaintEvent*) override;
};

}  // namespace vantrel
