#include "core/tables/ControlGeometry.h"

#include <string>

namespace vantrel {

int buttonBarStart(int left, int clientWidth, int totalWidth, int spacing, int alignment) {
  if (clientWidth > totalWidth) {
    if (alignment == kAlignRight) return left + clientWidth - totalWidth - spacing;
    if (alignment == kAlignCentre) return left + (clientWidth - totalWidth) / 2;
  }
  return left + spacing;
}

int barTotalWidth(const std::vector<Size>& sizes, int spacing) {
  int x = spacing;
  for (const Size& s : sizes) x += s.width + spacing;
  return x - spacing;
}

std::vector<Rect> placeBarButtons(const std::vector<Size>& sizes, int clientWidth, int clientHeight, int spacing,
                                  int alignment) {
  std::vector<Rect> out;
  int x = buttonBarStart(0, clientWidth, barTotalWidth(sizes, spacing), spacing, alignment);
  for (const Size& s : sizes) {
    out.push_back(rectXYWH(x, (clientHeight - s.height) / 2, s.width, s.height));
    x += spacing + s.width;
  }
  return out;
}

int countTitleLines(std::u16string_view text, int width, const std::function<int(std::u16string_view)>& measure) {
  int lines = 1;
  std::u16string line;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool last = i + 1 == text.size();
    if (text[i] != u' ' && !last) continue;
    const size_t end = last ? i + 1 : i;
    std::u16string_view piece = text.substr(start, end - start);
    const bool lineHadText = !line.empty();
    line.append(piece);
    // The first piece of the title opens the first line even when it is
    // wider than the header: the word is not broken, so it is one line.
    if (lineHadText && measure(line) >= width) {
      line.assign(piece);
      ++lines;
    }
    start = end;
  }
  return lines;
}

}  // namespace vantrel
