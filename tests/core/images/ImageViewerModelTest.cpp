// The image viewer's decisions on a small guide (what it takes, caption,
// note, variant and bytes, buttons) and the image window's scrolling:
// scroll-bar commands, dragging and zoom.
#include <gtest/gtest.h>

#include "ImageFixture.h"
#include "core/images/ImageViewerModel.h"
#include "core/page/PageKeys.h"

namespace vantrel {
namespace {

using test::filler;
using test::imageBlob;

test::ImageGuide makeGuide() {
  auto damaged = imageBlob({{240, 320, filler(30, 1)}, {480, 640, filler(30, 2)}});
  test::setOffset(damaged, 1, 5);
  return test::ImageGuide({
      {u"plain", u"Figure <b>1</b> &amp; more<br>below", imageBlob({{240, 320, filler(50, 9)}}), u"A <i>note</i>"},
      {u"sizes", u"Sizes", imageBlob({{240, 320, filler(10, 1)}, {480, 640, filler(20, 2)}, {320, 240, filler(30, 3)}}),
       u""},
      {u"own", u"Own value", imageBlob({{240, 320, filler(11, 4)}}), u"", true},
      {u"damaged", u"Damaged <i>one</i>", damaged, u"Still here"},
  });
}

TEST(ImageViewerModelTest, TakesImagesWithCaptionNoteVariantAndBytes) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  PageKeys keys;
  keys.set("about", g[u"about"]);
  ImageViewerModel m(g.db, keys);

  EXPECT_FALSE(m.show(g[u"footnote"], {240, 320}, 96, 96));
  EXPECT_FALSE(m.show(g[u"Figures"], {240, 320}, 96, 96));
  EXPECT_FALSE(m.show(g.db.objectCount() + 2, {240, 320}, 96, 96));
  EXPECT_EQ(m.object(), 0u);

  ASSERT_TRUE(m.show(g[u"plain"], {240, 320}, 96, 96));
  EXPECT_EQ(m.caption(), u"Figure 1 & more\nbelow");
  EXPECT_EQ(m.note(), u"A <i>note</i>");
  EXPECT_TRUE(m.noteEnabled());
  EXPECT_EQ(m.chosen(), 0u);
  EXPECT_EQ(m.bytes(), filler(50, 9));

  ASSERT_TRUE(m.show(g[u"sizes"], {320, 240}, 96, 96));
  EXPECT_FALSE(m.noteEnabled());
  EXPECT_EQ(m.chosen(), 2u);
  EXPECT_EQ(m.bytes(), filler(30, 3));
  ASSERT_TRUE(m.show(g[u"sizes"], {480, 800}, 192, 192));
  EXPECT_EQ(m.chosen(), 1u);
  EXPECT_EQ(m.bytes(), filler(20, 2));

  // Without a "data" child the object's own value names the blob.
  ASSERT_TRUE(m.show(g[u"own"], {240, 320}, 96, 96));
  EXPECT_EQ(m.bytes(), filler(11, 4));

  // A damaged blob: no bytes, everything else set.
  ASSERT_TRUE(m.show(g[u"damaged"], {240, 320}, 96, 96));
  EXPECT_EQ(m.caption(), u"Damaged one");
  EXPECT_EQ(m.note(), u"Still here");
  EXPECT_EQ(m.chosen(), 0u);
  EXPECT_EQ(m.range().problem, VariantProblem::Backwards);
  EXPECT_TRUE(m.bytes().empty());
}

TEST(ImageViewerModelTest, LogoGoesToAboutAndOtherButtonsShowTheNote) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  PageKeys keys;
  keys.set("about", g[u"about"]);
  ImageViewerModel m(g.db, keys);
  ASSERT_TRUE(m.show(g[u"plain"], {240, 320}, 96, 96));
  ImageAction logo = m.command(kImageLogoButton);
  EXPECT_EQ(logo.kind, ImageAction::Kind::Navigate);
  EXPECT_EQ(logo.target, g[u"about"]);
  ImageAction note = m.command(kImageNoteButton);
  EXPECT_EQ(note.kind, ImageAction::Kind::ShowNote);
  EXPECT_EQ(note.title, u"Footnote");
  EXPECT_EQ(note.text, u"A <i>note</i>");
}

// A 400 x 300 picture in a 200 x 100 client: 200 and 200 to scroll.
ImageScroller scroller(int dpi = 96) {
  ImageScroller s(dpi, dpi);
  s.setClient({200, 100});
  s.setPicture({400, 300});
  return s;
}

TEST(ImageScrollerTest, ScrollBarCommandsFollowTheirSteps) {
  ImageScroller s = scroller();
  EXPECT_EQ(s.scrollBarMask(), 3);
  const ScrollAxis v = ScrollAxis::Vertical;
  EXPECT_FALSE(s.scroll(v, ScrollRequest::LineUp));
  EXPECT_TRUE(s.scroll(v, ScrollRequest::LineDown));
  EXPECT_EQ(s.offsetY(), 10);
  EXPECT_TRUE(s.scroll(v, ScrollRequest::PageDown));  // step = 200 / 10
  EXPECT_EQ(s.offsetY(), 30);
  EXPECT_TRUE(s.scroll(v, ScrollRequest::Thumb, 195));
  EXPECT_TRUE(s.scroll(v, ScrollRequest::PageDown));  // stops exactly at the end
  EXPECT_EQ(s.offsetY(), 200);
  EXPECT_FALSE(s.scroll(v, ScrollRequest::LineDown));  // nothing at the bottom
  EXPECT_FALSE(s.scroll(v, ScrollRequest::PageDown));
  EXPECT_EQ(s.offsetY(), 200);
  EXPECT_TRUE(s.scroll(v, ScrollRequest::Thumb, 4));
  EXPECT_TRUE(s.scroll(v, ScrollRequest::LineUp));  // only what is left
  EXPECT_EQ(s.offsetY(), 0);
  EXPECT_TRUE(s.scroll(v, ScrollRequest::Thumb, 5000));
  EXPECT_EQ(s.offsetY(), 200);
  EXPECT_EQ(s.offsetX(), 0);  // the other axis stays

  // A new client size puts both back at the start; a picture that fits has
  // nothing to scroll.
  s.setClient({300, 150});
  EXPECT_EQ(s.offsetY(), 0);
  s.setPicture({100, 50});
  EXPECT_EQ(s.scrollBarMask(), 0);
  EXPECT_FALSE(s.scroll(ScrollAxis::Horizontal, ScrollRequest::LineDown));
  s.setPicture({100, 151});
  EXPECT_EQ(s.scrollBarMask(), 1);
}

TEST(ImageScrollerTest, DragsScrollOnlyPastTheThresholdPerMove) {
  ImageScroller s = scroller(96);
  s.penDown({100, 50});
  // 1 and 2 pixels per move never scroll, however many moves.
  for (int i = 1; i <= 10; ++i) EXPECT_FALSE(s.penMove({100 - i, 50 - 2 * i}));
  EXPECT_EQ(s.offsetX(), 0);
  EXPECT_EQ(s.offsetY(), 0);
  // 3 pixels do, on each axis by itself, against the stylus.
  EXPECT_TRUE(s.penMove({87, 30}));
  EXPECT_EQ(s.offsetX(), 3);
  EXPECT_EQ(s.offsetY(), 0);
  EXPECT_TRUE(s.penMove({87, 27}));
  EXPECT_EQ(s.offsetY(), 3);
  // Clamped at both ends.
  EXPECT_TRUE(s.penMove({-500, -500}));
  EXPECT_EQ(s.offsetX(), 200);
  EXPECT_EQ(s.offsetY(), 200);
  EXPECT_TRUE(s.penMove({500, 500}));
  EXPECT_EQ(s.offsetX(), 0);

  // At 192 dpi the threshold is 4 pixels.
  ImageScroller hi = scroller(192);
  hi.penDown({100, 50});
  EXPECT_FALSE(hi.penMove({96, 50}));
  EXPECT_TRUE(hi.penMove({91, 50}));
  EXPECT_EQ(hi.offsetX(), 5);

  // An axis that fits does not scroll.
  ImageScroller wide(96, 96);
  wide.setClient({200, 400});
  wide.setPicture({400, 300});
  wide.penDown({100, 100});
  EXPECT_FALSE(wide.penMove({100, 50}));
  EXPECT_TRUE(wide.penMove({50, 0}));
  EXPECT_EQ(wide.offsetY(), 0);
}

TEST(ImageScrollerTest, ZoomKeepsTheMiddleAndTheBarsFollow) {
  ImageScroller s = scroller();
  EXPECT_EQ(s.zoom(), 1.0);
  ASSERT_TRUE(s.scroll(ScrollAxis::Horizontal, ScrollRequest::Thumb, 100));  // middle at x = 200
  ASSERT_TRUE(s.zoomIn());
  EXPECT_EQ(s.zoom(), 1.5);
  EXPECT_EQ(s.shown(), (Size{600, 450}));
  EXPECT_EQ(s.offsetX(), 200);  // the middle at 300 of 600
  EXPECT_EQ(s.maximum(ScrollAxis::Vertical), 350);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(s.zoomOut());  // 1, 2/3, 1/2
  EXPECT_EQ(s.zoom(), 0.5);
  EXPECT_EQ(s.shown(), (Size{200, 150}));
  EXPECT_EQ(s.scrollBarMask(), 1);
  EXPECT_EQ(s.offsetX(), 0);
  ASSERT_TRUE(s.resetZoom());
  EXPECT_EQ(s.zoom(), 1.0);
  EXPECT_FALSE(s.resetZoom());

  // Fit: the whole picture in the client, at every change of size, until
  // switched off or zoomed by hand; a new picture keeps the mode.
  ASSERT_TRUE(s.toggleFit());
  EXPECT_TRUE(s.fitMode());
  EXPECT_EQ(s.shown(), (Size{133, 100}));
  EXPECT_EQ(s.scrollBarMask(), 0);
  s.setClient({400, 600});
  EXPECT_EQ(s.shown(), (Size{400, 300}));
  s.setPicture({100, 100});
  EXPECT_EQ(s.shown(), (Size{400, 400}));
  ASSERT_TRUE(s.zoomOut());
  EXPECT_FALSE(s.fitMode());
  ASSERT_TRUE(s.toggleFit());
  ASSERT_TRUE(s.toggleFit());
  EXPECT_EQ(s.zoom(), 1.0);

  // Zoom is bounded: at most 8, and no side past kMaxShownSide.
  ImageScroller big(96, 96);
  big.setClient({200, 200});
  big.setPicture({5000, 10});
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(big.zoomIn());  // up to 6: 30000 pixels wide
  EXPECT_FALSE(big.zoomIn());                             // 8 would be 40000
  EXPECT_EQ(big.zoom(), 6.0);
  for (int i = 0; i < 20; ++i) big.zoomOut();
  EXPECT_EQ(big.zoom(), ImageScroller::kMinZoom);
}

}  // namespace
}  // namespace vantrel
