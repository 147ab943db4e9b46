// vantrel-index: builds the full-text search index of a guide ahead of time,
// beside the guide (where the reader looks first) or into another folder.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentFormat.h"
#include "core/util/ProgramMain.h"
#include "core/search/SearchIndex.h"
#include "core/shell/Application.h"
#include "core/viewers/ViewerRegistry.h"

namespace {

void printHelp(std::ostream& os) {
  os << "Usage: vantrel-index [--base NAME] [--quiet] DIR [--out FOLDER]\n"
        "\n"
        "Builds the full-text search index of the guide in DIR (base name default\n"
        "\"" VANTREL_CONTENT_BASE_NAME "\"). Without --out it is written to DIR/search-index, where the\n"
        "reader uses it when it matches the guide's edition; with --out it is written\n"
        "to FOLDER (for a deployment that copies it there later).\n"
        "\n"
        "  --out FOLDER  the index folder to write (replaced when it exists)\n"
        "  --quiet       no progress line and no summary\n"
        "  --help        this text\n"
        "\n"
        "Exit status: 0 built, 1 the guide is missing or damaged or the index could\n"
        "not be written, 2 bad usage.\n";
}

}  // namespace

static int runProgram(int argc, char** argv) {
  using namespace vantrel;
  vantrel::prepareIndexBuilds();  // before any thread starts
  std::string dir, out, base = kContentBaseName;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      printHelp(std::cout);
      return 0;
    }
    if (a == "--out" || a == "--base") {
      if (i + 1 >= argc) {
        std::cerr << "vantrel-index: " << a << " needs a value\n";
        return 2;
      }
      (a == "--out" ? out : base) = argv[++i];
      continue;
    }
    if (a == "--quiet") {
      quiet = true;
      continue;
    }
    if (!a.empty() && a[0] == '-') {
      std::cerr << "vantrel-index: unknown option " << a << " (see --help)\n";
      return 2;
    }
    if (!dir.empty()) {
      std::cerr << "vantrel-index: one DIR only (see --help)\n";
      return 2;
    }
    dir = a;
  }
  if (dir.empty()) {
    printHelp(std::cerr);
    return 2;
  }
  namespace fs = std::filesystem;
  const std::string basePath = (fs::path(dir) / base).string();
  for (const char* suffix : {"-Data.pdb", "-Strings.pdb"})
    if (!fs::is_regular_file(basePath + suffix)) {
      std::cerr << "vantrel-index: missing content file: " << basePath << suffix << "\n";
      return 1;
    }
  ContentDatabase db;
  if (!db.open(basePath)) {
    std::cerr << "vantrel-index: not a valid content database: " << basePath << "\n";
    return 1;
  }
  if (out.empty()) out = besideGuideFolder(dir);

  const bool terminal = !quiet && isatty(STDERR_FILENO);
  int lastPercent = -1;
  auto progress = [&](uint64_t done, uint64_t total) {
    if (!terminal || total == 0) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == lastPercent) return;
    lastPercent = percent;
    std::fprintf(stderr, "\rvantrel-index: indexing %llu / %llu objects (%d%%)", static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total), percent);
    std::fflush(stderr);
  };
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  IndexBuildStats stats;
  const bool ok = buildIndex(db, viewerKinds(), out, progress, nullptr, &error, &stats);
  if (terminal) std::fprintf(stderr, "\n");
  if (!ok) {
    std::cerr << "vantrel-index: " << error << "\n";
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!quiet)
    std::printf("vantrel-index: wrote %s: %llu documents, %llu bytes (%.2f s)\n", out.c_str(),
                static_cast<unsigned long long>(stats.documents), static_cast<unsigned long long>(stats.bytes),
                seconds);
  return 0;
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-index", runProgram, argc, argv); }
