// The index list on a guide whose index has 50,000 entries: a keystroke in
// the search box to the list redrawn (median and 99th percentile), one page
// of scrolling, and the resident memory after scrolling through the whole
// index once against after opening it. The baseline of the same run does the
// same work with a QListView over a QStringListModel of the same 50,000
// plain texts.
// Run by hand: build/bin/bench_lists
#include "BenchApp.h"
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QStringListModel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/lists/IndexSource.h"
#include "ui/lists/MarkupList.h"
#include "core/lists/PagedListModel.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

constexpr int kEntries = 50000;
constexpr int kWidth = 240, kHeight = 242;

long residentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

// The process's private (anonymous) resident memory: the heap and the
// images, without the pages of the mapped content files, which the kernel
// may drop at any time.
long anonymousKiB() {
  long kib = 0;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "RssAnon: %ld", &kib) == 1) break;
    std::fclose(f);
  }
  return kib;
}

struct IndexGuide {
  IndexGuide() {
    char pattern[] = "/tmp/vantrel-bench-lists-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    static const char* const syllables[] = {"am", "ox", "ci", "lin", "ce", "fa", "zo", "mi", "cro", "va", "ne",
                                            "dol", "pra", "zi", "tel", "ro", "mab", "tri", "sul", "ben", "ta"};
    static const char* const words[] = {"dose", "renal", "infusion", "oral", "loading", "clearance", "hepatic",
                                        "monitor", "levels", "children", "adults", "dialysis", "prophylaxis"};
    std::mt19937 rng(11);
    std::vector<std::string> terms;
    for (int i = 0; i < kEntries; ++i) {
      std::string s;
      const int n = 2 + static_cast<int>(rng() % 3);
      for (int k = 0; k < n; ++k) s += syllables[rng() % std::size(syllables)];
      s[0] = static_cast<char>(s[0] - 'a' + 'A');
      s += std::string(" ") + words[rng() % std::size(words)] + " " + std::to_string(i % 97);
      terms.push_back(s);
    }
    auto lowered = [](std::string s) {
      for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return s;
    };
    std::sort(terms.begin(), terms.end(), [&](const auto& a, const auto& b) { return lowered(a) < lowered(b); });
    ContentWriter w(u"guide");
    const auto index = w.add(0, u"table");
    w.setText(index, u"Index");
    w.setName(index, u"INDEX");
    for (size_t i = 0; i < terms.size(); ++i) {
      const std::u16string t(terms[i].begin(), terms[i].end());
      plain << QString::fromStdU16String(t);
      w.setText(w.add(index, u"hierarchy item"), i % 20 == 0 ? u"<i>" + t + u"</i>" : t);
      if (i % 50 == 0) queries.push_back(QString::fromStdU16String(t.substr(0, 1 + i % 4)));
    }
    std::string error;
    if (!w.write(dir + "/" + kContentBaseName, &error)) std::abort();
    if (!db.open(dir + "/" + kContentBaseName)) std::abort();
    source.bind(&db, w.indexOf(index), u"hierarchy item");
  }
  ~IndexGuide() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
  ContentDatabase db;
  IndexSource source;
  QStringList plain;
  std::vector<QString> queries;
};

IndexGuide& guide() {
  static IndexGuide g;
  return g;
}

QApplication& app() { return bench::benchApp("bench_lists"); }

// Our list: the index's markup list as the viewer sets it up.
struct OurList {
  OurList() : widget(nullptr, nullptr, 96, 96) {
    widget.setup(true, guideFontDescription(96), &guide().source, 0xFFFFFF);
    widget.resize(kWidth, kHeight);
    widget.show();
    QApplication::processEvents();
    widget.redraw(-1, true);
    widget.repaint();
  }
  MarkupList widget;
};

// The baseline: a list view over the same texts, plain.
struct BaselineList {
  BaselineList() : model(guide().plain) {
    view.setModel(&model);
    view.setUniformItemSizes(true);
    view.setFont(QtSurface::qfontFor(guideFontDescription(96)));
    view.resize(kWidth, kHeight);
    view.show();
    QApplication::processEvents();
    view.viewport()->repaint();
  }
  // The same binary search as the index's, over the plain texts.
  int search(const QString& text) const {
    const QStringList& rows = guide().plain;
    int lo = 0, hi = static_cast<int>(rows.size()) - 1, b = 0;
    auto cmp = [&](int row) { return rows[row].left(text.size()).compare(text, Qt::CaseInsensitive); };
    while (lo <= hi) {
      b = (lo + hi) / 2;
      if (cmp(b) < 0) lo = b + 1;
      else hi = b - 1;
    }
    if (cmp(b) != 0 && b < rows.size() - 1 && cmp(b + 1) == 0) ++b;
    return b;
  }
  QStringListModel model;
  QListView view;
};

void percentiles(benchmark::State& state, std::vector<double>& ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

void BM_KeystrokeToRedraw(benchmark::State& state) {
  app();
  OurList list;
  const auto& qs = guide().queries;
  std::vector<double> ms;
  size_t i = 0;
  for (auto _ : state) {
    const auto t = Clock::now();
    const int64_t row = searchRows(guide().source, qs[i++ % qs.size()].toStdU16String(), true);
    list.widget.redraw(row, true);
    list.widget.repaint();
    ms.push_back(since(t));
  }
  percentiles(state, ms);
}
BENCHMARK(BM_KeystrokeToRedraw)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_BaselineKeystrokeToRedraw(benchmark::State& state) {
  app();
  BaselineList list;
  const auto& qs = guide().queries;
  std::vector<double> ms;
  size_t i = 0;
  for (auto _ : state) {
    const auto t = Clock::now();
    const QModelIndex index = list.model.index(list.search(qs[i++ % qs.size()]));
    list.view.setCurrentIndex(index);
    list.view.scrollTo(index, QAbstractItemView::PositionAtTop);
    list.view.viewport()->repaint();
    ms.push_back(since(t));
  }
  percentiles(state, ms);
}
BENCHMARK(BM_BaselineKeystrokeToRedraw)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_PageScroll(benchmark::State& state) {
  app();
  OurList list;
  for (auto _ : state) {
    if (!list.widget.model().scroll(ScrollCode::PageDown)) {
      state.PauseTiming();
      list.widget.redraw(0, false);
      state.ResumeTiming();
      list.widget.model().scroll(ScrollCode::PageDown);
    }
    list.widget.repaint();
  }
}
BENCHMARK(BM_PageScroll)->Iterations(3000)->Unit(benchmark::kMicrosecond);

void BM_BaselinePageScroll(benchmark::State& state) {
  app();
  BaselineList list;
  QScrollBar* bar = list.view.verticalScrollBar();
  for (auto _ : state) {
    if (bar->value() >= bar->maximum()) {
      state.PauseTiming();
      bar->setValue(0);
      state.ResumeTiming();
    }
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    list.view.viewport()->repaint();
  }
}
BENCHMARK(BM_BaselinePageScroll)->Iterations(3000)->Unit(benchmark::kMicrosecond);

// Memory: opened (the list set up and its first page drawn), then scrolled
// through from the first entry to the last a page at a time.
void BM_MemoryWholeScroll(benchmark::State& state) {
  app();
  guide();
  for (auto _ : state) {
    const long before = residentKiB();
    const long anonBefore = anonymousKiB();
    OurList list;
    const long opened = residentKiB();
    const long anonOpened = anonymousKiB();
    long quarter = 0;
    while (list.widget.model().scroll(ScrollCode::PageDown)) {
      list.widget.repaint();
      if (quarter == 0 && list.widget.model().firstRow() >= kEntries / 4) quarter = residentKiB();
    }
    const long scrolled = residentKiB();
    const long anonScrolled = anonymousKiB();
    state.counters["anonOpenKiB"] = static_cast<double>(anonOpened - anonBefore);
    state.counters["anonScrollGrowthKiB"] = static_cast<double>(anonScrolled - anonOpened);
    state.counters["openKiB"] = static_cast<double>(opened - before);
    // Growth after a quarter of the index and after all of it: equal when
    // memory follows the rows in view rather than the rows passed.
    state.counters["quarterGrowthKiB"] = static_cast<double>(quarter - opened);
    state.counters["scrollGrowthKiB"] = static_cast<double>(scrolled - opened);
    state.counters["rowsKept"] = static_cast<double>(list.widget.model().cachedRows());
    state.counters["rowsDrawn"] = static_cast<double>(list.widget.model().rowsDrawn());
  }
}
BENCHMARK(BM_MemoryWholeScroll)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BaselineMemoryWholeScroll(benchmark::State& state) {
  app();
  guide();
  for (auto _ : state) {
    const long before = residentKiB();
    const long anonBefore = anonymousKiB();
    BaselineList list;
    const long opened = residentKiB();
    const long anonOpened = anonymousKiB();
    QScrollBar* bar = list.view.verticalScrollBar();
    long quarter = 0;
    while (bar->value() < bar->maximum()) {
      bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
      list.view.viewport()->repaint();
      if (quarter == 0 && bar->value() >= bar->maximum() / 4) quarter = residentKiB();
    }
    const long scrolled = residentKiB();
    const long anonScrolled = anonymousKiB();
    state.counters["anonOpenKiB"] = static_cast<double>(anonOpened - anonBefore);
    state.counters["anonScrollGrowthKiB"] = static_cast<double>(anonScrolled - anonOpened);
    state.counters["openKiB"] = static_cast<double>(opened - before);
    state.counters["quarterGrowthKiB"] = static_cast<double>(quarter - opened);
    state.counters["scrollGrowthKiB"] = static_cast<double>(scrolled - opened);
  }
}
BENCHMARK(BM_BaselineMemoryWholeScroll)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
