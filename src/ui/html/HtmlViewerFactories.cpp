#include "ui/shell/ViewerFactories.h"

#include "ui/html/HtmlViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerHtmlViewerFactories(ViewerFactories& factories) {
  factories.add("html", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<HtmlViewer>(*ctx.database, ctx.frame, ctx.pageKeys, p.window.pageArea(),
                                          ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
