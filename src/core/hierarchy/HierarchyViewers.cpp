#include "core/page/ViewerKinds.h"

#include "core/hierarchy/ContentsModel.h"
#include "core/hierarchy/TightHierarchyModel.h"

namespace vantrel {

// The contents tree and the tight hierarchy.
void registerHierarchyViewers(ViewerKinds& kinds) {
  kinds.add({"contents", 30, 40, 20, [](const ContentDatabase& db, ObjectIndex x) {
               return contentsSourceFor(db, x, db.objectByName(u"TOC")) != HierarchySourceKind::None;
             }});
  kinds.add({"tightHierarchy", 40, 50, 30,
             [](const ContentDatabase& db, ObjectIndex x) { return tightHierarchyTableOf(db, x) != 0; }});
}

}  // namespace vantrel
