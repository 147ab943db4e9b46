// The HTML viewer on large pages: an index entry whose menu has 5,000 items
// and an "html" page of 200 KB. Each run navigates from a small page to the
// large one through the main frame and takes a picture of the window, so the
// time covers generating the page, loading it into the HTML control and
// drawing it. Offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/content/ContentWriter.h"
#include "ui/html/HtmlViewer.h"
#include "core/html/PageSources.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/GuideHost.h"

using namespace vantrel;

namespace {

struct BigGuide {
  std::string dir;
  uint32_t menuEntry = 0, bigPage = 0, smallPage = 0;
  size_t htmlBytes = 0;
};

ContentWriter::Handle text(ContentWriter& w, ContentWriter::Handle parent, const char16_t* type, std::u16string t) {
  auto h = w.add(parent, type);
  w.setText(h, std::move(t));
  return h;
}

// root; table "Index" (INDEX) with one entry of 5,000 items linking into two
// tables in runs of ten (a heading every ten items); a table of type "html"
// with a small page and a page of about 200 KB.
const BigGuide& bigGuide() {
  static BigGuide g = [] {
    BigGuide b;
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-bench-html-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return b;
    b.dir = pattern;
    ContentWriter w(u"guide");
    auto index = text(w, 0, u"table", u"Index");
    w.setName(index, u"INDEX");
    auto drugs = text(w, 0, u"table", u"Drug monographs");
    auto renal = text(w, 0, u"table", u"Renal dosing");
    std::vector<ContentWriter::Handle> targets;
    for (int i = 0; i < 100; ++i) {
      targets.push_back(text(w, i % 2 ? renal : drugs, u"hierarchy item", u"Target " + std::u16string(1, u'A' + i % 26)));
    }
    auto entry = text(w, index, u"hierarchy item", u"A long entry");
    for (int i = 0; i < 5000; ++i) {
      auto item = text(w, entry, u"hierarchy item", u"Item <i>number</i> " + std::u16string(1, u'a' + i % 26));
      auto link = w.add(item, u"link");
      w.setLink(link, targets[(i / 10) % targets.size()]);
    }
    auto notes = text(w, 0, u"table", u"Notes");
    text(w, notes, u"table type", u"html");
    auto small = text(w, notes, u"hierarchy item", u"Small");
    text(w, small, u"html", u"<p>A small page.</p>");
    auto big = text(w, notes, u"hierarchy item", u"Big");
    std::u16string html;
    int n = 0;
    while (html.size() < 200 * 1024) {
      html += u"<h3>Section</h3><p>Paragraph of a long page with <b>bold</b>, <i>italic</i> text and a <a href=\"";
      html += std::u16string(1, u'1' + n % 9);
      html += u"\">link</a>. The quick brown fox jumps over the lazy dog again and again.</p>";
      ++n;
    }
    b.htmlBytes = html.size();
    text(w, big, u"html", html);
    std::string error;
    if (!w.write(b.dir + "/" + kContentBaseName, &error)) {
      b.dir.clear();
      return b;
    }
    b.menuEntry = w.indexOf(entry);
    b.bigPage = w.indexOf(big);
    b.smallPage = w.indexOf(small);
    return b;
  }();
  return g;
}

void run(benchmark::State& state, bool menu) {
  const BigGuide& g = bigGuide();
  if (g.dir.empty()) {
    state.SkipWithError("cannot write the guide");
    return;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  QtScreen screen(96, 96, {240, 320});
  DesktopKeyboard keyboard;
  FixedSettings settings(g.dir, std::nullopt);
  QtMessages messages(true);
  QtFontFiles fonts;
  GuideHost host(screen, g.dir);
  Application application(host, Services{screen, keyboard, settings, messages, fonts});
  if (!application.startUp()) {
    state.SkipWithError("start-up refused");
    return;
  }
  host.connectCommands(application);
  QApplication::processEvents();
  auto* viewer = dynamic_cast<HtmlViewer*>(application.viewer("html"));
  const uint32_t target = menu ? g.menuEntry : g.bigPage;
  size_t loaded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    application.mainFrame()->navigate(g.smallPage, nullptr, 0, true);
    QApplication::processEvents();
    state.ResumeTiming();
    application.mainFrame()->navigate(target, nullptr, 0, true);
    QApplication::processEvents();
    QImage shown = host.mainWindow()->grab().toImage();
    benchmark::DoNotOptimize(shown);
    loaded = viewer ? static_cast<size_t>(viewer->pane()->control()->text().size()) : 0;
  }
  state.counters["html_chars"] = static_cast<double>(loaded);
  application.shutDown();
}

}  // namespace

static void BM_MenuPageOf5000Items(benchmark::State& state) { run(state, true); }

// The part of the menu page's time spent generating its text.
static void BM_MenuPageTextOnly(benchmark::State& state) {
  const BigGuide& g = bigGuide();
  ContentDatabase db;
  if (g.dir.empty() || !db.open(g.dir + "/" + kContentBaseName)) {
    state.SkipWithError("cannot open the guide");
    return;
  }
  MenuPage page(db);
  for (auto _ : state) benchmark::DoNotOptimize(page.pageText(g.menuEntry));
}
BENCHMARK(BM_MenuPageTextOnly)->Unit(benchmark::kMillisecond);
static void BM_HtmlPageOf200KB(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_MenuPageOf5000Items)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_HtmlPageOf200KB)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_MAIN();
