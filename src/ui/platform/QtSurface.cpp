#include "platform/QtSurface.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QPen>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <unordered_map>
#include <vector>

namespace vantrel {
namespace {

constexpr char16_t kCachedChars = 0x800;

struct FontCache {
  std::unordered_map<std::u16string, std::shared_ptr<const QtFont>> fonts;
  FontDescription lastDescription;
  std::shared_ptr<const QtFont> lastFont;
};

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
    : Font(std::move(description)), font_(font), metrics_(font) {}

int QtFont::charWidth(char16_t c) const {
  if (isControl(c)) return 0;
  if (c >= kCachedChars) return metrics_.horizontalAdvance(QChar(c));
  if (!widths_) {
    widths_ = std::make_unique<int16_t[]>(kCachedChars);
    std::fill(widths_.get(), widths_.get() + kCachedChars, static_cast<int16_t>(-1));
  }
  int16_t& w = widths_[c];
  if (w < 0) w = static_cast<int16_t>(std::clamp(metrics_.horizontalAdvance(QChar(c)), 0, 32767));
  return w;
}

QtSurface::QtSurface(int width, int height)
    : ownImage_(std::make_unique<QImage>(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32)),
      image_(ownImage_.get()) {
  image_->fill(Qt::white);
  selectFont(nullptr);
}

QtSurface::QtSurface(QImage* image) : image_(image) { selectFont(nullptr); }

QtSurface::~QtSurface() { end(); }

void QtSurface::end() { painter_.reset(); }

QPainter& QtSurface::painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(image_);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
  }
  return *painter_;
}

QString QtSurface::familyFor(const std::u16string& face) {
  const QString name = QString::fromStdU16String(face);
  if (name == QString::fromStdU16String(kGuideFontFace)) {
    return QFontDatabase::hasFamily(name) ? name : QStringLiteral("DejaVu Sans");
  }
  if (name.isEmpty()) return QStringLiteral("DejaVu Sans");
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
  return f;
}

void QtSurface::clearFontCache() {
  if (FontCache* c = cacheSlot()) {
    c->fonts.clear();
    c->lastFont.reset();
  }
}

Size QtSurface::size() const { return {image_->width(), image_->height()}; }

FontRef QtSurface::createFont(const FontDescription& description) {
  FontCache& c = cache();
  if (c.lastFont && c.lastDescription == description) return c.lastFont;
  const std::u16string key = cacheKey(description);
  auto it = c.fonts.find(key);
  if (it == c.fonts.end()) {
    if (c.fonts.size() > 512) c.fonts.clear();
    it = c.fonts.emplace(key, std::make_shared<QtFont>(description, qfontFor(description))).first;
  }
  c.lastDescription = description;
  c.lastFont = it->second;
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
  const int h = f.metrics().height();
  if (!text || n == 0) return {0, h};
  if (n == 1) return {f.charWidth(text[0]), h};
  return {f.metrics().horizontalAdvance(visibleText(text, n)), h};
}

size_t QtSurface::fitCount(const char16_t* text, size_t n, int width) {
  if (width < 0 || !text) return 0;
  const QtFont& f = current();
  int64_t sum = 0;
  size_t k = 0;
  while (k < n) {
    int w;
    size_t step = 1;
    if (QChar::isHighSurrogate(text[k]) && k + 1 < n && QChar::isLowSurrogate(text[k + 1])) {
      w = f.metrics().horizontalAdvance(QString(reinterpret_cast<const QChar*>(text + k), 2));
      step = 2;
    } else {
      w = f.charWidth(text[k]);
    }
    if (sum + w > width) break;
    sum += w;
    k += step;
  }
  return k;
}

int QtSurface::textHeight() { return current().metrics().height(); }

void QtSurface::drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) {
  if (!text || n == 0) return;
  const QString s = visibleText(text, n);
  if (s.isEmpty()) return;
  QPainter& p = painter();
  const QtFont& f = current();
  p.setFont(f.font());
  p.setPen(toQColor(textColour_));
  const bool clip = !(flags & TextFormat::NoClip);
  if (clip) {
    if (rect.isEmpty()) return;
    p.setClipRect(toQRect(rect));
  }
  constexpr uint32_t kPlain = TextFormat::NoPrefix | TextFormat::SingleLine | TextFormat::NoClip;
  if ((flags & TextFormat::NoPrefix) && (flags & ~kPlain) == 0) {
    // Left and top aligned, no prefix processing: draw at the baseline directly.
    p.drawText(QPoint(rect.left, rect.top + f.metrics().ascent()), s);
  } else {
    int q = 0;
    q |= (flags & TextFormat::Centre) ? Qt::AlignHCenter : (flags & TextFormat::Right) ? Qt::AlignRight : Qt::AlignLeft;
    q |= (flags & TextFormat::VCentre) ? Qt::AlignVCenter : (flags & TextFormat::Bottom) ? Qt::AlignBottom : Qt::AlignTop;
    if (flags & TextFormat::WordBreak) q |= Qt::TextWordWrap;
    if (flags & TextFormat::SingleLine) q |= Qt::TextSingleLine;
    if (!(flags & TextFormat::NoPrefix)) q |= Qt::TextShowMnemonic;
    if (!clip) q |= Qt::TextDontClip;
    p.drawText(toQRect(rect), q, s);
  }
  if (clip) p.setClipping(false);
}

void QtSurface::fillRect(const Rect& rect, Colour colour) {
  if (rect.isEmpty()) return;
  painter().fillRect(toQRect(rect), toQColor(colour));
}

void QtSurface::polyline(const Point* points, size_t n, Colour colour) {
  if (!points || n < 2) return;
  QPolygon poly;
  poly.reserve(static_cast<qsizetype>(n));
  for (size_t i = 0; i < n; ++i) poly << QPoint(points[i].x, points[i].y);
  QPainter& p = painter();
  p.setPen(QPen(toQColor(colour), 0));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(poly);
}

void QtSurface::polygon(const Point* points, size_t n, Colour fill, Colour outline) {
  if (!points || n < 3) return;
  QPolygon poly;
  poly.reserve(static_cast<qsizetype>(n));
  for (size_t i = 0; i < n; ++i) poly << QPoint(points[i].x, points[i].y);
  QPainter& p = painter();
  p.setPen(QPen(toQColor(outline), 0));
  p.setBrush(toQColor(fill));
  p.drawPolygon(poly);
  p.setBrush(Qt::NoBrush);
}

std::unique_ptr<DrawingSurface> QtSurface::createOffscreen(int width, int height) {
  return std::make_unique<QtSurface>(width, height);
}

void QtSurface::copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) {
  auto* q = dynamic_cast<QtSurface*>(&source);
  if (!q || sourceRect.isEmpty()) return;
  if (q == this) {
    const QImage part = image_->copy(toQRect(sourceRect));  // never paint an image onto itself
    painter().drawImage(QPoint(destination.x, destination.y), part);
    return;
  }
  painter().drawImage(QPoint(destination.x, destination.y), q->image(), toQRect(sourceRect));
}

}  // namespace vantrel
