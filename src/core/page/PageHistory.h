#pragma once
// The pages the user has seen, up to 50, for back, forward and the history
// list. Each entry is the navigation request that shows the page again
// (object, page data) and the title it was shown under.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/page/PageData.h"

namespace vantrel {

class PageHistory {
 public:
  static constexpr size_t kCapacity = 50;
  // Receives the request that shows an entry again.
  using Listener = std::function<void(uint32_t object, const uint8_t* data, size_t length)>;

  // Records a page shown; skipped once after the history itself showed a page.
  void push(uint32_t object, const uint8_t* data, size_t length, std::u16string title);
  // Shows the previous entry, or the current one again while an overlay is shown.
  void back();
  void forward();
  void goTo(int index);

  bool canGoBack() const { return position_ > 0 || offHistory_; }
  bool canGoForward() const { return position_ < static_cast<int>(objects_.size()) - 1; }
  bool hasList() const { return titles_.size() > 1; }
  void setOffHistory(bool flag) { offHistory_ = flag; }
  bool offHistory() const { return offHistory_; }
  // Replaces the page data of the entry that was on screen before the
  // navigation now running (the page being left).
  void updateShownData(const uint8_t* data, size_t length);
  std::vector<std::u16string> titles() const { return titles_; }
  void setListener(Listener listener) { listener_ = std::move(listener); }

  int position() const { return position_; }
  int shownIndex() const { return shownIndex_; }
  size_t size() const { return objects_.size(); }
  uint32_t objectAt(size_t i) const { return objects_[i]; }
  const PageData& dataAt(size_t i) const { return data_[i]; }

 private:
  void showEntry(int p);

  std::vector<uint32_t> objects_;
  std::vector<PageData> data_;
  std::vector<std::u16string> titles_;
  int position_ = -1;
  int shownIndex_ = -1;
  bool acceptPush_ = true;
  bool offHistory_ = false;
  Listener listener_;
};

}  // namespace vantrel
