#pragma once
// A small value object standing on one content object. It moves to the
// parent, ancestors, children and siblings of a given type; every move either
// succeeds, replacing the current entry, or fails and leaves the cursor where
// it was. Operations taking a type exist with a type number and with a type
// name; a name that is not a type name never matches.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

class ContentCursor {
 public:
  ContentCursor() = default;
  // Opens on index at once; check valid() (or use open()) to know whether it stands anywhere.
  ContentCursor(const ContentDatabase& database, ObjectIndex index) { open(database, index); }

  // Stands on object index, reading its entry. False (cursor unchanged) when
  // the index has no entry: past the table, or a page-key object.
  bool open(const ContentDatabase& database, ObjectIndex index);
  // Whether the cursor stands on an object.
  bool valid() const { return database_ != nullptr; }

  const ObjectEntry& entry() const { return entry_; }
  ObjectIndex index() const { return entry_.index; }
  uint32_t run() const { return entry_.run; }
  const ContentDatabase* database() const { return database_; }

  // The current object's text into out when its value kind is "string";
  // false (out unchanged) otherwise.
  bool text(std::u16string& out) const;

  // False at the root; otherwise moves to the parent.
  bool toParent();
  // Moves to the nearest proper ancestor of that type (the root included).
  bool toAncestorOfType(uint16_t type);
  bool toAncestorOfType(std::u16string_view typeName);
  // Moves to the lowest-indexed child.
  bool toFirstChild();
  // Moves to the first child of that type.
  bool toChildOfType(uint16_t type);
  bool toChildOfType(std::u16string_view typeName);
  // Moves k entries on when that entry has the same parent and type.
  bool toNthInGroup(uint32_t k);
  // Moves to the child of that type at position k (from 0).
  bool toNthChildOfType(uint32_t k, uint16_t type);
  bool toNthChildOfType(uint32_t k, std::u16string_view typeName);
  // Moves to the nearest following / preceding sibling of that type.
  bool toNextOfType(uint16_t type);
  bool toNextOfType(std::u16string_view typeName);
  bool toPreviousOfType(uint16_t type);
  bool toPreviousOfType(std::u16string_view typeName);
  // Appends the children of that type, at most max of them (0: no limit).
  void collectChildren(std::vector<ObjectEntry>& out, std::u16string_view typeName, uint32_t max) const;
  void collectChildren(std::vector<ObjectEntry>& out, uint16_t type, uint32_t max) const;

 private:
  bool moveTo(ObjectIndex index);
  uint16_t typeOf(std::u16string_view typeName) const;

  const ContentDatabase* database_ = nullptr;
  ObjectEntry entry_{};
};

}  // namespace vantrel
