// vantrel-pack: compiles a guide's JSON source (or a synthetic guide) into
// the three content files of a program directory.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "core/pack/GuideSource.h"
#include "core/content/ContentFormat.h"
#include "core/util/ProgramMain.h"
#include "core/content/ContentWriter.h"
#include "core/content/ContentWriterSynthetic.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel;

constexpr const char* kUsage =
    "Usage: vantrel-pack [--quiet] [--base NAME] SOURCE.json OUTDIR\n"
    "       vantrel-pack [--quiet] [--base NAME] --synthetic N [--seed S] OUTDIR\n"
    "       vantrel-pack --help\n"
    "\n"
    "Compiles a guide written as JSON (see docs/guide-source.md) into the three\n"
    "content files OUTDIR/NAME-Data.pdb, NAME-Strings.pdb and NAME-Binary-PPC.pdb.\n"
    "OUTDIR is created when missing. On any error nothing is written.\n"
    "\n"
    "Options:\n"
    "  --base NAME      base name of the files (default \"" VANTREL_CONTENT_BASE_NAME "\")\n"
    "  --synthetic N    write a synthetic guide of N objects instead of a source\n"
    "                   (tables of every table type, index, contents, long pages,\n"
    "                   images; for tests and benchmarks)\n"
    "  --seed S         seed of the synthetic guide (default 1); the same N and S\n"
    "                   give the same files\n"
    "  --quiet          no progress and no summary\n"
    "  -h, --help       this text\n"
    "\n"
    "Exit status: 0 written, 1 bad source or write failure, 2 bad usage.\n";

constexpr uint32_t kMaxSynthetic = 50000000;

int usageError(const std::string& message) {
  std::cerr << "vantrel-pack: " << message << "\n" << "Try 'vantrel-pack --help'.\n";
  return 2;
}

bool parseNumber(const std::string& s, uint64_t max, uint64_t& out) {
  if (s.empty() || s.size() > 20) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    if (v > (max - uint64_t(c - '0')) / 10) return false;
    v = v * 10 + uint64_t(c - '0');
  }
  out = v;
  return true;
}

// Progress on standard error: in place on a terminal, every 10% otherwise.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : enabled_(enabled), tty_(::isatty(2)) {}
  ~ProgressLine() { done(); }
  void update(const char* stage, uint64_t done, uint64_t total) {
    if (!enabled_ || total == 0) return;
    const int percent = int(done * 100 / total);
    if (stage != stage_) {
      if (tty_ && shown_) std::cerr << "\n";
      stage_ = stage;
      last_ = -100;
    }
    if (tty_ ? percent != last_ : percent >= last_ + 10) {
      last_ = percent;
      std::cerr << (tty_ ? "\r" : "") << "vantrel-pack: " << stage << " " << percent << "%" << (tty_ ? "" : "\n")
                << std::flush;
      shown_ = true;
    }
  }
  void done() {
    if (enabled_ && tty_ && shown_) std::cerr << "\n";
    shown_ = false;
  }

 private:
  bool enabled_, tty_;
  bool shown_ = false;
  const char* stage_ = nullptr;
  int last_ = -100;
};

// Creates dir (and missing parents); remembers the topmost folder it made so
// that a failed run can take it away again.
struct MadeDir {
  fs::path top, leaf;
  bool make(const fs::path& dir, std::string& error) {
    std::error_code ec;
    leaf = fs::absolute(dir, ec).lexically_normal();
    for (fs::path probe = leaf; !probe.empty() && !fs::exists(probe, ec); probe = probe.parent_path()) {
      top = probe;
      if (probe == probe.parent_path()) break;
    }
    fs::create_directories(leaf, ec);
    if (ec || !fs::is_directory(leaf, ec)) {
      error = "cannot create the folder " + dir.string() + (ec ? ": " + ec.message() : "");
      undo();
      return false;
    }
    return true;
  }
  // Removes the folders made, deepest first; fs::remove leaves any folder
  // that is not empty.
  void undo() {
    if (top.empty()) return;
    std::error_code ec;
    for (fs::path p = leaf; !p.empty(); p = p.parent_path()) {
      fs::remove(p, ec);
      if (p == top || p == p.parent_path()) break;
    }
    top.clear();
  }
};

}  // namespace

static int runProgram(int argc, char** argv) {
  std::string base = kContentBaseName;
  std::string syntheticArg, seedArg;
  bool synthetic = false, quiet = false;
  std::vector<std::string> positional;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (options && a == "--") {
      options = false;
    } else if (options && (a == "--help" || a == "-h")) {
      std::cout << kUsage;
      return 0;
    } else if (options && a == "--quiet") {
      quiet = true;
    } else if (options && (a == "--base" || a == "--synthetic" || a == "--seed")) {
      if (i + 1 >= argc) return usageError(a + " needs a value");
      std::string v = argv[++i];
      if (a == "--base") base = v;
      else if (a == "--synthetic") synthetic = true, syntheticArg = v;
      else seedArg = v;
    } else if (options && a.size() > 1 && a[0] == '-') {
    {
      std::cerr << "vantrel-pack: unknown option '" << a << "'. Try '--help'\n";
      return 2;
    }
    } else {
      positional.push_back(a);
    }
  }
  if (base.empty() || base.find('/') != std::string::npos || base == "." || base == "..")
    return usageError("--base must be a plain file name, not \"" + base + "\"");
  if (!seedArg.empty() && !synthetic) return usageError("--seed goes with --synthetic");
  if (positional.size() != (synthetic ? 1u : 2u))
    return usageError(synthetic ? "expected one OUTDIR after --synthetic N" : "expected SOURCE.json and OUTDIR");

  ProgressLine progress(!quiet);
  std::unique_ptr<ContentWriter> writer;
  const auto start = std::chrono::steady_clock::now();
  std::string what;
  if (synthetic) {
    uint64_t n = 0, seed = 1;
    if (!parseNumber(syntheticArg, kMaxSynthetic, n) || n == 0)
      return usageError("--synthetic needs a number of objects from 1 to " + std::to_string(kMaxSynthetic) +
                        ", not \"" + syntheticArg + "\"");
    if (!seedArg.empty() && !parseNumber(seedArg, UINT64_MAX, seed))
      return usageError("--seed needs a non-negative number, not \"" + seedArg + "\"");
    const bool show = n >= 100000;
    writer = makeSyntheticGuide(uint32_t(n), seed, [&](uint64_t done, uint64_t total) {
      if (show) progress.update("generating objects", done, total);
    });
    if (show) progress.update("generating objects", n, n);
    what = "synthetic guide (seed " + std::to_string(seed) + ")";
  } else {
    pack::SourceResult source = pack::loadGuideSource(positional[0]);
    if (!source.ok) {
      for (const std::string& e : source.errors) std::cerr << "vantrel-pack: " << positional[0] << ": " << e << "\n";
      if (source.errors.empty()) std::cerr << "vantrel-pack: " << positional[0] << ": cannot be packed\n";
      std::cerr << "vantrel-pack: nothing written\n";
      return 1;
    }
    writer = std::move(source.writer);
    what = positional[0];
  }
  if (writer->objectCount() >= 100000)
    writer->setProgress([&](const char* stage, uint64_t done, uint64_t total) {
      progress.update(std::strcmp(stage, "objects") == 0 ? "writing objects" : "writing strings", done, total);
    });

  const fs::path outDir = positional.back();
  MadeDir made;
  std::string error;
  if (!made.make(outDir, error)) {
    progress.done();
    std::cerr << "vantrel-pack: " << error << "\nvantrel-pack: nothing written\n";
    return 1;
  }
  ContentLayout layout;
  const std::string basePath = (outDir / base).string();
  if (!writer->write(basePath, &error, &layout)) {
    progress.done();
    made.undo();
    std::cerr << "vantrel-pack: " << what << ": " << error << "\nvantrel-pack: nothing written\n";
    return 1;
  }
  progress.done();
  if (!quiet) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("vantrel-pack: wrote %s-{Data,Strings,Binary-PPC}.pdb from %s: %u objects, %u types, %u kinds, "
                "%u names, %u strings, %u blobs (%.2f s)\n",
                basePath.c_str(), what.c_str(), layout.objectCount, layout.typeCount, layout.kindCount,
                layout.nameCount, layout.stringCount, layout.blobCount, seconds);
  }
  return 0;
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-pack", runProgram, argc, argv); }
