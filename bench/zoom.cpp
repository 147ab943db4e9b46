// The time from a zoom key to the page redrawn: the reader on the demo guide
// at 96 dots per inch, on its largest table, the index, an HTML page, the
// key and the contents. Each step changes the zoom (100 % to 110 % or to
// 200 % and back), lays every viewer out again and paints the whole window
// once (as a grab does). Beside them, in the same run, the repaint alone and
// one navigation between two pages.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <memory>
#include <string>

#include "BenchApp.h"
#include "BenchReader.h"

using namespace vantrel;

namespace {

const uint8_t kLetter[2] = {'S', 0};

// The reader on the demo guide, its window shown; null (the run skipped)
// when the demo guide is not built.
std::unique_ptr<bench::StartedReader> startReader(benchmark::State& state) {
  bench::benchApp("bench_zoom");
  auto reader = std::make_unique<bench::StartedReader>(std::string(VANTREL_BINARY_DIR) + "/demo-guide");
  if (!reader->started) {
    state.SkipWithError("the demo guide is not built");
    return nullptr;
  }
  reader->host.mainWindow()->show();
  QApplication::processEvents();
  return reader;
}

// A page by object index, or by page key (with page data) when key is set.
struct Page {
  uint32_t object = 0;
  const char* key = nullptr;
  const uint8_t* data = nullptr;
  size_t length = 0;
};

void show(bench::StartedReader& reader, const Page& page) {
  const uint32_t object = page.key ? reader.application.pageKeys()[page.key] : page.object;
  reader.application.mainFrame()->navigate(object, page.data, page.length, true);
  QApplication::processEvents();
}

void zoomRedraw(benchmark::State& state, const Page& page) {
  auto reader = startReader(state);
  if (!reader) return;
  show(*reader, page);
  const int zoom = static_cast<int>(state.range(0));
  bool in = false;
  for (auto _ : state) {
    in = !in;
    reader->host.setZoom(in ? zoom : 100);
    QImage shown = reader->host.mainWindow()->grab().toImage();
    benchmark::DoNotOptimize(shown);
  }
}

// 40: the whole spectrum table; 1: "About", the guide's longest HTML page.
void BM_ZoomLargestTable(benchmark::State& s) { zoomRedraw(s, {40}); }
void BM_ZoomIndex(benchmark::State& s) { zoomRedraw(s, {0, "index_search", kLetter, 2}); }
void BM_ZoomHtmlPage(benchmark::State& s) { zoomRedraw(s, {1}); }
void BM_ZoomKey(benchmark::State& s) { zoomRedraw(s, {0, "tools"}); }
void BM_ZoomContents(benchmark::State& s) { zoomRedraw(s, {0, "toc"}); }

// The yardsticks: the largest table repainted without a zoom, and one
// navigation between the home page and the index.
void BM_RedrawOnly(benchmark::State& state) {
  auto reader = startReader(state);
  if (!reader) return;
  show(*reader, {40});
  for (auto _ : state) {
    QImage shown = reader->host.mainWindow()->grab().toImage();
    benchmark::DoNotOptimize(shown);
  }
}

void BM_NavigateBetweenTwoPages(benchmark::State& state) {
  auto reader = startReader(state);
  if (!reader) return;
  bool toHome = false;
  for (auto _ : state) {
    show(*reader, toHome ? Page{0, "home"} : Page{0, "index_search", kLetter, 2});
    toHome = !toHome;
  }
}

}  // namespace

BENCHMARK(BM_ZoomLargestTable)->Arg(110)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomIndex)->Arg(110)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomHtmlPage)->Arg(110)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomKey)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomContents)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NavigateBetweenTwoPages)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
