#pragma once
// The items of a markup popup menu: each a single line of markup drawn by the
// markup renderer, all as wide as the widest plain text (up to a limit) plus
// a margin, each one line of the guide font high.
#include <string>
#include <vector>

#include "core/platform/DrawingSurface.h"
#include "core/platform/ScreenDpi.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/richtext/TextBlock.h"
#include "core/tables/ItemSource.h"

namespace vantrel {

class MarkupMenuModel {
 public:
  MarkupMenuModel(int dpiX, int dpiY) : MarkupMenuModel(ScreenDpi(dpiX, dpiY)) {}
  // A resolution that may change (a zoom): each fill reads it.
  explicit MarkupMenuModel(ScreenDpi dpi);

  // Replaces the items by those of source. Link tags written "A HREF" and
  // font colour tags are removed from each text first (lower-case link tags
  // stay links). widthSurface measures the plain texts for the width, in the
  // font selected on it.
  void fill(const ItemSource& source, DrawingSurface& widthSurface);
  size_t count() const { return blocks_.size(); }
  // The item's markup after the tags were removed (before it is parsed).
  const std::u16string& markup(size_t i) const { return markup_[i]; }
  // The item's text without markup.
  std::u16string plainText(size_t i) const;
  int itemWidth() const { return itemWidth_; }
  int itemHeight() const { return renderer_.lineHeight(); }
  // Draws item i on one line in rect, ended with "..." when it is too long.
  void drawItem(size_t i, DrawingSurface& surface, const Rect& rect);
  bool truncated(size_t i) const { return i < blocks_.size() && blocks_[i].truncated; }

 private:
  ScreenDpi dpi_;
  MarkupRenderer renderer_;
  std::vector<std::u16string> markup_;
  std::vector<TextBlock> blocks_;
  int itemWidth_ = 0;
};

}  // namespace vantrel
