#pragma once
// What the paged list decides without a window: which entries of its source
// are on the one page it holds, how the scroll bar reads, which entries are
// checked and what a tap leads to. The list never holds more than one page
// of entries; scrolling drops the entries that leave the page and asks the
// source only for those that come into it. Checked entries are remembered by
// their data values (in the order they were checked, duplicates kept), also
// while they are scrolled out of view and across reloads, until taken.
//
// The window (src/ui/lists/PagedList) measures how many entries fit, draws
// the page and reports taps; everything else is here.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/lists/ListMoves.h"
#include "core/tables/ItemSource.h"
#include "core/platform/Scrolling.h"

namespace vantrel {

// A vertical scroll bar as the list reads and sets it: range minimum ..
// maximum, a page and a position. The page is kept within the range's size
// and the position within minimum .. maximum - page + 1.
struct ListScrollBar {
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;

  void setRange(int min, int max);
  void setPage(int p);
  void setPosition(int p);

 private:
  void clamp();
};

// The scroll state the list remembers after each change.
struct ListScrollState {
  int maximum = 0;
  int page = 0;
  int position = 0;
  friend bool operator==(const ListScrollState&, const ListScrollState&) = default;
};

// One entry held on the page.
struct PageEntry {
  uint32_t index = 0;  // source index
  Item item;
  bool checked = false;
};

// What a tap on the list leads to.
struct PagedTap {
  enum class Kind { Nothing, Chosen, CheckToggled };
  Kind kind = Kind::Nothing;
  uint32_t data = 0;
};

class PagedListModel {
 public:
  explicit PagedListModel(bool checkboxes = false) : checkboxes_(checkboxes) {}

  bool checkboxes() const { return checkboxes_; }
  void setSource(const ItemSource* source) { source_ = source; }
  const ItemSource* source() const { return source_; }

  // Empties the page, reads the item count, resets the scroll bar to the top
  // and, when load is set, loads the first page. pageRows is how many
  // entries fit the window. Nothing without a source.
  void reload(int pageRows, bool load);
  // Brings the page to the entries starting at start; -1 starts at the
  // scroll bar's position. A start too near the end keeps the page full:
  // it ends at the last entry. Nothing without a source.
  void showFrom(int64_t start);
  // The window's page holds pageRows entries now (a new size or
  // resolution): keeps the first entry shown and the selection, scrolling
  // only as far as needed to keep the selected entry on the page. The
  // entries that stay on the page are not read again.
  void relayout(int pageRows);
  // A scroll bar message: moves the position by a line or a page (pageRows
  // measured again by the window) or to the thumb, then shows from it.
  void scroll(ScrollCode code, int thumb, int pageRows);

  // Taps on the page: row is the entry's place on the page (from 0), -1
  // for none; onCheckbox whether the point lies on the entry's checkbox.
  PagedTap tap(int row, bool onCheckbox);

  // The keyboard and assistive tools: move selects the entry a move leads
  // to and brings it onto the page (answers whether the selection changed);
  // press does what a tap on the entry (or on its checkbox) at that source
  // index does, after bringing it onto the page.
  bool move(ListMove move);
  PagedTap press(uint32_t index, bool onCheckbox = false);

  // The checked data values, emptied, and every checkmark cleared.
  std::vector<uint32_t> takeChecked();
  const std::vector<uint32_t>& checked() const { return checked_; }

  // Selects the first entry of the page whose text begins with text
  // (case-insensitively); nothing when none does. Answers whether one did.
  bool selectByPrefix(std::u16string_view text);
  // Selects the entry at that place on the page (-1: none).
  void selectRow(int row);
  void clearSelection() { selected_ = -1; }
  // The selected entry's place on the page, -1 when none is selected.
  int selectedRow() const;
  // Its source index, -1 when none.
  int64_t selectedIndex() const { return selected_; }
  std::u16string selectedText() const;
  int64_t selectedData() const;

  uint32_t topIndex() const { return top_; }
  uint32_t itemCount() const { return count_; }
  int pageRows() const { return page_; }
  const std::deque<PageEntry>& entries() const { return entries_; }
  const ListScrollBar& bar() const { return bar_; }
  const ListScrollState& scrollState() const { return state_; }

 private:
  void readState();
  Item fetch(uint32_t i) const;
  bool isChecked(uint32_t data) const;
  PageEntry makeEntry(uint32_t i) const;

  bool checkboxes_;
  const ItemSource* source_ = nullptr;
  uint32_t count_ = 0;
  int page_ = 0;
  uint32_t top_ = 0;
  int64_t selected_ = -1;  // source index of the selected entry
  std::deque<PageEntry> entries_;
  std::vector<uint32_t> checked_;
  ListScrollBar bar_;
  ListScrollState state_;
};

// Case-insensitive comparison of the first n characters of a with b (a text
// shorter than n compares by its end): <0, 0, >0. Letters compare by their
// lower-case forms (ASCII and Latin-1).
int comparePrefixNoCase(std::u16string_view a, std::u16string_view b);
char16_t foldCase(char16_t c);

}  // namespace vantrel
