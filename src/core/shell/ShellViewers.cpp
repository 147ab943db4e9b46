// The shell's own viewers: the command bar and page frame (chrome) and the home page.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerShellViewers(ViewerKinds& kinds) {
  kinds.add({"chrome", 10, 20, 10, nullptr});
  kinds.add({"home", 110, 120, 100, nullptr});
}

}  // namespace vantrel
