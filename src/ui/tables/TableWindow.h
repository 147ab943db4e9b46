#pragma once
// The table's windows: the grid window that draws a TableGrid into an
// off-screen image (through the Qt drawing surface and the markup renderer)
// and copies it to the screen in one step, with its two scroll bars, the
// corner box and the popup; and the table window that holds the grid.
#include <QFrame>
#include <QImage>
#include <QScrollBar>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "ui/platform/Accessible.h"
#include "ui/platform/QtSurface.h"
#include "ui/platform/Rescale.h"
#include "ui/popups/FootnotePopup.h"
#include "core/richtext/MarkupRenderer.h"
#include "ui/shell/LayoutWidget.h"
#include "core/tables/TableViewerModel.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class TableGridWidget : public QWidget, public AccessibleGrid, public Rescalable {
 public:
  // Child ids: vertical bar 1001, horizontal bar 1002, corner box 1003, popup 1004.
  TableGridWidget(QWidget* parent, QWidget* mainWindow, TableViewerModel& model, ScreenDpi dpi);
  TableGridWidget(QWidget* parent, QWidget* mainWindow, TableViewerModel& model, int dpiX, int dpiY)
      : TableGridWidget(parent, mainWindow, model, ScreenDpi(dpiX, dpiY)) {}
  ~TableGridWidget() override;

  void setCellFont(const FontDescription& font);
  // After the model was shown (the painter drops its parsed cells with the grid's).
  void sourceChanged() {}
  // Scroll position to the top-left, layout, redraw.
  void relayout();
  // The grid's layout changed (Compare, Restore): bars, buffer and cells anew.
  void applyLayout();
  // The grid's cells changed (selection): redraw the buffer.
  void redraw();
  // The resolution changed: the model's font and row height are made again,
  // and the next resize (the window at its new size) lays the grid out
  // again keeping the cursor, the selection and the first row and column.
  void rescale() override;
  // Called with the grid's answer to a tap that needs the viewer (navigation).
  void setActionHandler(std::function<void(const TableAction&)> handler) { onAction_ = std::move(handler); }
  // Runs what a tap at client point (x, y) asks for.
  void tapAt(int x, int y);
  // Scrolls as the bars do (vertical or horizontal).
  void scroll(bool vertical, ScrollCode code, int thumb = 0);
  // Runs what a tap on the cell (visible row and column) asks for.
  void pressCell(int row, int column);

  int accessibleRowCount() const override;
  int accessibleColumnCount() const override;
  QString accessibleCellText(int row, int column) const override;
  QRect accessibleCellRect(int row, int column) const override;
  bool accessibleCellSelected(int row, int column) const override;
  QPoint accessibleCursor() const override;
  void accessiblePressCell(int row, int column) override { pressCell(row, column); }

  FootnotePopup* popup() const { return popup_; }
  QScrollBar* verticalBar() const { return vbar_; }
  QScrollBar* horizontalBar() const { return hbar_; }
  QFrame* cornerBox() const { return corner_; }
  const QImage& buffer() const { return buffer_; }
  // Parsed cell texts kept (one per cell drawn or measured).
  size_t cachedBlocks() const { return model_.painter().blockCount(); }
  // Cells drawn without a stored column width (a redraw before any layout).
  uint64_t widthErrors() const { return model_.grid().widthErrors(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent*) override;
  void moveEvent(QMoveEvent*) override;
  // Desktop habits: the wheel and the arrow and page keys scroll the grid as
  // its scroll bars do (Shift with the wheel, or a sideways wheel, scrolls
  // across).
  void wheelEvent(QWheelEvent* e) override;
  // The arrow and page keys move the cell cursor (scrolling the grid as
  // its bars do), Return opens what a tap on its cell opens.
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  // The grid's after-render hook: the cells of its last redraw into the buffer.
  void paintCells();
  void placeBars();
  void geometryChanged();
  void showPopupText(const std::u16string& text, const Rect& anchor);
  void carryOut(const TableAction& action);
  void syncBars();
  void moveCursor(int rows, int columns);

  TableViewerModel& model_;
  ScreenDpi dpi_;
  std::unique_ptr<QtSurface> measuring_;
  QImage buffer_;
  QScrollBar* vbar_;
  QScrollBar* hbar_;
  QFrame* corner_;
  QPointer<FootnotePopup> popup_;  // a top-level child of the main window
  std::function<void(const TableAction&)> onAction_;
  bool painting_ = false;
  bool syncing_ = false;
  bool rescaled_ = false;  // a layout keeping the place is due at the next resize
  int wheelRest_ = 0;  // wheel movement not yet turned into lines (high-resolution wheels)
};

// The table's page window: the grid below a header that tables switch off.
class TableWindow : public LayoutWidget {
 public:
  TableWindow(QWidget* parent, QWidget* mainWindow, TableViewerModel& model, ScreenDpi dpi);
  TableWindow(QWidget* parent, QWidget* mainWindow, TableViewerModel& model, int dpiX, int dpiY)
      : TableWindow(parent, mainWindow, model, ScreenDpi(dpiX, dpiY)) {}
  TableGridWidget* grid() const { return grid_; }

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  TableGridWidget* grid_;
};

}  // namespace vantrel
