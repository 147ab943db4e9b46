// The rich-text engine against QTextDocument, in the same run.
//
//   Engine/ParseLayoutDraw      10,000 table-cell texts of typical guide markup
//                               (20 to 200 characters with links, bold, italic,
//                               scripts, entities), each parsed, laid out and
//                               drawn with the Qt surface into an off-screen image
//   QTextDocument/LayoutDraw    the same texts as HTML, laid out by QTextDocument
//                               at the same width and drawn into the same image
//   Engine/ParseMeasureOneCell  parse + measureLayout of one typical cell (Qt surface)
//   Engine/ParseMeasureOneCellTestSurface   the same on the test surface (engine cost alone)
//   Engine/ParseLayout, QTextDocument/Layout   the same 10,000 texts parsed and
//                               laid out without drawing (what each side adds to
//                               the glyph rasterisation both pay alike)
//   Engine/OneLineCells         the 10,000 texts as one-line table cells (76 px, "...")
//   Engine/Repaint, QTextDocument/Repaint   1,000 of the cells, laid out once,
//                               drawn again (the engine from the glyph runs it kept)
//
// At the end it prints the time per cell of both and their ratios, in real and
// in CPU time (the CPU figure is steadier on a shared machine).
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ui/platform/QtSurface.h"
#include "core/platform/FixedMetricsSurface.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/util/TextCodec.h"

using namespace vantrel;

namespace {

constexpr int kCells = 10000;
constexpr int kWidth = 120;

const char* const kWords[] = {"dose",     "mg",        "daily",   "renal",      "adjust",   "infusion", "hepatic",
                              "avoid",    "monitor",   "levels",  "clearance",  "tablet",   "oral",     "IV",
                              "children", "adults",    "q12h",    "max",        "loading",  "weight",   "kg",
                              "see",      "table",     "with",    "food",       "interval", "reduce",   "by",
                              "50%",      "CrCl",      "<",       "30",         "ml/min",   "dialysis", "after",
                              "HD",       "(",         "trough)", "pregnancy",  "category", "B",        "—"};

// Deterministic cell texts of 20 to 200 characters of guide-like markup.
std::vector<std::u16string> makeCells() {
  std::mt19937 rng(4711);
  std::uniform_int_distribution<int> lengthDist(20, 200), wordDist(0, std::size(kWords) - 1), pick(0, 99);
  std::vector<std::u16string> cells;
  cells.reserve(kCells);
  for (int i = 0; i < kCells; ++i) {
    const size_t target = static_cast<size_t>(lengthDist(rng));
    std::string s;
    while (s.size() < target) {
      if (!s.empty()) s += ' ';
      const int p = pick(rng);
      std::string w = kWords[wordDist(rng)];
      if (w == "<") w = "&lt;";
      if (p < 8) {
        s += "<b>" + w + "</b>";
      } else if (p < 14) {
        s += "<a href=\"" + std::to_string(1000 + pick(rng) * 37) + "\">" + w + " " + kWords[wordDist(rng)] + "</a>";
      } else if (p < 18) {
        s += "<i>" + w + "</i>";
      } else if (p < 21) {
        s += "H<sub>2</sub>O";
      } else if (p < 24) {
        s += w + "<sup>" + std::to_string(p % 9 + 1) + "</sup>";
      } else if (p < 26) {
        s += "&amp;";
      } else if (p < 27) {
        s += "<br>";
      } else {
        s += w;
      }
    }
    cells.push_back(fromUtf8(s));
  }
  return cells;
}

const std::vector<std::u16string>& cells() {
  static const std::vector<std::u16string> c = makeCells();
  return c;
}

// Our markup is HTML already (the same tags and entities); QTextDocument reads it as such.
const std::vector<QString>& htmlCells() {
  static const std::vector<QString> h = [] {
    std::vector<QString> out;
    for (const auto& c : cells()) out.push_back(QString::fromStdU16String(c));
    return out;
  }();
  return h;
}

const std::u16string kTypicalCell =
    u"<b>Adults:</b> 500 mg q12h; CrCl &lt; 30 ml/min: reduce by 50% (see <a href=\"1234\">table 3</a>) H<sub>2</sub>O";

void BM_Engine_ParseLayoutDraw(benchmark::State& state) {
  QtSurface surface(kWidth, 400);
  MarkupRenderer renderer(96, 96);
  renderer.configure(guideFontDescription(96), 0, 0);
  const auto& texts = cells();
  for (auto _ : state) {
    int y = 0;
    for (const auto& t : texts) {
      TextBlock block(t);
      renderer.parse(block, surface);
      renderer.draw(block, surface, {0, y, kWidth, y + 100});
      y = (y + 37) % 300;
    }
  }
  surface.end();
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_Engine_ParseLayoutDraw)->Name("Engine/ParseLayoutDraw")->Unit(benchmark::kMillisecond);

void BM_QTextDocument_LayoutDraw(benchmark::State& state) {
  QImage image(kWidth, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QFont font = QtSurface::qfontFor(guideFontDescription(96));
  const auto& texts = htmlCells();
  for (auto _ : state) {
    int y = 0;
    for (const auto& html : texts) {
      QTextDocument doc;
      doc.setDefaultFont(font);
      doc.setDocumentMargin(1);
      doc.setTextWidth(kWidth);
      doc.setHtml(html);
      painter.save();
      painter.translate(0, y);
      painter.fillRect(QRect(0, 0, kWidth, 100), Qt::white);
      doc.drawContents(&painter, QRectF(0, 0, kWidth, 100));
      painter.restore();
      y = (y + 37) % 300;
    }
  }
  painter.end();
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_QTextDocument_LayoutDraw)->Name("QTextDocument/LayoutDraw")->Unit(benchmark::kMillisecond);

// A repaint: the same cells drawn again, as a table grid redraws the cells it
// keeps (parsed and laid out once). The engine draws the glyph runs it kept
// from the first draw; QTextDocument draws the documents it laid out before.
// A screenful of cells is redrawn many times, so the first kRepaintCells
// texts stand for it.
constexpr int kRepaintCells = 1000;

void BM_Engine_Repaint(benchmark::State& state) {
  QtSurface surface(kWidth, 400);
  MarkupRenderer renderer(96, 96);
  renderer.configure(guideFontDescription(96), 0, 0);
  std::vector<TextBlock> blocks;
  for (int i = 0; i < kRepaintCells; ++i) {
    blocks.emplace_back(cells()[i]);
    renderer.parse(blocks.back(), surface);
  }
  auto paint = [&] {
    int y = 0;
    for (TextBlock& block : blocks) {
      renderer.draw(block, surface, {0, y, kWidth, y + 100});
      y = (y + 37) % 300;
    }
  };
  paint();  // the first paint lays out
  for (auto _ : state) paint();
  surface.end();
  state.SetItemsProcessed(state.iterations() * kRepaintCells);
}
BENCHMARK(BM_Engine_Repaint)->Name("Engine/Repaint")->Unit(benchmark::kMillisecond);

void BM_QTextDocument_Repaint(benchmark::State& state) {
  QImage image(kWidth, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QFont font = QtSurface::qfontFor(guideFontDescription(96));
  std::vector<std::unique_ptr<QTextDocument>> docs;
  for (int i = 0; i < kRepaintCells; ++i) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    doc->setDocumentMargin(1);
    doc->setTextWidth(kWidth);
    doc->setHtml(htmlCells()[i]);
    doc->documentLayout()->documentSize();  // laid out before the first paint
    docs.push_back(std::move(doc));
  }
  for (auto _ : state) {
    int y = 0;
    for (const auto& doc : docs) {
      painter.save();
      painter.translate(0, y);
      painter.fillRect(QRect(0, 0, kWidth, 100), Qt::white);
      doc->drawContents(&painter, QRectF(0, 0, kWidth, 100));
      painter.restore();
      y = (y + 37) % 300;
    }
  }
  painter.end();
  state.SetItemsProcessed(state.iterations() * kRepaintCells);
}
BENCHMARK(BM_QTextDocument_Repaint)->Name("QTextDocument/Repaint")->Unit(benchmark::kMillisecond);

// The same without drawing: what each side spends on parsing and layout alone.
void BM_Engine_ParseLayout(benchmark::State& state) {
  QtSurface surface(1, 1);
  MarkupRenderer renderer(96, 96);
  renderer.configure(guideFontDescription(96), 0, 0);
  const auto& texts = cells();
  for (auto _ : state) {
    for (const auto& t : texts) {
      TextBlock block(t);
      renderer.parse(block, surface);
      benchmark::DoNotOptimize(renderer.measureLayout(surface, block, {0, 0, kWidth, 100}));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_Engine_ParseLayout)->Name("Engine/ParseLayout")->Unit(benchmark::kMillisecond);

void BM_QTextDocument_Layout(benchmark::State& state) {
  QFont font = QtSurface::qfontFor(guideFontDescription(96));
  const auto& texts = htmlCells();
  for (auto _ : state) {
    for (const auto& html : texts) {
      QTextDocument doc;
      doc.setDefaultFont(font);
      doc.setDocumentMargin(1);
      doc.setTextWidth(kWidth);
      doc.setHtml(html);
      benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_QTextDocument_Layout)->Name("QTextDocument/Layout")->Unit(benchmark::kMillisecond);

void BM_Engine_OneLineCells(benchmark::State& state) {
  QtSurface surface(76, 400);
  MarkupRenderer renderer(96, 96);
  renderer.configure(guideFontDescription(96), 1, 0);
  const auto& texts = cells();
  for (auto _ : state) {
    int y = 0;
    for (const auto& t : texts) {
      TextBlock block(t);
      renderer.parse(block, surface);
      renderer.draw(block, surface, {0, y, 76, y + 20});
      y = (y + 20) % 380;
    }
  }
  surface.end();
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_Engine_OneLineCells)->Name("Engine/OneLineCells")->Unit(benchmark::kMillisecond);

void BM_Engine_ParseMeasureOneCell(benchmark::State& state) {
  QtSurface surface(1, 1);
  MarkupRenderer renderer(96, 96);
  renderer.configure(guideFontDescription(96), 0, 0);
  for (auto _ : state) {
    TextBlock block(kTypicalCell);
    renderer.parse(block, surface);
    benchmark::DoNotOptimize(renderer.measureLayout(surface, block, {0, 0, kWidth, 1000}));
  }
}
BENCHMARK(BM_Engine_ParseMeasureOneCell)->Name("Engine/ParseMeasureOneCell")->Unit(benchmark::kMicrosecond);

void BM_Engine_ParseMeasureOneCellTestSurface(benchmark::State& state) {
  FixedMetricsSurface surface;
  MarkupRenderer renderer(96, 96);
  renderer.configure(guideFontDescription(96), 0, 0);
  for (auto _ : state) {
    TextBlock block(kTypicalCell);
    renderer.parse(block, surface);
    benchmark::DoNotOptimize(renderer.measureLayout(surface, block, {0, 0, kWidth, 1000}));
  }
}
BENCHMARK(BM_Engine_ParseMeasureOneCellTestSurface)
    ->Name("Engine/ParseMeasureOneCellTestSurface")
    ->Unit(benchmark::kMicrosecond);

// Prints the usual table, then the time per cell of both sides and their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
      // Seconds per iteration.
      seconds_[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
      cpuSeconds_[r.benchmark_name()] = r.cpu_accumulated_time / static_cast<double>(r.iterations);
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto engine = seconds_.find("Engine/ParseLayoutDraw");
    const auto qt = seconds_.find("QTextDocument/LayoutDraw");
    if (engine != seconds_.end() && qt != seconds_.end()) {
      const double e = engine->second / kCells * 1e6, q = qt->second / kCells * 1e6;
      const double ec = cpuSeconds_[engine->first] / kCells * 1e6, qc = cpuSeconds_[qt->first] / kCells * 1e6;
      std::printf("\nPer cell (parse + lay out + draw, width %d):\n"
                  "  real time: engine %.2f us, QTextDocument %.2f us, QTextDocument / engine = %.1f\n"
                  "  CPU time:  engine %.2f us, QTextDocument %.2f us, QTextDocument / engine = %.1f\n",
                  kWidth, e, q, q / e, ec, qc, qc / ec);
    }
    const auto el = cpuSeconds_.find("Engine/ParseLayout");
    const auto ql = cpuSeconds_.find("QTextDocument/Layout");
    if (el != cpuSeconds_.end() && ql != cpuSeconds_.end()) {
      const double e = el->second / kCells * 1e6, q = ql->second / kCells * 1e6;
      std::printf("Per cell without drawing (parse + lay out), CPU time: engine %.2f us, QTextDocument %.2f us, "
                  "QTextDocument / engine = %.1f\n",
                  e, q, q / e);
    }
    const auto er = cpuSeconds_.find("Engine/Repaint");
    const auto qr = cpuSeconds_.find("QTextDocument/Repaint");
    if (er != cpuSeconds_.end() && qr != cpuSeconds_.end()) {
      const double e = er->second / kRepaintCells * 1e6, q = qr->second / kRepaintCells * 1e6;
      const double ereal = seconds_[er->first] / kRepaintCells * 1e6, qreal = seconds_[qr->first] / kRepaintCells * 1e6;
      std::printf("Per cell repainted (kept layout drawn again): CPU engine %.2f us, QTextDocument %.2f us, "
                  "QTextDocument / engine = %.1f (real %.1f)\n",
                  e, q, q / e, qreal / ereal);
    }
    const auto one = seconds_.find("Engine/ParseMeasureOneCell");
    if (one != seconds_.end()) {
      std::printf("Parse + measure of one typical cell (%zu characters of markup): %.2f us real, %.2f us CPU\n",
                  kTypicalCell.size(), one->second * 1e6, cpuSeconds_[one->first] * 1e6);
    }
  }

 private:
  std::map<std::string, double> seconds_;
  std::map<std::string, double> cpuSeconds_;
};

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
