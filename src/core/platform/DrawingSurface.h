#pragma once
// The drawing surface: everything the program's own windows need to put text
// and simple shapes on the screen or into an off-screen image. The rich-text
// engine, the table grid, the headers, the menus and the home page draw only
// through this interface; the Qt side implements it over QPainter, the tests
// over FixedMetricsSurface (fixed metrics, recorded calls).
//
// Text is UTF-16; n counts 16-bit units. Sizes are in pixels.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform/Geometry.h"

namespace vantrel {

// A logical font description. Only face, height, weight, italic and underline
// change how text looks on our surfaces; the other fields are carried so that
// a description can be stored and compared whole.
struct FontDescription {
  std::u16string face;
  int height = 0;  // character height in pixels; the sign is ignored, 0 means 16
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;  // 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;

  friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

inline constexpr char16_t kGuideFontFace[] = u"PPC_Font2";
inline constexpr uint8_t kGuideFontCharSet = 128;

// The guide font: face "PPC_Font2", height ((dpiY + 3) * 16) / 96, weight 400,
// character set 128.
FontDescription guideFontDescription(int dpiY);

// The height in pixels a surface uses for a description: |height| (at most
// 10000), or 16 for 0.
int fontPixelHeight(const FontDescription& description);

// A font made by a surface from a description. Surfaces may keep their own
// data in a subclass; every surface accepts any Font and falls back to its
// description when the font came from another kind of surface.
class Font {
 public:
  explicit Font(FontDescription description) : description_(std::move(description)) {}
  virtual ~Font() = default;
  const FontDescription& description() const { return description_; }

 private:
  FontDescription description_;
};
using FontRef = std::shared_ptr<const Font>;

// A picture decoded by a surface (PNG, JPEG, GIF or BMP bytes on the Qt side).
class SurfaceImage {
 public:
  virtual ~SurfaceImage() = default;
  virtual Size size() const = 0;
};
using ImageRef = std::shared_ptr<const SurfaceImage>;

// Text-drawing format flags (the values of the platform's draw-text call).
namespace TextFormat {
inline constexpr uint32_t Left = 0x0;
inline constexpr uint32_t Centre = 0x1;      // horizontally centred in the rectangle
inline constexpr uint32_t Right = 0x2;       // right-aligned
inline constexpr uint32_t VCentre = 0x4;     // vertically centred (single line only)
inline constexpr uint32_t Bottom = 0x8;      // at the bottom (single line only)
inline constexpr uint32_t WordBreak = 0x10;  // wrap at spaces within the rectangle's width
inline constexpr uint32_t SingleLine = 0x20; // line feeds do not break the line
inline constexpr uint32_t NoClip = 0x100;    // not clipped to the rectangle
inline constexpr uint32_t NoPrefix = 0x800;  // an ampersand is an ordinary character
// Without NoPrefix, "&x" shows x underlined and "&&" shows one ampersand.
}  // namespace TextFormat

// Text drawing recorded by a surface (shaped glyphs at their positions, with
// their fonts, colours, clips and the fills between them), so that the same
// picture can be drawn again without measuring and shaping the text again.
// Immutable once made; only a surface of the kind that made it can draw it.
class TextRecording {
 public:
  virtual ~TextRecording() = default;
};
using TextRecordingRef = std::shared_ptr<const TextRecording>;

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // Size of the image the surface paints on.
  virtual Size size() const = 0;

  // Fonts. A face the platform does not have is replaced by its substitute.
  virtual FontRef createFont(const FontDescription& description) = 0;
  // Selects a font for measuring and drawing; null selects the surface's default font.
  virtual void selectFont(const FontRef& font) = 0;
  virtual FontRef selectedFont() const = 0;
  // createFont + selectFont in one step (surfaces may cache fonts by description).
  void useFont(const FontDescription& description) { selectFont(createFont(description)); }

  virtual void setTextColour(Colour colour) = 0;
  virtual Colour textColour() const = 0;

  // Width and height of the first n characters drawn on one line in the selected font.
  virtual Size measureText(const char16_t* text, size_t n) = 0;
  Size measureText(std::u16string_view text) { return measureText(text.data(), text.size()); }
  // How many of the first n characters fit, drawn on one line, within width (0 when width < 0).
  virtual size_t fitCount(const char16_t* text, size_t n, int width) = 0;
  // Height of one line of the selected font (its text metrics).
  virtual int textHeight() = 0;
  // Draws n characters starting at the rectangle's top-left (or as the format
  // flags align them), clipped to the rectangle unless NoClip is given.
  virtual void drawText(const char16_t* text, size_t n, const Rect& rect, uint32_t flags) = 0;
  void drawText(std::u16string_view text, const Rect& rect, uint32_t flags) {
    drawText(text.data(), text.size(), rect, flags);
  }

  // Shapes: solid fill; one-pixel solid lines through the points; a filled
  // polygon outlined in one-pixel lines.
  virtual void fillRect(const Rect& rect, Colour colour) = 0;
  virtual void polyline(const Point* points, size_t n, Colour colour) = 0;
  virtual void polygon(const Point* points, size_t n, Colour fill, Colour outline) = 0;

  // Pictures: decoded from encoded bytes (null when they cannot be decoded),
  // and drawn from the source part of the picture into the target rectangle,
  // scaled when the two differ in size.
  virtual ImageRef decodeImage(const uint8_t* data, size_t n) = 0;
  virtual void drawImage(const SurfaceImage& image, const Rect& source, const Rect& target) = 0;

  // Recording. Between beginRecording and endRecording everything is drawn
  // as usual and also recorded; endRecording answers the recording, or null
  // when something drawn could not be recorded (or the surface records
  // nothing, as by default). replay draws a recording made by a surface of
  // the same kind shifted by offset, leaving the selected font and text
  // colour as they were at the end of the recording; false (drawing nothing)
  // when it cannot, for example because the fonts it was made with are gone.
  virtual void beginRecording() {}
  virtual TextRecordingRef endRecording() { return nullptr; }
  virtual bool replay(const TextRecording& recording, Point offset) {
    (void)recording;
    (void)offset;
    return false;
  }

  // An off-screen surface of the same kind, and the one-step copy of a part of
  // another surface (of the same kind) to a point of this one.
  virtual std::unique_ptr<DrawingSurface> createOffscreen(int width, int height) = 0;
  virtual void copyFrom(DrawingSurface& source, const Rect& sourceRect, Point destination) = 0;
};

}  // namespace vantrel
