#include "ui/shell/ViewerFactories.h"

namespace vantrel {

// Each UI subsystem with viewers defines one register function in its own
// folder; a new subsystem adds its function here, declared and called.
void registerShellViewerFactories(ViewerFactories& factories);
void registerListViewerFactories(ViewerFactories& factories);
void registerHierarchyViewerFactories(ViewerFactories& factories);
void registerHtmlViewerFactories(ViewerFactories& factories);
void registerImageViewerFactories(ViewerFactories& factories);
void registerToolViewerFactories(ViewerFactories& factories);
void registerTableViewerFactories(ViewerFactories& factories);
void registerPopupViewerFactories(ViewerFactories& factories);
void registerSearchViewerFactories(ViewerFactories& factories);

void ViewerFactories::add(std::string name, ViewerFactory factory) {
  for (auto& [n, f] : factories_)
    if (n == name) {
      f = std::move(factory);
      return;
    }
  factories_.emplace_back(std::move(name), std::move(factory));
}

const ViewerFactory* ViewerFactories::find(std::string_view name) const {
  for (const auto& [n, f] : factories_)
    if (n == name) return &f;
  return nullptr;
}

const ViewerFactories& viewerFactories() {
  static const ViewerFactories factories = [] {
    ViewerFactories f;
    registerShellViewerFactories(f);
    registerListViewerFactories(f);
    registerHierarchyViewerFactories(f);
    registerHtmlViewerFactories(f);
    registerImageViewerFactories(f);
    registerToolViewerFactories(f);
    registerTableViewerFactories(f);
    registerPopupViewerFactories(f);
    registerSearchViewerFactories(f);
    return f;
  }();
  return factories;
}

}  // namespace vantrel
