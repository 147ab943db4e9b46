// vantrel-dump image: what the image viewer reads for a picture: caption,
// blob, the variant table (as far as it can be read), the variant it would
// choose for a screen, the note; --out writes that variant's file.
#include <cstdio>
#include <optional>
#include <string>

#include "DumpCommand.h"
#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/images/ImageViewerModel.h"
#include "core/page/PageKeys.h"
#include "core/util/FileOps.h"

#ifdef VANTREL_HAVE_UI
#include <QCoreApplication>

#include "ui/images/PictureDecoder.h"
#endif

namespace vantrel::dump {
namespace {

// "WxH" with both sides from 1 to 65535.
Size screenArgument(const std::string& word) {
  const size_t x = word.find('x');
  if (x == std::string::npos) throw UsageError{"--screen takes WxH, for example 240x320: '" + word + "'"};
  const uint32_t w = parseIndex(word.substr(0, x), "--screen width");
  const uint32_t h = parseIndex(word.substr(x + 1), "--screen height");
  if (w < 1 || h < 1 || w > 65535 || h > 65535) throw UsageError{"--screen sides must be between 1 and 65535"};
  return {static_cast<int>(w), static_cast<int>(h)};
}

// The decoder's name for the bytes' format; nothing when it cannot decode them.
std::optional<std::string> formatOf(const std::vector<uint8_t>& bytes) {
#ifdef VANTREL_HAVE_UI
  QByteArray format;
  if (decodePicture(bytes, &format).isNull()) return std::nullopt;
  return format.toStdString();
#else
  (void)bytes;
  return std::nullopt;
#endif
}

std::string typeNameOf(const ContentDatabase& db, ObjectIndex x) {
  ObjectEntry e;
  return db.readEntry(x, e) ? utf8(db.typeName(e.type)) : std::string();
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!fileops::writeFileAtomic(path, view)) throw Failure{"cannot write " + path};
}

void image(DumpContext& ctx, DumpOutput& out) {
  static const char* kUsage = "usage: image I [--screen WxH] [--dpi D] [--out FILE]";
  Size screen{240, 320};
  int dpi = 96;
  std::string outFile;
  std::vector<std::string> words;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    const bool hasValue = i + 1 < ctx.args.size();
    if (a == "--screen" || a == "--dpi" || a == "--out") {
      if (!hasValue) throw UsageError{a + " needs a value; " + kUsage};
      const std::string& v = ctx.args[++i];
      if (a == "--screen") {
        screen = screenArgument(v);
      } else if (a == "--dpi") {
        const uint32_t d = parseIndex(v, "--dpi");
        if (d < 1 || d > 1000) throw UsageError{"--dpi must be between 1 and 1000"};
        dpi = static_cast<int>(d);
      } else {
        if (v.empty()) throw UsageError{"--out needs a file name"};
        outFile = v;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError{"unknown option '" + a + "'; " + kUsage};
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 1) throw UsageError{kUsage};
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = objectArg(db, words[0]);
  if (!ImageViewerModel::accepts(db, x)) {
    throw Failure{"object " + words[0] + " is of type \"" + typeNameOf(db, x) +
                  "\", not \"image\"; the image viewer refuses it"};
  }

#ifdef VANTREL_HAVE_UI
  // The image plugins are found through the application object.
  static int argc = 1;
  static char name[] = "vantrel-dump";
  static char* argv[] = {name, nullptr};
  std::optional<QCoreApplication> app;
  if (!QCoreApplication::instance()) app.emplace(argc, argv);
#endif
  const PageKeys noKeys;
  ImageViewerModel model(db, noKeys);
  model.show(x, screen, dpi, dpi);
  const ImageBlobLayout& layout = model.layout();

  nlohmann::json variants = nlohmann::json::array();
  std::optional<std::string> chosenFormat;
  for (uint32_t i = 0; i < layout.variants.size(); ++i) {
    const ImageVariantDescriptor& d = layout.variants[i];
    const VariantRange r = variantRange(layout, i);
    std::optional<std::string> format;
    if (r.ok()) {
      std::vector<uint8_t> bytes;
      if (readVariantBytes(db, model.blob(), r, bytes)) format = formatOf(bytes);
    }
    if (i == model.chosen()) chosenFormat = format;
    variants.push_back({{"width", d.width},
                        {"height", d.height},
                        {"offset", d.offset},
                        {"size", r.size},
                        {"format", format ? nlohmann::json(*format) : nlohmann::json()}});
  }
  const VariantRange& range = model.range();
  const bool loads = range.ok() && !model.bytes().empty() && chosenFormat.has_value();
  std::string problem;
  if (!range.ok()) {
    problem = std::string("variant ") + std::to_string(model.chosen()) + ": " + variantProblemText(range.problem);
  } else if (!loads) {
    problem = "variant " + std::to_string(model.chosen()) + " cannot be decoded";
  }

  std::u16string note;
  ContentCursor c(db, x);
  const bool hasNote = c.valid() && c.toChildOfType(u"note");
  if (hasNote) c.text(note);

  setOrdered(out, {{"object", x},
                   {"caption", jsonText(model.caption())},
                   {"blob", model.blob()},
                   {"count", layout.count},
                   {"variants", variants},
                   {"chosen", loads ? static_cast<int64_t>(model.chosen()) : int64_t(-1)},
                   {"problem", problem.empty() ? nlohmann::json() : nlohmann::json(problem)},
                   {"note", hasNote ? jsonText(note) : nlohmann::json()}});

  if (!outFile.empty()) {
    // The bytes of the variant the rule chose, decodable or not.
    if (model.bytes().empty()) throw Failure{"nothing written to " + outFile + ": " + problem};
    writeFile(outFile, model.bytes());
  }
}

const DumpRegistration kCommands[] = {
    DumpRegistration{{"image", "image I [--screen WxH] [--dpi D] [--out FILE]",
                      "the picture of image object I as the image viewer reads it: caption, blob, its variants "
                      "(size, offset, bytes, format or null when it cannot be decoded), the variant chosen for the "
                      "screen (default 240x320 at 96 dpi; -1 when it would fail to load), the note; --out writes "
                      "the chosen variant's file",
                      true, image}},
};

}  // namespace
}  // namespace vantrel::dump
