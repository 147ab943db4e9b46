// The footnote popups: offered every page first, so a footnote link opens over the page.
#include "shell/ViewerRegistry.h"

namespace vantrel {

void registerPopupViewers(ViewerKinds& kinds) {
  kinds.add({"footnotes", 120, 10, 120, nullptr});
}

}  // namespace vantrel
