#include "core/serve/Metrics.h"

#include <cmath>
#include <cstdio>

namespace vantrel::serve {
namespace {

void line(std::string& out, const char* fmt, auto... args) {
  char buffer[256];
  const int n = std::snprintf(buffer, sizeof buffer, fmt, args...);
  if (n > 0) out.append(buffer, std::min(static_cast<size_t>(n), sizeof buffer - 1));
}

void header(std::string& out, const char* name, const char* type, const char* help) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += ' ';
  out += type;
  out += '\n';
}

// A bucket bound as Prometheus clients write it: shortest exact decimal.
std::string bound(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

}  // namespace

std::string_view routeName(Route route) {
  switch (route) {
    case Route::site: return "site";
    case Route::apiIndex: return "api_index";
    case Route::apiPage: return "api_page";
    case Route::apiTable: return "api_table";
    case Route::apiSearch: return "api_search";
    case Route::healthz: return "healthz";
    case Route::metrics: return "metrics";
    case Route::other: break;
  }
  return "other";
}

Route routeOf(std::string_view path) {
  if (path == "/healthz") return Route::healthz;
  if (path == "/metrics") return Route::metrics;
  if (path.rfind("/api/", 0) == 0) {
    const std::string_view rest = path.substr(5);
    if (rest == "index") return Route::apiIndex;
    if (rest == "search") return Route::apiSearch;
    if (rest.rfind("page/", 0) == 0) return Route::apiPage;
    if (rest.rfind("table/", 0) == 0) return Route::apiTable;
    return Route::other;
  }
  // The site's pages all lie in one folder: "/" or "/name" without a slash.
  if (path.size() >= 1 && path[0] == '/' && path.find('/', 1) == std::string_view::npos) return Route::site;
  return Route::other;
}

std::string escapeLabelValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

void Metrics::record(Route route, int status, uint64_t bytes, double seconds) {
  const int cls = status / 100;
  if (cls >= 1 && cls <= 5) {
    requests_[static_cast<size_t>(route)][static_cast<size_t>(cls - 1)].fetch_add(1, std::memory_order_relaxed);
  }
  bytes_.fetch_add(bytes, std::memory_order_relaxed);
  if (!(seconds >= 0)) seconds = 0;  // also NaN
  for (size_t i = 0; i < kBuckets.size(); ++i) {
    if (seconds <= kBuckets[i]) {
      buckets_[i].fetch_add(1, std::memory_order_relaxed);
      break;
    }
  }
  const double micros = std::min(seconds * 1e6, 1e15);
  sumMicros_.fetch_add(static_cast<uint64_t>(std::llround(micros)), std::memory_order_relaxed);
  count_.fetch_add(1, std::memory_order_relaxed);
}

uint64_t Metrics::requests(Route route, int statusClass) const {
  if (statusClass < 1 || statusClass > 5) return 0;
  return requests_[static_cast<size_t>(route)][static_cast<size_t>(statusClass - 1)].load(
      std::memory_order_relaxed);
}

std::string Metrics::exposition(const MetricsGauges& g) const {
  std::string out;
  out.reserve(4096);
  header(out, "vantrel_http_requests_total", "counter", "HTTP requests answered, by route and status class.");
  for (size_t r = 0; r < kRouteCount; ++r) {
    const std::string name(routeName(static_cast<Route>(r)));
    for (int c = 1; c <= 5; ++c) {
      const uint64_t n = requests_[r][static_cast<size_t>(c - 1)].load(std::memory_order_relaxed);
      line(out, "vantrel_http_requests_total{route=\"%s\",code=\"%dxx\"} %llu\n", name.c_str(), c,
           static_cast<unsigned long long>(n));
    }
  }

  header(out, "vantrel_http_request_duration_seconds", "histogram",
         "Time from a request's arrival to its answer being handed over, in seconds.");
  // The count is read first, the buckets after: a scrape never shows a
  // bucket above the total it reports.
  uint64_t count = count_.load(std::memory_order_relaxed);
  const uint64_t sum = sumMicros_.load(std::memory_order_relaxed);
  uint64_t cumulative = 0;
  for (size_t i = 0; i < kBuckets.size(); ++i) {
    cumulative += buckets_[i].load(std::memory_order_relaxed);
    line(out, "vantrel_http_request_duration_seconds_bucket{le=\"%s\"} %llu\n", bound(kBuckets[i]).c_str(),
         static_cast<unsigned long long>(cumulative));
  }
  if (count < cumulative) count = cumulative;
  line(out, "vantrel_http_request_duration_seconds_bucket{le=\"+Inf\"} %llu\n",
       static_cast<unsigned long long>(count));
  line(out, "vantrel_http_request_duration_seconds_sum %.6f\n", static_cast<double>(sum) / 1e6);
  line(out, "vantrel_http_request_duration_seconds_count %llu\n", static_cast<unsigned long long>(count));

  header(out, "vantrel_http_response_bytes_total", "counter", "Bytes of response bodies sent.");
  line(out, "vantrel_http_response_bytes_total %llu\n",
       static_cast<unsigned long long>(bytes_.load(std::memory_order_relaxed)));

  header(out, "vantrel_http_open_connections", "gauge", "Client connections accepted and not yet closed.");
  line(out, "vantrel_http_open_connections %lld\n", static_cast<long long>(g.openConnections));

  header(out, "vantrel_page_cache_entries", "gauge", "Pages kept in memory for the open edition.");
  line(out, "vantrel_page_cache_entries %llu\n", static_cast<unsigned long long>(g.cacheEntries));
  header(out, "vantrel_page_cache_bytes", "gauge", "Bytes of the pages kept in memory for the open edition.");
  line(out, "vantrel_page_cache_bytes %llu\n", static_cast<unsigned long long>(g.cacheBytes));
  header(out, "vantrel_page_cache_hits_total", "counter", "Page requests answered from memory.");
  line(out, "vantrel_page_cache_hits_total %llu\n",
       static_cast<unsigned long long>(cacheHits_.load(std::memory_order_relaxed)));
  header(out, "vantrel_page_cache_misses_total", "counter", "Page requests that had to generate the page.");
  line(out, "vantrel_page_cache_misses_total %llu\n",
       static_cast<unsigned long long>(cacheMisses_.load(std::memory_order_relaxed)));

  header(out, "vantrel_reloads_total", "counter", "Reloads of the guide on SIGHUP, by result.");
  line(out, "vantrel_reloads_total{result=\"ok\"} %llu\n",
       static_cast<unsigned long long>(reloadsOk_.load(std::memory_order_relaxed)));
  line(out, "vantrel_reloads_total{result=\"failed\"} %llu\n",
       static_cast<unsigned long long>(reloadsFailed_.load(std::memory_order_relaxed)));

  header(out, "vantrel_draining", "gauge", "1 while the server drains before stopping.");
  line(out, "vantrel_draining %d\n", g.draining ? 1 : 0);

  header(out, "vantrel_edition_info", "gauge", "The edition of the guide being served, as labels; always 1.");
  out += "vantrel_edition_info{edition=\"" + escapeLabelValue(g.edition) + "\",objects=\"" +
         std::to_string(g.objects) + "\"} 1\n";
  return out;
}

}  // namespace vantrel::serve
