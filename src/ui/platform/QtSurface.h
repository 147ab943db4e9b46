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
// whenever image() or end() is called.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QGlyphRun>
#include <QRawFont>
#include <memory>
#include <optional>
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
  const Glyph& glyph(char16_t c) const;
  // Width of one character (its advance rounded).
  int charWidth(char16_t c) const;

 private:
  QFont font_;
  QFontMetrics metrics_;
  QFontMetricsF metricsF_;
  QRawFont raw_;
  int height_ = 0;
  int ascent_ = 0;
  bool glyphRuns_ = false;
  mutable std::unique_ptr<Glyph[]> cache_;  // characters below U+0800
  mutable std::unique_ptr<bool[]> known_;
  mutable Glyph scratch_;
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

 private:
  struct Recording;
  QPainter& painter();
  void applyPen(Colour colour);
  // Adds the glyphs of the text to the pending glyph run (false, adding
  // nothing, when the font lacks one of them); flushGlyphs draws the run.
  bool queueGlyphs(const char16_t* text, size_t n, QPointF origin);
  void flushGlyphs();
  // Add what was just drawn to the recording.
  void recordGlyphs();
  void recordFill(const QRect& rect, Colour colour);
  const QtFont& current() const { return *font_; }

  std::unique_ptr<QImage> ownImage_;
  QImage* image_;
  qreal ratio_ = 1.0;
  std::unique_ptr<QPainter> painter_;
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
