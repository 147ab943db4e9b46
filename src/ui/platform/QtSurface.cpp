#include "ui/platform/QtSurface.h"

#include <QCoreApplication>
#include <QGlyphRun>
#include <cmath>
#include <QFontDatabase>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <atomic>
#include <array>
#include <cstring>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantrel {
namespace {

struct FontCache {
  std::unordered_map<std::u16string, std::shared_ptr<const QtFont>> fonts;
  std::array<std::shared_ptr<const QtFont>, 8> recent;  // most recently used first
};

// Counts the clearings of the font cache: recordings made before one are stale.
std::atomic<uint64_t>& fontGeneration() {
  static std::atomic<uint64_t> generation{0};
  return generation;
}

std::atomic<size_t>& liveRecordingBytes() {
  static std::atomic<size_t> bytes{0};
  return bytes;
}

constexpr size_t kRecordingBudget = 16u * 1024 * 1024;

// Bytes held by glyph masks and their tinted copies, in all fonts, and the
// most they may hold before a font drawing next forgets its own.
std::atomic<size_t>& glyphMaskTotal() {
  static std::atomic<size_t> bytes{0};
  return bytes;
}
size_t& glyphMaskLimit() {
  static size_t limit = 16u * 1024 * 1024;
  return limit;
}

FontCache*& cacheSlot() {
  static FontCache* cache = nullptr;
  return cache;
}

void destroyCache() {
  delete cacheSlot();
  cacheSlot() = nullptr;
}

// The cache lives until the application object is destroyed; QFont objects
// must not outlive it.
FontCache& cache() {
  FontCache*& slot = cacheSlot();
  if (!slot) {
    slot = new FontCache;
    qAddPostRoutine(destroyCache);
  }
  return *slot;
}

std::u16string cacheKey(const FontDescription& d) {
  std::u16string key = d.face;
  key.push_back(0);
  const int numbers[] = {d.height,         d.width,       d.escapement,   d.orientation, d.weight,
                         d.italic,         d.underline,   d.strikeOut,    d.charSet,     d.outPrecision,
                         d.clipPrecision,  d.quality,     d.pitchAndFamily};
  for (int v : numbers) {
    key.push_back(static_cast<char16_t>(v & 0xFFFF));
    key.push_back(static_cast<char16_t>((v >> 16) & 0xFFFF));
  }
  return key;
}

bool isControl(char16_t c) { return c < 0x20; }

// The text as a QString without control characters (which measure 0 and are not drawn).
QString visibleText(const char16_t* text, size_t n) {
  bool clean = true;
  for (size_t i = 0; i < n; ++i) {
    if (isControl(text[i])) {
      clean = false;
      break;
    }
  }
  if (clean) return QString(reinterpret_cast<const QChar*>(text), static_cast<qsizetype>(n));
  QString s;
  s.reserve(static_cast<qsizetype>(n));
  for (size_t i = 0; i < n; ++i) {
    if (!isControl(text[i])) s.append(QChar(text[i]));
  }
  return s;
}

QRect toQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

bool& ownBlendingSwitch() {
  static bool on = true;
  return on;
}

// Blending a glyph's coverage as Qt's raster engine does on RGB32 images
// without gamma correction: per pixel s = c x coverage / 255 and
// d = s + d x (255 - alpha of s) / 255, each product rounded as Qt's
// BYTE_MUL rounds it. The formula leaves a pixel of coverage 0 as it was and
// sets one of coverage 255 to the (opaque) colour, so it needs no branches.
inline uint32_t byteMul(uint32_t x, uint32_t a) {
  uint64_t t = ((uint64_t(x) | (uint64_t(x) << 24)) & 0x00ff00ff00ff00ffull) * a;
  t = (t + ((t >> 8) & 0x00ff00ff00ff00ffull) + 0x0080008000800080ull) >> 8;
  t &= 0x00ff00ff00ff00ffull;
  return uint32_t(t) | uint32_t(t >> 24);
}

inline void blendPixel(uint32_t& d, uint32_t c, uint32_t coverage) {
  if (coverage == 0) return;
  const uint32_t s = byteMul(c, coverage);
  d = s + byteMul(d, 255 - (s >> 24));
}

#if defined(__SSE2__)
// x * a / 255 rounded as byteMul rounds it, in 16-bit lanes.
inline __m128i mulDiv255(__m128i x, __m128i a) {
  __m128i t = _mm_mullo_epi16(x, a);
  t = _mm_add_epi16(t, _mm_srli_epi16(t, 8));
  t = _mm_add_epi16(t, _mm_set1_epi16(0x80));
  return _mm_srli_epi16(t, 8);
}

// blendPixel for four pixels (the formula alone: exact for coverage 0 and 255 too).
inline __m128i blendFour(__m128i d, __m128i coverage, __m128i colour16) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(0xff);
  const __m128i aLo = _mm_unpacklo_epi8(coverage, zero), aHi = _mm_unpackhi_epi8(coverage, zero);
  const __m128i sLo = mulDiv255(colour16, aLo), sHi = mulDiv255(colour16, aHi);
  // 255 - alpha of s, for each channel of its pixel
  const __m128i iLo = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF));
  const __m128i iHi = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF));
  const __m128i dLo = _mm_add_epi16(sLo, mulDiv255(_mm_unpacklo_epi8(d, zero), iLo));
  const __m128i dHi = _mm_add_epi16(sHi, mulDiv255(_mm_unpackhi_epi8(d, zero), iHi));
  return _mm_packus_epi16(dLo, dHi);
}
#endif

// A row of a glyph: where the destination is the ground the glyph's pixels
// were blended onto beforehand (tinted), they are copied; elsewhere (another
// glyph's ink, a ground other than expected) blended here.
void blendRow(uint32_t* dst, const uint8_t* coverage, const uint32_t* tinted, int n, uint32_t colour,
              uint32_t ground) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i groundx4 = _mm_set1_epi32(static_cast<int>(ground));
  const __m128i colour16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
  for (; i + 4 <= n; i += 4) {
    // All four on the ground: the tinted pixels are the result (where the
    // coverage is 0 they are the ground itself).
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i onGround = _mm_cmpeq_epi32(d, groundx4);
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tinted + i));
    if (_mm_movemask_epi8(onGround) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), t);
      continue;
    }
    uint32_t four;
    std::memcpy(&four, coverage + i, 4);
    if (four == 0) continue;
    __m128i a = _mm_cvtsi32_si128(static_cast<int>(four));
    a = _mm_unpacklo_epi8(a, a);
    a = _mm_unpacklo_epi16(a, a);  // each coverage byte in a lane of its own
    const __m128i uncovered = _mm_cmpeq_epi32(a, zero);
    if (_mm_movemask_epi8(_mm_or_si128(uncovered, onGround)) == 0xFFFF) {  // other ink only where uncovered
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                       _mm_or_si128(_mm_and_si128(uncovered, d), _mm_andnot_si128(uncovered, t)));
      continue;
    }
    // some of the four covered lie on other ink: blended there
    const __m128i b = blendFour(d, a, colour16);
    const __m128i copied = _mm_or_si128(_mm_and_si128(onGround, t), _mm_andnot_si128(onGround, b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                     _mm_or_si128(_mm_and_si128(uncovered, d), _mm_andnot_si128(uncovered, copied)));
  }
#endif
  for (; i < n; ++i) {
    if (coverage[i] == 0) continue;
    if (dst[i] == ground) {
      dst[i] = tinted[i];
    } else {
      blendPixel(dst[i], colour, coverage[i]);
    }
  }
}

// Qt's fixed-point position (1/64 pixel, truncated as QFixed::fromReal does).
inline int fixed64(double v) { return static_cast<int>(v * 64.0); }

void forgetAllMasks(const QtFont& font) {
  if (FontCache* c = cacheSlot()) {
    for (const auto& [key, f] : c->fonts) f->forgetMasks();
  }
  font.forgetMasks();  // drawn with, though no longer cached
}

// Blends a glyph run into RGB32 pixels (bytesPerLine apart), inside bounds,
// as QPainter::drawGlyphRun would at the same origin without a
// transformation; ground is the colour expected under the glyphs. False,
// having drawn nothing, when a glyph has no mask.
bool blendGlyphs(uchar* bits, qsizetype bytesPerLine, const QRect& bounds, const QtFont& font, uint32_t colour,
                 uint32_t ground, QPointF origin, const quint32* glyphs, const QPointF* positions, int count) {
  // Over the limit, the fonts' masks are read again as they are needed.
  if (glyphMaskTotal().load() > glyphMaskLimit()) forgetAllMasks(font);
  constexpr int kOnStack = 256;
  const QtFont::GlyphMask* stackMasks[kOnStack];
  int stackX[kOnStack];
  std::vector<const QtFont::GlyphMask*> heapMasks;
  std::vector<int> heapX;
  const QtFont::GlyphMask** m = stackMasks;
  int* xs = stackX;
  if (count > kOnStack) {
    heapMasks.resize(static_cast<size_t>(count));
    heapX.resize(static_cast<size_t>(count));
    m = heapMasks.data();
    xs = heapX.data();
  }
  for (int i = 0; i < count; ++i) {
    xs[i] = fixed64(origin.x() + positions[i].x());
    m[i] = font.mask(glyphs[i], xs[i] & 63);
    if (!m[i]) return false;
  }
  for (int i = 0; i < count; ++i) {
    const QtFont::GlyphMask& g = *m[i];
    if (g.width == 0) continue;
    const int y0 = ((fixed64(origin.y() + positions[i].y()) + 32) >> 6) + g.top;
    const int x0 = (xs[i] >> 6) + g.left;
    const int left = std::max(x0, bounds.left()), right = std::min(x0 + g.width, bounds.right() + 1);
    const int top = std::max(y0, bounds.top()), bottom = std::min(y0 + g.height, bounds.bottom() + 1);
    if (left >= right || top >= bottom) continue;
    const size_t first = static_cast<size_t>(top - y0) * g.width + (left - x0);
    const uint8_t* cov = g.coverage.data() + first;
    const uint32_t* tinted = g.tinted(colour, ground) + first;
    for (int y = top; y < bottom; ++y, cov += g.width, tinted += g.width) {
      blendRow(reinterpret_cast<uint32_t*>(bits + y * bytesPerLine) + left, cov, tinted, right - left, colour,
               ground);
    }
  }
  return true;
}

// As blendGlyphs, for any of the surface's fonts: the rows an underline or
// strike-out of the font may touch are left to QPainter (glyphs and line,
// through a clip; the pen must be set), the others blended. Every pixel
// depends only on what was drawn in its own row before, so the two halves
// give QPainter's picture.
bool drawGlyphs(QPainter& painter, uchar* bits, qsizetype bytesPerLine, const QRect& bounds, const QtFont& font,
                uint32_t colour, uint32_t ground, QPointF origin, const quint32* glyphs, const QPointF* positions,
                int count) {
  const auto [bandTop, bandBottom] = font.decorationRows();
  if (bandTop > bandBottom) {
    return blendGlyphs(bits, bytesPerLine, bounds, font, colour, ground, origin, glyphs, positions, count);
  }
  for (int i = 0; i < count; ++i) {
    if (positions[i].y() != 0) return false;  // one baseline only
  }
  const int baseline = (fixed64(origin.y()) + 32) >> 6;
  const QRect band(bounds.left(), baseline + bandTop, bounds.width(), bandBottom - bandTop + 1);
  QRect above = bounds, below = bounds;
  above.setBottom(std::min(bounds.bottom(), band.top() - 1));
  below.setTop(std::max(bounds.top(), band.bottom() + 1));
  // The first call draws nothing when a glyph has no mask.
  if (!blendGlyphs(bits, bytesPerLine, above, font, colour, ground, origin, glyphs, positions, count)) return false;
  blendGlyphs(bits, bytesPerLine, below, font, colour, ground, origin, glyphs, positions, count);
  const QRect rows = band & bounds;
  if (rows.isEmpty()) return true;
  QGlyphRun run;
  run.setRawFont(font.rawFont());
  run.setRawData(glyphs, positions, count);
  run.setUnderline(font.font().underline());
  run.setStrikeOut(font.font().strikeOut());
  painter.setClipRect(rows);
  painter.drawGlyphRun(origin, run);
  painter.setClipping(false);
  return true;
}

}  // namespace

QColor toQColor(Colour colour) { return QColor(redOf(colour), greenOf(colour), blueOf(colour)); }

QtFont::QtFont(FontDescription description, const QFont& font)
    : Font(std::move(description)),
      font_(font),
      metrics_(font),
      metricsF_(font),
      raw_(QRawFont::fromFont(font)),
      height_(metrics_.height()),
      ascent_(metrics_.ascent()) {
  // Glyph runs only when the raw font is the face Qt would draw (not a
  // synthesised bold or slant, which only QPainter's own path reproduces).
  glyphRuns_ = raw_.isValid() && raw_.weight() == font.weight() &&
               (raw_.style() != QFont::StyleNormal) == font.italic();
  for (uint8_t phase = 0; phase < 64; ++phase) phaseClass_[phase] = phaseStart_[phase] = phase;
}

const QtFont::Glyph& QtFont::lookupGlyph(char16_t c) const {
  auto compute = [&](Glyph& g) {
    if (isControl(c)) {
      g = Glyph{};
      return;
    }
    const QChar ch(c);
    quint32 index = 0;
    int count = 1;
    if (raw_.isValid() && !QChar::isSurrogate(c) && raw_.glyphIndexesForChars(&ch, 1, &index, &count) && count == 1 &&
        index != 0) {
      QPointF advance;
      raw_.advancesForGlyphIndexes(&index, &advance, 1);
      g.index = index;
      g.advance = static_cast<float>(advance.x());
    } else {
      g.index = 0;
      g.advance = static_cast<float>(metricsF_.horizontalAdvance(ch));
    }
    g.width = static_cast<int>(std::lround(g.advance));
  };
  if (c >= kCachedChars) {
    compute(scratch_);
    return scratch_;
  }
  if (!cache_) {
    cache_ = std::make_unique<Glyph[]>(kCachedChars);
    known_ = std::make_unique<bool[]>(kCachedChars);
  }
  if (!known_[c]) {
    compute(cache_[c]);
    known_[c] = true;
  }
  return cache_[c];
}

int QtFont::charWidth(char16_t c) const { return glyph(c).width; }

bool QtFont::captureMask(quint32 glyph, int phase, GlyphMask& out) const {
  // Qt draws the glyph in black on white; where d = 255 - coverage in every
  // colour channel, the coverage reads back exactly.
  const QRectF box = raw_.boundingRect(glyph);
  const int pad = 4 + height_ / 2;
  const int w = static_cast<int>(std::ceil(box.width())) + 2 * pad;
  const int h = static_cast<int>(std::ceil(box.height())) + 2 * pad;
  const int ox = pad - static_cast<int>(std::floor(box.left()));
  const int oy = pad - static_cast<int>(std::floor(box.top()));
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(QColor(0, 0, 0));
    QGlyphRun run;
    run.setRawFont(raw_);
    const QPointF zero(0, 0);
    run.setRawData(&glyph, &zero, 1);
    p.drawGlyphRun(QPointF(ox + phase / 64.0, oy), run);
  }
  int x0 = w, x1 = -1, y0 = h, y1 = -1;
  for (int y = 0; y < h; ++y) {
    const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      const uint32_t px = line[x];
      if (px == 0xffffffffu) continue;
      if (((px >> 16) & 0xff) != (px & 0xff) || ((px >> 8) & 0xff) != (px & 0xff)) return false;  // fringes
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  out = GlyphMask{};
  if (x1 < 0) return true;  // a space
  if (x0 == 0 || y0 == 0 || x1 == w - 1 || y1 == h - 1) return false;  // ink may reach past the image
  out.left = x0 - ox;
  out.top = y0 - oy;
  out.width = (x1 - x0 + 4) & ~3;  // rows padded with coverage 0 to groups of four pixels
  out.height = y1 - y0 + 1;
  out.coverage.resize(static_cast<size_t>(out.width) * out.height);
  for (int y = y0; y <= y1; ++y) {
    const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = x0; x <= x1; ++x) {
      out.coverage[static_cast<size_t>(y - y0) * out.width + (x - x0)] = static_cast<uint8_t>(255 - (line[x] & 0xff));
    }
  }
  return true;
}

namespace {
bool sameMask(const QtFont::GlyphMask& a, const QtFont::GlyphMask& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height &&
         a.coverage == b.coverage;
}
}  // namespace

const uint32_t* QtFont::GlyphMask::tinted(uint32_t colour, uint32_t ground) const {
  for (const Tint& t : tints) {
    if (!t.pixels.empty() && t.colour == colour && t.ground == ground) return t.pixels.data();
  }
  Tint& t = tints[nextTint];
  nextTint = (nextTint + 1) % tints.size();
  t.colour = colour;
  t.ground = ground;
  if (t.pixels.empty()) glyphMaskTotal() += coverage.size() * sizeof(uint32_t);
  t.pixels.resize(coverage.size());
  for (size_t i = 0; i < coverage.size(); ++i) {
    uint32_t d = ground;
    blendPixel(d, colour, coverage[i]);
    t.pixels[i] = d;
  }
  return t.pixels.data();
}

const QtFont::GlyphMask* QtFont::mask(quint32 glyph, int phase) const {
  const size_t classes = phaseClasses_;
  const size_t at = size_t(glyph) * classes + phaseClass_[static_cast<size_t>(phase)];
  if (at >= maskSlots_.size()) maskSlots_.resize(std::max<size_t>(at + 1, 256 * classes), -1);
  int32_t& slot = maskSlots_[at];
  if (slot == -1) {
    GlyphMask m;
    if (captureMask(glyph, phaseStart_[phaseClass_[static_cast<size_t>(phase)]], m)) {
      glyphMaskTotal() += sizeof(GlyphMask) + m.coverage.size();
      masks_.push_back(std::move(m));
      slot = static_cast<int32_t>(masks_.size() - 1);
    } else {
      slot = -2;
    }
  }
  return slot >= 0 ? &masks_[static_cast<size_t>(slot)] : nullptr;
}

size_t QtFont::GlyphMask::bytes() const {
  size_t n = sizeof(GlyphMask) + coverage.size();
  for (const Tint& t : tints) n += t.pixels.size() * sizeof(uint32_t);
  return n;
}

void QtFont::forgetMasks() const {
  size_t held = 0;
  for (const GlyphMask& m : masks_) held += m.bytes();
  glyphMaskTotal() -= held;
  masks_.clear();
  maskSlots_.clear();
}

QtFont::~QtFont() { forgetMasks(); }

bool QtFont::blendsOwnGlyphs() const {
  if (ownBlending_ < 0) ownBlending_ = checkOwnBlending() ? 1 : 0;
  return ownBlending_ == 1;
}

bool QtFont::checkOwnBlending() const {
  if (!glyphRuns_ || font_.pixelSize() >= 64) return false;
  // The phases at which the glyphs Qt draws change (it draws a few
  // sub-pixel positions): wherever one of a few glyphs changes, a new class
  // of phases begins.
  std::array<bool, 64> starts{};
  starts[0] = true;
  for (char16_t c : std::u16string_view(u"aoW")) {
    const quint32 g = glyph(c).index;
    if (g == 0) continue;
    GlyphMask previous;
    if (!captureMask(g, 0, previous)) return false;
    for (int phase = 1; phase < 64; ++phase) {
      GlyphMask m;
      if (!captureMask(g, phase, m)) return false;
      if (!sameMask(m, previous)) starts[static_cast<size_t>(phase)] = true;
      previous = std::move(m);
    }
  }
  phaseClasses_ = 0;
  for (size_t phase = 0; phase < 64; ++phase) {
    if (starts[phase]) phaseStart_[phaseClasses_++] = static_cast<uint8_t>(phase);
    phaseClass_[phase] = static_cast<uint8_t>(phaseClasses_ - 1);
  }
  // A line blended both ways, at fractional positions (from two starts),
  // with glyphs whose ink overlaps, in a coloured pen on a coloured ground.
  const std::u16string_view sample = u"Wave fly; jig AVAW ffi fj 0123456789 (q12h) x/y \u00B5g Tj \u2014 rr.";
  std::vector<quint32> glyphs;
  std::vector<QPointF> positions;
  double x = 0;
  for (char16_t c : sample) {
    const Glyph& g = glyph(c);
    if (g.index == 0) continue;
    glyphs.push_back(g.index);
    positions.push_back(QPointF(x, 0));
    x += g.advance;
  }
  if (glyphs.empty()) return false;
  const int w = static_cast<int>(std::ceil(x)) + 2 * height_ + 8;
  const int h = 4 * height_ + 8;
  const uint32_t ground = 0xffe8eef4u, pen = 0xff3355aau;
  const QPointF origins[] = {QPointF(height_ + 4, height_ + ascent_), QPointF(height_ + 4.3, 2 * height_ + 2 + ascent_)};
  auto drawByQt = [&](QImage& image, bool decorated) {
    image.fill(ground);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(QColor::fromRgb(pen));
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setRawData(glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
    run.setUnderline(decorated && font_.underline());
    run.setStrikeOut(decorated && font_.strikeOut());
    for (const QPointF& o : origins) p.drawGlyphRun(o, run);
  };
  QImage qt(w, h, QImage::Format_RGB32), own(w, h, QImage::Format_RGB32);
  drawByQt(qt, true);
  if (font_.underline() || font_.strikeOut()) {
    // The rows the line touches (from the baseline), and one more each side.
    drawByQt(own, false);
    int top = h, bottom = -1;
    for (int y = 0; y < h; ++y) {
      if (std::memcmp(qt.constScanLine(y), own.constScanLine(y), static_cast<size_t>(qt.bytesPerLine())) == 0) continue;
      for (const QPointF& o : origins) {
        const int row = y - static_cast<int>(o.y());
        if (row >= -height_ && row <= height_) {
          top = std::min(top, row);
          bottom = std::max(bottom, row);
        }
      }
    }
    if (bottom < 0 || bottom - top > height_ / 2) return false;
    bandTop_ = top - 1;
    bandBottom_ = bottom + 1;
  }
  own.fill(ground);
  {
    QPainter p(&own);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(QColor::fromRgb(pen));
    uchar* bits = const_cast<uchar*>(own.constBits());
    // The first line expects the ground it is drawn on, the second another
    // (every pixel blended without its tinted copy).
    const uint32_t expected[] = {ground, 0xff000000u};
    for (size_t k = 0; k < 2; ++k) {
      if (!drawGlyphs(p, bits, own.bytesPerLine(), own.rect(), *this, pen, expected[k], origins[k], glyphs.data(),
                      positions.data(), static_cast<int>(glyphs.size()))) {
        return false;
      }
    }
  }
  return qt == own;
}

QtSurface::QtSurface(int width, int height, qreal devicePixelRatio)
    : ownImage_(std::make_unique<QImage>(makeImage(width, height, devicePixelRatio))),
      image_(ownImage_.get()),
      ratio_(image_->devicePixelRatio()) {
  image_->fill(Qt::white);
  selectFont(nullptr);
}

QtSurface::QtSurface(QImage* image) : image_(image), ratio_(image->devicePixelRatio()) { selectFont(nullptr); }

QImage QtSurface::makeImage(int width, int height, qreal devicePixelRatio) {
  const qreal ratio = devicePixelRatio > 1.0 ? devicePixelRatio : 1.0;
  QImage image(std::max(1, qRound(std::max(width, 1) * ratio)), std::max(1, qRound(std::max(height, 1) * ratio)),
               QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  return image;
}

QtSurface::~QtSurface() { end(); }

void QtSurface::end() {
  if (painter_) flushGlyphs();
  painter_.reset();
  bits_ = nullptr;
  blendable_ = false;
  penValid_ = false;
}

QPainter& QtSurface::painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(image_);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    // The painter has made the image's pixels its own (detached) and paints
    // on them directly: runs blended here go to the same pixels.
    bits_ = const_cast<uchar*>(image_->constBits());
    blendable_ = painter_->isActive() && image_->format() == QImage::Format_RGB32 &&
                 painter_->deviceTransform().isIdentity();
  }
  return *painter_;
}

size_t QtSurface::glyphMaskBytes() { return glyphMaskTotal().load(); }
void QtSurface::setGlyphMaskLimit(size_t bytes) { glyphMaskLimit() = bytes; }

void QtSurface::setOwnGlyphBlending(bool on) { ownBlendingSwitch() = on; }
bool QtSurface::ownGlyphBlending() { return ownBlendingSwitch(); }

bool QtSurface::blendRun(const QtFont& font, Colour colour, QPointF origin, const quint32* glyphs,
                         const QPointF* positions, int count, const QRect* clip) {
  if (!ownBlendingSwitch() || !blendable_ || !font.blendsOwnGlyphs()) return false;
  QRect bounds = image_->rect();
  if (clip) bounds &= *clip;
  if (bounds.isEmpty()) return true;
  const uint32_t c = 0xff000000u | (uint32_t(redOf(colour)) << 16) | (uint32_t(greenOf(colour)) << 8) | blueOf(colour);
  if (font.decorationRows().first <= font.decorationRows().second) applyPen(colour);
  return drawGlyphs(painter(), bits_, image_->bytesPerLine(), bounds, font, c, ground_, origin, glyphs, positions,
                    count);
}

void QtSurface::drawRun(const QtFont& font, Colour colour, QPointF origin, const quint32* glyphs,
                        const QPointF* positions, int count, const QRect* clip) {
  QPainter& p = painter();
  if (blendRun(font, colour, origin, glyphs, positions, count, clip)) return;
  applyPen(colour);
  if (clip) p.setClipRect(*clip);
  glyphRun_.setRawFont(font.rawFont());
  glyphRun_.setRawData(glyphs, positions, count);
  glyphRun_.setUnderline(font.font().underline());
  glyphRun_.setStrikeOut(font.font().strikeOut());
  p.drawGlyphRun(origin, glyphRun_);
  if (clip) p.setClipping(false);
}

static QString& guideFamilyOverride() {
  static QString family;
  return family;
}

void QtSurface::setGuideFontFamily(const QString& family) {
  guideFamilyOverride() = family;
  clearFontCache();
}

QString QtSurface::systemFamily() {
  static const QString family = QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans"))
                                    ? QStringLiteral("DejaVu Sans")
                                    : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  return family;
}

QString QtSurface::familyFor(const std::u16string& face) {
  const QString name = QString::fromStdU16String(face);
  if (name == QString::fromStdU16String(kGuideFontFace)) {
    if (!guideFamilyOverride().isEmpty()) return guideFamilyOverride();
    return QFontDatabase::hasFamily(name) ? name : systemFamily();
  }
  if (name.isEmpty()) return systemFamily();
  return name;
}

QFont QtSurface::qfontFor(const FontDescription& d) {
  QFont f(familyFor(d.face));
  f.setPixelSize(std::max(1, fontPixelHeight(d)));
  const int weight = d.weight <= 0 ? 400 : std::clamp(d.weight, 1, 1000);
  f.setWeight(static_cast<QFont::Weight>(weight));
  f.setItalic(d.italic);
  f.setUnderline(d.underline);
  f.setStrikeOut(d.strikeOut);
  f.setKerning(false);  // widths are sums of character advances
  return f;
}

void QtSurface::clearFontCache() {
  ++fontGeneration();
  if (FontCache* c = cacheSlot()) {
    c->fonts.clear();
    c->recent.fill(nullptr);
  }
}

Size QtSurface::size() const {
  if (ratio_ == 1.0) return {image_->width(), image_->height()};
  const QSizeF s = image_->deviceIndependentSize();
  return {qRound(s.width()), qRound(s.height())};
}

FontRef QtSurface::createFont(const FontDescription& description) {
  FontCache& c = cache();
  // The few fonts a window alternates between are found without building a key.
  for (size_t i = 0; i < c.recent.size(); ++i) {
    if (c.recent[i] && c.recent[i]->description() == description) {
      if (i > 0) std::swap(c.recent[i], c.recent[i - 1]);
      return c.recent[i > 0 ? i - 1 : 0];
    }
  }
  const std::u16string key = cacheKey(description);
  auto it = c.fonts.find(key);
  if (it == c.fonts.end()) {
    if (c.fonts.size() > 512) c.fonts.clear();
    it = c.fonts.emplace(key, std::make_shared<QtFont>(description, qfontFor(description))).first;
  }
  std::rotate(c.recent.begin(), c.recent.end() - 1, c.recent.end());
  c.recent[0] = it->second;
  return it->second;
}

void QtSurface::selectFont(const FontRef& font) {
  if (!font) {
    font_ = std::static_pointer_cast<const QtFont>(createFont(guideFontDescription(96)));
    return;
  }
  if (auto q = std::dynamic_pointer_cast<const QtFont>(font)) {
    font_ = std::move(q);
  } else {
    font_ = std::static_pointer_cast<const QtFont>(createFont(font->description()));
  }
}

Size QtSurface::measureText(const char16_t* text, size_t n) {
  const QtFont& f = current();
  const int h = f.height();
  if (!text || n == 0) return {0, h};
  if (n == 1 && !QChar::isSurrogate(text[0])) return {f.glyph(text[0]).width, h};
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    if (QChar::isSurrogate(text[i])) return {f.metrics().horizontalAdvance(visibleText(text, n)), h};
    sum += f.glyph(text[i]).advance;
  }
  return {static_cast<int>(std::lround(sum)), h};
}

size_t QtSurface::fitCount(const char16_t* text, size_t n, int width) {
  if (width < 0 || !text) return 0;
  const QtFont& f = current();
  double sum = 0;
  size_t k = 0;
  while (k < n) {
    double w;
    size_t step = 1;
    if (QChar::isHighSurrogate(text[k]) && k + 1 < n && QChar::isLowSurrogate(text[k + 1])) {
      w = f.metrics().horizontalAdvance(QString(reinterpret_cast<const QChar*>(text + k), 2));
      step = 2;
    } else {
      w = f.glyph(text[k]).advance;
    }
    if (std::lround(sum + w) > width) break;
    sum += w;
    k += step;
  }
  return k;
}

int QtSurface::textHeight() { return current().height(); }

void QtSurface::applyPen(Colour colour) {
  if (!penValid_ || penColour_ != colour) {
    painter().setPen(toQColor(colour));
    penColour_ = colour;
    penValid_ = true;
  }
}

void QtSurface::drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) {
  if (!text || n == 0) return;
  const bool clip = !(flags & TextFormat::NoClip);
  if (clip && rect.isEmpty()) return;
  const QtFont& f = current();
  constexpr uint32_t kPlain = TextFormat::NoPrefix | TextFormat::SingleLine | TextFormat::NoClip;
  if ((flags & TextFormat::NoPrefix) && (flags & ~kPlain) == 0) {
    // Left and top aligned, no prefix processing: glyphs at the baseline,
    // batched with the pieces before them while font, colour and line stay
    // the same. The clip is set only when the text's advance or line height
    // exceeds the rectangle (a glyph's ink reaching a pixel past its advance
    // is not cut).
    const QPointF origin(rect.left, rect.top + f.ascent());
    bool needClip = clip && f.height() > rect.height();
    if (!needClip) {
      size_t mark = 0;
      double advance = 0;
      if (queueGlyphs(text, n, origin, &mark, &advance)) {
        // The advance of glyphs queued is what measureText answers.
        if (!clip || std::lround(advance) <= rect.width()) return;
        glyphIndexes_.resize(mark);
        glyphPositions_.resize(mark);
        needClip = true;
      } else {
        needClip = clip && measureText(text, n).width > rect.width();
      }
    }
    flushGlyphs();
    if (needClip) clip_ = toQRect(rect);
    if (queueGlyphs(text, n, origin)) {
      flushGlyphs();  // clipped to clip_
    } else {
      recordingBroken_ = true;
      QPainter& p = painter();
      if (needClip) p.setClipRect(toQRect(rect));
      applyPen(textColour_);
      p.setFont(f.font());
      p.drawText(origin, visibleText(text, n));
      if (needClip) p.setClipping(false);
    }
    clip_.reset();
    return;
  }
  flushGlyphs();
  recordingBroken_ = true;
  QPainter& p = painter();
  applyPen(textColour_);
  if (clip) p.setClipRect(toQRect(rect));
  int q = 0;
  q |= (flags & TextFormat::Centre) ? Qt::AlignHCenter : (flags & TextFormat::Right) ? Qt::AlignRight : Qt::AlignLeft;
  q |= (flags & TextFormat::VCentre) ? Qt::AlignVCenter : (flags & TextFormat::Bottom) ? Qt::AlignBottom : Qt::AlignTop;
  if (flags & TextFormat::WordBreak) q |= Qt::TextWordWrap;
  if (flags & TextFormat::SingleLine) q |= Qt::TextSingleLine;
  if (!(flags & TextFormat::NoPrefix)) q |= Qt::TextShowMnemonic;
  if (!clip) q |= Qt::TextDontClip;
  p.setFont(f.font());
  p.drawText(toQRect(rect), q, visibleText(text, n));
  if (clip) p.setClipping(false);
}

bool QtSurface::queueGlyphs(const char16_t* text, size_t n, QPointF origin, size_t* start, double* advance) {
  if (!font_->glyphRuns()) return false;
  if (!glyphIndexes_.empty() &&
      (pendingFont_ != font_ || pendingColour_ != textColour_ || pendingBaseline_ != origin.y())) {
    flushGlyphs();
  }
  const size_t mark = glyphIndexes_.size();
  // Positions are relative to the first piece of the batch (underlines are
  // drawn from the run's origin); glyphs sit on whole pixels.
  if (mark == 0) pendingOrigin_ = origin;
  double x = origin.x();
  for (size_t i = 0; i < n; ++i) {
    if (isControl(text[i])) continue;
    const QtFont::Glyph& g = font_->glyph(text[i]);
    if (g.index == 0) {  // needs a fallback font: QPainter's own path draws it
      glyphIndexes_.resize(mark);
      glyphPositions_.resize(mark);
      return false;
    }
    glyphIndexes_.push_back(g.index);
    glyphPositions_.push_back(QPointF(x - pendingOrigin_.x(), 0));
    x += g.advance;
  }
  if (start) *start = mark;
  if (advance) *advance = x - origin.x();
  pendingFont_ = font_;
  pendingColour_ = textColour_;
  pendingBaseline_ = origin.y();
  return true;
}

void QtSurface::flushGlyphs() {
  if (glyphIndexes_.empty()) return;
  drawRun(*pendingFont_, pendingColour_, pendingOrigin_, glyphIndexes_.data(), glyphPositions_.data(),
          static_cast<int>(glyphIndexes_.size()), clip_ ? &*clip_ : nullptr);
  if (recording_) recordGlyphs();
  glyphIndexes_.clear();
  glyphPositions_.clear();
  pendingFont_.reset();
}

// ---------------------------------------------------------------------------
// Recording

struct QtSurface::Recording : TextRecording {
  struct Item {
    bool fill = false;
    QRect rect;                  // the fill, or the clip of a clipped run
    bool clipped = false;
    Colour colour = 0;
    QPointF origin;              // of the glyph run
    std::shared_ptr<const QtFont> font;
    size_t first = 0, count = 0;  // its glyphs in glyphs and positions
  };
  std::vector<Item> items;
  std::vector<quint32> glyphs;
  std::vector<QPointF> positions;
  std::shared_ptr<const QtFont> font;  // selected at the end
  Colour textColour = 0;
  uint64_t generation = 0;
  size_t counted = 0;  // bytes added to the live total when handed out

  size_t bytes() const {
    return sizeof(*this) + items.capacity() * sizeof(Item) + glyphs.capacity() * sizeof(quint32) +
           positions.capacity() * sizeof(QPointF);
  }
  ~Recording() override { liveRecordingBytes() -= counted; }
};

size_t QtSurface::recordingBudget() { return kRecordingBudget; }
size_t QtSurface::recordingBytes() { return liveRecordingBytes().load(); }

void QtSurface::beginRecording() {
  flushGlyphs();  // what was queued before belongs to no recording
  recording_ = std::make_unique<Recording>();
  recordingBroken_ = false;
}

void QtSurface::recordGlyphs() {
  Recording& r = *recording_;
  Recording::Item item;
  item.colour = pendingColour_;
  item.origin = pendingOrigin_;
  item.clipped = clip_.has_value();
  if (clip_) item.rect = *clip_;
  item.font = pendingFont_;
  item.first = r.glyphs.size();
  item.count = glyphIndexes_.size();
  r.glyphs.insert(r.glyphs.end(), glyphIndexes_.begin(), glyphIndexes_.end());
  r.positions.insert(r.positions.end(), glyphPositions_.begin(), glyphPositions_.end());
  r.items.push_back(std::move(item));
}

void QtSurface::recordFill(const QRect& rect, Colour colour) {
  Recording::Item item;
  item.fill = true;
  item.rect = rect;
  item.colour = colour;
  recording_->items.push_back(std::move(item));
}

TextRecordingRef QtSurface::endRecording() {
  if (!recording_) return nullptr;
  flushGlyphs();  // the last pieces are drawn now, as the next drawing would
  std::unique_ptr<Recording> r = std::move(recording_);
  if (recordingBroken_) return nullptr;
  r->items.shrink_to_fit();
  r->glyphs.shrink_to_fit();
  r->positions.shrink_to_fit();
  const size_t bytes = r->bytes();
  if (liveRecordingBytes().load() + bytes > kRecordingBudget) return nullptr;
  r->font = font_;
  r->textColour = textColour_;
  r->generation = fontGeneration();
  r->counted = bytes;
  liveRecordingBytes() += r->counted;
  return std::shared_ptr<const TextRecording>(r.release());
}

bool QtSurface::replay(const TextRecording& recording, Point offset) {
  const auto* r = dynamic_cast<const Recording*>(&recording);
  if (!r || r->generation != fontGeneration()) return false;
  flushGlyphs();
  recordingBroken_ = true;  // a replay inside a recording is not recorded
  QPainter& p = painter();
  const QPoint shift(offset.x, offset.y);
  for (const Recording::Item& item : r->items) {
    if (item.fill) {
      p.fillRect(item.rect.translated(shift), toQColor(item.colour));
      ground_ = 0xff000000u | (uint32_t(redOf(item.colour)) << 16) | (uint32_t(greenOf(item.colour)) << 8) |
                blueOf(item.colour);
      continue;
    }
    const QRect clip = item.rect.translated(shift);
    drawRun(*item.font, item.colour, item.origin + QPointF(shift), r->glyphs.data() + item.first,
            r->positions.data() + item.first, static_cast<int>(item.count), item.clipped ? &clip : nullptr);
  }
  font_ = r->font;
  textColour_ = r->textColour;
  return true;
}

QImage& QtSurface::image() {
  flushGlyphs();
  return *image_;
}

void QtSurface::fillRect(const Rect& rect, Colour colour) {
  if (rect.isEmpty()) return;
  flushGlyphs();
  painter().fillRect(toQRect(rect), toQColor(colour));
  ground_ = 0xff000000u | (uint32_t(redOf(colour)) << 16) | (uint32_t(greenOf(colour)) << 8) | blueOf(colour);
  if (recording_) recordFill(toQRect(rect), colour);
}

void QtSurface::polyline(const Point* points, size_t n, Colour colour) {
  if (!points || n < 2) return;
  recordingBroken_ = true;
  flushGlyphs();
  QPolygon poly;
  poly.reserve(static_cast<qsizetype>(n));
  for (size_t i = 0; i < n; ++i) poly << QPoint(points[i].x, points[i].y);
  QPainter& p = painter();
  p.setPen(QPen(toQColor(colour), 0));
  penValid_ = false;
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(poly);
}

void QtSurface::polygon(const Point* points, size_t n, Colour fill, Colour outline) {
  if (!points || n < 3) return;
  recordingBroken_ = true;
  flushGlyphs();
  QPolygon poly;
  poly.reserve(static_cast<qsizetype>(n));
  for (size_t i = 0; i < n; ++i) poly << QPoint(points[i].x, points[i].y);
  QPainter& p = painter();
  p.setPen(QPen(toQColor(outline), 0));
  penValid_ = false;
  p.setBrush(toQColor(fill));
  p.drawPolygon(poly);
  p.setBrush(Qt::NoBrush);
}

ImageRef QtSurface::decodeImage(const uint8_t* data, size_t n) {
  if (!data || n == 0 || n > static_cast<size_t>(INT32_MAX)) return nullptr;
  QImage image;
  if (!image.loadFromData(data, static_cast<int>(n)) || image.isNull()) return nullptr;
  return std::make_shared<QtImage>(std::move(image));
}

void QtSurface::drawImage(const SurfaceImage& image, const Rect& source, const Rect& target) {
  const auto* q = dynamic_cast<const QtImage*>(&image);
  if (!q || source.isEmpty() || target.isEmpty()) return;
  recordingBroken_ = true;
  flushGlyphs();
  QPainter& p = painter();
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.drawImage(toQRect(target), q->image(), toQRect(source));
}

QRect devicePixels(const QRect& r, qreal ratio) {
  if (ratio == 1.0) return r;
  return QRect(qRound(r.x() * ratio), qRound(r.y() * ratio), qRound(r.width() * ratio), qRound(r.height() * ratio));
}

std::unique_ptr<DrawingSurface> QtSurface::createOffscreen(int width, int height) {
  return std::make_unique<QtSurface>(width, height, ratio_);
}

void QtSurface::copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) {
  auto* q = dynamic_cast<QtSurface*>(&source);
  if (!q || sourceRect.isEmpty()) return;
  recordingBroken_ = true;
  flushGlyphs();
  // Source rectangles of an image are in its device pixels.
  const QRect from = devicePixels(toQRect(sourceRect), q->ratio_);
  if (q == this) {
    QImage part = image_->copy(from);  // never paint an image onto itself
    part.setDevicePixelRatio(ratio_);
    painter().drawImage(QPoint(destination.x, destination.y), part);
    return;
  }
  painter().drawImage(QPointF(destination.x, destination.y), q->image(), QRectF(from));
}

}  // namespace vantrel

