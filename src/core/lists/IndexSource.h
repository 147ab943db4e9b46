#pragma once
// An ItemSource over the children of one type of one object, in content
// order: entry i is the i-th such child's text (markup) and its object
// index. The index, the abbreviations key and the dual lists read their rows
// from one. Children of one type lie side by side in the object table, so
// entry i is read directly; nothing is held but the first child and the count.
//
// Also the incremental search shared by the index and the key: a binary
// search over the rows comparing the typed text with the start of each row,
// case-insensitively.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/content/ContentDatabase.h"
#include "core/tables/ItemSource.h"

namespace vantrel {

class IndexSource : public ItemSource {
 public:
  IndexSource() = default;
  // Binds to the children of object whose type is typeName; no entries when
  // the object or the type does not exist.
  void bind(const ContentDatabase* database, ObjectIndex object, std::u16string_view typeName);
  Item itemAt(uint32_t i) const override;
  uint32_t itemCount() const override { return count_; }
  ObjectIndex object() const { return object_; }
  // The object index of entry i (0 when out of range).
  ObjectIndex objectAt(uint32_t i) const { return i < count_ ? first_ + i : 0; }

 private:
  const ContentDatabase* db_ = nullptr;
  ObjectIndex object_ = 0;
  ObjectIndex first_ = 0;
  uint16_t type_ = kNoType;
  uint32_t count_ = 0;
};

// The row an incremental search selects for text: the first row whose start
// matches it when one does, else the row at or just before its place; -1
// for an empty text or an empty source. plainText compares the rows' texts
// with their markup removed; otherwise as stored.
int64_t searchRows(const ItemSource& source, std::u16string_view text, bool plainText);

}  // namespace vantrel
