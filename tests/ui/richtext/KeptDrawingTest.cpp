// Drawing a block again from the glyph runs kept from its last draw: the
// pixels and link areas must be exactly those of laying it out afresh, and
// anything the layout depends on (font, resolution, size, colours, text, the
// fonts themselves) must make it lay out again.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "ui/platform/QtSurface.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

// A Qt surface that records nothing: drawing through it always lays out, as
// every draw did before drawings were kept.
class LayoutOnlySurface : public DrawingSurface {
 public:
  explicit LayoutOnlySurface(QtSurface& inner) : s_(inner) {}
  Size size() const override { return s_.size(); }
  FontRef createFont(const FontDescription& d) override { return s_.createFont(d); }
  void selectFont(const FontRef& font) override { s_.selectFont(font); }
  FontRef selectedFont() const override { return s_.selectedFont(); }
  void setTextColour(Colour c) override { s_.setTextColour(c); }
  Colour textColour() const override { return s_.textColour(); }
  Size measureText(const char16_t* text, size_t n) override { return s_.measureText(text, n); }
  size_t fitCount(const char16_t* text, size_t n, int width) override { return s_.fitCount(text, n, width); }
  int textHeight() override { return s_.textHeight(); }
  void drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) override {
    s_.drawText(text, n, rect, flags);
  }
  void fillRect(const Rect& rect, Colour colour) override { s_.fillRect(rect, colour); }
  void polyline(const Point* p, size_t n, Colour c) override { s_.polyline(p, n, c); }
  void polygon(const Point* p, size_t n, Colour f, Colour o) override { s_.polygon(p, n, f, o); }
  ImageRef decodeImage(const uint8_t* data, size_t n) override { return s_.decodeImage(data, n); }
  void drawImage(const SurfaceImage& i, const Rect& s, const Rect& t) override { s_.drawImage(i, s, t); }
  std::unique_ptr<DrawingSurface> createOffscreen(int w, int h) override { return s_.createOffscreen(w, h); }
  void copyFrom(DrawingSurface& source, const Rect& r, Point p) override { s_.copyFrom(source, r, p); }

 private:
  QtSurface& s_;
};

struct Drawn {
  QImage image;
  std::vector<LinkAreaList::Entry> links;
  bool truncated = false;
};

// The block laid out afresh: a copy of it without its kept drawing, drawn
// through a surface that keeps nothing.
Drawn freshDrawing(const MarkupRenderer& r, const TextBlock& block, const Rect& rect, Size image, Point origin) {
  QtSurface s(image.width, image.height);
  LayoutOnlySurface plain(s);
  TextBlock b = block;
  b.drawing.reset();
  LinkAreaList links;
  r.drawLinked(origin, links, plain, b, rect);
  s.end();
  EXPECT_TRUE(!b.drawing || !b.drawing->recording);  // nothing was recorded
  return {s.image().copy(), links.entries(), b.truncated};
}

// Draws the block on a white surface of that size, keeping what it kept.
Drawn drawOn(const MarkupRenderer& r, TextBlock& b, const Rect& rect, Size image, Point origin) {
  QtSurface s(image.width, image.height);
  LinkAreaList links;
  r.drawLinked(origin, links, s, b, rect);
  s.end();
  return {s.image().copy(), links.entries(), b.truncated};
}

void expectSame(const Drawn& a, const Drawn& b, const std::string& what) {
  ASSERT_EQ(a.image.size(), b.image.size()) << what;
  EXPECT_TRUE(a.image == b.image) << what << ": the pixels differ";
  EXPECT_EQ(a.links, b.links) << what;
  EXPECT_EQ(a.truncated, b.truncated) << what;
}

const std::string kDemo = std::string(VANTREL_BINARY_DIR) + "/demo-guide/Qd07-Qd07";

// The texts of the guide's table cells: every field that holds a string.
std::vector<std::u16string> demoCells(const ContentDatabase& db) {
  const uint16_t field = db.typeNumber(u"field");
  const uint16_t string = db.kindNumber(u"string");
  std::vector<std::u16string> cells;
  if (field == kNoType) return cells;
  for (ObjectIndex i = 1; i < db.objectCount(); ++i) {
    ObjectEntry e;
    if (db.readEntry(i, e) && e.type == field && e.valueKind == string) {
      std::u16string text = db.readString(e.value);
      if (!text.empty()) cells.push_back(std::move(text));
    }
  }
  return cells;
}

TEST(KeptDrawing, TheDemoGuidesTableCellsDrawAgainPixelForPixel) {
  if (!std::filesystem::exists(kDemo + "-Data.pdb")) GTEST_SKIP() << "demo guide not built";
  ContentDatabase db;
  ASSERT_TRUE(db.open(kDemo));
  const std::vector<std::u16string> cells = demoCells(db);
  ASSERT_GT(cells.size(), 100u);

  // One-line cells as the grid draws them, and wrapped ones; at 96 and 192 dpi.
  struct Layout {
    int dpi, maxLines, width, height;
  };
  int replayed = 0;
  for (const Layout l : {Layout{96, 1, 76, 20}, Layout{96, 0, 120, 100}, Layout{192, 1, 152, 40}}) {
    MarkupRenderer r(l.dpi, l.dpi);
    r.configure(guideFontDescription(l.dpi), l.maxLines, 0x000000);
    const Size image{l.width + 40, l.height + 30};
    const Rect first{0, 0, l.width, l.height};
    const Rect moved{17, 23, 17 + l.width, 23 + l.height};  // redrawn elsewhere, as after a scroll
    for (size_t k = 0; k < cells.size(); ++k) {
      const std::string what = "cell " + std::to_string(k) + " at " + std::to_string(l.dpi) + " dpi, width " +
                               std::to_string(l.width);
      TextBlock b(cells[k]);
      QtSurface measure(1, 1);
      r.parse(b, measure);
      // Laid out, laid out and recorded, then drawn from the recording (and
      // elsewhere, as after a scroll).
      const Drawn expected = freshDrawing(r, b, first, image, {5, 7});
      expectSame(drawOn(r, b, first, image, {5, 7}), expected, what);
      expectSame(drawOn(r, b, first, image, {5, 7}), expected, what + ", drawn again");
      const BlockDrawing* kept = b.drawing.get();
      const Drawn expectedMoved = freshDrawing(r, b, moved, image, {0, 0});
      expectSame(drawOn(r, b, moved, image, {0, 0}), expectedMoved, what + ", drawn from the kept glyphs");
      if (kept != nullptr && kept->recording && b.drawing.get() == kept) ++replayed;
    }
  }
  // The second draws came from the kept glyphs, not from a new layout.
  EXPECT_GT(replayed, static_cast<int>(cells.size()) * 3 * 9 / 10);
}

// The surface blends glyph runs itself from the coverage Qt gives each
// glyph; what it draws must be what QPainter draws, pixel for pixel.
class QtBlending {
 public:
  QtBlending() { QtSurface::setOwnGlyphBlending(false); }
  ~QtBlending() { QtSurface::setOwnGlyphBlending(true); }
};

TEST(KeptDrawing, TheDemoGuidesTableCellsBlendedByTheSurfaceAreQtsPixels) {
  if (!std::filesystem::exists(kDemo + "-Data.pdb")) GTEST_SKIP() << "demo guide not built";
  ContentDatabase db;
  ASSERT_TRUE(db.open(kDemo));
  const std::vector<std::u16string> cells = demoCells(db);
  ASSERT_GT(cells.size(), 100u);
  ASSERT_TRUE(QtSurface::ownGlyphBlending());

  // One-line and wrapped cells at 96 and 192 dpi, on white, on a tinted
  // ground and inverted (a highlighted cell), on surfaces at ratio 1 and 2.
  struct Layout {
    int dpi, maxLines, width, height;
    Colour ground;
    bool inverted;
    qreal ratio;
  };
  const Layout layouts[] = {{96, 1, 76, 20, 0xFFFFFF, false, 1.0},  {96, 0, 120, 100, 0xFFFFFF, false, 1.0},
                            {192, 1, 152, 40, 0xFFFFFF, false, 1.0}, {96, 0, 120, 100, 0xE8F0F8, false, 1.0},
                            {96, 1, 76, 20, 0xFFFFFF, true, 1.0},    {96, 0, 120, 100, 0xFFFFFF, false, 2.0}};
  for (const Layout& l : layouts) {
    MarkupRenderer r(l.dpi, l.dpi);
    r.configure(guideFontDescription(l.dpi), l.maxLines, 0x000000);
    const Rect first{0, 0, l.width, l.height};
    const Rect moved{-3, 23, -3 + l.width, 23 + l.height};  // partly outside the image, as when scrolled
    auto draw = [&](TextBlock& b, bool own, bool twice) {
      std::unique_ptr<QtBlending> qt = own ? nullptr : std::make_unique<QtBlending>();
      QtSurface s(l.width + 40, l.height + 30, l.ratio);
      LinkAreaList links;
      r.drawLinked({5, 7}, links, s, b, first);
      if (twice) r.drawLinked({5, 7}, links, s, b, moved);  // from the kept glyphs
      s.end();
      return Drawn{s.image().copy(), links.entries(), b.truncated};
    };
    for (size_t k = 0; k < cells.size(); ++k) {
      const std::string what = "cell " + std::to_string(k) + " at " + std::to_string(l.dpi) + " dpi, width " +
                               std::to_string(l.width) + ", ratio " + std::to_string(l.ratio);
      TextBlock b(cells[k], l.ground);
      QtSurface measure(1, 1);
      r.parse(b, measure);
      if (l.inverted) MarkupRenderer::toggleInverted(b);
      TextBlock byQt = b, own = b;
      expectSame(draw(own, true, false), draw(byQt, false, false), what);
      // Drawn again, then from the kept glyphs, both ways.
      expectSame(draw(own, true, true), draw(byQt, false, true), what + ", from the kept glyphs");
    }
  }
}

TEST(KeptDrawing, WhatTheLayoutDependsOnMakesItLayOutAgain) {
  const std::u16string markup =
      u"<b>Adults:</b> 500 mg q12h; CrCl &lt; 30 ml/min: reduce by 50% (see <a href=\"1234\">table 3</a>) "
      u"H<sub>2</sub>O x<sup>2</sup> <i>italic</i> &amp; more";
  const Size image{200, 140};
  const Rect rect{0, 0, 150, 120};
  MarkupRenderer r(96, 96);
  r.configure(guideFontDescription(96), 0, 0x000000);
  TextBlock b(markup);
  QtSurface measure(1, 1);
  r.parse(b, measure);
  drawOn(r, b, rect, image, {0, 0});
  drawOn(r, b, rect, image, {0, 0});
  ASSERT_NE(b.drawing, nullptr);

  // Each change comes after the block's glyphs were recorded, and is drawn
  // twice: neither draw may use glyphs kept from before the change.
  auto expectFresh = [&](const MarkupRenderer& renderer, const Rect& at, const std::string& what) {
    ASSERT_TRUE(b.drawing && b.drawing->recording) << what;
    const BlockDrawing* before = b.drawing.get();
    const Drawn expected = freshDrawing(renderer, b, at, image, {0, 0});
    expectSame(drawOn(renderer, b, at, image, {0, 0}), expected, what);
    EXPECT_NE(b.drawing.get(), before) << what << ": drawn from the kept glyphs";
    expectSame(drawOn(renderer, b, at, image, {0, 0}), expected, what + ", recorded");
  };
  // Another font (as after a change of resolution the font height changes).
  MarkupRenderer bigger = r;
  bigger.configure(guideFontDescription(144), 0, 0x000000);
  expectFresh(bigger, rect, "bigger font");
  // The same font at another resolution (line spacing and slant allowance change).
  MarkupRenderer dpi(192, 192);
  dpi.configure(guideFontDescription(144), 0, 0x000000);
  expectFresh(dpi, rect, "192 dpi");
  // A line limit, and a narrower rectangle.
  MarkupRenderer oneLine = r;
  oneLine.configure(std::nullopt, 1, 0x000000);
  expectFresh(oneLine, rect, "one line");
  expectFresh(oneLine, {0, 0, 90, 120}, "narrower");
  // Inverted colours (a highlighted cell).
  MarkupRenderer::toggleInverted(b);
  expectFresh(oneLine, {0, 0, 90, 120}, "inverted");
  MarkupRenderer::toggleInverted(b);
  // The fonts made again (the guide's font file added or removed).
  QtSurface::clearFontCache();
  expectFresh(oneLine, {0, 0, 90, 120}, "fonts made again");
  // New text in the block.
  MarkupRenderer::resetBlock(b);
  EXPECT_EQ(b.drawing, nullptr);
}

TEST(KeptDrawing, KeptGlyphsStayWithinTheirBudget) {
  // Long texts wrapped in a tall rectangle keep many glyphs each; past the
  // budget blocks are drawn without keeping anything, and still right.
  std::u16string markup;
  for (int i = 0; i < 120; ++i) markup += u"dose <b>mg</b> daily renal <a href=\"7\">adjust</a> ";
  MarkupRenderer r(96, 96);
  r.configure(guideFontDescription(96), 0, 0);
  const size_t before = QtSurface::recordingBytes();
  const Rect rect{0, 0, 400, 2000};
  QtSurface s(400, 2000);
  std::vector<TextBlock> blocks;
  blocks.reserve(2000);
  size_t withoutDrawing = 0;
  for (int i = 0; i < 2000 && withoutDrawing == 0; ++i) {
    blocks.emplace_back(markup);
    r.parse(blocks.back(), s);
    r.draw(blocks.back(), s, rect);
    r.draw(blocks.back(), s, rect);  // the second draw records
    if (!blocks.back().drawing->recording) ++withoutDrawing;
    ASSERT_LE(QtSurface::recordingBytes(), QtSurface::recordingBudget());
  }
  EXPECT_EQ(withoutDrawing, 1u) << "the budget was never reached";
  s.end();
  EXPECT_TRUE(s.image() == freshDrawing(r, blocks.back(), rect, {400, 2000}, {0, 0}).image)
      << "a block past the budget";
  blocks.clear();
  EXPECT_EQ(QtSurface::recordingBytes(), before);
}

}  // namespace
}  // namespace vantrel
