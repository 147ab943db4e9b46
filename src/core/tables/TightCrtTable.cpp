#include "core/tables/TightCrtTable.h"

#include <algorithm>
#include <utility>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

namespace vantrel {

namespace {

bool textOrEmpty(const ContentDatabase& db, ObjectIndex object, std::u16string& out) {
  out.clear();
  return textOf(db, object, out);
}

}  // namespace

TightCrtTable::TightCrtTable(const ContentDatabase& database) : db_(database) {}

TightCrtTable::TightCrtTable(const ContentDatabase& database, HeadingToggles& session)
    : db_(database), toggles_(&session) {}

bool TightCrtTable::accepts(ObjectIndex x) const { return accepts(db_, x); }

bool TightCrtTable::accepts(const ContentDatabase& db, ObjectIndex x) {
  if (x >= db.objectCount()) return false;
  if (!tableTypeIs(db, x, u"tight crt")) return false;
  if (!isOfType(db, x, u"hierarchy item")) return false;
  ContentCursor cursor(db, x);
  if (!cursor.toChildOfType(u"hierarchy item")) return true;
  return !hasChildOfType(db, cursor.index(), u"hierarchy item");
}

// Depth-first over the item tree under h, in content order. visit(leaf,
// enteredGroup) is called for each leaf; enteredGroup tells whether a group
// was entered since the previous leaf (or since the walk began). Returning
// false from visit ends the walk.
//
// Only children whose stored parent is the item itself are followed: each
// object has one parent and lies after it in the table, so every object is
// met at most once and the walk ends even on a damaged file whose group
// lengths claim entries of other parents.
template <typename Visit>
void TightCrtTable::walkLeaves(ObjectIndex h, Visit&& visit) const {
  struct Level {
    std::vector<ObjectIndex> items;
    size_t next = 0;
  };
  std::vector<Level> stack;
  std::vector<ObjectEntry> found;
  bool entered = false;

  auto children = [&](ObjectIndex parent, std::vector<ObjectIndex>& out) {
    out.clear();
    found.clear();
    if (itemType_ == kNoType || parent >= db_.objectCount()) return;
    db_.collectGroup(parent, itemType_, 0, found);
    for (const ObjectEntry& e : found) {
      if (e.parent == parent && e.type == itemType_ && e.index > parent) out.push_back(e.index);
    }
  };
  // Handles one item: a group pushes its children, a leaf is visited.
  auto handle = [&](ObjectIndex item) -> bool {
    Level level;
    children(item, level.items);
    if (!level.items.empty()) {
      entered = true;
      stack.push_back(std::move(level));
      return true;
    }
    const bool go = visit(item, entered);
    entered = false;
    return go;
  };

  if (!handle(h)) return;
  while (!stack.empty()) {
    Level& top = stack.back();
    if (top.next >= top.items.size()) {
      stack.pop_back();
      continue;
    }
    const ObjectIndex item = top.items[top.next++];
    if (!handle(item)) return;
  }
}

void TightCrtTable::headingsFrom(ObjectIndex h, Axis axis) {
  HeadingToggles::Toggle& toggle = axis == Axis::Columns ? toggles_->column : toggles_->row;
  uint32_t& count = axis == Axis::Columns ? columnTotal_ : rowTotal_;
  walkLeaves(h, [&](ObjectIndex leaf, bool enteredGroup) {
    if (count >= kMaxTableLines) return false;
    // Entering a group resets the group state; the first leaf after that
    // flips the toggle and the leaves that follow keep its colour.
    if (enteredGroup) toggle.groupState = -1;
    if (toggle.groupState == -1) {
      toggle.on = !toggle.on;
      toggle.groupState = toggle.on ? 1 : 0;
    }
    TableCell cell;
    cell.object = leaf;
    textOrEmpty(db_, leaf, cell.text);
    cell.colour = toggle.groupState > 0 ? colourA_ : colourB_;
    const CellKey key = axis == Axis::Columns ? cellKey(0, count) : cellKey(count, 0);
    cache_[key] = std::move(cell);
    ++count;
    return count < kMaxTableLines;
  });
}

void TightCrtTable::numberFieldPositions() {
  if (positionsNumbered_ && positionsTable_ == table_) return;
  positionsTable_ = table_;
  positionsNumbered_ = true;
  fieldPositions_.clear();
  ContentCursor cursor;
  if (!cursor.open(db_, table_)) return;
  cursor.toNthChildOfType(2, u"hierarchy item");  // stays at P when there is no third item
  uint32_t next = 0;
  walkLeaves(cursor.index(), [&](ObjectIndex leaf, bool) {
    fieldPositions_.emplace(leaf, next);
    return ++next < kMaxTableLines;
  });
}

void TightCrtTable::buildTable(ObjectIndex s, Colour headingColourA, Colour headingColourB) {
  colourA_ = headingColourA;
  colourB_ = headingColourB;
  shown_ = s;
  itemType_ = db_.typeNumber(u"hierarchy item");
  fieldType_ = db_.typeNumber(u"field");

  ContentCursor cursor;
  const bool open = cursor.open(db_, s);
  if (open) {
    while (cursor.toAncestorOfType(u"hierarchy item")) {
    }
  }
  built_ = open;
  top_ = open ? cursor.index() : s;
  table_ = open ? cursor.entry().parent : 0;
  const uint32_t run = open ? cursor.run() : 0;
  // Runs above 2 build as arrangement 0 (directly: deriving it from the run
  // again would never end).
  arrangement_ = run <= 2 ? static_cast<int>(run) : 0;

  cache_.clear();
  cache_[cellKey(0, 0)] = TableCell{0, u"", kCornerColour};
  columnTotal_ = 1;
  rowTotal_ = 1;

  if (open) {
    ContentCursor sibling(db_, top_);
    switch (arrangement_) {
      case 0:
        headingsFrom(s, Axis::Columns);
        sibling.toPreviousOfType(u"hierarchy item");
        headingsFrom(sibling.index(), Axis::Rows);
        numberFieldPositions();
        break;
      case 1:
        headingsFrom(s, Axis::Columns);
        sibling.toNextOfType(u"hierarchy item");
        headingsFrom(sibling.index(), Axis::Rows);
        break;
      case 2:
        sibling.toNextOfType(u"hierarchy item");
        sibling.toNextOfType(u"hierarchy item");
        headingsFrom(sibling.index(), Axis::Columns);
        sibling.toPreviousOfType(u"hierarchy item");
        headingsFrom(sibling.index(), Axis::Rows);
        numberFieldPositions();
        break;
    }
  }
  restoreAll();
}

void TightCrtTable::restoreAll() {
  visibleRows_.resize(rowTotal_);
  for (uint32_t i = 0; i < rowTotal_; ++i) visibleRows_[i] = i;
  visibleColumns_.resize(columnTotal_);
  for (uint32_t i = 0; i < columnTotal_; ++i) visibleColumns_[i] = i;
}

void TightCrtTable::compareSelection(const std::set<uint32_t>& rows, const std::set<uint32_t>& columns) {
  visibleRows_.assign(1, 0);
  for (uint32_t r : rows) {
    if (r != 0 && r < rowTotal_) visibleRows_.push_back(r);
  }
  visibleColumns_.assign(1, 0);
  for (uint32_t c : columns) {
    if (c != 0 && c < columnTotal_) visibleColumns_.push_back(c);
  }
}

uint32_t TightCrtTable::rowAt(uint32_t v) const { return v < visibleRows_.size() ? visibleRows_[v] : 0; }

uint32_t TightCrtTable::columnAt(uint32_t w) const { return w < visibleColumns_.size() ? visibleColumns_[w] : 0; }

bool TightCrtTable::resolve(uint32_t r, uint32_t c, TableCell& out) {
  if (r < 1 || c < 1 || r >= rowTotal_ || c >= columnTotal_) return false;
  ++resolves_;
  const auto column = cache_.find(cellKey(0, c));
  if (column == cache_.end() || column->second.object == 0) return false;
  ContentCursor cursor;
  if (arrangement_ == 1) {
    if (!cursor.open(db_, column->second.object)) return false;
    if (fieldType_ == kNoType || !cursor.toNthChildOfType(r - 1, fieldType_)) return false;
  } else {
    const auto row = cache_.find(cellKey(r, 0));
    if (row == cache_.end() || row->second.object == 0) return false;
    const auto position = fieldPositions_.find(column->second.object);
    if (position == fieldPositions_.end()) return false;
    if (!cursor.open(db_, row->second.object)) return false;
    if (fieldType_ == kNoType || !cursor.toNthChildOfType(position->second, fieldType_)) return false;
  }
  out.object = cursor.index();
  out.text.clear();
  cursor.text(out.text);
  out.colour = kCellColour;
  return true;
}

bool TightCrtTable::realCell(uint32_t r, uint32_t c, TableCell& out) {
  if (r >= rowTotal_ || c >= columnTotal_) return false;
  const CellKey key = cellKey(r, c);
  if (const auto it = cache_.find(key); it != cache_.end()) {
    out = it->second;
    return true;
  }
  TableCell cell;
  if (resolve(r, c, cell)) {
    cache_.emplace(key, cell);
    out = std::move(cell);
  } else {
    // Not cached: the next request looks it up again.
    out = TableCell{0, u"", kCellColour};
  }
  return true;
}

bool TightCrtTable::cellAt(uint32_t v, uint32_t w, TableCell& out) {
  if (v >= visibleRows_.size() || w >= visibleColumns_.size()) return false;
  return realCell(visibleRows_[v], visibleColumns_[w], out);
}

void TightCrtTable::prependAncestors(ObjectIndex object, std::u16string& text) const {
  ContentCursor cursor;
  if (object == 0 || !cursor.open(db_, object)) return;
  while (cursor.toAncestorOfType(u"hierarchy item")) {
    std::u16string ancestor;
    cursor.text(ancestor);
    text.insert(0, ancestor + u", ");
  }
}

void TightCrtTable::cellPopupText(CellKey key, std::u16string& out) {
  const uint32_t v = keyRow(key);
  const uint32_t w = keyColumn(key);
  TableCell cell, columnHeading, rowHeading;
  cellAt(v, w, cell);
  cellAt(0, w, columnHeading);
  cellAt(v, 0, rowHeading);
  std::u16string text = u"\n" + cell.text;
  text.insert(0, columnHeading.text);
  prependAncestors(columnHeading.object, text);
  text.insert(0, u" / ");
  text.insert(0, rowHeading.text);
  prependAncestors(rowHeading.object, text);
  out = std::move(text);
}

ObjectIndex TightCrtTable::keyObject() const {
  ContentCursor cursor;
  if (!built_) return 0;
  if (!cursor.open(db_, table_) || !cursor.toChildOfType(u"field")) return 0;
  return cursor.index();
}

}  // namespace vantrel
