#pragma once
// One piece of markup and what the markup renderer derives from it: the
// display text (tags removed, entities decoded) and its styled runs.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/Geometry.h"

namespace vantrel {

// Colour of link text: red 8, green 107, blue 231.
inline constexpr Colour kLinkColour = 0xE76B08;

// The style in effect while markup is scanned.
struct TextStyle {
  bool link = false;
  bool bold = false;
  bool italic = false;
  uint8_t script = 0;  // 0 normal, 1 superscript, 2 subscript
  int32_t linkId = 0;  // meaningful only when link is set
  Colour colour = 0;

  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// One stretch of display text in one style, measured on one line in its font.
struct TextRun {
  int32_t start = 0;  // first character in the display text
  int32_t end = 0;    // one past the last
  int32_t linkId = 0;
  bool link = false;
  bool bold = false;
  bool italic = false;
  uint8_t script = 0;
  int32_t width = 0;
  int32_t height = 0;
  Colour colour = 0;

  friend bool operator==(const TextRun&, const TextRun&) = default;
};

struct BlockDrawing;  // the last drawing of a block, kept by MarkupRenderer

// Text-drawing flags a fresh block passes to the surface: no prefix processing.
inline constexpr uint32_t kDefaultBlockFormat = 0x800;

struct TextBlock {
  std::vector<TextRun> runs;        // empty until parsed
  Colour background = 0xFFFFFF;     // fill colour of draw
  std::u16string text;              // markup; the display text once parsed
  int32_t lineWidth = 0;            // width of the whole text on one line, margins and 1 included
  int32_t maxRunHeight = 0;         // height of the tallest run
  uint32_t format = kDefaultBlockFormat;
  bool truncated = false;           // the last layout ended with "..."
  bool parsed = false;              // runs and display text are valid
  bool inverted = false;            // colours are currently inverted
  Rect lastRect;                    // rectangle of the last layout
  // The last draw, kept so that drawing the block again in a rectangle of the
  // same size draws the recorded glyphs without laying it out again.
  std::shared_ptr<const BlockDrawing> drawing;

  TextBlock() = default;
  explicit TextBlock(std::u16string markup, Colour backgroundColour = 0xFFFFFF)
      : background(backgroundColour), text(std::move(markup)) {}
};

}  // namespace vantrel
