#include <gtest/gtest.h>

#include <map>

#include "ShellFakes.h"
#include "core/chrome/ChromeViewer.h"
#include "core/chrome/HomeViewer.h"

namespace vantrel {
namespace {

using test::FakeHost;
using test::FakeWindow;
using test::ScriptViewer;

struct Bar : CommandBar {
  void setButtonEnabled(int c, bool e) override { enabled[c] = e; }
  bool buttonEnabled(int c) const override { return enabled.count(c) && enabled.at(c); }
  void showHistoryMenu(const ItemSource& items) override { shown = items.itemCount(); }
  std::map<int, bool> enabled;
  uint32_t shown = 0;
};

// The chrome and a content viewer that titles every page after its object.
struct ChromeRig {
  FixedScreen screen;
  StateKeyboard keyboard;
  FakeHost host;
  FrameWindow window{host, screen, keyboard};
  MainFrame frame{window, keyboard};
  PageKeys keys;
  PageHistory history;
  ScriptedMessages messages;
  Bar bar;
  int quits = 0;
  ChromeViewer chrome{frame, keys, history, messages, bar, [this] { ++quits; }};
  FakeWindow page;
  ScriptViewer content{frame, "content", nullptr};
  ChromeRig() {
    keys.build(100, [](std::u16string_view n) { return n == u"INDEX" ? 7u : 0u; });
    history.setListener([this](uint32_t o, const uint8_t* d, size_t n) { frame.navigate(o, d, n, true); });
    content.windows = {{&page, kFill}};
    frame.registerViewer(&chrome);
    frame.registerViewer(&content);
  }
  void visit(uint32_t o) {
    content.title = u"page " + std::u16string(1, char16_t(u'0' + o % 10));
    frame.navigate(o, nullptr, 0, true);
  }
};

TEST(ChromeViewer, ButtonsFollowTheHistory) {
  ChromeRig r;
  r.visit(1);
  EXPECT_FALSE(r.bar.buttonEnabled(cmd::kBack));
  EXPECT_FALSE(r.bar.buttonEnabled(cmd::kHistory));
  EXPECT_FALSE(r.bar.buttonEnabled(cmd::kForward));
  r.visit(2);
  EXPECT_TRUE(r.bar.buttonEnabled(cmd::kBack));
  EXPECT_TRUE(r.bar.buttonEnabled(cmd::kHistory));
  EXPECT_FALSE(r.bar.buttonEnabled(cmd::kForward));
  EXPECT_TRUE(r.chrome.command(cmd::kBack));
  EXPECT_EQ(r.frame.currentObject(), 1u);
  EXPECT_EQ(r.history.size(), 2u);  // back did not push a second entry
  EXPECT_FALSE(r.bar.buttonEnabled(cmd::kBack));
  EXPECT_TRUE(r.bar.buttonEnabled(cmd::kForward));
  r.chrome.command(cmd::kForward);
  EXPECT_EQ(r.frame.currentObject(), 2u);
  EXPECT_FALSE(r.bar.buttonEnabled(cmd::kForward));
}

TEST(ChromeViewer, HistoryListIsNewestFirstAndMapsToHistoryIndexes) {
  ChromeRig r;
  for (uint32_t o = 1; o <= 5; ++o) r.visit(o);
  VectorItemSource items = r.chrome.historyItems();
  ASSERT_EQ(items.itemCount(), 5u);
  EXPECT_EQ(items.itemAt(0).text, u"page 5");
  EXPECT_EQ(items.itemAt(0).data, 4u);
  EXPECT_EQ(items.itemAt(4).data, 0u);
  EXPECT_EQ(items.itemAt(9), Item{});
  // The third entry from the top with five entries is history index 2.
  r.chrome.historyChosen(items.itemAt(2).data);
  EXPECT_EQ(r.history.position(), 2);
  EXPECT_EQ(r.frame.currentObject(), 3u);
  r.chrome.command(cmd::kHistory);
  EXPECT_EQ(r.bar.shown, 5u);
}

TEST(ChromeViewer, CommandsNavigateAndExitAsks) {
  ChromeRig r;
  r.visit(1);
  r.chrome.command(cmd::kIndex);
  EXPECT_EQ(r.frame.currentObject(), 7u);
  r.chrome.command(cmd::kHome);
  EXPECT_EQ(r.frame.currentObject(), 104u);
  r.chrome.command(cmd::kAboutMaker);  // not named: the root
  EXPECT_EQ(r.frame.currentObject(), 0u);
  EXPECT_FALSE(r.chrome.command(4242));
  size_t entries = r.history.size();

  r.chrome.command(cmd::kExit);  // no answer prepared: No
  EXPECT_EQ(r.quits, 0);
  ASSERT_EQ(r.messages.shown.size(), 1u);
  EXPECT_EQ(r.messages.shown[0].box.text, u"Are you sure you want to exit");
  EXPECT_EQ(r.messages.shown[0].box.buttons, MessageButtons::YesNo);
  EXPECT_EQ(r.history.size(), entries);
  r.messages.queueAnswer(MessageAnswer::Yes);
  r.chrome.command(cmd::kExit);
  EXPECT_EQ(r.quits, 1);
}

TEST(ChromeViewer, OverlayPageSetsOffHistoryInsteadOfPushing) {
  ChromeRig r;
  r.visit(1);
  r.visit(2);
  FakeWindow over;
  r.frame.enterOverlay();
  r.window.commit({{&over, kFill}});
  r.window.arrange(false);
  r.chrome.afterLayout();
  EXPECT_TRUE(r.history.offHistory());
  EXPECT_EQ(r.history.size(), 2u);
  r.chrome.command(cmd::kBack);  // shows the page under the overlay again
  EXPECT_EQ(r.frame.currentObject(), 2u);
  EXPECT_FALSE(r.history.offHistory());
  EXPECT_FALSE(over.shown);
}

TEST(CommandBarLayout, TenButtonsThreeSeparatorsAndTheMenus) {
  const auto& bar = commandBarLayout();
  ASSERT_EQ(bar.size(), 13u);
  int buttons = 0;
  for (const auto& b : bar) buttons += b.command != 0;
  EXPECT_EQ(buttons, 10);
  EXPECT_EQ(bar[1].command, 0);
  EXPECT_EQ(bar[5].command, 0);
  EXPECT_EQ(bar[11].command, 0);
  EXPECT_EQ(bar[12].command, cmd::kExit);
  std::vector<std::u16string> names;
  for (const auto& b : bar)
    if (b.command) names.push_back(b.name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Guide menu", u"Back", u"History", u"Forward", u"Home", u"Index",
                                                u"Notes", u"Bookmarks", u"Abbreviations", u"Exit"}));
  EXPECT_EQ(commandMenuItems().size(), 10u);
  EXPECT_EQ(std::u16string(commandMenuItems()[5].text), u"Search the guide");
  EXPECT_EQ(commandMenuItems()[5].menu, 0);
}

TEST(HomeLayout, LettersAt96And192DotsPerInch) {
  HomeLayout p96(96, 96, false);
  EXPECT_EQ(p96.letterAt(9 + 24 * 3 + 5, 160), u'D');
  EXPECT_EQ(p96.letterAt(22 + 24 * 7, 230), u'Z');
  EXPECT_EQ(p96.letterAt(9, 158), u'A');
  EXPECT_EQ(p96.letterAt(9 + 216 - 1, 189), u'R');
  EXPECT_EQ(p96.letterAt(8, 160), std::nullopt);
  EXPECT_EQ(p96.letterAt(100, 150), std::nullopt);
  EXPECT_TRUE(p96.onContents(102, 129));
  EXPECT_FALSE(p96.onContents(217, 129));
  EXPECT_EQ(p96.bitmap(), 481);

  HomeLayout p192(192, 192, false);
  EXPECT_EQ(p192.letterAt(2 * (9 + 24 * 3 + 5), 2 * 160), u'D');
  EXPECT_EQ(p192.letterAt(2 * (22 + 24 * 7), 2 * 230), u'Z');
  EXPECT_EQ(p192.bitmap(), 483);

  HomeLayout l96(96, 96, true);
  EXPECT_EQ(l96.letterAt(30, 136), u'A');
  EXPECT_EQ(l96.letterAt(30 + 20 * 12 + 19, 155), u'M');
  EXPECT_EQ(l96.letterAt(30 + 20 * 12, 161), u'Z');
  EXPECT_TRUE(l96.onContents(87, 106));
  EXPECT_EQ(l96.bitmap(), 482);
  EXPECT_EQ(HomeLayout(192, 192, true).bitmap(), 484);
  EXPECT_EQ(HomeLayout(192, 192, true).letterAt(2 * 31, 2 * 162), u'N');

  // Odd resolutions: a row wider than its columns still gives its own last letter.
  HomeLayout p131(131, 131, false);
  const auto& row = p131.rows()[0];
  EXPECT_EQ(p131.letterAt(row.rect.right - 1, row.rect.top), u'I');
}

// The spots a keyboard or screen reader presses are the taps' own places:
// every spot's centre taps its letter (or the contents button), in reading
// order, for every layout.
TEST(HomeLayout, SpotsAgreeWithTapsInReadingOrder) {
  for (bool landscape : {false, true}) {
    for (int dpi : {96, 131, 192}) {
      HomeLayout layout(dpi, dpi, landscape);
      const auto spots = layout.spots();
      ASSERT_EQ(spots.size(), 27u);
      EXPECT_EQ(spots.front().letter, 0);  // the contents button lies above the letters
      std::u16string letters;
      for (size_t i = 0; i < spots.size(); ++i) {
        const auto& s = spots[i];
        const int x = (s.rect.left + s.rect.right) / 2, y = (s.rect.top + s.rect.bottom) / 2;
        if (s.letter) {
          letters += s.letter;
          EXPECT_EQ(layout.letterAt(x, y), s.letter) << dpi << landscape;
          EXPECT_EQ(layout.letterAt(s.rect.right - 1, s.rect.bottom - 1), s.letter) << dpi << landscape;
        } else {
          EXPECT_TRUE(layout.onContents(x, y));
        }
        if (i > 0) {
          EXPECT_LE(spots[i - 1].rect.top, s.rect.top);
        }
      }
      EXPECT_EQ(letters, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    }
  }
  ChromeRig r;
  FakeWindow homeWindow;
  HomeViewer home(r.frame, r.keys, &homeWindow);
  r.frame.registerViewer(&home);
  home.press(HomeLayout(96, 96, false).spots()[3]);
  EXPECT_EQ(r.frame.currentObject(), r.keys["index_search"]);
  EXPECT_EQ(r.frame.currentData().bytes, (std::vector<uint8_t>{'C', 0}));
  home.press(HomeLayout(96, 96, false).spots()[0]);
  EXPECT_EQ(r.frame.currentObject(), r.keys["toc"]);
}

TEST(HomeViewer, TakesOnlyTheHomeKeyAndTapsNavigate) {
  ChromeRig r;
  FakeWindow homeWindow;
  HomeViewer home(r.frame, r.keys, &homeWindow);
  r.frame.registerViewer(&home);
  r.content.takes = [&](uint32_t o) { return o != r.keys["home"]; };
  r.frame.navigate(r.keys["home"], nullptr, 0, true);
  EXPECT_TRUE(homeWindow.shown);
  EXPECT_EQ(r.frame.title(), u"Home");
  EXPECT_EQ(r.window.current().size(), 1u);
  EXPECT_EQ(r.window.current()[0].kind, kFill);

  home.tap(HomeLayout(96, 96, false), 9 + 24 * 3 + 5, 160);
  EXPECT_EQ(r.frame.currentObject(), r.keys["index_search"]);
  EXPECT_EQ(r.frame.currentData().bytes, (std::vector<uint8_t>{'D', 0}));
  EXPECT_FALSE(homeWindow.shown);

  home.tap(HomeLayout(96, 96, false), 110, 135);
  EXPECT_EQ(r.frame.currentObject(), r.keys["toc"]);
  uint64_t before = r.frame.navigationCount();
  home.tap(HomeLayout(96, 96, false), 5, 5);
  EXPECT_EQ(r.frame.navigationCount(), before);
}

}  // namespace
}  // namespace vantrel
