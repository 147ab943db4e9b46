// The image blob's layout, the ranges of its variants (sound and damaged)
// and the choice of the variant made for the screen.
#include <gtest/gtest.h>

#include <algorithm>

#include "ImageFixture.h"
#include "core/images/ImageBlob.h"

namespace vantrel {
namespace {

using test::filler;
using test::imageBlob;
using test::setOffset;

ImageBlobLayout layoutOf(const std::vector<uint8_t>& blob) {
  return parseImageBlobLayout(blob.data(), blob.size(), static_cast<uint32_t>(blob.size()));
}

TEST(ImageBlobTest, VariantsRunFromTheirOffsetToTheNextAndTheLastToTheEnd) {
  const auto blob = imageBlob({{240, 320, filler(100, 1)}, {480, 640, filler(250, 2)}, {320, 240, filler(7, 3)}});
  const ImageBlobLayout l = layoutOf(blob);
  ASSERT_EQ(l.count, 3u);
  ASSERT_TRUE(l.complete());
  EXPECT_EQ(l.variants[1].width, 480);
  EXPECT_EQ(l.variants[1].height, 640);
  const uint32_t first = 1 + 33;
  const uint32_t expect[3][2] = {{first, 100}, {first + 100, 250}, {first + 350, 7}};
  for (uint32_t v = 0; v < 3; ++v) {
    const VariantRange r = variantRange(l, v);
    EXPECT_TRUE(r.ok()) << v;
    EXPECT_EQ(r.offset, expect[v][0]) << v;
    EXPECT_EQ(r.size, expect[v][1]) << v;
    const auto want = filler(expect[v][1], uint8_t(v + 1));
    EXPECT_TRUE(std::equal(want.begin(), want.end(), blob.begin() + r.offset)) << v;
  }
  EXPECT_EQ(variantRange(l, 3).problem, VariantProblem::Missing);
}

TEST(ImageBlobTest, DamagedDescriptorsAreFailedLoadsNeverReadsOutside) {
  const auto sound = imageBlob({{240, 320, filler(40, 1)}, {480, 640, filler(40, 2)}, {320, 240, filler(40, 3)}});

  auto backwards = sound;
  setOffset(backwards, 1, 10);  // variant 1 starts inside the table, before variant 0
  EXPECT_EQ(variantRange(layoutOf(backwards), 0).problem, VariantProblem::Backwards);

  auto past = sound;
  setOffset(past, 2, 0xFFFFFFF0u);
  EXPECT_EQ(variantRange(layoutOf(past), 1).problem, VariantProblem::PastEnd);
  EXPECT_EQ(variantRange(layoutOf(past), 2).problem, VariantProblem::PastEnd);
  EXPECT_TRUE(variantRange(layoutOf(past), 0).ok());

  auto empty = sound;
  setOffset(empty, 1, 1 + 33 + 80);  // variant 1 starts where variant 2 does
  EXPECT_EQ(variantRange(layoutOf(empty), 1).problem, VariantProblem::Empty);

  // The table itself cut off: what could be read is listed, the variant
  // whose end lies in the lost part cannot be read.
  std::vector<uint8_t> cut(sound.begin(), sound.begin() + 1 + 11 + 5);
  const ImageBlobLayout c = layoutOf(cut);
  EXPECT_EQ(c.count, 3u);
  EXPECT_EQ(c.variants.size(), 1u);
  EXPECT_FALSE(c.complete());
  EXPECT_EQ(variantRange(c, 0).problem, VariantProblem::PastEnd);
  EXPECT_EQ(variantRange(c, 1).problem, VariantProblem::Missing);

  // n = 0 and an empty blob have no variant at all.
  EXPECT_EQ(variantRange(layoutOf({0}), 0).problem, VariantProblem::Missing);
  EXPECT_EQ(variantRange(parseImageBlobLayout(nullptr, 0, 0), 0).problem, VariantProblem::Missing);

  // A blob claiming more than 64 MiB for one variant.
  auto huge = imageBlob({{240, 320, filler(4, 1)}});
  const ImageBlobLayout h = parseImageBlobLayout(huge.data(), huge.size(), kMaxVariantBytes + 100);
  EXPECT_EQ(variantRange(h, 0).problem, VariantProblem::TooLarge);
  const ImageBlobLayout exact = parseImageBlobLayout(huge.data(), huge.size(), kMaxVariantBytes + 12);
  EXPECT_TRUE(variantRange(exact, 0).ok());
}

TEST(ImageBlobTest, ChoiceTakesTheScreenSizeThenTheDevicePortraitThenTheFirst) {
  const Size portrait{240, 320}, landscape{320, 240}, big{480, 640};
  auto pick = [](const std::vector<test::VariantFile>& v, Size screen, int dpi) {
    const auto blob = imageBlob(v);
    return chooseImageVariant(layoutOf(blob), screen, dpi, dpi);
  };
  using V = std::vector<test::VariantFile>;
  // One variant is always taken, whatever its size.
  EXPECT_EQ(pick(V{{100, 100, {1}}}, portrait, 96), 0u);
  // The exact screen size wins over the portrait size found earlier.
  const V three{{240, 320, {1}}, {480, 640, {2}}, {320, 240, {3}}};
  EXPECT_EQ(pick(three, landscape, 96), 2u);
  EXPECT_EQ(pick(three, big, 192), 1u);
  EXPECT_EQ(pick(three, portrait, 96), 0u);
  // No exact match: the device's portrait size at this resolution.
  EXPECT_EQ(pick(three, Size{640, 480}, 192), 1u);
  EXPECT_EQ(pick(three, Size{400, 400}, 96), 0u);
  const V noPortrait{{100, 100, {1}}, {320, 240, {2}}, {480, 640, {3}}};
  EXPECT_EQ(pick(noPortrait, Size{800, 600}, 192), 2u);
  // Nothing matches: variant 0.
  EXPECT_EQ(pick(noPortrait, Size{800, 600}, 96), 0u);
  // Sizes compare as 16-bit values.
  EXPECT_EQ(pick(three, Size{65536 + 320, 65536 + 240}, 96), 2u);
  // The first of equal candidates.
  EXPECT_EQ(pick(V{{1, 1, {1}}, {320, 240, {2}}, {320, 240, {3}}}, landscape, 96), 1u);
}

}  // namespace
}  // namespace vantrel
