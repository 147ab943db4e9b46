#include "core/page/ViewerKinds.h"

#include "core/content/ContentQueries.h"

namespace vantrel {

// The footnote popups and the full view of a page's footnotes: offered every
// page first, so a footnote opens over the page it is linked from.
void registerPopupViewers(ViewerKinds& kinds) {
  kinds.add({"footnotes", 120, 10, 120, [](const ContentDatabase& db, ObjectIndex x) {
               std::u16string text;
               return footnoteText(db, x, text) || popupText(db, x, text) || footnotesText(db, x, text);
             }});
}

}  // namespace vantrel
