#pragma once
// Draws a table grid's cells onto a drawing surface with the markup renderer:
// each cell's text on one line (cut with "..." when it does not fit), its
// bottom and right grid lines, a small black triangle in the lower right
// corner of a cut-off text, body cells of a selected row or column with
// complemented colours, and the first partly scrolled-away row and column
// drawn from their visible part on. Link areas of the drawn texts go to the
// grid (screen coordinates), for its taps.
//
// The painter is also the grid's measurer: each cell's markup is parsed and
// measured once, kept by the cell's real key, and reused for drawing.
#include <map>
#include <optional>

#include "core/platform/DrawingSurface.h"
#include "core/platform/ScreenDpi.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/richtext/TextBlock.h"
#include "core/tables/TableGrid.h"

namespace vantrel {

inline constexpr Colour kGridLineColour = 0x666666;

class TableGridPainter : public CellMeasurer {
 public:
  // Makes itself the grid's measurer. The cell font defaults to the guide
  // font for dpiY.
  TableGridPainter(TableGrid& grid, int dpiX = 96, int dpiY = 96)
      : TableGridPainter(grid, ScreenDpi(dpiX > 0 ? dpiX : 96, dpiY > 0 ? dpiY : 96)) {}
  TableGridPainter(TableGrid& grid, ScreenDpi dpi);
  ~TableGridPainter() override;
  TableGridPainter(const TableGridPainter&) = delete;
  TableGridPainter& operator=(const TableGridPainter&) = delete;

  // The cell font, made for the resolution of the time it is set.
  void setFont(const FontDescription& font);
  const FontDescription& font() const { return font_; }
  // The resolution changed: the font is made again for the new one (and the
  // parsed cells dropped).
  void rescale();
  // The surface texts are measured on before they are drawn (not owned; any
  // surface of the kind that is drawn on).
  void setMeasuringSurface(DrawingSurface* surface) { measuring_ = surface; }

  int singleLineWidth(CellKey key, const std::u16string& markup, Colour background) override;

  // Draws the grid's last redraw (grid.frame()) into buffer, which should be
  // grid.bufferWidth() x grid.bufferHeight(): white first, then every cell.
  // The grid's link areas and cut-off marks are refreshed.
  void paint(DrawingSurface& buffer);

  // The parsed text of a cell (null before it was measured or drawn).
  const TextBlock* block(CellKey realKey) const;
  // How many parsed cell texts are kept.
  size_t blockCount() const { return blocks_.size(); }

 private:
  TextBlock& blockFor(CellKey key, const std::u16string& markup, Colour background, DrawingSurface& surface);
  void drawCell(const DrawnCell& cell, DrawingSurface& buffer);
  void drawInto(DrawingSurface& surface, TextBlock& block, const Rect& rect, Point origin, LinkAreaList& links);
  void dropIfStale();

  TableGrid& grid_;
  void useFont(const FontDescription& font);

  ScreenDpi dpi_;
  FontDescription font_;
  FontDescription givenFont_;  // as set, for the resolution of that time
  int givenDpiY_;
  MarkupRenderer renderer_;
  DrawingSurface* measuring_ = nullptr;
  std::map<CellKey, TextBlock> blocks_;
  uint64_t generation_ = 0;
};

}  // namespace vantrel
