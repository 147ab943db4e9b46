#include "core/lists/PagedListModel.h"

#include <algorithm>

namespace vantrel {

void ListScrollBar::clamp() {
  const int size = std::max(0, maximum - minimum + 1);
  page = std::clamp(page, 0, size);
  const int last = std::max(minimum, maximum - std::max(page - 1, 0));
  position = std::clamp(position, minimum, last);
}

void ListScrollBar::setRange(int min, int max) {
  minimum = min;
  maximum = max;
  clamp();
}

void ListScrollBar::setPage(int p) {
  page = p;
  clamp();
}

void ListScrollBar::setPosition(int p) {
  position = p;
  clamp();
}

char16_t foldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

int comparePrefixNoCase(std::u16string_view a, std::u16string_view b) {
  const size_t n = b.size();
  const size_t m = std::min(a.size(), n);
  for (size_t i = 0; i < m; ++i) {
    const char16_t x = foldCase(a[i]), y = foldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < n ? -1 : 0;
}

Item PagedListModel::fetch(uint32_t i) const { return source_ ? source_->itemAt(i) : Item{}; }

bool PagedListModel::isChecked(uint32_t data) const {
  return std::find(checked_.begin(), checked_.end(), data) != checked_.end();
}

PageEntry PagedListModel::makeEntry(uint32_t i) const {
  PageEntry e;
  e.index = i;
  e.item = fetch(i);
  e.checked = checkboxes_ && isChecked(e.item.data);
  return e;
}

void PagedListModel::readState() {
  state_ = {bar_.maximum, bar_.page, bar_.position};
  // A list shorter than a page: the page is the whole list.
  if (state_.maximum < state_.page) state_.page = state_.maximum + 1;
}

void PagedListModel::reload(int pageRows, bool load) {
  if (!source_) return;
  page_ = std::max(0, pageRows);
  entries_.clear();
  selected_ = -1;
  count_ = source_->itemCount();
  const int max = static_cast<int>(std::min<uint32_t>(count_, 0x7FFFFFFF)) - 1;
  bar_.setRange(0, max);
  bar_.setPage(page_);
  bar_.setPosition(0);
  if (load) {
    for (uint32_t i = 0; i < static_cast<uint32_t>(page_) && i < count_; ++i) entries_.push_back(makeEntry(i));
  }
  readState();
  top_ = 0;
}

void PagedListModel::showFrom(int64_t start) {
  if (!source_) return;
  const int M = bar_.maximum, P = bar_.page, p = bar_.position;
  const bool fromBar = start == -1;
  int64_t n = fromBar ? p : std::max<int64_t>(start, 0);
  int64_t last = M;
  if (fromBar) {
    if (P <= M) last = n + P - 1;
  } else if (M < state_.page + n - 1) {
    n = std::max<int64_t>(M - P + 1, 0);  // the page ends at the last entry
  } else {
    last = state_.page + n - 1;
  }
  top_ = static_cast<uint32_t>(n);

  // The entries held are brought to n .. last: those outside go, the
  // missing ones come in at either end, each read from the source once.
  while (!entries_.empty() && (entries_.front().index < n || entries_.front().index > last)) entries_.pop_front();
  while (!entries_.empty() && (entries_.back().index > last || entries_.back().index < n)) entries_.pop_back();
  if (count_ != 0 && last >= n) {
    if (entries_.empty()) {
      for (int64_t k = n; k <= last; ++k) entries_.push_back(makeEntry(static_cast<uint32_t>(k)));
    } else {
      for (int64_t k = static_cast<int64_t>(entries_.front().index) - 1; k >= n; --k)
        entries_.push_front(makeEntry(static_cast<uint32_t>(k)));
      for (int64_t k = static_cast<int64_t>(entries_.back().index) + 1; k <= last; ++k)
        entries_.push_back(makeEntry(static_cast<uint32_t>(k)));
    }
  }
  if (selected_ >= 0 && (selected_ < n || selected_ > last)) selected_ = -1;

  bar_.setPage(page_);
  if (!fromBar) bar_.setPosition(static_cast<int>(n));
  readState();
}

void PagedListModel::relayout(int pageRows) {
  if (!source_) return;
  page_ = std::max(0, pageRows);
  const int64_t selected = selected_;
  bar_.setPage(page_);
  readState();
  showFrom(selected >= 0 ? topToShow(selected, top_, page_) : top_);
  if (selected >= top_ && selected < static_cast<int64_t>(top_) + page_) selected_ = selected;
}

void PagedListModel::scroll(ScrollCode code, int thumb, int pageRows) {
  page_ = std::max(0, pageRows);
  int64_t x = bar_.position;
  switch (code) {
    case ScrollCode::LineUp: x -= 1; break;
    case ScrollCode::LineDown: x += 1; break;
    case ScrollCode::PageUp: x -= bar_.page; break;
    case ScrollCode::PageDown: x += bar_.page; break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack: x = thumb; break;
    case ScrollCode::Other: break;
  }
  x = std::min<int64_t>(x, static_cast<int64_t>(count_) - bar_.page);
  x = std::max<int64_t>(x, 0);
  bar_.setPosition(static_cast<int>(x));
  showFrom(-1);
}

PagedTap PagedListModel::tap(int row, bool onCheckbox) {
  PagedTap t;
  if (row < 0 || row >= static_cast<int>(entries_.size())) return t;
  PageEntry& e = entries_[static_cast<size_t>(row)];
  if (checkboxes_ && onCheckbox) {
    e.checked = !e.checked;
    if (e.checked) {
      checked_.push_back(e.item.data);
    } else {
      checked_.erase(std::remove(checked_.begin(), checked_.end(), e.item.data), checked_.end());
      // Every entry on the page with that value loses its checkmark too,
      // so what is shown agrees with what would be taken.
      for (PageEntry& other : entries_)
        if (other.item.data == e.item.data) other.checked = false;
    }
    t.kind = PagedTap::Kind::CheckToggled;
    t.data = e.item.data;
    return t;
  }
  selected_ = e.index;
  t.kind = PagedTap::Kind::Chosen;
  t.data = e.item.data;
  return t;
}

std::vector<uint32_t> PagedListModel::takeChecked() {
  std::vector<uint32_t> out;
  out.swap(checked_);
  for (PageEntry& e : entries_) e.checked = false;
  return out;
}

bool PagedListModel::selectByPrefix(std::u16string_view text) {
  for (const PageEntry& e : entries_) {
    if (comparePrefixNoCase(e.item.text, text) == 0) {
      selected_ = e.index;
      return true;
    }
  }
  return false;
}

void PagedListModel::selectRow(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) {
    selected_ = -1;
    return;
  }
  selected_ = entries_[static_cast<size_t>(row)].index;
}

bool PagedListModel::move(ListMove m) {
  const int64_t index = rowAfterMove(m, selected_, top_, count_, page_);
  if (index < 0 || index == selected_) return false;
  const int64_t top = topToShow(index, top_, page_);
  if (top != top_) showFrom(top);
  selected_ = index;
  return true;
}

PagedTap PagedListModel::press(uint32_t index, bool onCheckbox) {
  if (index >= count_) return {};
  const int64_t top = topToShow(index, top_, page_);
  if (top != top_) showFrom(top);
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].index == index) return tap(static_cast<int>(i), onCheckbox);
  return {};
}

int PagedListModel::selectedRow() const {
  if (selected_ < 0) return -1;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].index == selected_) return static_cast<int>(i);
  return -1;
}

std::u16string PagedListModel::selectedText() const {
  const int row = selectedRow();
  return row < 0 ? std::u16string() : entries_[static_cast<size_t>(row)].item.text;
}

int64_t PagedListModel::selectedData() const {
  const int row = selectedRow();
  return row < 0 ? -1 : static_cast<int64_t>(entries_[static_cast<size_t>(row)].item.data);
}

}  // namespace vantrel
