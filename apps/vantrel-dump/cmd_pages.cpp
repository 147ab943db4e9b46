// vantrel-dump commands on the generated HTML pages: what the HTML viewer
// shows for an object (and after following links, as taps would), and the
// creatinine clearance calculator run on the texts of its four fields.
#include <charconv>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "DumpCommand.h"
#include "core/content/ContentDatabase.h"
#include "core/html/HtmlViewerModel.h"
#include "core/page/PageSource.h"
#include "core/tools/CrClCalculator.h"
#include "core/util/TextCodec.h"

namespace vantrel::dump {
namespace {

// A 32-bit float as the shortest decimal that reads back as the same float.
nlohmann::json floatJson(float value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return nullptr;
  double widened = 0;
  std::from_chars(buffer, end, widened);
  return widened;
}

void page(DumpContext& ctx, DumpOutput& out) {
  if (ctx.args.empty()) throw UsageError{"usage: page I [LINK...]"};
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex object = parseIndex(ctx.args[0], "object index");
  const uint64_t limit = static_cast<uint64_t>(db.objectCount()) + 6;
  if (object >= limit) {
    throw Failure{"object " + ctx.args[0] + " is past the end of the object table and the page keys (" +
                  std::to_string(limit) + " indexes)"};
  }
  HtmlViewerModel viewer(db, HtmlPageKeys::fromDatabase(db));
  ObjectIndex shown = object;
  bool taken = viewer.show(object);
  for (size_t i = 1; i < ctx.args.size(); ++i) {
    const std::string& word = ctx.args[i];
    if (!taken) {
      throw Failure{"link '" + word + "': object " + std::to_string(shown) + " is not an HTML page"};
    }
    const LinkTarget link = parseLinkTarget(fromUtf8(word));
    if (!link.follow) continue;  // web addresses are not followed
    HtmlNavigation next = viewer.linkTapped(link.object);
    shown = next.object;
    taken = viewer.show(next.object, next.data.data(), next.data.size());
  }
  if (!taken) {
    setOrdered(out, {{"source", nullptr}, {"title", nullptr}, {"html", nullptr}, {"object", shown}, {"anchor", ""}});
    return;
  }
  setOrdered(out, {{"source", std::string(htmlSourceName(viewer.currentSource()))},
                   {"title", jsonText(viewer.title())},
                   {"html", jsonText(viewer.pageText())},
                   {"object", shown},
                   {"anchor", jsonText(viewer.anchor())}});
}

void crcl(DumpContext& ctx, DumpOutput& out) {
  static const char* const usage = "usage: crcl female|male AGE WEIGHT CREATININE HEIGHT";
  if (ctx.args.size() != 5) throw UsageError{usage};
  const ContentDatabase& db = validDatabase(ctx);
  CrClInput input;
  if (ctx.args[0] == "male") {
    input.male = true;
  } else if (ctx.args[0] != "female") {
    throw UsageError{std::string("sex must be 'female' or 'male', not '") + ctx.args[0] + "'"};
  }
  input.age = fromUtf8(ctx.args[1]);
  input.weight = fromUtf8(ctx.args[2]);
  input.creatinine = fromUtf8(ctx.args[3]);
  input.height = fromUtf8(ctx.args[4]);
  const CrClOutcome outcome = calculateCrCl(input);
  if (!outcome.ok) {
    setOrdered(out, {{"ok", false},
                     {"message", jsonText(outcome.message)},
                     {"caption", jsonText(outcome.caption)},
                     {"field", outcome.focusField},
                     {"crcl", nullptr},
                     {"ibw", nullptr},
                     {"weight", nullptr},
                     {"html", nullptr}});
    return;
  }
  // The results page as the viewer builds it from the page data.
  const std::vector<uint8_t> data = encodeCrClResult(outcome.result);
  HtmlViewerModel viewer(db, HtmlPageKeys::fromDatabase(db));
  viewer.show(viewer.keys().calcResult, data.data(), data.size());
  setOrdered(out, {{"ok", true},
                   {"crcl", floatJson(outcome.result.crcl)},
                   {"ibw", floatJson(outcome.result.ibw)},
                   {"weight", floatJson(outcome.result.weight)},
                   {"dosingWeight", floatJson(outcome.dosingWeight)},
                   {"adjusted", outcome.adjusted},
                   {"html", jsonText(viewer.pageText())}});
}

const DumpRegistration kCommands[] = {
    DumpRegistration{{"page", "page I [LINK...]",
                      "what the HTML viewer shows for object I: source (null when it does not show it), title, "
                      "html; each LINK (a link target such as 1234 or 1234#top) is then tapped in turn",
                      true, page}},
    DumpRegistration{{"crcl", "crcl female|male AGE WEIGHT CREATININE HEIGHT",
                      "the creatinine clearance calculator on these field texts: ok, message when refused, crcl, "
                      "ibw, weight and the results page",
                      true, crcl}},
};

}  // namespace
}  // namespace vantrel::dump
