#include "core/page/ViewerKinds.h"


namespace vantrel {

// The full-text search page, which lies past the content.
void registerSearchViewers(ViewerKinds& kinds) {
  kinds.add({"search", 130, 130, 130, nullptr});
}

}  // namespace vantrel
