// vantrel-export: the whole guide as a static website, one file per page,
// readable from a folder (file://) or from any web server.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentFormat.h"
#include "core/util/ProgramMain.h"
#include "core/export/WebSite.h"
#include "core/util/FileOps.h"

namespace fs = std::filesystem;
using namespace vantrel;

namespace {

void usage(std::ostream& os) {
  os << "Usage: vantrel-export [--base NAME] [--quiet] DIR OUT\n\n"
        "Writes the guide whose content database lies in DIR as a static website\n"
        "into the folder OUT (created when missing; files of the same names are\n"
        "replaced). Open OUT/index.html in a browser, or serve OUT with any web server.\n\n"
        "  --base NAME   base name of the content files (default " VANTREL_CONTENT_BASE_NAME ")\n"
        "  --quiet       no progress on the terminal\n"
        "  -h, --help    this text\n";
}

// Each page goes in whole; no fsync per page (a crash during an export means
// exporting again, never a half-written page).
bool writeFile(const fs::path& path, const std::string& bytes) {
  return fileops::writeFileAtomic(path.string(), bytes, fileops::Sync::consistent);
}

}  // namespace

static int runProgram(int argc, char** argv) {
  std::string base = kContentBaseName;
  bool quiet = false;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      usage(std::cout);
      return 0;
    } else if (a == "--quiet") {
      quiet = true;
    } else if (a == "--base") {
      if (++i >= argc) {
        std::cerr << "vantrel-export: --base needs a name\n";
        return 2;
      }
      base = argv[i];
    } else if (!a.empty() && a[0] == '-') {
      std::cerr << "vantrel-export: unknown option " << a << "\n";
      usage(std::cerr);
      return 2;
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 2) {
    usage(std::cerr);
    return 2;
  }
  ContentDatabase db;
  if (!fs::is_directory(words[0]) || !db.open((fs::path(words[0]) / base).string())) {
    std::cerr << "vantrel-export: no valid content database in " << words[0] << " (base name " << base << ")\n";
    return 1;
  }
  const fs::path out = words[1];
  std::error_code ec;
  fs::create_directories(out, ec);
  if (ec || !fs::is_directory(out)) {
    std::cerr << "vantrel-export: cannot create " << out.string() << ": " << ec.message() << "\n";
    return 1;
  }
  const bool progress = !quiet && isatty(STDERR_FILENO);
  const auto start = std::chrono::steady_clock::now();
  WebSite site(db);
  uint64_t files = 0, bytes = 0;
  bool failed = false;
  std::string failedPath;
  site.forEachPath([&](const std::string& path) {
    const WebResponse page = site.render(path);
    if (page.status != 200) return true;  // an address a page names but nothing serves: the crawl test finds it
    if (!writeFile(out / path, page.body)) {
      failed = true;
      failedPath = path;
      return false;
    }
    ++files;
    bytes += page.body.size();
    if (progress && files % 200 == 0) std::fprintf(stderr, "\rvantrel-export: %llu files", (unsigned long long)files);
    return true;
  });
  if (progress) std::fprintf(stderr, "\r");
  if (failed) {
    std::cerr << "vantrel-export: cannot write " << (out / failedPath).string() << "\n";
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!quiet) {
    std::fprintf(stderr, "vantrel-export: %llu files, %llu bytes in %.2f s to %s\n", (unsigned long long)files,
                 (unsigned long long)bytes, seconds, out.string().c_str());
  }
  return 0;
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-export", runProgram, argc, argv); }
