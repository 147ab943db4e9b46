#include "core/content/ContentCursor.h"

namespace vantrel {

bool ContentCursor::open(const ContentDatabase& database, ObjectIndex index) {
  ObjectEntry e;
  if (!database.readEntry(index, e)) return false;
  database_ = &database;
  entry_ = e;
  return true;
}

bool ContentCursor::moveTo(ObjectIndex index) {
  ObjectEntry e;
  if (!database_ || !database_->readEntry(index, e)) return false;
  entry_ = e;
  return true;
}

uint16_t ContentCursor::typeOf(std::u16string_view typeName) const {
  return database_ ? database_->typeNumber(typeName) : kNoType;
}

bool ContentCursor::text(std::u16string& out) const {
  if (!database_) return false;
  const auto& kinds = database_->kindNames();
  if (entry_.valueKind >= kinds.size() || kinds[entry_.valueKind] != u"string") return false;
  out = database_->readString(entry_.value);
  return true;
}

bool ContentCursor::toParent() {
  if (!database_ || entry_.index == 0) return false;
  return moveTo(entry_.parent);
}

bool ContentCursor::toAncestorOfType(uint16_t type) {
  if (!database_) return false;
  ObjectEntry at = entry_;
  // Every object comes after its parent in the table, so the walk to the
  // root only goes down in index; a file where it would not is cut short
  // instead of going round a cycle.
  while (at.index != 0) {
    if (at.parent >= at.index) return false;
    ObjectEntry parent;
    if (!database_->readEntry(at.parent, parent)) return false;
    if (parent.type == type) {
      entry_ = parent;
      return true;
    }
    at = parent;
  }
  return false;
}

bool ContentCursor::toAncestorOfType(std::u16string_view typeName) {
  const uint16_t type = typeOf(typeName);
  return type != kNoType && toAncestorOfType(type);
}

bool ContentCursor::toFirstChild() {
  if (!database_) return false;
  const ObjectIndex child = database_->findFirstChild(entry_.index);
  return child != 0 && moveTo(child);
}

bool ContentCursor::toChildOfType(uint16_t type) {
  if (!database_) return false;
  const ObjectIndex child = database_->findGroup(entry_.index, type);
  return child != 0 && moveTo(child);
}

bool ContentCursor::toChildOfType(std::u16string_view typeName) {
  const uint16_t type = typeOf(typeName);
  return type != kNoType && toChildOfType(type);
}

bool ContentCursor::toNthInGroup(uint32_t k) {
  if (!database_) return false;
  const uint64_t target = uint64_t(entry_.index) + k;
  if (target >= database_->objectCount()) return false;
  ObjectEntry e;
  if (!database_->readEntry(static_cast<ObjectIndex>(target), e)) return false;
  if (e.parent != entry_.parent || e.type != entry_.type) return false;
  entry_ = e;
  return true;
}

bool ContentCursor::toNthChildOfType(uint32_t k, uint16_t type) {
  const ContentCursor saved = *this;
  if (toChildOfType(type) && toNthInGroup(k)) return true;
  *this = saved;
  return false;
}

bool ContentCursor::toNthChildOfType(uint32_t k, std::u16string_view typeName) {
  const uint16_t type = typeOf(typeName);
  return type != kNoType && toNthChildOfType(k, type);
}

// Siblings are sorted by type, so the scan ends at the first sibling of a
// higher type (or at the first entry of another parent).
bool ContentCursor::toNextOfType(uint16_t type) {
  if (!database_) return false;
  const uint32_t count = database_->objectCount();
  if (count == 0 || entry_.index >= count - 1) return false;
  ObjectEntry e;
  if (!database_->readEntry(entry_.index + 1, e)) return false;
  while (e.parent == entry_.parent && e.type <= type) {
    if (e.type == type) {
      entry_ = e;
      return true;
    }
    if (e.index >= count - 1 || !database_->readEntry(e.index + 1, e)) return false;
  }
  return false;
}

bool ContentCursor::toNextOfType(std::u16string_view typeName) {
  const uint16_t type = typeOf(typeName);
  return type != kNoType && toNextOfType(type);
}

bool ContentCursor::toPreviousOfType(uint16_t type) {
  if (!database_ || entry_.index == 0) return false;
  ObjectEntry e;
  if (!database_->readEntry(entry_.index - 1, e)) return false;
  while (e.parent == entry_.parent && e.type >= type && e.index > 0) {
    if (e.type == type) {
      entry_ = e;
      return true;
    }
    if (!database_->readEntry(e.index - 1, e)) return false;
  }
  return false;
}

bool ContentCursor::toPreviousOfType(std::u16string_view typeName) {
  const uint16_t type = typeOf(typeName);
  return type != kNoType && toPreviousOfType(type);
}

void ContentCursor::collectChildren(std::vector<ObjectEntry>& out, std::u16string_view typeName,
                                    uint32_t max) const {
  if (database_) database_->collectGroup(entry_.index, typeName, max, out);
}

void ContentCursor::collectChildren(std::vector<ObjectEntry>& out, uint16_t type, uint32_t max) const {
  if (database_) database_->collectGroup(entry_.index, type, max, out);
}

}  // namespace vantrel
