#include "core/platform/FixedMetricsSurface.h"

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

FixedMetricsSurface::FixedMetricsSurface(int width, int height)
    : width_(width), height_(height), defaultFont_(std::make_shared<Font>(defaultTestFont())), font_(defaultFont_) {}

int FixedMetricsSurface::charWidth(const FontDescription& font, char16_t c) {
  if (c < 0x20) return 0;
  return fontPixelHeight(font) / 2 + (font.weight >= 600 ? 1 : 0);
}

FontRef FixedMetricsSurface::createFont(const FontDescription& description) { return std::make_shared<Font>(description); }

void FixedMetricsSurface::selectFont(const FontRef& font) { font_ = font ? font : defaultFont_; }

const FontDescription& FixedMetricsSurface::current() const { return font_->description(); }

Size FixedMetricsSurface::measureText(const char16_t* text, size_t n) {
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

size_t FixedMetricsSurface::fitCount(const char16_t* text, size_t n, int width) {
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

int FixedMetricsSurface::textHeight() { return fontPixelHeight(current()); }

void FixedMetricsSurface::drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) {
  Call c;
  c.kind = CallKind::Text;
  if (text) c.text.assign(text, n);
  c.rect = rect;
  c.flags = flags;
  c.font = current();
  c.colour = textColour_;
  calls_.push_back(std::move(c));
}

void FixedMetricsSurface::fillRect(const Rect& rect, Colour colour) {
  Call c;
  c.kind = CallKind::Fill;
  c.rect = rect;
  c.colour = colour;
  calls_.push_back(std::move(c));
}

void FixedMetricsSurface::polyline(const Point* points, size_t n, Colour colour) {
  Call c;
  c.kind = CallKind::Polyline;
  if (points) c.points.assign(points, points + n);
  c.colour = colour;
  calls_.push_back(std::move(c));
}

void FixedMetricsSurface::polygon(const Point* points, size_t n, Colour fill, Colour outline) {
  Call c;
  c.kind = CallKind::Polygon;
  if (points) c.points.assign(points, points + n);
  c.colour = fill;
  c.outline = outline;
  calls_.push_back(std::move(c));
}

namespace {
class TestImage : public SurfaceImage {
 public:
  explicit TestImage(Size size) : size_(size) {}
  Size size() const override { return size_; }

 private:
  Size size_;
};

uint32_t bigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}
}  // namespace

ImageRef FixedMetricsSurface::decodeImage(const uint8_t* data, size_t n) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!data || n < 24 || !std::equal(kSignature, kSignature + 8, data)) return nullptr;
  if (!std::equal(data + 12, data + 16, reinterpret_cast<const uint8_t*>("IHDR"))) return nullptr;
  const uint32_t w = bigEndian32(data + 16), h = bigEndian32(data + 20);
  if (w == 0 || h == 0 || w > 1000000 || h > 1000000) return nullptr;
  return std::make_shared<TestImage>(Size{static_cast<int>(w), static_cast<int>(h)});
}

void FixedMetricsSurface::drawImage(const SurfaceImage& image, const Rect& source, const Rect& target) {
  Call c;
  c.kind = CallKind::Image;
  c.rect = target;
  c.sourceRect = source;
  c.imageSize = image.size();
  calls_.push_back(std::move(c));
}

std::unique_ptr<DrawingSurface> FixedMetricsSurface::createOffscreen(int width, int height) {
  return std::make_unique<FixedMetricsSurface>(width, height);
}

void FixedMetricsSurface::copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) {
  Call c;
  c.kind = CallKind::Copy;
  c.sourceRect = sourceRect;
  c.rect = {destination.x, destination.y, destination.x + sourceRect.width(), destination.y + sourceRect.height()};
  calls_.push_back(std::move(c));
}

std::vector<FixedMetricsSurface::Call> FixedMetricsSurface::textCalls() const {
  std::vector<Call> out;
  for (const auto& c : calls_) {
    if (c.kind == CallKind::Text) out.push_back(c);
  }
  return out;
}

}  // namespace vantrel
