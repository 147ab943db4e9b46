// vantrel-dump search: runs a query against the guide's full-text index, the
// one the reader would use; when there is none yet, one is built for the run
// in a temporary folder and removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "DumpCommand.h"
#include "core/search/SearchIndex.h"
#include "core/viewers/ViewerRegistry.h"

namespace vantrel::dump {
namespace {

void search(DumpContext& ctx, DumpOutput& out) {
  std::string query;
  uint32_t limit = 20;
  bool haveQuery = false;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--limit") {
      if (i + 1 >= ctx.args.size()) throw UsageError{"usage: search QUERY [--limit N]"};
      limit = parseIndex(ctx.args[++i], "--limit");
      if (limit == 0 || limit > 10000) throw UsageError{"--limit must be between 1 and 10000"};
      continue;
    }
    if (haveQuery) query += ' ';
    query += a;
    haveQuery = true;
  }
  if (!haveQuery) throw UsageError{"usage: search QUERY [--limit N]"};
  const ContentDatabase& db = validDatabase(ctx);

  IndexLocation loc = locateIndex(db, ctx.directory);
  std::string temp;
  if (!loc.ready) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-dump-search-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw Failure{"cannot create a temporary folder for the search index"};
    temp = pattern;
    loc.folder = temp + "/index";
    std::string error;
    if (!buildIndex(db, viewerKinds(), loc.folder, {}, nullptr, &error)) {
      std::error_code ec;
      std::filesystem::remove_all(temp, ec);
      throw Failure{"cannot build the search index: " + error};
    }
  }
  SearchIndex index;
  const bool opened = index.open(loc.folder, editionKey(db));
  SearchAnswer answer;
  if (opened) answer = index.search(query, limit);
  index.close();
  if (!temp.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(temp, ec);
  }
  if (!opened || answer.failed) throw Failure{"the search index in " + loc.folder + " cannot be read"};

  nlohmann::json results = nlohmann::json::array();
  std::string lines;
  for (const SearchHit& h : answer.hits) {
    results.push_back({{"object", h.object}, {"title", h.title}, {"kind", h.kind}, {"snippet", h.snippet},
                       {"score", h.score}});
    char score[32];
    std::snprintf(score, sizeof score, "%.3f", h.score);
    lines += "\n  " + std::to_string(h.object) + " " + h.kind + " " + score + " " + h.title + "\n    " + h.snippet;
  }
  out.result = nlohmann::json::object();
  out.result["query"] = answer.query;
  out.result["corrected"] = answer.corrected ? nlohmann::json(*answer.corrected) : nlohmann::json(nullptr);
  out.result["total"] = answer.total;
  out.result["results"] = results;
  out.plain = "query: " + answer.query + "\ncorrected: " + (answer.corrected ? *answer.corrected : "(none)") +
              "\ntotal: " + std::to_string(answer.total) + "\nresults: " + std::to_string(results.size()) + lines +
              "\n";
}

DumpRegistration reg({"search", "search QUERY [--limit N]",
                      "full-text search: the ranked pages for QUERY with snippets and the spelling suggestion "
                      "(builds a temporary index when the guide has none)",
                      true, search});

}  // namespace
}  // namespace vantrel::dump
