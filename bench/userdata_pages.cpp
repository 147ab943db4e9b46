// The bookmark and notes pages of the reader with 10,000 bookmarks and
// 10,000 notes, on the offscreen platform with every viewer: from the
// command to the list drawn (bookmarks, notes), one page of scrolling, and
// adding a bookmark through the title dialog (from "Save" to the list being
// up to date, every write synced as in the reader). The baseline of the same
// run is the plain load of the 10,000 bookmarks (the user-data benchmark's
// BM_OpenAndLoad) in this program.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <filesystem>

#include "core/content/ContentWriterSynthetic.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/GuideHost.h"
#include "core/userdata/BookmarkList.h"
#include "core/util/FileOps.h"
#include "core/userdata/NoteList.h"
#include "ui/userdata/TitleDialog.h"

namespace {

using namespace vantrel;
namespace fs = std::filesystem;

constexpr uint32_t kEntries = 10000;
constexpr uint32_t kGuideObjects = 20000;

struct Reader {
  std::string dir;
  ContentDatabase db;
  std::unique_ptr<DatabaseIds> ids;
  QtScreen screen{96, 96, {240, 320}};
  DesktopKeyboard keyboard;
  std::unique_ptr<FixedSettings> settings;
  QtMessages messages{true};
  QtFontFiles fonts;
  std::unique_ptr<GuideHost> host;
  std::unique_ptr<Application> app;

  Reader() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QApplication* qapp = new QApplication(argc, argv);  // lives to the end of the process
    (void)qapp;
    dir = "/tmp/vantrel-bench-pages-" + std::to_string(::getpid());
    fs::create_directories(dir);
    std::string error;
    if (!makeSyntheticGuide(kGuideObjects, 1)->write(dir + "/" + kContentBaseName, &error)) std::abort();
    db.open(dir + "/" + kContentBaseName);
    ids = std::make_unique<DatabaseIds>(db);
    fileops::setDurable(false);
    {
      BookmarkList list(ids.get());
      list.open(dir);
      std::vector<std::string> records;
      const std::string data(24, 'd');
      for (uint32_t i = 0; i < kEntries; ++i) {
        ObjectEntry e;
        db.readEntry(1 + (i * 7919u) % (db.objectCount() - 1), e);
        records.push_back(makeBookmarkRecord(e.id, "Bookmark number " + std::to_string(i), data.data(), 24));
      }
      list.store().appendRecords(records);
    }
    {
      NoteList notes;
      notes.open(dir);
      std::vector<std::string> records;
      for (uint32_t i = 0; i < kEntries; ++i)
        records.push_back(makeNoteRecord(i, "Note number " + std::to_string(i), std::string(400, 'n')));
      notes.store().appendRecords(records);
    }
    fileops::setDurable(true);
    settings = std::make_unique<FixedSettings>(dir, std::nullopt);
    host = std::make_unique<GuideHost>(screen, dir);
    app = std::make_unique<Application>(*host, Services{screen, keyboard, *settings, messages, fonts});
    if (!app->startUp()) std::abort();
    host->connectCommands(*app);
    QApplication::processEvents();
  }
  ~Reader() {
    host->mainWindow()->setFrame(nullptr);
    app->shutDown();
    fs::remove_all(dir);
  }
  void drawn() {
    host->mainWindow()->repaint();
    QApplication::processEvents();
  }
};

Reader& reader() {
  static Reader r;
  return r;
}

void BM_BaselineLoadBookmarks(benchmark::State& state) {
  Reader& r = reader();
  const std::string copy = r.dir + "/baseline";
  fs::create_directories(copy);
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* n : {"bookmarks.vsi", "bookmarks.vsd"})
      fs::copy_file(r.dir + "/" + n, copy + "/" + n, fs::copy_options::overwrite_existing);
    state.ResumeTiming();
    BookmarkList list(r.ids.get());
    list.open(copy);
    benchmark::DoNotOptimize(list.itemCount());
    state.PauseTiming();
    list.close();
    state.ResumeTiming();
  }
}

void openList(benchmark::State& state, int command) {
  Reader& r = reader();
  for (auto _ : state) {
    r.host->chrome()->command(command);
    r.drawn();
    state.PauseTiming();
    r.app->mainFrame()->closeOverlay();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_OpenBookmarkList(benchmark::State& state) { openList(state, cmd::kViewBookmarks); }
void BM_OpenNotesList(benchmark::State& state) { openList(state, cmd::kViewNotes); }

void BM_ScrollOnePage(benchmark::State& state) {
  Reader& r = reader();
  r.host->chrome()->command(cmd::kViewBookmarks);
  r.drawn();
  PagedList* list = r.host->chrome()->shownCheckList();
  for (auto _ : state) {
    // One page down, as a tap on the scroll bar's trough below the thumb.
    if (list->topIndex() + 2 * list->model().pageRows() >= list->model().itemCount()) list->showFrom(0);
    list->scroll(ScrollCode::PageDown, 0);
    list->view()->repaint();
  }
  r.app->mainFrame()->closeOverlay();
}

void BM_AddBookmarkThroughDialog(benchmark::State& state) {
  Reader& r = reader();
  uint32_t object = 2;
  std::chrono::steady_clock::time_point saved;
  TitleDialog::setModalDriver([&](TitleDialog& d) {
    d.edit()->setText("Added from the benchmark");
    saved = std::chrono::steady_clock::now();
    d.saveButton()->click();
  });
  r.host->chrome()->command(cmd::kViewBookmarks);
  r.drawn();
  for (auto _ : state) {
    // A page that has no bookmark yet, under the bookmark list.
    state.PauseTiming();
    while (r.host->chrome()->bookmarks()->checkBookmark(object, nullptr, 0) != BookmarkList::kMayAdd) ++object;
    r.app->mainFrame()->closeOverlay();
    r.app->mainFrame()->navigate(object++, nullptr, 0, true);
    r.host->chrome()->command(cmd::kViewBookmarks);
    r.drawn();
    state.ResumeTiming();
    r.host->chrome()->command(cmd::kAddBookmark);
    r.drawn();
    const auto done = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(done - saved).count());
  }
  TitleDialog::setModalDriver(nullptr);
  r.app->mainFrame()->closeOverlay();
}

BENCHMARK(BM_BaselineLoadBookmarks)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenBookmarkList)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenNotesList)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_AddBookmarkThroughDialog)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
