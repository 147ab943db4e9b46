#pragma once
// The tree pane: a title header over a tree control filled lazily from a
// HierarchySource. An entry with entries under it starts with one empty
// placeholder child; its entries replace the placeholder the first time it
// is expanded, so a large hierarchy costs only its expanded branches. The
// pane highlights the tapped entry itself (the control's own selection is
// switched off) and tells its owner about taps on an entry's label.
#include <QTreeWidget>
#include <string>
#include <vector>

#include "core/hierarchy/HierarchySource.h"
#include "ui/tables/TitleHeader.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class HierarchyTreePane;

class HierarchyPaneOwner {
 public:
  virtual ~HierarchyPaneOwner() = default;
  virtual void onEntryTapped(HierarchyTreePane& pane, ObjectIndex object, bool leaf) = 0;
};

// The tree control (child id 100): reports left-button presses on an item's
// icon or label to its pane.
class HierarchyTree : public QTreeWidget {
 public:
  HierarchyTree(QWidget* parent, HierarchyTreePane& pane);
  // Where a tap on the item counts (viewport coordinates): its icon and label.
  QRect labelRect(QTreeWidgetItem* item) const;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  // Return opens the current item as a tap on it does; the arrows, pages,
  // Home and End move and Right and Left expand and collapse, as the
  // standard tree does.
  void keyPressEvent(QKeyEvent* e) override;
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

 private:
  HierarchyTreePane& pane_;
};

// One row of the tree as shown, for scripted runs and tests.
struct TreeRow {
  std::u16string text;
  ObjectIndex object = 0;
  int depth = 0;
  bool expanded = false;
  bool leaf = true;
  int x = 0, y = 0, h = 0;  // in the coordinates of the widget asked for
  bool inView = false;      // false: scrolled out of view
};

class HierarchyTreePane : public HeaderedWindow, public Rescalable {
 public:
  static constexpr int kTreeId = 100;

  HierarchyTreePane(QWidget* parent, ScreenDpi dpi, const char* kindName = "tree");
  HierarchyTreePane(QWidget* parent, int dpiX, int dpiY, const char* kindName = "tree")
      : HierarchyTreePane(parent, ScreenDpi(dpiX, dpiY), kindName) {}

  // Header (caption) with the settings of a tree pane, the source and the
  // tree's font. A pane inside another titled window passes showHeader false.
  void setupPane(const std::u16string& caption, const HierarchySource* source, bool showHeader = true);
  void setOwner(HierarchyPaneOwner* owner) { owner_ = owner; }
  // Rebuilds the tree with object's entries as the top-level items.
  void setRoot(ObjectIndex object);
  // Finds, or opens the path to, object's item; scrolls it to the top,
  // highlights it and, when asked, expands it. False (tree unchanged,
  // nothing highlighted) when the object cannot be found.
  bool showObject(ObjectIndex object, bool expand);
  // Expands or collapses the item of object among the items shown now (as
  // a tap on its expand button); false when no such item is shown.
  bool setExpanded(ObjectIndex object, bool expanded);
  // Scrolls again to the item showObject found, once the pane has its size.
  void applyPendingScroll();
  // A tap on an item's label (the tree reports them; tests call it too).
  void itemTapped(QTreeWidgetItem* item);
  // The indentation, the header and the tree's font at the resolution read
  // now; the items, their expansion and the first item shown stay.
  void rescale() override;

  HierarchyTree* tree() const { return tree_; }
  const HierarchySource* source() const { return source_; }
  ObjectIndex highlighted() const;
  ObjectIndex firstVisible() const;
  // Items whose ancestors are all expanded, top to bottom, with rectangles
  // in relativeTo's coordinates (the tree's when null).
  std::vector<TreeRow> rows(const QWidget* relativeTo = nullptr) const;
  // Items that exist (placeholders included).
  size_t itemCount() const;
  // How many items were ever created (for tests of the lazy filling).
  uint64_t itemsCreated() const { return created_; }
  bool ready() const { return ready_; }
  static ObjectIndex objectOf(const QTreeWidgetItem* item);
  static bool leafOf(const QTreeWidgetItem* item);

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  QTreeWidgetItem* makeItem(const HierarchyEntry& entry);
  void addChildren(QTreeWidgetItem* parent, const std::vector<HierarchyEntry>& entries);
  void fill(QTreeWidgetItem* item);
  void highlight(QTreeWidgetItem* item);
  void clearHighlight();
  QTreeWidgetItem* findLoaded(ObjectIndex object) const;
  QTreeWidgetItem* findChild(QTreeWidgetItem* parent, ObjectIndex object) const;
  void scrollToTop(QTreeWidgetItem* item);
  void placeTree();
  void applyDpi();

  ScreenDpi dpi_;
  std::u16string caption_;
  bool showHeader_ = true;
  bool paneSetUp_ = false;
  HierarchyTree* tree_;
  const HierarchySource* source_ = nullptr;
  HierarchyPaneOwner* owner_ = nullptr;
  QTreeWidgetItem* highlighted_ = nullptr;
  QTreeWidgetItem* pendingScroll_ = nullptr;
  bool ready_ = true;
  uint64_t generation_ = 0;  // counts rebuilds, so a tap knows its item survived
  uint64_t created_ = 0;
};

}  // namespace vantrel
