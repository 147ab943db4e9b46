// The table viewer in a main window with a real main frame: what it takes,
// its title and layout items, the Key/Restore/Compare bar at both
// resolutions, and the buttons driving Compare, Restore and Key.
#include <gtest/gtest.h>

#include <QAbstractButton>

#include "../../core/tables/TableFixture.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtScreen.h"
#include "core/page/FrameWindow.h"
#include "core/page/MainFrame.h"
#include "ui/shell/MainWindow.h"
#include "ui/platform/Rescale.h"
#include "ui/tables/TableViewer.h"

namespace vantrel {
namespace {

// Records every object offered (as the chrome viewer does), taking part in no page.
struct Recorder : Viewer {
  bool show(uint32_t object, const uint8_t*, size_t) override {
    offered.push_back(object);
    return false;
  }
  void afterLayout() override {}
  std::vector<uint32_t> offered;
};

struct Shell {
  // following: the viewer follows the screen's resolution (and its zoom).
  explicit Shell(const ContentDatabase& db, int dpi = 96, bool following = false)
      : screen(dpi, dpi, {240 * dpi / 96, 320 * dpi / 96}),
        window(screen),
        frameWindow(window, screen, keyboard),
        frame(frameWindow, keyboard),
        viewer(db, frame, window.pageArea(), &window, following ? ScreenDpi(screen) : ScreenDpi(dpi, dpi)) {
    window.setFrame(&frameWindow);
    frameWindow.create();
    frame.registerViewer(&recorder);
    frame.registerViewer(&viewer);
    window.resize(screen.screenSize().width, screen.screenSize().height);
  }
  QtScreen screen;
  DesktopKeyboard keyboard;
  MainWindow window;
  FrameWindow frameWindow;
  MainFrame frame;
  Recorder recorder;
  TableViewer viewer;
};

TEST(TableViewerTest, TakesTightCrtItemsWithTheirTitleAndBar) {
  test::SampleGuide g;
  Shell s(g.db);
  s.frame.navigate(g[u"Whole"], nullptr, 0, true);
  EXPECT_EQ(s.frame.title(), u"Whole");
  EXPECT_TRUE(s.viewer.tableWindow()->isVisibleTo(&s.window));
  EXPECT_TRUE(s.viewer.buttonBar()->isVisibleTo(&s.window));
  EXPECT_EQ(s.viewer.buttonBar()->height(), 26);
  const char* texts[] = {"Key", "Restore", "Compare"};
  const int widths[] = {30, 70, 70};
  for (int i = 0; i < 3; ++i) {
    QAbstractButton* b = s.viewer.buttonBar()->buttonWithCode(1001 + i);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), texts[i]);
    EXPECT_EQ(b->size(), QSize(widths[i], 22));
  }
  // An item whose first child has children, and an html page, are refused
  // and leave the viewer as it was.
  EXPECT_FALSE(s.viewer.show(g[u"Rows"], nullptr, 0));
  EXPECT_FALSE(s.viewer.show(g[u"h1"], nullptr, 0));
  EXPECT_EQ(s.viewer.model().model().shownItem(), g[u"Whole"]);
}

TEST(TableViewerTest, ButtonsAreTwiceAsLargeAt192Dpi) {
  test::SampleGuide g;
  Shell s(g.db, 192);
  s.frame.navigate(g[u"Whole"], nullptr, 0, true);
  EXPECT_EQ(s.viewer.buttonBar()->height(), 52);
  EXPECT_EQ(s.viewer.buttonBar()->buttonWithCode(1003)->size(), QSize(140, 44));
  EXPECT_EQ(s.viewer.model().grid().rowHeight(), 40);
}

TEST(TableViewerTest, CompareRestoreAndKeyFromTheBar) {
  test::SampleGuide g;
  Shell s(g.db);
  s.frame.navigate(g[u"Whole"], nullptr, 0, true);
  TableGridWidget* grid = s.viewer.tableWindow()->grid();
  TableViewerModel& m = s.viewer.model();
  const int w0 = m.grid().columnWidth(0);
  grid->tapAt(3, 25);       // row 1
  grid->tapAt(w0 + 3, 5);   // column 1
  s.viewer.buttonBar()->buttonWithCode(1003)->click();
  EXPECT_TRUE(m.grid().compareActive());
  EXPECT_EQ(m.model().rowCount(), 2u);
  EXPECT_EQ(m.model().columnCount(), 2u);
  EXPECT_TRUE(m.grid().selectedRows().empty());
  s.viewer.buttonBar()->buttonWithCode(1002)->click();
  EXPECT_FALSE(m.grid().compareActive());
  EXPECT_EQ(m.model().rowCount(), 6u);
  // Key goes to the table's key text (no viewer here takes it).
  s.viewer.buttonBar()->buttonWithCode(1001)->click();
  ASSERT_FALSE(s.recorder.offered.empty());
  EXPECT_EQ(s.recorder.offered.back(), g[u"key"]);
}

TEST(TableViewerTest, AZoomLaysTheTableOutAsAtTheNewResolutionInPlace) {
  test::SampleGuide g;
  Shell s(g.db, 96, true), native(g.db, 192);
  s.frame.navigate(g[u"Whole"], nullptr, 0, true);
  native.frame.navigate(g[u"Whole"], nullptr, 0, true);
  TableViewerModel& m = s.viewer.model();
  s.viewer.tableWindow()->grid()->tapAt(m.grid().columnWidth(0) + 3, 5);  // column 1 selected
  m.grid().setCursor(2, 1);
  s.viewer.buttonBar()->buttonWithCode(1002)->setEnabled(false);

  // As the reader's zoom does it: the resolution, every window, the page's
  // layout, a layout of every window at its size.
  s.screen.setZoom(200);
  s.window.rescaleAll({});
  // The reader started at 192 in a window of the same size, laid out afresh.
  native.window.resize(s.window.size());
  native.window.rescaleAll({});
  native.viewer.afterLayout();

  const TableGrid& grid = m.grid();
  const TableGrid& expected = native.viewer.model().grid();
  EXPECT_EQ(grid.rowHeight(), expected.rowHeight());
  for (uint32_t c = 0; c < m.model().columnCount(); ++c) EXPECT_EQ(grid.columnWidth(c), expected.columnWidth(c)) << c;
  EXPECT_EQ(grid.drawingArea(), expected.drawingArea());
  EXPECT_EQ(grid.selectedColumns(), (std::set<uint32_t>{1}));
  EXPECT_EQ(grid.cursorRow(), 2u);
  EXPECT_EQ(s.viewer.tableWindow()->grid()->buffer().size(), native.viewer.tableWindow()->grid()->buffer().size());
  // The bar: its height and buttons as made at 192, a button switched off stays off.
  ButtonBar* bar = s.viewer.buttonBar();
  EXPECT_EQ(bar->height(), 52);
  for (int code : {1001, 1002, 1003})
    EXPECT_EQ(bar->buttonWithCode(code)->geometry(), native.viewer.buttonBar()->buttonWithCode(code)->geometry());
  EXPECT_FALSE(bar->buttonWithCode(1002)->isEnabled());
  EXPECT_TRUE(bar->buttonWithCode(1003)->isEnabled());
  // A cell's popup is drawn in the font made for 192.
  s.viewer.tableWindow()->grid()->pressCell(2, 2);
  native.viewer.tableWindow()->grid()->pressCell(2, 2);
  FootnotePopup* popup = s.viewer.tableWindow()->grid()->popup();
  ASSERT_FALSE(popup->image().isNull());
  EXPECT_EQ(popup->image().size(), native.viewer.tableWindow()->grid()->popup()->image().size());
  popup->hidePopup();

  // Back to 100 %: as it was at 96.
  s.screen.setZoom(100);
  s.window.rescaleAll({});
  EXPECT_EQ(grid.rowHeight(), 20);
  EXPECT_EQ(bar->height(), 26);
  EXPECT_EQ(bar->buttonWithCode(1003)->size(), QSize(70, 22));
}

}  // namespace
}  // namespace vantrel
