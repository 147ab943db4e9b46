// The contents tree on a synthetic contents of 20,220 entries in four levels
// (20 chapters, 10 sections each, 10 subsections each, 9 entries each):
//  - opening "toc": the navigation through the main frame until the page's
//    window is drawn;
//  - showObject of an entry four levels deep in a freshly rooted tree;
//  - resident memory after opening and after expanding one whole chapter,
//    against the items created.
// The baseline, in the same run, fills a QTreeWidget eagerly with the same
// entries and draws it once (time and resident memory).
// Run by hand: build/bin/bench_tree
#include "BenchApp.h"
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <QApplication>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/content/ContentWriter.h"
#include "ui/hierarchy/ContentsViewer.h"
#include "core/platform/DrawingSurface.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtSurface.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/GuideHost.h"

namespace vantrel {
namespace {

constexpr int kChapters = 20, kSections = 10, kSubsections = 10, kEntries = 9;

// Resident memory, after handing freed memory back to the system so that
// what one measurement freed does not hide what the next one takes.
long residentKiB() {
  malloc_trim(0);
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string label(int c, int s = -1, int u = -1, int e = -1) {
  std::string t = "Chapter " + std::to_string(c + 1);
  if (s >= 0) t += "." + std::to_string(s + 1);
  if (u >= 0) t += "." + std::to_string(u + 1);
  if (e >= 0) t += " entry " + std::to_string(e + 1) + " <i>with</i> markup";
  return t;
}

struct SyntheticContents {
  SyntheticContents() {
    char pattern[] = "/tmp/vantrel-bench-tree-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    auto item = [&](H parent, const std::string& text) {
      const H h = w.add(parent, u"hierarchy item");
      w.setText(h, u16(text));
      return h;
    };
    const H toc = w.add(0, u"table");
    w.setText(toc, u"Contents");
    w.setName(toc, u"TOC");
    const H page = w.add(0, u"table");
    w.setText(page, u"Pages");
    w.setText(w.add(page, u"table type"), u"html");
    const H target = item(page, "A page");
    H deepest = 0;
    for (int c = 0; c < kChapters; ++c) {
      const H ch = item(toc, label(c));
      for (int s = 0; s < kSections; ++s) {
        const H sec = item(ch, label(c, s));
        for (int u = 0; u < kSubsections; ++u) {
          const H sub = item(sec, label(c, s, u));
          for (int e = 0; e < kEntries; ++e) {
            const H leaf = item(sub, label(c, s, u, e));
            w.setLink(w.add(leaf, u"link"), target);
            if (c == kChapters - 1 && s == kSections / 2 && u == kSubsections / 2 && e == kEntries / 2) deepest = leaf;
          }
        }
      }
    }
    std::string error;
    if (!w.write(dir + "/" + kContentBaseName, &error)) std::abort();
    deep = w.indexOf(deepest);
    tocIndex = w.indexOf(toc);
  }
  ~SyntheticContents() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
  ObjectIndex deep = 0;
  ObjectIndex tocIndex = 0;
};

SyntheticContents& contents() {
  static SyntheticContents c;
  return c;
}

QApplication& app() { return bench::benchApp("bench_tree"); }

// The reader on the synthetic contents, as a scripted run has it.
struct Reader {
  Reader()
      : screen(96, 96, {240, 320}),
        settings(contents().dir, std::nullopt),
        messages(true),
        host(screen, contents().dir),
        application(host, Services{screen, keyboard, settings, messages, fonts}) {
    if (!application.startUp()) std::abort();
    host.connectCommands(application);
    QApplication::processEvents();
  }
  ~Reader() {
    host.mainWindow()->setFrame(nullptr);
    application.shutDown();
  }
  ContentsViewer& viewer() { return *dynamic_cast<ContentsViewer*>(application.viewer("contents")); }
  void navigate(ObjectIndex object) { application.mainFrame()->navigate(object, nullptr, 0, true); }
  void draw() {
    QImage image = host.mainWindow()->grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
  }

  QtScreen screen;
  DesktopKeyboard keyboard;
  FixedSettings settings;
  QtMessages messages;
  QtFontFiles fonts;
  GuideHost host;
  Application application;
};

void BM_OpenToc(benchmark::State& state) {
  app();
  Reader r;
  const ObjectIndex home = r.application.pageKeys()["home"];
  const long before = residentKiB();
  for (auto _ : state) {
    state.PauseTiming();
    r.navigate(home);
    r.draw();
    state.ResumeTiming();
    r.navigate(contents().tocIndex);
    r.draw();
  }
  state.counters["items"] = static_cast<double>(r.viewer().pane()->itemCount());
  state.counters["rssGrowthKiB"] = static_cast<double>(residentKiB() - before);
}
BENCHMARK(BM_OpenToc)->Unit(benchmark::kMillisecond);

void BM_ShowDeepEntryInFreshTree(benchmark::State& state) {
  app();
  Reader r;
  r.navigate(contents().tocIndex);
  HierarchyTreePane& pane = *r.viewer().pane();
  for (auto _ : state) {
    state.PauseTiming();
    pane.setRoot(contents().tocIndex);
    state.ResumeTiming();
    if (!pane.showObject(contents().deep, true)) state.SkipWithError("entry not found");
    pane.applyPendingScroll();
  }
  state.counters["items"] = static_cast<double>(pane.itemCount());
}
BENCHMARK(BM_ShowDeepEntryInFreshTree)->Unit(benchmark::kMillisecond);

// Resident memory: after opening "toc", and after expanding every branch of
// one chapter (1 + 10 + 100 + 900 entries).
void BM_MemoryOpenThenExpandChapter(benchmark::State& state) {
  app();
  long opened = 0, expanded = 0;
  size_t itemsOpen = 0, itemsExpanded = 0;
  for (auto _ : state) {
    Reader r;
    const long start = residentKiB();
    r.navigate(contents().tocIndex);
    r.draw();
    opened = residentKiB() - start;
    HierarchyTreePane& pane = *r.viewer().pane();
    itemsOpen = pane.itemCount();
    QTreeWidget* tree = pane.tree();
    const long beforeExpand = residentKiB();
    tree->expandRecursively(tree->model()->index(0, 0));
    // Items filled during the recursive expansion hold their placeholders: expand again until none is left.
    for (int i = 0; i < 4; ++i) tree->expandRecursively(tree->model()->index(0, 0));
    r.draw();
    expanded = residentKiB() - beforeExpand;
    itemsExpanded = pane.itemCount();
  }
  state.counters["rssOpenKiB"] = static_cast<double>(opened);
  state.counters["itemsOpen"] = static_cast<double>(itemsOpen);
  state.counters["rssExpandKiB"] = static_cast<double>(expanded);
  state.counters["itemsExpanded"] = static_cast<double>(itemsExpanded);
}
BENCHMARK(BM_MemoryOpenThenExpandChapter)->Unit(benchmark::kMillisecond)->Iterations(1);

// Baseline: the same entries put into a QTreeWidget at once, then drawn.
void BM_BaselineEagerTreeWidget(benchmark::State& state) {
  app();
  long growth = 0;
  size_t items = 0;
  for (auto _ : state) {
    const long before = residentKiB();
    QTreeWidget tree;
    tree.setFont(QtSurface::qfontFor(guideFontDescription(96)));
    tree.setHeaderHidden(true);
    tree.resize(240, 268);
    QList<QTreeWidgetItem*> top;
    for (int c = 0; c < kChapters; ++c) {
      auto* ch = new QTreeWidgetItem(QStringList(QString::fromStdString(label(c))));
      for (int s = 0; s < kSections; ++s) {
        auto* sec = new QTreeWidgetItem(ch, QStringList(QString::fromStdString(label(c, s))));
        for (int u = 0; u < kSubsections; ++u) {
          auto* sub = new QTreeWidgetItem(sec, QStringList(QString::fromStdString(label(c, s, u))));
          for (int e = 0; e < kEntries; ++e)
            new QTreeWidgetItem(sub, QStringList(QString::fromStdString(label(c, s, u, e))));
        }
      }
      top.append(ch);
    }
    tree.addTopLevelItems(top);
    QImage image = tree.grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
    growth = residentKiB() - before;
    items = static_cast<size_t>(kChapters) * (1 + kSections * (1 + kSubsections * (1 + kEntries)));
  }
  state.counters["items"] = static_cast<double>(items);
  state.counters["rssGrowthKiB"] = static_cast<double>(growth);
}
BENCHMARK(BM_BaselineEagerTreeWidget)->Unit(benchmark::kMillisecond);
// Once more, alone, for the memory figure of a single fill.
BENCHMARK(BM_BaselineEagerTreeWidget)->Name("BM_BaselineEagerTreeWidgetMemory")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
