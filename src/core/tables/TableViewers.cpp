#include "core/page/ViewerKinds.h"

#include "core/tables/TightCrtTable.h"

namespace vantrel {

// The table viewer.
void registerTableViewers(ViewerKinds& kinds) {
  kinds.add({"table", 100, 110, 90, [](const ContentDatabase& db, ObjectIndex x) { return TightCrtTable::accepts(db, x); }});
}

}  // namespace vantrel
