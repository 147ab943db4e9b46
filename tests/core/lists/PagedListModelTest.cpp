// The paged list's bookkeeping: one page held, entries moved at the ends,
// checked values kept by data across scrolling and reloads.
#include <gtest/gtest.h>

#include <string>

#include "core/lists/PagedListModel.h"

namespace vantrel {
namespace {

// Entries "e0", "e1", ... with data 100 + i; counts how often each is read.
class CountingSource : public ItemSource {
 public:
  explicit CountingSource(uint32_t n) : n_(n) {}
  Item itemAt(uint32_t i) const override {
    ++reads;
    if (i >= n_) return {};
    std::string s = "e" + std::to_string(i);
    return {std::u16string(s.begin(), s.end()), 100 + i};
  }
  uint32_t itemCount() const override { return n_; }
  mutable int reads = 0;

 private:
  uint32_t n_;
};

std::vector<uint32_t> shownIndexes(const PagedListModel& m) {
  std::vector<uint32_t> out;
  for (const auto& e : m.entries()) out.push_back(e.index);
  return out;
}

TEST(PagedListModel, ShortListShowsAllAndCorrectsThePage) {
  CountingSource src(3);
  PagedListModel m;
  m.setSource(&src);
  m.reload(10, true);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(m.scrollState().page, 3);
  EXPECT_EQ(m.scrollState().maximum, 2);
  // Scrolling a list that fits moves nothing.
  m.scroll(ScrollCode::LineDown, 0, 10);
  EXPECT_EQ(m.topIndex(), 0u);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{0, 1, 2}));
}

TEST(PagedListModel, ScrollingMovesOnlyTheEntriesAtTheEnds) {
  CountingSource src(100);
  PagedListModel m;
  m.setSource(&src);
  m.reload(5, true);
  EXPECT_EQ(src.reads, 5);
  m.selectRow(2);  // e2
  m.scroll(ScrollCode::LineDown, 0, 5);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(src.reads, 6) << "only the entry coming in is read";
  EXPECT_EQ(m.selectedData(), 102) << "the selection follows the entry";
  EXPECT_EQ(m.selectedRow(), 1);
  m.scroll(ScrollCode::PageDown, 0, 5);
  EXPECT_EQ(m.topIndex(), 6u);
  EXPECT_EQ(m.selectedData(), -1) << "the selected entry left the page";
  m.scroll(ScrollCode::PageUp, 0, 5);
  m.scroll(ScrollCode::PageUp, 0, 5);
  EXPECT_EQ(m.topIndex(), 0u) << "page up near the top stops at the first entry";
  m.scroll(ScrollCode::ThumbTrack, 1000, 5);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{95, 96, 97, 98, 99})) << "the last page is full";
  m.scroll(ScrollCode::LineDown, 0, 5);
  EXPECT_EQ(m.topIndex(), 95u);
}

TEST(PagedListModel, ShowFromNearTheEndKeepsThePageFull) {
  CountingSource src(20);
  PagedListModel m;
  m.setSource(&src);
  m.reload(6, true);
  m.showFrom(17);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{14, 15, 16, 17, 18, 19}));
  EXPECT_EQ(m.topIndex(), 14u);
  EXPECT_EQ(m.bar().position, 14);
  m.showFrom(3);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{3, 4, 5, 6, 7, 8}));
  // A reload that did not load the page, then showFrom: the page is filled.
  m.reload(6, false);
  EXPECT_TRUE(m.entries().empty());
  m.showFrom(0);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(PagedListModel, CheckedValuesFollowDataAcrossScrollingAndReloads) {
  VectorItemSource src;
  // Entries 7 and 8 carry the same data.
  for (int i = 0; i < 13; ++i) src.add(u"x", static_cast<uint32_t>(i == 7 || i == 8 ? 1 : 10 + i));
  PagedListModel m(true);
  m.setSource(&src);
  m.reload(4, true);
  // A tap on the text chooses, a tap on the checkbox toggles without choosing.
  PagedTap t = m.tap(1, false);
  EXPECT_EQ(t.kind, PagedTap::Kind::Chosen);
  EXPECT_EQ(t.data, 11u);
  EXPECT_TRUE(m.checked().empty());
  t = m.tap(1, true);
  EXPECT_EQ(t.kind, PagedTap::Kind::CheckToggled);
  EXPECT_EQ(m.checked(), (std::vector<uint32_t>{11}));
  EXPECT_TRUE(m.entries()[1].checked);
  // Scrolled out of view and back, the checkmark comes back.
  m.scroll(ScrollCode::PageDown, 0, 4);
  m.scroll(ScrollCode::PageDown, 0, 4);
  EXPECT_EQ(m.topIndex(), 8u);
  m.scroll(ScrollCode::ThumbPosition, 0, 4);
  EXPECT_TRUE(m.entries()[1].checked);
  // Across a reload too.
  m.reload(4, true);
  EXPECT_TRUE(m.entries()[1].checked);
  // Two entries with equal data: both checked, one unchecked removes both values.
  m.showFrom(6);  // entries 6..9
  m.tap(1, true);
  m.tap(2, true);
  EXPECT_EQ(m.checked(), (std::vector<uint32_t>{11, 1, 1}));
  m.tap(2, false);
  m.tap(2, true);
  EXPECT_EQ(m.checked(), (std::vector<uint32_t>{11}));
  EXPECT_FALSE(m.entries()[1].checked) << "the twin shows no checkmark once its value is gone";
  // An entry that comes into view with a checked value shows its checkmark.
  m.tap(1, true);
  m.showFrom(0);
  m.showFrom(7);
  EXPECT_TRUE(m.entries()[0].checked);
  EXPECT_TRUE(m.entries()[1].checked);
  m.tap(0, true);
  // takeChecked answers the values and clears every checkmark.
  m.showFrom(0);
  EXPECT_EQ(m.takeChecked(), (std::vector<uint32_t>{11}));
  EXPECT_TRUE(m.checked().empty());
  for (const auto& e : m.entries()) EXPECT_FALSE(e.checked);
}

TEST(PagedListModel, TapsOutsideTheEntriesAndWithoutCheckboxes) {
  CountingSource src(2);
  PagedListModel m;
  m.setSource(&src);
  m.reload(5, true);
  EXPECT_EQ(m.tap(2, false).kind, PagedTap::Kind::Nothing);
  EXPECT_EQ(m.tap(-1, false).kind, PagedTap::Kind::Nothing);
  // Without checkboxes, the checkbox column is part of the entry.
  EXPECT_EQ(m.tap(1, true).kind, PagedTap::Kind::Chosen);
  EXPECT_EQ(m.selectedText(), u"e1");
  EXPECT_TRUE(m.checked().empty());
}

TEST(PagedListModel, SelectByPrefixSearchesOnlyThePage) {
  VectorItemSource src({{u"Alpha", 1}, {u"beta", 2}, {u"Betamax", 3}, {u"gamma", 4}, {u"Zeta", 5}});
  PagedListModel m;
  m.setSource(&src);
  m.reload(3, true);
  EXPECT_TRUE(m.selectByPrefix(u"BET"));
  EXPECT_EQ(m.selectedData(), 2);
  EXPECT_FALSE(m.selectByPrefix(u"zeta")) << "Zeta is not on the page";
  EXPECT_EQ(m.selectedData(), 2) << "a failed search leaves the selection";
}

// Keys and presses bring the entry onto the page; a press is a tap on it
// (or on its checkbox).
TEST(PagedListModel, KeyMovesAndPressesBringTheEntryOntoThePage) {
  CountingSource src(30);
  PagedListModel m(true);
  m.setSource(&src);
  m.reload(5, true);
  EXPECT_TRUE(m.move(ListMove::Down));
  EXPECT_EQ(m.selectedIndex(), 0);
  for (int i = 0; i < 5; ++i) m.move(ListMove::Down);
  EXPECT_EQ(m.selectedIndex(), 5);
  EXPECT_EQ(m.topIndex(), 1u);
  EXPECT_EQ(m.selectedRow(), 4);
  m.move(ListMove::Last);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{25, 26, 27, 28, 29}));
  EXPECT_FALSE(m.move(ListMove::Last));

  PagedTap t = m.press(3);
  EXPECT_EQ(t.kind, PagedTap::Kind::Chosen);
  EXPECT_EQ(t.data, 103u);
  EXPECT_EQ(m.topIndex(), 3u);
  t = m.press(4, true);
  EXPECT_EQ(t.kind, PagedTap::Kind::CheckToggled);
  EXPECT_EQ(m.checked(), (std::vector<uint32_t>{104}));
  EXPECT_EQ(m.press(30).kind, PagedTap::Kind::Nothing);
}

TEST(PagedListModel, NoSourceDoesNothing) {
  PagedListModel m;
  m.reload(5, true);
  m.showFrom(3);
  m.scroll(ScrollCode::LineDown, 0, 5);
  EXPECT_TRUE(m.entries().empty());
  EXPECT_EQ(m.selectedData(), -1);
}

TEST(PagedListModel, PrefixComparisonIgnoresCaseAndComparesShortEntriesByTheirEnd) {
  EXPECT_EQ(comparePrefixNoCase(u"Abscess", u"ab"), 0);
  EXPECT_LT(comparePrefixNoCase(u"Ab", u"abc"), 0);
  EXPECT_GT(comparePrefixNoCase(u"b", u"abc"), 0);
  EXPECT_EQ(comparePrefixNoCase(u"\u00C9tude", u"\u00E9t"), 0);
  EXPECT_EQ(comparePrefixNoCase(u"anything", u""), 0);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// A new page size (a resize or a zoom) keeps the first entry and the
// selection, scrolls only as far as the selected entry needs to stay on the
// page, keeps the last page full and reads only the entries that come in.
TEST(PagedListModel, RelayoutKeepsTheFirstEntryAndTheSelection) {
  CountingSource src(40);
  PagedListModel m;
  m.setSource(&src);
  m.reload(10, true);
  m.showFrom(12);
  m.selectRow(2);  // entry 14
  const int reads = src.reads;
  m.relayout(5);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{12, 13, 14, 15, 16}));
  EXPECT_EQ(m.selectedIndex(), 14);
  EXPECT_EQ(src.reads, reads) << "the entries that stay are not read again";
  EXPECT_EQ(m.bar().page, 5);

  m.selectRow(4);  // entry 16, the last on the page
  m.relayout(3);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{14, 15, 16})) << "scrolled just enough to keep it";
  EXPECT_EQ(m.selectedIndex(), 16);
  EXPECT_EQ(m.bar().position, 14);

  m.showFrom(36);  // 36..38 with three a page
  m.relayout(8);
  EXPECT_EQ(shownIndexes(m), (std::vector<uint32_t>{32, 33, 34, 35, 36, 37, 38, 39})) << "the last page is full";
  m.clearSelection();
  m.relayout(20);
  EXPECT_EQ(m.topIndex(), 20u);
  EXPECT_EQ(m.selectedIndex(), -1);
}

}  // namespace
}  // namespace vantrel
