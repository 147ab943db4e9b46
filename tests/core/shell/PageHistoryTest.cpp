#include "core/page/PageHistory.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct Shown {
  uint32_t object;
  std::vector<uint8_t> data;
};

// A history whose listener plays the main frame: it records the request and
// pushes the page right away, as the chrome viewer does after the layout.
struct HistoryRig {
  PageHistory h;
  std::vector<Shown> shown;
  HistoryRig() {
    h.setListener([this](uint32_t o, const uint8_t* d, size_t n) {
      shown.push_back({o, std::vector<uint8_t>(d, d + n)});
      h.push(o, d, n, u"again");
    });
  }
  void visit(uint32_t o, std::u16string title = u"t") { h.push(o, nullptr, 0, std::move(title)); }
};

TEST(PageHistory, BackForwardAndPushDropsTheForwardEntries) {
  HistoryRig r;
  r.visit(1, u"P");
  r.visit(2, u"Q");
  r.visit(3, u"R");
  EXPECT_FALSE(r.h.canGoForward());
  r.h.back();
  ASSERT_EQ(r.shown.size(), 1u);
  EXPECT_EQ(r.shown.back().object, 2u);
  r.h.back();
  EXPECT_EQ(r.shown.back().object, 1u);
  EXPECT_FALSE(r.h.canGoBack());
  r.h.back();  // at the first entry: nothing
  EXPECT_EQ(r.shown.size(), 2u);
  r.h.forward();
  EXPECT_EQ(r.shown.back().object, 2u);
  EXPECT_EQ(r.h.position(), 1);
  r.visit(4, u"S");
  ASSERT_EQ(r.h.size(), 3u);
  EXPECT_EQ(r.h.objectAt(2), 4u);
  EXPECT_EQ(r.h.position(), 2);
  EXPECT_EQ(r.h.titles(), (std::vector<std::u16string>{u"P", u"Q", u"S"}));
}

TEST(PageHistory, PushAfterTheHistoryShowedAPageIsSkippedOnce) {
  PageHistory h;
  std::vector<uint32_t> asked;
  h.setListener([&](uint32_t o, const uint8_t*, size_t) { asked.push_back(o); });  // queued: no push yet
  h.push(1, nullptr, 0, u"P");
  h.push(2, nullptr, 0, u"Q");
  h.back();
  EXPECT_EQ(asked, std::vector<uint32_t>{1});
  h.push(1, nullptr, 0, u"P shown by back");
  EXPECT_EQ(h.position(), 0);
  EXPECT_EQ(h.size(), 2u);
  EXPECT_EQ(h.titles()[0], u"P");
  h.push(7, nullptr, 0, u"X");  // the next one counts again
  EXPECT_EQ(h.size(), 2u);
  EXPECT_EQ(h.objectAt(1), 7u);
}

TEST(PageHistory, SamePageAgainOnlyClearsOffHistoryAndDataIsCompared) {
  PageHistory h;
  const uint8_t a[2] = {1, 2}, b[2] = {1, 3};
  h.push(5, a, 2, u"one");
  h.setOffHistory(true);
  h.push(5, a, 2, u"other title");
  EXPECT_EQ(h.size(), 1u);
  EXPECT_FALSE(h.offHistory());
  h.push(5, b, 2, u"two");
  EXPECT_EQ(h.size(), 2u);
  h.push(5, b, 1, u"three");  // same first byte, other length
  EXPECT_EQ(h.size(), 3u);
  EXPECT_EQ(h.dataAt(2).length(), 1u);
}

TEST(PageHistory, FiftyOneDistinctPushesKeepTheLastFifty) {
  PageHistory h;
  for (uint32_t i = 0; i < 51; ++i) h.push(i, nullptr, 0, u"p");
  EXPECT_EQ(h.size(), 50u);
  EXPECT_EQ(h.position(), 49);
  EXPECT_EQ(h.objectAt(0), 1u);
  EXPECT_EQ(h.objectAt(49), 50u);
  EXPECT_EQ(h.titles().size(), 50u);
}

TEST(PageHistory, BackWhileOffHistoryShowsTheCurrentEntryAgain) {
  HistoryRig r;
  r.visit(1);
  r.visit(2);
  r.h.setOffHistory(true);  // an overlay page is shown
  EXPECT_TRUE(r.h.canGoBack());
  r.h.back();
  ASSERT_EQ(r.shown.size(), 1u);
  EXPECT_EQ(r.shown.back().object, 2u);
  EXPECT_EQ(r.h.position(), 1);
  EXPECT_FALSE(r.h.offHistory());

  HistoryRig single;
  single.visit(9);
  EXPECT_FALSE(single.h.canGoBack());
  single.h.setOffHistory(true);
  EXPECT_TRUE(single.h.canGoBack());  // even at position 0
  single.h.back();
  EXPECT_EQ(single.shown.back().object, 9u);

  PageHistory empty;  // an overlay over an empty history must not read entry -1
  empty.setListener([](uint32_t, const uint8_t*, size_t) { ADD_FAILURE(); });
  empty.setOffHistory(true);
  empty.back();
  EXPECT_FALSE(empty.offHistory());
}

TEST(PageHistory, GoToAndUpdateShownData) {
  HistoryRig r;
  r.h.updateShownData(reinterpret_cast<const uint8_t*>("x"), 1);  // shownIndex -1: nothing
  for (uint32_t i = 0; i < 5; ++i) r.visit(i);
  r.h.goTo(4);   // the current entry
  r.h.goTo(-1);
  r.h.goTo(5);
  EXPECT_TRUE(r.shown.empty());
  r.h.goTo(2);
  ASSERT_EQ(r.shown.size(), 1u);
  EXPECT_EQ(r.shown.back().object, 2u);
  EXPECT_EQ(r.h.shownIndex(), 2);
  const uint8_t scroll[3] = {7, 8, 9};
  r.h.updateShownData(scroll, 3);
  EXPECT_EQ(r.h.dataAt(2).bytes, (std::vector<uint8_t>{7, 8, 9}));
  r.h.goTo(0);
  EXPECT_EQ(r.h.dataAt(2).length(), 3u);
  EXPECT_TRUE(r.h.hasList());
}

}  // namespace
}  // namespace vantrel
