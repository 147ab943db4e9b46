#include <gtest/gtest.h>

#include <algorithm>

#include "TableFixture.h"
#include "core/platform/FixedMetricsSurface.h"
#include "core/tables/TableGridPainter.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The guide font on the test surface at 96 dpi: 16 pixels high, 8 wide per
// character (9 bold), texts 3 + 3 + 1 wider for the renderer's margins; rows
// 20 high. In a 120-pixel client the columns are 29, 76 and 22 wide (127:
// a horizontal bar, nothing shared out).
//   row 0:  ""      "Amoxicillin" (95 wide: cut at 76)   "<b>B</b>"
//   row 1:  "r1"    "x"                                  "<a href="42">§</a>"
//   row 2:  "r2"    "y"                                  "z"
struct Painted {
  Painted() : table({{u"", u"Amoxicillin", u"<b>B</b>"}, {u"r1", u"x", u"<a href=\"42\">\u00A7</a>"}, {u"r2", u"y", u"z"}}),
              painter(grid) {
    painter.setMeasuringSurface(&buffer);
    grid.setAfterRender([this] {
      buffer.clearCalls();
      painter.paint(buffer);
    });
    grid.setScreenOrigin(100, 200);
    grid.setSource(&table, painter.font().height);
    grid.setClientRect({0, 0, 120, 200});
    grid.relayout();
  }
  std::vector<FixedMetricsSurface::Call> calls(FixedMetricsSurface::CallKind kind) const {
    std::vector<FixedMetricsSurface::Call> out;
    for (const auto& c : buffer.calls()) {
      if (c.kind == kind) out.push_back(c);
    }
    return out;
  }
  MemoryTable table;
  TableGrid grid;
  FixedMetricsSurface buffer{400, 400};
  TableGridPainter painter;
};

}  // namespace

TEST(TableGridPainter, MeasuresOnceAndDrawsLinesAndTheTriangle) {
  Painted p;
  EXPECT_EQ(p.grid.rowHeight(), 20);
  EXPECT_EQ(p.grid.columnWidth(0), 29);  // "r2": 16 + 7, + 6
  EXPECT_EQ(p.grid.columnWidth(1), 76);
  EXPECT_EQ(p.grid.columnWidth(2), 22);
  // Parsed once: the block measured for the layout is the one drawn.
  const TextBlock* block = p.painter.block(cellKey(0, 2));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(block->parsed);
  p.grid.renderBuffer();
  EXPECT_EQ(p.painter.block(cellKey(0, 2)), block);

  const auto fills = p.calls(FixedMetricsSurface::CallKind::Fill);
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, p.grid.bufferWidth(), p.grid.bufferHeight()}));
  EXPECT_EQ(fills[0].colour, 0xFFFFFFu);
  const auto lines = p.calls(FixedMetricsSurface::CallKind::Polyline);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].points, (std::vector<Point>{{0, 19}, {28, 19}, {28, -1}}));  // the corner's edges
  EXPECT_EQ(lines[0].colour, kGridLineColour);

  // The cut-off heading: a black triangle in its lower right corner, and the mark for taps.
  const auto triangles = p.calls(FixedMetricsSurface::CallKind::Polygon);
  ASSERT_EQ(triangles.size(), 1u);
  EXPECT_EQ(triangles[0].points, (std::vector<Point>{{99, 19}, {104, 19}, {104, 14}}));
  EXPECT_EQ(triangles[0].colour, 0x000000u);
  EXPECT_EQ(triangles[0].outline, kGridLineColour);
  EXPECT_TRUE(p.grid.cell(cellKey(0, 1))->cutOff);
  EXPECT_TRUE(p.painter.block(cellKey(0, 1))->truncated);
  EXPECT_FALSE(p.grid.cell(cellKey(0, 2))->cutOff);
  // A tap near the triangle shows the whole heading.
  EXPECT_EQ(p.grid.tap(95, 10).kind, GridTap::Kind::SelectionChanged);  // 10 from the edge
  EXPECT_EQ(p.grid.selectedColumns(), (std::set<uint32_t>{1}));
  const GridTap t = p.grid.tap(100, 10);
  EXPECT_EQ(t.kind, GridTap::Kind::Popup);
  EXPECT_EQ(t.text, u"Amoxicillin");
}

TEST(TableGridPainter, LinksInCellsAreTapped) {
  Painted p;
  ASSERT_EQ(p.grid.links().size(), 1u);
  const auto& link = p.grid.links().entries()[0];
  EXPECT_EQ(link.linkId, 42);
  EXPECT_EQ(link.rect.left, 100 + 105 + 3);  // column 2 starts at 29 + 76, the origin at (100, 200)
  EXPECT_EQ(link.rect.top, 200 + 20 + 1);  // the top margin
  const GridTap t = p.grid.tap(link.rect.left - 100, link.rect.top - 200 + 1);
  EXPECT_EQ(t.kind, GridTap::Kind::Link);
  EXPECT_EQ(t.target, 42u);
}

TEST(TableGridPainter, SelectedBodyCellsAreInverted) {
  Painted p;
  p.grid.tap(5, 25);  // row 1
  ASSERT_EQ(p.grid.selectedRows(), (std::set<uint32_t>{1}));
  const auto fills = p.calls(FixedMetricsSurface::CallKind::Fill);
  auto fillAt = [&](const Rect& r) {
    const auto it = std::find_if(fills.begin(), fills.end(), [&](const auto& c) { return c.rect == r; });
    return it == fills.end() ? 0xFFFFFFFFu : it->colour;
  };
  EXPECT_EQ(fillAt({29, 20, 105, 40}), 0x000000u);  // body cell (1, 1): white complemented
  EXPECT_EQ(fillAt({0, 20, 29, 40}), 0xFFD700u);     // its heading is not highlighted
  EXPECT_EQ(fillAt({29, 40, 105, 60}), 0xFFFFFFu);   // row 2 is not
  EXPECT_TRUE(p.painter.block(cellKey(1, 1))->inverted);
  // Deselected: back to white.
  p.grid.tap(5, 25);
  EXPECT_FALSE(p.painter.block(cellKey(1, 1))->inverted);
}

TEST(TableGridPainter, TheFirstScrolledColumnIsCopiedFromItsVisiblePart) {
  Painted p;
  ASSERT_EQ(p.grid.scrollBarMask(), 2);
  ASSERT_EQ(p.grid.links().size(), 1u);
  const int linkLeft = p.grid.links().entries()[0].rect.left;
  ASSERT_TRUE(p.grid.scrollHorizontal(ScrollCode::ThumbTrack, 10));  // stops at 127 - 120
  ASSERT_EQ(p.grid.scrollX(), 7);
  const auto copies = p.calls(FixedMetricsSurface::CallKind::Copy);
  ASSERT_FALSE(copies.empty());
  // Heading row first: column 1 from x = 7 of its 76 x 20, drawn at (29, 0).
  EXPECT_EQ(copies[0].sourceRect, (Rect{7, 0, 76, 20}));
  EXPECT_EQ(copies[0].rect, (Rect{29, 0, 98, 20}));
  // Column 2 follows unclipped at 29 + 69; its link moved with it.
  ASSERT_EQ(p.grid.links().size(), 1u);
  EXPECT_EQ(p.grid.links().entries()[0].rect.left, linkLeft - 7);
}

TEST(TableGridPainter, AnotherTableDropsTheParsedCells) {
  Painted p;
  ASSERT_NE(p.painter.block(cellKey(0, 1)), nullptr);
  MemoryTable other({{u"", u"Other"}, {u"row", u"cell"}}, 9);
  p.grid.setSource(&other, p.painter.font().height);
  p.grid.relayout();
  ASSERT_NE(p.painter.block(cellKey(0, 1)), nullptr);
  EXPECT_EQ(p.painter.block(cellKey(0, 1))->text, u"Other");
}
