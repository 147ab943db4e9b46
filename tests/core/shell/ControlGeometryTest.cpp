#include "core/tables/ControlGeometry.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ButtonBarGeometry, AlignmentAndOverflow) {
  const std::vector<Size> three = {{30, 22}, {70, 22}, {70, 22}};
  const int spacing = 2;
  EXPECT_EQ(barTotalWidth(three, spacing), 176);
  // Centred on a wide bar.
  auto centred = placeBarButtons(three, 240, 30, spacing, kAlignCentre);
  EXPECT_EQ(centred[0], rectXYWH(32, 4, 30, 22));
  EXPECT_EQ(centred[1].left, 64);
  EXPECT_EQ(centred[2].left, 136);
  // Narrower than the buttons: they start at the left spacing.
  EXPECT_EQ(placeBarButtons(three, 150, 30, spacing, kAlignCentre)[0].left, 2);
  EXPECT_EQ(placeBarButtons(three, 176, 30, spacing, kAlignRight)[0].left, 2);
  // Right: the last button's right edge two spacings from the bar's edge.
  auto right = placeBarButtons(three, 240, 22, 10, kAlignRight);
  EXPECT_EQ(right.back().right, 240 - 2 * 10);
  EXPECT_EQ(placeBarButtons(three, 240, 22, spacing, kAlignLeft)[0].left, 2);
  EXPECT_EQ(placeBarButtons(three, 240, 22, spacing, 0)[0].left, 2);
}

TEST(TitleLines, WrapsAtSpacesAndNeverBreaksAWord) {
  auto width = [](std::u16string_view s) { return static_cast<int>(s.size()) * 10; };  // 10 px a character
  EXPECT_EQ(countTitleLines(u"short", 100, width), 1);
  EXPECT_EQ(countTitleLines(u"", 100, width), 1);
  // Three words, the second crossing the width.
  EXPECT_EQ(countTitleLines(u"abc defgh i", 85, width), 2);
  EXPECT_EQ(countTitleLines(u"abc defgh i", 80, width), 3);
  EXPECT_EQ(countTitleLines(u"averyveryverylongword then", 50, width), 2);
  EXPECT_EQ(countTitleLines(u"averyveryverylongword", 50, width), 1);
  // A line that reaches the width exactly already counts as full.
  EXPECT_EQ(countTitleLines(u"abcd efghi", 100, width), 2);
  EXPECT_EQ(countTitleLines(u"abcd efgh", 100, width), 1);
}

}  // namespace
}  // namespace vantrel
