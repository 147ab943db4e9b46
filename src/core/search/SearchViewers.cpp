// The full-text search page.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerSearchViewers(ViewerKinds& kinds) {
  kinds.add({"search", 130, 130, 130, nullptr});
}

}  // namespace vantrel
