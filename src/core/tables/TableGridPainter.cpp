#include "core/tables/TableGridPainter.h"

#include <algorithm>
#include <memory>

namespace vantrel {

TableGridPainter::TableGridPainter(TableGrid& grid, ScreenDpi dpi)
    : grid_(grid),
      dpi_(dpi),
      font_(guideFontDescription(dpi.y())),
      givenFont_(font_),
      givenDpiY_(dpi.y()),
      renderer_(dpi) {
  renderer_.configure(font_, 1, 0x000000);
  grid_.setMeasurer(this);
  generation_ = grid_.cellGeneration();
}

TableGridPainter::~TableGridPainter() { grid_.setMeasurer(nullptr); }

void TableGridPainter::setFont(const FontDescription& font) {
  givenFont_ = font;
  givenDpiY_ = dpi_.y();
  useFont(font);
}

void TableGridPainter::useFont(const FontDescription& font) {
  if (font == font_) return;
  font_ = font;
  renderer_.configure(font_, 1, 0x000000);
  blocks_.clear();  // measured in the old font
}

void TableGridPainter::rescale() {
  FontDescription f = givenFont_;
  f.height = rescaleForDpi(givenFont_.height, givenDpiY_, dpi_.y());
  useFont(f);
  blocks_.clear();  // the renderer's margins follow the resolution too
}

void TableGridPainter::dropIfStale() {
  if (generation_ != grid_.cellGeneration()) {
    blocks_.clear();
    generation_ = grid_.cellGeneration();
  }
}

TextBlock& TableGridPainter::blockFor(CellKey key, const std::u16string& markup, Colour background,
                                      DrawingSurface& surface) {
  auto it = blocks_.find(key);
  if (it == blocks_.end()) {
    it = blocks_.emplace(key, TextBlock(markup, background)).first;
    renderer_.parse(it->second, surface);
  }
  return it->second;
}

int TableGridPainter::singleLineWidth(CellKey key, const std::u16string& markup, Colour background) {
  dropIfStale();
  if (!measuring_) return 0;
  return blockFor(key, markup, background, *measuring_).lineWidth;
}

const TextBlock* TableGridPainter::block(CellKey realKey) const {
  const auto it = blocks_.find(realKey);
  return it == blocks_.end() ? nullptr : &it->second;
}

void TableGridPainter::drawInto(DrawingSurface& surface, TextBlock& block, const Rect& rect, Point origin,
                                LinkAreaList& links) {
  renderer_.drawLinked(origin, links, surface, block, rect);
  // The cell's bottom and right edges.
  const Point line[3] = {{rect.left, rect.bottom - 1}, {rect.right - 1, rect.bottom - 1}, {rect.right - 1, rect.top - 1}};
  surface.polyline(line, 3, kGridLineColour);
  if (block.truncated) {
    const int sx5 = dpi_.sx(5);
    const int sy5 = dpi_.sy(5);
    const Point triangle[3] = {
        {rect.right - 1 - sx5, rect.bottom - 1}, {rect.right - 1, rect.bottom - 1}, {rect.right - 1, rect.bottom - 1 - sy5}};
    surface.polygon(triangle, 3, 0x000000, kGridLineColour);
  }
}

void TableGridPainter::drawCell(const DrawnCell& d, DrawingSurface& buffer) {
  const GridCell* cell = grid_.cell(d.key);
  TextBlock& block = blockFor(d.key, cell ? cell->text : std::u16string(), cell ? cell->background : 0xC0C0C0, buffer);
  if (block.inverted != d.highlight) MarkupRenderer::toggleInverted(block);
  LinkAreaList& links = grid_.links();
  const Point origin = grid_.screenOrigin();
  if (d.clipX == 0 && d.clipY == 0) {
    drawInto(buffer, block, {d.x, d.y, d.x + d.width, d.y + d.height}, origin, links);
  } else if (d.width > 0 && d.height > 0) {
    // Drawn whole on a scratch image; only the part from (clipX, clipY) is copied.
    std::unique_ptr<DrawingSurface> scratch = buffer.createOffscreen(d.width, d.height);
    LinkAreaList local;
    if (scratch) {
      drawInto(*scratch, block, {0, 0, d.width, d.height}, {0, 0}, local);
      buffer.copyFrom(*scratch, {d.clipX, d.clipY, d.width, d.height}, {d.x, d.y});
    }
    const Rect shown{d.clipX, d.clipY, d.width, d.height};
    for (const auto& e : local.entries()) {
      const Rect part{std::max(e.rect.left, shown.left), std::max(e.rect.top, shown.top),
                      std::min(e.rect.right, shown.right), std::min(e.rect.bottom, shown.bottom)};
      if (part.isEmpty()) continue;
      links.append(part.translated(d.x - d.clipX + origin.x, d.y - d.clipY + origin.y), e.linkId);
    }
  }
  grid_.markCutOff(d.key, block.truncated);
}

void TableGridPainter::paint(DrawingSurface& buffer) {
  dropIfStale();
  buffer.fillRect({0, 0, grid_.bufferWidth(), grid_.bufferHeight()}, 0xFFFFFF);
  grid_.links().clear();
  for (const DrawnCell& d : grid_.frame()) drawCell(d, buffer);
}

}  // namespace vantrel
