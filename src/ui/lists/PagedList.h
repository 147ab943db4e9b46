#pragma once
// The paged list: a title header over a one-column list with its own
// vertical scroll bar, optionally with a checkbox in front of every entry.
// Entries come from an ItemSource; the list holds one page of them at a time
// (PagedListModel decides which), so a list of any length costs one page.
// Taps on an entry go to the owner; checked entries are collected by their
// data value for the owner to take all at once.
//
// Also here: InputPanelEdit, the edit field that brings up the on-screen
// keyboard when tapped.
#include <QFont>
#include <QLineEdit>
#include <QScrollBar>
#include <functional>
#include <memory>

#include "core/lists/PagedListModel.h"
#include "ui/platform/Accessible.h"
#include "core/platform/KeyboardService.h"
#include "core/platform/ScreenInfo.h"
#include "ui/tables/TitleHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class PagedList;

// The window that holds a paged list.
class ItemOwner {
 public:
  virtual ~ItemOwner() = default;
  // An entry was tapped anywhere but on its checkbox.
  virtual void itemChosen(PagedList& list, uint32_t data) = 0;
  // An entry was double-tapped.
  virtual void itemDoubleTapped(PagedList& list) = 0;
};

// The list's page of entries, drawn by itself (child id 798).
class PagedListView : public QWidget, public AccessibleRows {
 public:
  static constexpr int kId = 798;
  PagedListView(QWidget* parent, PagedList& list, ScreenDpi dpi);
  PagedListView(QWidget* parent, PagedList& list, int dpiX, int dpiY)
      : PagedListView(parent, list, ScreenDpi(dpiX, dpiY)) {}
  int rowHeight() const;
  // The width of the checkbox column at the left of every entry (0 without checkboxes).
  int checkboxWidth() const;

  int accessibleFirstRow() const override;
  int accessibleRowsShown() const override;
  QString accessibleRowText(int row) const override;
  QRect accessibleRowRect(int row) const override;
  bool accessibleRowSelected(int row) const override;
  int accessibleRowChecked(int row) const override;
  void accessiblePressRow(int row, bool onCheckbox) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  // Arrows, pages, Home and End move the selection, Return opens the
  // selected entry, Space checks or unchecks it.
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  // The desktop's wheel scrolls by lines, as the scroll bar's arrows do.
  void wheelEvent(QWheelEvent* e) override;

 private:
  PagedList& list_;
  ScreenDpi dpi_;
};

class PagedList : public HeaderedWindow {
 public:
  static constexpr int kScrollBarId = 2000;

  // checkboxes: every entry gets a checkbox (the "check" kind of list).
  PagedList(QWidget* parent, bool checkboxes, ScreenDpi dpi, const char* kindName = "pagedList");
  PagedList(QWidget* parent, bool checkboxes, int dpiX, int dpiY, const char* kindName = "pagedList")
      : PagedList(parent, checkboxes, ScreenDpi(dpiX, dpiY), kindName) {}

  // Sets the source (not owned), sets up the title header and gives the
  // list the font. The owner then calls reload.
  void setSource(const HeaderSettings& header, const QFont& font, const ItemSource* source);
  // The header's font and the entries' (a new resolution): the page is
  // measured again, keeping the first entry shown and the selection.
  void setFonts(const QFont& headerFont, const QFont& font);
  void setOwner(ItemOwner* owner) { owner_ = owner; }
  // Measures the page, empties the list, reads the item count, resets the
  // scroll bar and, when load is set, loads the first page.
  void reload(bool load);
  // Brings the page to the entries starting at top (-1: at the scroll bar's position).
  void showFrom(int64_t top);
  uint32_t topIndex() const { return model_.topIndex(); }
  // The selected entry's text (empty when none) and data (-1 when none).
  std::u16string selectedText() const { return model_.selectedText(); }
  int64_t selectedData() const { return model_.selectedData(); }
  // Selects the first entry of the page whose text begins with text, ignoring case.
  bool selectByPrefix(std::u16string_view text);
  void clearSelection();
  // The checked data values, in the order they were checked; clears them
  // and every checkmark.
  std::vector<uint32_t> takeChecked();

  PagedListModel& model() { return model_; }
  const PagedListModel& model() const { return model_; }
  PagedListView* view() const { return view_; }
  QScrollBar* scrollBar() const { return bar_; }
  ItemOwner* owner() const { return owner_; }
  const QFont& listFont() const { return font_; }
  // How many entries fit the list's height.
  int measurePage() const;
  // A tap on the page (row from 0, or -1), as the view reports it.
  void tapped(int row, bool onCheckbox);
  void doubleTapped();
  // The keyboard and assistive tools: a tap on the entry at that source
  // index (brought onto the page first), and a move of the selection.
  void pressEntry(uint32_t index, bool onCheckbox);
  void moveSelection(ListMove move);
  // The arrow, page, Home and End keys move the selection, Return opens the
  // selected entry, Space checks or unchecks it. Answers whether the key
  // was one of them.
  bool handleKey(QKeyEvent* e);
  // A scroll bar message.
  void scroll(ScrollCode code, int thumb);

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void layoutChildren();
  void syncBar();
  void carryOut(const PagedTap& t);

  PagedListModel model_;
  PagedListView* view_;
  QScrollBar* bar_;
  ItemOwner* owner_ = nullptr;
  QFont font_;
  HeaderSettings header_;
  ScreenDpi dpi_;
  bool syncing_ = false;
};

// An edit field that shows the on-screen keyboard when tapped while it is
// not shown (on a square screen it hides it instead); the tap then goes to
// the field as usual.
class InputPanelEdit : public QLineEdit {
 public:
  InputPanelEdit(QWidget* parent, KeyboardService* keyboard, const ScreenInfo* screen);
  // A search box over a list: Up, Down, Page Up, Page Down and Return go to
  // the list (handler answers whether it took the key); the typed text keeps
  // going to the box.
  void setListKeys(std::function<bool(QKeyEvent*)> handler) { listKeys_ = std::move(handler); }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::function<bool(QKeyEvent*)> listKeys_;
  KeyboardService* keyboard_;
  const ScreenInfo* screen_;
};

}  // namespace vantrel
