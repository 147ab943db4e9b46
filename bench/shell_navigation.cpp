// One navigation between two pages of the demo guide (the home page and the
// index search page), through the main frame with every viewer the reader
// has, on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "BenchReader.h"

using namespace vantrel;

static void BM_NavigateBetweenTwoPages(benchmark::State& state) {
  const std::string demo = std::string(VANTREL_BINARY_DIR) + "/demo-guide";
  if (!std::filesystem::exists(demo + "/" + kContentBaseName + kDataFileSuffix)) {
    state.SkipWithError("demo guide not built");
    return;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);  // lives to the end of the process
  (void)app;
  bench::StartedReader reader(demo);
  if (!reader.started) {
    state.SkipWithError("start-up refused");
    return;
  }
  Application& application = reader.application;
  QApplication::processEvents();
  const uint32_t home = application.pageKeys()["home"];
  const uint32_t search = application.pageKeys()["index_search"];
  const uint8_t letter[2] = {'D', 0};
  bool toHome = false;
  for (auto _ : state) {
    if (toHome)
      application.mainFrame()->navigate(home, nullptr, 0, true);
    else
      application.mainFrame()->navigate(search, letter, 2, true);
    toHome = !toHome;
    QApplication::processEvents();  // the repaint of what was shown
  }
}
BENCHMARK(BM_NavigateBetweenTwoPages)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
