#include "ui/tables/TableViewer.h"

#include "ui/search/FindBar.h"

#include <QJsonArray>

#include "core/page/MainFrame.h"

namespace vantrel {

TableViewer::TableViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow,
                         ScreenDpi dpi)
    : ContentViewer(&database, &frame),
      model_(std::make_unique<TableViewerModel>(database, dpi)),
      window_(new TableWindow(pageArea, mainWindow, *model_, dpi)),
      bar_(new ButtonBar(pageArea, dpi)),
      dpi_(dpi) {
  window_->setGeometry(0, 0, 0, 0);
  window_->hide();
  bar_->setGeometry(0, 0, 0, (26 * dpi.y() + 48) / 96);
  bar_->hide();
  window_->grid()->setCellFont(guideFontDescription(dpi.y()));
  window_->grid()->setActionHandler([this](const TableAction& a) { act(a); });
  new FindBar(window_, std::make_unique<TableFindTarget>(model_->grid(), window_->grid()), dpi);

  auto sx = [dpi](int n) { return (n * dpi.x() + 48) / 96; };
  auto sy = [dpi](int n) { return (n * dpi.y() + 48) / 96; };
  std::vector<ButtonDescription> buttons(3);
  buttons[0].code = kTableKeyButton;
  buttons[0].text = "Key";
  buttons[0].tip = "Key: the abbreviations of this table";
  buttons[0].width = sx(30);
  buttons[1].code = kTableRestoreButton;
  buttons[1].text = "Restore";
  buttons[1].tip = "Restore: show every row and column again";
  buttons[1].width = sx(70);
  buttons[2].code = kTableCompareButton;
  buttons[2].text = "Compare";
  buttons[2].tip = "Compare: show only the selected rows and columns";
  buttons[2].width = sx(70);
  for (auto& b : buttons) b.height = sy(22);
  bar_->setListener(this);
  bar_->setButtons(buttons, sx(2), 768, QColor(255, 255, 255), QColor(192, 192, 192), 0);
}

TableViewer::~TableViewer() {
  delete bar_;
  delete window_;
}

bool TableViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!model_->show(object)) return false;
  window_->grid()->sourceChanged();
  window_->setGeometry(0, 0, 0, 0);
  addLayoutItem(window_, 4);
  addLayoutItem(bar_, 3);
  frame_->setTitle(model_->title());
  return true;
}

void TableViewer::afterLayout() {
  window_->grid()->relayout();
  // The arrow and page keys go to the grid.
  window_->grid()->setFocus(Qt::OtherFocusReason);
}

void TableViewer::act(const TableAction& action) {
  switch (action.kind) {
    case TableAction::Kind::Navigate:
      frame_->navigate(action.target, nullptr, 0, true);
      break;
    case TableAction::Kind::Redraw:
      window_->grid()->applyLayout();
      break;
    default:
      break;
  }
}

void TableViewer::buttonCommand(int code) { act(model_->command(code)); }

QJsonObject TableViewer::scriptState() const {
  QJsonObject o;
  TightCrtTable& t = model_->model();
  const TableGrid& grid = model_->grid();
  o["object"] = static_cast<qint64>(t.shownItem());
  o["rowCount"] = static_cast<qint64>(t.rowCount());
  o["columnCount"] = static_cast<qint64>(t.columnCount());
  QJsonArray cells;
  for (uint32_t v = 0; v < t.rowCount(); ++v) {
    QJsonArray row;
    for (uint32_t w = 0; w < t.columnCount(); ++w) {
      TableCell c;
      row.append(t.cellAt(v, w, c) ? QString::fromStdU16String(c.text) : QString());
    }
    cells.append(row);
  }
  o["cells"] = cells;
  QJsonArray rows, columns, widths;
  for (uint32_t r : grid.selectedRows()) rows.append(static_cast<qint64>(r));
  for (uint32_t c : grid.selectedColumns()) columns.append(static_cast<qint64>(c));
  for (uint32_t w = 0; w < t.columnCount(); ++w) widths.append(grid.columnWidth(t.columnAt(w)));
  o["selectedRows"] = rows;
  o["selectedColumns"] = columns;
  o["compare"] = grid.compareActive();
  o["scrollX"] = grid.scrollX();
  o["scrollY"] = grid.scrollY();
  o["rowHeight"] = grid.rowHeight();
  o["columnWidths"] = widths;
  o["scrollBars"] = grid.scrollBarMask();
  const FootnotePopup* popup = window_->grid()->popup();
  if (popup->lastWentToDialog()) {
    QJsonObject d;
    d["title"] = QString::fromStdU16String(popup->dialogTitle());
    d["text"] = QString::fromStdU16String(popup->dialogText());
    o["dialog"] = d;
  } else {
    o["dialog"] = QJsonValue::Null;
  }
  return o;
}

}  // namespace vantrel
