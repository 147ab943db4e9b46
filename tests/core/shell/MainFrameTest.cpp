#include "core/page/MainFrame.h"

#include <gtest/gtest.h>

#include "ShellFakes.h"

namespace vantrel {
namespace {

using test::FakeHost;
using test::FakeWindow;
using test::ScriptViewer;

struct FrameRig {
  FixedScreen screen;
  StateKeyboard keyboard;
  FakeHost host;
  FrameWindow window{host, screen, keyboard};
  MainFrame frame{window, keyboard};
  std::vector<std::string> log;
};

TEST(MainFrame, EveryViewerIsAskedAndOnlyTakersGetAfterLayout) {
  FrameRig r;
  FakeWindow w;
  ScriptViewer a(r.frame, "a", &r.log), b(r.frame, "b", &r.log), c(r.frame, "c", &r.log);
  a.takes = [](uint32_t) { return false; };
  b.windows = {{&w, kFill}};
  b.title = u"Page";
  r.frame.registerViewer(&a);
  r.frame.registerViewer(&b);
  r.frame.registerViewer(&c);
  r.frame.navigate(3, nullptr, 0, true);
  EXPECT_EQ(r.log, (std::vector<std::string>{"a.show 3", "b.show 3", "c.show 3", "b.afterLayout", "c.afterLayout"}));
  EXPECT_TRUE(w.shown);
  EXPECT_EQ(r.host.title, u"Page");
  EXPECT_FALSE(r.frame.busy());
  EXPECT_FALSE(r.host.cursorOn);
}

TEST(MainFrame, RequestsFromAfterLayoutRunLaterInArrivalOrder) {
  FrameRig r;
  ScriptViewer v(r.frame, "v", &r.log);
  bool first = true;
  v.onAfterLayout = [&] {
    if (!first) return;
    first = false;
    const uint8_t d[3] = {1, 2, 3};
    r.frame.navigate(10, d, 3, false);
    r.frame.navigate(11, nullptr, 0, false);
    r.frame.navigate(12, d, 1, false);
    EXPECT_EQ(r.frame.queued(), 3u);
    r.log.push_back("requested");
  };
  r.frame.registerViewer(&v);
  r.keyboard.showKeyboard();
  r.frame.navigate(1, nullptr, 0, false);
  EXPECT_EQ(r.log, (std::vector<std::string>{"v.show 1", "v.afterLayout", "requested", "v.show 10", "v.afterLayout",
                                             "v.show 11", "v.afterLayout", "v.show 12", "v.afterLayout"}));
  EXPECT_EQ(v.lastData, std::vector<uint8_t>{1});
  // The queued requests ran with the keyboard-hiding flag set.
  EXPECT_FALSE(r.keyboard.keyboardShown());
  EXPECT_EQ(r.frame.navigationCount(), 4u);
  EXPECT_EQ(r.frame.queued(), 0u);
}

TEST(MainFrame, AViewerThatDropsOutHasItsWindowsHidden) {
  FrameRig r;
  FakeWindow w1, w2;
  ScriptViewer a(r.frame, "a", nullptr), b(r.frame, "b", nullptr);
  a.takes = [](uint32_t o) { return o == 1; };
  b.takes = [](uint32_t o) { return o == 2; };
  a.windows = {{&w1, kFill}};
  b.windows = {{&w2, kFill}};
  r.frame.registerViewer(&a);
  r.frame.registerViewer(&b);
  r.frame.navigate(1, nullptr, 0, true);
  EXPECT_TRUE(w1.shown);
  r.frame.navigate(2, nullptr, 0, true);
  EXPECT_FALSE(w1.shown);
  EXPECT_TRUE(w2.shown);
  r.frame.navigate(99, nullptr, 0, true);  // nobody shows it: an empty page area
  EXPECT_FALSE(w2.shown);
  EXPECT_TRUE(r.window.current().empty());
}

TEST(MainFrame, CurrentPageKeepsItsOwnCopy) {
  FrameRig r;
  uint8_t bytes[2] = {4, 5};
  r.frame.setCurrentPage(7, bytes, 2);
  bytes[0] = 9;
  EXPECT_EQ(r.frame.currentData().bytes, (std::vector<uint8_t>{4, 5}));
  r.frame.setCurrentPage(8, bytes, 0);
  EXPECT_EQ(r.frame.currentObject(), 8u);
  EXPECT_EQ(r.frame.currentData().length(), 0u);
  EXPECT_EQ(r.frame.currentData().data(), nullptr);
}

TEST(MainFrame, ANavigationLeavesOverlayMode) {
  FrameRig r;
  FakeWindow page, over;
  ScriptViewer v(r.frame, "v", nullptr);
  v.windows = {{&page, kFill}};
  r.frame.registerViewer(&v);
  r.frame.navigate(1, nullptr, 0, true);
  r.frame.enterOverlay();
  r.window.commit({{&over, kFill}});
  r.window.arrange(false);
  EXPECT_TRUE(over.shown);
  r.frame.navigate(2, nullptr, 0, true);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Normal);
  EXPECT_FALSE(over.shown);
  EXPECT_TRUE(page.shown);
}

}  // namespace
}  // namespace vantrel
