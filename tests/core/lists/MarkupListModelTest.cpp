// The markup list on the test surface (characters 8 pixels wide, the guide
// font 16 high, so rows of 18 pixels at 96 dpi): which rows a redraw
// draws, scrolling that draws only what comes into view, and the pen.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/lists/MarkupListModel.h"
#include "core/platform/FixedMetricsSurface.h"

namespace vantrel {
namespace {

class RowSource : public ItemSource {
 public:
  explicit RowSource(uint32_t n) : n_(n) {}
  Item itemAt(uint32_t i) const override {
    ++reads;
    if (i >= n_) return {};
    if (auto it = special.find(i); it != special.end()) return {it->second, 1000 + i};
    std::string s = "Row " + std::to_string(i);
    return {std::u16string(s.begin(), s.end()), 1000 + i};
  }
  uint32_t itemCount() const override { return n_; }
  std::map<uint32_t, std::u16string> special;
  mutable int reads = 0;

 private:
  uint32_t n_;
};

struct ListFixture {
  explicit ListFixture(uint32_t rows, int height = 180) : source(rows), model(96, 96) {
    model.setSurface(&screen);
    model.setup(true, guideFontDescription(96), &source, 0xFFFFFF);
    model.setRowListener([this](uint32_t r) { tapped.push_back(static_cast<int>(r)); });
    model.setLinkListener([this](int32_t id, Point) { links.push_back(id); });
    model.setPopupHandler([this](const TextBlock& b, Point) { popups.push_back(b.text); });
    model.setTimerControl([this](bool run) { timer = run; });
    model.resize(100, height);
  }
  FixedMetricsSurface screen{1, 1};
  RowSource source;
  MarkupListModel model;
  std::vector<int> tapped;
  std::vector<int32_t> links;
  std::vector<std::u16string> popups;
  bool timer = false;
};

TEST(MarkupListModel, RedrawKeepsTheLastPageFull) {
  ListFixture few(3);
  EXPECT_EQ(few.model.rowHeight(), 18);
  EXPECT_EQ(few.model.rowsPerPage(), 10);
  EXPECT_EQ(few.model.redraw(5, false), 0);
  EXPECT_EQ(few.model.visibleTexts(), (std::vector<std::u16string>{u"Row 0", u"Row 1", u"Row 2"}));

  ListFixture many(25);
  EXPECT_EQ(many.model.redraw(20, true), 15);
  EXPECT_EQ(many.model.selected(), 20);
  const auto texts = many.model.visibleTexts();
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(texts.front(), u"Row 15");
  EXPECT_EQ(texts.back(), u"Row 24");
  // A tap on the first row drawn is row 15, not the row asked for.
  many.model.penDown(5, 5);
  many.model.penUp();
  EXPECT_EQ(many.tapped, std::vector<int>{15});
  EXPECT_EQ(many.model.selected(), 15);
}

TEST(MarkupListModel, ScrollingDrawsOnlyTheRowsComingIntoView) {
  ListFixture f(40);
  f.model.redraw(0, false);
  const int readsAfterFirstPage = f.source.reads;
  EXPECT_TRUE(f.model.scroll(ScrollCode::PageDown));
  EXPECT_EQ(f.model.firstRow(), 10);
  EXPECT_EQ(f.model.bar().position, 10);
  EXPECT_EQ(f.source.reads - readsAfterFirstPage, 10) << "one page of new rows parsed";
  EXPECT_TRUE(f.model.scroll(ScrollCode::PageUp));
  EXPECT_EQ(f.source.reads - readsAfterFirstPage, 10) << "rows scrolled back come from the cache";
  EXPECT_TRUE(f.model.scroll(ScrollCode::ThumbTrack, 100));
  EXPECT_EQ(f.model.firstRow(), 30) << "the thumb stops at the last full page";
  EXPECT_FALSE(f.model.scroll(ScrollCode::LineDown)) << "line down at the last page does nothing";
  EXPECT_EQ(f.model.firstRow(), 30);

  ListFixture g(40);
  g.model.redraw(3, false);
  EXPECT_TRUE(g.model.scroll(ScrollCode::PageUp));
  EXPECT_EQ(g.model.firstRow(), 0) << "page up from row 3 scrolls by 3 rows";
  EXPECT_FALSE(g.model.scroll(ScrollCode::LineUp));
}

TEST(MarkupListModel, LinkAreasMoveWithTheirRowsAndLinkTapsAreNotRowTaps) {
  ListFixture f(30);
  f.source.special[1] = u"<a href=\"42\">Link</a> text";
  f.model.redraw(0, false);
  ASSERT_EQ(f.model.linkAreas().size(), 1u);
  const int top = f.model.linkAreas().entries()[0].rect.top;
  EXPECT_GE(top, 18);
  EXPECT_LT(top, 36);
  f.model.scroll(ScrollCode::LineDown);
  ASSERT_EQ(f.model.linkAreas().size(), 1u);
  EXPECT_EQ(f.model.linkAreas().entries()[0].rect.top, top - 18) << "the area moved up with its row";
  f.model.penDown(4, 4);
  f.model.penUp();
  EXPECT_EQ(f.links, std::vector<int32_t>{42});
  EXPECT_TRUE(f.tapped.empty()) << "a link tap is not a row tap";
  EXPECT_FALSE(f.timer);
  f.model.scroll(ScrollCode::LineDown);
  EXPECT_TRUE(f.model.linkAreas().empty()) << "the row left the view and its area with it";
  // A tap on the row's plain text is a row tap.
  f.model.scroll(ScrollCode::LineUp);
  f.model.penDown(90, 4);
  f.model.penUp();
  EXPECT_EQ(f.tapped, std::vector<int>{1});
}

TEST(MarkupListModel, HoldingThePenShowsOnlyCutOffRowsAndReportsNoTap) {
  ListFixture f(5);
  f.source.special[2] = u"A row far too long for one hundred pixels";
  f.model.redraw(0, false);
  // A row that fits: held, nothing shown, nothing reported.
  f.model.penDown(10, 5);
  EXPECT_TRUE(f.timer);
  f.model.tick();
  EXPECT_FALSE(f.timer);
  f.model.penUp();
  EXPECT_TRUE(f.popups.empty());
  EXPECT_TRUE(f.tapped.empty());
  // A cut-off row: its whole text in the popup.
  f.model.penDown(10, 2 * 18 + 3);
  f.model.tick();
  f.model.penUp();
  EXPECT_EQ(f.popups, std::vector<std::u16string>{u"A row far too long for one hundred pixels"});
  EXPECT_TRUE(f.tapped.empty());
  // Below the last row: nothing at all.
  f.model.penDown(10, 5 * 18 + 3);
  EXPECT_FALSE(f.timer);
  f.model.penUp();
  EXPECT_TRUE(f.tapped.empty());
  EXPECT_EQ(f.model.selected(), 2);
}

// The keyboard's moves: the selection walks the rows, the page follows it
// by the fewest rows, and a press is exactly a quick tap.
TEST(MarkupListModel, KeyMovesScrollTheSelectionIntoViewAndPressIsATap) {
  ListFixture f(25);  // 10 rows a page
  f.model.redraw(0, false);
  EXPECT_TRUE(f.model.move(ListMove::Down));  // nothing selected: the first row in view
  EXPECT_EQ(f.model.selected(), 0);
  for (int i = 0; i < 10; ++i) f.model.move(ListMove::Down);
  EXPECT_EQ(f.model.selected(), 10);
  EXPECT_EQ(f.model.firstRow(), 1);  // one line down, not a page
  EXPECT_TRUE(f.model.move(ListMove::Last));
  EXPECT_EQ(f.model.firstRow(), 15);
  EXPECT_FALSE(f.model.move(ListMove::Down));  // already at the end
  f.model.move(ListMove::PageUp);
  EXPECT_EQ(f.model.selected(), 15);
  f.model.move(ListMove::Up);
  EXPECT_EQ(f.model.selected(), 14);
  EXPECT_EQ(f.model.firstRow(), 14);
  f.model.move(ListMove::First);
  EXPECT_EQ(f.model.firstRow(), 0);
  EXPECT_EQ(f.model.visibleTexts().front(), u"Row 0");
  EXPECT_TRUE(f.tapped.empty());  // moving reports nothing

  f.model.press(20);
  EXPECT_EQ(f.model.selected(), 20);
  EXPECT_EQ(f.tapped, (std::vector<int>{20}));
  f.model.press(99);  // past the end: nothing
  EXPECT_EQ(f.tapped.size(), 1u);

  ListFixture off(5);
  off.model.setup(false, guideFontDescription(96), &off.source, 0xFFFFFF);
  off.model.resize(100, 181);
  off.model.press(2);
  EXPECT_EQ(off.model.selected(), 2);
  EXPECT_TRUE(off.tapped.empty());  // taps are off: selected, not reported

  ListFixture none(0);
  EXPECT_FALSE(none.model.move(ListMove::Down));
  EXPECT_EQ(rowAfterMove(ListMove::PageDown, 3, 0, 100, 10), 12);
  EXPECT_EQ(rowAfterMove(ListMove::PageUp, 3, 0, 100, 10), 0);
}

TEST(MarkupListModel, TheCacheStaysNearTheView) {
  ListFixture f(5000);
  f.model.redraw(0, false);
  for (int i = 0; i < 499; ++i) f.model.scroll(ScrollCode::PageDown);
  EXPECT_EQ(f.model.firstRow(), 4990);
  EXPECT_LT(f.model.cachedRows(), 200u) << "a long scroll keeps only the rows near the view";
  const int64_t oldSelected = 4995;
  f.model.setSelected(oldSelected);
  EXPECT_EQ(f.model.selected(), oldSelected);
  EXPECT_EQ(f.model.firstRow(), 4990) << "selecting does not move the page";
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

struct ZoomScreen : ScreenInfo {
  int dpi = 96;
  int dpiX() const override { return dpi; }
  int dpiY() const override { return dpi; }
  Size screenSize() const override { return {240, 320}; }
  Rect visibleDesktopArea() const override { return {0, 0, 240, 320}; }
};

// A list laid out again after the resolution changed measures and draws its
// rows as a list made at the new resolution does, from the row it showed
// first and with the row it had selected; near the end the page stays full.
TEST(MarkupListModel, RelayoutAtANewResolutionKeepsThePlace) {
  ZoomScreen screen;
  FixedMetricsSurface surface{1, 1};
  RowSource source(100);
  MarkupListModel zoomed{ScreenDpi(screen)};
  zoomed.setSurface(&surface);
  zoomed.setup(true, guideFontDescription(96), &source, 0xFFFFFF);
  zoomed.resize(100, 360);
  zoomed.selectRow(47);
  zoomed.scroll(ScrollCode::LineUp);
  ASSERT_EQ(zoomed.firstRow(), 27);  // 20 rows a page: 47 the last in view, then a line up
  const int first = zoomed.firstRow();

  screen.dpi = 192;
  zoomed.relayout(guideFontDescription(192));
  MarkupListModel made(192, 192);
  made.setSurface(&surface);
  made.setup(true, guideFontDescription(192), &source, 0xFFFFFF);
  made.resize(100, 360);
  made.redraw(first, false);
  EXPECT_EQ(zoomed.rowHeight(), made.rowHeight());
  EXPECT_EQ(zoomed.rowsPerPage(), made.rowsPerPage());
  EXPECT_EQ(zoomed.firstRow(), first);
  EXPECT_EQ(zoomed.selected(), 47);
  EXPECT_EQ(zoomed.bar().position, first) << "a resize later starts from the same row";
  EXPECT_EQ(zoomed.visibleTexts(), made.visibleTexts());
  ASSERT_NE(zoomed.cachedBlock(static_cast<uint32_t>(first)), nullptr);
  EXPECT_EQ(zoomed.cachedBlock(static_cast<uint32_t>(first))->maxRunHeight,
            made.cachedBlock(static_cast<uint32_t>(first))->maxRunHeight)
      << "rows parsed at the old resolution are parsed again";

  // Zoomed out near the end: more rows fit, the last page is full.
  zoomed.redraw(90, true);
  screen.dpi = 96;
  zoomed.relayout(guideFontDescription(96));
  EXPECT_EQ(zoomed.firstRow(), 80);
  EXPECT_EQ(zoomed.selected(), 90);
}

}  // namespace
}  // namespace vantrel
