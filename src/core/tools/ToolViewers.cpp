#include "core/page/ViewerKinds.h"

#include "core/tools/CrClForm.h"

namespace vantrel {

// The calculator.
void registerToolViewers(ViewerKinds& kinds) {
  kinds.add({"calculator", 70, 80, 70, &calculatorShows});
}

}  // namespace vantrel
