// The time from a zoom key to the page redrawn: the reader on the demo guide
// at 96 dots per inch, on its largest table, the index and an HTML page, each
// zoom step laying the page out again and painting the window once (as a
// grab does). Steps alternate between 100 % and 110 %, and between 100 % and
// 200 %, so each one is a real change of resolution.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <string>

#include "BenchApp.h"
#include "BenchReader.h"

using namespace vantrel;

namespace {

const std::string kDemo = std::string(VANTREL_BINARY_DIR) + "/demo-guide";

// page: 0 the largest table, 1 the index, 2 an HTML page; zoom: the step's other end.
void zoomRedraw(benchmark::State& state, int page, int zoom) {
  bench::benchApp("bench_zoom");
  bench::StartedReader reader(kDemo);
  if (!reader.started) {
    state.SkipWithError("the demo guide is not built");
    return;
  }
  reader.host.mainWindow()->show();
  MainFrame& frame = *reader.application.mainFrame();
  // 40: the whole spectrum table; 1: "About", the guide's longest HTML page.
  const uint32_t object = page == 0 ? 40 : page == 1 ? reader.application.pageKeys()["index"] : 1;
  frame.navigate(object, nullptr, 0, true);
  QApplication::processEvents();
  bool in = false;
  for (auto _ : state) {
    in = !in;
    reader.host.setZoom(in ? zoom : 100);
    QImage shown = reader.host.mainWindow()->grab().toImage();
    benchmark::DoNotOptimize(shown);
  }
  reader.host.setZoom(100);
}

void BM_ZoomLargestTable(benchmark::State& s) { zoomRedraw(s, 0, static_cast<int>(s.range(0))); }
void BM_ZoomIndex(benchmark::State& s) { zoomRedraw(s, 1, static_cast<int>(s.range(0))); }
void BM_ZoomHtmlPage(benchmark::State& s) { zoomRedraw(s, 2, static_cast<int>(s.range(0))); }

// The same pages redrawn without a zoom, for the ratio.
void BM_RedrawOnly(benchmark::State& state) {
  bench::benchApp("bench_zoom");
  bench::StartedReader reader(kDemo);
  if (!reader.started) {
    state.SkipWithError("the demo guide is not built");
    return;
  }
  reader.host.mainWindow()->show();
  reader.application.mainFrame()->navigate(40, nullptr, 0, true);
  QApplication::processEvents();
  for (auto _ : state) {
    QImage shown = reader.host.mainWindow()->grab().toImage();
    benchmark::DoNotOptimize(shown);
  }
}

}  // namespace

BENCHMARK(BM_ZoomLargestTable)->Arg(110)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomIndex)->Arg(110)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomHtmlPage)->Arg(110)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
