#include "ui/shell/ViewerFactories.h"

#include "ui/tables/TableViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerTableViewerFactories(ViewerFactories& factories) {
  factories.add("table", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    auto viewer = std::make_unique<TableViewer>(*ctx.database, ctx.frame, p.window.pageArea(), &p.window, ScreenDpi(p.screen));
    viewer->model().model().useHeadingToggles(ctx.headingToggles);
    return viewer;
  });
}

}  // namespace vantrel
