#pragma once
// Arithmetic of the small controls that does not depend on a window system:
// where a button bar puts its buttons, and how many lines a title header's
// text needs when it is wrapped at spaces.
#include <functional>
#include <string_view>
#include <vector>

#include "core/platform/ScreenInfo.h"

namespace vantrel {

// Button bar alignments.
inline constexpr int kAlignLeft = 256;
inline constexpr int kAlignRight = 512;
inline constexpr int kAlignCentre = 768;

// The left edge of the first described button in a bar whose client area
// starts at left and is clientWidth wide. totalWidth is the sum of (width +
// spacing) over the buttons. When the buttons do not fit, they start at the
// left spacing whatever the alignment.
int buttonBarStart(int left, int clientWidth, int totalWidth, int spacing, int alignment);

// Places buttons of the given sizes left to right from buttonBarStart, each
// centred vertically in a bar of clientHeight.
std::vector<Rect> placeBarButtons(const std::vector<Size>& sizes, int clientWidth, int clientHeight, int spacing,
                                  int alignment);
// The total width that setButtons computes: spacing + sum of (width +
// spacing), less the last spacing.
int barTotalWidth(const std::vector<Size>& sizes, int spacing);

// Lines a title needs when wrapped at spaces in a width: a piece runs from
// one space (included) to the next; a line that reaches the width starts a
// new line with the piece that made it too wide. A word is never broken, so
// one word wider than the width is still one line. measure gives the width
// of a text on one line.
int countTitleLines(std::u16string_view text, int width, const std::function<int(std::u16string_view)>& measure);

}  // namespace vantrel
