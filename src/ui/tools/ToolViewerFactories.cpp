#include "ui/shell/ViewerFactories.h"

#include "ui/tools/CalculatorViewer.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerToolViewerFactories(ViewerFactories& factories) {
  factories.add("calculator", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<CalculatorViewer>(*ctx.database, ctx.frame, ctx.pageKeys, p.window.pageArea(),
                                                ScreenDpi(p.screen), ctx.services.keyboard,
                                                ctx.services.messages);
  });
}

}  // namespace vantrel
