#pragma once
// The drawing surface over Qt: paints with QPainter on a QImage and measures
// with QFontMetrics, so sizes agree with what Qt's widgets show in the same fonts.
//
// Fonts: heights are pixel sizes (QFont::setPixelSize). The face "PPC_Font2"
// is used when the guide's font file has been added to the application's
// fonts; otherwise "DejaVu Sans" stands in for it. Fonts are cached by
// description for the life of the application (cleared with it).
// Control characters (U+0000 to U+001F) measure 0 wide and are not drawn.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/DrawingSurface.h"

namespace vantrel {

// A font made by the Qt surface: the description and the QFont built from it.
class QtFont : public Font {
 public:
  QtFont(FontDescription description, const QFont& font);
  const QFont& font() const { return font_; }
  const QFontMetrics& metrics() const { return metrics_; }
  // Cached width of a character of the Basic Multilingual Plane below U+0800.
  int charWidth(char16_t c) const;

 private:
  QFont font_;
  QFontMetrics metrics_;
  mutable std::unique_ptr<int16_t[]> widths_;  // -1 = not yet measured
};

class QtSurface : public DrawingSurface {
 public:
  // Paints on an image of its own (white, format RGB32).
  QtSurface(int width, int height);
  // Paints on the caller's image, which must outlive the surface.
  explicit QtSurface(QImage* image);
  ~QtSurface() override;
  QtSurface(const QtSurface&) = delete;
  QtSurface& operator=(const QtSurface&) = delete;

  // The image painted on. Call end() before handing it to code that paints
  // on it with a painter of its own.
  QImage& image() { return *image_; }
  void end();

  // The family used for a face name (substitution of "PPC_Font2" and of faces Qt does not have).
  static QString familyFor(const std::u16string& face);
  // The QFont for a description.
  static QFont qfontFor(const FontDescription& description);
  // Forgets the cached fonts (after the guide's font file was added or removed).
  static void clearFontCache();

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
  std::unique_ptr<DrawingSurface> createOffscreen(int width, int height) override;
  void copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) override;

 private:
  QPainter& painter();
  const QtFont& current() const { return *font_; }

  std::unique_ptr<QImage> ownImage_;
  QImage* image_;
  std::unique_ptr<QPainter> painter_;
  std::shared_ptr<const QtFont> font_;
  Colour textColour_ = 0;
};

QColor toQColor(Colour colour);

}  // namespace vantrel
