#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TableFixture.h"
#include "core/content/ContentQueries.h"
#include "core/content/ContentWriter.h"
#include "core/tables/TightCrtTable.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

class Tables : public ::testing::Test {
 protected:
  // The texts of the headings: row 0 (from column 1) and column 0 (from row 1).
  std::vector<std::u16string> columnHeadings(TightCrtTable& t) {
    std::vector<std::u16string> out;
    for (uint32_t w = 1; w < t.columnCount(); ++w) out.push_back(cell(t, 0, w).text);
    return out;
  }
  std::vector<std::u16string> rowHeadings(TightCrtTable& t) {
    std::vector<std::u16string> out;
    for (uint32_t v = 1; v < t.rowCount(); ++v) out.push_back(cell(t, v, 0).text);
    return out;
  }
  TableCell cell(TightCrtTable& t, uint32_t v, uint32_t w) {
    TableCell c;
    EXPECT_TRUE(t.cellAt(v, w, c)) << v << "," << w;
    return c;
  }

  SampleGuide g;
  using Texts = std::vector<std::u16string>;
};

}  // namespace

TEST_F(Tables, Acceptance) {
  TightCrtTable t(g.db);
  EXPECT_TRUE(t.accepts(g[u"Whole"]));  // first child a leaf
  EXPECT_TRUE(t.accepts(g[u"CG1"]));
  EXPECT_TRUE(t.accepts(g[u"c1"]));     // a leaf
  EXPECT_TRUE(t.accepts(g[u"G1"]));
  // The first child has children: refused, even though its other children are leaves.
  EXPECT_FALSE(t.accepts(g[u"Rows"]));
  EXPECT_FALSE(t.accepts(g[u"Cols"]));
  EXPECT_FALSE(t.accepts(g[u"Spectrum"]));  // the table itself
  EXPECT_FALSE(t.accepts(g[u"key"]));       // a field
  EXPECT_FALSE(t.accepts(g[u"h1"]));        // an item of an "html" table
  EXPECT_FALSE(t.accepts(0));
  EXPECT_FALSE(t.accepts(g.db.objectCount()));  // the first page-key object
  EXPECT_FALSE(t.accepts(0xFFFFFFFFu));
}

TEST_F(Tables, ArrangementTwoFromTheFirstItem) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"Whole"]);
  EXPECT_EQ(t.arrangement(), 2);
  EXPECT_EQ(t.table(), g[u"Spectrum"]);
  EXPECT_EQ(t.topItem(), g[u"Whole"]);
  EXPECT_EQ(t.rowCount(), 6u);
  EXPECT_EQ(t.columnCount(), 5u);
  EXPECT_EQ(columnHeadings(t), (Texts{u"c1", u"c2", u"c3", u"c4"}));
  EXPECT_EQ(rowHeadings(t), (Texts{u"r1", u"r2", u"r3", u"r4", u"r5"}));
  EXPECT_EQ(cell(t, 0, 0), (TableCell{0, u"", 0xC0C0C0}));
  EXPECT_EQ(cell(t, 0, 2).object, g[u"c2"]);
  EXPECT_EQ(cell(t, 4, 0).object, g[u"r4"]);
  const TableCell c = cell(t, 4, 3);
  EXPECT_EQ(c.text, u"r4c3");
  EXPECT_EQ(c.colour, 0xFFFFFFu);
  std::u16string stored;
  ASSERT_TRUE(textOf(g.db, c.object, stored));
  EXPECT_EQ(stored, u"r4c3");
  EXPECT_EQ(cell(t, 1, 4).text, u"r1c4");
  EXPECT_EQ(t.keyObject(), g[u"key"]);  // the first "field" child
  TableCell past;
  EXPECT_FALSE(t.cellAt(6, 0, past));
  EXPECT_FALSE(t.cellAt(0, 5, past));
}

TEST_F(Tables, ArrangementOneFromTheSecondItem) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"G1"]);
  EXPECT_EQ(t.arrangement(), 1);
  // Columns from the shown item, rows from the item after its top item.
  EXPECT_EQ(columnHeadings(t), (Texts{u"r1", u"r2"}));
  EXPECT_EQ(rowHeadings(t), (Texts{u"c1", u"c2", u"c3", u"c4"}));
  // Row r of a column is that column leaf's field r - 1.
  EXPECT_EQ(cell(t, 1, 1).text, u"r1c1");
  EXPECT_EQ(cell(t, 3, 2).text, u"r2c3");
  EXPECT_EQ(cell(t, 4, 2).text, u"r2c4");
}

TEST_F(Tables, ArrangementZeroFromTheLastItem) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"CG2"]);
  EXPECT_EQ(t.arrangement(), 0);
  EXPECT_EQ(columnHeadings(t), (Texts{u"c3"}));
  EXPECT_EQ(rowHeadings(t), (Texts{u"r1", u"r2", u"r3", u"r4", u"r5"}));
  // c3 is the third leaf of the third top-level item: field 2 of each row.
  EXPECT_EQ(cell(t, 1, 1).text, u"r1c3");
  EXPECT_EQ(cell(t, 5, 1).text, u"r5c3");
  // A refused item still builds when asked (the viewer asks first).
  t.buildTable(g[u"Cols"]);
  EXPECT_EQ(columnHeadings(t), (Texts{u"c1", u"c2", u"c3", u"c4"}));
  EXPECT_EQ(cell(t, 2, 4).text, u"r2c4");
}

TEST_F(Tables, ArrangementThreeBuildsAsZero) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"W"]);  // W has three items after it
  EXPECT_EQ(t.arrangement(), 0);
  // Columns from W; no item before W, so the rows come from W itself.
  EXPECT_EQ(columnHeadings(t), (Texts{u"w1", u"w2"}));
  EXPECT_EQ(rowHeadings(t), (Texts{u"w1", u"w2"}));
  // Field positions number the leaves of the third item (Y): w1 and w2 have
  // none, so no cell has a field.
  EXPECT_EQ(cell(t, 1, 1), (TableCell{0, u"", 0xFFFFFF}));
  EXPECT_EQ(t.keyObject(), 0u);  // no "field" child
}

TEST_F(Tables, HeadingColoursFollowGroupsAndCarryOverBetweenTables) {
  const Colour A = kHeadingColourA, B = kHeadingColourB;
  TightCrtTable t(g.db);
  t.buildTable(g[u"Whole"]);
  // Columns: [CG1: c1 c2] [CG2: c3] c4. Entering CG1 flips to A; entering
  // CG2 flips to B; c4 follows a group on the same level and keeps B.
  std::vector<Colour> columns, rows;
  for (uint32_t w = 1; w < t.columnCount(); ++w) columns.push_back(cell(t, 0, w).colour);
  EXPECT_EQ(columns, (std::vector<Colour>{A, A, B, B}));
  // Rows: [G1: r1 r2] r3 [G2: r4 r5]: A A A, then B B.
  for (uint32_t v = 1; v < t.rowCount(); ++v) rows.push_back(cell(t, v, 0).colour);
  EXPECT_EQ(rows, (std::vector<Colour>{A, A, A, B, B}));

  // The column state was left at B (no flip pending): a table whose one
  // column is a leaf keeps B.
  t.buildTable(g[u"c4"]);
  ASSERT_EQ(t.columnCount(), 2u);
  EXPECT_EQ(cell(t, 0, 1).colour, B);
  // With the state reset, the first leaf flips the toggle, which is false after
  // the first table's two flips: A.
  t.headingToggles().column.groupState = -1;
  t.buildTable(g[u"c4"]);
  EXPECT_EQ(cell(t, 0, 1).colour, A);
  // The rows start with the colour the previous tables left: row toggle was
  // flipped twice by each earlier build (G1, G2), so r1 is A again.
  EXPECT_EQ(cell(t, 1, 0).colour, A);
  t.headingToggles() = HeadingToggles{};
  t.headingToggles().row.on = true;
  t.buildTable(g[u"Whole"]);
  EXPECT_EQ(cell(t, 1, 0).colour, B);
}

TEST_F(Tables, CompareNarrowsInAscendingRealOrder) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"Whole"]);
  t.compareSelection({5, 2}, {3});
  EXPECT_EQ(t.rowCount(), 3u);
  EXPECT_EQ(t.columnCount(), 2u);
  EXPECT_EQ(t.rowAt(1), 2u);
  EXPECT_EQ(t.rowAt(2), 5u);
  EXPECT_EQ(t.columnAt(1), 3u);
  EXPECT_EQ(cell(t, 1, 1).text, u"r2c3");  // real cell (2, 3)
  EXPECT_EQ(cell(t, 2, 1).text, u"r5c3");
  EXPECT_EQ(cell(t, 0, 1).text, u"c3");
  EXPECT_EQ(cell(t, 2, 0).text, u"r5");
  // Past the end answers 0, like the heading.
  EXPECT_EQ(t.rowAt(3), 0u);
  EXPECT_EQ(t.columnAt(2), 0u);
  EXPECT_EQ(t.rowAt(0), 0u);

  // Narrowing again from what is shown; indices that are no row or column are ignored.
  t.compareSelection({5, 99}, {3, 4, 70000});
  EXPECT_EQ(t.rowCount(), 2u);
  EXPECT_EQ(t.columnCount(), 3u);
  EXPECT_EQ(cell(t, 1, 2).text, u"r5c4");

  t.restoreAll();
  EXPECT_EQ(t.rowCount(), 6u);
  EXPECT_EQ(t.columnCount(), 5u);
  EXPECT_EQ(cell(t, 2, 3).text, u"r2c3");
  // A rebuild shows everything again too.
  t.compareSelection({1}, {1});
  t.buildTable(g[u"Whole"]);
  EXPECT_EQ(t.rowCount(), 6u);
}

TEST_F(Tables, PopupTextWithAncestors) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"Whole"]);
  std::u16string text;
  t.cellPopupText(cellKey(4, 3), text);
  EXPECT_EQ(text, u"Rows, G2, r4 / Cols, CG2, c3\nr4c3");
  // Visible indices: after a Compare the key counts what is shown.
  t.compareSelection({2}, {4});
  t.cellPopupText(cellKey(1, 1), text);
  EXPECT_EQ(text, u"Rows, G1, r2 / Cols, c4\nr2c4");
  // A heading in the key: the heading's own text stands in for the cell's.
  t.cellPopupText(cellKey(0, 1), text);
  EXPECT_EQ(text, u" / Cols, c4\nc4");
  // Past the end: the parts that exist.
  t.cellPopupText(cellKey(9, 9), text);
  EXPECT_EQ(text, u" / \n");

  // Arrangement 1: the headings' ancestors are those of their own tree.
  t.buildTable(g[u"G2"]);
  t.cellPopupText(cellKey(2, 1), text);
  EXPECT_EQ(text, u"Cols, CG1, c2 / Rows, G2, r4\nr4c2");
}

TEST_F(Tables, CellsAreResolvedOnceButMissingFieldsAgain) {
  TightCrtTable t(g.db);
  t.buildTable(g[u"Whole"]);
  EXPECT_TRUE(t.isCached(cellKey(0, 3)));  // headings always
  EXPECT_FALSE(t.isCached(cellKey(1, 1)));
  const uint64_t before = t.resolveCount();
  EXPECT_EQ(cell(t, 1, 1).text, u"r1c1");
  EXPECT_EQ(cell(t, 1, 1).text, u"r1c1");
  EXPECT_EQ(t.resolveCount(), before + 1);
  EXPECT_TRUE(t.isCached(cellKey(1, 1)));

  // r3 has fields for c1 and c2 only.
  EXPECT_EQ(cell(t, 3, 2).text, u"r3c2");
  const uint64_t missing = t.resolveCount();
  EXPECT_EQ(cell(t, 3, 3), (TableCell{0, u"", 0xFFFFFF}));
  EXPECT_EQ(cell(t, 3, 3), (TableCell{0, u"", 0xFFFFFF}));
  EXPECT_EQ(t.resolveCount(), missing + 2);
  EXPECT_FALSE(t.isCached(cellKey(3, 3)));

  // Compare and Restore keep the cache: the keys are real indices.
  t.compareSelection({1}, {1});
  const uint64_t kept = t.resolveCount();
  EXPECT_EQ(cell(t, 1, 1).text, u"r1c1");
  t.restoreAll();
  EXPECT_EQ(cell(t, 1, 1).text, u"r1c1");
  EXPECT_EQ(t.resolveCount(), kept);
}

TEST_F(Tables, AnEmptyModelAndABuildOnNothing) {
  TightCrtTable t(g.db);
  EXPECT_EQ(t.rowCount(), 0u);
  EXPECT_EQ(t.keyObject(), 0u);
  TableCell c;
  EXPECT_FALSE(t.cellAt(0, 0, c));
  std::u16string text = u"x";
  t.cellPopupText(0, text);
  EXPECT_EQ(text, u" / \n");
  // A build on an object without an entry leaves the corner only.
  t.buildTable(g.db.objectCount() + 3);
  EXPECT_EQ(t.rowCount(), 1u);
  EXPECT_EQ(t.columnCount(), 1u);
  EXPECT_EQ(t.keyObject(), 0u);
}

// More leaves than a 16-bit key can number: the columns stop at 65,535
// (headings included) instead of wrapping onto the corner and the first headings.
TEST(TightCrtTableLimits, ColumnsStopAtTheKeyRange) {
  TempFolder folder;
  {
    ContentWriter w(u"guide");
    const auto table = w.add(0, u"table");
    w.setText(w.add(table, u"table type"), u"tight crt");
    const auto rows = w.add(table, u"hierarchy item");
    w.setText(w.add(rows, u"hierarchy item"), u"only row");
    const auto columns = w.add(table, u"hierarchy item");
    for (uint32_t i = 0; i < 65540; ++i) w.add(columns, u"hierarchy item");
    std::string error;
    ASSERT_TRUE(w.write(folder.base(), &error)) << error;
  }
  ContentDatabase db;
  ASSERT_TRUE(db.open(folder.base()));
  ObjectEntry columnsItem;
  ASSERT_TRUE(db.readEntry(4, columnsItem));  // table, table type, rows, columns, ...
  TightCrtTable t(db);
  ASSERT_TRUE(t.accepts(4));
  t.buildTable(4);
  EXPECT_EQ(t.arrangement(), 0);
  EXPECT_EQ(t.columnCount(), 65535u);
  EXPECT_EQ(t.rowCount(), 2u);
  TableCell corner, last;
  ASSERT_TRUE(t.cellAt(0, 0, corner));
  EXPECT_EQ(corner.object, 0u);
  EXPECT_EQ(corner.colour, kCornerColour);
  ASSERT_TRUE(t.cellAt(0, 65534, last));
  EXPECT_NE(last.object, 0u);
}
