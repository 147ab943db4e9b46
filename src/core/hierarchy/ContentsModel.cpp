#include "core/hierarchy/ContentsModel.h"

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

namespace vantrel {

namespace {

// The object's first "hierarchy item" child has one of its own.
bool firstItemHasItems(const ContentDatabase& db, ObjectIndex object) {
  ContentCursor c;
  return c.open(db, object) && c.toChildOfType(u"hierarchy item") && c.toChildOfType(u"hierarchy item");
}

}  // namespace

HierarchySourceKind contentsSourceFor(const ContentDatabase& db, ObjectIndex object, ObjectIndex toc) {
  if (tableTypeIs(db, object, u"tight crt")) {
    if (hasChildOfType(db, object, u"footnote") || firstItemHasItems(db, object)) return HierarchySourceKind::TightCrt;
    return HierarchySourceKind::None;
  }
  if (object >= db.objectCount() || !tableNamed(db, object, u"Contents")) return HierarchySourceKind::None;
  if (object == toc) return HierarchySourceKind::Basic;
  if (isOfType(db, object, u"hierarchy item") && hasChildOfType(db, object, u"hierarchy item"))
    return HierarchySourceKind::Basic;
  return HierarchySourceKind::None;
}

ContentsModel::ContentsModel(const ContentDatabase& database, ObjectIndex toc)
    : db_(database), toc_(toc), basic_(database), tightCrt_(database) {}

const HierarchySource& ContentsModel::source() const {
  if (kind_ == HierarchySourceKind::TightCrt) return tightCrt_;
  return basic_;
}

bool ContentsModel::show(ObjectIndex object) {
  const HierarchySourceKind kind = contentsSourceFor(db_, object, toc_);
  if (kind == HierarchySourceKind::None) {
    // A tapped entry whose page this viewer does not take ends the tap here:
    // no afterLayout follows to clear the flag, and a stuck flag would keep
    // the tree from ever being rebuilt again.
    tapInProgress_ = false;
    return false;
  }
  kind_ = kind;
  object_ = object;
  caption_.clear();
  enclosingTableTitle(db_, object, caption_);
  title_ = caption_;
  if (ownTableTypeIs(db_, object, u"linked tight hierarchy")) {
    rebuild_ = {TreeRebuild::Kind::Root, object, 0};
    return true;
  }
  if (tapInProgress_) {
    rebuild_ = {TreeRebuild::Kind::Keep, 0, 0};
  } else {
    rebuild_ = {TreeRebuild::Kind::RootAndShow, hierarchyRootFor(db_, object), object};
  }
  textOf(db_, object, title_);
  return true;
}

EntryTapAction ContentsModel::entryTapped(ObjectIndex object, bool leaf) {
  EntryTapAction a;
  if (leaf) {
    const ObjectIndex link = linkTargetOf(db_, object);
    a.kind = EntryTapAction::Kind::Navigate;
    a.target = link != 0 ? link : object;
    a.showPaneAgain = true;
    return a;
  }
  if (tapInProgress_) return a;
  tapInProgress_ = true;
  a.kind = EntryTapAction::Kind::Navigate;
  a.target = object;
  return a;
}

}  // namespace vantrel
