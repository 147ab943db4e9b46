#pragma once
// The state the colours of table headings carry from one table to the next.
//
// Heading colours alternate by groups through two toggles, one for columns
// and one for rows, which are not reset between tables: the colour of a
// table's first heading depends on the tables built before it. That memory
// belongs to one session of rendering, held by whoever renders: the reader's
// application for the tables it shows, one page or answer of the server or
// the export, the search builder. Two sessions never share it, so they can
// build tables at the same time.
namespace vantrel {

struct HeadingToggles {
  struct Toggle {
    bool on = false;
    int groupState = -1;  // -1: the next leaf flips the toggle
  };
  Toggle column;
  Toggle row;
};

}  // namespace vantrel
