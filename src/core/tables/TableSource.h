#pragma once
// What the table grid sees of a table: a number of visible rows and columns
// and the content of each cell. Row 0 holds the column headings and column 0
// the row headings; (0, 0) is the corner cell.
//
// "Visible" indices count the rows and columns now shown (after a Compare
// they are a subset); "real" indices count every row and column of the
// table. Keys of cached cells are built from real indices.
#include <cstdint>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/platform/Geometry.h"

namespace vantrel {

// One cell as the model hands it out (a copy).
struct TableCell {
  ObjectIndex object = 0;  // the heading item or "field" shown; 0 for the corner and for a cell without a field
  std::u16string text;     // markup
  Colour colour = 0xFFFFFF;  // background

  friend bool operator==(const TableCell&, const TableCell&) = default;
};

// (row << 16) | column, both 16-bit.
using CellKey = uint32_t;
constexpr CellKey cellKey(uint32_t row, uint32_t column) { return ((row & 0xFFFFu) << 16) | (column & 0xFFFFu); }
constexpr uint32_t keyRow(CellKey key) { return key >> 16; }
constexpr uint32_t keyColumn(CellKey key) { return key & 0xFFFFu; }

// At most this many rows and this many columns, headings included.
inline constexpr uint32_t kMaxTableLines = 65535;

class TableSource {
 public:
  virtual ~TableSource() = default;

  // Numbers of visible columns and rows, headings included.
  virtual uint32_t columnCount() const = 0;
  virtual uint32_t rowCount() const = 0;
  // The cell at visible row v and visible column w; false (out unchanged)
  // when v or w is not below the counts.
  virtual bool cellAt(uint32_t v, uint32_t w, TableCell& out) = 0;

  // The real index of visible row v / column w; 0 past the end.
  virtual uint32_t rowAt(uint32_t v) const = 0;
  virtual uint32_t columnAt(uint32_t w) const = 0;
  // The item the table was built for; the grid keeps its per-table state
  // (widths, measured cells, selection) while this stays the same.
  virtual ObjectIndex shownItem() const = 0;
};

}  // namespace vantrel
