#include "shell/ViewerFactories.h"

#include "search/SearchViewer.h"
#include "platform/QtScreen.h"
#include "shell/MainWindow.h"

namespace vantrel {

void registerSearchViewerFactories(ViewerFactories& factories) {
  factories.add("search", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<SearchViewer>(*ctx.database, ctx.frame, ctx.pageKeys, ctx.history, p.window.pageArea(),
                                          p.programDir, ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
