// Layout and drawing of parsed blocks: greedy wrapping that measures one
// character at a time, the line limit ending in "...", super- and subscripts,
// link areas, the measuring variant and popup placement.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string_view>

#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

constexpr char16_t kEllipsis[] = u"...";

// A line may end after a collapsible break; at the start of a moved word it is dropped.
bool isCollapsibleBreak(char16_t c) { return c == u' ' || c == u'\n'; }
// A line may end after any break character.
bool isBreak(char16_t c) {
  return isCollapsibleBreak(c) || c == u'(' || c == u'-' || c == u'/' || c == 0x2012 || c == 0x2013 || c == 0x2014;
}

int truncScale(int value, double factor) { return static_cast<int>(std::trunc(static_cast<double>(value) * factor)); }

// Script font height for drawing: height * 0.75 truncated toward zero, sign kept;
// never 0 (which would ask the surface for its default size).
int scriptHeightForDrawing(int height) {
  if (height == 0) height = 16;
  const int h = truncScale(height, 0.75);
  if (h == 0) return height > 0 ? 1 : -1;
  return h;
}

}  // namespace

// Where the walk's results go: drawn on the surface, recorded as link areas,
// collected as pieces, or nowhere (measuring).
struct MarkupRenderer::Sink {
  bool draw = false;
  LinkAreaList* linkAreas = nullptr;
  Point screenOrigin;
  std::vector<LayoutPiece>* pieces = nullptr;
  std::vector<std::pair<Rect, int32_t>>* drawnLinks = nullptr;  // link pieces in client coordinates
};

Rect MarkupRenderer::walk(DrawingSurface& surface, TextBlock& block, const Rect& rect, Sink& sink) const {
  const std::u16string& text = block.text;
  const int32_t length = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
  const TextMargins pad = margins();
  const int xStart = rect.left + pad.left;
  const int xLimit = rect.right - pad.right;
  const int lineStep = block.maxRunHeight + lineSpacing();
  int y = rect.top + pad.top;
  int yBottom = y + lineStep;

  if (sink.draw) {
    block.lastRect = sink.linkAreas ? rect.translated(sink.screenOrigin.x, sink.screenOrigin.y) : rect;
    surface.fillRect(rect, block.background);
  }
  if (text.empty()) return {0, 0, 0, 0};

  block.truncated = false;
  int linesLeft = maxLines_ > 0 ? maxLines_ : -1;
  int x = xStart;
  int xEnd = xStart;
  bool ellipsis = false;
  bool newline = false;
  int line = 0;

  // Measuring state.
  const int leftEdge = rect.left;
  int rightEdge = rect.left + pad.left;
  int bottom = rect.top + pad.top + lineStep;
  int64_t lineWidth = 0;  // pieces flushed on the current line, allowance included
  bool hardBreak = false;
  const int sideMargins = pad.left + pad.right;
  auto coverLine = [&]() {
    // A line ended by a line feed (or the last line) widens the result to cover it.
    if (rightEdge - leftEdge < lineWidth + sideMargins) {
      rightEdge = static_cast<int>(std::min<int64_t>(sideMargins + lineWidth + leftEdge, INT_MAX / 2));
    }
  };

  auto emit = [&](int32_t start, int32_t count, const Rect& r, int32_t runIndex, bool isEllipsis, bool isLink,
                  int32_t linkId) {
    if (sink.pieces) sink.pieces->push_back({isEllipsis ? -1 : start, count, r, line, runIndex, isEllipsis});
    if (!sink.draw) return;
    if (isEllipsis) {
      surface.drawText(kEllipsis, 3, r, block.format);
    } else {
      surface.drawText(text.data() + start, static_cast<size_t>(count), r, block.format);
    }
    if (sink.linkAreas && isLink && !isEllipsis) {
      sink.linkAreas->append(r.translated(sink.screenOrigin.x, sink.screenOrigin.y), linkId);
    }
    if (sink.drawnLinks && isLink && !isEllipsis) sink.drawnLinks->emplace_back(r, linkId);
  };

  FontDescription d;  // reused run to run: its face is copied without allocating
  for (size_t runIndex = 0; runIndex < block.runs.size() && linesLeft != 0; ++runIndex) {
    const TextRun& run = block.runs[runIndex];
    // A block whose runs do not match its text is read only within the text.
    const int32_t runStart = std::clamp<int32_t>(run.start, 0, length);
    const int32_t runEnd = std::clamp<int32_t>(run.end, runStart, length);

    bool haveSavedY = false;
    int savedY = 0;
    if (font_) {
      d = *font_;
      d.weight = run.bold ? 700 : 400;
      d.italic = run.italic;
      d.underline = run.link;
      if (run.script == 2) {
        haveSavedY = true;
        savedY = y;
        y += std::abs(truncScale(font_->height, 0.3));
      }
      if (run.script != 0) d.height = scriptHeightForDrawing(d.height);
      surface.useFont(d);
      if (sink.draw) surface.setTextColour(run.colour);
    }

    const bool limited = maxLines_ > 0;
    auto lastLine = [&]() { return limited && linesLeft == 1; };
    auto ellipsisWidth = [&]() { return lastLine() ? surface.measureText(kEllipsis, 3).width : 0; };
    int ellW = ellipsisWidth();

    // Whether the whole rest of the block's text, from `from` on, fits between
    // x and xLimit. The answer is kept while neither changes, so characters
    // that each fall back on the test do not measure the rest again and again.
    int32_t testedFrom = -1;
    int testedX = 0;
    bool testedFits = false;
    auto remainingFits = [&](int32_t from) {
      if (from == testedFrom && x == testedX) return testedFits;
      testedFrom = from;
      testedX = x;
      testedFits = false;
      const int64_t avail = static_cast<int64_t>(xLimit) - x;
      if (avail < 0) return false;
      const size_t rest = static_cast<size_t>(length - from);
      const int limit = static_cast<int>(std::min<int64_t>(avail, INT_MAX));
      if (surface.fitCount(text.data() + from, rest, limit) < rest) return false;
      testedFits = static_cast<int64_t>(x) + surface.measureText(text.data() + from, rest).width <= xLimit;
      return testedFits;
    };

    int32_t segStart = runStart;
    int32_t count = 0;
    int64_t sum = 0;
    bool stop = false;
    for (int32_t i = runStart; i <= runEnd && !stop;) {
      bool flush = false;
      bool examineAgain = false;
      int32_t partial = 0;  // > 0: flush only this many of the collected characters
      if (i < runEnd) {
        const char16_t c = text[i];
        const int cw = surface.measureText(text.data() + i, 1).width;
        bool fits = true;
        if (static_cast<int64_t>(x) + sum + cw > static_cast<int64_t>(xLimit) - ellW && !remainingFits(segStart)) {
          fits = false;
          flush = true;
          if (lastLine()) {
            ellipsis = true;  // c is not collected
          } else if (count > 0 && segStart == runStart && !(x > xStart && !isCollapsibleBreak(c) &&
                                                            runStart > 0 && isBreak(text[runStart - 1]))) {
            // A word that began its run with nothing to break before it (it
            // goes on from the run before) is split here.
            examineAgain = true;
          } else if (count == 0 && x == xStart) {
            // A character wider than the whole line: a new line would be no
            // wider, so it stays on this one (clipped).
            fits = true;
            flush = false;
          } else if (count > 0 && x == xStart) {
            // The segment already begins a line, so moving it on would only
            // leave empty lines: end the line after its last break character,
            // or split it here when it has none.
            examineAgain = true;
            for (int32_t j = segStart + count - 1; j >= segStart; --j) {
              if (isBreak(text[j])) {
                partial = j - segStart + 1;
                break;
              }
            }
          } else {
            newline = true;
            hardBreak = c == u'\n';
            if (isCollapsibleBreak(c)) {
              count += 1;  // drawn at the end of this line
            } else {
              flush = false;  // the collected segment moves to the next line
              count += 1;
              sum += cw;
              if (isCollapsibleBreak(text[segStart])) {
                segStart += 1;
                count -= 1;
              }
            }
          }
        }
        if (fits) {
          sum += cw;
          count += 1;
          if (isBreak(c) && static_cast<int64_t>(xLimit) - sum - x > ellW) flush = true;
          if (c == u'\n') {
            flush = true;
            if (lastLine()) {
              ellipsis = true;
              count -= 1;
            } else {
              newline = true;
              hardBreak = true;
            }
          }
        }
      } else {
        flush = true;
      }

      if (flush && count > 0) {
        count = std::min(count, runEnd - segStart);
        const bool keepRest = partial > 0 && partial < count && !ellipsis;
        int32_t drawCount = keepRest ? partial : count;
        if (ellipsis) {
          const int avail = xLimit - ellW - x;
          drawCount = static_cast<int32_t>(surface.fitCount(text.data() + segStart, static_cast<size_t>(count), avail));
        }
        if (drawCount > 0) {
          int w = surface.measureText(text.data() + segStart, static_cast<size_t>(drawCount)).width;
          if ((run.italic || run.script != 0) && (i == runEnd || drawCount == runEnd - runStart || ellipsis)) {
            w += overhangAllowance();
          }
          xEnd = x + w;
          emit(segStart, drawCount, {x, y, xEnd, yBottom}, static_cast<int32_t>(runIndex), false, run.link,
               run.linkId);
          lineWidth += w;
          segStart += drawCount;
          x = xEnd;
        }
        count = keepRest ? count - partial : 0;
        sum = count > 0 ? surface.measureText(text.data() + segStart, static_cast<size_t>(count)).width : 0;
      }

      if (ellipsis) {
        stop = true;
      } else if (newline) {
        // Measuring: the line just ended.
        bottom += lineStep;
        if (hardBreak) {
          coverLine();
        } else {
          rightEdge = rect.right;  // a wrapped line needs the full width
        }
        lineWidth = 0;
        hardBreak = false;

        x = xEnd = xStart;
        y += lineStep;
        yBottom += lineStep;
        if (haveSavedY) savedY += lineStep;
        if (linesLeft > 0) --linesLeft;
        ++line;
        newline = false;
        ellW = ellipsisWidth();
        if (linesLeft == 0) stop = true;
      }
      if (!examineAgain) ++i;
    }

    if (ellipsis) {
      xEnd = std::min(xEnd + ellW, xLimit);
      emit(-1, 3, {x, y, xEnd, yBottom}, -1, true, false, 0);
      block.truncated = true;
      x = xEnd;
      ellipsis = false;
      linesLeft = 0;
    }
    if (haveSavedY) y = savedY;
  }

  coverLine();
  return {leftEdge, rect.top, std::min(rect.right, rightEdge), bottom};
}

namespace {

// A hash of what parsing made of a block, so that a kept drawing is never
// drawn for a block whose text or runs changed since.
size_t contentHash(const TextBlock& block) {
  size_t h = std::hash<std::u16string_view>{}(block.text);
  auto mix = [&h](uint64_t v) { h ^= std::hash<uint64_t>{}(v) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
  for (const TextRun& r : block.runs) {
    mix((uint64_t(uint32_t(r.start)) << 32) | uint32_t(r.end));
    mix((uint64_t(uint32_t(r.linkId)) << 32) | r.colour);
    mix((uint64_t(r.link) << 40) | (uint64_t(r.bold) << 32) | (uint64_t(r.italic) << 24) | r.script);
    mix((uint64_t(uint32_t(r.width)) << 32) | uint32_t(r.height));
  }
  mix((uint64_t(uint32_t(block.lineWidth)) << 32) | uint32_t(block.maxRunHeight));
  return h;
}

}  // namespace

bool MarkupRenderer::drawingFits(const BlockDrawing& d, const TextBlock& block, const Rect& rect,
                                 size_t content) const {
  return font_ && d.font == *font_ && d.maxLines == maxLines_ && d.margins == margins() && d.dpiX == dpiX() &&
         d.dpiY == dpiY() && d.width == rect.width() && d.height == rect.height() && d.background == block.background &&
         d.inverted == block.inverted && d.format == block.format && d.content == content;
}

void MarkupRenderer::drawBlock(Point screenOrigin, LinkAreaList* linkAreas, DrawingSurface& surface,
                               TextBlock& block, const Rect& rect) const {
  // Without a font of its own the layout depends on the font the surface has
  // selected: such blocks are always laid out.
  const bool keep = font_.has_value();
  const size_t content = keep ? contentHash(block) : 0;
  const bool fits = keep && block.drawing && drawingFits(*block.drawing, block, rect, content);
  if (fits && block.drawing->recording) {
    const BlockDrawing& d = *block.drawing;
    const Point offset{rect.left - d.origin.x, rect.top - d.origin.y};
    if (surface.replay(*d.recording, offset)) {
      block.lastRect = linkAreas ? rect.translated(screenOrigin.x, screenOrigin.y) : rect;
      if (!block.text.empty()) block.truncated = d.truncated;  // as the layout leaves it
      if (linkAreas) {
        for (const auto& [r, id] : d.links) {
          linkAreas->append(r.translated(offset.x + screenOrigin.x, offset.y + screenOrigin.y), id);
        }
      }
      return;
    }
  }

  Sink sink;
  sink.draw = true;
  sink.linkAreas = linkAreas;
  sink.screenOrigin = screenOrigin;
  if (!keep) {
    block.drawing.reset();
    walk(surface, block, rect, sink);
    return;
  }
  // The glyphs are recorded from the second draw with the same inputs on: a
  // block drawn once (a measured popup, a cell scrolled past) keeps nothing
  // but what it was laid out from.
  auto d = std::make_shared<BlockDrawing>();
  const bool record = fits;
  if (record) {
    sink.drawnLinks = &d->links;
    surface.beginRecording();
  }
  walk(surface, block, rect, sink);
  if (record) d->recording = surface.endRecording();
  d->font = *font_;
  d->maxLines = maxLines_;
  d->margins = margins();
  d->dpiX = dpiX();
  d->dpiY = dpiY();
  d->width = rect.width();
  d->height = rect.height();
  d->background = block.background;
  d->inverted = block.inverted;
  d->format = block.format;
  d->content = content;
  d->origin = {rect.left, rect.top};
  d->truncated = block.truncated;
  if (!d->recording) d->links.clear();
  block.drawing = std::move(d);
}

void MarkupRenderer::draw(TextBlock& block, DrawingSurface& surface, const Rect& rect) const {
  drawBlock({0, 0}, nullptr, surface, block, rect);
}

void MarkupRenderer::drawLinked(Point screenOrigin, LinkAreaList& linkAreas, DrawingSurface& surface,
                                TextBlock& block, const Rect& rect) const {
  drawBlock(screenOrigin, &linkAreas, surface, block, rect);
}

Rect MarkupRenderer::measureLayout(DrawingSurface& surface, TextBlock& block, const Rect& rect) const {
  Sink sink;
  return walk(surface, block, rect, sink);
}

std::vector<LayoutPiece> MarkupRenderer::layoutPieces(DrawingSurface& surface, TextBlock& block,
                                                      const Rect& rect) const {
  std::vector<LayoutPiece> pieces;
  Sink sink;
  sink.pieces = &pieces;
  walk(surface, block, rect, sink);
  return pieces;
}

PopupPlacement MarkupRenderer::placePopup(const Rect& bounds, DrawingSurface& surface, TextBlock& block,
                                          Point anchor) const {
  const Rect size = measureLayout(surface, block, bounds);
  const int w = size.width();
  const int h = size.height();
  Rect r;
  r.left = std::max(anchor.x, bounds.left);
  r.top = std::max(anchor.y, bounds.top);
  r.right = r.left + w;
  r.bottom = r.top + h;

  // Corners lying exactly on the bounds' right or bottom edge count as inside.
  const Rect inner = bounds.inflated(1, 1);
  auto inside = [&](int px, int py) { return inner.contains({px, py}); };
  auto moveX = [&](int newLeft) {
    r.right += newLeft - r.left;
    r.left = newLeft;
  };
  auto moveY = [&](int newTop) {
    r.bottom += newTop - r.top;
    r.top = newTop;
  };

  if (!inside(r.left, r.top)) {
    if (!inside(r.left, r.bottom)) moveX(bounds.left);
    if (!inside(r.right, r.top)) moveY(bounds.top);
  }
  if (!inside(r.right, r.bottom)) {
    if (!inside(r.right, r.top)) moveX(bounds.right - w);
    if (!inside(r.left, r.bottom)) moveY(bounds.bottom - h);
  }
  return {r, r.height() >= bounds.height()};
}

int MarkupRenderer::lineHeight() const {
  const int h = font_ ? fontPixelHeight(*font_) : ((dpiY() + 3) * 16) / 96;
  const TextMargins m = margins();
  return h + m.top + m.bottom + (dpiY() + 48) / 96;
}

void MarkupRenderer::resetBlock(TextBlock& block) {
  block.runs.clear();
  block.parsed = false;
  block.drawing.reset();
}

bool MarkupRenderer::toggleInverted(TextBlock& block) {
  block.background = invertedColour(block.background);
  for (auto& run : block.runs) run.colour = invertedColour(run.colour);
  block.inverted = !block.inverted;
  return block.inverted;
}

Rect MarkupRenderer::alignRect(const Rect& rect, const Rect& other, int mode) {
  const int w = other.width();
  const int W = rect.width();
  if (w >= W) return rect;
  Rect r = rect;
  if (mode == 1) {
    r.left = rect.left + (W - w) / 2;
  } else if (mode == 2) {
    r.left = rect.right - w;
  } else {
    r.left = rect.left;
  }
  r.right = r.left + w;
  return r;
}

}  // namespace vantrel
