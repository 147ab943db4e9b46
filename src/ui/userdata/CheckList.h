#pragma once
// The checkbox list of the bookmark and notes windows: one column of titles,
// each with a checkbox in front, a vertical scroll bar (child id 2000), and
// only one page of entries read from the ItemSource at a time. A tap on a
// title reports the entry's data to the owner; a tap on a box toggles it.
// Checked entries are kept by data value until takeChecked.
//
// Stand-in for the shared paged list control; it offers the same calls
// (setSource, reload, showFrom, topIndex, takeChecked) so the windows can
// move over to that control without other changes.
#include <QFont>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <vector>

#include "tables/ItemSource.h"

namespace vantrel {

class CheckList : public QWidget {
 public:
  static constexpr int kChildId = 254;
  static constexpr int kScrollBarId = 2000;

  CheckList(QWidget* parent, int dpiX, int dpiY);

  void setSource(const ItemSource* source, const QFont& font);
  // Called with the data of a title tapped anywhere but on its box.
  void setOwner(std::function<void(uint32_t)> chosen) { chosen_ = std::move(chosen); }
  // Reads the item count again and shows the first page (when load is set).
  void reload(bool load = true);
  // Shows the page starting at top (clamped so that the last page is full).
  void showFrom(int top);
  int topIndex() const { return top_; }
  // Entries that fit the rows area.
  int page() const;
  int rowHeight() const { return rowHeight_; }
  uint32_t itemCount() const { return count_; }
  // The checked data values in the order they were checked; takeChecked
  // also clears them.
  const std::vector<uint32_t>& checked() const { return checked_; }
  std::vector<uint32_t> takeChecked();
  // Toggles the box of visible row (as a tap on it would); false when there
  // is no such row.
  bool toggleRow(int row);
  // The texts of the rows on screen.
  std::vector<std::u16string> visibleTexts() const;
  QScrollBar* scrollBar() const { return bar_; }
  // The rows area (without the scroll bar), in this widget's coordinates.
  QRect rowsArea() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;

 private:
  bool isChecked(uint32_t data) const;
  int rowAt(int y) const;
  bool onBox(int x) const;
  void fillPage();
  void syncBar();

  int dpiX_, dpiY_;
  const ItemSource* source_ = nullptr;
  QFont font_;
  int rowHeight_ = 16;
  uint32_t count_ = 0;
  int top_ = 0;
  std::vector<Item> shown_;  // the entries of the page on screen
  std::vector<uint32_t> checked_;
  QScrollBar* bar_;
  int pressedRow_ = -1;
  bool syncing_ = false;
  std::function<void(uint32_t)> chosen_;
};

}  // namespace vantrel
