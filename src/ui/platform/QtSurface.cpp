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
#include <unordered_map>
#include <vector>

namespace vantrel {
namespace {

constexpr char16_t kCachedChars = 0x800;

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
}

const QtFont::Glyph& QtFont::glyph(char16_t c) const {
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
  penValid_ = false;
}

QPainter& QtSurface::painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(image_);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
  }
  return *painter_;
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
    const bool needClip =
        clip && (f.height() > rect.height() || measureText(text, n).width > rect.width());
    if (!needClip && queueGlyphs(text, n, origin)) return;
    flushGlyphs();
    QPainter& p = painter();
    if (needClip) p.setClipRect(toQRect(rect));
    if (needClip) clip_ = toQRect(rect);
    if (queueGlyphs(text, n, origin)) {
      flushGlyphs();
    } else {
      recordingBroken_ = true;
      applyPen(textColour_);
      p.setFont(f.font());
      p.drawText(origin, visibleText(text, n));
    }
    clip_.reset();
    if (needClip) p.setClipping(false);
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

bool QtSurface::queueGlyphs(const char16_t* text, size_t n, QPointF origin) {
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
  pendingFont_ = font_;
  pendingColour_ = textColour_;
  pendingBaseline_ = origin.y();
  return true;
}

void QtSurface::flushGlyphs() {
  if (glyphIndexes_.empty()) return;
  applyPen(pendingColour_);
  glyphRun_.setRawFont(pendingFont_->rawFont());
  glyphRun_.setRawData(glyphIndexes_.data(), glyphPositions_.data(), static_cast<int>(glyphIndexes_.size()));
  glyphRun_.setUnderline(pendingFont_->font().underline());
  glyphRun_.setStrikeOut(pendingFont_->font().strikeOut());
  painter().drawGlyphRun(pendingOrigin_, glyphRun_);
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
      continue;
    }
    applyPen(item.colour);
    if (item.clipped) p.setClipRect(item.rect.translated(shift));
    glyphRun_.setRawFont(item.font->rawFont());
    glyphRun_.setRawData(r->glyphs.data() + item.first, r->positions.data() + item.first,
                         static_cast<int>(item.count));
    glyphRun_.setUnderline(item.font->font().underline());
    glyphRun_.setStrikeOut(item.font->font().strikeOut());
    p.drawGlyphRun(item.origin + QPointF(shift), glyphRun_);
    if (item.clipped) p.setClipping(false);
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
