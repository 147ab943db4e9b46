#include "ui/shell/ViewerFactories.h"

#include "ui/images/ImageViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerImageViewerFactories(ViewerFactories& factories) {
  factories.add("image", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<ImageViewer>(*ctx.database, ctx.frame, ctx.pageKeys, p.window.pageArea(), &p.window,
                                         p.screen);
  });
}

}  // namespace vantrel
