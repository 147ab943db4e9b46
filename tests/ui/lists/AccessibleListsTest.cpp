// What a screen reader and the keyboard get of the lists that draw their own
// rows: one list item per row shown, named by its plain text, the selected
// row marked, presses and keys doing what taps do.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>

#include "ui/lists/MarkupList.h"
#include "ui/lists/PagedList.h"
#include "ui/platform/Accessible.h"
#include "ui/tables/MarkupMenu.h"

namespace vantrel {
namespace {

void key(QWidget* w, int k, const QString& text = {}) {
  QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, text);
  QApplication::sendEvent(w, &e);
}

QStringList childNames(QAccessibleInterface* list) {
  QStringList out;
  for (int i = 0; i < list->childCount(); ++i) out << list->child(i)->text(QAccessible::Name);
  return out;
}

int selectedChild(QAccessibleInterface* list) {
  for (int i = 0; i < list->childCount(); ++i)
    if (list->child(i)->state().selected) return i;
  return -1;
}

void press(QAccessibleInterface* item) { item->actionInterface()->doAction(QAccessibleActionInterface::pressAction()); }

TEST(AccessibleLists, MarkupListRowsSelectionPressesAndKeys) {
  installAccessibleFactory();
  QWidget top;
  top.resize(240, 320);
  top.show();
  VectorItemSource src;
  src.add(u"<b>Amikacin</b> &amp; more", 10);
  for (int i = 1; i < 40; ++i) src.add(u"Row " + QString::number(i).toStdU16String(), static_cast<uint32_t>(10 + i));
  MarkupListPane pane(&top, &top, 96, 96);
  pane.setGeometry(0, 0, 200, 180);
  pane.show();
  pane.setup(false, u"", 0xFFFFFF, guideFontDescription(96), true, &src);
  pane.select(-1, true);
  std::vector<uint32_t> taps;
  pane.setListeners([&](MarkupListPane&, uint32_t r) { taps.push_back(r); }, nullptr);
  MarkupList* list = pane.list();

  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(list);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::List);
  const int shown = list->model().rowsPerPage();
  ASSERT_EQ(a->childCount(), shown);
  EXPECT_EQ(childNames(a).front(), "Amikacin & more");
  EXPECT_EQ(a->child(1)->role(), QAccessible::ListItem);
  EXPECT_EQ(a->indexOfChild(a->child(3)), 3);
  EXPECT_EQ(a->child(2), a->child(2)) << "the same row is the same object";
  EXPECT_EQ(selectedChild(a), -1);

  // Keys move the selection; the page follows by a line; Return opens it.
  key(list, Qt::Key_Down);
  EXPECT_EQ(list->model().selected(), 0);
  EXPECT_EQ(selectedChild(a), 0);
  for (int i = 0; i < shown; ++i) key(list, Qt::Key_Down);
  EXPECT_EQ(list->model().selected(), shown);
  EXPECT_EQ(list->model().firstRow(), 1);
  EXPECT_EQ(childNames(a).back(), "Row " + QString::number(shown));
  EXPECT_TRUE(taps.empty());
  key(list, Qt::Key_Return);
  EXPECT_EQ(taps, std::vector<uint32_t>{static_cast<uint32_t>(shown)});
  key(list, Qt::Key_End);
  EXPECT_EQ(list->model().selected(), 39);
  EXPECT_EQ(list->scrollBar()->value(), list->model().firstRow());

  // The press action is a tap: selected and reported.
  press(a->child(0));
  EXPECT_EQ(taps.back(), static_cast<uint32_t>(list->model().firstRow()));
  EXPECT_EQ(selectedChild(a), 0);
  EXPECT_TRUE(a->child(0)->rect().intersects(QRect(list->mapToGlobal(QPoint(0, 0)), list->size())));
}

struct Owner : ItemOwner {
  void itemChosen(PagedList&, uint32_t data) override { chosen.push_back(data); }
  void itemDoubleTapped(PagedList&) override {}
  std::vector<uint32_t> chosen;
};

TEST(AccessibleLists, PagedListEntriesCheckboxesAndTheSearchBoxAbove) {
  installAccessibleFactory();
  QWidget top;
  top.resize(240, 320);
  top.show();
  PagedList list(&top, true, 96, 96);
  list.setGeometry(0, 0, 240, 200);
  list.show();
  VectorItemSource src;
  for (int i = 0; i < 30; ++i) src.add(u"Note " + QString::number(i).toStdU16String(), static_cast<uint32_t>(500 + i));
  Owner owner;
  list.setOwner(&owner);
  HeaderSettings hs;
  hs.text = "Notes";
  list.setSource(hs, list.listFont(), &src);
  list.reload(true);

  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(list.view());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::List);
  ASSERT_EQ(a->childCount(), list.measurePage());
  EXPECT_EQ(childNames(a)[2], "Note 2");
  QAccessibleInterface* third = a->child(2);
  EXPECT_TRUE(third->state().checkable);
  EXPECT_FALSE(third->state().checked);
  third->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(third->state().checked);
  EXPECT_TRUE(owner.chosen.empty()) << "toggling chooses nothing";
  press(third);
  EXPECT_EQ(owner.chosen, std::vector<uint32_t>{502});

  // A search box above the list hands it the moving keys and Return; the
  // text keeps going to the box.
  InputPanelEdit edit(&top, nullptr, nullptr);
  edit.setListKeys([&](QKeyEvent* e) { return list.handleKey(e); });
  key(&edit, Qt::Key_Down);
  EXPECT_EQ(list.model().selectedIndex(), 3);
  key(&edit, Qt::Key_PageDown);
  EXPECT_GT(list.model().selectedIndex(), 3);
  EXPECT_GE(list.model().selectedRow(), 0) << "the selection stays on the page";
  key(&edit, Qt::Key_Space, " ");
  key(&edit, Qt::Key_A, "a");
  EXPECT_EQ(edit.text(), " a");
  key(&edit, Qt::Key_Return);
  EXPECT_EQ(owner.chosen.back(), 500u + static_cast<uint32_t>(list.model().selectedIndex()));
}

TEST(AccessibleLists, MarkupMenuItemsArePressable) {
  installAccessibleFactory();
  QWidget owner;
  MenuHost host(&owner, 96, 96);
  VectorItemSource src({{u"<i>Penicillins</i>", 1}, {u"Home", 2}});
  host.fill(src);
  std::vector<int> chosen;
  host.setChosenHandler([&](int i) { chosen.push_back(i); });
  host.track(0, 10, 10);
  MarkupMenu* menu = host.menu();
  ASSERT_NE(menu, nullptr);
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(menu);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::List);
  EXPECT_EQ(childNames(a), (QStringList{"Penicillins", "Home"}));
  key(menu, Qt::Key_End);
  EXPECT_EQ(selectedChild(a), 1);
  press(a->child(0));
  EXPECT_EQ(chosen, std::vector<int>{0});
}

}  // namespace
}  // namespace vantrel
