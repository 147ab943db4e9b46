#include "ui/shell/ViewerFactories.h"

#include "ui/search/SearchViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerSearchViewerFactories(ViewerFactories& factories) {
  factories.add("search", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<SearchViewer>(*ctx.database, ctx.frame, ctx.pageKeys, ctx.history, p.window.pageArea(),
                                          p.programDir, ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
