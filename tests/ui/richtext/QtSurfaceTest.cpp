// The Qt drawing surface on the offscreen platform: fonts, metrics that agree
// with QFontMetrics, and pixels where the engine says they go.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <cstdlib>

#include "ui/platform/QtSurface.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

bool isInk(QRgb p) { return qGray(p) < 160; }

// Bounding box of the non-white pixels of an image; empty when there are none.
QRect inkBox(const QImage& img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (isInk(img.pixel(x, y))) box = box.united(QRect(x, y, 1, 1));
    }
  }
  return box;
}

TEST(QtSurface, GuideFaceIsSubstitutedAndHeightsArePixelSizes) {
  const FontDescription guide = guideFontDescription(96);
  EXPECT_EQ(QtSurface::familyFor(guide.face), QStringLiteral("DejaVu Sans"));
  const QFont f = QtSurface::qfontFor(guide);
  EXPECT_EQ(f.pixelSize(), 16);
  EXPECT_TRUE(QFontInfo(f).family().startsWith(QStringLiteral("DejaVu Sans")));
  FontDescription bold = guide;
  bold.weight = 700;
  bold.height = -24;
  const QFont b = QtSurface::qfontFor(bold);
  EXPECT_EQ(b.pixelSize(), 24);
  EXPECT_EQ(b.weight(), QFont::Bold);

  // Once the guide's font file is loaded its family stands for the face.
  QtSurface::setGuideFontFamily(QStringLiteral("DejaVu Serif"));
  EXPECT_EQ(QtSurface::familyFor(guide.face), QStringLiteral("DejaVu Serif"));
  QtSurface s(10, 10);
  s.useFont(guide);
  const auto* font = dynamic_cast<const QtFont*>(s.selectedFont().get());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->font().family(), QStringLiteral("DejaVu Serif"));
  QtSurface::setGuideFontFamily(QString());
  s.useFont(guide);
  EXPECT_EQ(dynamic_cast<const QtFont*>(s.selectedFont().get())->font().family(), QStringLiteral("DejaVu Sans"));
}

TEST(QtSurface, MeasuresLikeQFontMetrics) {
  QtSurface s(100, 100);
  const FontDescription guide = guideFontDescription(96);
  s.useFont(guide);
  const QFontMetrics m(QtSurface::qfontFor(guide));
  const std::u16string text = u"Amoxicillin 500 mg";
  const Size size = s.measureText(text);
  EXPECT_EQ(size.width, m.horizontalAdvance(QString::fromStdU16String(text)));
  EXPECT_EQ(size.height, m.height());
  EXPECT_EQ(s.textHeight(), m.height());
  EXPECT_GE(size.height, 16);
  EXPECT_EQ(s.measureText(u"").width, 0);
  EXPECT_EQ(s.measureText(u"\n").width, 0);
  EXPECT_EQ(s.measureText(u"ab\ncd").width, s.measureText(u"abcd").width);

  FontDescription bold = guide;
  bold.weight = 700;
  s.useFont(bold);
  const int boldWidth = s.measureText(u"mmmm").width;
  s.useFont(guide);
  EXPECT_GT(boldWidth, s.measureText(u"mmmm").width);
  FontDescription small = guide;
  small.height = 12;
  s.useFont(small);
  EXPECT_LT(s.measureText(u"x").height, m.height());
}

TEST(QtSurface, FitCountAgreesWithMeasuring) {
  QtSurface s(10, 10);
  s.useFont(guideFontDescription(96));
  const std::u16string text = u"iiiiWWWW fi";
  const size_t n = text.size();
  for (size_t k = 1; k <= n; ++k) {
    const int w = s.measureText(text.data(), k).width;
    EXPECT_GE(s.fitCount(text.data(), n, w), k);
    EXPECT_LT(s.fitCount(text.data(), n, w - 1), k);
  }
  EXPECT_EQ(s.fitCount(text.data(), n, -1), 0u);
  // A character the font has no glyph for is measured in the fallback font.
  EXPECT_GT(s.measureText(u"\u4E2D").width, 0);
}

TEST(QtSurface, TextIsDrawnInsideItsRectangleOnly) {
  QtSurface s(200, 60);
  s.useFont(guideFontDescription(96));
  s.setTextColour(0);
  s.drawText(u"WWWWWWWWWWWWWWWWWWWW", {10, 10, 60, 40}, TextFormat::NoPrefix);
  s.end();
  const QRect ink = inkBox(s.image());
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), 10);
  EXPECT_LT(ink.right(), 60);
  EXPECT_GE(ink.top(), 10);
  EXPECT_LT(ink.bottom(), 40);
  EXPECT_GT(ink.right(), 50);  // the text runs to the clip edge
}

TEST(QtSurface, AmpersandPrefixOnlyWithoutTheFlag) {
  QtSurface a(120, 30), b(120, 30);
  for (QtSurface* s : {&a, &b}) {
    s->useFont(guideFontDescription(96));
    s->setTextColour(0);
  }
  a.drawText(u"A&&B", {0, 0, 120, 30}, 0);                     // prefix processing: one "&" shown
  b.drawText(u"A&B", {0, 0, 120, 30}, TextFormat::NoPrefix);  // an ordinary ampersand
  a.end();
  b.end();
  EXPECT_FALSE(inkBox(a.image()).isEmpty());
  EXPECT_EQ(a.image(), b.image());
}

TEST(QtSurface, PendingTextIsDrawnBeforeLaterOperations) {
  QtSurface s(100, 40);
  s.useFont(guideFontDescription(96));
  s.setTextColour(0);
  s.drawText(u"Hello", {0, 0, 100, 40}, TextFormat::NoPrefix);
  s.drawText(u"there", {50, 0, 100, 40}, TextFormat::NoPrefix);
  // A fill after the text must cover it: the text may not land on top later.
  s.fillRect({0, 0, 100, 40}, rgb(255, 255, 255));
  EXPECT_TRUE(inkBox(s.image()).isEmpty());

  // Pieces in different colours keep their colours.
  s.setTextColour(rgb(255, 0, 0));
  s.drawText(u"HHH", {0, 0, 40, 40}, TextFormat::NoPrefix);
  s.setTextColour(rgb(0, 0, 255));
  s.drawText(u"HHH", {50, 0, 100, 40}, TextFormat::NoPrefix);
  const QImage& img = s.image();
  int red = 0, blue = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 100; ++x) {
      const QColor c = img.pixelColor(x, y);
      if (c.red() > 200 && c.blue() < 80 && c.green() < 80) red += x < 45 ? 1 : -1000;
      if (c.blue() > 200 && c.red() < 80 && c.green() < 80) blue += x >= 50 ? 1 : -1000;
    }
  }
  EXPECT_GT(red, 10);
  EXPECT_GT(blue, 10);
}

TEST(QtSurface, FillsPolylinesAndPolygons) {
  QtSurface s(50, 50);
  s.fillRect({5, 5, 15, 15}, rgb(255, 0, 0));
  const Point line[] = {{0, 40}, {49, 40}};
  s.polyline(line, 2, rgb(0, 0, 255));
  const Point tri[] = {{30, 20}, {45, 20}, {45, 5}};
  s.polygon(tri, 3, 0, rgb(0x66, 0x66, 0x66));
  s.end();
  const QImage& img = s.image();
  EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(14, 14), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(15, 15), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(25, 40), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(42, 17), qRgb(0, 0, 0));  // inside the triangle
  EXPECT_EQ(img.pixel(32, 8), qRgb(255, 255, 255));
}

TEST(QtSurface, OffscreenCopy) {
  QtSurface screen(40, 40);
  auto off = screen.createOffscreen(20, 20);
  off->fillRect({0, 0, 20, 20}, rgb(0, 128, 0));
  screen.copyFrom(*off, {5, 5, 15, 15}, {30, 30});
  screen.end();
  EXPECT_EQ(screen.image().pixel(30, 30), qRgb(0, 128, 0));
  EXPECT_EQ(screen.image().pixel(39, 39), qRgb(0, 128, 0));
  EXPECT_EQ(screen.image().pixel(29, 29), qRgb(255, 255, 255));
}

TEST(QtSurface, PicturesDecodeAndScale) {
  QImage source(4, 2, QImage::Format_RGB32);
  source.fill(qRgb(0, 0, 255));
  for (int y = 0; y < 2; ++y) source.setPixel(3, y, qRgb(255, 0, 0));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(source.save(&buffer, "PNG"));

  QtSurface s(40, 20);
  const ImageRef img = s.decodeImage(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->size(), (Size{4, 2}));
  s.drawImage(*img, {0, 0, 4, 2}, {0, 0, 40, 20});  // ten times larger
  s.end();
  EXPECT_EQ(s.image().pixel(5, 10), qRgb(0, 0, 255));
  EXPECT_EQ(s.image().pixel(35, 10), qRgb(255, 0, 0));

  const uint8_t junk[] = {1, 2, 3, 4};
  EXPECT_FALSE(s.decodeImage(junk, sizeof junk));
}

TEST(QtSurface, EngineDrawsLinksWhereItRecordsThem) {
  QtSurface s(160, 80);
  MarkupRenderer r(96, 96);
  r.configure(guideFontDescription(96), 0, 0);
  TextBlock b(u"See also <a href=\"42\">the dosage table</a> for <b>adults</b>");
  r.parse(b, s);
  LinkAreaList areas;
  r.drawLinked({0, 0}, areas, s, b, {0, 0, 160, 80});
  s.end();
  ASSERT_GE(areas.size(), 1u);
  int linkPixels = 0;
  for (const auto& e : areas.entries()) {
    EXPECT_EQ(e.linkId, 42);
    for (int y = e.rect.top; y < e.rect.bottom; ++y) {
      for (int x = e.rect.left; x < e.rect.right; ++x) {
        const QColor c = s.image().pixelColor(x, y);
        if (c.blue() > 150 && c.red() < 100) ++linkPixels;
      }
    }
  }
  EXPECT_GT(linkPixels, 20);
  // No link colour (text or underline) outside the recorded areas.
  int strayPixels = 0;
  for (int y = 0; y < s.image().height(); ++y) {
    for (int x = 0; x < s.image().width(); ++x) {
      const QColor c = s.image().pixelColor(x, y);
      if (c.blue() > 150 && c.red() < 100 && areas.hitTest({x, y}) == 0) ++strayPixels;
    }
  }
  EXPECT_EQ(strayPixels, 0);
  // Everything drawn lies inside the measured rectangle.
  const Rect need = r.measureLayout(s, b, {0, 0, 160, 80});
  const QRect ink = inkBox(s.image());
  EXPECT_LE(ink.right(), need.right);
  EXPECT_LE(ink.bottom(), need.bottom + 2);
  EXPECT_EQ(areas.hitTest({areas.entries()[0].rect.left + 1, areas.entries()[0].rect.top + 1}), 42);
}

}  // namespace
}  // namespace vantrel
