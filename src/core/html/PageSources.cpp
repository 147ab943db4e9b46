#include "core/html/PageSources.h"

#include <vector>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

namespace vantrel {

std::u16string ObjectTextPage::pageText(ObjectIndex object) {
  std::u16string text;
  ContentCursor cursor;
  if (cursor.open(*database_, object)) {
    if (!childType_.empty()) cursor.toChildOfType(childType_);  // stays on the object when there is none
    cursor.text(text);
  }
  std::u16string out;
  out.reserve(kObjectPageOpen.size() + text.size() + kObjectPageClose.size());
  out.append(kObjectPageOpen).append(text).append(kObjectPageClose);
  return out;
}

std::u16string MenuPage::pageText(ObjectIndex object) {
  std::u16string out(kMenuPageOpen);
  ObjectIndex lastTable = 0;
  ContentCursor menu;
  if (menu.open(*database_, object)) {
    std::vector<ObjectEntry> items;
    menu.collectChildren(items, u"hierarchy item", 0);
    const uint16_t linkType = database_->typeNumber(u"link");
    const uint16_t tableType = database_->typeNumber(u"table");
    for (const ObjectEntry& item : items) {
      std::u16string label;
      ContentCursor cursor(*database_, item.index);
      cursor.text(label);
      ObjectIndex target = 0;
      if (linkType != kNoType && cursor.toChildOfType(linkType)) target = cursor.entry().value;
      if (target != 0) {
        // The heading is the target's table, or the target itself when it
        // lies in no table.
        std::u16string header;
        ObjectIndex headerObject = target;
        ContentCursor table;
        if (table.open(*database_, target)) {
          if (tableType != kNoType) table.toAncestorOfType(tableType);
          table.text(header);
          headerObject = table.index();
        }
        if (headerObject != lastTable) {
          out.append(u"</MENU><B>").append(header).append(u"</B><br><MENU>");
          lastTable = headerObject;
        }
      }
      out.append(u"<LI><A HREF=\"");
      appendDecimal(out, target);
      out.append(u"\">").append(label).append(u"</A></LI>");
    }
  }
  out.append(kMenuPageClose);
  return out;
}

std::u16string MenuPage::pageTitle(ObjectIndex object) const {
  std::u16string title;
  textOf(*database_, object, title);
  return title;
}

const std::u16string& tableHelpText() {
  static const std::u16string text = [] {
    static const char16_t* const pieces[] = {
        u"<br><br><b>How to use this table</b><br><br><b>Restore</b><br>The ",
        u"Restore",
        u" button will cause all rows and columns to be viewable.<br><br><b>Compare</b><br>The ",
        u"Compare",
        u" button allows individual rows and columns to be compared.You will notice that tapping on the top most "
        u"cells in this table (the columnheading) cause the entire column belonging to the heading to highlight. "
        u"You will also notice that tapping on a right most cell (the row heading) in this table causes an entire "
        u"row to be highlighted. By highlighting cross sectionof column and row headings and then tapping on the ",
        u"Compare",
        u" button, youcan view only the cross-section of the intersecting rows and columns. Tap the ",
        u"Restore",
        u" button to make all rows and columns viewable again.<br><br><b>\u00A7</b><br>The ",
        u"\u00A7",
        u" link, if present, will display a footnote.<br><br><b>Triangle Buttons</b><br>You will notice a small "
        u"triangle in the lower right hand corner of some of the cells. These buttons only appear on row or column "
        u"headings where the text is too long to appear completely. Tap on the triangle to see the full text."
        u"<br><br><b>Individual Cells</b><br>Tapping on individual cells will pop up a box containing the row "
        u"heading and column heading separated by a ",
        u"/",
        u"<br>",
    };
    std::u16string joined;
    for (size_t i = 0; i < sizeof pieces / sizeof pieces[0]; ++i) {
      if (i != 0) joined.push_back(u'"');
      joined.append(pieces[i]);
    }
    return joined;
  }();
  return text;
}

std::u16string TableHelpPage::pageText(ObjectIndex object) {
  std::u16string text;
  textOf(*database_, object, text);
  std::u16string out(kTableHelpOpen);
  out.append(text).append(tableHelpText()).append(kTableHelpClose);
  return out;
}

}  // namespace vantrel
