#pragma once
// A source of list entries: a text (markup allowed) and a 32-bit value the
// list's owner understands. Lists and popup menus read their entries from one.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

struct Item {
  std::u16string text;
  uint32_t data = 0;
  bool operator==(const Item&) const = default;
};

class ItemSource {
 public:
  virtual ~ItemSource() = default;
  // Entry i; an empty entry for an index out of range.
  virtual Item itemAt(uint32_t i) const = 0;
  virtual uint32_t itemCount() const = 0;
};

// An ItemSource over an array of (text, data) pairs.
class VectorItemSource : public ItemSource {
 public:
  VectorItemSource() = default;
  explicit VectorItemSource(std::vector<Item> items) : items_(std::move(items)) {}
  Item itemAt(uint32_t i) const override { return i < items_.size() ? items_[i] : Item{}; }
  uint32_t itemCount() const override { return static_cast<uint32_t>(items_.size()); }
  // Replaces the whole array by a copy of another.
  void assign(const std::vector<Item>& items) { items_ = items; }
  void add(std::u16string text, uint32_t data) { items_.push_back({std::move(text), data}); }
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;
};

}  // namespace vantrel
