#pragma once
// The reader's viewers as the core knows them: a name (the key of the
// scripted state), when each is created, offered pages and destroyed, and
// whether it shows a content object on its own. Each subsystem adds its
// viewers in its register function; the registry (viewers/ViewerRegistry.h)
// calls them all once.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

struct ViewerKind {
  std::string name;
  // Lower ranks first. Creation and destruction follow their own orders; a
  // navigation is offered to the viewers by offering rank, and the first one
  // to take an object shows it.
  int creationRank = 0;
  int offeringRank = 0;
  int destructionRank = 0;
  // Whether the viewer shows content object x when it is offered it. Null for
  // the viewers that show no content object by themselves (chrome, home, search).
  bool (*shows)(const ContentDatabase& database, ObjectIndex x) = nullptr;
};

class ViewerKinds {
 public:
  ViewerKinds() = default;
  ViewerKinds(const ViewerKinds& other) : kinds_(other.kinds_) { sort(); }
  ViewerKinds& operator=(const ViewerKinds& other) {
    kinds_ = other.kinds_;
    sort();
    return *this;
  }
  // Adds a kind; a second kind with a name already taken replaces the first.
  void add(ViewerKind kind);
  const ViewerKind* find(std::string_view name) const;
  size_t size() const { return kinds_.size(); }
  const std::vector<const ViewerKind*>& inCreationOrder() const { return creation_; }
  const std::vector<const ViewerKind*>& inOfferingOrder() const { return offering_; }
  const std::vector<const ViewerKind*>& inDestructionOrder() const { return destruction_; }
  // The first kind in offering order whose shows() takes x; null when none does.
  const ViewerKind* showing(const ContentDatabase& database, ObjectIndex x) const;
  // Every kind whose shows() takes x, in offering order: a page can have more
  // than one (the footnotes' full view opens over the page it belongs to).
  std::vector<const ViewerKind*> showingAll(const ContentDatabase& database, ObjectIndex x) const;

 private:
  void sort();
  std::vector<ViewerKind> kinds_;
  std::vector<const ViewerKind*> creation_, offering_, destruction_;
};

}  // namespace vantrel
