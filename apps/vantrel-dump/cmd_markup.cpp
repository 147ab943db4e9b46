// vantrel-dump markup / strip: look at how a piece of markup is parsed, laid
// out and drawn, without a content database.
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "DumpCommand.h"
#include "core/platform/FixedMetricsSurface.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/util/TextCodec.h"

#ifdef VANTREL_HAVE_UI
#include <QGuiApplication>
#include <QImage>

#include "ui/platform/QtSurface.h"
#endif

namespace vantrel::dump {
namespace {

// The TEXT argument; "-" reads standard input.
std::u16string textArgument(const std::string& word) {
  if (word == "-") {
    std::string all((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    return fromUtf8(all);
  }
  return fromUtf8(word);
}

int numberOption(const std::vector<std::string>& args, size_t& i, const char* name, uint32_t low, uint32_t high) {
  if (i + 1 >= args.size()) throw UsageError{std::string(name) + " needs a value"};
  const uint32_t v = parseIndex(args[++i], name);
  if (v < low || v > high) {
    throw UsageError{std::string(name) + " must be between " + std::to_string(low) + " and " + std::to_string(high)};
  }
  return static_cast<int>(v);
}

std::string hexColour(Colour c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c));
  return buf;
}

#ifdef VANTREL_HAVE_UI
// Draws the markup with the Qt surface into a PNG of the given width.
void writePng(const std::u16string& markup, int width, int maxLines, int dpi, int scale, const std::string& file) {
  if (!QGuiApplication::instance()) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static int argc = 1;
  static char name[] = "vantrel-dump";
  static char* argv[] = {name, nullptr};
  std::optional<QGuiApplication> app;
  if (!QGuiApplication::instance()) app.emplace(argc, argv);

  MarkupRenderer renderer(dpi, dpi);
  renderer.configure(guideFontDescription(dpi), maxLines, 0);
  TextBlock block(markup);
  int height = renderer.lineHeight();
  {
    QtSurface measuring(1, 1);
    renderer.parse(block, measuring);
    const Rect need = renderer.measureLayout(measuring, block, {0, 0, width, 1 << 20});
    height = std::max(height, need.bottom + renderer.margins().bottom);
  }
  QtSurface surface(width, height);
  renderer.draw(block, surface, {0, 0, width, height});
  surface.end();
  QImage image = surface.image();
  if (scale > 1) image = image.scaled(width * scale, height * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  if (!image.save(QString::fromStdString(file), "PNG")) throw Failure{"cannot write the picture " + file};
}
#endif

void runMarkup(DumpContext& ctx, DumpOutput& out) {
  int width = 240, maxLines = 0, dpi = 96, scale = 1;
  std::string png;
  std::optional<std::string> text;
  bool optionsDone = false;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && a == "--width") {
      width = numberOption(ctx.args, i, "--width", 1, 100000);
    } else if (!optionsDone && a == "--lines") {
      maxLines = numberOption(ctx.args, i, "--lines", 0, 255);
    } else if (!optionsDone && a == "--dpi") {
      dpi = numberOption(ctx.args, i, "--dpi", 24, 960);
    } else if (!optionsDone && a == "--scale") {
      scale = numberOption(ctx.args, i, "--scale", 1, 8);
    } else if (!optionsDone && a == "--png") {
      if (i + 1 >= ctx.args.size()) throw UsageError{"--png needs a FILE"};
      png = ctx.args[++i];
    } else if (!optionsDone && a.size() > 2 && a.compare(0, 2, "--") == 0) {
      throw UsageError{"unknown option for markup: " + a};
    } else if (text) {
      throw UsageError{"markup takes one TEXT (quote it)"};
    } else {
      text = a;
    }
  }
  if (!text) throw UsageError{"markup needs a TEXT"};
  const std::u16string markup = textArgument(*text);

  FixedMetricsSurface surface(width, 1 << 20);
  MarkupRenderer renderer(dpi, dpi);
  renderer.configure(guideFontDescription(dpi), maxLines, 0);
  TextBlock block(markup);
  renderer.parse(block, surface);
  const Rect need = renderer.measureLayout(surface, block, {0, 0, width, 1 << 20});
  const Rect rect{0, 0, width, std::max(need.bottom + renderer.margins().bottom, renderer.lineHeight())};
  const std::vector<LayoutPiece> pieces = renderer.layoutPieces(surface, block, rect);

  nlohmann::json& j = out.result;
  j["text"] = jsonText(block.text);
  j["runs"] = nlohmann::json::array();
  for (const auto& r : block.runs) {
    j["runs"].push_back({{"start", r.start},
                         {"end", r.end},
                         {"bold", r.bold},
                         {"italic", r.italic},
                         {"link", r.link},
                         {"linkId", r.linkId},
                         {"script", r.script},
                         {"colour", r.colour},
                         {"width", r.width},
                         {"height", r.height}});
  }
  j["lineWidth"] = block.lineWidth;
  j["maxRunHeight"] = block.maxRunHeight;
  j["truncated"] = block.truncated;
  j["pieces"] = nlohmann::json::array();
  std::ostringstream plain;
  plain << "text: " << utf8(block.text) << "\n"
        << "lineWidth: " << block.lineWidth << "  maxRunHeight: " << block.maxRunHeight
        << "  truncated: " << (block.truncated ? "true" : "false") << "\n"
        << "runs:\n";
  for (const auto& r : block.runs) {
    plain << "  [" << r.start << "," << r.end << ") " << r.width << "x" << r.height << (r.bold ? " bold" : "")
          << (r.italic ? " italic" : "") << (r.script == 1 ? " sup" : r.script == 2 ? " sub" : "");
    if (r.link) plain << " link " << r.linkId;
    plain << " colour " << hexColour(r.colour) << "  \"" << utf8(block.text.substr(r.start, r.end - r.start))
          << "\"\n";
  }
  plain << "pieces:\n";
  for (const auto& p : pieces) {
    const std::u16string t = p.ellipsis ? std::u16string(u"...") : block.text.substr(p.start, p.count);
    j["pieces"].push_back({{"text", jsonText(t)},
                           {"x", p.rect.left},
                           {"y", p.rect.top},
                           {"w", p.rect.width()},
                           {"h", p.rect.height()},
                           {"line", p.line}});
    plain << "  line " << p.line << " at (" << p.rect.left << "," << p.rect.top << ") " << p.rect.width() << "x"
          << p.rect.height() << "  \"" << utf8(t) << "\"\n";
  }
  out.plain = plain.str();

  if (!png.empty()) {
#ifdef VANTREL_HAVE_UI
    writePng(markup, width, maxLines, dpi, scale, png);
#else
    throw Failure{"this build has no Qt side, so --png is not available"};
#endif
  }
}

void runStrip(DumpContext& ctx, DumpOutput& out) {
  std::optional<std::string> tag, attr, text;
  bool optionsDone = false;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (!optionsDone && a == "--") {
      optionsDone = true;
    } else if (!optionsDone && (a == "--tag" || a == "--attr")) {
      if (i + 1 >= ctx.args.size()) throw UsageError{a + " needs a NAME"};
      (a == "--tag" ? tag : attr) = ctx.args[++i];
    } else if (!optionsDone && a.size() > 2 && a.compare(0, 2, "--") == 0) {
      throw UsageError{"unknown option for strip: " + a};
    } else if (text) {
      throw UsageError{"strip takes one TEXT (quote it)"};
    } else {
      text = a;
    }
  }
  if (!text) throw UsageError{"strip needs a TEXT"};
  if (attr && !tag) throw UsageError{"--attr needs --tag"};
  const std::u16string markup = textArgument(*text);
  const std::u16string result = tag ? MarkupRenderer::stripTags(markup, fromUtf8(*tag), fromUtf8(attr.value_or("")))
                                     : MarkupRenderer::stripAllTags(markup);
  out.result["text"] = jsonText(result);
  out.plain = utf8(result);
}

const DumpRegistration markupCommand({
    "markup",
    "markup [--width W] [--lines N] [--dpi D] [--png FILE [--scale S]] TEXT",
    "parse and lay out TEXT (markup; - reads standard input) on the test surface in a width of W pixels "
    "(default 240), at most N lines (0: no limit), at D dots per inch (default 96); --png also draws it "
    "with the Qt surface into a PNG, S times enlarged",
    false,
    runMarkup,
});

const DumpRegistration stripCommand({
    "strip",
    "strip [--tag NAME [--attr NAME]] TEXT",
    "the plain text of TEXT with every tag removed, or with only the tags NAME (with first attribute NAME) removed",
    false,
    runStrip,
});

}  // namespace
}  // namespace vantrel::dump
