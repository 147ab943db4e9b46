#include "core/page/ViewerKinds.h"

#include "core/html/HtmlViewerModel.h"
#include "core/page/PageSource.h"

namespace vantrel {

// The HTML page viewer.
void registerHtmlViewers(ViewerKinds& kinds) {
  kinds.add({"html", 50, 60, 40, [](const ContentDatabase& db, ObjectIndex x) {
               return selectHtmlPage(db, HtmlPageKeys::fromDatabase(db), x).source != HtmlSourceKind::none;
             }});
}

}  // namespace vantrel
