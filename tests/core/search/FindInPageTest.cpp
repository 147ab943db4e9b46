// Find in a table: which cells match, in what order, and stepping through
// them with wrap-around.
#include <gtest/gtest.h>

#include <map>

#include "core/search/FindInPage.h"

namespace vantrel {
namespace {

// A table given as rows of markup texts (row 0 the column headings).
class GridSource : public TableSource {
 public:
  explicit GridSource(std::vector<std::vector<std::u16string>> rows) : rows_(std::move(rows)) {}
  uint32_t columnCount() const override { return rows_.empty() ? 0 : static_cast<uint32_t>(rows_[0].size()); }
  uint32_t rowCount() const override { return static_cast<uint32_t>(rows_.size()); }
  bool cellAt(uint32_t v, uint32_t w, TableCell& out) override {
    if (v >= rows_.size() || w >= rows_[v].size()) return false;
    out.text = rows_[v][w];
    return true;
  }
  uint32_t rowAt(uint32_t v) const override { return v; }
  uint32_t columnAt(uint32_t w) const override { return w; }
  ObjectIndex shownItem() const override { return 1; }

 private:
  std::vector<std::vector<std::u16string>> rows_;
};

TEST(FindInTable, CellsHoldingEveryWordInReadingOrder) {
  GridSource t({{u"", u"Penicillin", u"Vancomycin"},
                {u"<i>Staph</i> aureus", u"R", u"S &amp; well tolerated"},
                {u"Strep pneumoniae", u"S", u""},
                {u"MRSA (<b>Staph</b>)", u"R", u"S"}});
  // Markup is stripped and case ignored; the row headings count, the
  // column headings do not.
  EXPECT_EQ(findInTable(t, u"staph"), (std::vector<TableMatch>{{1, 0}, {3, 0}}));
  EXPECT_EQ(findInTable(t, u"S&well"), std::vector<TableMatch>{});
  EXPECT_EQ(findInTable(t, u"s & WELL"), (std::vector<TableMatch>{{1, 2}}));
  EXPECT_EQ(findInTable(t, u"tolerated  well"), (std::vector<TableMatch>{{1, 2}}));
  EXPECT_TRUE(findInTable(t, u"vancomycin").empty());
  EXPECT_TRUE(findInTable(t, u"   ").empty());
  EXPECT_EQ(findInTable(t, u"s", 2).size(), 2u);
  EXPECT_TRUE(containsWords(u"\u00C9tude", findWords(u"\u00E9TUDE")));
}

TEST(FindInTable, StepsWrapBothWays) {
  EXPECT_EQ(stepMatch(0, -1, false), -1);
  EXPECT_EQ(stepMatch(3, -1, false), 0);
  EXPECT_EQ(stepMatch(3, -1, true), 2);
  EXPECT_EQ(stepMatch(3, 2, false), 0);
  EXPECT_EQ(stepMatch(3, 0, true), 2);
  EXPECT_EQ(stepMatch(3, 1, false), 2);
}

}  // namespace
}  // namespace vantrel
