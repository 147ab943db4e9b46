#include "ui/shell/ViewerFactories.h"

#include "ui/lists/DualListViewer.h"
#include "ui/lists/IndexViewer.h"
#include "ui/lists/KeyViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerListViewerFactories(ViewerFactories& factories) {
  factories.add("index", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<IndexViewer>(*ctx.database, ctx.frame, ctx.pageKeys, ctx.history, p.window.pageArea(),
                                           &p.window, ScreenDpi(p.screen), ctx.services.keyboard,
                                           p.screen);
  });
  factories.add("key", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<KeyViewer>(*ctx.database, ctx.frame, ctx.pageKeys, p.window.pageArea(),
                                         ScreenDpi(p.screen), ctx.services.keyboard, p.screen);
  });
  factories.add("dual", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<DualListViewer>(*ctx.database, ctx.frame, p.window.pageArea(), &p.window, p.screen,
                                              ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
