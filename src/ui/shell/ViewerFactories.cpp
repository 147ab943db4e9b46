#include "shell/ViewerFactories.h"

namespace vantrel {

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
