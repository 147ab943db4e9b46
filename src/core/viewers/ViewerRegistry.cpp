#include "core/viewers/ViewerRegistry.h"

namespace vantrel {

// Each subsystem with viewers defines one register function in its own folder;
// a new subsystem adds its function here, declared and called.
void registerChromeViewers(ViewerKinds& kinds);
void registerListViewers(ViewerKinds& kinds);
void registerHierarchyViewers(ViewerKinds& kinds);
void registerHtmlViewers(ViewerKinds& kinds);
void registerImageViewers(ViewerKinds& kinds);
void registerToolViewers(ViewerKinds& kinds);
void registerTableViewers(ViewerKinds& kinds);
void registerPopupViewers(ViewerKinds& kinds);
void registerSearchViewers(ViewerKinds& kinds);

const ViewerKinds& viewerKinds() {
  static const ViewerKinds kinds = [] {
    ViewerKinds k;
    registerChromeViewers(k);
    registerListViewers(k);
    registerHierarchyViewers(k);
    registerHtmlViewers(k);
    registerImageViewers(k);
    registerToolViewers(k);
    registerTableViewers(k);
    registerPopupViewers(k);
    registerSearchViewers(k);
    return k;
  }();
  return kinds;
}

}  // namespace vantrel
