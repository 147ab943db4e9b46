// The web API's request handling on requests from outside: every hostile
// path or search text gets a 4xx answer with a JSON reason, never a crash
// or a 5xx; well-formed requests get their page.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "WrittenGuide.h"
#include "core/content/ContentWriterSynthetic.h"
#include "core/serve/WebApi.h"

namespace vantrel {
namespace {

struct ServedGuide : test::WrittenGuide {
  ServedGuide() : WrittenGuide("vantrel-webapi") { open(*makeSyntheticGuide(300, 7)); }
};

TEST(WebApi, HostileRequestsAreRefusedWithAReason) {
  ServedGuide g;
  serve::WebApi api(g.db);
  struct Case {
    std::string path;
    std::string q;
    int status;
  };
  const Case cases[] = {
      {"", "", 400},
      {"api/index", "", 400},                          // no leading slash
      {"/api/nothing", "", 404},
      {"/api/page/", "", 400},
      {"/api/page/abc", "", 400},
      {"/api/page/99999999999999999999", "", 400},
      {"/api/page/4294967295", "", 404},
      {"/api/table/-1", "", 400},
      {"/api/index", std::string(serve::WebApi::kMaxQuery + 1, 'a'), 400},
      {"/api/index", "\xff\xfe", 400},                // not UTF-8
      {"/api/search", "penicillin", 503},              // no index opened
      {"/../etc/passwd", "", 404},
      {std::string("/o5.html\0x", 10), "", 404},
      {"/o99999999.html", "", 404},
  };
  for (const Case& c : cases) {
    serve::Query q;
    q.hasQ = !c.q.empty();
    q.q = c.q;
    const WebResponse r = api.get(c.path, q);
    EXPECT_EQ(r.status, c.status) << c.path;
    EXPECT_FALSE(r.body.empty()) << c.path;
    if (c.path.rfind("/api/", 0) == 0) EXPECT_TRUE(nlohmann::json::accept(r.body)) << c.path << ": " << r.body;
  }
  // And the well-formed ones answer.
  EXPECT_EQ(api.get("/api/index", serve::Query{true, "a"}).status, 200);
  EXPECT_EQ(api.get("/index.html", {}).status, 200);
}

}  // namespace
}  // namespace vantrel
