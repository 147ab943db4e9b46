#include "core/page/ViewerKinds.h"

#include "core/images/ImageViewerModel.h"

namespace vantrel {

// The picture viewer.
void registerImageViewers(ViewerKinds& kinds) {
  kinds.add({"image", 60, 70, 60, &ImageViewerModel::accepts});
}

}  // namespace vantrel
