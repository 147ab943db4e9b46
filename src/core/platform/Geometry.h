#pragma once
// Small geometry and colour types shared by everything that draws.
//
// Rectangles follow the screen convention: (left, top) is inside, right and
// bottom lie one pixel beyond the last column and row, so width = right - left.
#include <cstdint>

namespace vantrel {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  // Point-in-rectangle with the right and bottom edges excluded.
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as one number 0x00BBGGRR: red in the low byte, blue in the third.
using Colour = uint32_t;

constexpr Colour rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) | (static_cast<Colour>(blue) << 16);
}
constexpr uint8_t redOf(Colour c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t greenOf(Colour c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t blueOf(Colour c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

// Each of red, green and blue replaced by 255 minus itself; the top byte becomes 0.
constexpr Colour invertedColour(Colour c) { return (~c) & 0x00FFFFFFu; }

}  // namespace vantrel
