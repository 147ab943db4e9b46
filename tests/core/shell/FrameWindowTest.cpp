#include "core/page/FrameWindow.h"

#include <gtest/gtest.h>

#include "ShellFakes.h"

namespace vantrel {
namespace {

using test::FakeHost;
using test::FakeWindow;

struct FrameRig {
  FixedScreen screen{96, 96, {240, 320}};
  StateKeyboard keyboard;
  FakeHost host;
  FrameWindow frame{host, screen, keyboard};
  FrameRig() {
    screen.setVisibleDesktopArea(rectXYWH(0, 26, 240, 294));
    frame.create();
  }
  void page(std::vector<LayoutItem> items) {
    frame.beginLayout();
    frame.commit(std::move(items));
    frame.arrange(false);
  }
};

TEST(FrameWindow, CreateLeavesTheMenuBarFreeAndHidesTheKeyboard) {
  FrameRig r;
  EXPECT_EQ(r.host.moved, rectXYWH(0, 26, 240, 268));
  EXPECT_EQ(r.keyboard.hideCalls, 1);
  EXPECT_FALSE(r.frame.keyboardUp());
  EXPECT_EQ(menuBarHeight(192), 52);
}

TEST(FrameWindow, BarsAndFillShareTheClientArea) {
  FrameRig r;
  FakeWindow top({50, 20}), bottom({50, 30}), fill, left({15, 5}), right({12, 5});
  r.page({{&fill, kFill}, {&top, kTopStrip}, {&bottom, kBottomStrip}});
  EXPECT_EQ(top.rect, rectXYWH(0, 0, 240, 20));
  EXPECT_EQ(bottom.rect, rectXYWH(0, 238, 240, 30));
  EXPECT_EQ(fill.rect, rectXYWH(0, 20, 240, 218));
  EXPECT_TRUE(fill.shown && top.shown && bottom.shown);

  // Side strips take the full free height; a top strip after a left strip
  // spans only the free width.
  FakeWindow top2({9, 10});
  r.page({{&left, kLeftStrip}, {&right, kRightStrip}, {&top2, kTopStrip}, {&fill, kFill}});
  EXPECT_EQ(left.rect, rectXYWH(0, 0, 15, 268));
  EXPECT_EQ(right.rect, rectXYWH(228, 0, 12, 268));
  EXPECT_EQ(top2.rect, rectXYWH(15, 0, 213, 10));
  EXPECT_EQ(fill.rect, rectXYWH(15, 10, 213, 258));
}

TEST(FrameWindow, BottomStripsStackUpwardsInCommitOrderAndUnknownKindsAreIgnored) {
  std::vector<LayoutItem> items;
  FakeWindow a({1, 20}), b({1, 30}), odd({5, 5}), f1, f2;
  auto placed = placeItems({{&a, kBottomStrip}, {&f1, kFill}, {&b, kBottomStrip}, {&odd, 7}, {&f2, kFill}}, 240, 268);
  ASSERT_EQ(placed.size(), 3u);
  EXPECT_EQ(placed[0].rect, rectXYWH(0, 248, 240, 20));
  EXPECT_EQ(placed[1].rect, rectXYWH(0, 218, 240, 30));
  EXPECT_EQ(placed[2].window, &f2);  // the last fill wins
  EXPECT_EQ(placed[2].rect, rectXYWH(0, 0, 240, 218));
}

TEST(FrameWindow, ClientCoveringTheMenuBarPlaceKeepsItFree) {
  EXPECT_EQ(layoutHeight(294, 96), 268);
  EXPECT_EQ(layoutHeight(214, 96), 188);
  EXPECT_EQ(layoutHeight(588, 192), 536);
  EXPECT_EQ(layoutHeight(300, 96), 300);
  FrameRig r;
  r.host.client = {240, 294};
  FakeWindow fill;
  r.page({{&fill, kFill}});
  EXPECT_EQ(fill.rect, rectXYWH(0, 0, 240, 268));
}

TEST(FrameWindow, WindowsOfThePreviousPageAreHiddenSharedOnesStay) {
  FrameRig r;
  FakeWindow shared({5, 20}), oldFill, newFill;
  r.page({{&shared, kTopStrip}, {&oldFill, kFill}});
  int sharedChanges = shared.shownChanges;
  r.page({{&shared, kTopStrip}, {&newFill, kFill}});
  EXPECT_FALSE(oldFill.shown);
  EXPECT_TRUE(newFill.shown);
  EXPECT_TRUE(shared.shown);
  EXPECT_EQ(shared.shownChanges, sharedChanges);  // not hidden and shown again
  EXPECT_EQ(shared.placeCount, 2);
}

TEST(FrameWindow, OverlayCommitLeavesThePageAndCloseOverlayRestoresIt) {
  FrameRig r;
  FakeWindow bar({5, 30}), fill, list, buttons({5, 25});
  r.page({{&fill, kFill}, {&bar, kBottomStrip}});
  Rect fillRect = fill.rect, barRect = bar.rect;

  r.frame.enterOverlay();
  r.frame.commit({{&list, kFill}, {&buttons, kBottomStrip}});
  r.frame.arrange(false);
  EXPECT_EQ(r.frame.current().size(), 2u);
  EXPECT_EQ(r.frame.current()[0].window, &fill);
  EXPECT_TRUE(list.shown);
  EXPECT_EQ(list.updates, 1);
  EXPECT_EQ(list.rect, rectXYWH(0, 0, 240, 243));
  EXPECT_TRUE(fill.shown);  // the page underneath is not hidden by the overlay itself

  r.frame.closeOverlay();
  EXPECT_EQ(r.frame.mode(), FrameWindow::Mode::Normal);
  EXPECT_TRUE(r.frame.overlay().empty());
  EXPECT_FALSE(list.shown);
  EXPECT_FALSE(buttons.shown);
  EXPECT_TRUE(fill.shown && bar.shown);
  EXPECT_EQ(fill.rect, fillRect);
  EXPECT_EQ(bar.rect, barRect);
  EXPECT_GE(fill.updates, 1);
}

TEST(FrameWindow, KeyboardUpShrinksTheWindowAndDownGrowsItBack) {
  FrameRig r;
  FakeWindow fill;
  r.page({{&fill, kFill}});
  r.screen.setVisibleDesktopArea(rectXYWH(0, 26, 240, 200));
  r.keyboard.showKeyboard();
  r.frame.keyboardChanged();
  EXPECT_TRUE(r.frame.keyboardUp());
  EXPECT_EQ(r.host.moved, rectXYWH(0, 26, 240, 200));
  EXPECT_EQ(fill.rect, rectXYWH(0, 0, 240, 200));
  r.screen.setVisibleDesktopArea(rectXYWH(0, 26, 240, 294));
  r.keyboard.hideKeyboard();
  r.frame.keyboardChanged();
  EXPECT_FALSE(r.frame.keyboardUp());
  EXPECT_EQ(r.host.moved, rectXYWH(0, 26, 240, 268));
  EXPECT_EQ(fill.rect, rectXYWH(0, 0, 240, 268));
}

}  // namespace
}  // namespace vantrel
