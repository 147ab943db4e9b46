#pragma once
// How the Qt side makes each viewer the core knows of (ViewerKind), and what
// the viewer offers scripted runs. Each UI subsystem adds its factories in its
// register function; viewerFactories() calls them all once.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/shell/Application.h"
#include "ui/platform/Rescale.h"
#include "ui/shell/ScriptCapabilities.h"

namespace vantrel {

class GuideHost;
class MainWindow;
class QtScreen;

// The Qt side's part of what a viewer is made with.
struct ViewerPlatform {
  GuideHost& host;
  MainWindow& window;
  QtScreen& screen;
  const std::string& programDir;
};

// The interfaces a viewer implements for scripted runs; null where it has none.
struct ViewerCapabilities {
  ScriptStateSection* state = nullptr;
  ScriptLinkTarget* links = nullptr;
  ScriptControls* controls = nullptr;
  ScriptTree* tree = nullptr;
  ScriptIndexBuild* indexBuild = nullptr;
  // Lays the viewer out again after a zoom (its windows rescale themselves).
  Rescalable* rescale = nullptr;
};

template <class V>
ViewerCapabilities capabilitiesOf(V* v) {
  ViewerCapabilities c;
  if (!v) return c;
  if constexpr (std::is_base_of_v<ScriptStateSection, V>) c.state = v;
  if constexpr (std::is_base_of_v<ScriptLinkTarget, V>) c.links = v;
  if constexpr (std::is_base_of_v<ScriptControls, V>) c.controls = v;
  if constexpr (std::is_base_of_v<ScriptTree, V>) c.tree = v;
  if constexpr (std::is_base_of_v<ScriptIndexBuild, V>) c.indexBuild = v;
  if constexpr (std::is_base_of_v<Rescalable, V>) c.rescale = v;
  return c;
}

// A new viewer with its capabilities, read off its class when it is made.
struct MadeViewer {
  MadeViewer() = default;
  MadeViewer(std::nullptr_t) {}
  template <class V>
  MadeViewer(std::unique_ptr<V> v) : capabilities(capabilitiesOf(v.get())), viewer(std::move(v)) {}
  ViewerCapabilities capabilities;
  std::unique_ptr<Viewer> viewer;
};

using ViewerFactory = std::function<MadeViewer(ViewerContext&, ViewerPlatform&)>;

class ViewerFactories {
 public:
  // A second factory for a name replaces the first.
  void add(std::string name, ViewerFactory factory);
  const ViewerFactory* find(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, ViewerFactory>> factories_;
};

// Every viewer's factory, registered by the UI subsystems on first use.
const ViewerFactories& viewerFactories();

}  // namespace vantrel
