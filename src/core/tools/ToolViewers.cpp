// The calculator.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerToolViewers(ViewerKinds& kinds) {
  kinds.add({"calculator", 70, 80, 70, nullptr});
}

}  // namespace vantrel
