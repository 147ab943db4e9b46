#pragma once
// What assistive tools (a screen reader through AT-SPI, UI Automation or the
// macOS accessibility API) see of the windows that draw themselves. Such a
// window implements one of the small interfaces below by asking its core
// model what is shown, what is selected and what a press does; the factory
// installed by installAccessibleFactory turns them into Qt's accessible
// interfaces, with one child per row, cell or hot spot drawn. Presses go to
// the same model actions as taps and keys, so nothing is decided twice.
#include <QAccessible>
#include <QRect>
#include <QString>

class QWidget;

namespace vantrel {

// A list drawn by its window. Rows are numbered as in the whole list; the
// interface exposes the rows in view.
class AccessibleRows {
 public:
  virtual ~AccessibleRows() = default;
  // The rows in view: the first one and how many.
  virtual int accessibleFirstRow() const = 0;
  virtual int accessibleRowsShown() const = 0;
  // The row's text with markup removed.
  virtual QString accessibleRowText(int row) const = 0;
  // Where the row is drawn, in the window's coordinates (empty when out of view).
  virtual QRect accessibleRowRect(int row) const = 0;
  virtual bool accessibleRowSelected(int row) const = 0;
  // -1 when rows carry no checkbox, else 0 or 1.
  virtual int accessibleRowChecked(int row) const { return -1; }
  // What a tap on the row does (on its checkbox, with onCheckbox).
  virtual void accessiblePressRow(int row, bool onCheckbox) = 0;
};

// Buttons drawn on a picture (the home page's letters and contents button).
class AccessibleHotSpots {
 public:
  virtual ~AccessibleHotSpots() = default;
  virtual int accessibleSpotCount() const = 0;
  virtual QString accessibleSpotName(int spot) const = 0;
  virtual QRect accessibleSpotRect(int spot) const = 0;
  virtual void accessiblePressSpot(int spot) = 0;
};

// A table drawn by its window, heading row and column included.
class AccessibleGrid {
 public:
  virtual ~AccessibleGrid() = default;
  virtual int accessibleRowCount() const = 0;
  virtual int accessibleColumnCount() const = 0;
  virtual QString accessibleCellText(int row, int column) const = 0;
  virtual QRect accessibleCellRect(int row, int column) const = 0;
  virtual bool accessibleCellSelected(int row, int column) const = 0;
  // The cell the keyboard's cursor is on (-1, -1 when none).
  virtual QPoint accessibleCursor() const = 0;
  // What a tap on the cell does.
  virtual void accessiblePressCell(int row, int column) = 0;
};

// A window with one role and one name (a picture, a title header, a popup):
// name is what a screen reader says, text the longer content if any.
class AccessibleLabel {
 public:
  virtual ~AccessibleLabel() = default;
  virtual QAccessible::Role accessibleRole() const = 0;
  virtual QString accessibleName() const = 0;
  virtual QString accessibleText() const { return {}; }
};

// Installs the factory once; harmless to call again.
void installAccessibleFactory();

// Tells assistive tools that the selected row (or cell, as child index)
// changed: a focus event when the window has the keyboard focus, a
// selection event always.
void announceSelection(QWidget* window, int child);
// Tells them the window's content changed (a new page of rows, new cells).
void announceReorder(QWidget* window);
// A popup or dialog appeared with a text to read out.
void announceShown(QWidget* window);

}  // namespace vantrel
