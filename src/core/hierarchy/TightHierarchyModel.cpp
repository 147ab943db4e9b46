#include "core/hierarchy/TightHierarchyModel.h"

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/tools/DecisionTree.h"

namespace vantrel {

ObjectIndex tightHierarchyTableOf(const ContentDatabase& db, ObjectIndex object) {
  ContentCursor c;
  if (!c.open(db, object)) return 0;
  if (!hasChildOfType(db, object, u"table type") && !c.toAncestorOfType(u"table")) return 0;
  const ObjectIndex table = c.index();
  if (!hasChildOfType(db, table, u"field name")) return 0;
  if (!ownTableTypeIs(db, table, u"linked tight hierarchy") && !ownTableTypeIs(db, table, u"tight hierarchy")) return 0;
  return table;
}

TightHierarchyModel::TightHierarchyModel(const ContentDatabase& database)
    : db_(database), basic_(database), page_(database) {}

bool TightHierarchyModel::show(ObjectIndex object, const uint8_t* data, size_t length) {
  const ObjectIndex table = tightHierarchyTableOf(db_, object);
  if (table == 0) {
    tapInProgress_ = false;  // see ContentsModel::show
    return false;
  }
  object_ = object;
  table_ = table;
  entry_ = 0;
  anchor_.clear();
  caption_.clear();
  textOf(db_, table, caption_);
  title_.clear();
  enclosingTableTitle(db_, object, title_);

  if (ownTableTypeIs(db_, object, u"linked tight hierarchy")) {
    rebuild_ = {TreeRebuild::Kind::Root, object, 0};
    tapInProgress_ = false;
    return true;
  }
  if (tapInProgress_) {
    tapInProgress_ = false;
    rebuild_ = {TreeRebuild::Kind::Keep, 0, 0};
  } else {
    rebuild_ = {TreeRebuild::Kind::RootAndShow, table, object};
  }
  if (data && length == 1 && data[0] == 1) {
    prepareFields(object);
  } else if (!hasChildOfType(db_, object, u"field")) {
    textOf(db_, object, title_);
  } else {
    if (data && length != 0) anchor_ = decodeAnchorData(data, length);
    prepareFields(object);
  }
  return true;
}

void TightHierarchyModel::prepareFields(ObjectIndex object) {
  page_.prepareFieldNames(table_);
  entry_ = object;
  textOf(db_, object, title_);
}

EntryTapAction TightHierarchyModel::entryTapped(ObjectIndex object, bool leaf) {
  EntryTapAction a;
  if (leaf) {
    if (const ObjectIndex link = linkTargetOf(db_, object)) {
      a.kind = EntryTapAction::Kind::Navigate;
      a.target = link;
      a.showPaneAgain = true;
      return a;
    }
    if (tapInProgress_) return a;
    tapInProgress_ = true;
    a.kind = EntryTapAction::Kind::Navigate;
    a.target = object;
    a.data = {1};
    return a;
  }
  if (tapInProgress_) return a;
  tapInProgress_ = true;
  a.kind = EntryTapAction::Kind::Navigate;
  a.target = object;
  return a;
}

std::vector<std::pair<std::u16string, ObjectIndex>> TightHierarchyModel::fieldJumpList() const {
  if (!hasChildOfType(db_, object_, u"field")) return {};
  return page_.filledNames();
}

std::vector<std::u16string> TightHierarchyModel::fieldNameTexts() const {
  std::vector<std::u16string> out;
  ContentCursor c;
  if (table_ == 0 || !c.open(db_, table_)) return out;
  std::vector<ObjectEntry> names;
  c.collectChildren(names, u"field name", 0);
  for (const ObjectEntry& e : names) {
    std::u16string t;
    textOf(db_, e.index, t);
    out.push_back(std::move(t));
  }
  return out;
}

}  // namespace vantrel
