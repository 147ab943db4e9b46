#pragma once
// The model of a "tight crt" table.
//
// Such a table is a "table" object P with a "table type" child whose text is
// "tight crt", at most one relevant "field" child (the key text) and, in
// content order, top-level "hierarchy item" children. Items with "hierarchy
// item" children are groups; the leaves of a subtree, depth-first in content
// order, become row or column headings, and the "field" children of a leaf
// hold cell texts.
//
// The user navigates to one item S. Its topmost item ancestor T (S itself when
// it has none) and the number of item siblings that follow T (T's run) choose
// the arrangement:
//   0  columns are the leaves under S, rows the leaves of the item before T;
//      a cell is the k-th field of its row leaf, k being the position of the
//      column leaf among the leaves of P's third top-level item;
//   1  columns are the leaves under S, rows the leaves of the item after T;
//      the cell in row r is the (r-1)-th field of its column leaf;
//   2  columns are the leaves of the second item after T, rows those of the
//      first item after T; cells as in arrangement 0.
// Any higher run builds as arrangement 0. A sibling that is missing leaves
// the walk where it is (the rows or columns then come from T itself).
//
// Heading colours alternate by groups through the two toggles of a
// HeadingToggles session, which are not reset between tables: the colour of
// a table's first heading depends on the tables built before in the same
// session. A table built without a session has one of its own.
//
// Cells are resolved on first request and cached by their real (row, column)
// key; a cell without a field is looked up again every time.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/tables/HeadingToggles.h"
#include "core/tables/TableSource.h"

namespace vantrel {

inline constexpr Colour kHeadingColourA = 0xFFD700;
inline constexpr Colour kHeadingColourB = 0x3E9DFF;
inline constexpr Colour kCornerColour = 0xC0C0C0;
inline constexpr Colour kCellColour = 0xFFFFFF;

class TightCrtTable : public TableSource {
 public:
  explicit TightCrtTable(const ContentDatabase& database);
  // Heading colours continue from the session's earlier tables.
  TightCrtTable(const ContentDatabase& database, HeadingToggles& session);
  TightCrtTable(const TightCrtTable&) = delete;
  TightCrtTable& operator=(const TightCrtTable&) = delete;

  // Whether the table viewer shows object x: an existing "hierarchy item" of
  // a "tight crt" table whose first "hierarchy item" child (if any) has no
  // "hierarchy item" child of its own.
  bool accepts(ObjectIndex x) const;
  static bool accepts(const ContentDatabase& database, ObjectIndex x);

  // Rebuilds the whole model for the shown item s; everything becomes visible.
  void buildTable(ObjectIndex s, Colour headingColourA = kHeadingColourA, Colour headingColourB = kHeadingColourB);

  // TableSource.
  uint32_t columnCount() const override { return static_cast<uint32_t>(visibleColumns_.size()); }
  uint32_t rowCount() const override { return static_cast<uint32_t>(visibleRows_.size()); }
  bool cellAt(uint32_t v, uint32_t w, TableCell& out) override;
  uint32_t rowAt(uint32_t v) const override;
  uint32_t columnAt(uint32_t w) const override;
  ObjectIndex shownItem() const override { return shown_; }

  // Shows only these real rows and columns plus the headings (row 0 and
  // column 0), in ascending real order. Indices that are not rows or columns
  // of the table are ignored.
  void compareSelection(const std::set<uint32_t>& rows, const std::set<uint32_t>& columns);
  // Shows every row and column again.
  void restoreAll();

  // The text of the popup for the cell at key (visible row << 16) | visible
  // column: the row heading's item ancestors (outermost first, each followed
  // by ", "), the row heading, " / ", the column heading's ancestors in the
  // same form, the column heading, a line feed and the cell's text.
  void cellPopupText(CellKey key, std::u16string& out);

  // The table's first "field" child (its key text), or 0.
  ObjectIndex keyObject() const;

  // Read-only views for tools and tests.
  int arrangement() const { return arrangement_; }
  ObjectIndex table() const { return table_; }
  ObjectIndex topItem() const { return top_; }
  uint32_t allRowCount() const { return rowTotal_; }
  uint32_t allColumnCount() const { return columnTotal_; }
  // The cell at real row r and real column c (resolving it like cellAt);
  // false when r or c is not a row or column of the table.
  bool realCell(uint32_t r, uint32_t c, TableCell& out);
  // Whether the cell cache holds real key k (for tests of the lazy lookup).
  bool isCached(CellKey k) const { return cache_.count(k) != 0; }
  // How many data cells have been looked up in the content so far.
  uint64_t resolveCount() const { return resolves_; }

  // The heading toggles the table builds with: its session's, or its own.
  HeadingToggles& headingToggles() { return *toggles_; }
  // From now on the table builds with the session's toggles.
  void useHeadingToggles(HeadingToggles& session) { toggles_ = &session; }

 private:
  enum class Axis { Columns, Rows };
  void headingsFrom(ObjectIndex h, Axis axis);
  void numberFieldPositions();
  bool resolve(uint32_t r, uint32_t c, TableCell& out);
  // The leaves under h, depth-first in content order, each reported with
  // whether a group was entered just before it (see the colour rule).
  template <typename Visit>
  void walkLeaves(ObjectIndex h, Visit&& visit) const;
  void prependAncestors(ObjectIndex object, std::u16string& text) const;

  const ContentDatabase& db_;
  uint16_t itemType_ = kNoType;
  uint16_t fieldType_ = kNoType;
  bool built_ = false;  // the last build stood on an object
  ObjectIndex table_ = 0;
  ObjectIndex shown_ = 0;
  ObjectIndex top_ = 0;
  Colour colourA_ = kHeadingColourA;
  Colour colourB_ = kHeadingColourB;
  HeadingToggles ownToggles_;
  HeadingToggles* toggles_ = &ownToggles_;
  int arrangement_ = 0;
  uint32_t columnTotal_ = 0;
  uint32_t rowTotal_ = 0;
  std::map<CellKey, TableCell> cache_;
  ObjectIndex positionsTable_ = 0;
  bool positionsNumbered_ = false;
  std::map<ObjectIndex, uint32_t> fieldPositions_;
  // Visible real indices, ascending (sorted vectors: the v-th element is one step).
  std::vector<uint32_t> visibleRows_;
  std::vector<uint32_t> visibleColumns_;
  uint64_t resolves_ = 0;
};

}  // namespace vantrel
