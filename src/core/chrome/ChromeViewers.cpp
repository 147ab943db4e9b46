#include "core/page/ViewerKinds.h"

namespace vantrel {

// The chrome's own viewers: the chrome (command bar, user-data overlays) takes
// part in every page and the home page lies past the content; neither shows
// a content object by itself.
void registerChromeViewers(ViewerKinds& kinds) {
  kinds.add({"chrome", 10, 20, 10, nullptr});
  kinds.add({"home", 110, 120, 100, nullptr});
}

}  // namespace vantrel
