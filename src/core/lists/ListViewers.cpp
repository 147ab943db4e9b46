// The list viewers: the index with its search box, the key and the dual list.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerListViewers(ViewerKinds& kinds) {
  kinds.add({"index", 20, 30, 50, nullptr});
  kinds.add({"key", 80, 90, 110, nullptr});
  kinds.add({"dual", 90, 100, 80, nullptr});
}

}  // namespace vantrel
