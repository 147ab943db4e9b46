#include "core/page/ViewerKinds.h"

#include "core/content/ContentQueries.h"

namespace vantrel {

// The index with its search box, the key and the dual list. The index and the
// key each show one named object (the search key lies past the content).
void registerListViewers(ViewerKinds& kinds) {
  kinds.add({"index", 20, 30, 50, [](const ContentDatabase& db, ObjectIndex x) {
               return x != 0 && x == db.objectByName(u"INDEX");
             }});
  kinds.add({"key", 80, 90, 110, [](const ContentDatabase& db, ObjectIndex x) {
               return x != 0 && x == db.objectByName(u"Abbreviations");
             }});
  kinds.add({"dual", 90, 100, 80,
             [](const ContentDatabase& db, ObjectIndex x) { return tableTypeIs(db, x, u"dual list"); }});
}

}  // namespace vantrel
