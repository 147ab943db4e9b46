// The split window's arithmetic: pane positions, the drag kept between a
// quarter and three quarters, and the three snap zones.
#include <gtest/gtest.h>

#include "core/hierarchy/SplitLayout.h"

namespace vantrel {
namespace {

TEST(SplitLayout, PlacesThePanesAroundTheSplitter) {
  SplitLayout s;  // 96 dpi: a 15-pixel splitter
  // 240 x 246 under a 20-pixel header: f = trunc(226 * 0.5 - 7.5) = 105.
  SplitGeometry g = s.layout(240, 246, 20);
  EXPECT_EQ(g.tree.top, 20);
  EXPECT_EQ(g.tree.height(), 105);
  EXPECT_EQ(g.splitter.top, 125);
  EXPECT_EQ(g.splitter.height(), 15);
  EXPECT_EQ(g.fields.top, 140);
  EXPECT_EQ(g.fields.bottom, 246);
  EXPECT_EQ(g.fields.width(), 240);
  SplitLayout high(192, 192);
  EXPECT_EQ(high.splitterHeight(), 30);
  EXPECT_EQ(high.layout(480, 492, 40).splitter.top, 40 + 211);  // trunc(452 * 0.5 - 15)
}

TEST(SplitLayout, DragFollowsThePenWithinTheLimits) {
  SplitLayout s;
  const int h = 246, hh = 20;
  const int t = s.hitTop(h, hh);
  EXPECT_EQ(t, 126);  // 20 + trunc(113 - 7)
  EXPECT_FALSE(s.press(200, t + 2, h, hh));  // right of the dragging part
  EXPECT_FALSE(s.press(50, t - 1, h, hh));
  ASSERT_TRUE(s.press(50, t + 2, h, hh));
  EXPECT_TRUE(s.dragging());
  // Down by 20: the top moves 20, the ratio follows.
  ASSERT_TRUE(s.move(t + 22, h, hh));
  EXPECT_NEAR(s.ratio(), (125 + 20 - 20 + 7) / 226.0, 1e-6);
  // Far to the top and to the bottom: kept at the limits.
  s.move(-500, h, hh);
  EXPECT_FLOAT_EQ(s.ratio(), 0.25f);
  s.move(2000, h, hh);
  EXPECT_FLOAT_EQ(s.ratio(), 0.75f);
  EXPECT_TRUE(s.release(50, 2000, 240, h, hh));
  EXPECT_FALSE(s.dragging());
  EXPECT_FLOAT_EQ(s.ratio(), 0.75f);
  EXPECT_FALSE(s.move(100, h, hh));  // no drag without a press
}

TEST(SplitLayout, SnapZonesAtTheRightEnd) {
  SplitLayout s;
  const int w = 240, h = 246, hh = 20;
  const int y = s.hitTop(h, hh) + 5;
  EXPECT_TRUE(s.release(w - 40, y, w, h, hh));
  EXPECT_FLOAT_EQ(s.ratio(), 0.75f);
  const int y2 = s.hitTop(h, hh) + 5;  // the splitter moved
  s.release(w - 24, y2, w, h, hh);
  EXPECT_FLOAT_EQ(s.ratio(), 0.5f);
  s.release(w - 3, s.hitTop(h, hh), w, h, hh);  // the zone's last pixel
  EXPECT_FLOAT_EQ(s.ratio(), 0.25f);
  // Between the zones, and off the splitter: no change.
  s.release(w - 32, s.hitTop(h, hh) + 1, w, h, hh);
  EXPECT_FLOAT_EQ(s.ratio(), 0.25f);
  EXPECT_FALSE(s.release(w - 24, s.hitTop(h, hh) - 1, w, h, hh));
  EXPECT_FLOAT_EQ(s.ratio(), 0.25f);
  // At 192 dpi the zones scale.
  SplitLayout high(192, 192);
  high.release(480 - 48, high.hitTop(492, 40) + 4, 480, 492, 40);
  EXPECT_FLOAT_EQ(high.ratio(), 0.5f);
}

}  // namespace
}  // namespace vantrel
