#include "core/page/ViewerKinds.h"

#include <algorithm>

namespace vantrel {

void ViewerKinds::add(ViewerKind kind) {
  for (ViewerKind& k : kinds_)
    if (k.name == kind.name) {
      k = std::move(kind);
      sort();
      return;
    }
  kinds_.push_back(std::move(kind));
  sort();
}

const ViewerKind* ViewerKinds::find(std::string_view name) const {
  for (const ViewerKind& k : kinds_)
    if (k.name == name) return &k;
  return nullptr;
}

namespace {
std::vector<const ViewerKind*> sorted(const std::vector<ViewerKind>& kinds, int ViewerKind::*rank) {
  std::vector<const ViewerKind*> out;
  for (const ViewerKind& k : kinds) out.push_back(&k);
  std::stable_sort(out.begin(), out.end(), [rank](const ViewerKind* a, const ViewerKind* b) {
    return a->*rank < b->*rank;
  });
  return out;
}
}  // namespace

void ViewerKinds::sort() {
  creation_ = sorted(kinds_, &ViewerKind::creationRank);
  offering_ = sorted(kinds_, &ViewerKind::offeringRank);
  destruction_ = sorted(kinds_, &ViewerKind::destructionRank);
}

const ViewerKind* ViewerKinds::showing(const ContentDatabase& database, ObjectIndex x) const {
  if (x >= database.objectCount()) return nullptr;
  for (const ViewerKind* k : offering_)
    if (k->shows && k->shows(database, x)) return k;
  return nullptr;
}

std::vector<const ViewerKind*> ViewerKinds::showingAll(const ContentDatabase& database, ObjectIndex x) const {
  std::vector<const ViewerKind*> out;
  if (x >= database.objectCount()) return out;
  for (const ViewerKind* k : offering_)
    if (k->shows && k->shows(database, x)) out.push_back(k);
  return out;
}

}  // namespace vantrel
