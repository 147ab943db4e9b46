// Bookmarks and notes with far more entries than the store was made for:
// 10,000 of each. Measured: opening a pair and loading the list, adding one
// entry, removing one, and closing after a change (which compacts the pair).
// The files live in a scratch folder under /tmp and every write is synced as
// in the reader (argument 1); argument 0 skips the syncs to show the share
// of the disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriterSynthetic.h"
#include "core/userdata/BookmarkList.h"
#include "core/userdata/ContentIds.h"
#include "core/util/FileOps.h"
#include "core/userdata/NoteList.h"

namespace {

using namespace vantrel;
namespace fs = std::filesystem;

constexpr uint32_t kEntries = 10000;
constexpr uint32_t kGuideObjects = 200000;

struct Fixture {
  std::string root;
  std::string templ;  // the 10,000-entry pairs, compacted
  std::string work;   // each run's copy
  ContentDatabase db;
  std::unique_ptr<DatabaseIds> ids;

  Fixture() {
    root = "/tmp/vantrel-bench-userdata-" + std::to_string(::getpid());
    templ = root + "/template";
    work = root + "/work";
    fs::create_directories(templ);
    fs::create_directories(work);
    const std::string base = templ + "/" + kContentBaseName;
    std::string error;
    if (!makeSyntheticGuide(kGuideObjects, 1)->write(base, &error)) {
      fprintf(stderr, "synthetic guide: %s\n", error.c_str());
      std::abort();
    }
    db.open(base);
    ids = std::make_unique<DatabaseIds>(db);
    fileops::setDurable(false);
    {
      BookmarkList list(ids.get());
      list.open(templ);
      std::vector<std::string> records;
      const std::string data(24, 'd');  // page data of a typical table page
      for (uint32_t i = 0; i < kEntries; ++i) {
        const ObjectIndex object = 1 + (i * 7919u) % (db.objectCount() - 1);
        ObjectEntry e;
        db.readEntry(object, e);
        records.push_back(makeBookmarkRecord(e.id, "Bookmark number " + std::to_string(i), data.data(), 24));
      }
      list.store().appendRecords(records);
    }
    {
      NoteList notes;
      notes.open(templ);
      std::vector<std::string> records;
      const std::string body(400, 'n');
      for (uint32_t i = 0; i < kEntries; ++i) {
        records.push_back(makeNoteRecord(i, "Note number " + std::to_string(i), body));
      }
      notes.store().appendRecords(records);
    }
    fileops::setDurable(true);
  }
  ~Fixture() { fs::remove_all(root); }

  void reset() {
    for (const char* name : {"bookmarks.vsi", "bookmarks.vsd", "notes.vsi", "notes.vsd"}) {
      fs::copy_file(templ + "/" + name, work + "/" + name, fs::copy_options::overwrite_existing);
    }
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

template <class List>
std::unique_ptr<List> makeList();
template <>
std::unique_ptr<BookmarkList> makeList<BookmarkList>() {
  return std::make_unique<BookmarkList>(fixture().ids.get());
}
template <>
std::unique_ptr<NoteList> makeList<NoteList>() {
  return std::make_unique<NoteList>();
}

int add(BookmarkList& l, uint32_t i) { return l.addBookmark(u"Added", 1 + i % 1000, "0123", 4); }
int add(NoteList& l, uint32_t i) { return l.addNote(u"Added", l.newNoteKey(), u"Some text\r\nof a note"); }
int remove(BookmarkList& l) { return l.removeBookmark(l.itemCount() / 2); }
int remove(NoteList& l) { return l.removeNote(l.itemCount() / 2, true); }

template <class List>
void BM_OpenAndLoad(benchmark::State& state) {
  Fixture& f = fixture();
  fileops::setDurable(state.range(0) != 0);
  for (auto _ : state) {
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
    auto list = makeList<List>();
    list->open(f.work);
    benchmark::DoNotOptimize(list->itemCount());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

// Times one change (an add or a remove) on a freshly opened list of the
// fixture's size; opening and closing are not timed.
template <class List, class Change>
void timeOneChange(benchmark::State& state, Change change, const char* what) {
  Fixture& f = fixture();
  fileops::setDurable(state.range(0) != 0);
  for (auto _ : state) {
    state.PauseTiming();
    f.reset();
    auto list = makeList<List>();
    list->open(f.work);
    state.ResumeTiming();
    if (change(*list) != 0) state.SkipWithError(what);
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

template <class List>
void BM_Add(benchmark::State& state) {
  uint32_t i = 0;
  timeOneChange<List>(state, [&](auto& list) { return add(list, i++); }, "add failed");
}

template <class List>
void BM_Remove(benchmark::State& state) {
  timeOneChange<List>(state, [](auto& list) { return remove(list); }, "remove failed");
}

// Close after one removal: the data file is rewritten without the gap.
template <class List>
void BM_CloseCompacting(benchmark::State& state) {
  Fixture& f = fixture();
  fileops::setDurable(state.range(0) != 0);
  for (auto _ : state) {
    state.PauseTiming();
    f.reset();
    auto list = makeList<List>();
    list->open(f.work);
    remove(*list);
    state.ResumeTiming();
    if (list->close() != 0) state.SkipWithError("close failed");
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

// The same load without the content database: every target is 0. The
// difference is the cost of the 10,000 findById lookups.
void BM_OpenAndLoadWithoutContent(benchmark::State& state) {
  Fixture& f = fixture();
  fileops::setDurable(true);
  for (auto _ : state) {
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
    BookmarkList list(nullptr);
    list.open(f.work);
    benchmark::DoNotOptimize(list.itemCount());
    state.PauseTiming();
    list.close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenAndLoadWithoutContent)->Unit(benchmark::kMillisecond)->Iterations(10);

#define USERDATA_BENCH(fn, List) \
  BENCHMARK_TEMPLATE(fn, List)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(10)

USERDATA_BENCH(BM_OpenAndLoad, BookmarkList);
USERDATA_BENCH(BM_Add, BookmarkList);
USERDATA_BENCH(BM_Remove, BookmarkList);
USERDATA_BENCH(BM_CloseCompacting, BookmarkList);
USERDATA_BENCH(BM_OpenAndLoad, NoteList);
USERDATA_BENCH(BM_Add, NoteList);
USERDATA_BENCH(BM_Remove, NoteList);
USERDATA_BENCH(BM_CloseCompacting, NoteList);

}  // namespace

BENCHMARK_MAIN();
