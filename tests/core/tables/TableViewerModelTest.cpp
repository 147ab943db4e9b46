#include <gtest/gtest.h>

#include <set>

#include "TableFixture.h"
#include "core/platform/FixedMetricsSurface.h"
#include "core/tables/TableViewerModel.h"
#include "core/util/TextCodec.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The sample guide's whole table (5 rows, 4 columns) in a 240 x 300 grid:
// rows are 20 pixels high; taps at x = 5 select rows, taps on the heading
// row select columns.
class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer.grid().setMeasurer(&measurer);
    viewer.grid().setClientRect({0, 0, 240, 300});
    ASSERT_TRUE(viewer.show(g[u"Whole"]));
    viewer.grid().relayout();
  }
  void tapRow(uint32_t visibleRow) { viewer.tap(5, int(visibleRow) * 20 + 5); }
  // The middle of visible column w on the heading row.
  void tapColumn(uint32_t w) {
    int x = 0;
    for (uint32_t i = 0; i < w; ++i) x += viewer.grid().columnWidth(viewer.model().columnAt(i));
    viewer.tap(x + 3, 10);
  }

  SampleGuide g;
  FixedMeasurer measurer;
  TableViewerModel viewer{g.db};
};

}  // namespace

TEST_F(Viewer, ShowAndRefuse) {
  EXPECT_EQ(viewer.title(), u"Whole");
  EXPECT_EQ(viewer.model().rowCount(), 6u);
  EXPECT_FALSE(viewer.show(g[u"Rows"]));
  EXPECT_FALSE(viewer.show(g[u"h1"]));
  EXPECT_EQ(viewer.title(), u"Whole");  // a refusal changes nothing
  EXPECT_EQ(viewer.model().shownItem(), g[u"Whole"]);
  const TableAction key = viewer.command(kTableKeyButton);
  EXPECT_EQ(key.kind, TableAction::Kind::Navigate);
  EXPECT_EQ(key.target, g[u"key"]);
  EXPECT_EQ(viewer.command(999).kind, TableAction::Kind::Nothing);
  ASSERT_TRUE(viewer.show(g[u"w1"]));
  EXPECT_EQ(viewer.command(kTableKeyButton).target, 0u);  // no key: object 0
}

TEST_F(Viewer, CompareNeedsRowsAndColumns) {
  tapRow(2);
  tapRow(5);
  ASSERT_EQ(viewer.grid().selectedRows(), (std::set<uint32_t>{2, 5}));
  EXPECT_EQ(viewer.command(kTableCompareButton).kind, TableAction::Kind::Nothing);
  EXPECT_FALSE(viewer.grid().compareActive());
  EXPECT_EQ(viewer.grid().selectedRows(), (std::set<uint32_t>{2, 5}));  // kept
  EXPECT_EQ(viewer.model().rowCount(), 6u);
}

TEST_F(Viewer, RestoreBeforeCompareDoesNothing) {
  tapRow(3);
  tapColumn(2);
  EXPECT_EQ(viewer.command(kTableRestoreButton).kind, TableAction::Kind::Nothing);
  EXPECT_EQ(viewer.grid().selectedRows(), (std::set<uint32_t>{3}));
  EXPECT_EQ(viewer.grid().selectedColumns(), (std::set<uint32_t>{2}));
}

TEST_F(Viewer, CompareNarrowsAndRestoreBringsEverythingBack) {
  tapRow(5);
  tapRow(2);
  tapColumn(3);
  ASSERT_EQ(viewer.grid().selectedColumns(), (std::set<uint32_t>{3}));
  EXPECT_EQ(viewer.command(kTableCompareButton).kind, TableAction::Kind::Redraw);
  EXPECT_TRUE(viewer.grid().compareActive());
  EXPECT_TRUE(viewer.grid().selectedRows().empty());
  EXPECT_TRUE(viewer.grid().selectedColumns().empty());
  EXPECT_EQ(viewer.model().rowCount(), 3u);
  EXPECT_EQ(viewer.model().columnCount(), 2u);
  TableCell c;
  ASSERT_TRUE(viewer.model().cellAt(1, 1, c));
  EXPECT_EQ(c.text, u"r2c3");

  // A body tap: the popup with the cell's place in the table.
  const int x = viewer.grid().columnWidth(0) + 3;
  TableAction popup = viewer.tap(x, 45);
  EXPECT_EQ(popup.kind, TableAction::Kind::Popup);
  EXPECT_EQ(popup.text, u"Rows, G2, r5 / Cols, CG2, c3\nr5c3");

  // Narrow again from what is shown: row 5 only.
  tapRow(2);
  tapColumn(1);
  viewer.command(kTableCompareButton);
  EXPECT_EQ(viewer.model().rowCount(), 2u);
  EXPECT_EQ(viewer.model().rowAt(1), 5u);

  EXPECT_EQ(viewer.command(kTableRestoreButton).kind, TableAction::Kind::Redraw);
  EXPECT_FALSE(viewer.grid().compareActive());
  EXPECT_EQ(viewer.model().rowCount(), 6u);
  EXPECT_EQ(viewer.model().columnCount(), 5u);
  EXPECT_EQ(viewer.command(kTableRestoreButton).kind, TableAction::Kind::Nothing);
}

TEST_F(Viewer, ShowingATableEndsCompare) {
  // Another table, and the same table again (Back then Forward), are
  // rebuilt with everything visible: Compare is over.
  for (const char16_t* name : {u"G1", u"Whole"}) {
    SCOPED_TRACE(toUtf8(name));
    ASSERT_TRUE(viewer.show(g[u"Whole"]));
    viewer.grid().relayout();
    tapRow(1);
    tapColumn(1);
    ASSERT_EQ(viewer.command(kTableCompareButton).kind, TableAction::Kind::Redraw);
    ASSERT_TRUE(viewer.grid().compareActive());
    ASSERT_TRUE(viewer.show(g[name]));
    viewer.grid().relayout();
    EXPECT_FALSE(viewer.grid().compareActive());
    EXPECT_EQ(viewer.model().rowCount(), name == std::u16string(u"G1") ? 5u : 6u);
    // Restore has nothing to bring back.
    EXPECT_EQ(viewer.command(kTableRestoreButton).kind, TableAction::Kind::Nothing);
  }
}

TEST(ViewerPainting, TheWholeTableIsDrawnThroughThePainter) {
  SampleGuide g;
  TableViewerModel viewer(g.db);
  FixedMetricsSurface buffer(400, 400);
  viewer.painter().setMeasuringSurface(&buffer);
  viewer.grid().setAfterRender([&] {
    buffer.clearCalls();
    viewer.painter().paint(buffer);
  });
  viewer.grid().setClientRect({0, 0, 240, 300});
  ASSERT_TRUE(viewer.show(g[u"Whole"]));
  viewer.grid().relayout();
  EXPECT_EQ(viewer.grid().rowHeight(), 20);
  EXPECT_EQ(viewer.grid().widthErrors(), 0u);
  std::set<std::u16string> drawn;
  for (const auto& c : buffer.textCalls()) drawn.insert(c.text);
  for (const char16_t* text : {u"c1", u"c4", u"r1", u"r5", u"r4c3", u"r3c2"}) {
    EXPECT_TRUE(drawn.count(text)) << std::string(text, text + std::char_traits<char16_t>::length(text));
  }
}
