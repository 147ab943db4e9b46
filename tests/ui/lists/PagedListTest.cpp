// The paged list window: taps on the text and on the checkbox, paging from
// the scroll bar, and the edit field that raises the keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "ui/lists/PagedList.h"

namespace vantrel {
namespace {

struct RecordingOwner : ItemOwner {
  void itemChosen(PagedList&, uint32_t data) override { chosen.push_back(data); }
  void itemDoubleTapped(PagedList&) override { ++doubles; }
  std::vector<uint32_t> chosen;
  int doubles = 0;
};

void click(QWidget* w, QPoint p, bool dbl = false) {
  QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &release);
  if (dbl) {
    QMouseEvent d(QEvent::MouseButtonDblClick, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &d);
  }
}

VectorItemSource numbered(int n) {
  VectorItemSource src;
  for (int i = 0; i < n; ++i) src.add(u"Entry " + QString::number(i).toStdU16String(), static_cast<uint32_t>(500 + i));
  return src;
}

TEST(PagedList, CheckboxTapsToggleAndTextTapsChoose) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  PagedList list(&top, true, 96, 96);
  list.setGeometry(0, 0, 240, 200);
  list.show();
  VectorItemSource src = numbered(40);
  RecordingOwner owner;
  list.setOwner(&owner);
  HeaderSettings hs;
  hs.text = "Bookmarks";
  list.setSource(hs, list.listFont(), &src);
  list.reload(true);
  PagedListView* view = list.view();
  const int page = list.measurePage();
  ASSERT_GT(page, 3);
  EXPECT_EQ(static_cast<int>(list.model().entries().size()), page);
  EXPECT_GE(view->y(), list.header()->neededHeight()) << "the list starts below the header";
  const int h = view->rowHeight();

  click(view, QPoint(view->checkboxWidth() / 2, h * 2 + h / 2));
  EXPECT_TRUE(owner.chosen.empty()) << "a checkbox tap chooses nothing";
  EXPECT_EQ(list.model().checked(), (std::vector<uint32_t>{502}));
  click(view, QPoint(120, h + h / 2));
  EXPECT_EQ(owner.chosen, (std::vector<uint32_t>{501}));
  EXPECT_EQ(list.selectedData(), 501);
  EXPECT_EQ(list.selectedText(), u"Entry 1");
  click(view, QPoint(120, h / 2), true);
  EXPECT_EQ(owner.doubles, 1);
  click(view, QPoint(120, view->height() - 1 + h));  // below the view: nothing
  EXPECT_EQ(owner.chosen.size(), 2u);

  // Page down with the bar, and back: the checkmark is still there.
  list.scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(list.topIndex(), static_cast<uint32_t>(page));
  EXPECT_EQ(list.scrollBar()->value(), page);
  list.scrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(list.topIndex(), 0u);
  EXPECT_TRUE(list.model().entries()[2].checked);
  EXPECT_EQ(list.takeChecked(), (std::vector<uint32_t>{502}));
  EXPECT_FALSE(list.model().entries()[2].checked);

  // A resize keeps the place.
  list.showFrom(10);
  list.setGeometry(0, 0, 240, 260);
  EXPECT_EQ(list.topIndex(), 10u);
  EXPECT_EQ(list.model().pageRows(), list.measurePage());
}

TEST(PagedList, WithoutCheckboxesTheWholeRowChooses) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  PagedList list(&top, false, 96, 96);
  list.setGeometry(0, 0, 240, 150);
  list.show();
  VectorItemSource src = numbered(3);
  RecordingOwner owner;
  list.setOwner(&owner);
  list.setSource(HeaderSettings{}, list.listFont(), &src);
  list.reload(true);
  EXPECT_EQ(list.view()->checkboxWidth(), 0);
  click(list.view(), QPoint(2, 2));
  EXPECT_EQ(owner.chosen, (std::vector<uint32_t>{500}));
  EXPECT_FALSE(list.scrollBar()->isEnabled()) << "three entries need no scrolling";
}

TEST(InputPanelEdit, TapRaisesTheKeyboardExceptOnASquareScreen) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  StateKeyboard keyboard;
  FixedScreen screen(96, 96, {240, 320});
  InputPanelEdit edit(&top, &keyboard, &screen);
  edit.setGeometry(0, 0, 100, 20);
  edit.show();
  click(&edit, QPoint(5, 5));
  EXPECT_TRUE(keyboard.keyboardShown());
  EXPECT_EQ(keyboard.showCalls, 1);
  click(&edit, QPoint(5, 5));
  EXPECT_EQ(keyboard.showCalls, 1) << "already shown: nothing more";

  StateKeyboard square(true);
  FixedScreen squareScreen(96, 96, {240, 240});
  InputPanelEdit edit2(&top, &square, &squareScreen);
  edit2.setGeometry(0, 30, 100, 20);
  edit2.show();
  click(&edit2, QPoint(5, 5));
  EXPECT_FALSE(square.keyboardShown());
  EXPECT_EQ(square.hideCalls, 1);
  EXPECT_EQ(square.showCalls, 0);
}

}  // namespace
}  // namespace vantrel
