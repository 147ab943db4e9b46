#pragma once
// Moving the selection of a list from the keyboard or from an assistive
// tool: one rule for every window that draws its own rows (the index, key
// and dual lists, the bookmark and note lists, the popup menus).
#include <algorithm>
#include <cstdint>

namespace vantrel {

enum class ListMove { Up, Down, PageUp, PageDown, First, Last };

// The row a move selects: from the selected row (-1: none), in a list of
// count rows whose first row in view is top and that shows page rows at a
// time. With nothing selected, every move but First and Last selects the
// first row in view. -1 when the list is empty.
inline int64_t rowAfterMove(ListMove move, int64_t selected, int64_t top, int64_t count, int page) {
  if (count <= 0) return -1;
  const int64_t step = std::max(page - 1, 1);
  int64_t row;
  if (move == ListMove::First) {
    row = 0;
  } else if (move == ListMove::Last) {
    row = count - 1;
  } else if (selected < 0 || selected >= count) {
    row = top;
  } else {
    switch (move) {
      case ListMove::Up: row = selected - 1; break;
      case ListMove::Down: row = selected + 1; break;
      case ListMove::PageUp: row = selected - step; break;
      default: row = selected + step; break;
    }
  }
  return std::clamp<int64_t>(row, 0, count - 1);
}

// The first row to show so that row is in view, scrolling as little as
// possible from top (page rows in view).
inline int64_t topToShow(int64_t row, int64_t top, int page) {
  if (row < top) return row;
  if (page > 0 && row >= top + page) return row - page + 1;
  return top;
}

}  // namespace vantrel
