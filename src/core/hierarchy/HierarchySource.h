#pragma once
// Sources of hierarchy entries for the tree panes. A hierarchy is a
// container (a "table") whose "hierarchy item" children are the top-level
// entries; each entry may have "hierarchy item" children of its own and a
// "link" child naming the object it leads to.
//
// The basic source (the contents) shows each entry's markup as plain text
// (line breaks kept, other tags dropped). The "tight crt" source shows the
// stored text and treats an entry whose first sub-entry has no entries of
// its own as a leaf: those lowest entries appear on the entry's own page,
// not in the tree.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

struct HierarchyEntry {
  std::u16string text;
  ObjectIndex object = 0;
  bool operator==(const HierarchyEntry&) const = default;
};

class HierarchySource {
 public:
  virtual ~HierarchySource() = default;
  // The entries under object, in content order.
  virtual std::vector<HierarchyEntry> listChildren(ObjectIndex object) const = 0;
  // How many entries lie under object.
  virtual uint32_t childCount(ObjectIndex object) const = 0;
  // True when object has no entries to show in the tree.
  virtual bool isLeaf(ObjectIndex object) const = 0;
  // The object indexes from the hierarchy's container down to object.
  virtual std::vector<ObjectIndex> pathTo(ObjectIndex object) const = 0;
};

class BasicHierarchySource : public HierarchySource {
 public:
  explicit BasicHierarchySource(const ContentDatabase& database) : db_(database) {}
  std::vector<HierarchyEntry> listChildren(ObjectIndex object) const override;
  uint32_t childCount(ObjectIndex object) const override;
  bool isLeaf(ObjectIndex object) const override;
  std::vector<ObjectIndex> pathTo(ObjectIndex object) const override;

 protected:
  // The entry's text as shown; the basic source converts markup to plain text.
  virtual std::u16string displayText(std::u16string stored) const;
  // The first "hierarchy item" child of object, or 0.
  ObjectIndex firstItem(ObjectIndex object) const;
  uint16_t itemType() const { return db_.typeNumber(u"hierarchy item"); }

  const ContentDatabase& db_;
};

class TightCrtHierarchySource : public BasicHierarchySource {
 public:
  using BasicHierarchySource::BasicHierarchySource;
  bool isLeaf(ObjectIndex object) const override;

 protected:
  std::u16string displayText(std::u16string stored) const override { return stored; }
};

// The value of the object's "link" child (the object it leads to), or 0.
ObjectIndex linkTargetOf(const ContentDatabase& database, ObjectIndex object);

// The object's nearest "table" ancestor; the object itself when it has none.
ObjectIndex hierarchyRootFor(const ContentDatabase& database, ObjectIndex object);

}  // namespace vantrel
