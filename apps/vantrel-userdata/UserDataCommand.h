#pragma once
// The command table of vantrel-userdata. A command file defines its commands
// with a static UserDataRegistration; main.cpp finds them by name and lists
// them in --help in their `order`.
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentFormat.h"
#include "core/userdata/BookmarkList.h"
#include "core/userdata/ContentIds.h"
#include "core/userdata/NoteList.h"

namespace vantrel::userdatatool {

using json = nlohmann::ordered_json;

// Thrown for bad usage (exit status 2, nothing written) or a failure (exit
// status 1); main prints the message on standard error.
struct UsageError {
  std::string message;
};
struct Failure {
  std::string message;
};

struct Options {
  bool json = false;
  std::string base = kContentBaseName;
  std::string dir;
  std::string command;
  std::vector<std::string> args;
};

struct UserDataCommand {
  std::string name;
  int order = 0;                     // its place in --help
  std::string usage;                 // "bookmark-add OBJECT TITLE [HEX]"
  std::vector<std::string> summary;  // the lines --help shows beside it
  std::function<int(const Options&)> run;  // the exit status
};

std::vector<UserDataCommand>& commandTable();

struct UserDataRegistration {
  explicit UserDataRegistration(UserDataCommand command) { commandTable().push_back(std::move(command)); }
};

// Helpers shared by the command files. Parsers throw UsageError.
bool isDirectory(const std::string& path);
uint32_t parseNumber(const std::string& word, const char* what, uint64_t max);
std::string parseHex(const std::string& text);
std::string toHex(const std::string& bytes);
// Line feeds become CR LF; existing CR LF pairs stay as they are.
std::u16string withCrLf(const std::u16string& text);
std::string forPeople(const std::u16string& text);
// Records a pair holds, read from its index file's size without opening it
// (opening may create or repair files).
uint32_t peekCount(const std::string& indexPath);
std::vector<uint32_t> parsePositions(const std::vector<std::string>& args, uint32_t count, const char* what);
void requireArgs(const Options& o, size_t min, size_t max, const char* usage);

// The content database of DIR/BASE when its files are there.
class Content {
 public:
  Content(const std::string& dir, const std::string& base);
  bool present() const { return present_; }
  const ContentIds* ids() const { return ids_ ? &*ids_ : nullptr; }
  const ContentDatabase& database() const { return database_; }

 private:
  bool present_ = false;
  ContentDatabase database_;
  std::optional<DatabaseIds> ids_;
};

// Resolves OBJECT: a decimal object index, or one of the page keys.
ObjectIndex resolveObject(const std::string& word, const ContentDatabase& db);
// Refuses at once, touching nothing, when a reader (or another run of this
// program) has the bookmarks or the notes of dir open.
void ensureNotInUse(const std::string& dir);

// Both stores of a folder, opened as the reader opens them at start-up (and
// closed, compacted, as it closes them); Failure when another program took
// them between the check and the opening.
struct OpenStores {
  OpenStores(const std::string& dir, const ContentIds* ids);
  BookmarkList bookmarks;
  NoteList notes;
};

json bookmarkJson(const BookmarkList& list, uint32_t i);
json noteJson(const NoteList& list, uint32_t i);
json bookmarksJson(const BookmarkList& list);
json notesJson(const NoteList& list);
std::string bookmarkLine(const BookmarkList& list, uint32_t i);
void printBookmarks(const BookmarkList& list);
void printNotes(const NoteList& list);
// Prints j with --json, else plain (when not empty).
void emit(const Options& o, const json& j, const std::string& plain);
// A message of the reader's as this program says it: lower-case, no full stop.
std::string toolMessage(const std::u16string& text);

}  // namespace vantrel::userdatatool
