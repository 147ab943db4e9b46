#include "shell/ViewerFactories.h"

#include "images/ImageViewer.h"
#include "platform/QtScreen.h"
#include "shell/MainWindow.h"

namespace vantrel {

void registerImageViewerFactories(ViewerFactories& factories) {
  factories.add("image", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<ImageViewer>(*ctx.database, ctx.frame, ctx.pageKeys, p.window.pageArea(), &p.window,
                                         p.screen);
  });
}

}  // namespace vantrel
