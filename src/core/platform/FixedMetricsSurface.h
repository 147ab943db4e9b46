#pragma once
// A drawing surface with fixed metrics that records what is drawn on it, for
// tests and for the command-line tools. It paints no pixels.
//
// Metrics (the one place they are defined):
//   - A font's pixel height h is fontPixelHeight(description): |height|, 16 for 0.
//     The default font (nothing selected) is h = 16, weight 400, face "Test".
//   - Every character is h / 2 pixels wide (integer division), one pixel more
//     when the weight is 600 or above (bold). Italic and underline change nothing.
//   - Control characters (U+0000 to U+001F, so also the line feed) are 0 wide.
//   - measureText of any n (0 included) is n character widths wide and h high;
//     textHeight is h.
//   - fitCount is the longest prefix whose width is at most the given width.
//   - decodeImage reads only the size from a PNG header (other bytes: null).
//   Examples: the guide font at 96 dpi is 16 px high, so a character is 8 px
//   wide (9 bold); a script font derived from it is 12 px high, 6 px wide (7 bold).
//   At 192 dpi the guide font is 32 px high: 16 px per character (17 bold).
//
// Every drawing operation is appended to calls() with the font and colour in
// effect, so tests can state what was drawn where.
#include <string>
#include <vector>

#include "core/platform/DrawingSurface.h"

namespace vantrel {

class FixedMetricsSurface : public DrawingSurface {
 public:
  enum class CallKind { Text, Fill, Polyline, Polygon, Copy, Image };
  struct Call {
    CallKind kind = CallKind::Text;
    std::u16string text;          // Text: the n characters drawn
    Rect rect;                    // Text, Fill: the rectangle; Copy, Image: the destination
    uint32_t flags = 0;           // Text: the format flags
    FontDescription font;         // Text: the selected font
    Colour colour = 0;            // Text: text colour; Fill/Polyline: colour; Polygon: fill
    Colour outline = 0;           // Polygon: outline colour
    std::vector<Point> points;    // Polyline, Polygon
    Rect sourceRect;              // Copy, Image: the part of the source copied
    Size imageSize;               // Image: the size of the picture
  };

  explicit FixedMetricsSurface(int width = 240, int height = 320);

  // Character width for a font description under the metrics above.
  static int charWidth(const FontDescription& font, char16_t c);

  using DrawingSurface::drawText;
  using DrawingSurface::measureText;

  Size size() const override { return {width_, height_}; }
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

  const std::vector<Call>& calls() const { return calls_; }
  // Only the text calls, in drawing order.
  std::vector<Call> textCalls() const;
  void clearCalls() { calls_.clear(); }
  // How many measureText calls were made (lets tests check that work is not repeated).
  size_t measureCount() const { return measureCount_; }

 private:
  const FontDescription& current() const;

  int width_;
  int height_;
  FontRef defaultFont_;
  FontRef font_;
  Colour textColour_ = 0;
  std::vector<Call> calls_;
  size_t measureCount_ = 0;
};

}  // namespace vantrel
