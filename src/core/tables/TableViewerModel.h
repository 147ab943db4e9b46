#pragma once
// What the table viewer decides without a window: whether it shows an
// object, the title, the three buttons (Key, Restore, Compare) and what a
// tap on the grid leads to. It holds the model, the grid and the grid's
// painter; the window gives the painter a measuring surface and a buffer
// (through the grid's after-render hook), copies the buffer to the screen
// and carries out the actions.
#include <cstdint>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/tables/TableGrid.h"
#include "core/tables/TableGridPainter.h"
#include "core/tables/TightCrtTable.h"

namespace vantrel {

inline constexpr int kTableKeyButton = 1001;
inline constexpr int kTableRestoreButton = 1002;
inline constexpr int kTableCompareButton = 1003;

struct TableAction {
  enum class Kind {
    Nothing,
    Redraw,    // the grid changed (selection, Compare, Restore)
    Navigate,  // go to target (a link, or the Key button's key object; 0 when the table has no key)
    Popup,     // show text in the popup at anchor (grid client coordinates)
  };
  Kind kind = Kind::Nothing;
  ObjectIndex target = 0;
  std::u16string text;
  Rect anchor;
};

class TableViewerModel {
 public:
  TableViewerModel(const ContentDatabase& database, int dpiX = 96, int dpiY = 96)
      : TableViewerModel(database, ScreenDpi(dpiX > 0 ? dpiX : 96, dpiY > 0 ? dpiY : 96)) {}
  TableViewerModel(const ContentDatabase& database, ScreenDpi dpi);

  // Shows object x when it is an item of a "tight crt" table: rebuilds the
  // model (everything visible) and hands it to the grid. False (nothing
  // changed) otherwise. The rows are as high as the painter's font.
  bool show(ObjectIndex x);
  // The window title: the shown item's text.
  const std::u16string& title() const { return title_; }

  // A button of the bar (1001 Key, 1002 Restore, 1003 Compare); others do nothing.
  TableAction command(int id);
  // A tap at grid client point (x, y).
  TableAction tap(int x, int y);
  // The keyboard's and assistive tools' tap on a cell (visible row and
  // column, headings included).
  TableAction press(uint32_t row, uint32_t column);

  // Compare: with rows and columns selected, shows only them (and the
  // headings), clears the selection and lays out again. Restore: after a
  // Compare, shows everything again. Both answer whether anything changed.
  bool compare();
  bool restore();

  // The resolution changed: the cell font and the row height are made
  // again; the window lays the grid out again with relayoutKeepingPlace.
  void rescale();

  TightCrtTable& model() { return model_; }
  TableGrid& grid() { return grid_; }
  TableGridPainter& painter() { return painter_; }

 private:
  TableAction actionFor(GridTap t);
  const ContentDatabase& db_;
  TightCrtTable model_;
  TableGrid grid_;
  TableGridPainter painter_;
  std::u16string title_;
};

}  // namespace vantrel
