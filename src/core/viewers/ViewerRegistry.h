#pragma once
// Every viewer of the reader. The registry sits above all the subsystems
// that have viewers: each adds its kinds through its register function, and
// whoever needs the whole list (the application, the checker, the export)
// asks for it here.
#include "core/page/ViewerKinds.h"

namespace vantrel {

// Every viewer of the reader, registered by their subsystems on first use.
const ViewerKinds& viewerKinds();

}  // namespace vantrel
