#include "core/serve/WebApi.h"

#include <cstdio>
#include <mutex>

#include <nlohmann/json.hpp>

#include "core/html/HtmlViewerModel.h"
#include "core/lists/IndexSource.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/tables/TightCrtTable.h"
#include "core/util/TextCodec.h"

namespace vantrel::serve {
namespace {

constexpr uint32_t kIndexRows = 50;

WebResponse json(int status, const nlohmann::json& body) {
  WebResponse r;
  r.status = status;
  r.contentType = "application/json";
  r.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return r;
}

WebResponse error(int status, const std::string& message) { return json(status, {{"error", message}}); }

std::string text(const std::u16string& s) { return toUtf8(s); }

// A decimal object index as written in a path: 400 when it is not one.
bool parseIndexWord(std::string_view word, uint32_t& out) {
  if (word.empty() || word.size() > 10) return false;
  uint64_t v = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool validUtf8(const std::string& s) { return toUtf8(fromUtf8(s)) == s; }

// Names of the site's files: letters, digits, ".", "-", "_", no leading dot.
bool siteName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

WebApi::WebApi(const ContentDatabase& database) : db_(database), site_(database) {
  const ContentLayout& l = db_.layout();
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%04x%04x%04x-%04x%04x%04x-%u", l.dataStamp[0], l.dataStamp[1],
                l.dataStamp[2], l.stringsStamp[0], l.stringsStamp[1], l.stringsStamp[2], l.objectCount);
  edition_ = buffer;
  etag_ = "\"" + edition_ + "-w1\"";
}

size_t WebApi::cacheEntries() const {
  std::lock_guard<std::mutex> lock(cacheMutex_);
  return cache_.size();
}

size_t WebApi::cacheBytes() const {
  std::lock_guard<std::mutex> lock(cacheMutex_);
  return cacheBytes_;
}

WebResponse WebApi::get(std::string_view path, const Query& query, CacheUse* cacheUse) const {
  if (cacheUse) *cacheUse = CacheUse::none;
  if (path.empty() || path[0] != '/') return error(400, "bad path");
  path.remove_prefix(1);
  if (path.rfind("api/", 0) == 0) {
    const std::string_view rest = path.substr(4);
    if (rest == "index") return index(query);
    if (rest.rfind("page/", 0) == 0) return page(rest.substr(5));
    if (rest.rfind("table/", 0) == 0) return table(rest.substr(6));
    if (rest == "search") return search(query);
    return error(404, "no such API");
  }
  if (!path.empty() && !siteName(path)) return error(404, "no such page");
  const std::string key(path);
  {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    const auto hit = cache_.find(key);
    if (hit != cache_.end()) {
      if (cacheUse) *cacheUse = CacheUse::hit;
      return hit->second;
    }
  }
  if (cacheUse) *cacheUse = CacheUse::miss;
  WebResponse r = site_.render(path);
  if (r.status != 200) {
    r.contentType = "text/plain; charset=utf-8";
    r.body = "Not found\n";
    return r;
  }
  std::lock_guard<std::mutex> lock(cacheMutex_);
  if (cacheBytes_ + r.body.size() > kCacheBytes) {
    cache_.clear();
    cacheBytes_ = 0;
  }
  if (r.body.size() <= kCacheBytes / 8 && cache_.emplace(key, r).second) cacheBytes_ += r.body.size() + key.size();
  return r;
}

WebResponse WebApi::index(const Query& query) const {
  if (query.q.size() > kMaxQuery) return error(400, "q is too long");
  if (!validUtf8(query.q)) return error(400, "q is not UTF-8");
  IndexSource source;
  const ObjectIndex indexObject = db_.objectByName(u"INDEX");
  if (indexObject != 0) source.bind(&db_, indexObject, u"hierarchy item");
  const int64_t row = searchRows(source, fromUtf8(query.q), true);
  nlohmann::json rows = nlohmann::json::array();
  const uint32_t first = row < 0 ? 0 : static_cast<uint32_t>(row);
  for (uint32_t i = first; i < source.itemCount() && i - first < kIndexRows; ++i) {
    const std::u16string& markup = source.itemAt(i).text;
    rows.push_back({{"row", i},
                    {"text", text(markup)},
                    {"plain", text(MarkupRenderer::stripAllTags(markup))},
                    {"target", source.objectAt(i)}});
  }
  return json(200, {{"row", row}, {"rows", std::move(rows)}});
}

bool WebApi::useSearchIndex(const std::string& folder) { return searchIndex_.open(folder, editionKey(db_)); }

WebResponse WebApi::search(const Query& query) const {
  if (query.q.size() > kMaxQuery) return error(400, "q is too long");
  if (!validUtf8(query.q)) return error(400, "q is not UTF-8");
  if (!searchIndex_.isOpen()) return error(503, "no search index");
  SearchAnswer answer;
  {
    std::lock_guard<std::mutex> lock(searchMutex_);
    answer = searchIndex_.search(query.q, 50);
  }
  if (answer.failed) return error(503, "the search index cannot be read");
  nlohmann::json results = nlohmann::json::array();
  for (const SearchHit& h : answer.hits) {
    results.push_back({{"object", h.object},
                       {"title", h.title},
                       {"kind", h.kind},
                       {"snippet", h.snippet},
                       {"score", h.score}});
  }
  nlohmann::json corrected = nullptr;
  if (answer.corrected) corrected = *answer.corrected;
  return json(200, {{"query", query.q}, {"corrected", corrected}, {"total", answer.total}, {"results", results}});
}

WebResponse WebApi::page(std::string_view word) const {
  uint32_t object = 0;
  if (!parseIndexWord(word, object)) return error(400, "not an object index");
  if (static_cast<uint64_t>(object) >= static_cast<uint64_t>(db_.objectCount()) + 6) {
    return error(404, "no such object");
  }
  HtmlViewerModel viewer(db_, HtmlPageKeys::fromDatabase(db_));
  if (!viewer.show(object)) {
    return json(200, {{"source", nullptr}, {"title", nullptr}, {"html", nullptr}, {"object", object}, {"anchor", ""}});
  }
  return json(200, {{"source", std::string(htmlSourceName(viewer.currentSource()))},
                    {"title", text(MarkupRenderer::stripAllTags(viewer.title()))},
                    {"html", text(viewer.pageText())},
                    {"object", object},
                    {"anchor", text(viewer.anchor())}});
}

WebResponse WebApi::table(std::string_view word) const {
  uint32_t object = 0;
  if (!parseIndexWord(word, object)) return error(400, "not an object index");
  if (!TightCrtTable::accepts(db_, object)) return error(404, "not a table item");
  // One answer, one session: no other request's tables shift its colours.
  HeadingToggles session;
  TightCrtTable model(db_, session);
  model.buildTable(object);
  nlohmann::json cells = nlohmann::json::array();
  for (uint32_t r = 0; r < model.allRowCount(); ++r) {
    nlohmann::json row = nlohmann::json::array();
    for (uint32_t c = 0; c < model.allColumnCount(); ++c) {
      TableCell cell;
      model.realCell(r, c, cell);
      row.push_back({{"object", cell.object}, {"text", text(cell.text)}, {"colour", cell.colour}});
    }
    cells.push_back(std::move(row));
  }
  return json(200, {{"object", object},
                    {"arrangement", model.arrangement()},
                    {"rowCount", model.allRowCount()},
                    {"columnCount", model.allColumnCount()},
                    {"key", model.keyObject()},
                    {"cells", std::move(cells)}});
}

}  // namespace vantrel::serve
