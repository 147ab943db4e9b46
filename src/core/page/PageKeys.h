#pragma once
// The page keys: short names by which viewers and commands reach the
// built-in pages and a few named content objects. Six of them are page-key
// objects, the indexes just past the object table.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

class PageKeys {
 public:
  // Object index of a key; 0 for a key that is not in the table.
  uint32_t operator[](std::string_view key) const;
  uint32_t lookup(std::string_view key) const { return (*this)[key]; }
  void set(std::string key, uint32_t object);
  const std::vector<std::pair<std::string, uint32_t>>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

  // Fills the keys, in their fixed order (the search page's last). byName answers the object
  // of a content name, 0 when the content has no such name.
  void build(uint32_t objectCount, const std::function<uint32_t(std::u16string_view)>& byName);

 private:
  std::vector<std::pair<std::string, uint32_t>> entries_;
};

}  // namespace vantrel
