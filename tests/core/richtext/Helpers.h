#pragma once
// Shared helpers of the rich-text tests: a renderer on the test surface with
// the guide font at 96 dpi (16 px high: characters 8 px wide, bold 9, scripts
// 12 px high and 6 px wide; margins 3, 1, 3, 1; lines 16 + 2 = 18 px apart).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/FixedMetricsSurface.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/util/TextCodec.h"

namespace vantrel::testing {

inline std::string u8(const std::u16string& s) { return toUtf8(s); }

struct Drawn {
  std::string text;
  Rect rect;
  bool operator==(const Drawn&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Drawn& d) {
  return os << "\"" << d.text << "\" (" << d.rect.left << "," << d.rect.top << "," << d.rect.right << ","
            << d.rect.bottom << ")";
}
inline std::ostream& operator<<(std::ostream& os, const Rect& r) {
  return os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

class RichTextTest : public ::testing::Test {
 protected:
  FixedMetricsSurface surface;
  MarkupRenderer renderer{96, 96};

  void SetUp() override { renderer.configure(guideFontDescription(96), 0, 0); }

  TextBlock parsed(const std::u16string& markup) {
    TextBlock b(markup);
    renderer.parse(b, surface);
    return b;
  }

  // Draws the markup in rect and returns the text calls made.
  std::vector<Drawn> drawn(const std::u16string& markup, const Rect& rect) {
    TextBlock b = parsed(markup);
    surface.clearCalls();
    renderer.draw(b, surface, rect);
    std::vector<Drawn> out;
    for (const auto& c : surface.textCalls()) out.push_back({u8(c.text), c.rect});
    lastBlock = b;
    return out;
  }

  TextBlock lastBlock;
};

}  // namespace vantrel::testing
