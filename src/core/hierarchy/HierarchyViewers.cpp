// The contents tree and the tight hierarchy.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerHierarchyViewers(ViewerKinds& kinds) {
  kinds.add({"contents", 30, 40, 20, nullptr});
  kinds.add({"tightHierarchy", 40, 50, 30, nullptr});
}

}  // namespace vantrel
