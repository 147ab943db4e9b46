#include "core/hierarchy/HierarchySource.h"

#include <algorithm>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {

ObjectIndex linkTargetOf(const ContentDatabase& database, ObjectIndex object) {
  ContentCursor c;
  if (!c.open(database, object) || !c.toChildOfType(u"link")) return 0;
  return c.entry().value;
}

ObjectIndex hierarchyRootFor(const ContentDatabase& database, ObjectIndex object) {
  ContentCursor c;
  if (!c.open(database, object)) return object;
  c.toAncestorOfType(u"table");  // stays on the object when there is none
  return c.index();
}

ObjectIndex BasicHierarchySource::firstItem(ObjectIndex object) const {
  const uint16_t type = itemType();
  if (type == kNoType || object >= db_.objectCount()) return 0;
  return db_.findGroup(object, type);
}

std::vector<HierarchyEntry> BasicHierarchySource::listChildren(ObjectIndex object) const {
  std::vector<HierarchyEntry> out;
  const uint16_t type = itemType();
  if (type == kNoType || object >= db_.objectCount()) return out;
  std::vector<ObjectEntry> items;
  db_.collectGroup(object, type, 0, items);
  const uint16_t stringKind = db_.kindNumber(u"string");
  out.reserve(items.size());
  for (const ObjectEntry& e : items) {
    std::u16string text;
    if (stringKind != kNoType && e.valueKind == stringKind) text = db_.readString(e.value);
    out.push_back({displayText(std::move(text)), e.index});
  }
  return out;
}

std::u16string BasicHierarchySource::displayText(std::u16string stored) const {
  return MarkupRenderer::stripAllTags(stored);
}

uint32_t BasicHierarchySource::childCount(ObjectIndex object) const {
  const ObjectIndex first = firstItem(object);
  ObjectEntry e;
  if (first == 0 || !db_.readEntry(first, e)) return 0;
  return e.run + 1;
}

bool BasicHierarchySource::isLeaf(ObjectIndex object) const { return firstItem(object) == 0; }

std::vector<ObjectIndex> BasicHierarchySource::pathTo(ObjectIndex object) const {
  std::vector<ObjectIndex> path;
  ContentCursor c;
  if (!c.open(db_, object)) return path;
  path.push_back(object);
  const uint16_t type = itemType();
  while (type != kNoType && c.toAncestorOfType(type)) path.push_back(c.index());
  if (c.toParent()) path.push_back(c.index());
  std::reverse(path.begin(), path.end());
  return path;
}

bool TightCrtHierarchySource::isLeaf(ObjectIndex object) const {
  if (hasChildOfType(db_, object, u"table type")) return false;
  const ObjectIndex first = firstItem(object);
  if (first == 0) return true;
  // Entries whose own entries are the lowest level show them on their page.
  return firstItem(first) == 0;
}

}  // namespace vantrel
