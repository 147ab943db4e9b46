#include "core/lists/MarkupListModel.h"

#include <algorithm>

namespace vantrel {

namespace {
// The cache keeps the rows within a few pages of the page shown, so that a
// long scroll costs memory for the rows near the view, not for all it passed.
constexpr int kCachePagesBehind = 2;
constexpr int kCachePagesAhead = 3;
constexpr size_t kCacheSlack = 64;
}  // namespace

MarkupListModel::MarkupListModel(ScreenDpi dpi) : dpi_(dpi), renderer_(dpi), rowHeight_(measureRowHeight()) {
  renderer_.configure(std::nullopt, 1, 0);
}

int MarkupListModel::measureRowHeight() const {
  // The font's height (or the guide font's at this resolution) and a
  // margin above and below.
  const int dpiY = dpi_.y();
  const int margin = (dpiY + 48) / 96;
  return (font_ ? fontPixelHeight(*font_) : ((dpiY + 3) * 16) / 96) + 2 * margin;
}

void MarkupListModel::setup(bool tapEnabled, std::optional<FontDescription> font, const ItemSource* source,
                            Colour background) {
  tapEnabled_ = tapEnabled;
  font_ = std::move(font);
  source_ = source;
  background_ = background;
  selected_ = -1;
  first_ = 0;
  cache_.clear();
  links_.clear();
  renderer_.configure(font_, 1, 0);
  rowHeight_ = measureRowHeight();
  if (rowHeight_ > 0 && height_ > 0) rowsPerPage_ = height_ / rowHeight_;
  bar_.setRange(0, static_cast<int>(std::min<uint32_t>(count(), 0x7FFFFFFF)) - 1);
  bar_.setPage(rowsPerPage_);
  bar_.setPosition(0);
}

void MarkupListModel::syncBarRange() {
  bar_.setRange(0, static_cast<int>(std::min<uint32_t>(count(), 0x7FFFFFFF)) - 1);
  bar_.setPage(rowsPerPage_);
}

void MarkupListModel::ensureImage() {
  if (!surface_) return;
  if (!image_ || image_->size() != Size{width_, height_}) image_ = surface_->createOffscreen(width_, height_);
}

const TextBlock* MarkupListModel::cachedBlock(uint32_t row) const {
  auto it = cache_.find(row);
  return it == cache_.end() ? nullptr : &it->second;
}

TextBlock& MarkupListModel::blockFor(uint32_t row) {
  auto it = cache_.find(row);
  if (it != cache_.end()) return it->second;
  TextBlock& b = cache_[row];
  b.text = source_ ? source_->itemAt(row).text : std::u16string();
  b.background = background_;
  if (image_) renderer_.parse(b, *image_);
  return b;
}

void MarkupListModel::drawRow(uint32_t row) {
  if (!image_ || row < static_cast<uint32_t>(first_)) return;
  TextBlock& b = blockFor(row);
  b.background = static_cast<int64_t>(row) == selected_ ? kMarkupListSelection : background_;
  const int top = static_cast<int>(row - static_cast<uint32_t>(first_)) * rowHeight_;
  renderer_.drawLinked({0, 0}, links_, *image_, b, {0, top, width_, top + rowHeight_});
  ++rowsDrawn_;
}

void MarkupListModel::trimCache() {
  const size_t keep = static_cast<size_t>(rowsPerPage_) * (kCachePagesBehind + kCachePagesAhead + 1) + kCacheSlack;
  if (cache_.size() <= keep) return;
  const int64_t lo = static_cast<int64_t>(first_) - int64_t(kCachePagesBehind) * rowsPerPage_;
  const int64_t hi = static_cast<int64_t>(first_) + int64_t(kCachePagesAhead + 1) * rowsPerPage_;
  for (auto it = cache_.begin(); it != cache_.end();) {
    const int64_t r = it->first;
    it = (r < lo || r >= hi) ? cache_.erase(it) : std::next(it);
  }
}

int MarkupListModel::lastRowDrawn() const {
  return static_cast<int>(std::min<int64_t>(static_cast<int64_t>(first_) + rowsPerPage_, count()));
}

std::vector<std::u16string> MarkupListModel::visibleTexts() const {
  std::vector<std::u16string> out;
  if (width_ <= 0 || height_ <= 0) return out;
  for (int r = first_; r < lastRowDrawn(); ++r) out.push_back(rowText(static_cast<uint32_t>(r)));
  return out;
}

std::u16string MarkupListModel::rowText(uint32_t row) const {
  if (const TextBlock* b = cachedBlock(row); b && b->parsed) return b->text;
  return MarkupRenderer::stripAllTags(source_ && row < count() ? source_->itemAt(row).text : u"");
}

int MarkupListModel::redraw(int64_t a, bool setSelection) {
  if (width_ <= 0 || height_ <= 0) return static_cast<int>(std::clamp<int64_t>(a, INT32_MIN, INT32_MAX));
  cache_.clear();
  links_.clear();
  if (setSelection) selected_ = a < 0 ? -1 : a;
  a = std::max<int64_t>(a, 0);
  syncBarRange();
  const int64_t n = count();
  int64_t first = a;
  if (n < a + rowsPerPage_) first = std::max<int64_t>(n - rowsPerPage_, 0);  // the last page is always full
  first_ = static_cast<int>(std::min<int64_t>(first, INT32_MAX));
  bar_.setPosition(setSelection ? static_cast<int>(std::min<int64_t>(std::max<int64_t>(selected_, 0), INT32_MAX))
                                : first_);
  ensureImage();
  if (!image_) return first_;
  image_->fillRect({0, 0, width_, height_}, background_);
  for (int r = first_; r < lastRowDrawn(); ++r) drawRow(static_cast<uint32_t>(r));
  trimCache();
  return first_;
}

void MarkupListModel::relayout(std::optional<FontDescription> font) {
  if (font) font_ = std::move(font);
  renderer_.configure(font_, 1, 0);
  rowHeight_ = measureRowHeight();
  rowsPerPage_ = rowHeight_ > 0 && height_ > 0 ? height_ / rowHeight_ : 0;
  // Parsed rows were measured for the old resolution: they are parsed again.
  cache_.clear();
  links_.clear();
  syncBarRange();
  bar_.setPosition(first_);
  redraw(first_, false);
}

void MarkupListModel::resize(int width, int height) {
  if (width <= 0 || height <= 0 || (width == width_ && height == height_)) return;
  width_ = width;
  height_ = height;
  rowsPerPage_ = rowHeight_ > 0 ? height / rowHeight_ : 0;
  syncBarRange();
  // Full redraw from the scroll position, keeping the parsed rows.
  const int position = bar_.position;
  links_.clear();
  const int64_t n = count();
  int64_t first = position;
  if (n < first + rowsPerPage_) first = std::max<int64_t>(n - rowsPerPage_, 0);
  first_ = static_cast<int>(first);
  ensureImage();
  if (!image_) return;
  image_->fillRect({0, 0, width_, height_}, background_);
  for (int r = first_; r < lastRowDrawn(); ++r) drawRow(static_cast<uint32_t>(r));
  trimCache();
}

bool MarkupListModel::scroll(ScrollCode code, int thumb) {
  if (!image_ || rowsPerPage_ <= 0) return false;
  const int64_t n = count();
  int step = 0;
  bool up = false;
  switch (code) {
    case ScrollCode::LineUp: step = 1; up = true; break;
    case ScrollCode::LineDown: step = 1; break;
    case ScrollCode::PageUp: step = rowsPerPage_; up = true; break;
    case ScrollCode::PageDown: step = rowsPerPage_; break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack: {
      // A full redraw from the thumb, keeping the parsed rows.
      const int target = std::min(thumb, bar_.maximum - bar_.page + 1);
      const int before = first_;
      links_.clear();
      first_ = std::max(0, target);
      if (n < first_ + rowsPerPage_) first_ = static_cast<int>(std::max<int64_t>(n - rowsPerPage_, 0));
      bar_.setPosition(first_);
      image_->fillRect({0, 0, width_, height_}, background_);
      for (int r = first_; r < lastRowDrawn(); ++r) drawRow(static_cast<uint32_t>(r));
      trimCache();
      return first_ != before;
    }
    case ScrollCode::Other: return false;
  }
  const int moved = up ? std::min(step, first_)
                       : static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(step, n - rowsPerPage_ - first_)));
  if (moved <= 0) return false;
  const int shift = moved * rowHeight_;
  const int area = rowsPerPage_ * rowHeight_;
  const int keep = area - shift;
  if (keep > 0) {
    if (up) image_->copyFrom(*image_, {0, 0, width_, keep}, {0, shift});
    else image_->copyFrom(*image_, {0, shift, width_, area}, {0, 0});
  }
  // The link areas of the rows that stay move with them; the others go.
  LinkAreaList moved_links;
  const int dy = up ? shift : -shift;
  for (const auto& e : links_.entries()) {
    const Rect r = e.rect.translated(0, dy);
    if (r.top >= 0 && r.bottom <= area) moved_links.append(r, e.linkId);
  }
  links_ = moved_links;
  first_ = up ? first_ - moved : first_ + moved;
  bar_.setPosition(first_);
  if (up) {
    // The rows that came in at the top, and the one below them, whose top
    // the last of them may have drawn over.
    for (int r = first_; r < first_ + moved + 1 && r < lastRowDrawn(); ++r) {
      const Rect row{0, (r - first_) * rowHeight_, width_, (r - first_ + 1) * rowHeight_};
      LinkAreaList kept;
      for (const auto& e : links_.entries())
        if (e.rect.bottom <= row.top || e.rect.top >= row.bottom) kept.append(e.rect, e.linkId);
      links_ = kept;
      drawRow(static_cast<uint32_t>(r));
    }
  } else {
    for (int r = lastRowDrawn() - moved; r < lastRowDrawn(); ++r) drawRow(static_cast<uint32_t>(r));
  }
  trimCache();
  return true;
}

void MarkupListModel::setSelected(int64_t row) {
  const int64_t old = selected_;
  selected_ = row < 0 ? -1 : row;
  for (int64_t r : {old, selected_})
    if (r >= first_ && r < lastRowDrawn()) drawRow(static_cast<uint32_t>(r));
}

void MarkupListModel::selectRow(int64_t row) {
  const int64_t n = count();
  if (row < 0 || row >= n) {
    setSelected(-1);
    return;
  }
  const int64_t top = topToShow(row, first_, rowsPerPage_);
  if (top == first_ - 1) {
    scroll(ScrollCode::LineUp);
  } else if (top == first_ + 1) {
    scroll(ScrollCode::LineDown);
  } else if (top != first_) {
    const int64_t keep = selected_;
    redraw(top, false);
    selected_ = keep;
  }
  setSelected(row);
}

bool MarkupListModel::move(ListMove m) {
  const int64_t row = rowAfterMove(m, selected_, first_, count(), rowsPerPage_);
  if (row < 0 || row == selected_) return false;
  selectRow(row);
  return true;
}

void MarkupListModel::press(uint32_t row) {
  if (row >= count()) return;
  selectRow(row);
  if (tapEnabled_ && onRow_) onRow_(row);
}

void MarkupListModel::penDown(int x, int y) {
  const int64_t n = count();
  const int64_t rowsShown = std::min<int64_t>(rowsPerPage_, n);
  tappedRow_ = -1;
  if (y >= 0 && rowHeight_ > 0 && y < rowsShown * rowHeight_) {
    tappedRow_ = y / rowHeight_;
    // Rows count from the first row drawn (on the last page it lies before
    // the scroll position the caller asked for).
    tappedAbsolute_ = static_cast<uint32_t>(first_ + tappedRow_);
    const int64_t old = selected_;
    selected_ = tappedAbsolute_;
    if (old >= first_ && old < lastRowDrawn() && old != selected_) drawRow(static_cast<uint32_t>(old));
    drawRow(tappedAbsolute_);
  }
  tapValid_ = true;
  ticks_ = 0;
  if (tappedRow_ < 0) return;
  const int32_t link = links_.hitTest({x, y});
  anchor_ = {0, tappedRow_ * rowHeight_};
  if (link != 0 && onLink_) {
    tapValid_ = false;
    onLink_(link, anchor_);
    return;
  }
  suppressTap_ = false;
  timerRunning_ = true;
  if (timer_) timer_(true);
}

void MarkupListModel::tick() {
  if (!timerRunning_) return;
  ++ticks_;
  if (ticks_ < 20 && !suppressTap_) {
    timerRunning_ = false;
    if (timer_) timer_(false);
    tapValid_ = false;
    if (tappedRow_ < 0) return;
    const TextBlock* b = cachedBlock(tappedAbsolute_);
    if (b && b->truncated && onPopup_) {
      // The row's full text, as written, on white.
      TextBlock full(source_ ? source_->itemAt(tappedAbsolute_).text : std::u16string(), 0xFFFFFF);
      onPopup_(full, anchor_);
    }
  }
}

void MarkupListModel::penUp() {
  if (timerRunning_) {
    timerRunning_ = false;
    if (timer_) timer_(false);
  }
  if (tappedRow_ >= 0 && ticks_ < 20 && tapValid_ && tapEnabled_ && onRow_) {
    suppressTap_ = true;
    tapValid_ = false;
    onRow_(tappedAbsolute_);
  }
  tappedRow_ = -1;
}

}  // namespace vantrel
