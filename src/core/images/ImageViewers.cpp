// The picture viewer.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerImageViewers(ViewerKinds& kinds) {
  kinds.add({"image", 60, 70, 60, nullptr});
}

}  // namespace vantrel
