#include "ui/shell/ViewerFactories.h"

#include "ui/popups/FootnotesViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerPopupViewerFactories(ViewerFactories& factories) {
  factories.add("footnotes", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<FootnotesViewer>(*ctx.database, ctx.frame, p.window.pageArea(), &p.window,
                                             ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
