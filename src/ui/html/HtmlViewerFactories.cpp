#include "shell/ViewerFactories.h"

#include "html/HtmlViewer.h"
#include "platform/QtScreen.h"
#include "shell/MainWindow.h"

namespace vantrel {

void registerHtmlViewerFactories(ViewerFactories& factories) {
  factories.add("html", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<HtmlViewer>(*ctx.database, ctx.frame, ctx.pageKeys, p.window.pageArea(),
                                          ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
