#pragma once
// The link rectangles of a drawn window (screen coordinates) and their targets.
#include <cstdint>
#include <vector>

#include "core/platform/Geometry.h"

namespace vantrel {

class LinkAreaList {
 public:
  struct Entry {
    Rect rect;
    int32_t linkId = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  void clear() { entries_.clear(); }
  void append(const Rect& rect, int32_t linkId) { entries_.push_back({rect, linkId}); }
  // The linkId of the first entry (in append order) whose rectangle contains
  // the point (right and bottom edges excluded), or 0 when none does.
  int32_t hitTest(Point screenPoint) const {
    for (const auto& e : entries_) {
      if (e.rect.contains(screenPoint)) return e.linkId;
    }
    return 0;
  }
  const std::vector<Entry>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace vantrel
