// The table viewer.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerTableViewers(ViewerKinds& kinds) {
  kinds.add({"table", 100, 110, 90, nullptr});
}

}  // namespace vantrel
