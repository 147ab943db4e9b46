// The test surface itself: the metrics the other tests rely on, and pictures.
#include "Helpers.h"

namespace vantrel::testing {
namespace {

TEST(TestSurfaceMetrics, AsDocumented) {
  FixedMetricsSurface s;
  EXPECT_EQ(s.measureText(u"abc"), (Size{24, 16}));  // default font: 16 px
  EXPECT_EQ(s.measureText(u""), (Size{0, 16}));
  FontDescription f = guideFontDescription(192);
  f.weight = 700;
  s.useFont(f);
  EXPECT_EQ(s.measureText(u"ab\ncd"), (Size{4 * 17, 32}));
  EXPECT_EQ(s.textHeight(), 32);
  const std::u16string t = u"abcdef";
  EXPECT_EQ(s.fitCount(t.data(), t.size(), 33), 1u);
  EXPECT_EQ(s.fitCount(t.data(), t.size(), 34), 2u);
  EXPECT_EQ(s.fitCount(t.data(), t.size(), 1000), 6u);
  f.height = -12;
  s.useFont(f);
  EXPECT_EQ(s.measureText(u"x").width, 7);
  s.selectFont(nullptr);
  EXPECT_EQ(s.selectedFont()->description().height, 16);
}

TEST(TestSurfaceImages, SizeFromThePngHeader) {
  FixedMetricsSurface s;
  const uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H',
                         'D',  'R', 0,   0,   1,   0x2C, 0,    0,    0, 0x50, 8, 2, 0, 0, 0};
  const ImageRef img = s.decodeImage(png, sizeof png);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->size(), (Size{300, 80}));
  s.drawImage(*img, {0, 0, 300, 80}, {10, 10, 160, 50});
  ASSERT_EQ(s.calls().size(), 1u);
  EXPECT_EQ(s.calls()[0].kind, FixedMetricsSurface::CallKind::Image);
  EXPECT_EQ(s.calls()[0].rect, (Rect{10, 10, 160, 50}));
  EXPECT_FALSE(s.decodeImage(png, 20));
  const uint8_t junk[30] = {1, 2, 3};
  EXPECT_FALSE(s.decodeImage(junk, sizeof junk));
  EXPECT_FALSE(s.decodeImage(nullptr, 0));
}

}  // namespace
}  // namespace vantrel::testing
