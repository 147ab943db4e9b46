#include "ui/platform/Accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>
#include <map>

namespace vantrel {

namespace {

// Children made on demand are registered with Qt (which hands out their ids)
// and kept by key, so a screen reader asking twice gets the same object.
// Only those near the view are kept once many were made.
template <typename Key>
class ChildCache {
 public:
  ~ChildCache() { clear(); }
  template <typename Make>
  QAccessibleInterface* get(const Key& key, Make make) {
    auto it = ids_.find(key);
    if (it != ids_.end()) return QAccessible::accessibleInterface(it->second);
    QAccessibleInterface* made = make();
    ids_[key] = QAccessible::registerAccessibleInterface(made);
    return made;
  }
  // Drops every child for which keep answers false, once more than limit are kept.
  template <typename Keep>
  void prune(size_t limit, Keep keep) {
    if (ids_.size() <= limit) return;
    for (auto it = ids_.begin(); it != ids_.end();) {
      if (keep(it->first)) {
        ++it;
      } else {
        QAccessible::deleteAccessibleInterface(it->second);
        it = ids_.erase(it);
      }
    }
  }
  void clear() {
    for (auto& [key, id] : ids_) QAccessible::deleteAccessibleInterface(id);
    ids_.clear();
  }

 private:
  std::map<Key, QAccessible::Id> ids_;
};

QRect toGlobal(const QWidget* w, const QRect& local) {
  if (!w || local.isEmpty()) return {};
  return QRect(w->mapToGlobal(local.topLeft()), local.size());
}

// A child drawn by its window: no object of its own, one press action.
class DrawnChild : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  explicit DrawnChild(QWidget* window) : window_(window) {}
  bool isValid() const override { return !window_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
  QAccessibleInterface* parent() const override {
    return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override { return toGlobal(window_, localRect()); }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!window_ || !window_->isVisible()) {
      s.invisible = true;
    } else if (localRect().isEmpty()) {
      s.offscreen = true;
    }
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 protected:
  virtual QRect localRect() const = 0;
  QPointer<QWidget> window_;
};

// ---- lists ----

class RowItem : public DrawnChild {
 public:
  RowItem(QWidget* w, AccessibleRows* rows, int row) : DrawnChild(w), rows_(rows), row_(row) {}
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && window_ ? rows_->accessibleRowText(row_) : QString();
  }
  QAccessible::State state() const override {
    QAccessible::State s = DrawnChild::state();
    if (!window_) return s;
    s.selectable = true;
    s.focusable = true;
    s.selected = rows_->accessibleRowSelected(row_);
    s.focused = s.selected && window_->hasFocus();
    const int checked = rows_->accessibleRowChecked(row_);
    if (checked >= 0) {
      s.checkable = true;
      s.checked = checked == 1;
    }
    return s;
  }
  QStringList actionNames() const override {
    if (window_ && rows_->accessibleRowChecked(row_) >= 0) return {pressAction(), toggleAction()};
    return {pressAction()};
  }
  void doAction(const QString& name) override {
    if (!window_) return;
    if (name == pressAction()) rows_->accessiblePressRow(row_, false);
    else if (name == toggleAction() && rows_->accessibleRowChecked(row_) >= 0) rows_->accessiblePressRow(row_, true);
  }
  int row() const { return row_; }

 protected:
  QRect localRect() const override { return window_ ? rows_->accessibleRowRect(row_) : QRect(); }

 private:
  AccessibleRows* rows_;
  int row_;
};

class RowList : public QAccessibleWidget {
 public:
  RowList(QWidget* w, AccessibleRows* rows) : QAccessibleWidget(w, QAccessible::List), rows_(rows) {}
  int childCount() const override { return std::max(0, rows_->accessibleRowsShown()); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    const int first = rows_->accessibleFirstRow();
    const int shown = childCount();
    cache_.prune(256, [&](int row) { return row >= first && row < first + shown; });
    const int row = first + index;
    return cache_.get(row, [&] { return new RowItem(widget(), rows_, row); });
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* item = dynamic_cast<const RowItem*>(child);
    if (!item) return -1;
    const int i = item->row() - rows_->accessibleFirstRow();
    return i >= 0 && i < childCount() ? i : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (int i = 0; i < childCount(); ++i) {
      QAccessibleInterface* c = child(i);
      if (c && c->rect().contains(x, y)) return c;
    }
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    for (int i = 0; i < childCount(); ++i)
      if (rows_->accessibleRowSelected(rows_->accessibleFirstRow() + i)) return child(i);
    return nullptr;
  }

 private:
  AccessibleRows* rows_;
  mutable ChildCache<int> cache_;
};

// ---- hot spots ----

class SpotButton : public DrawnChild {
 public:
  SpotButton(QWidget* w, AccessibleHotSpots* spots, int spot) : DrawnChild(w), spots_(spots), spot_(spot) {}
  QAccessible::Role role() const override { return QAccessible::Button; }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && window_ ? spots_->accessibleSpotName(spot_) : QString();
  }
  QAccessible::State state() const override {
    QAccessible::State s = DrawnChild::state();
    s.focusable = true;
    return s;
  }
  void doAction(const QString& name) override {
    if (window_ && name == pressAction()) spots_->accessiblePressSpot(spot_);
  }
  int spot() const { return spot_; }

 protected:
  QRect localRect() const override { return window_ ? spots_->accessibleSpotRect(spot_) : QRect(); }

 private:
  AccessibleHotSpots* spots_;
  int spot_;
};

class SpotPicture : public QAccessibleWidget {
 public:
  SpotPicture(QWidget* w, AccessibleHotSpots* spots) : QAccessibleWidget(w, QAccessible::Client), spots_(spots) {}
  int childCount() const override { return spots_->accessibleSpotCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    return cache_.get(index, [&] { return new SpotButton(widget(), spots_, index); });
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* b = dynamic_cast<const SpotButton*>(child);
    return b && b->spot() < childCount() ? b->spot() : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (int i = 0; i < childCount(); ++i)
      if (QAccessibleInterface* c = child(i); c && c->rect().contains(x, y)) return c;
    return nullptr;
  }

 private:
  AccessibleHotSpots* spots_;
  mutable ChildCache<int> cache_;
};

// ---- tables ----

class GridTable;

class GridCell : public DrawnChild, public QAccessibleTableCellInterface {
 public:
  GridCell(QWidget* w, AccessibleGrid* grid, int row, int column)
      : DrawnChild(w), grid_(grid), row_(row), column_(column) {}
  QAccessible::Role role() const override {
    if (row_ == 0) return QAccessible::ColumnHeader;
    if (column_ == 0) return QAccessible::RowHeader;
    return QAccessible::Cell;
  }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && window_ ? grid_->accessibleCellText(row_, column_) : QString();
  }
  QAccessible::State state() const override {
    QAccessible::State s = DrawnChild::state();
    if (!window_) return s;
    s.selectable = true;
    s.focusable = true;
    s.selected = isSelected();
    const QPoint cursor = grid_->accessibleCursor();
    s.focused = window_->hasFocus() && cursor == QPoint(column_, row_);
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    return DrawnChild::interface_cast(t);
  }
  void doAction(const QString& name) override {
    if (window_ && name == pressAction()) grid_->accessiblePressCell(row_, column_);
  }
  bool isSelected() const override;
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override;
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 protected:
  QRect localRect() const override { return window_ ? grid_->accessibleCellRect(row_, column_) : QRect(); }

 private:
  AccessibleGrid* grid_;
  int row_, column_;
};

class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  GridTable(QWidget* w, AccessibleGrid* grid) : QAccessibleWidget(w, QAccessible::Table), grid_(grid) {}
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  int childCount() const override { return rowCount() * columnCount(); }
  QAccessibleInterface* child(int index) const override {
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount()) return nullptr;
    return cellAt(index / columns, index % columns);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (!cell || cell->table() != this) return -1;
    return cell->rowIndex() * columnCount() + cell->columnIndex();
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
    for (int r = 0; r < rowCount(); ++r)
      for (int c = 0; c < columnCount(); ++c)
        if (grid_->accessibleCellRect(r, c).contains(local)) return cellAt(r, c);
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    const QPoint cursor = grid_->accessibleCursor();
    return cursor.x() >= 0 ? cellAt(cursor.y(), cursor.x()) : nullptr;
  }

  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
    cache_.prune(4096, [&](const std::pair<int, int>& k) {
      return !grid_->accessibleCellRect(k.first, k.second).isEmpty();
    });
    return cache_.get({row, column}, [&] { return new GridCell(widget(), grid_, row, column); });
  }
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> out;
    for (int r = 0; r < rowCount(); ++r)
      for (int c = 0; c < columnCount(); ++c)
        if (grid_->accessibleCellSelected(r, c)) out.append(cellAt(r, c));
    return out;
  }
  QString columnDescription(int column) const override { return grid_->accessibleCellText(0, column); }
  QString rowDescription(int row) const override { return grid_->accessibleCellText(row, 0); }
  int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }
  int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
  int columnCount() const override { return std::max(0, grid_->accessibleColumnCount()); }
  int rowCount() const override { return std::max(0, grid_->accessibleRowCount()); }
  QList<int> selectedColumns() const override {
    QList<int> out;
    for (int c = 1; c < columnCount(); ++c)
      if (isColumnSelected(c)) out.append(c);
    return out;
  }
  QList<int> selectedRows() const override {
    QList<int> out;
    for (int r = 1; r < rowCount(); ++r)
      if (isRowSelected(r)) out.append(r);
    return out;
  }
  // A whole column is selected when its body cells are (row 0 is the heading).
  bool isColumnSelected(int column) const override {
    return rowCount() > 1 && grid_->accessibleCellSelected(0, column) && grid_->accessibleCellSelected(1, column) &&
           grid_->accessibleCellSelected(rowCount() - 1, column);
  }
  bool isRowSelected(int row) const override {
    return columnCount() > 1 && grid_->accessibleCellSelected(row, 0) &&
           grid_->accessibleCellSelected(row, columnCount() - 1);
  }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { cache_.clear(); }

 private:
  AccessibleGrid* grid_;
  mutable ChildCache<std::pair<int, int>> cache_;
};

bool GridCell::isSelected() const { return window_ && grid_->accessibleCellSelected(row_, column_); }

QList<QAccessibleInterface*> GridCell::columnHeaderCells() const {
  auto* t = parent() ? parent()->tableInterface() : nullptr;
  if (!t || row_ == 0) return {};
  return {t->cellAt(0, column_)};
}

QList<QAccessibleInterface*> GridCell::rowHeaderCells() const {
  auto* t = parent() ? parent()->tableInterface() : nullptr;
  if (!t || column_ == 0) return {};
  return {t->cellAt(row_, 0)};
}

// ---- one role, one name ----

class Labelled : public QAccessibleWidget {
 public:
  Labelled(QWidget* w, AccessibleLabel* label) : QAccessibleWidget(w, label->accessibleRole()), label_(label) {}
  QAccessible::Role role() const override { return label_->accessibleRole(); }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      const QString own = widget()->accessibleName();
      return own.isEmpty() ? label_->accessibleName() : own;
    }
    if (t == QAccessible::Description) {
      const QString text = label_->accessibleText();
      return text.isEmpty() ? QAccessibleWidget::text(t) : text;
    }
    return QAccessibleWidget::text(t);
  }

 private:
  AccessibleLabel* label_;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
  if (auto* rows = dynamic_cast<AccessibleRows*>(w)) return new RowList(w, rows);
  if (auto* spots = dynamic_cast<AccessibleHotSpots*>(w)) return new SpotPicture(w, spots);
  if (auto* grid = dynamic_cast<AccessibleGrid*>(w)) return new GridTable(w, grid);
  if (auto* label = dynamic_cast<AccessibleLabel*>(w)) return new Labelled(w, label);
  return nullptr;
}

void send(QWidget* window, QAccessible::Event type, int child = -1) {
  if (!window || !QAccessible::isActive()) return;
  QAccessibleEvent event(window, type);
  if (child >= 0) event.setChild(child);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

void installAccessibleFactory() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(factory);
}

void announceSelection(QWidget* window, int child) {
  if (child < 0) return;
  if (window && window->hasFocus()) send(window, QAccessible::Focus, child);
  send(window, QAccessible::Selection, child);
}

void announceReorder(QWidget* window) { send(window, QAccessible::ObjectReorder); }

void announceShown(QWidget* window) {
  send(window, QAccessible::ObjectShow);
  send(window, QAccessible::NameChanged);
}

}  // namespace vantrel
