#include "shell/ViewerFactories.h"

#include "tools/CalculatorViewer.h"
#include "platform/QtScreen.h"
#include "shell/MainWindow.h"

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
