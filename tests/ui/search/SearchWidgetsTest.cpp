// The search index builder on its worker thread (progress and the end
// reach the user-interface thread, Cancel leaves nothing behind) and the
// find bar on an HTML control (Ctrl+F, counting, stepping, Escape).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <filesystem>
#include <memory>

#include "core/content/ContentWriterSynthetic.h"
#include "ui/search/FindBar.h"
#include "core/search/SearchIndex.h"
#include "ui/search/SearchIndexBuilder.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct SyntheticGuide {
  SyntheticGuide() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-ui-search-XXXXXX").string();
    if (mkdtemp(pattern.data())) dir = pattern;
    std::string error;
    EXPECT_TRUE(makeSyntheticGuide(20000, 5)->write(dir + "/Qd07-Qd07", &error)) << error;
    EXPECT_TRUE(db.open(dir + "/Qd07-Qd07"));
  }
  ~SyntheticGuide() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string dir;
  ContentDatabase db;
};

struct Outcome {
  bool done = false, ok = false, cancelled = false;
  int progressReports = 0;
  bool progressOnUiThread = true;
};

void waitFor(const Outcome& o) {
  QElapsedTimer t;
  t.start();
  while (!o.done && t.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void watch(SearchIndexBuilder& b, Outcome& o) {
  QObject::connect(&b, &SearchIndexBuilder::progress, &b, [&o](quint64, quint64) {
    ++o.progressReports;
    o.progressOnUiThread = o.progressOnUiThread && QThread::currentThread() == qApp->thread();
  });
  QObject::connect(&b, &SearchIndexBuilder::finished, &b, [&o](bool ok, bool cancelled, const QString&) {
    o.done = true;
    o.ok = ok;
    o.cancelled = cancelled;
  });
}

TEST(SearchIndexBuilder, BuildsOnAWorkerAndReportsToTheWindowThread) {
  SyntheticGuide g;
  const std::string folder = g.dir + "/cache/index";
  SearchIndexBuilder builder(g.db);
  Outcome o;
  watch(builder, o);
  ASSERT_TRUE(builder.start(folder));
  EXPECT_TRUE(builder.running());
  EXPECT_FALSE(builder.start(folder));  // one build at a time
  waitFor(o);
  ASSERT_TRUE(o.done);
  EXPECT_TRUE(o.ok);
  EXPECT_FALSE(builder.running());
  EXPECT_GT(o.progressReports, 0);
  EXPECT_TRUE(o.progressOnUiThread);
  EXPECT_EQ(checkIndex(folder, editionKey(g.db)), IndexState::Ready);
}

TEST(SearchIndexBuilder, CancelLeavesNoHalfIndexAndDestroyingStopsTheWorker) {
  SyntheticGuide g;
  const std::string folder = g.dir + "/cache/index";
  {
    SearchIndexBuilder builder(g.db);
    Outcome o;
    watch(builder, o);
    ASSERT_TRUE(builder.start(folder));
    builder.cancel();
    waitFor(o);
    ASSERT_TRUE(o.done);
    // A build may just have finished before the cancel arrived; either way
    // what is on disk is whole or absent.
    if (o.ok) {
      EXPECT_EQ(checkIndex(folder, editionKey(g.db)), IndexState::Ready);
    } else {
      EXPECT_TRUE(o.cancelled);
      EXPECT_EQ(checkIndex(folder, editionKey(g.db)), IndexState::Missing);
    }
  }
  {
    // Destroyed while running: the worker is stopped and joined.
    SearchIndexBuilder builder(g.db);
    ASSERT_TRUE(builder.start(g.dir + "/other/index"));
  }
  int leftovers = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(g.dir + "/other", ec))
    if (e.path().filename().string().find(".building-") != std::string::npos) ++leftovers;
  EXPECT_EQ(leftovers, 0);
}

void press(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(to, &e);
}

TEST(FindBar, HtmlPageCountsStepsAndCloses) {
  QWidget window;
  OpenWindows openWindows(&window);  // as the reader's main window holds it
  window.resize(240, 320);
  auto* browser = new QTextBrowser(&window);
  browser->setGeometry(0, 0, 240, 320);
  browser->setHtml("<p>Give the dose.</p><p>Then THE review.</p><p>Other text.</p>");
  auto* bar = new FindBar(browser, std::make_unique<HtmlFindTarget>(browser), 96, 96);
  window.show();
  EXPECT_EQ(FindBar::openBar(&window), nullptr);
  press(browser, Qt::Key_F3);  // nothing open: not taken
  press(browser, Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(FindBar::openBar(&window), bar);
  bar->edit()->setText("the");
  // Case ignored; "Then" and "Other" hold "the" too.
  EXPECT_EQ(bar->matches(), 4);
  EXPECT_EQ(bar->current(), 0);
  EXPECT_EQ(browser->extraSelections().size(), 4);
  EXPECT_EQ(browser->textCursor().selectedText(), "the");
  press(bar->edit(), Qt::Key_F3);
  EXPECT_EQ(bar->current(), 1);
  press(bar->edit(), Qt::Key_F3, Qt::ShiftModifier);
  press(bar->edit(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(bar->current(), 3);  // wrapped to the last
  // The page changes under an open bar: the matches are looked for again.
  browser->setHtml("<p>the end</p>");
  EXPECT_EQ(bar->matches(), 1);
  press(bar->edit(), Qt::Key_Escape);
  EXPECT_EQ(FindBar::openBar(&window), nullptr);
  EXPECT_TRUE(browser->extraSelections().isEmpty());
  bar->edit()->setText("nowhere");
  press(browser, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(bar->matches(), 0);
  EXPECT_EQ(bar->current(), -1);
}

}  // namespace
}  // namespace vantrel
