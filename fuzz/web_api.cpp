// Fuzz target: arbitrary requests to the web API over a synthetic guide, as
// vantrel-serve hands them over (a percent-decoded path and the q
// parameter). Nothing may crash or hang; every answer has a status the
// server knows and a body, and API answers are JSON.
//
// Input: the path up to the first line feed, the q parameter after it (none
// when there is no line feed).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <unistd.h>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentFormat.h"
#include "core/content/ContentWriterSynthetic.h"
#include "core/serve/WebApi.h"

using namespace vantrel;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

struct Served {
  Served() {
    dir = std::filesystem::temp_directory_path() / ("vantrel-fuzz-web-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string error;
    const std::string base = (dir / kContentBaseName).string();
    check(makeSyntheticGuide(300, 7)->write(base, &error));
    check(db.open(base));
    api = std::make_unique<serve::WebApi>(db);
  }
  ~Served() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
  ContentDatabase db;
  std::unique_ptr<serve::WebApi> api;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Served served;
  if (size > 4096) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nl = input.find('\n');
  const std::string path = input.substr(0, nl);
  serve::Query query;
  if (nl != std::string::npos) {
    query.hasQ = true;
    query.q = input.substr(nl + 1);
  }
  const WebResponse r = served.api->get(path, query);
  check(r.status == 200 || r.status == 400 || r.status == 404 || r.status == 503);
  check(!r.body.empty());
  if (path.rfind("/api/", 0) == 0) check(nlohmann::json::accept(r.body));
  return 0;
}
