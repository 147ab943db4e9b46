// The metrics exposition as a Prometheus scraper reads it: every sample of a
// declared family, histogram buckets cumulative up to the count, labels
// escaped, and counts that add up when many threads count at once.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "core/serve/Metrics.h"

namespace vantrel::serve {
namespace {

struct Sample {
  std::string name, labels;
  double value = 0;
};

// Reads an exposition the way the text format defines it; fails the test on
// any line a scraper would reject.
std::vector<Sample> parse(const std::string& text, std::map<std::string, std::string>* types = nullptr) {
  std::vector<Sample> out;
  std::map<std::string, std::string> declared;
  std::set<std::string> helped;
  static const std::regex sample(R"(^([a-zA-Z_:][a-zA-Z0-9_:]*)(\{(?:[a-zA-Z_][a-zA-Z0-9_]*="(?:[^"\\\n]|\\.)*",?)*\})? (\S+)$)");
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("# HELP ", 0) == 0) {
      helped.insert(line.substr(7, line.find(' ', 7) - 7));
      continue;
    }
    if (line.rfind("# TYPE ", 0) == 0) {
      const std::string rest = line.substr(7);
      const std::string name = rest.substr(0, rest.find(' '));
      EXPECT_TRUE(declared.emplace(name, rest.substr(rest.find(' ') + 1)).second) << "declared twice: " << name;
      EXPECT_TRUE(helped.count(name)) << "TYPE without HELP: " << name;
      continue;
    }
    std::smatch m;
    if (!std::regex_match(line, m, sample)) {
      ADD_FAILURE() << "not a sample line: " << line;
      continue;
    }
    Sample s{m[1], m[2], std::stod(m[3])};
    std::string family = s.name;
    for (const char* suffix : {"_bucket", "_sum", "_count"}) {
      const std::string sfx = suffix;
      if (!declared.count(family) && family.size() > sfx.size() &&
          family.compare(family.size() - sfx.size(), sfx.size(), sfx) == 0) {
        family = family.substr(0, family.size() - sfx.size());
      }
    }
    EXPECT_TRUE(declared.count(family)) << "sample before its TYPE: " << line;
    out.push_back(s);
  }
  if (types) *types = declared;
  return out;
}

double value(const std::vector<Sample>& samples, const std::string& name, const std::string& labels = "") {
  for (const Sample& s : samples) {
    if (s.name == name && s.labels == labels) return s.value;
  }
  ADD_FAILURE() << "no sample " << name << labels;
  return -1;
}

TEST(Metrics, ExpositionIsWellFormedAndAddsUp) {
  Metrics m;
  m.record(Route::site, 200, 1000, 0.0004);
  m.record(Route::site, 304, 0, 0.001);  // exactly on a bound: counted in that bucket
  m.record(Route::apiPage, 404, 20, 0.3);
  m.record(Route::healthz, 503, 30, 7.0);  // beyond the last bound: only in +Inf
  m.record(Route::other, 400, 5, -1);      // a clock step back: counted as 0
  m.cacheHit();
  m.cacheHit();
  m.cacheMiss();
  m.reload(true);
  m.reload(false);
  m.connectionOpened();
  m.connectionOpened();
  m.connectionClosed();
  MetricsGauges g;
  g.cacheEntries = 3;
  g.cacheBytes = 4096;
  g.openConnections = m.openConnections();
  g.edition = "abc-def-12";
  g.objects = 12;

  std::map<std::string, std::string> types;
  const std::vector<Sample> s = parse(m.exposition(g), &types);
  EXPECT_EQ(types["vantrel_http_requests_total"], "counter");
  EXPECT_EQ(types["vantrel_http_request_duration_seconds"], "histogram");
  EXPECT_EQ(types["vantrel_http_open_connections"], "gauge");
  for (const auto& [name, type] : types) {
    if (type == "counter") {
      EXPECT_TRUE(name.size() > 6 && name.substr(name.size() - 6) == "_total") << name;
    }
  }

  EXPECT_EQ(value(s, "vantrel_http_requests_total", R"({route="site",code="2xx"})"), 1);
  EXPECT_EQ(value(s, "vantrel_http_requests_total", R"({route="site",code="3xx"})"), 1);
  EXPECT_EQ(value(s, "vantrel_http_requests_total", R"({route="api_page",code="4xx"})"), 1);
  EXPECT_EQ(value(s, "vantrel_http_requests_total", R"({route="healthz",code="5xx"})"), 1);
  EXPECT_EQ(value(s, "vantrel_http_requests_total", R"({route="metrics",code="2xx"})"), 0);
  EXPECT_EQ(value(s, "vantrel_http_response_bytes_total"), 1055);
  EXPECT_EQ(value(s, "vantrel_page_cache_hits_total"), 2);
  EXPECT_EQ(value(s, "vantrel_page_cache_misses_total"), 1);
  EXPECT_EQ(value(s, "vantrel_page_cache_entries"), 3);
  EXPECT_EQ(value(s, "vantrel_page_cache_bytes"), 4096);
  EXPECT_EQ(value(s, "vantrel_http_open_connections"), 1);
  EXPECT_EQ(value(s, "vantrel_reloads_total", R"({result="ok"})"), 1);
  EXPECT_EQ(value(s, "vantrel_reloads_total", R"({result="failed"})"), 1);
  EXPECT_EQ(value(s, "vantrel_edition_info", R"({edition="abc-def-12",objects="12"})"), 1);

  // Buckets: cumulative, never decreasing, +Inf equal to the count.
  const std::string b = "vantrel_http_request_duration_seconds_bucket";
  EXPECT_EQ(value(s, b, R"({le="0.0005"})"), 2);  // 0.0004 and the negative one
  EXPECT_EQ(value(s, b, R"({le="0.001"})"), 3);
  EXPECT_EQ(value(s, b, R"({le="0.25"})"), 3);
  EXPECT_EQ(value(s, b, R"({le="0.5"})"), 4);
  EXPECT_EQ(value(s, b, R"({le="2.5"})"), 4);
  EXPECT_EQ(value(s, b, R"({le="+Inf"})"), 5);
  EXPECT_EQ(value(s, "vantrel_http_request_duration_seconds_count"), 5);
  EXPECT_NEAR(value(s, "vantrel_http_request_duration_seconds_sum"), 0.0004 + 0.001 + 0.3 + 7.0, 1e-6);
  double last = 0;
  for (const Sample& x : s) {
    if (x.name != b) continue;
    EXPECT_GE(x.value, last) << x.labels;
    last = x.value;
  }
}

TEST(Metrics, LabelValuesCannotBreakTheFormat) {
  EXPECT_EQ(escapeLabelValue("a\"b\\c\nd"), "a\\\"b\\\\c\\nd");
  Metrics m;
  MetricsGauges g;
  g.edition = "x\"} 99\nforged_metric 1";
  const std::vector<Sample> s = parse(m.exposition(g));
  for (const Sample& x : s) EXPECT_NE(x.name, "forged_metric");
}

TEST(Metrics, RoutesAreAFixedSet) {
  EXPECT_EQ(routeOf("/"), Route::site);
  EXPECT_EQ(routeOf("/o12.html"), Route::site);
  EXPECT_EQ(routeOf("/no-such-page"), Route::site);  // the site's 404s are still the site's
  EXPECT_EQ(routeOf("/api/index"), Route::apiIndex);
  EXPECT_EQ(routeOf("/api/page/7"), Route::apiPage);
  EXPECT_EQ(routeOf("/api/table/x"), Route::apiTable);
  EXPECT_EQ(routeOf("/api/search"), Route::apiSearch);
  EXPECT_EQ(routeOf("/api/"), Route::other);
  EXPECT_EQ(routeOf("/api/indexes"), Route::other);
  EXPECT_EQ(routeOf("/healthz"), Route::healthz);
  EXPECT_EQ(routeOf("/metrics"), Route::metrics);
  EXPECT_EQ(routeOf("/healthz/x"), Route::other);
  EXPECT_EQ(routeOf("/a/b.html"), Route::other);
  EXPECT_EQ(routeOf(""), Route::other);
  std::set<std::string_view> names;
  for (size_t r = 0; r < kRouteCount; ++r) names.insert(routeName(static_cast<Route>(r)));
  EXPECT_EQ(names.size(), kRouteCount);
}

TEST(Metrics, ConcurrentCountsAreExact) {
  Metrics m;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&m, t] {
      for (int i = 0; i < 20000; ++i) {
        m.record(t % 2 ? Route::site : Route::apiIndex, 200, 3, 0.002);
        m.cacheHit();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(m.requests(Route::site, 2) + m.requests(Route::apiIndex, 2), 80000u);
  const std::vector<Sample> s = parse(m.exposition({}));
  EXPECT_EQ(value(s, "vantrel_http_request_duration_seconds_count"), 80000);
  EXPECT_EQ(value(s, "vantrel_http_response_bytes_total"), 240000);
  EXPECT_EQ(value(s, "vantrel_page_cache_hits_total"), 80000);
  EXPECT_NEAR(value(s, "vantrel_http_request_duration_seconds_sum"), 160.0, 1e-3);
}

}  // namespace
}  // namespace vantrel::serve
