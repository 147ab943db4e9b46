#include "ui/hierarchy/HierarchyTreePane.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <deque>

#include "core/platform/DrawingSurface.h"
#include "ui/platform/QtSurface.h"

namespace vantrel {

namespace {

constexpr int kObjectRole = Qt::UserRole;
constexpr int kLeafRole = Qt::UserRole + 1;
constexpr int kFilledRole = Qt::UserRole + 2;

const QColor kHighlightBack(10, 36, 106);
const QColor kHighlightText(255, 255, 255);
const QColor kLines(128, 128, 128);

QString qs(const std::u16string& s) { return QString::fromStdU16String(s); }

int depthOf(const QTreeWidgetItem* item) {
  int d = 0;
  for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent()) ++d;
  return d;
}

}  // namespace

HierarchyTree::HierarchyTree(QWidget* parent, HierarchyTreePane& pane) : QTreeWidget(parent), pane_(pane) {
  setProperty("childId", HierarchyTreePane::kTreeId);
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::NoSelection);
  setExpandsOnDoubleClick(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void HierarchyTree::mousePressEvent(QMouseEvent* e) {
  // Only the pen (the left button) taps; other buttons do nothing here.
  if (e->button() != Qt::LeftButton) {
    e->accept();
    return;
  }
  // The control handles the press first: on an expand button it expands or
  // collapses the item and that is all.
  QTreeWidget::mousePressEvent(e);
  const QPoint p = e->position().toPoint();
  QTreeWidgetItem* item = itemAt(p);
  if (item && labelRect(item).contains(p)) pane_.itemTapped(item);
}

QRect HierarchyTree::labelRect(QTreeWidgetItem* item) const {
  // The item's icon and text as drawn, with the style's text margins: not
  // the indentation and the button left of it, nor the blank row past it.
  const QRect row = visualItemRect(item);
  if (!row.isValid()) return QRect();
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  const QVariant font = item->data(0, Qt::FontRole);
  const QFontMetrics fm(font.isValid() ? font.value<QFont>() : this->font());
  int width = fm.size(0, item->text(0)).width() + 2 * margin;
  if (!item->icon(0).isNull()) width += iconSize().width() + margin;
  return QRect(row.left(), row.top(), std::min(width, row.width()), row.height());
}

void HierarchyTree::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
    pane_.itemTapped(currentItem());
    return;
  }
  QTreeWidget::keyPressEvent(e);
}

void HierarchyTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
  // Dotted connecting lines (the root's included) and a boxed plus or minus
  // on every item that has children.
  const int ind = indentation();
  QTreeWidgetItem* item = itemFromIndex(index);
  if (!item) return;
  painter->save();
  painter->fillRect(rect, palette().base());
  QPen dotted(kLines, 1, Qt::DotLine);
  painter->setPen(dotted);
  const int x = rect.right() + 1 - ind;
  const int cx = x + ind / 2;
  const int midY = rect.top() + rect.height() / 2;
  const bool hasNext = index.sibling(index.row() + 1, 0).isValid();
  painter->drawLine(cx, rect.top(), cx, hasNext ? rect.bottom() : midY);
  painter->drawLine(cx, midY, x + ind - 2, midY);
  int ax = x - ind;
  for (QModelIndex a = index.parent(); a.isValid(); a = a.parent(), ax -= ind) {
    if (a.sibling(a.row() + 1, 0).isValid()) painter->drawLine(ax + ind / 2, rect.top(), ax + ind / 2, rect.bottom());
  }
  if (item->childCount() > 0) {
    const int box = std::max(9, (ind * 9) / 19) | 1;
    const QRect b(cx - box / 2, midY - box / 2, box - 1, box - 1);
    painter->setPen(QPen(kLines, 1));
    painter->setBrush(Qt::white);
    painter->drawRect(b);
    painter->setPen(QPen(Qt::black, 1));
    const int arm = box / 2 - 2;
    painter->drawLine(cx - arm, midY, cx + arm, midY);
    if (!item->isExpanded()) painter->drawLine(cx, midY - arm, cx, midY + arm);
  }
  painter->restore();
}

HierarchyTreePane::HierarchyTreePane(QWidget* parent, ScreenDpi dpi, const char* kindName)
    : HeaderedWindow(parent, kindName, dpi), dpi_(dpi), tree_(new HierarchyTree(this, *this)) {
  applyDpi();
  QObject::connect(tree_, &QTreeWidget::itemExpanded, tree_, [this](QTreeWidgetItem* item) { fill(item); });
}

void HierarchyTreePane::setupPane(const std::u16string& caption, const HierarchySource* source, bool showHeader) {
  caption_ = caption;
  showHeader_ = showHeader;
  paneSetUp_ = true;
  source_ = source;
  applyDpi();
}

void HierarchyTreePane::rescale() { applyDpi(); }

void HierarchyTreePane::applyDpi() {
  tree_->setIndentation(dpi_.sx(19));
  if (!paneSetUp_) return;
  const QFont font = QtSurface::qfontFor(guideFontDescription(dpi_.y()));
  HeaderSettings s;
  s.shown = showHeader_;
  s.text = qs(caption_);
  s.textColour = QColor(255, 255, 255);
  s.alignment = 1;
  s.font = font;
  s.background = QColor(0, 0, 0);
  s.collapsed = true;
  setupHeader(s);
  // Setting a font lays the whole tree out again: only when it changes, not
  // on every navigation that shows the pane.
  if (!tree_->testAttribute(Qt::WA_SetFont) || tree_->font() != font) tree_->setFont(font);
  placeTree();
}

QTreeWidgetItem* HierarchyTreePane::makeItem(const HierarchyEntry& entry) {
  auto* item = new QTreeWidgetItem();
  ++created_;
  item->setText(0, qs(entry.text));
  item->setData(0, kObjectRole, static_cast<qulonglong>(entry.object));
  const bool leaf = source_->isLeaf(entry.object);
  item->setData(0, kLeafRole, leaf);
  if (!leaf) {
    // Filled with the entry's own entries when first expanded.
    item->addChild(new QTreeWidgetItem());
    ++created_;
  }
  return item;
}

void HierarchyTreePane::addChildren(QTreeWidgetItem* parent, const std::vector<HierarchyEntry>& entries) {
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(entries.size()));
  for (const HierarchyEntry& e : entries) items.append(makeItem(e));
  if (parent) {
    parent->addChildren(items);
  } else {
    tree_->addTopLevelItems(items);
  }
}

void HierarchyTreePane::setRoot(ObjectIndex object) {
  tree_->setUpdatesEnabled(false);
  ready_ = false;
  highlighted_ = nullptr;
  pendingScroll_ = nullptr;
  ++generation_;
  tree_->clear();
  ready_ = true;
  tree_->setFocus();
  if (source_) addChildren(nullptr, source_->listChildren(object));
  tree_->setUpdatesEnabled(true);
}

void HierarchyTreePane::fill(QTreeWidgetItem* item) {
  if (!item || item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  tree_->setFocus();
  if (item->childCount() == 0 || !item->child(0)->text(0).isEmpty() || !source_) return;
  delete item->takeChild(0);
  addChildren(item, source_->listChildren(objectOf(item)));
}

ObjectIndex HierarchyTreePane::objectOf(const QTreeWidgetItem* item) {
  return item ? static_cast<ObjectIndex>(item->data(0, kObjectRole).toULongLong()) : 0;
}

bool HierarchyTreePane::leafOf(const QTreeWidgetItem* item) { return !item || item->data(0, kLeafRole).toBool(); }

void HierarchyTreePane::clearHighlight() {
  if (!highlighted_) return;
  highlighted_->setData(0, Qt::BackgroundRole, QVariant());
  highlighted_->setData(0, Qt::ForegroundRole, QVariant());
  highlighted_ = nullptr;
}

void HierarchyTreePane::highlight(QTreeWidgetItem* item) {
  clearHighlight();
  if (!item) return;
  item->setBackground(0, kHighlightBack);
  item->setForeground(0, kHighlightText);
  highlighted_ = item;
}

ObjectIndex HierarchyTreePane::highlighted() const { return objectOf(highlighted_); }

void HierarchyTreePane::itemTapped(QTreeWidgetItem* item) {
  if (!item) return;
  highlight(item);
  if (!ready_) return;
  const ObjectIndex object = objectOf(item);
  const bool leaf = source_ ? source_->isLeaf(object) : true;
  const uint64_t generation = generation_;
  if (owner_) owner_->onEntryTapped(*this, object, leaf);
  // The owner may have rebuilt the tree (a leaf that leads to another
  // hierarchy): the item is gone then.
  if (!leaf && generation == generation_) item->setExpanded(true);
}

QTreeWidgetItem* HierarchyTreePane::findLoaded(ObjectIndex object) const {
  std::deque<QTreeWidgetItem*> queue;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* top = tree_->topLevelItem(i);
    if (objectOf(top) == object) return top;
    queue.push_back(top);
  }
  while (!queue.empty()) {
    QTreeWidgetItem* parent = queue.front();
    queue.pop_front();
    for (int i = 0; i < parent->childCount(); ++i) {
      QTreeWidgetItem* c = parent->child(i);
      if (c->text(0).isEmpty() && objectOf(c) == 0) continue;  // a placeholder
      if (objectOf(c) == object) return c;
      queue.push_back(c);
    }
  }
  return nullptr;
}

QTreeWidgetItem* HierarchyTreePane::findChild(QTreeWidgetItem* parent, ObjectIndex object) const {
  const int n = parent ? parent->childCount() : tree_->topLevelItemCount();
  for (int i = 0; i < n; ++i) {
    QTreeWidgetItem* c = parent ? parent->child(i) : tree_->topLevelItem(i);
    if (objectOf(c) == object && !(c->text(0).isEmpty() && object == 0)) return c;
  }
  return nullptr;
}

bool HierarchyTreePane::showObject(ObjectIndex object, bool expand) {
  clearHighlight();
  QTreeWidgetItem* item = findLoaded(object);
  if (!item && source_) {
    const std::vector<ObjectIndex> path = source_->pathTo(object);
    if (path.size() >= 2) {
      item = findChild(nullptr, path[1]);
      for (size_t i = 2; item && i < path.size(); ++i) {
        item->setExpanded(true);
        fill(item);  // also when the control holds the expansion back
        item = findChild(item, path[i]);
      }
    }
  }
  if (!item || objectOf(item) != object) return false;
  scrollToTop(item);
  highlight(item);
  if (expand) {
    item->setExpanded(true);
    fill(item);
  }
  return true;
}

bool HierarchyTreePane::setExpanded(ObjectIndex object, bool expanded) {
  for (const TreeRow& r : rows()) {
    if (r.object != object) continue;
    QTreeWidgetItem* item = findLoaded(object);
    if (!item) return false;
    item->setExpanded(expanded);
    return true;
  }
  return false;
}

void HierarchyTreePane::scrollToTop(QTreeWidgetItem* item) {
  pendingScroll_ = item;
  tree_->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void HierarchyTreePane::applyPendingScroll() {
  if (!pendingScroll_) return;
  tree_->scrollToItem(pendingScroll_, QAbstractItemView::PositionAtTop);
  pendingScroll_ = nullptr;
}

ObjectIndex HierarchyTreePane::firstVisible() const {
  QTreeWidgetItem* item = tree_->itemAt(QPoint(1, 1));
  return objectOf(item);
}

std::vector<TreeRow> HierarchyTreePane::rows(const QWidget* relativeTo) const {
  std::vector<TreeRow> out;
  const QRect view = tree_->viewport()->rect();
  const QWidget* viewport = tree_->viewport();
  auto visit = [&](auto&& self, QTreeWidgetItem* item) -> void {
    TreeRow r;
    r.text = item->text(0).toStdU16String();
    r.object = objectOf(item);
    r.depth = depthOf(item);
    r.expanded = item->isExpanded();
    r.leaf = leafOf(item);
    const QRect rect = tree_->visualItemRect(item);
    const QPoint at =
        relativeTo ? relativeTo->mapFromGlobal(viewport->mapToGlobal(rect.topLeft())) : viewport->mapTo(tree_, rect.topLeft());
    r.x = at.x();
    r.y = at.y();
    r.h = rect.height();
    r.inView = rect.isValid() && rect.intersects(view);
    out.push_back(std::move(r));
    if (!item->isExpanded()) return;
    for (int i = 0; i < item->childCount(); ++i) self(self, item->child(i));
  };
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) visit(visit, tree_->topLevelItem(i));
  return out;
}

size_t HierarchyTreePane::itemCount() const {
  size_t n = 0;
  auto count = [&](auto&& self, QTreeWidgetItem* item) -> void {
    ++n;
    for (int i = 0; i < item->childCount(); ++i) self(self, item->child(i));
  };
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) count(count, tree_->topLevelItem(i));
  return n;
}

void HierarchyTreePane::placeTree() {
  const int h = contentTop();
  tree_->setGeometry(0, h, width(), std::max(0, height() - h));
}

void HierarchyTreePane::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  placeTree();
}

}  // namespace vantrel
