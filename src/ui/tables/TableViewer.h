#pragma once
// The table viewer: shows an item of a "tight crt" table in a TableWindow
// with the Key, Restore and Compare buttons under it, and carries out what
// the grid's taps and the buttons ask for (selection, Compare, Restore,
// popups, links).
#include <QJsonObject>
#include <memory>

#include "core/shell/Application.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "ui/tables/ButtonBar.h"
#include "core/tables/TableViewerModel.h"
#include "ui/tables/TableWindow.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class TableViewer : public ContentViewer, public ButtonBarListener, public ScriptStateSection {
 public:
  // pageArea: the frame's window; mainWindow bounds the popups.
  TableViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow, ScreenDpi dpi);
  TableViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow, int dpiX, int dpiY)
      : TableViewer(database, frame, pageArea, mainWindow, ScreenDpi(dpiX, dpiY)) {}
  ~TableViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  void buttonCommand(int code) override;
  // {object, rowCount, columnCount, cells, selectedRows, selectedColumns,
  // compare, scrollX, scrollY, rowHeight, columnWidths, scrollBars, dialog}.
  QJsonObject scriptState() const override;

  TableWindow* tableWindow() const { return window_; }
  ButtonBar* buttonBar() const { return bar_; }
  TableViewerModel& model() { return *model_; }

 private:
  void act(const TableAction& action);

  std::unique_ptr<TableViewerModel> model_;
  TableWindow* window_;
  ButtonBar* bar_;
  ScreenDpi dpi_;
};

}  // namespace vantrel
