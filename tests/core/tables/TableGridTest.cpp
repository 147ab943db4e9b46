#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TableFixture.h"
#include "core/tables/TableGrid.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

constexpr char16_t kLong[] = u"abcdefghijklmnopq";  // 17 characters: 86 pixels, more than 76

// A grid at 96 dpi over a memory table, with the fixed measurer.
struct Grid {
  explicit Grid(std::vector<std::vector<std::u16string>> texts, Rect client, int dpi = 96)
      : table(std::move(texts)), grid(dpi, dpi) {
    grid.setMeasurer(&measurer);
    grid.setHidePopup([this] { ++hides; });
    grid.setSource(&table, 0);
    grid.setClientRect(client);
    grid.relayout();
  }
  const DrawnCell* drawn(uint32_t row, uint32_t column) const {
    for (const DrawnCell& d : grid.frame()) {
      if (d.row == row && d.column == column) return &d;
    }
    return nullptr;
  }
  MemoryTable table;
  FixedMeasurer measurer;
  TableGrid grid;
  int hides = 0;
};

std::vector<std::vector<std::u16string>> wideHeadings(uint32_t rows, uint32_t columns) {
  auto texts = uniformTexts(rows, columns);
  for (uint32_t c = 1; c < columns; ++c) texts[0][c] = kLong;
  return texts;
}

}  // namespace

TEST(TableGrid, RowHeightFromTheFont) {
  MemoryTable t(uniformTexts(2, 2));
  TableGrid g96(96, 96), g192(192, 192);
  g96.setSource(&t, 0);
  EXPECT_EQ(g96.rowHeight(), 20);  // 16 + 4
  g192.setSource(&t, 0);
  EXPECT_EQ(g192.rowHeight(), 40);  // (195 * 16) / 96 = 32, + 4 * 2
  g96.setSource(&t, -13);
  EXPECT_EQ(g96.rowHeight(), 17);
}

TEST(TableGrid, VerticalBarOnlyWhenTheRowsDoNotFit) {
  // Five rows of 20 pixels in 100 pixels fit exactly: no bar.
  Grid exact(uniformTexts(5, 3), {0, 0, 200, 100});
  EXPECT_EQ(exact.grid.scrollBarMask(), 0);
  EXPECT_FALSE(exact.grid.verticalBar().shown);
  EXPECT_EQ(exact.grid.drawingArea(), (Rect{0, 0, 200, 100}));
  // 152 spare pixels over three 16-pixel columns: 50 each, 2 more to column 0.
  EXPECT_EQ(exact.grid.columnWidth(0), 68);
  EXPECT_EQ(exact.grid.columnWidth(1), 66);
  EXPECT_EQ(exact.grid.totalWidth(), 200);

  // One pixel less: the bar takes s(13) from the right.
  Grid over(uniformTexts(5, 3), {0, 0, 200, 99});
  EXPECT_EQ(over.grid.scrollBarMask(), 1);
  EXPECT_EQ(over.grid.drawingArea(), (Rect{0, 0, 187, 99}));
  const ScrollBarState& bar = over.grid.verticalBar();
  EXPECT_TRUE(bar.shown);
  EXPECT_EQ(bar.maximum, 100);
  EXPECT_EQ(bar.page, 99);
  EXPECT_EQ(bar.position, 0);
  EXPECT_EQ(bar.rect, (Rect{187, 0, 200, 99}));
  EXPECT_EQ(over.grid.totalWidth(), 187);  // the spare width is what the bar leaves
  EXPECT_FALSE(over.grid.cornerBoxShown());
}

TEST(TableGrid, SpareWidthSharedWithTheRemainderToColumnZero) {
  Grid g(uniformTexts(3, 3), {0, 0, 58, 200});
  EXPECT_EQ(g.grid.columnWidth(0), 20);
  EXPECT_EQ(g.grid.columnWidth(1), 19);
  EXPECT_EQ(g.grid.columnWidth(2), 19);
  EXPECT_EQ(g.grid.totalWidth(), 58);
  EXPECT_EQ(g.grid.scrollBarMask(), 0);

  // Widths that fill the area exactly still get a bar, with nothing to scroll.
  Grid full(uniformTexts(3, 3), {0, 0, 48, 200});
  EXPECT_EQ(full.grid.scrollBarMask(), 2);
  EXPECT_EQ(full.grid.drawingArea(), (Rect{0, 0, 48, 187}));
  EXPECT_EQ(full.grid.horizontalBar().maximum, 48);
  EXPECT_EQ(full.grid.horizontalBar().page, 48);
  EXPECT_FALSE(full.grid.scrollHorizontal(ScrollCode::LineDown));
  EXPECT_EQ(full.grid.scrollX(), 0);
}

TEST(TableGrid, ColumnWidthsFromHeadingsAndTheHeadingColumn) {
  auto texts = uniformTexts(4, 3);
  texts[0][1] = u"abcdefgh";     // 41 + 6 = 47
  texts[2][1] = kLong;           // a data cell: never measured
  texts[3][0] = u"abcdefghijk";  // 56 + 6 = 62: the heading column takes its widest heading
  texts[0][2] = kLong;           // capped at 76
  Grid g(texts, {0, 0, 100, 200});
  EXPECT_EQ(g.grid.columnWidth(0), 62);
  EXPECT_EQ(g.grid.columnWidth(1), 47);
  EXPECT_EQ(g.grid.columnWidth(2), 76);
  EXPECT_EQ(g.grid.scrollBarMask(), 2);
  // At 192 dpi the limits double: 32 to 152.
  Grid high(uniformTexts(2, 2), {0, 0, 20, 400}, 192);
  EXPECT_EQ(high.grid.columnWidth(1), 32);
}

TEST(TableGrid, BothBarsAndTheCornerBox) {
  Grid g(wideHeadings(20, 6), {0, 0, 100, 100});
  EXPECT_EQ(g.grid.scrollBarMask(), 3);
  EXPECT_EQ(g.grid.drawingArea(), (Rect{0, 0, 87, 87}));
  EXPECT_TRUE(g.grid.cornerBoxShown());
  EXPECT_EQ(g.grid.cornerBox(), (Rect{87, 87, 100, 100}));
  EXPECT_EQ(g.grid.horizontalBar().rect, (Rect{0, 87, 87, 100}));
  EXPECT_EQ(g.grid.horizontalBar().maximum, 16 + 5 * 76);
  EXPECT_EQ(g.grid.bufferWidth(), 187);
  EXPECT_EQ(g.grid.bufferHeight(), 187);
}

TEST(TableGrid, ScrollingStopsAtTheLimits) {
  Grid g(uniformTexts(10, 3), {0, 0, 100, 100});
  TableGrid& grid = g.grid;
  ASSERT_EQ(grid.scrollBarMask(), 1);
  EXPECT_FALSE(grid.scrollVertical(ScrollCode::LineUp));  // at the top
  EXPECT_TRUE(grid.scrollVertical(ScrollCode::LineDown));
  EXPECT_EQ(grid.scrollY(), 20);
  EXPECT_TRUE(grid.scrollVertical(ScrollCode::ThumbTrack, 500));  // beyond the maximum 200 - 100
  EXPECT_EQ(grid.scrollY(), 100);
  EXPECT_EQ(grid.verticalBar().position, 100);
  EXPECT_FALSE(grid.scrollVertical(ScrollCode::LineDown));
  EXPECT_FALSE(grid.scrollVertical(ScrollCode::PageDown));
  EXPECT_EQ(grid.scrollY(), 100);
  EXPECT_TRUE(grid.scrollVertical(ScrollCode::LineUp));
  EXPECT_EQ(grid.scrollY(), 80);
  // Rows 5 to 8 are drawn at 80: the page is 80 pixels, cut at the maximum.
  EXPECT_EQ(grid.pageY(), 80);
  EXPECT_TRUE(grid.scrollVertical(ScrollCode::PageDown));
  EXPECT_EQ(grid.scrollY(), 100);
  EXPECT_TRUE(grid.scrollVertical(ScrollCode::PageUp));
  EXPECT_EQ(grid.scrollY(), 20);
  EXPECT_TRUE(grid.scrollVertical(ScrollCode::ThumbPosition, -5));
  EXPECT_EQ(grid.scrollY(), 0);
  EXPECT_FALSE(grid.scrollVertical(ScrollCode::Other));
  // No horizontal bar: its messages do nothing.
  EXPECT_FALSE(grid.scrollHorizontal(ScrollCode::LineDown));
  EXPECT_GE(g.hides, 9);  // every scroll message hides the popup
  // A new layout goes back to the top-left corner.
  grid.scrollVertical(ScrollCode::ThumbTrack, 60);
  grid.relayout();
  EXPECT_EQ(grid.scrollY(), 0);
  EXPECT_EQ(grid.verticalBar().position, 0);
}

TEST(TableGrid, VisibleRanges) {
  Grid g(uniformTexts(10, 3), {0, 0, 100, 100});
  // Rows: the first reaching past the position, clipped, to the one reaching the far edge.
  EXPECT_EQ(g.grid.visibleRows(0, 100), (VisibleRange{false, 1, 4, 0}));
  EXPECT_EQ(g.grid.visibleRows(30, 100), (VisibleRange{false, 2, 6, 10}));
  EXPECT_EQ(g.grid.visibleRows(100, 100), (VisibleRange{false, 6, 9, 0}));
  EXPECT_TRUE(g.grid.visibleRows(180, 100).empty);  // scrolled past every row

  // Columns: a first data column wider than the heading column still lets
  // the next one be drawn when it reaches into view.
  Grid wide(wideHeadings(3, 4), {0, 0, 100, 200});
  ASSERT_EQ(wide.grid.columnWidth(0), 16);
  ASSERT_EQ(wide.grid.columnWidth(1), 76);
  EXPECT_EQ(wide.grid.visibleColumns(0, 100), (VisibleRange{false, 1, 2, 0}));
  EXPECT_EQ(wide.grid.visibleColumns(80, 100), (VisibleRange{false, 2, 3, 4}));

  // A table without data rows or columns draws no data cells.
  Grid headingsOnly(uniformTexts(1, 1, u"x"), {0, 0, 100, 100});
  EXPECT_TRUE(headingsOnly.grid.visibleColumns(0, 100).empty);
  EXPECT_EQ(headingsOnly.grid.frame().size(), 1u);  // the corner
}

TEST(TableGrid, FrameClipsTheFirstColumnAndHighlightsTheBody) {
  Grid g(wideHeadings(4, 4), {0, 0, 100, 200});
  TableGrid& grid = g.grid;
  ASSERT_EQ(grid.scrollBarMask(), 2);
  EXPECT_EQ(grid.tap(5, 45).kind, GridTap::Kind::SelectionChanged);  // row 2
  EXPECT_EQ(grid.selectedRows(), (std::set<uint32_t>{2}));
  const DrawnCell* heading = g.drawn(2, 0);
  ASSERT_NE(heading, nullptr);
  EXPECT_FALSE(heading->highlight);
  ASSERT_NE(g.drawn(2, 1), nullptr);
  EXPECT_TRUE(g.drawn(2, 1)->highlight);
  EXPECT_FALSE(g.drawn(1, 1)->highlight);
  EXPECT_TRUE(grid.cell(cellKey(2, 1))->inverted);
  EXPECT_EQ(grid.cell(cellKey(2, 1))->shownBackground(), 0x000000u);
  EXPECT_FALSE(grid.cell(cellKey(1, 1))->inverted);

  // Scrolled 30 pixels sideways: the first data column is drawn from its
  // clipped part onward; the heading column stays.
  ASSERT_TRUE(grid.scrollHorizontal(ScrollCode::ThumbTrack, 30));
  const DrawnCell* first = g.drawn(0, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->x, 16);
  EXPECT_EQ(first->clipX, 30);
  EXPECT_EQ(first->width, 76);
  EXPECT_EQ(g.drawn(0, 2)->x, 16 + 46);
  EXPECT_EQ(g.drawn(0, 2)->clipX, 0);
  EXPECT_EQ(g.drawn(2, 0)->x, 0);
  EXPECT_EQ(grid.lineStepX(), 76);
  EXPECT_EQ(grid.pageX(), 46 + 76);
  // The heading is cut off (86 > 76); a narrow data cell is not.
  EXPECT_TRUE(grid.cell(cellKey(0, 1))->cutOff);
  EXPECT_FALSE(grid.cell(cellKey(1, 1))->cutOff);
}

TEST(TableGrid, CornerTapSelectsEverythingThenClears) {
  Grid g(uniformTexts(4, 3), {0, 0, 200, 200});
  TableGrid& grid = g.grid;
  EXPECT_EQ(grid.tap(5, 5).kind, GridTap::Kind::SelectionChanged);
  EXPECT_EQ(grid.selectedRows(), (std::set<uint32_t>{1, 2, 3}));
  EXPECT_EQ(grid.selectedColumns(), (std::set<uint32_t>{1, 2}));
  grid.tap(5, 5);
  EXPECT_TRUE(grid.selectedRows().empty());
  EXPECT_TRUE(grid.selectedColumns().empty());
  // With only part selected, the corner completes the selection.
  grid.tap(5, 30);  // row 1
  grid.tap(5, 5);
  EXPECT_EQ(grid.selectedRows().size(), 3u);
  EXPECT_EQ(grid.selectedColumns().size(), 2u);
  // The selection holds real indices.
  g.table.show({0, 2, 3}, {0, 2});
  grid.clearSelection();
  grid.relayout();
  grid.tap(5, 5);
  EXPECT_EQ(grid.selectedRows(), (std::set<uint32_t>{2, 3}));
  EXPECT_EQ(grid.selectedColumns(), (std::set<uint32_t>{2}));
}

TEST(TableGrid, TriangleVersusHeadingToggle) {
  auto texts = wideHeadings(4, 3);
  texts[2][0] = kLong;  // a cut-off row heading
  Grid g(texts, {0, 0, 100, 200});
  TableGrid& grid = g.grid;
  ASSERT_EQ(grid.columnWidth(0), 76);
  ASSERT_EQ(grid.columnWidth(1), 76);  // column 1 spans x 76 to 152 (area 0 to 100)

  // Scroll so that column 1's right edge is in view.
  ASSERT_TRUE(grid.scrollHorizontal(ScrollCode::ThumbTrack, 60));
  ASSERT_EQ(grid.scrollX(), 60);
  // Column 1 is now shown from 16 to 92, partly under the heading column
  // (0 to 76, where the heading row is the corner); within s(8) of its right
  // edge: the full text.
  GridTap t = grid.tap(90, 10);
  EXPECT_EQ(t.kind, GridTap::Kind::Popup);
  EXPECT_FALSE(t.cellPopup);
  EXPECT_EQ(t.text, kLong);
  EXPECT_EQ(t.anchor, (Rect{16, 0, 92, 20}));
  EXPECT_TRUE(grid.selectedColumns().empty());
  // Elsewhere on it: the column is selected, and a second tap deselects it.
  EXPECT_EQ(grid.tap(80, 10).kind, GridTap::Kind::SelectionChanged);
  EXPECT_EQ(grid.selectedColumns(), (std::set<uint32_t>{1}));
  grid.tap(80, 10);
  EXPECT_TRUE(grid.selectedColumns().empty());

  // The heading column: row 2 is cut off.
  t = grid.tap(72, 45);
  EXPECT_EQ(t.kind, GridTap::Kind::Popup);
  EXPECT_EQ(t.text, kLong);
  EXPECT_EQ(t.anchor, (Rect{0, 40, 76, 60}));
  EXPECT_EQ(grid.tap(10, 45).kind, GridTap::Kind::SelectionChanged);
  EXPECT_EQ(grid.selectedRows(), (std::set<uint32_t>{2}));
  // Row 1 is not cut off: near its right edge it toggles too.
  grid.tap(72, 25);
  EXPECT_EQ(grid.selectedRows(), (std::set<uint32_t>{1, 2}));
}

TEST(TableGrid, BodyTapsShowThePopupAndNeverSelect) {
  Grid g(wideHeadings(4, 4), {0, 0, 100, 200});
  TableGrid& grid = g.grid;
  grid.tap(5, 25);  // select row 1
  const auto rows = grid.selectedRows();
  ASSERT_TRUE(grid.scrollHorizontal(ScrollCode::ThumbTrack, 30));
  const int hides = g.hides;
  GridTap t = grid.tap(20, 65);  // x + 30 = 50: column 1; row 3
  EXPECT_EQ(t.kind, GridTap::Kind::Popup);
  EXPECT_TRUE(t.cellPopup);
  EXPECT_EQ(t.key, cellKey(3, 1));
  EXPECT_EQ(t.anchor, (Rect{16 - 30, 60, 92 - 30, 80}));
  EXPECT_EQ(grid.selectedRows(), rows);
  EXPECT_TRUE(grid.selectedColumns().empty());
  EXPECT_EQ(g.hides, hides + 1);
}

TEST(TableGrid, TapsBeyondTheTableOnlyHideThePopup) {
  Grid g(uniformTexts(3, 3), {0, 0, 300, 300});
  TableGrid& grid = g.grid;
  ASSERT_EQ(grid.totalWidth(), 300);
  g.table.show({0, 1, 2}, {0, 1, 2});
  // Below the last row (3 x 20) and right of the last column.
  const int hides = g.hides;
  EXPECT_EQ(grid.tap(30, 61).kind, GridTap::Kind::Nothing);
  EXPECT_EQ(grid.tap(301, 10).kind, GridTap::Kind::Nothing);
  EXPECT_EQ(grid.tap(5, 200).kind, GridTap::Kind::Nothing);
  EXPECT_EQ(g.hides, hides + 3);
  EXPECT_TRUE(grid.selectedRows().empty());
  EXPECT_TRUE(grid.selectedColumns().empty());

  // Narrower widths: right of the last column, on the heading row, is no column.
  Grid narrow(uniformTexts(3, 3), {0, 0, 40, 300});
  ASSERT_EQ(narrow.grid.totalWidth(), 48);
  narrow.grid.setClientRect({0, 0, 60, 300});  // the window grew; no new layout yet
  EXPECT_EQ(narrow.grid.tap(48, 10).kind, GridTap::Kind::Nothing);
  EXPECT_TRUE(narrow.grid.selectedColumns().empty());
}

TEST(TableGrid, LinksAreHitInScreenCoordinates) {
  Grid g(uniformTexts(3, 3), {0, 0, 200, 200});
  g.grid.setScreenOrigin(100, 200);
  g.grid.links().append({110, 225, 120, 235}, 42);
  GridTap t = g.grid.tap(12, 27);
  EXPECT_EQ(t.kind, GridTap::Kind::Link);
  EXPECT_EQ(t.target, 42u);
  EXPECT_TRUE(g.grid.selectedRows().empty());
  // A redraw rebuilds the link areas.
  g.grid.renderBuffer();
  EXPECT_TRUE(g.grid.links().empty());
}

TEST(TableGrid, SourcesAndMeasuring) {
  Grid g(wideHeadings(3, 3), {0, 0, 200, 200});
  const int measured = g.measurer.calls;
  EXPECT_GT(measured, 0);
  g.grid.tap(5, 25);
  g.grid.relayout();
  EXPECT_EQ(g.measurer.calls, measured);  // each cell is measured once
  // The same shown item again keeps the selection and the measured cells.
  g.grid.setSource(&g.table, 0);
  g.grid.relayout();
  EXPECT_EQ(g.grid.selectedRows(), (std::set<uint32_t>{1}));
  EXPECT_EQ(g.measurer.calls, measured);
  // Another item drops them.
  MemoryTable other(wideHeadings(3, 3), 7);
  g.grid.setSource(&other, 0);
  EXPECT_TRUE(g.grid.selectedRows().empty());
  EXPECT_EQ(g.grid.columnWidth(1), -1);
  // A redraw before any layout draws cells 0 wide.
  g.grid.renderBuffer();
  EXPECT_GT(g.grid.widthErrors(), 0u);
  for (const DrawnCell& d : g.grid.frame()) EXPECT_EQ(d.width, 0);
}

TEST(TableGrid, ScreenChangeLaysOutAgain) {
  Grid g(uniformTexts(10, 3), {0, 0, 100, 100});
  EXPECT_FALSE(g.grid.screenChanged({0, 0, 240, 320}));  // the first is only saved
  g.grid.scrollVertical(ScrollCode::LineDown);
  EXPECT_FALSE(g.grid.screenChanged({0, 0, 240, 320}));
  EXPECT_EQ(g.grid.scrollY(), 20);
  EXPECT_FALSE(g.grid.screenChanged({}));
  EXPECT_TRUE(g.grid.screenChanged({0, 0, 320, 240}));
  EXPECT_EQ(g.grid.scrollY(), 0);
}

namespace {
// A screen whose resolution changes, as the reader's zoom changes it.
class ZoomedScreen : public ScreenInfo {
 public:
  int dpiX() const override { return dpi; }
  int dpiY() const override { return dpi; }
  Size screenSize() const override { return {240, 320}; }
  Rect visibleDesktopArea() const override { return {0, 0, 240, 320}; }
  int dpi = 96;
};
}  // namespace

TEST(TableGrid, ARescaleKeepsThePlaceTheCursorAndTheSelection) {
  ZoomedScreen screen;
  MemoryTable table(uniformTexts(20, 12));
  FixedMeasurer measurer;
  TableGrid grid{ScreenDpi(screen)};
  grid.setMeasurer(&measurer);
  grid.setSource(&table, 0);
  grid.setClientRect({0, 0, 100, 100});
  grid.relayout();
  ASSERT_EQ(grid.scrollBarMask(), 3);
  auto zoomTo = [&](int dpi, Rect client) {
    screen.dpi = dpi;
    grid.rescale(0);
    grid.setClientRect(client);
    grid.relayoutKeepingPlace();
  };

  // Row 2 selected; scrolled with the bar into row 4, 10 of its 20 pixels
  // away. At twice the resolution: row 4 first, half of it away.
  grid.tap(5, 2 * 20 + 5);  // the heading column's cell of row 2
  ASSERT_EQ(grid.selectedRows(), (std::set<uint32_t>{2}));
  grid.scrollVertical(ScrollCode::ThumbTrack, 70);
  const int measured = measurer.calls;
  zoomTo(192, {0, 0, 200, 200});
  EXPECT_EQ(grid.rowHeight(), 40);
  EXPECT_EQ(grid.scrollY(), 3 * 40 + 20);
  EXPECT_EQ(grid.verticalBar().position, grid.scrollY());
  EXPECT_EQ(grid.selectedRows(), (std::set<uint32_t>{2}));
  EXPECT_GT(measurer.calls, measured);  // the cells are measured again
  EXPECT_EQ(grid.cursorRow(), 1u);

  // The cursor moved last: its row and column come first, as the arrow keys
  // scrolled them, even where the old layout had no room to scroll.
  zoomTo(96, {0, 0, 100, 500});
  ASSERT_FALSE(grid.verticalBar().shown);  // every row fits
  grid.setCursor(5, 3);
  EXPECT_EQ(grid.scrollY(), 0);
  zoomTo(192, {0, 0, 200, 500});
  EXPECT_EQ(grid.cursorRow(), 5u);
  EXPECT_EQ(grid.cursorColumn(), 3u);
  EXPECT_EQ(grid.scrollY(), 4 * 40);
  EXPECT_EQ(grid.scrollX(), grid.columnWidth(1) + grid.columnWidth(2));

  // Near the end, the place goes as far as the bars reach; a relayout that
  // is no rescale keeps the place it has.
  zoomTo(96, {0, 0, 100, 100});
  grid.scrollVertical(ScrollCode::ThumbTrack, 10000);
  zoomTo(48, {0, 0, 100, 100});
  EXPECT_EQ(grid.scrollY(), grid.verticalBar().maximum - grid.verticalBar().page);
  const int kept = grid.scrollY();
  grid.relayoutKeepingPlace();
  EXPECT_EQ(grid.scrollY(), kept);
  // A plain relayout still starts from the top-left.
  grid.relayout();
  EXPECT_EQ(grid.scrollY(), 0);
}

TEST(TableGrid, LengthsRescaledEqualThoseMadeAtTheNewResolution) {
  for (int from : {96, 106, 120, 144, 192})
    for (int to : {48, 96, 106, 168, 192, 288})
      for (int n = 0; n <= 300; ++n)
        ASSERT_EQ(rescaleForDpi(scaleForDpi(n, from), from, to), scaleForDpi(n, to)) << n << " " << from << " " << to;
  EXPECT_EQ(rescaleForDpi(-16, 96, 192), -32);  // a character height keeps its sign
  EXPECT_EQ(rescaleForDpi(7, 96, 96), 7);
  EXPECT_EQ(rescaleForDpi(7, 0, 96), 7);  // no resolution: left as it is
}
