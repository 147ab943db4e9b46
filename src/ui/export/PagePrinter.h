#pragma once
// Printing a page: the page an object shows, laid out for paper. HTML pages
// as the HTML viewer lays them out; a table in full, its column headings
// repeated at the top of every printed page; the index, the key, dual
// lists and trees as their entries; a picture at the size of the page. A
// footer on every page carries the guide's title, its edition and the page
// number. The same code feeds the print dialog (Ctrl+P) and
// `vantrel-dump DIR pdf I OUT.pdf`.
#include <QPagedPaintDevice>
#include <QString>

#include "core/content/ContentDatabase.h"
#include "core/platform/Geometry.h"

namespace vantrel {

struct PrintSettings {
  Size screen{240, 320};  // chooses a picture's variant as the reader would
  int dpi = 96;           // the screen's dots per inch, for that choice
};

// The page of object as one HTML document for QTextDocument; empty when no
// viewer shows the object. title receives the page's title.
QString printableHtml(const ContentDatabase& database, ObjectIndex object, const PrintSettings& settings,
                      QString* title = nullptr);

// "<guide title> - edition a.b.c": the footer's left part.
QString printFooterText(const ContentDatabase& database);

// Prints the page of object on device (a QPrinter or QPdfWriter): the
// number of pages printed, 0 when no viewer shows the object or the device
// cannot be painted on (error then says why).
int printPage(const ContentDatabase& database, ObjectIndex object, QPagedPaintDevice& device,
              const PrintSettings& settings, QString* error = nullptr);

}  // namespace vantrel
