#include "ui/shell/ViewerFactories.h"

#include "ui/hierarchy/ContentsViewer.h"
#include "ui/hierarchy/TightHierarchyViewer.h"
#include "core/shell/GuideFont.h"
#include "ui/tables/MarkupMenu.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/MainWindow.h"

namespace vantrel {

void registerHierarchyViewerFactories(ViewerFactories& factories) {
  factories.add("contents", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    return std::make_unique<ContentsViewer>(*ctx.database, ctx.frame, ctx.pageKeys["toc"], p.window.pageArea(),
                                            ScreenDpi(p.screen));
  });
  factories.add("tightHierarchy", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer {
    if (!ctx.database) return nullptr;
    // The field-jump list's host, a child of the main window like the history list's.
    auto* fieldList = new MenuHost(&p.window, ScreenDpi(p.screen), &ctx.services.fonts,
                                   shell::joinPath(p.programDir, kGuideFontFile));
    return std::make_unique<TightHierarchyViewer>(*ctx.database, ctx.frame, p.window.pageArea(), fieldList,
                                                  ScreenDpi(p.screen));
  });
}

}  // namespace vantrel
