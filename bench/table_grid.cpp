// The table viewer's grid on a synthetic "tight crt" table of 2,000 rows by
// 40 columns (headings included): the time from showing the item to the grid
// drawn into its off-screen image, and the time of one scroll step (line and
// page, both directions, both bars). Counters: the parsed cells the window
// keeps and the process's resident memory, against the table's cell count.
// The baseline, measured in the same run, draws one screenful of plain cells
// with QPainter alone.
// Run by hand: build/bin/bench_table_grid
#include "BenchApp.h"
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QResizeEvent>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "ui/platform/Accessible.h"
#include "ui/platform/QtScreen.h"
#include "ui/tables/TableWindow.h"

namespace vantrel {
namespace {

constexpr int kRows = 2000;     // headings included
constexpr int kColumns = 40;

long residentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct SyntheticGuide {
  SyntheticGuide() {
    char pattern[] = "/tmp/vantrel-bench-table-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    auto item = [&](H parent, const std::u16string& text) {
      const H h = w.add(parent, u"hierarchy item");
      w.setText(h, text);
      return h;
    };
    const H table = w.add(0, u"table");
    w.setText(table, u"Synthetic");
    w.setText(w.add(table, u"table type"), u"tight crt");
    const H a = item(table, u"Whole");
    item(a, u"Everything");
    const H b = item(table, u"Rows");
    const H c = item(table, u"Columns");
    for (int j = 1; j < kColumns; ++j) item(c, u16("Column heading " + std::to_string(j)));
    for (int i = 1; i < kRows; ++i) {
      const H row = item(b, u16("Row " + std::to_string(i) + " <i>heading</i>"));
      for (int j = 1; j < kColumns; ++j) {
        std::string text = std::to_string((i * 7 + j) % 100) + "%";
        if ((i + j) % 5 == 0) text = "<b>" + text + "</b> <a href=\"1\">&sect;</a>";
        w.setText(w.add(row, u"field"), u16(text));
      }
    }
    std::string error;
    if (!w.write(dir + "/" + kContentBaseName, &error)) std::abort();
    whole = w.indexOf(a);
    if (!db.open(dir + "/" + kContentBaseName)) std::abort();
  }
  ~SyntheticGuide() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
  ContentDatabase db;
  ObjectIndex whole = 0;
};

SyntheticGuide& guide() {
  static SyntheticGuide g;
  return g;
}

QApplication& app() { return bench::benchApp("bench_table_grid"); }

struct Viewer {
  Viewer() : model(guide().db), widget(nullptr, nullptr, model, 96, 96) {
    widget.resize(240, 242);
  }
  void show() {
    model.show(guide().whole);
    widget.sourceChanged();
    widget.relayout();
  }
  TableViewerModel model;
  TableGridWidget widget;
};

void BM_FirstDraw(benchmark::State& state) {
  app();
  guide();
  const long before = residentKiB();
  size_t blocks = 0;
  for (auto _ : state) {
    Viewer v;  // fresh: nothing parsed or measured yet
    v.show();
    blocks = v.widget.cachedBlocks();
    benchmark::DoNotOptimize(v.widget.buffer().constBits());
  }
  state.counters["cellsKept"] = static_cast<double>(blocks);
  state.counters["tableCells"] = static_cast<double>(kRows) * kColumns;
  state.counters["rssGrowthKiB"] = static_cast<double>(residentKiB() - before);
}
BENCHMARK(BM_FirstDraw)->Unit(benchmark::kMillisecond);

// range(0): 0 vertical, 1 horizontal; range(1): the scroll code.
void BM_ScrollStep(benchmark::State& state) {
  app();
  const bool vertical = state.range(0) == 0;
  const auto code = static_cast<ScrollCode>(state.range(1));
  const bool backwards = code == ScrollCode::LineUp || code == ScrollCode::PageUp;
  Viewer v;
  v.show();
  TableGrid& grid = v.model.grid();
  const ScrollBarState& bar = vertical ? grid.verticalBar() : grid.horizontalBar();
  const int most = bar.maximum - bar.page;
  auto restart = [&] {
    // Backwards steps start from the far end.
    if (backwards) v.widget.scroll(vertical, ScrollCode::ThumbPosition, most);
    else v.widget.relayout();
  };
  restart();
  const long before = residentKiB();
  for (auto _ : state) {
    const int position = vertical ? grid.scrollY() : grid.scrollX();
    if ((backwards && position < 1) || (!backwards && position >= most)) {
      state.PauseTiming();
      restart();
      state.ResumeTiming();
    }
    v.widget.scroll(vertical, code);
  }
  state.counters["cellsKept"] = static_cast<double>(v.widget.cachedBlocks());
  state.counters["rssGrowthKiB"] = static_cast<double>(residentKiB() - before);
}
BENCHMARK(BM_ScrollStep)
    ->ArgNames({"horizontal", "code"})
    ->Args({0, static_cast<int>(ScrollCode::LineDown)})
    ->Args({0, static_cast<int>(ScrollCode::LineUp)})
    ->Args({0, static_cast<int>(ScrollCode::PageDown)})
    ->Args({0, static_cast<int>(ScrollCode::PageUp)})
    ->Args({1, static_cast<int>(ScrollCode::LineDown)})
    ->Args({1, static_cast<int>(ScrollCode::LineUp)})
    ->Args({1, static_cast<int>(ScrollCode::PageDown)})
    ->Args({1, static_cast<int>(ScrollCode::PageUp)})
    ->Unit(benchmark::kMicrosecond);

// A zoom on the page shown (Ctrl++ from 100 to 200 % and back, one step per
// iteration): the grid scrolled to its middle made again at the new
// resolution (font, row height, cells measured again, the same place) and
// drawn. The goal is well under 100 ms; compare with BM_FirstDraw.
void BM_ZoomStep(benchmark::State& state) {
  app();
  QtScreen screen(96, 96, {240, 320});
  TableViewerModel model(guide().db, ScreenDpi(screen));
  TableGridWidget widget(nullptr, nullptr, model, ScreenDpi(screen));
  widget.resize(240, 242);
  model.show(guide().whole);
  widget.relayout();
  widget.scroll(true, ScrollCode::ThumbPosition, kRows / 2 * model.grid().rowHeight());
  bool in = true;
  for (auto _ : state) {
    screen.setZoom(in ? 200 : 100);
    widget.rescale();
    const QSize size = in ? QSize(480, 484) : QSize(240, 242);
    widget.resize(size);
    QResizeEvent resized(size, size);
    QCoreApplication::sendEvent(&widget, &resized);  // a hidden window is not sent one
    in = !in;
    benchmark::DoNotOptimize(widget.buffer().constBits());
  }
  state.counters["rowHeight"] = model.grid().rowHeight();
  state.counters["firstRow"] = static_cast<double>(model.grid().place().row);
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);

// A screen reader reading the visible part of the grid: the accessible
// table asked for every cell in view (heading row and column included), each
// cell's name, state and rectangle, as an AT-SPI client walks a table page.
// The goal is well under 50 ms for the whole screenful. Counter: cells read.
void BM_AccessibleVisibleCells(benchmark::State& state) {
  app();
  installAccessibleFactory();
  Viewer v;
  v.widget.show();
  v.show();
  if (state.range(0)) v.widget.scroll(true, ScrollCode::ThumbPosition, 1000 * v.model.grid().rowHeight());
  size_t read = 0;
  for (auto _ : state) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&v.widget);
    QAccessibleTableInterface* table = a->tableInterface();
    read = 0;
    for (int r = 0; r < table->rowCount(); ++r) {
      bool rowShown = false;
      for (int c = 0; c < table->columnCount(); ++c) {
        if (v.widget.accessibleCellRect(r, c).isEmpty()) {
          if (rowShown) break;
          continue;
        }
        rowShown = true;
        QAccessibleInterface* cell = table->cellAt(r, c);
        benchmark::DoNotOptimize(cell->text(QAccessible::Name));
        benchmark::DoNotOptimize(cell->state());
        benchmark::DoNotOptimize(cell->rect());
        ++read;
      }
    }
  }
  state.counters["cellsRead"] = static_cast<double>(read);
}
BENCHMARK(BM_AccessibleVisibleCells)->ArgName("scrolled")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Baseline in the same run: the same screenful of cells (13 rows by 3
// columns of 76 x 20 pixels) drawn as plain text with QPainter, without
// markup, measuring or a model. A scroll step is worth comparing to it.
void BM_BaselinePlainScreenful(benchmark::State& state) {
  app();
  QImage image(240 + 100, 242 + 100, QImage::Format_RGB32);
  const QFont font = QtSurface::qfontFor(guideFontDescription(96));
  int step = 0;
  for (auto _ : state) {
    QPainter p(&image);
    p.setFont(font);
    p.fillRect(image.rect(), Qt::white);
    for (int r = 0; r < 13; ++r) {
      for (int c = 0; c < 3; ++c) {
        const QRect cell(c * 76, r * 20, 76, 20);
        p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, QString::number((r + step) * 7 + c) + "%");
        p.setPen(QColor(0x66, 0x66, 0x66));
        p.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
        p.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
        p.setPen(Qt::black);
      }
    }
    ++step;
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_BaselinePlainScreenful)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
