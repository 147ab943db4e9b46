#include "core/tables/TableGrid.h"

#include <algorithm>

namespace vantrel {

void TableGrid::setSource(TableSource* source, int fontHeight) {
  source_ = source;
  scrollX_ = 0;
  scrollY_ = 0;
  hidePopup();
  rowHeight_ = rowHeightFor(fontHeight);
  const ObjectIndex shown = source ? source->shownItem() : 0;
  if (shown != shownItem_) {
    columnWidths_.clear();
    cells_.clear();
    ++cellGeneration_;
    clearSelection();
    shownItem_ = shown;
  }
}

int TableGrid::rowHeightFor(int fontHeight) const {
  const int height = fontHeight != 0 ? (fontHeight < 0 ? -fontHeight : fontHeight) : ((dpi_.y() + 3) * 16) / 96;
  return height + 4 * sy(1);
}

void TableGrid::rescale(int fontHeight) {
  if (!placeKept_) keptPlace_ = place();
  placeKept_ = true;
  rowHeight_ = rowHeightFor(fontHeight);
  // Widths and cut-off marks were measured in the old font.
  columnWidths_.clear();
  cells_.clear();
  ++cellGeneration_;
}

GridPlace TableGrid::place() const {
  GridPlace p;
  const VisibleRange rows = visibleRows(scrollY_, area_.height());
  if (!rows.empty) {
    p.row = rows.first;
    p.rowClip = rows.clip;
    p.rowSize = std::max(1, rowHeight_);
  }
  const VisibleRange cols = visibleColumns(scrollX_, area_.width());
  if (!cols.empty) {
    p.column = cols.first;
    p.columnClip = cols.clip;
    p.columnSize = std::max(1, visibleColumnWidth(cols.first));
  }
  return p;
}

bool TableGrid::screenChanged(const Rect& screen) {
  if (screen == screen_ || screen.isEmpty() || screen_.isEmpty()) {
    if (screen_.isEmpty() && !screen.isEmpty()) screen_ = screen;  // the first one is only saved
    return false;
  }
  screen_ = screen;
  relayout();
  return true;
}

int TableGrid::columnWidth(uint32_t realColumn) const {
  const auto it = columnWidths_.find(realColumn);
  return it == columnWidths_.end() ? -1 : it->second;
}

int TableGrid::visibleColumnWidth(uint32_t w) const {
  if (!source_) return 0;
  return std::max(0, columnWidth(source_->columnAt(w)));
}

void TableGrid::markCutOff(CellKey realKey, bool cutOff) {
  if (const auto it = cells_.find(realKey); it != cells_.end()) it->second.cutOff = cutOff;
}

const GridCell* TableGrid::cell(CellKey realKey) const {
  const auto it = cells_.find(realKey);
  return it == cells_.end() ? nullptr : &it->second;
}

GridCell& TableGrid::cellFor(uint32_t v, uint32_t w) {
  const CellKey key = cellKey(source_->rowAt(v), source_->columnAt(w));
  auto it = cells_.find(key);
  if (it != cells_.end()) return it->second;
  GridCell cell;
  TableCell content;
  if (source_->cellAt(v, w, content)) {
    cell.text = std::move(content.text);
    cell.background = content.colour;
  } else {
    cell.background = 0xC0C0C0;
  }
  cell.width = measurer_ ? measurer_->singleLineWidth(key, cell.text, cell.background) : 0;
  return cells_.emplace(key, std::move(cell)).first->second;
}

void TableGrid::computeColumnWidths(int available) {
  const uint32_t columns = source_->columnCount();
  const uint32_t rows = source_->rowCount();
  const int least = sx(10) + 2 * sx(3);
  const int most = sx(70) + 2 * sx(3);
  int64_t total = 0;
  for (uint32_t i = 0; i < columns; ++i) {
    int w = least;
    // The heading column is as wide as its widest heading; a data column as
    // its heading (its cells are cut to fit).
    const uint32_t measured = i == 0 ? rows : std::min<uint32_t>(rows, 1);
    for (uint32_t j = 0; j < measured; ++j) {
      const GridCell& cell = cellFor(j, i);
      w = std::max(w, cell.width + 2 * sx(3));
      w = std::min(w, most);
    }
    columnWidths_[source_->columnAt(i)] = w;
    total += w;
  }
  if (columns > 0 && total < available) {
    const int spare = static_cast<int>(available - total);
    const int share = spare / static_cast<int>(columns);
    for (uint32_t i = 0; i < columns; ++i) columnWidths_[source_->columnAt(i)] += share;
    const int remainder = spare - share * static_cast<int>(columns);
    if (remainder > 0) columnWidths_[0] += remainder;
    mask_ &= ~2;
  } else {
    // Also when the widths fill the area exactly.
    mask_ |= 2;
  }
  int64_t sum = 0;
  for (uint32_t i = 0; i < columns; ++i) sum += visibleColumnWidth(i);
  totalWidth_ = static_cast<int>(std::min<int64_t>(sum, INT32_MAX));
}

void TableGrid::relayout() {
  placeKept_ = false;
  scrolledToCursor_ = false;
  cursorRow_ = 1;
  cursorColumn_ = 1;
  layOut();
  renderBuffer();
}

void TableGrid::relayoutKeepingPlace() {
  const GridPlace p = placeKept_ ? keptPlace_ : place();
  placeKept_ = false;
  layOut();
  if (scrolledToCursor_) {
    scrollToCursor();
    renderBuffer();
    return;
  }
  // The same first row and column, the part scrolled away in proportion.
  if (vbar_.shown) {
    const int64_t y = int64_t(p.row - 1) * rowHeight_ + int64_t(p.rowClip) * rowHeight_ / p.rowSize;
    scrollY_ = static_cast<int>(std::clamp<int64_t>(y, 0, std::max(0, vbar_.maximum - vbar_.page)));
    vbar_.position = scrollY_;
  }
  if (hbar_.shown && source_) {
    int64_t x = 0;
    for (uint32_t w = 1; w < p.column && w < source_->columnCount(); ++w) x += visibleColumnWidth(w);
    if (p.column < source_->columnCount())
      x += int64_t(p.columnClip) * visibleColumnWidth(p.column) / p.columnSize;
    scrollX_ = static_cast<int>(std::clamp<int64_t>(x, 0, std::max(0, hbar_.maximum - hbar_.page)));
    hbar_.position = scrollX_;
  }
  renderBuffer();
}

void TableGrid::layOut() {
  scrollX_ = 0;
  scrollY_ = 0;
  mask_ = 0;
  area_ = client_;
  if (source_) {
    const int64_t height = int64_t(source_->rowCount()) * rowHeight_;
    if (height > area_.height()) {
      mask_ |= 1;
      area_.right -= sx(13);
    }
    computeColumnWidths(area_.width());
    // The horizontal bar's height is scaled like the vertical bar's width.
    if (mask_ & 2) area_.bottom -= sx(13);
  } else {
    totalWidth_ = 0;
  }
  vbar_ = ScrollBarState{};
  hbar_ = ScrollBarState{};
  cornerShown_ = false;
  cornerBox_ = Rect{};
  if (mask_ & 1) {
    vbar_.shown = true;
    vbar_.maximum = static_cast<int>(std::min<int64_t>(int64_t(source_->rowCount()) * rowHeight_, INT32_MAX));
    vbar_.page = area_.height();
    vbar_.rect = {area_.right, area_.top, area_.right + sx(13), area_.bottom};
  }
  if (mask_ & 2) {
    hbar_.shown = true;
    hbar_.maximum = totalWidth_;
    hbar_.page = area_.width();
    hbar_.rect = {area_.left, area_.bottom, area_.right, area_.bottom + sy(13)};
  }
  if (mask_ == 3) {
    cornerShown_ = true;
    cornerBox_ = {area_.right, area_.bottom, area_.right + sx(13), area_.bottom + sy(13)};
  }
}

// The data lines (from index 1) in view for a scroll position and an extent
// that also holds the frozen heading line of size head: the first line that
// reaches past the position (and how much of it is scrolled away), and the
// lines after it until the one that reaches the far edge of the extent.
template <typename Size>
VisibleRange TableGrid::range(uint32_t count, Size size, int position, int extent, int head) {
  VisibleRange r;
  int64_t sum = 0;
  uint32_t i = 1;
  for (; i < count; ++i) {
    const int s = size(i);
    if (position < sum + s) {
      r.empty = false;
      r.first = i;
      r.clip = static_cast<int>(std::max<int64_t>(0, position - sum));
      sum += s;
      break;
    }
    sum += s;
  }
  if (r.empty) return r;  // no data line, or all of them scrolled away
  r.last = r.first;
  const int64_t limit = int64_t(position) + extent - head;
  while (sum < limit && r.last + 1 < count) {
    ++r.last;
    sum += size(r.last);
  }
  return r;
}

VisibleRange TableGrid::visibleColumns(int x, int width) const {
  if (!source_) return {};
  return range(source_->columnCount(), [this](uint32_t i) { return visibleColumnWidth(i); }, x, width,
               visibleColumnWidth(0));
}

VisibleRange TableGrid::visibleRows(int y, int height) const {
  if (!source_) return {};
  return range(source_->rowCount(), [this](uint32_t) { return rowHeight_; }, y, height, rowHeight_);
}

DrawnCell TableGrid::drawCell(uint32_t v, uint32_t w, int x, int y, int cx, int cy, bool highlight) {
  GridCell& cell = cellFor(v, w);
  DrawnCell d;
  d.row = v;
  d.column = w;
  d.key = cellKey(source_->rowAt(v), source_->columnAt(w));
  int width = columnWidth(source_->columnAt(w));
  if (width < 0) {
    // A redraw before any layout: the cell is drawn 0 wide.
    ++widthErrors_;
    width = 0;
  }
  d.width = width;
  d.height = rowHeight_;
  d.x = x;
  d.y = y;
  d.clipX = cx;
  d.clipY = cy;
  d.highlight = highlight;
  cell.inverted = highlight;
  cell.cutOff = cell.width > width;
  frame_.push_back(d);
  return d;
}

void TableGrid::renderBuffer() {
  computeFrame();
  if (afterRender_) afterRender_();
}

void TableGrid::computeFrame() {
  frame_.clear();
  links_.clear();
  if (!source_) return;
  const uint32_t columns = source_->columnCount();
  const uint32_t rows = source_->rowCount();
  if (columns == 0 || rows == 0) return;
  const DrawnCell corner = drawCell(0, 0, 0, 0, 0, 0, false);
  const int w0 = corner.width;
  const int h = corner.height;

  const VisibleRange cols = visibleColumns(scrollX_, area_.width());
  lineStepX_ = cols.empty ? sx(10) + 2 * sx(3) : visibleColumnWidth(cols.first);
  int x = w0;
  if (!cols.empty) {
    for (uint32_t i = cols.first; i <= cols.last; ++i) {
      const int clip = i == cols.first ? cols.clip : 0;
      x += drawCell(0, i, x, 0, clip, 0, false).width - clip;
    }
  }
  pageX_ = x - w0;

  const VisibleRange rws = visibleRows(scrollY_, area_.height());
  int y = h;
  if (!rws.empty) {
    for (uint32_t j = rws.first; j <= rws.last; ++j) {
      const int clip = j == rws.first ? rws.clip : 0;
      y += drawCell(j, 0, 0, y, 0, clip, false).height - clip;
    }
  }
  pageY_ = y - h;

  if (cols.empty || rws.empty) return;
  y = h;
  for (uint32_t j = rws.first; j <= rws.last; ++j) {
    const bool rowSelected = selectedRows_.count(source_->rowAt(j)) != 0;
    const int clipY = j == rws.first ? rws.clip : 0;
    x = w0;
    for (uint32_t i = cols.first; i <= cols.last; ++i) {
      const bool highlight = rowSelected || selectedColumns_.count(source_->columnAt(i)) != 0;
      const int clipX = i == cols.first ? cols.clip : 0;
      x += drawCell(j, i, x, y, clipX, clipY, highlight).width - clipX;
    }
    y += h - clipY;
  }
}

bool TableGrid::scroll(ScrollBarState& bar, int& position, int lineStep, int page, ScrollCode code, int thumb) {
  hidePopup();
  if (!bar.shown) return false;
  const int most = std::max(0, bar.maximum - bar.page);
  int delta = 0;
  switch (code) {
    case ScrollCode::LineUp:
      if (position < 1) return false;
      delta = -std::min(position, lineStep);
      break;
    case ScrollCode::LineDown:
      if (position >= most) return false;
      delta = std::min(most - position, lineStep);
      break;
    case ScrollCode::PageUp:
      if (position < 1) return false;
      delta = -std::min(position, page);
      break;
    case ScrollCode::PageDown:
      if (position >= most) return false;
      delta = std::min(most - position, page);
      break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
      delta = std::clamp(thumb, 0, most) - position;
      break;
    case ScrollCode::Other:
      return false;
  }
  position += delta;
  bar.position = position;
  renderBuffer();
  return delta != 0;
}

bool TableGrid::scrollVertical(ScrollCode code, int thumb) {
  scrolledToCursor_ = false;
  return scroll(vbar_, scrollY_, rowHeight_, pageY_, code, thumb);
}

bool TableGrid::scrollHorizontal(ScrollCode code, int thumb) {
  scrolledToCursor_ = false;
  return scroll(hbar_, scrollX_, lineStepX_, pageX_, code, thumb);
}

// The cell under (p, q) in table coordinates (no scrolling applied): row
// q / row height, the column where the running sum of the visible widths
// first exceeds p. Points past the last row or column are on no cell.
TableGrid::Hit TableGrid::cellUnder(int p, int q) const {
  Hit hit;
  if (!source_ || rowHeight_ <= 0 || p < 0 || q < 0) return hit;
  const uint32_t j = static_cast<uint32_t>(q / rowHeight_);
  if (j >= source_->rowCount()) return hit;
  const uint32_t columns = source_->columnCount();
  int64_t sum = 0;
  for (uint32_t i = 0; i < columns; ++i) {
    const int w = visibleColumnWidth(i);
    sum += w;
    if (sum > p) {
      hit.inside = true;
      hit.row = j;
      hit.column = i;
      hit.rect = {static_cast<int>(sum - w), static_cast<int>(j * rowHeight_), static_cast<int>(sum),
                  static_cast<int>((j + 1) * rowHeight_)};
      const GridCell* c = cell(cellKey(source_->rowAt(j), source_->columnAt(i)));
      hit.cutOff = c && c->cutOff;
      return hit;
    }
  }
  return hit;
}

bool TableGrid::moveCursor(int64_t rows, int64_t columns) {
  if (!source_ || source_->rowCount() == 0 || source_->columnCount() == 0) return false;
  const int64_t r = std::clamp<int64_t>(int64_t(cursorRow_) + rows, 0, source_->rowCount() - 1);
  const int64_t c = std::clamp<int64_t>(int64_t(cursorColumn_) + columns, 0, source_->columnCount() - 1);
  return setCursor(static_cast<uint32_t>(r), static_cast<uint32_t>(c));
}

bool TableGrid::setCursor(uint32_t row, uint32_t column) {
  if (!source_ || row >= source_->rowCount() || column >= source_->columnCount()) return false;
  const bool moved = row != cursorRow_ || column != cursorColumn_;
  cursorRow_ = row;
  cursorColumn_ = column;
  scrollToCursor();
  return moved;
}

void TableGrid::scrollToCursor() {
  const uint32_t row = cursorRow_, column = cursorColumn_;
  if (row > 0) {
    const int64_t y = int64_t(row - 1) * rowHeight_;
    if (y != scrollY_) scroll(vbar_, scrollY_, rowHeight_, pageY_, ScrollCode::ThumbPosition,
                              static_cast<int>(std::min<int64_t>(y, INT32_MAX)));
  }
  if (column > 0) {
    int64_t x = 0;
    for (uint32_t w = 1; w < column; ++w) x += visibleColumnWidth(w);
    if (x != scrollX_) scroll(hbar_, scrollX_, lineStepX_, pageX_, ScrollCode::ThumbPosition,
                              static_cast<int>(std::min<int64_t>(x, INT32_MAX)));
  }
  scrolledToCursor_ = true;
}

Rect TableGrid::shownCellRect(uint32_t row, uint32_t column) const {
  if (!source_ || row >= source_->rowCount() || column >= source_->columnCount()) return {};
  int64_t x = 0;
  for (uint32_t w = 0; w < column; ++w) x += visibleColumnWidth(w);
  if (column > 0) x -= scrollX_;
  int64_t y = int64_t(row) * rowHeight_;
  if (row > 0) y -= scrollY_;
  Rect r{static_cast<int>(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2)),
         static_cast<int>(std::clamp<int64_t>(y, INT32_MIN / 2, INT32_MAX / 2)), 0, 0};
  r.right = r.left + visibleColumnWidth(column);
  r.bottom = r.top + rowHeight_;
  // Body cells pass under the headings.
  Rect view = area_;
  if (row > 0) view.top = std::max(view.top, rowHeight_);
  if (column > 0) view.left = std::max(view.left, visibleColumnWidth(0));
  Rect shown{std::max(r.left, view.left), std::max(r.top, view.top), std::min(r.right, view.right),
             std::min(r.bottom, view.bottom)};
  return shown.isEmpty() ? Rect{} : shown;
}

GridTap TableGrid::press(uint32_t row, uint32_t column) {
  setCursor(row, column);
  const Rect shown = shownCellRect(row, column);
  if (shown.isEmpty()) return {};
  const Rect onScreen = shown.translated(originX_, originY_);
  for (const auto& link : links_.entries()) {
    if (link.linkId > 0 && link.rect.left < onScreen.right && onScreen.left < link.rect.right &&
        link.rect.top < onScreen.bottom && onScreen.top < link.rect.bottom) {
      hidePopup();
      GridTap t;
      t.kind = GridTap::Kind::Link;
      t.target = static_cast<ObjectIndex>(link.linkId);
      return t;
    }
  }
  return tap((shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2);
}

GridTap TableGrid::tap(int x, int y) {
  hidePopup();
  GridTap result;
  if (!source_) return result;
  if (x > totalWidth_ || int64_t(y) > int64_t(source_->rowCount()) * rowHeight_) return result;

  if (const int32_t target = links_.hitTest({x + originX_, y + originY_}); target > 0) {
    result.kind = GridTap::Kind::Link;
    result.target = static_cast<ObjectIndex>(target);
    return result;
  }

  const Hit fixed = cellUnder(x, y);
  if (fixed.inside && fixed.row == 0 && fixed.column == 0) {
    const uint32_t rows = source_->rowCount();
    const uint32_t columns = source_->columnCount();
    if (rows > 0 && columns > 0 && selectedRows_.size() == rows - 1 && selectedColumns_.size() == columns - 1) {
      clearSelection();
    } else {
      for (uint32_t j = 1; j < rows; ++j) selectedRows_.insert(source_->rowAt(j));
      for (uint32_t i = 1; i < columns; ++i) selectedColumns_.insert(source_->columnAt(i));
    }
    renderBuffer();
    result.kind = GridTap::Kind::SelectionChanged;
    return result;
  }

  const int triangle = sx(8);
  if (y > 0 && y < rowHeight_) {
    // The heading row: scrolls sideways only.
    const Hit hit = cellUnder(x + scrollX_, y);
    if (!hit.inside) return result;
    TableCell heading;
    if (hit.cutOff && hit.rect.right - (x + scrollX_) < triangle) {
      source_->cellAt(0, hit.column, heading);
      result.kind = GridTap::Kind::Popup;
      result.text = heading.text;
      result.anchor = hit.rect.translated(-scrollX_, 0);
      return result;
    }
    const uint32_t c = source_->columnAt(hit.column);
    if (!selectedColumns_.erase(c)) selectedColumns_.insert(c);
    renderBuffer();
    result.kind = GridTap::Kind::SelectionChanged;
    return result;
  }

  if (x >= visibleColumnWidth(0) || x < 1) {
    // The body: a popup that says where the cell sits in the table.
    if (!area_.contains({x, y})) return result;
    const Hit hit = cellUnder(x + scrollX_, y + scrollY_);
    if (!hit.inside) return result;
    result.kind = GridTap::Kind::Popup;
    result.cellPopup = true;
    result.key = cellKey(hit.row, hit.column);
    result.anchor = hit.rect.translated(-scrollX_, -scrollY_);
    return result;
  }

  // The heading column: scrolls up and down only.
  const Hit hit = cellUnder(x, y + scrollY_);
  if (!hit.inside) return result;
  if (hit.cutOff && hit.rect.right - x < triangle) {
    TableCell heading;
    source_->cellAt(hit.row, 0, heading);
    result.kind = GridTap::Kind::Popup;
    result.text = heading.text;
    result.anchor = hit.rect.translated(0, -scrollY_);
    return result;
  }
  const uint32_t r = source_->rowAt(hit.row);
  if (!selectedRows_.erase(r)) selectedRows_.insert(r);
  renderBuffer();
  result.kind = GridTap::Kind::SelectionChanged;
  return result;
}

}  // namespace vantrel
