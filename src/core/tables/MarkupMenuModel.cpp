#include "core/tables/MarkupMenuModel.h"

#include <algorithm>

#include "core/platform/ScreenInfo.h"

namespace vantrel {

MarkupMenuModel::MarkupMenuModel(ScreenDpi dpi) : dpi_(dpi), renderer_(dpi) {
  renderer_.configure(guideFontDescription(dpi.y()), 1, 0x000000);
}

void MarkupMenuModel::fill(const ItemSource& source, DrawingSurface& widthSurface) {
  renderer_.configure(guideFontDescription(dpi_.y()), 1, 0x000000);
  markup_.clear();
  blocks_.clear();
  const uint32_t n = source.itemCount();
  for (uint32_t i = 0; i < n; ++i) {
    std::u16string text = source.itemAt(i).text;
    text = MarkupRenderer::stripTags(text, u"A", u"HREF");
    text = MarkupRenderer::stripTags(text, u"font", u"color");
    text = MarkupRenderer::stripTags(text, u"/font");
    markup_.push_back(text);
    TextBlock block(text, 0xFFFFFF);
    blocks_.push_back(std::move(block));
  }
  // The widest plain text, up to a limit reached as soon as one item passes it.
  const int limit = dpi_.sx(200);
  int widest = 0;
  for (const std::u16string& m : markup_) {
    std::u16string plain = MarkupRenderer::stripAllTags(m);
    widest = std::max(widest, widthSurface.measureText(plain).width);
    if (widest > limit) {
      widest = limit;
      break;
    }
  }
  itemWidth_ = widest + dpi_.sx(10);
}

std::u16string MarkupMenuModel::plainText(size_t i) const {
  return i < markup_.size() ? MarkupRenderer::stripAllTags(markup_[i]) : std::u16string();
}

void MarkupMenuModel::drawItem(size_t i, DrawingSurface& surface, const Rect& rect) {
  if (i >= blocks_.size()) return;
  TextBlock& block = blocks_[i];
  if (!block.parsed) renderer_.parse(block, surface);
  block.background = 0xFFFFFF;
  renderer_.draw(block, surface, rect);
}

}  // namespace vantrel
