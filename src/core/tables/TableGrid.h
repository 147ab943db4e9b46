#pragma once
// The table grid's geometry and selection, without any window: row height,
// column widths with the spare width shared out, which rows and columns are
// in view, the scroll bars and the corner box, scrolling, the cells a redraw
// draws (with their clipping and highlight), and what a tap on the grid
// means. The window that shows a grid only paints the cells of `frame()`,
// places the bars and acts on the answers of `tap`.
//
// Coordinates are the grid window's client coordinates. The heading row
// occupies y from 0 to the row height and the heading column x from 0 to its
// width; they never scroll. Data rows and columns are laid out after them
// and shift by (-scrollX, -scrollY).
//
// Sizes are written for 96 dots per inch and scaled as (n * dpi + 48) / 96
// (dpiX for widths and x, dpiY for heights and y).
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/platform/Geometry.h"
#include "core/platform/ScreenDpi.h"
#include "core/platform/Scrolling.h"
#include "core/richtext/LinkAreaList.h"
#include "core/tables/TableSource.h"

namespace vantrel {

// Measures cell texts. The width is that of the markup's display text drawn
// on one line in the cell font, the text's own margins included. key is the
// cell's real key (a measurer that also draws may keep the parsed text by it).
class CellMeasurer {
 public:
  virtual ~CellMeasurer() = default;
  virtual int singleLineWidth(CellKey key, const std::u16string& markup, Colour background) = 0;
};

// A cell as the grid keeps it: its text, measured once, and how it was last drawn.
struct GridCell {
  std::u16string text;  // markup
  Colour background = 0xFFFFFF;
  int width = 0;          // single-line width of the text
  bool inverted = false;  // drawn with complemented colours (a selected body cell)
  bool cutOff = false;    // the text did not fit its cell when last drawn
  // The background as drawn.
  Colour shownBackground() const { return inverted ? invertedColour(background) : background; }
};

struct ScrollBarState {
  bool shown = false;
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;
  Rect rect;
};


// The data rows or columns in view (visible indices from 1).
struct VisibleRange {
  bool empty = true;
  uint32_t first = 0;
  uint32_t last = 0;
  int clip = 0;  // pixels of the first one scrolled out of view
  friend bool operator==(const VisibleRange&, const VisibleRange&) = default;
};

// One cell of a redraw: drawn at (x, y), of which the part from (clipX,
// clipY) of its full width x height is shown.
struct DrawnCell {
  uint32_t row = 0;     // visible row
  uint32_t column = 0;  // visible column
  CellKey key = 0;      // real (row << 16) | column
  int x = 0;
  int y = 0;
  int clipX = 0;
  int clipY = 0;
  int width = 0;
  int height = 0;
  bool highlight = false;
};

// Where the grid is scrolled to, in rows and columns: the first data row and
// column in view and how much of each is scrolled away (clip of size).
struct GridPlace {
  uint32_t row = 1;
  int rowClip = 0;
  int rowSize = 1;
  uint32_t column = 1;
  int columnClip = 0;
  int columnSize = 1;
};

// What a tap on the grid asks for. Every tap first hides the popup.
struct GridTap {
  enum class Kind {
    Nothing,           // outside the table, or on nothing that reacts
    Link,              // follow target
    SelectionChanged,  // a heading or the corner changed the selection (redrawn)
    Popup,             // show text in the popup, anchored at anchor
  };
  Kind kind = Kind::Nothing;
  ObjectIndex target = 0;
  std::u16string text;  // heading popups: the full heading text
  bool cellPopup = false;  // a body cell: the text is the model's cellPopupText(key)
  CellKey key = 0;         // visible (row << 16) | column of a body cell
  Rect anchor;         // the cell as it is shown, client coordinates
};

class TableGrid {
 public:
  explicit TableGrid(int dpiX = 96, int dpiY = 96) : TableGrid(ScreenDpi(dpiX > 0 ? dpiX : 96, dpiY > 0 ? dpiY : 96)) {}
  // A resolution that may change (a zoom); every layout reads it.
  explicit TableGrid(ScreenDpi dpi) : dpi_(dpi) {}

  int sx(int n) const { return dpi_.sx(n); }
  int sy(int n) const { return dpi_.sy(n); }

  void setMeasurer(CellMeasurer* measurer) { measurer_ = measurer; }
  // Called whenever the popup must go (taps and scrolling).
  void setHidePopup(std::function<void()> hide) { hidePopup_ = std::move(hide); }

  // Called at the end of every redraw (renderBuffer), to paint frame() and
  // show it (for instance TableGridPainter::paint, then a repaint).
  void setAfterRender(std::function<void()> paint) { afterRender_ = std::move(paint); }

  // Takes the model (not owned). fontHeight is the cell font's character
  // height (0: no font, the guide font's height is used). A model showing
  // another item drops the widths, the measured cells and the selection.
  void setSource(TableSource* source, int fontHeight);
  void setClientRect(const Rect& client) { client_ = client; }
  // Where the client area's (0, 0) lies on the screen (for link areas).
  void setScreenOrigin(int x, int y) {
    originX_ = x;
    originY_ = y;
  }
  // The screen's rectangle changed: answers true (and re-lays out from the
  // top-left) when it differs from the saved one and neither is empty.
  bool screenChanged(const Rect& screen);
  // Saves the screen's rectangle without a layout (one that follows does it).
  void setScreen(const Rect& screen) { screen_ = screen; }

  // Scroll position to the top-left, layout, redraw.
  void relayout();
  // The resolution or the cell font changed (fontHeight as for setSource):
  // the row height is made again and the cells are measured anew at the
  // next layout. The place in view is kept for relayoutKeepingPlace.
  void rescale(int fontHeight);
  // Layout and redraw that keep the cursor, the selection and the place in
  // view (the one kept by rescale, else the present one), as far as the
  // scroll bars reach. When the cursor moved last, its row and column are
  // scrolled into place as the move did.
  void relayoutKeepingPlace();
  GridPlace place() const;
  // Recomputes the cells drawn (frame()), clears the link areas and calls
  // the after-render hook.
  void renderBuffer();
  // Scroll messages of the two bars; answer whether the position moved.
  bool scrollVertical(ScrollCode code, int thumb = 0);
  bool scrollHorizontal(ScrollCode code, int thumb = 0);

  GridTap tap(int x, int y);

  // The keyboard's cell cursor, in visible rows and columns (0 is the
  // heading row or column). It starts on the first body cell. Moving it
  // scrolls its row and column to the first place after the headings, as
  // far as the bars go, as the arrow keys scroll a grid a line at a time;
  // answers whether it moved.
  uint32_t cursorRow() const { return cursorRow_; }
  uint32_t cursorColumn() const { return cursorColumn_; }
  bool moveCursor(int64_t rows, int64_t columns);
  bool setCursor(uint32_t row, uint32_t column);
  // The part of a cell in view, in client coordinates (empty when none is).
  Rect shownCellRect(uint32_t row, uint32_t column) const;
  // What a tap on the cell does, with the cursor put on it first: the
  // cell's first link is followed when it holds one; otherwise it is a tap
  // in the middle of the cell.
  GridTap press(uint32_t row, uint32_t column);

  // Link areas drawn in the cells (screen coordinates, the link id being the
  // target object); the painter adds them while drawing frame().
  LinkAreaList& links() { return links_; }
  const LinkAreaList& links() const { return links_; }
  Point screenOrigin() const { return {originX_, originY_}; }
  // The painter's word on whether a cell's text was cut off when drawn.
  void markCutOff(CellKey realKey, bool cutOff);

  // Selection (real indices) and the Compare state.
  const std::set<uint32_t>& selectedRows() const { return selectedRows_; }
  const std::set<uint32_t>& selectedColumns() const { return selectedColumns_; }
  void clearSelection() {
    selectedRows_.clear();
    selectedColumns_.clear();
  }
  // Selects one real row alone (find in page).
  void selectOnlyRow(uint32_t realRow) {
    clearSelection();
    selectedRows_.insert(realRow);
  }
  bool compareActive() const { return compareActive_; }
  void setCompareActive(bool on) { compareActive_ = on; }

  // Geometry.
  int rowHeight() const { return rowHeight_; }
  // Width of real column c; -1 when none is stored.
  int columnWidth(uint32_t realColumn) const;
  int totalWidth() const { return totalWidth_; }
  const Rect& clientRect() const { return client_; }
  const Rect& drawingArea() const { return area_; }
  int scrollBarMask() const { return mask_; }
  const ScrollBarState& verticalBar() const { return vbar_; }
  const ScrollBarState& horizontalBar() const { return hbar_; }
  bool cornerBoxShown() const { return cornerShown_; }
  Rect cornerBox() const { return cornerBox_; }
  int scrollX() const { return scrollX_; }
  int scrollY() const { return scrollY_; }
  int lineStepX() const { return lineStepX_; }
  int pageX() const { return pageX_; }
  int pageY() const { return pageY_; }
  // Size of the off-screen buffer: the drawing area plus s(100) each way.
  int bufferWidth() const { return area_.width() + sx(100); }
  int bufferHeight() const { return area_.height() + sy(100); }

  VisibleRange visibleColumns(int x, int width) const;
  VisibleRange visibleRows(int y, int height) const;

  // The cells of the last redraw, in drawing order: corner, heading row,
  // heading column, body.
  const std::vector<DrawnCell>& frame() const { return frame_; }
  // The grid's cell for a real key (null when it has none yet).
  const GridCell* cell(CellKey realKey) const;
  // Goes up whenever the measured cells are dropped (a model with another
  // shown item), so that whoever keeps data by cell key knows to drop it too.
  uint64_t cellGeneration() const { return cellGeneration_; }
  // Cells drawn without a stored column width (drawn 0 wide).
  uint64_t widthErrors() const { return widthErrors_; }
  TableSource* source() const { return source_; }

 private:
  struct Hit {
    bool inside = false;
    uint32_t row = 0;
    uint32_t column = 0;
    Rect rect;
    bool cutOff = false;
  };
  GridCell& cellFor(uint32_t v, uint32_t w);
  void computeFrame();
  void layOut();
  void scrollToCursor();
  int rowHeightFor(int fontHeight) const;
  void computeColumnWidths(int available);
  int visibleColumnWidth(uint32_t w) const;
  DrawnCell drawCell(uint32_t v, uint32_t w, int x, int y, int cx, int cy, bool highlight);
  Hit cellUnder(int p, int q) const;
  bool scroll(ScrollBarState& bar, int& position, int lineStep, int page, ScrollCode code, int thumb);
  void hidePopup() {
    if (hidePopup_) hidePopup_();
  }
  template <typename Size>
  static VisibleRange range(uint32_t count, Size size, int position, int extent, int head);

  ScreenDpi dpi_;
  TableSource* source_ = nullptr;
  CellMeasurer* measurer_ = nullptr;
  std::function<void()> hidePopup_;
  std::function<void()> afterRender_;
  ObjectIndex shownItem_ = 0;
  int rowHeight_ = 0;
  std::map<uint32_t, int> columnWidths_;
  int totalWidth_ = 0;
  std::map<CellKey, GridCell> cells_;
  LinkAreaList links_;
  std::set<uint32_t> selectedRows_;
  std::set<uint32_t> selectedColumns_;
  bool compareActive_ = false;
  int scrollX_ = 0;
  int scrollY_ = 0;
  uint32_t cursorRow_ = 1;
  uint32_t cursorColumn_ = 1;
  Rect client_;
  Rect area_;
  Rect screen_;
  int originX_ = 0;
  int originY_ = 0;
  int mask_ = 0;
  ScrollBarState vbar_;
  ScrollBarState hbar_;
  bool cornerShown_ = false;
  Rect cornerBox_;
  int lineStepX_ = 0;
  int pageX_ = 0;
  int pageY_ = 0;
  std::vector<DrawnCell> frame_;
  uint64_t widthErrors_ = 0;
  uint64_t cellGeneration_ = 0;
  bool placeKept_ = false;
  bool scrolledToCursor_ = false;  // the last scroll was the cursor's
  GridPlace keptPlace_;
};

}  // namespace vantrel
