#pragma once
// The guide checker for authors: reads a packed guide the way the viewers
// read it and lists what a reader would trip over: files that do not open or
// whose stamps disagree, missing page keys, links that lead past the object
// table or to an object no viewer shows, tight crt tables with missing
// fields, dual-list entries without a counterpart, pictures that do not
// decode, decision trees whose answers lead nowhere, lists out of the order
// their searches assume, and objects nothing leads to.
//
// "An object some viewer shows" is decided by the viewers' own acceptance
// rules (the models in tables/, hierarchy/, html/, lists/, images/, tools/),
// so the checker and the reader cannot disagree about it.
//
// Decoding a picture is the Qt side's work: the caller hands in a decoder;
// without one the variants' byte ranges are checked but not decoded.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

enum class CheckSeverity { Error, Warning };

// Problem kinds, as the report spells them.
namespace checkkind {
inline constexpr const char* kFiles = "files";
inline constexpr const char* kStamps = "stamps";
inline constexpr const char* kPageKey = "page-key";
inline constexpr const char* kLinkPastEnd = "link-past-end";
inline constexpr const char* kLinkNotShown = "link-not-shown";
inline constexpr const char* kLinkKind = "link-kind";
inline constexpr const char* kTableField = "table-field";
inline constexpr const char* kTableSize = "table-size";
inline constexpr const char* kDualCounterpart = "dual-counterpart";
inline constexpr const char* kImage = "image";
inline constexpr const char* kDecisionTree = "decision-tree";
inline constexpr const char* kIndexOrder = "index-order";
inline constexpr const char* kKeyOrder = "key-order";
inline constexpr const char* kOrphan = "orphan";
}  // namespace checkkind

struct CheckProblem {
  ObjectIndex object = 0;
  std::string type;     // the object's type name (empty when it has none)
  std::string kind;     // one of checkkind
  std::string path;     // titles from the root, joined by " / "
  std::string message;
  CheckSeverity severity = CheckSeverity::Error;
};

struct CheckOptions {
  // Decodes one picture variant's bytes; null: ranges are checked only.
  std::function<bool(const uint8_t* bytes, size_t size)> decodeImage;
  // (stage, done, total) now and then during long stages.
  std::function<void(const char* stage, uint64_t done, uint64_t total)> progress;
  // Problems kept per kind; the counts go on beyond it.
  uint32_t maxProblemsPerKind = 1000;
};

struct CheckReport {
  std::vector<CheckProblem> problems;
  // Problems found per kind (all of them, also those not kept).
  std::map<std::string, uint64_t> problemCounts;
  // What was looked at: objects, links, tables, images, ...
  std::map<std::string, uint64_t> checked;
  uint64_t errors = 0;
  uint64_t warnings = 0;
  bool ok() const { return errors == 0; }
};

// Checks the guide whose files share basePath (base + "-Data.pdb", ...).
CheckReport checkGuide(const std::string& basePath, const CheckOptions& options = {});

// Whether any viewer of the reader takes object x (a content object; the
// page-key objects are not asked about here).
bool someViewerShows(const ContentDatabase& db, ObjectIndex x);

// The link targets written in a markup or HTML text: the values of the href
// attributes of its <a> tags, in order.
std::vector<std::u16string> markupLinkTargets(std::u16string_view text);

const char* severityName(CheckSeverity severity);

}  // namespace vantrel
