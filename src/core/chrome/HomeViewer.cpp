#include "core/chrome/HomeViewer.h"

#include <algorithm>

namespace vantrel {

namespace {
Rect scaled(int x, int y, int w, int h, int dpiX, int dpiY) {
  return rectXYWH(scaleForDpi(x, dpiX), scaleForDpi(y, dpiY), scaleForDpi(w, dpiX), scaleForDpi(h, dpiY));
}
}  // namespace

HomeLayout::HomeLayout(int dpiX, int dpiY, bool landscape) : landscape_(landscape) {
  const bool high = dpiX >= 192;
  if (landscape) {
    rows_.push_back({scaled(30, 136, 260, 20, dpiX, dpiY), scaleForDpi(20, dpiX), u'A', u'M'});
    rows_.push_back({scaled(30, 161, 260, 20, dpiX, dpiY), scaleForDpi(20, dpiX), u'N', u'Z'});
    contents_ = scaled(87, 106, 115, 21, dpiX, dpiY);
    bitmap_ = high ? 484 : 482;
  } else {
    rows_.push_back({scaled(9, 158, 216, 23, dpiX, dpiY), scaleForDpi(24, dpiX), u'A', u'I'});
    rows_.push_back({scaled(9, 189, 216, 23, dpiX, dpiY), scaleForDpi(24, dpiX), u'J', u'R'});
    rows_.push_back({scaled(22, 221, 192, 23, dpiX, dpiY), scaleForDpi(24, dpiX), u'S', u'Z'});
    contents_ = scaled(102, 129, 115, 20, dpiX, dpiY);
    bitmap_ = high ? 483 : 481;
  }
}

std::optional<char16_t> HomeLayout::letterAt(int x, int y) const {
  for (const LetterRow& row : rows_) {
    if (!row.rect.contains({x, y}) || row.columnWidth <= 0) continue;
    int letter = row.first + (x - row.rect.left) / row.columnWidth;
    // A row's rectangle may run a few pixels past its last column; those
    // pixels belong to the last letter rather than to the next row's letters.
    if (letter > row.last) letter = row.last;
    return static_cast<char16_t>(letter);
  }
  return std::nullopt;
}

std::vector<HomeLayout::Spot> HomeLayout::spots() const {
  std::vector<Spot> out;
  for (const LetterRow& row : rows_) {
    for (char16_t c = row.first; c <= row.last; ++c) {
      const int left = row.rect.left + (c - row.first) * row.columnWidth;
      // The last letter takes the pixels its row runs past the columns.
      const int right = c == row.last ? row.rect.right : left + row.columnWidth;
      out.push_back({Rect{left, row.rect.top, right, row.rect.bottom}, c});
    }
  }
  out.push_back({contents_, 0});
  std::stable_sort(out.begin(), out.end(), [](const Spot& a, const Spot& b) {
    return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
  });
  return out;
}

bool HomeViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (object != keys_["home"]) return false;
  frame_.addLayoutItem(window_, kFill);
  frame_.setTitle(u"Home");
  return true;
}

void HomeViewer::letterTapped(char16_t letter) {
  const uint8_t data[2] = {static_cast<uint8_t>(letter & 0xFF), static_cast<uint8_t>(letter >> 8)};
  frame_.navigate(keys_["index_search"], data, 2, true);
}

void HomeViewer::contentsTapped() { frame_.navigate(keys_["toc"], nullptr, 0, true); }

void HomeViewer::press(const HomeLayout::Spot& spot) {
  if (spot.letter) letterTapped(spot.letter);
  else contentsTapped();
}

void HomeViewer::tap(const HomeLayout& layout, int x, int y) {
  if (auto letter = layout.letterAt(x, y)) letterTapped(*letter);
  if (layout.onContents(x, y)) contentsTapped();
}

}  // namespace vantrel
