// Windows that follow the screen's resolution: after a change of dpi (a zoom),
// laying a window out again gives what a window made at the new dpi gives,
// without making the window anew.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>

#include "ui/lists/IndexViewer.h"
#include "ui/lists/PagedList.h"
#include "ui/platform/QtSurface.h"
#include "core/platform/ScreenDpi.h"
#include "core/tables/ItemSource.h"

namespace vantrel {
namespace {

struct ZoomableScreen : ScreenInfo {
  int dpi = 96;
  int dpiX() const override { return dpi; }
  int dpiY() const override { return dpi; }
  Size screenSize() const override { return {240, 320}; }
  Rect visibleDesktopArea() const override { return {0, 0, 240, 320}; }
};

QRect barOf(PagedList& list) { return list.findChild<QScrollBar*>("listScrollBar")->geometry(); }

TEST(ScreenDpi, WindowsLaidOutAgainAfterADpiChangeMatchWindowsMadeAtThatDpi) {
  ZoomableScreen screen;
  QWidget parent;
  SearchBar followingBar(&parent, ScreenDpi(screen), nullptr, nullptr);
  PagedList followingList(&parent, false, ScreenDpi(screen));
  parent.resize(480, 800);
  parent.show();  // hidden windows get their resize events only when shown
  followingBar.resize(240, 26);
  followingList.resize(240, 200);
  const QRect labelAt96 = followingBar.label()->geometry();
  const QRect barAt96 = barOf(followingList);

  screen.dpi = 192;
  SearchBar fixedBar(&parent, 192, 192, nullptr, nullptr);
  PagedList fixedList(&parent, false, 192, 192);
  fixedBar.show();
  fixedList.show();
  for (QWidget* w : {static_cast<QWidget*>(&followingBar), static_cast<QWidget*>(&fixedBar)}) w->resize(240, 52);
  followingList.resize(240, 400);
  fixedList.resize(240, 400);

  EXPECT_NE(followingBar.label()->geometry(), labelAt96);
  EXPECT_EQ(followingBar.label()->geometry(), fixedBar.label()->geometry());
  EXPECT_EQ(followingBar.edit()->geometry(), fixedBar.edit()->geometry());
  EXPECT_NE(barOf(followingList).width(), barAt96.width());
  // The scroll bar's place across the list (its top follows the header, which
  // the viewer sets up again when it shows a page).
  EXPECT_EQ(barOf(followingList).x(), barOf(fixedList).x());
  EXPECT_EQ(barOf(followingList).width(), barOf(fixedList).width());

  // A fixed resolution stays what it was made with.
  const ScreenDpi fixed(120, 144);
  screen.dpi = 96;
  EXPECT_EQ(fixed.sx(96), 120);
  EXPECT_EQ(fixed.sy(96), 144);
  EXPECT_EQ(ScreenDpi(screen).sx(13), 13);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// After a zoom the lists keep their place: the markup list its first row and
// selection (its rows measured anew), the paged list its first entry and
// selection also when its window's size changes with the zoom.
TEST(ScreenDpi, ListsKeepTheirPlaceAcrossAZoom) {
  ZoomableScreen screen;
  VectorItemSource items;
  for (int i = 0; i < 60; ++i) items.add(u"entry " + std::u16string(1, char16_t(u'A' + i % 26)), 100u + i);
  QWidget parent;
  parent.resize(480, 800);
  MarkupList markup(&parent, &parent, ScreenDpi(screen));
  markup.setup(true, guideFontDescription(96), &items, 0xFFFFFF);
  markup.resize(240, 300);
  PagedList paged(&parent, false, ScreenDpi(screen));
  HeaderSettings noHeader;
  noHeader.shown = false;
  paged.setSource(noHeader, QtSurface::qfontFor(guideFontDescription(96)), &items);
  paged.resize(240, 300);
  parent.show();
  paged.reload(true);
  markup.redraw(30, true);
  markup.scroll(ScrollCode::LineDown, 0);
  paged.showFrom(20);
  paged.model().selectRow(3);
  const int rowsAt96 = markup.model().rowsPerPage();

  screen.dpi = 192;
  markup.relayout(guideFontDescription(192));
  paged.setFonts(QtSurface::qfontFor(guideFontDescription(192)), QtSurface::qfontFor(guideFontDescription(192)));
  paged.resize(240, 280);
  EXPECT_LT(markup.model().rowsPerPage(), rowsAt96);
  EXPECT_EQ(markup.model().firstRow(), 31);
  EXPECT_EQ(markup.model().selected(), 30);
  EXPECT_EQ(markup.scrollBar()->value(), 31);
  EXPECT_EQ(paged.topIndex(), 20u);
  EXPECT_EQ(paged.model().selectedIndex(), 23);
  EXPECT_EQ(paged.model().pageRows(), paged.measurePage());
}

}  // namespace
}  // namespace vantrel
