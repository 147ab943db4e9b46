// The HTML page viewer.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerHtmlViewers(ViewerKinds& kinds) {
  kinds.add({"html", 50, 60, 40, nullptr});
}

}  // namespace vantrel
