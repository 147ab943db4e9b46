// The table viewer in a main window with a real main frame: what it takes,
// its title and layout items, the Key/Restore/Compare bar at both
// resolutions, and the buttons driving Compare, Restore and Key.
#include <gtest/gtest.h>

#include <QAbstractButton>

#include "../../core/tables/TableFixture.h"
#include "platform/KeyboardService.h"
#include "platform/QtScreen.h"
#include "shell/FrameWindow.h"
#include "shell/MainFrame.h"
#include "shell/MainWindow.h"
#include "tables/TableViewer.h"

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
  explicit Shell(const ContentDatabase& db, int dpi = 96)
      : screen(dpi, dpi, {240 * dpi / 96, 320 * dpi / 96}),
        window(screen),
        frameWindow(window, screen, keyboard),
        frame(frameWindow, keyboard),
        viewer(db, frame, window.pageArea(), &window, dpi, dpi) {
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

}  // namespace
}  // namespace vantrel
