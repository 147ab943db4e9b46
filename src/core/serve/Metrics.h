#pragma once
// The server's counters and their Prometheus text exposition (format 0.0.4).
// Counting is lock-free (relaxed atomics in fixed arrays), so every request
// can count without contending; the exposition reads a consistent-enough
// snapshot: each number is exact, numbers of one scrape are read one by one.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::serve {

// What a request asked for, as the metrics label it. A fixed, small set, so a
// client cannot grow the number of series by asking for odd paths.
enum class Route { site, apiIndex, apiPage, apiTable, apiSearch, healthz, metrics, other };
constexpr size_t kRouteCount = 8;

// The label of a route ("site", "api_index", ...).
std::string_view routeName(Route route);
// The route of a request path (percent-decoded, starting with "/").
Route routeOf(std::string_view path);

// What the exposition shows besides the counters: gauges read when scraped.
struct MetricsGauges {
  uint64_t cacheEntries = 0;
  uint64_t cacheBytes = 0;
  int64_t openConnections = 0;
  std::string edition;  // the open edition's name (empty: none)
  uint64_t objects = 0;
  bool draining = false;
};

class Metrics {
 public:
  // Upper bounds of the latency histogram's buckets, in seconds.
  static constexpr std::array<double, 12> kBuckets = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                      0.05,   0.1,   0.25,   0.5,   1.0,  2.5};

  // One answered request: its route, status, body bytes and how long it took.
  void record(Route route, int status, uint64_t bytes, double seconds);
  void cacheHit() { cacheHits_.fetch_add(1, std::memory_order_relaxed); }
  void cacheMiss() { cacheMisses_.fetch_add(1, std::memory_order_relaxed); }
  // A reload of the guide: whether the new edition opened.
  void reload(bool ok) { (ok ? reloadsOk_ : reloadsFailed_).fetch_add(1, std::memory_order_relaxed); }

  // A connection accepted / closed.
  void connectionOpened() { connections_.fetch_add(1, std::memory_order_relaxed); }
  void connectionClosed() { connections_.fetch_sub(1, std::memory_order_relaxed); }
  int64_t openConnections() const { return connections_.load(std::memory_order_relaxed); }

  uint64_t requests(Route route, int statusClass) const;

  // The whole exposition, every line ending in "\n".
  std::string exposition(const MetricsGauges& gauges) const;

  // The content type scrapers expect for this format.
  static constexpr const char* kContentType = "text/plain; version=0.0.4; charset=utf-8";

 private:
  // Requests by route and status class (index 0..4 for 1xx..5xx).
  std::array<std::array<std::atomic<uint64_t>, 5>, kRouteCount> requests_{};
  std::array<std::atomic<uint64_t>, kBuckets.size()> buckets_{};  // not cumulative
  std::atomic<uint64_t> count_{0};
  std::atomic<uint64_t> sumMicros_{0};
  std::atomic<uint64_t> bytes_{0};
  std::atomic<uint64_t> cacheHits_{0}, cacheMisses_{0};
  std::atomic<uint64_t> reloadsOk_{0}, reloadsFailed_{0};
  std::atomic<int64_t> connections_{0};
};

// A label value escaped for the exposition (backslash, double quote, newline).
std::string escapeLabelValue(std::string_view value);

}  // namespace vantrel::serve
