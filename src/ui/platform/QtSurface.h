#pragma once
// The drawing surface over Qt: paints with QPainter on a QImage and measures
// with QFontMetrics, so sizes agree with what Qt's widgets show in the same fonts.
//
// Fonts: heights are pixel sizes (QFont::setPixelSize). The face "PPC_Font2"
// is used when the guide's font file has been added to the application's
// fonts; otherwise "DejaVu Sans" stands in for it. Fonts are cached by
// description for the life of the application (cleared with it).
// Control characters (U+0000 to U+001F) measure 0 wide and are not drawn.
// Left-aligned text without prefix processing (what the markup renderer
// draws) is drawn as glyph runs; consecutive pieces in the same font, colour
// and line are batched into one run, drawn before any other operation and
// whenever image() or end() is called. On RGB32 images without a
// transformation the surface blends the runs itself, from each glyph's
// coverage as Qt's raster engine blends it (QtFont::GlyphMask), giving
// QPainter's very pixels without its work per glyph.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QGlyphRun>
#include <QRawFont>
#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/platform/DrawingSurface.h"

namespace vantrel {

// A font made by the Qt surface: the description, the QFont built from it
// and a cache of character advances and glyphs.
//
// Widths are the font's unkerned advances (kerning is off in our fonts, so
// QFontMetrics of the same QFont agrees): n characters are the rounded sum of
// their fractional advances, exactly what QFontMetrics::horizontalAdvance
// answers for the string. Text whose characters all have glyphs in the font
// is drawn as a glyph run at those advances; anything else (a character that
// needs a fallback font, a surrogate pair) goes through QPainter::drawText.
class QtFont : public Font {
 public:
  QtFont(FontDescription description, const QFont& font);
  ~QtFont() override;
  QtFont(const QtFont&) = delete;
  QtFont& operator=(const QtFont&) = delete;
  const QFont& font() const { return font_; }
  const QFontMetrics& metrics() const { return metrics_; }
  // metrics().height() and ascent(), kept: asking QFontMetrics takes the font
  // database's lock each time, and text is measured character by character.
  int height() const { return height_; }
  int ascent() const { return ascent_; }
  const QRawFont& rawFont() const { return raw_; }
  bool glyphRuns() const { return glyphRuns_; }

  struct Glyph {
    float advance = 0;   // 0 for control characters
    int width = 0;       // the advance rounded
    quint32 index = 0;   // 0: not in this font (drawn with a fallback font)
  };
  const Glyph& glyph(char16_t c) const {
    if (c < kCachedChars && known_ && known_[c]) return cache_[c];
    return lookupGlyph(c);
  }
  // Width of one character (its advance rounded).
  int charWidth(char16_t c) const;

  // The coverage of one glyph as Qt's raster engine blends it onto an image
  // of format RGB32 without a transformation: the pixels its ink covers,
  // from the pen position's pixel (x rounded down, y rounded), at a phase
  // of 1/64 pixel. Read back from Qt's own drawing of the glyph, so the
  // surface can blend glyphs itself and get Qt's very pixels (see
  // QtSurface::ownGlyphBlending).
  struct GlyphMask {
    int left = 0, top = 0;
    int width = 0, height = 0;  // 0: the glyph covers no pixel
    std::vector<uint8_t> coverage;  // width x height, row by row
    // The glyph's pixels blended in that colour onto that ground (both
    // RGB32), for copying where the ground is as expected; the last two kept.
    const uint32_t* tinted(uint32_t colour, uint32_t ground) const;
    size_t bytes() const;  // held, tinted copies included

   private:
    struct Tint {
      uint32_t colour = 0, ground = 0;
      std::vector<uint32_t> pixels;
    };
    mutable std::array<Tint, 2> tints;
    mutable size_t nextTint = 0;
  };
  // Null when the glyph's coverage cannot be read back (colour fringes, ink
  // beyond the scratch image): Qt draws runs with such glyphs.
  const GlyphMask* mask(quint32 glyph, int phase) const;
  // Whether the surface may blend this font's glyphs itself: checked once by
  // blending a line of text both ways (fractional positions, overlapping
  // glyphs, a coloured pen on a coloured ground) and comparing the pixels.
  // False for fonts of 64 pixels or more (Qt fills those as paths) and when
  // Qt blends with gamma correction.
  bool blendsOwnGlyphs() const;
  // The rows (from the baseline's) an underline or strike-out may touch;
  // first > second when the font has neither. Known once blendsOwnGlyphs is.
  std::pair<int, int> decorationRows() const { return {bandTop_, bandBottom_}; }
  // Drops the glyph masks read so far (they are read again when needed).
  // Never while a run is being blended.
  void forgetMasks() const;

 private:
  bool captureMask(quint32 glyph, int phase, GlyphMask& out) const;
  bool checkOwnBlending() const;

  QFont font_;
  QFontMetrics metrics_;
  QFontMetricsF metricsF_;
  QRawFont raw_;
  int height_ = 0;
  int ascent_ = 0;
  bool glyphRuns_ = false;
  static constexpr char16_t kCachedChars = 0x800;
  const Glyph& lookupGlyph(char16_t c) const;  // fills the cache
  mutable std::unique_ptr<Glyph[]> cache_;  // characters below U+0800
  mutable std::unique_ptr<bool[]> known_;
  mutable Glyph scratch_;
  // Glyph masks, by glyph index x phaseClasses_ + the class of the phase
  // (phases at which Qt draws the same glyphs form a class); -1 not read
  // yet, -2 unreadable.
  mutable std::deque<GlyphMask> masks_;
  mutable std::vector<int32_t> maskSlots_;
  mutable size_t phaseClasses_ = 64;
  mutable std::array<uint8_t, 64> phaseClass_{};  // of each phase
  mutable std::array<uint8_t, 64> phaseStart_{};  // first phase of each class
  mutable int ownBlending_ = -1;
  mutable int bandTop_ = 0, bandBottom_ = -1;
};

// r (in layout pixels) in the device pixels of an image at ratio.
QRect devicePixels(const QRect& r, qreal ratio);

class QtSurface : public DrawingSurface {
 public:
  // Paints on an image of its own (white, format RGB32) of width x height
  // pixels of the layout; at a device pixel ratio above 1 the image holds
  // that many more device pixels, so text and lines are drawn at the
  // screen's full resolution. Offscreen surfaces it creates share the ratio.
  QtSurface(int width, int height, qreal devicePixelRatio = 1.0);
  // Paints on the caller's image, which must outlive the surface.
  explicit QtSurface(QImage* image);
  ~QtSurface() override;
  QtSurface(const QtSurface&) = delete;
  QtSurface& operator=(const QtSurface&) = delete;

  // The image painted on, with everything drawn so far on it. Call end()
  // before handing it to code that paints on it with a painter of its own.
  QImage& image();
  void end();
  qreal devicePixelRatio() const { return ratio_; }
  // The ratio of the offscreen surfaces created from now on (a surface that
  // only makes offscreen ones, as a list's).
  void setDevicePixelRatio(qreal ratio) { ratio_ = ratio > 1.0 ? ratio : 1.0; }
  // An image of width x height layout pixels at that ratio.
  static QImage makeImage(int width, int height, qreal devicePixelRatio);

  // The family used for a face name (substitution of "PPC_Font2" and of faces Qt does not have).
  static QString familyFor(const std::u16string& face);
  // The family of the program's own texts (dialogs, the title strip) and the
  // stand-in for faces that are missing: "DejaVu Sans" where it is
  // installed, else the platform's general font.
  static QString systemFamily();
  // The QFont for a description.
  static QFont qfontFor(const FontDescription& description);
  // Forgets the cached fonts (after the guide's font file was added or removed).
  static void clearFontCache();
  // The family that stands for "PPC_Font2" (the family name found in the guide's
  // font file once it is added); empty: "PPC_Font2" when Qt knows that family,
  // else "DejaVu Sans". Clears the font cache.
  static void setGuideFontFamily(const QString& family);

  using DrawingSurface::drawText;
  using DrawingSurface::measureText;

  Size size() const override;
  FontRef createFont(const FontDescription& description) override;
  void selectFont(const FontRef& font) override;
  FontRef selectedFont() const override { return font_; }
  void setTextColour(Colour colour) override { textColour_ = colour; }
  Colour textColour() const override { return textColour_; }
  Size measureText(const char16_t* text, size_t n) override;
  size_t fitCount(const char16_t* text, size_t n, int width) override;
  int textHeight() override;
  void drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) override;
  void fillRect(const Rect& rect, Colour colour) override;
  void polyline(const Point* points, size_t n, Colour colour) override;
  void polygon(const Point* points, size_t n, Colour fill, Colour outline) override;
  ImageRef decodeImage(const uint8_t* data, size_t n) override;
  void drawImage(const SurfaceImage& image, const Rect& source, const Rect& target) override;
  std::unique_ptr<DrawingSurface> createOffscreen(int width, int height) override;
  void copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) override;

  // Recordings keep the glyph runs as drawn (glyphs, positions, raw font,
  // colour, clip) and the fills between them. Text that needed QPainter's
  // own path (a fallback font, prefix processing, alignment) or any other
  // drawing is not recorded. Live recordings together keep at most
  // recordingBudget() bytes; past it endRecording answers null. A recording
  // made before the font cache was cleared is never replayed.
  void beginRecording() override;
  TextRecordingRef endRecording() override;
  bool replay(const TextRecording& recording, Point offset) override;
  static size_t recordingBudget();
  static size_t recordingBytes();  // held by live recordings

  // Glyph runs are blended into the image by the surface itself, from the
  // coverage Qt's raster engine gives each glyph (QtFont::GlyphMask), when
  // the image is RGB32 without a transformation and the font passed its
  // check; the pixels are Qt's own, without the engine's work per glyph.
  // Off: every run goes through QPainter (for comparisons).
  static void setOwnGlyphBlending(bool on);
  static bool ownGlyphBlending();
  // Glyph masks and their tinted copies of all fonts keep about
  // glyphMaskLimit bytes (16 MiB): past it, a font drawing a run forgets
  // its masks first.
  static size_t glyphMaskBytes();
  static void setGlyphMaskLimit(size_t bytes);

 private:
  struct Recording;
  QPainter& painter();
  void applyPen(Colour colour);
  // Adds the glyphs of the text to the pending glyph run (false, adding
  // nothing, when the font lacks one of them); flushGlyphs draws the run.
  // start: where its glyphs begin in the batch; advance: their total advance.
  bool queueGlyphs(const char16_t* text, size_t n, QPointF origin, size_t* start = nullptr,
                   double* advance = nullptr);
  void flushGlyphs();
  // Draws one glyph run: blended by the surface where it can, else by QPainter.
  void drawRun(const QtFont& font, Colour colour, QPointF origin, const quint32* glyphs, const QPointF* positions,
               int count, const QRect* clip);
  bool blendRun(const QtFont& font, Colour colour, QPointF origin, const quint32* glyphs, const QPointF* positions,
                int count, const QRect* clip);
  // Add what was just drawn to the recording.
  void recordGlyphs();
  void recordFill(const QRect& rect, Colour colour);
  const QtFont& current() const { return *font_; }

  std::unique_ptr<QImage> ownImage_;
  QImage* image_;
  qreal ratio_ = 1.0;
  std::unique_ptr<QPainter> painter_;
  uchar* bits_ = nullptr;  // the pixels the painter paints on, while it is active
  bool blendable_ = false;  // the painter's image is RGB32 without a transformation
  uint32_t ground_ = 0xffffffffu;  // the colour glyphs are expected on: that of the last fill
  std::shared_ptr<const QtFont> font_;
  Colour textColour_ = 0;
  Colour penColour_ = 0;     // the colour of the painter's pen, when penValid_
  bool penValid_ = false;
  std::vector<quint32> glyphIndexes_;
  std::vector<QPointF> glyphPositions_;
  QGlyphRun glyphRun_;
  std::shared_ptr<const QtFont> pendingFont_;
  Colour pendingColour_ = 0;
  double pendingBaseline_ = 0;
  QPointF pendingOrigin_;
  std::optional<QRect> clip_;             // the clip set while drawing one clipped piece
  std::unique_ptr<Recording> recording_;  // while recording
  bool recordingBroken_ = false;          // something drawn could not be recorded
};

// A picture decoded by the Qt surface.
class QtImage : public SurfaceImage {
 public:
  explicit QtImage(QImage image) : image_(std::move(image)) {}
  Size size() const override { return {image_.width(), image_.height()}; }
  const QImage& image() const { return image_; }

 private:
  QImage image_;
};

QColor toQColor(Colour colour);

}  // namespace vantrel
