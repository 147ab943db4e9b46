#pragma once
// A popup menu whose items are single lines of markup, and the hidden host
// window that fills it from an ItemSource, shows it at a point and reports
// the chosen item's index to its listener.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "ui/platform/Accessible.h"
#include "ui/shell/ChoosablePopup.h"
#include "core/tables/ItemSource.h"
#include "core/tables/MarkupMenuModel.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class FontFiles;

class MarkupMenu : public QWidget, public ChoosablePopup, public AccessibleRows {
 public:
  MarkupMenu(QWidget* owner, MarkupMenuModel& model, std::function<void(int)> chosen);
  QSize sizeHint() const override;
  QStringList itemTexts() const override;
  void chooseItem(int index) override;
  int itemAt(QPoint p) const;
  // The item the keyboard is on (-1: none).
  int current() const { return hover_; }

  int accessibleFirstRow() const override { return 0; }
  int accessibleRowsShown() const override { return static_cast<int>(model_.count()); }
  QString accessibleRowText(int row) const override;
  QRect accessibleRowRect(int row) const override;
  bool accessibleRowSelected(int row) const override { return row >= 0 && row == hover_; }
  void accessiblePressRow(int row, bool) override { chooseItem(row); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  void setCurrent(int item);

  MarkupMenuModel& model_;
  std::function<void(int)> chosen_;
  int hover_ = -1;
};

class MenuHostListener {
 public:
  virtual ~MenuHostListener() = default;
  virtual void menuChosen(int index) = 0;
};

class MenuHost : public QWidget {
 public:
  // Alignment flags of track: the point is the menu's top-left corner by
  // default; with kBottomAlign it is the bottom-left corner.
  static constexpr int kBottomAlign = 0x20;

  // fonts: the guide font file is lent to the program while the menu exists
  // (fontPath empty: none).
  MenuHost(QWidget* parent, ScreenDpi dpi, FontFiles* fonts = nullptr, std::string fontPath = {});
  MenuHost(QWidget* parent, int dpiX, int dpiY, FontFiles* fonts = nullptr, std::string fontPath = {})
      : MenuHost(parent, ScreenDpi(dpiX, dpiY), fonts, fontPath) {}
  ~MenuHost() override;
  void setListener(MenuHostListener* listener) { listener_ = listener; }
  void setChosenHandler(std::function<void(int)> handler) { handler_ = std::move(handler); }
  void fill(const ItemSource& source);
  // Shows the menu at (x, y) in global coordinates.
  void track(int flags, int x, int y);
  MarkupMenu* menu() const { return menu_; }
  const MarkupMenuModel& model() const { return model_; }

 private:
  ScreenDpi dpi_;
  FontFiles* fonts_;
  std::string fontPath_;
  bool fontAdded_ = false;
  MarkupMenuModel model_;
  QPointer<MarkupMenu> menu_;
  MenuHostListener* listener_ = nullptr;
  std::function<void(int)> handler_;
};

}  // namespace vantrel
