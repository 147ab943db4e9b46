#include "shell/ViewerRegistry.h"

#include "html/HtmlViewerModel.h"
#include "html/PageSource.h"

namespace vantrel {

// The HTML page viewer.
void registerHtmlViewers(ViewerKinds& kinds) {
  kinds.add({"html", 50, 60, 40, [](const ContentDatabase& db, ObjectIndex x) {
               return selectHtmlPage(db, HtmlPageKeys::fromDatabase(db), x).source != HtmlSourceKind::none;
             }});
}

}  // namespace vantrel
