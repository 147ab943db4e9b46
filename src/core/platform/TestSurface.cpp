#include "platform/TestSurface.h"

#include <algorithm>
#include <climits>

namespace vantrel {
namespace {

constexpr int64_t kMaxExtent = 1 << 24;

FontDescription defaultTestFont() {
  FontDescription d;
  d.face = u"Test";
  d.height = 16;
  return d;
}

}  // namespace

TestSurface::TestSurface(int width, int height)
    : width_(width), height_(height), defaultFont_(std::make_shared<Font>(defaultTestFont())), font_(defaultFont_) {}

int TestSurface::charWidth(const FontDescription& font, char16_t c) {
  if (c < 0x20) return 0;
  return fontPixelHeight(font) / 2 + (font.weight >= 600 ? 1 : 0);
}

FontRef TestSurface::createFont(const FontDescription& description) { return std::make_shared<Font>(description); }

void TestSurface::selectFont(const FontRef& font) { font_ = font ? font : defaultFont_; }

const FontDescription& TestSurface::current() const { return font_->description(); }

Size TestSurface::measureText(const char16_t* text, size_t n) {
  ++measureCount_;
  const FontDescription& f = current();
  int64_t w = 0;
  for (size_t i = 0; i < n && text; ++i) {
    w += charWidth(f, text[i]);
    if (w > kMaxExtent) {
      w = kMaxExtent;
      break;
    }
  }
  return {static_cast<int>(w), fontPixelHeight(f)};
}

size_t TestSurface::fitCount(const char16_t* text, size_t n, int width) {
  if (width < 0 || !text) return 0;
  const FontDescription& f = current();
  int64_t w = 0;
  size_t k = 0;
  for (; k < n; ++k) {
    w += charWidth(f, text[k]);
    if (w > width) break;
  }
  return k;
}

int TestSurface::textHeight() { return fontPixelHeight(current()); }

void TestSurface::drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) {
  Call c;
  c.kind = CallKind::Text;
  if (text) c.text.assign(text, n);
  c.rect = rect;
  c.flags = flags;
  c.font = current();
  c.colour = textColour_;
  calls_.push_back(std::move(c));
}

void TestSurface::fillRect(const Rect& rect, Colour colour) {
  Call c;
  c.kind = CallKind::Fill;
  c.rect = rect;
  c.colour = colour;
  calls_.push_back(std::move(c));
}

void TestSurface::polyline(const Point* points, size_t n, Colour colour) {
  Call c;
  c.kind = CallKind::Polyline;
  if (points) c.points.assign(points, points + n);
  c.colour = colour;
  calls_.push_back(std::move(c));
}

void TestSurface::polygon(const Point* points, size_t n, Colour fill, Colour outline) {
  Call c;
  c.kind = CallKind::Polygon;
  if (points) c.points.assign(points, points + n);
  c.colour = fill;
  c.outline = outline;
  calls_.push_back(std::move(c));
}

std::unique_ptr<DrawingSurface> TestSurface::createOffscreen(int width, int height) {
  return std::make_unique<TestSurface>(width, height);
}

void TestSurface::copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) {
  Call c;
  c.kind = CallKind::Copy;
  c.sourceRect = sourceRect;
  c.rect = {destination.x, destination.y, destination.x + sourceRect.width(), destination.y + sourceRect.height()};
  calls_.push_back(std::move(c));
}

std::vector<TestSurface::Call> TestSurface::textCalls() const {
  std::vector<Call> out;
  for (const auto& c : calls_) {
    if (c.kind == CallKind::Text) out.push_back(c);
  }
  return out;
}

}  // namespace vantrel
