#include "core/page/PageHistory.h"

namespace vantrel {

void PageHistory::push(uint32_t object, const uint8_t* data, size_t length, std::u16string title) {
  if (!acceptPush_) {
    acceptPush_ = true;  // this page was shown by the history itself
    return;
  }
  if (!data) length = 0;
  const int last = static_cast<int>(objects_.size()) - 1;
  if (position_ >= 0 && position_ < last) {
    objects_.resize(position_ + 1);
    data_.resize(position_ + 1);
    titles_.resize(position_ + 1);
  }
  if (position_ >= 0 && objects_[position_] == object && data_[position_].sameAs(data, length)) {
    offHistory_ = false;
    return;
  }
  objects_.push_back(object);
  data_.emplace_back(data, length);
  titles_.push_back(std::move(title));
  if (objects_.size() > kCapacity) {
    objects_.erase(objects_.begin());
    data_.erase(data_.begin());
    titles_.erase(titles_.begin());
  }
  position_ = shownIndex_ = static_cast<int>(objects_.size()) - 1;
  offHistory_ = false;
}

void PageHistory::showEntry(int p) {
  acceptPush_ = false;
  // The listener may run the navigation at once; hand it a copy so that an
  // updateShownData during that navigation cannot pull the bytes away.
  PageData copy = data_[p];
  if (listener_) listener_(objects_[p], copy.data(), copy.length());
  offHistory_ = false;
  shownIndex_ = position_;
}

void PageHistory::back() {
  if (position_ <= 0 && !offHistory_) return;
  if (position_ < 0) {  // nothing held: an overlay over no page
    offHistory_ = false;
    return;
  }
  if (!offHistory_) --position_;
  showEntry(position_);
}

void PageHistory::forward() {
  if (position_ < static_cast<int>(objects_.size()) - 1) {
    ++position_;
    showEntry(position_);
  }
}

void PageHistory::goTo(int index) {
  if (index == position_ || index < 0 || index >= static_cast<int>(objects_.size())) return;
  position_ = index;
  showEntry(position_);
}

void PageHistory::updateShownData(const uint8_t* data, size_t length) {
  if (shownIndex_ < 0 || shownIndex_ >= static_cast<int>(data_.size())) return;
  data_[shownIndex_] = PageData(data, length);
}

}  // namespace vantrel
