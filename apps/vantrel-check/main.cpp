// vantrel-check: checks a packed guide the way the reader's viewers read it
// and lists every problem with its object, type, path and what is wrong.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "core/check/GuideCheck.h"
#include "core/content/ContentFormat.h"
#include "core/util/ProgramMain.h"

#ifdef VANTREL_HAVE_UI
#include <QCoreApplication>

#include "ui/images/PictureDecoder.h"
#endif

namespace {

const char kUsage[] =
    "usage: vantrel-check [--json] [--base NAME] DIR\n"
    "\n"
    "Checks the guide packed in DIR: the content files open and belong to one\n"
    "edition; the page keys are there; every link (\"link\" objects and <a href>\n"
    "in texts) leads to an object a viewer shows; tight crt tables have a field\n"
    "for every column; dual-list entries have their counterparts; pictures\n"
    "decode; decision trees lead to recommendations; the index and the\n"
    "abbreviations are in the order their searches need; and nothing is left\n"
    "that no page key or link reaches (orphans, reported as warnings).\n"
    "\n"
    "  --json       print {ok, problems: [{object, kind, path, message, severity}], counts}\n"
    "  --base NAME  the content files' base name (default " VANTREL_CONTENT_BASE_NAME ")\n"
    "  --help       show this text\n"
    "\n"
    "Exit status: 0 no errors (warnings allowed), 1 errors found, 2 bad usage.\n";

int usageError(const std::string& message) {
  std::cerr << "vantrel-check: " << message << "\n" << kUsage;
  return 2;
}

}  // namespace

static int runProgram(int argc, char** argv) {
  bool json = false;
  std::string base = vantrel::kContentBaseName;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--base") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return usageError("--base needs a name");
      base = argv[++i];
    } else if (!a.empty() && a[0] == '-') {
      return usageError("unknown option " + a);
    } else if (dir.empty()) {
      dir = a;
    } else {
      return usageError("only one guide folder, please");
    }
  }
  if (dir.empty()) return usageError("no guide folder given");
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    std::cerr << "vantrel-check: not a folder: " << dir << "\n";
    return 1;
  }

  vantrel::CheckOptions options;
#ifdef VANTREL_HAVE_UI
  // Decoding needs the image plugins (found through the application), not a display.
  int qtArgc = 1;
  QCoreApplication app(qtArgc, argv);
  // A picture that does not decode is reported as a problem; the image
  // plugins' own complaints about it would only interleave with the report.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  // The PNG library writes its complaints straight to standard error:
  // it is pointed at /dev/null while a picture is decoded.
  options.decodeImage = [](const uint8_t* bytes, size_t size) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    const bool ok = !vantrel::decodePicture(std::vector<uint8_t>(bytes, bytes + size)).isNull();
    if (saved >= 0 && null >= 0) dup2(saved, STDERR_FILENO);
    if (null >= 0) close(null);
    if (saved >= 0) close(saved);
    return ok;
  };
#endif
  const bool terminal = isatty(STDERR_FILENO) != 0;
  if (terminal) {
    options.progress = [](const char* stage, uint64_t done, uint64_t total) {
      std::fprintf(stderr, "\r%-22s %3llu%%", stage, total ? (unsigned long long)(done * 100 / total) : 100ull);
      if (done == total) std::fprintf(stderr, "\r%-30s\r", "");
      std::fflush(stderr);
    };
  }

  std::string path = dir;
  if (path.back() != '/') path += '/';
  const vantrel::CheckReport report = vantrel::checkGuide(path + base, options);

  if (json) {
    nlohmann::json out;
    out["ok"] = report.ok();
    nlohmann::json problems = nlohmann::json::array();
    for (const auto& p : report.problems) {
      problems.push_back({{"object", p.object},
                          {"type", p.type},
                          {"kind", p.kind},
                          {"path", p.path},
                          {"message", p.message},
                          {"severity", vantrel::severityName(p.severity)}});
    }
    out["problems"] = problems;
    nlohmann::json counts;
    counts["errors"] = report.errors;
    counts["warnings"] = report.warnings;
    counts["problems"] = report.problemCounts;
    counts["checked"] = report.checked;
    out["counts"] = counts;
    std::cout << out.dump(2) << "\n";
  } else {
    for (const auto& p : report.problems) {
      std::cout << vantrel::severityName(p.severity) << ": object " << p.object;
      if (!p.type.empty()) std::cout << " (" << p.type << ")";
      std::cout << " [" << p.kind << "]";
      if (!p.path.empty()) std::cout << " " << p.path;
      std::cout << ": " << p.message << "\n";
    }
    for (const auto& [kind, count] : report.problemCounts) {
      uint64_t shown = 0;
      for (const auto& p : report.problems) shown += p.kind == kind;
      if (count > shown) std::cout << "... and " << (count - shown) << " more of kind " << kind << "\n";
    }
    std::cout << (report.ok() ? "ok" : "FAILED") << ": " << report.errors << " errors, " << report.warnings
              << " warnings";
    if (report.checked.count("objects")) std::cout << " in " << report.checked.at("objects") << " objects";
    std::cout << "\n";
  }
  return report.ok() ? 0 : 1;
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-check", runProgram, argc, argv); }
