#include "core/tables/TableViewerModel.h"

#include "core/content/ContentQueries.h"

namespace vantrel {

TableViewerModel::TableViewerModel(const ContentDatabase& database, ScreenDpi dpi)
    : db_(database), model_(database), grid_(dpi), painter_(grid_, dpi) {}

void TableViewerModel::rescale() {
  painter_.rescale();
  grid_.rescale(painter_.font().height);
}

bool TableViewerModel::show(ObjectIndex x) {
  if (!model_.accepts(x)) return false;
  model_.buildTable(x, kHeadingColourA, kHeadingColourB);
  title_.clear();
  textOf(db_, x, title_);
  grid_.setSource(&model_, painter_.font().height);
  // The table was built anew with everything visible: Compare is over.
  grid_.setCompareActive(false);
  return true;
}

bool TableViewerModel::compare() {
  if (grid_.selectedRows().empty() || grid_.selectedColumns().empty()) return false;
  grid_.setCompareActive(true);
  model_.compareSelection(grid_.selectedRows(), grid_.selectedColumns());
  grid_.clearSelection();
  grid_.relayout();
  return true;
}

bool TableViewerModel::restore() {
  if (!grid_.compareActive()) return false;
  grid_.setCompareActive(false);
  model_.restoreAll();
  grid_.clearSelection();
  grid_.relayout();
  return true;
}

TableAction TableViewerModel::command(int id) {
  TableAction action;
  switch (id) {
    case kTableKeyButton:
      action.kind = TableAction::Kind::Navigate;
      action.target = model_.keyObject();
      break;
    case kTableRestoreButton:
      if (restore()) action.kind = TableAction::Kind::Redraw;
      break;
    case kTableCompareButton:
      if (compare()) action.kind = TableAction::Kind::Redraw;
      break;
    default:
      break;
  }
  return action;
}

TableAction TableViewerModel::tap(int x, int y) { return actionFor(grid_.tap(x, y)); }

TableAction TableViewerModel::press(uint32_t row, uint32_t column) { return actionFor(grid_.press(row, column)); }

TableAction TableViewerModel::actionFor(GridTap t) {
  TableAction action;
  switch (t.kind) {
    case GridTap::Kind::Nothing:
      break;
    case GridTap::Kind::Link:
      action.kind = TableAction::Kind::Navigate;
      action.target = t.target;
      break;
    case GridTap::Kind::SelectionChanged:
      action.kind = TableAction::Kind::Redraw;
      break;
    case GridTap::Kind::Popup:
      action.kind = TableAction::Kind::Popup;
      action.anchor = t.anchor;
      if (t.cellPopup) {
        model_.cellPopupText(t.key, action.text);
      } else {
        action.text = std::move(t.text);
      }
      break;
  }
  return action;
}

}  // namespace vantrel
