// One zoom step (100 % to 200 % and back, every viewer laid out again and the
// page repainted) on the demo guide's index, key and contents pages, beside
// one navigation between two pages in the same run: the ratio says what a
// zoom costs against a page change.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "BenchReader.h"

using namespace vantrel;

namespace {

bench::StartedReader* startReader(benchmark::State& state) {
  const std::string demo = std::string(VANTREL_BINARY_DIR) + "/demo-guide";
  if (!std::filesystem::exists(demo + "/Qd07-Qd07-Data.pdb")) {
    state.SkipWithError("demo guide not built");
    return nullptr;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);  // lives to the end of the process
  (void)app;
  auto* reader = new bench::StartedReader(demo);
  if (!reader->started) {
    state.SkipWithError("start-up refused");
    delete reader;
    return nullptr;
  }
  if (QWidget* w = reader->host.mainWindow()) w->show();
  QApplication::processEvents();
  return reader;
}

// page: the page key shown while zooming; data: its page data.
void zoomOn(benchmark::State& state, const char* page, const uint8_t* data, size_t length) {
  bench::StartedReader* reader = startReader(state);
  if (!reader) return;
  reader->application.mainFrame()->navigate(reader->application.pageKeys()[page], data, length, true);
  QApplication::processEvents();
  bool in = true;
  for (auto _ : state) {
    reader->host.setZoom(in ? 200 : 100);
    in = !in;
    QApplication::processEvents();  // the repaint of the page
  }
  delete reader;
}

const uint8_t kLetter[2] = {'S', 0};

}  // namespace

static void BM_ZoomIndex(benchmark::State& state) { zoomOn(state, "index_search", kLetter, 2); }
BENCHMARK(BM_ZoomIndex)->Unit(benchmark::kMicrosecond);

static void BM_ZoomKey(benchmark::State& state) { zoomOn(state, "tools", nullptr, 0); }
BENCHMARK(BM_ZoomKey)->Unit(benchmark::kMicrosecond);

static void BM_ZoomContents(benchmark::State& state) { zoomOn(state, "toc", nullptr, 0); }
BENCHMARK(BM_ZoomContents)->Unit(benchmark::kMicrosecond);

// The yardstick: one navigation between the home page and the index.
static void BM_NavigateBetweenTwoPages(benchmark::State& state) {
  bench::StartedReader* reader = startReader(state);
  if (!reader) return;
  Application& application = reader->application;
  const uint32_t home = application.pageKeys()["home"];
  const uint32_t index = application.pageKeys()["index_search"];
  bool toHome = false;
  for (auto _ : state) {
    if (toHome)
      application.mainFrame()->navigate(home, nullptr, 0, true);
    else
      application.mainFrame()->navigate(index, kLetter, 2, true);
    toHome = !toHome;
    QApplication::processEvents();
  }
  delete reader;
}
BENCHMARK(BM_NavigateBetweenTwoPages)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
