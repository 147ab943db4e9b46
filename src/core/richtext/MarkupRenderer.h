#pragma once
// The markup renderer: parses the guide's small markup language into a display
// text with styled, measured runs, and lays those runs out on lines inside a
// rectangle (greedy wrapping, an optional line limit ending in "...", super-
// and subscripts, links with recorded areas). docs/markup.md describes the
// language for content authors.
//
// One renderer is kept per window that draws markup; it holds the base font,
// the line limit, the default colour, the margins and the scanning state.
#include "core/platform/ScreenDpi.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/DrawingSurface.h"
#include "core/richtext/LinkAreaList.h"
#include "core/richtext/TextBlock.h"

namespace vantrel {

struct TextMargins {
  uint8_t left = 0;
  uint8_t top = 0;
  uint8_t right = 0;
  uint8_t bottom = 0;

  friend bool operator==(const TextMargins&, const TextMargins&) = default;
};

// The last drawing of a block: what its layout was made from (besides the
// renderer's font, the rectangle's size and the rest below, a hash of the
// block's display text and runs) and, from the second draw with the same
// inputs on, what the surface recorded. A draw with the same inputs replays
// the recording shifted to the new rectangle; any other draw lays the block
// out again.
struct BlockDrawing {
  FontDescription font;
  int maxLines = 0;
  TextMargins margins;
  int dpiX = 0;
  int dpiY = 0;
  int width = 0;
  int height = 0;
  Colour background = 0;
  bool inverted = false;
  uint32_t format = 0;
  size_t content = 0;

  Point origin;  // top-left of the rectangle drawn in
  TextRecordingRef recording;
  bool truncated = false;
  std::vector<std::pair<Rect, int32_t>> links;  // link pieces drawn, client coordinates
};

// One piece of a layout: a stretch of display text drawn with one call.
struct LayoutPiece {
  int32_t start = 0;      // first character in the display text (-1 for the "..." piece)
  int32_t count = 0;      // characters drawn
  Rect rect;              // where they are drawn (client coordinates)
  int line = 0;           // line number from 0
  int32_t run = -1;       // index of the run (-1 for "...")
  bool ellipsis = false;  // the "..." that ends a cut text
};

struct PopupPlacement {
  Rect rect;
  bool fillsHeight = false;  // the rectangle is at least as tall as the bounds
};

class MarkupRenderer {
 public:
  // Fixed resolutions, or (ScreenDpi following a screen) the screen's
  // resolution as it is at each layout.
  explicit MarkupRenderer(int dpiX = 96, int dpiY = 96) : MarkupRenderer(ScreenDpi(dpiX, dpiY)) {}
  explicit MarkupRenderer(ScreenDpi dpi);

  // Sets the base font (only when one is given), the line limit (0 = none) and
  // the colour of non-link text.
  void configure(const std::optional<FontDescription>& font, int maxLines, Colour defaultColour);

  // Parses block.text once: afterwards block.text is the display text and
  // block.runs its measured runs. Does nothing when the block is parsed or
  // its text is empty. Always returns true.
  bool parse(TextBlock& block, DrawingSurface& surface);

  // The entity pass. With escapeLt a decoded "<" is written as backslash + "<"
  // so that the tag scanner keeps it as text.
  static std::u16string decodeEntities(std::u16string_view text, bool escapeLt);
  // Plain text of a markup string: entities decoded, every complete tag removed.
  static std::u16string stripAllTags(std::u16string_view text);
  // Removes only the tags named tagName (case-sensitive); a tag with an
  // attribute only when attrName is not empty and equals its first attribute.
  static std::u16string stripTags(std::u16string_view text, std::u16string_view tagName,
                                  std::u16string_view attrName = {});

  // Layout. All of these expect a parsed block.
  // Fills rect with the block's background and draws the text. A block drawn
  // again in a rectangle of the same size, with the same font, resolution and
  // settings, keeps the glyphs drawn (see BlockDrawing) and from then on
  // draws them without laying the text out again.
  void draw(TextBlock& block, DrawingSurface& surface, const Rect& rect) const;
  // As draw; every drawn piece of a link run is appended to linkAreas in
  // screen coordinates (client point + screenOrigin), and block.lastRect is
  // stored in screen coordinates. The caller clears linkAreas per window.
  void drawLinked(Point screenOrigin, LinkAreaList& linkAreas, DrawingSurface& surface, TextBlock& block,
                  const Rect& rect) const;
  // The rectangle the wrapped text needs inside rect; draws nothing.
  Rect measureLayout(DrawingSurface& surface, TextBlock& block, const Rect& rect) const;
  // A rectangle of the measured size anchored at the point and kept inside bounds.
  PopupPlacement placePopup(const Rect& bounds, DrawingSurface& surface, TextBlock& block, Point anchor) const;
  // The pieces draw would draw, in order; draws nothing (for tools and tests).
  std::vector<LayoutPiece> layoutPieces(DrawingSurface& surface, TextBlock& block, const Rect& rect) const;

  // Height of one line in the base font, margins included.
  int lineHeight() const;

  static void resetBlock(TextBlock& block);
  // Inverts the background and run colours; returns the new inverted state.
  static bool toggleInverted(TextBlock& block);
  // A piece as wide as other placed inside rect: 0 left, 1 centred, 2 right.
  static Rect alignRect(const Rect& rect, const Rect& other, int mode);

  const std::optional<FontDescription>& font() const { return font_; }
  int maxLines() const { return maxLines_; }
  Colour defaultColour() const { return defaultColour_; }
  // Three pixels at the sides and one above and below, at 96 dots per inch.
  TextMargins margins() const;
  int dpiX() const { return dpi_.x(); }
  int dpiY() const { return dpi_.y(); }
  // Space between lines: ((dpiY + 24) * 2) / 96.
  int lineSpacing() const { return ((dpiY() + 24) * 2) / 96; }
  // Extra width of the last piece of an italic or scripted run: ((dpiX + 24) * 2) / 96.
  int overhangAllowance() const { return ((dpiX() + 24) * 2) / 96; }

 private:
  struct Sink;
  Rect walk(DrawingSurface& surface, TextBlock& block, const Rect& rect, Sink& sink) const;
  // draw and drawLinked (linkAreas null: no link areas, lastRect in client coordinates).
  void drawBlock(Point screenOrigin, LinkAreaList* linkAreas, DrawingSurface& surface, TextBlock& block,
                 const Rect& rect) const;
  // Whether a kept drawing was made from what this renderer would lay the block out from in rect.
  bool drawingFits(const BlockDrawing& drawing, const TextBlock& block, const Rect& rect, size_t content) const;

  std::optional<FontDescription> font_;
  int maxLines_ = 0;
  Colour defaultColour_ = 0;
  TextStyle current_;
  TextStyle pending_;
  ScreenDpi dpi_;
};

}  // namespace vantrel
