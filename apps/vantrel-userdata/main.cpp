// vantrel-userdata: the bookmarks and notes of a program directory, for
// people who back up or move them and for scripts.
//
//   vantrel-userdata [--json] [--base NAME] DIR COMMAND [ARGS...]
//
// Every command opens the stores the way the reader does at start-up and
// closes them the way it does at exit (closing compacts the pairs). Bad
// arguments are found before anything is opened: exit status 2, nothing written.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "content/ContentDatabase.h"
#include "content/ContentFormat.h"
#include "userdata/BookmarkList.h"
#include "userdata/ContentIds.h"
#include "util/FileOps.h"
#include "userdata/IndexedRecordStore.h"
#include "userdata/Migration.h"
#include "userdata/NoteEditorModel.h"
#include "userdata/NoteList.h"
#include "userdata/PairLock.h"
#include "userdata/UserDataFiles.h"
#include "userdata/UserDataMessages.h"
#include "util/TextCodec.h"

namespace vantrel {
namespace {

using json = nlohmann::ordered_json;

struct UsageError {
  std::string message;
};
struct Failure {
  std::string message;
};

const char* kHelp =
    "Usage: vantrel-userdata [--json] [--base NAME] DIR COMMAND [ARGS...]\n"
    "\n"
    "Reads and changes the bookmarks (bookmarks.vsi/.vsd) and notes (notes.vsi/.vsd)\n"
    "in the program directory DIR. --json prints one JSON document; without it the\n"
    "output is for people. --base names the content database (default " VANTREL_CONTENT_BASE_NAME "),\n"
    "used to resolve bookmark targets.\n"
    "\n"
    "Commands:\n"
    "  bookmarks                        list the bookmarks\n"
    "  bookmark-add OBJECT TITLE [HEX]  bookmark OBJECT (an object index or a page key\n"
    "                                   such as \"toc\" or \"home\") under TITLE, with the\n"
    "                                   page data given in hexadecimal (default none)\n"
    "  bookmark-remove POS...           remove the bookmarks at these positions\n"
    "  notes                            list the notes\n"
    "  note-add TITLE BODY [--key K]    save a new note as the notes list does; with\n"
    "                                   --key, save it as \"Add/Edit Note\" on object K\n"
    "                                   does (replacing the note kept under K)\n"
    "  note-remove POS...               remove the notes at these positions\n"
    "  export                           every bookmark and note as one JSON document\n"
    "  migrate --from OLD_DIR           carry bookmarks and notes over from a previous\n"
    "                                   edition's folder, as the first start does\n"
    "\n"
    "Options:\n"
    "  --json                           print one JSON document\n"
    "  --base NAME                      base name of the content files (default " VANTREL_CONTENT_BASE_NAME ")\n"
    "  -h, --help                       this text\n"
    "\n"
    "Texts are UTF-8 on the command line and Windows-1252 in the files (\"?\" for what\n"
    "it cannot hold); titles keep at most 255 bytes. A line feed in BODY is stored as\n"
    "CR LF, as the note editor stores line breaks.\n"
    "\n"
    "A folder whose bookmarks or notes a reader (or another run of this program) has\n"
    "open is refused at once, and no file is touched.\n"
    "\n"
    "Exit status: 0 success; 1 refused or failed (a bookmark that cannot be placed,\n"
    "missing content, files in use by another program or that cannot be written,\n"
    "a failed write); 2 bad usage.\n";

struct Options {
  bool json = false;
  std::string base = kContentBaseName;
  std::string dir;
  std::string command;
  std::vector<std::string> args;
};

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t parseNumber(const std::string& word, const char* what, uint64_t max) {
  if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos) {
    throw UsageError{std::string("not a number for ") + what + ": '" + word + "'"};
  }
  const unsigned long long v = std::stoull(word);
  if (v > max) throw UsageError{std::string(what) + " out of range: " + word};
  return static_cast<uint32_t>(v);
}

std::string parseHex(const std::string& text) {
  if (text.size() % 2 != 0) throw UsageError{"HEX page data needs an even number of digits: '" + text + "'"};
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    auto digit = [&](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      throw UsageError{"not a hexadecimal digit in page data: '" + text + "'"};
    };
    bytes += static_cast<char>(digit(text[i]) * 16 + digit(text[i + 1]));
  }
  return bytes;
}

std::string toHex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Line feeds become CR LF; existing CR LF pairs stay as they are.
std::u16string withCrLf(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
    out += text[i];
  }
  return out;
}

std::string forPeople(const std::u16string& text) {
  std::string s = toUtf8(text);
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    out += s[i];
  }
  return out;
}

// Records a pair holds, read from its index file's size without opening it
// (opening may create or repair files).
uint32_t peekCount(const std::string& indexPath) {
  const int64_t size = fileops::fileSize(indexPath);
  return size > 0 ? static_cast<uint32_t>(std::min<int64_t>(size / 8, IndexedRecordStore::kMaxRecords)) : 0;
}

std::vector<uint32_t> parsePositions(const std::vector<std::string>& args, uint32_t count, const char* what) {
  if (args.empty()) throw UsageError{std::string("give at least one POS of the ") + what + " to remove"};
  std::vector<uint32_t> positions;
  for (const auto& a : args) {
    const uint32_t p = parseNumber(a, "POS", 0xFFFFFFFFull);
    if (p >= count) {
      throw UsageError{"no " + std::string(what) + " at position " + a + " (there are " + std::to_string(count) +
                       ")"};
    }
    positions.push_back(p);
  }
  return positions;
}

class Content {
 public:
  // Opens DIR/BASE when its files are there.
  Content(const std::string& dir, const std::string& base) {
    const std::string path = fileops::joinPath(dir, base);
    present_ = fileops::exists(path + "-Data.pdb") && fileops::exists(path + "-Strings.pdb");
    if (present_) {
      database_.open(path);
      ids_.emplace(database_);
    }
  }
  bool present() const { return present_; }
  const ContentIds* ids() const { return ids_ ? &*ids_ : nullptr; }
  const ContentDatabase& database() const { return database_; }

 private:
  bool present_ = false;
  ContentDatabase database_;
  std::optional<DatabaseIds> ids_;
};

json bookmarkJson(const BookmarkList& list, uint32_t i) {
  const Bookmark& b = list.bookmarks()[i];
  return {{"position", i}, {"title", toUtf8(b.title)}, {"id", b.id}, {"target", b.target}, {"data", toHex(b.pageData)}};
}

json noteJson(const NoteList& list, uint32_t i) {
  const Note& n = list.notes()[i];
  return {{"position", i}, {"key", n.key}, {"title", toUtf8(n.title)}, {"body", toUtf8(n.body)}};
}

json bookmarksJson(const BookmarkList& list) {
  json a = json::array();
  for (uint32_t i = 0; i < list.itemCount(); ++i) a.push_back(bookmarkJson(list, i));
  return a;
}

json notesJson(const NoteList& list) {
  json a = json::array();
  for (uint32_t i = 0; i < list.itemCount(); ++i) a.push_back(noteJson(list, i));
  return a;
}

std::string bookmarkLine(const BookmarkList& list, uint32_t i) {
  const Bookmark& b = list.bookmarks()[i];
  std::string line = std::to_string(i) + "  " + toUtf8(b.title) + "  (id " + std::to_string(b.id) + ", ";
  line += b.target ? "object " + std::to_string(b.target) : std::string("not in this guide");
  if (!b.pageData.empty()) line += ", data " + toHex(b.pageData);
  if (b.damaged) line += ", damaged record";
  return line + ")";
}

void printBookmarks(const BookmarkList& list) {
  if (list.itemCount() == 0) std::cout << "no bookmarks\n";
  for (uint32_t i = 0; i < list.itemCount(); ++i) std::cout << bookmarkLine(list, i) << "\n";
}

void printNotes(const NoteList& list) {
  if (list.itemCount() == 0) std::cout << "no notes\n";
  for (uint32_t i = 0; i < list.itemCount(); ++i) {
    const Note& n = list.notes()[i];
    std::cout << i << "  " << forPeople(n.title) << "  (key " << n.key << (n.damaged ? ", damaged record" : "")
              << ")\n";
    std::string body = forPeople(n.body);
    if (!body.empty()) {
      std::string indented = "    ";
      for (char c : body) {
        indented += c;
        if (c == '\n') indented += "    ";
      }
      std::cout << indented << "\n";
    }
  }
}

void emit(const Options& o, const json& j, const std::string& plain) {
  if (o.json) {
    std::cout << j.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
  } else if (!plain.empty()) {
    std::cout << plain << "\n";
  }
}

// Resolves OBJECT: a decimal object index, or one of the page keys.
ObjectIndex resolveObject(const std::string& word, const ContentDatabase& db) {
  if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) {
    return parseNumber(word, "OBJECT", 0xFFFFFFFFull);
  }
  const std::pair<const char*, const char16_t*> named[] = {
      {"index", u"INDEX"}, {"toc", u"TOC"}, {"about_qd", u"AboutVantrelGuide"}, {"about", u"AboutKORVAX"},
      {"notice", u"LegitimacyNotice"}, {"tools", u"Abbreviations"}};
  for (auto [key, name] : named) {
    if (word == key) return db.objectByName(name);
  }
  const char* builtIn[] = {"calc_result", "bookmarks", "add_bookmark", "notes", "home", "index_search"};
  for (uint32_t k = 0; k < 6; ++k) {
    if (word == builtIn[k]) return db.objectCount() + k;
  }
  throw UsageError{"OBJECT must be an object index or a page key, not '" + word + "'"};
}

// Refuses at once, touching nothing, when a reader (or another run of this
// program) has the bookmarks or the notes of dir open.
void ensureNotInUse(const std::string& dir) {
  const bool bookmarks = PairLock::inUse(fileops::joinPath(dir, userfiles::kBookmarkIndex));
  const bool notes = PairLock::inUse(fileops::joinPath(dir, userfiles::kNoteIndex));
  if (!bookmarks && !notes) return;
  const std::string what = bookmarks && notes ? "bookmarks and notes are" : bookmarks ? "bookmarks are" : "notes are";
  throw Failure{"the " + what + " in " + dir + " in use by another program (close it and try again)"};
}

// The same when the lock was taken between the check and the opening.
void ensureOpenedForUs(const std::string& dir, const BookmarkList& bookmarks, const NoteList& notes) {
  using WA = IndexedRecordStore::WriteAccess;
  if (bookmarks.store().writeAccess() == WA::inUse || notes.store().writeAccess() == WA::inUse) ensureNotInUse(dir);
}

// A message of the reader's as this program says it: lower-case, no full stop.
std::string toolMessage(const std::u16string& text) {
  std::string s = toUtf8(text);
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
  return s;
}

void requireArgs(const Options& o, size_t min, size_t max, const char* usage) {
  if (o.args.size() < min || o.args.size() > max) throw UsageError{std::string("usage: ") + usage};
}

int run(const Options& o) {
  const std::string& dir = o.dir;
  const std::string& cmd = o.command;

  if (cmd == "bookmarks" || cmd == "notes" || cmd == "export") {
    requireArgs(o, 0, 0, (cmd + " takes no arguments").c_str());
    ensureNotInUse(dir);
    Content content(dir, o.base);
    BookmarkList bookmarks(content.ids());
    NoteList notes;
    bookmarks.open(dir);
    notes.open(dir);
    ensureOpenedForUs(dir, bookmarks, notes);
    if (cmd == "bookmarks") {
      if (o.json) {
        emit(o, {{"bookmarks", bookmarksJson(bookmarks)}}, "");
      } else {
        printBookmarks(bookmarks);
      }
    } else if (cmd == "notes") {
      if (o.json) {
        emit(o, {{"notes", notesJson(notes)}}, "");
      } else {
        printNotes(notes);
      }
    } else {
      // The export is a JSON document whatever --json says.
      std::cout << json{{"bookmarks", bookmarksJson(bookmarks)}, {"notes", notesJson(notes)}}.dump(
                       2, ' ', false, json::error_handler_t::replace)
                << "\n";
    }
    return 0;
  }

  if (cmd == "bookmark-add") {
    requireArgs(o, 2, 3, "bookmark-add OBJECT TITLE [HEX]");
    const std::string data = o.args.size() > 2 ? parseHex(o.args[2]) : std::string();
    const std::u16string title = fromUtf8(o.args[1]);
    Content content(dir, o.base);
    const bool numeric = o.args[0].find_first_not_of("0123456789") == std::string::npos && !o.args[0].empty();
    if (numeric) parseNumber(o.args[0], "OBJECT", 0xFFFFFFFFull);
    if (!content.present()) {
      if (!numeric) resolveObject(o.args[0], content.database());  // a usage error first
      throw Failure{"no content database " + o.base + " in " + dir + ": bookmarks need it"};
    }
    const ObjectIndex object = resolveObject(o.args[0], content.database());
    ensureNotInUse(dir);
    BookmarkList bookmarks(content.ids());
    NoteList notes;
    bookmarks.open(dir);
    notes.open(dir);
    ensureOpenedForUs(dir, bookmarks, notes);
    const int check = bookmarks.checkBookmark(object, data.data(), static_cast<uint32_t>(data.size()));
    if (check == BookmarkList::kNotHere) {
      std::cerr << "You can't place a bookmark here.\n";
      return 1;
    }
    if (check == BookmarkList::kExists) {
      std::cerr << "You can't place a bookmark here. Bookmark exists.\n";
      return 1;
    }
    if (bookmarks.addBookmark(title, object, data.data(), static_cast<uint32_t>(data.size())) != 0) {
      throw Failure{toolMessage(writeFailure(bookmarks.store(), UserDataKind::bookmarks))};
    }
    const uint32_t position = bookmarks.itemCount() - 1;
    emit(o, {{"added", bookmarkJson(bookmarks, position)}}, "added " + bookmarkLine(bookmarks, position));
    return 0;
  }

  if (cmd == "note-add") {
    std::vector<std::string> words;
    std::optional<uint32_t> key;
    for (size_t i = 0; i < o.args.size(); ++i) {
      if (o.args[i] == "--key") {
        if (i + 1 >= o.args.size()) throw UsageError{"--key needs a number"};
        key = parseNumber(o.args[++i], "--key", NoteList::kMaxKey);
      } else {
        words.push_back(o.args[i]);
      }
    }
    if (words.size() != 2) throw UsageError{"usage: note-add TITLE BODY [--key K]"};
    if (words[0].empty()) {
      throw UsageError{toUtf8(NoteEditorModel::kEmptyTitleMessage)};
    }
    ensureNotInUse(dir);
    Content content(dir, o.base);
    BookmarkList bookmarks(content.ids());
    NoteList notes;
    bookmarks.open(dir);
    notes.open(dir);
    ensureOpenedForUs(dir, bookmarks, notes);
    NoteEditorModel editor(notes);
    editor.setMode(NoteEditorModel::kEditor, false);
    if (key) {
      editor.openNoteEditor(*key, nullptr, 0, u"");
    } else {
      editor.startNewNote();
    }
    editor.setTitle(fromUtf8(words[0]));
    editor.setBody(withCrLf(fromUtf8(words[1])));
    const auto outcome = editor.saveNote();
    if (!outcome.stored) throw Failure{toolMessage(outcome.message)};
    const uint32_t position = notes.itemCount() - 1;
    emit(o, {{"added", noteJson(notes, position)}},
         "saved note " + std::to_string(position) + "  " + toUtf8(notes.notes()[position].title) + "  (key " +
             std::to_string(notes.noteKeyAt(position)) + ")");
    return 0;
  }

  if (cmd == "bookmark-remove" || cmd == "note-remove") {
    const bool isBookmark = cmd == "bookmark-remove";
    uint32_t count = 0;
    if (isBookmark) {
      const uint32_t records = peekCount(fileops::joinPath(dir, userfiles::kBookmarkIndex));
      count = records > 0 ? records - 1 : 0;
      if (!fileops::exists(fileops::joinPath(dir, userfiles::kBookmarkData))) count = 0;
    } else {
      count = fileops::exists(fileops::joinPath(dir, userfiles::kNoteData))
                  ? peekCount(fileops::joinPath(dir, userfiles::kNoteIndex))
                  : 0;
    }
    const std::vector<uint32_t> positions = parsePositions(o.args, count, isBookmark ? "bookmark" : "note");
    ensureNotInUse(dir);
    Content content(dir, o.base);
    BookmarkList bookmarks(content.ids());
    NoteList notes;
    bookmarks.open(dir);
    notes.open(dir);
    ensureOpenedForUs(dir, bookmarks, notes);
    const std::u16string refusal = isBookmark ? changeRefusal(bookmarks.store(), UserDataKind::bookmarks)
                                              : changeRefusal(notes.store(), UserDataKind::notes);
    if (!refusal.empty()) throw Failure{toolMessage(refusal)};
    const int removed = isBookmark ? bookmarks.removeBookmarks(positions) : notes.removeNotes(positions);
    std::vector<uint32_t> sorted = positions;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (removed != static_cast<int>(sorted.size())) {
      const std::u16string why = isBookmark ? writeFailure(bookmarks.store(), UserDataKind::bookmarks)
                                            : writeFailure(notes.store(), UserDataKind::notes);
      throw Failure{"only " + std::to_string(removed) + " of " + std::to_string(sorted.size()) +
                    " could be removed (" + toolMessage(why) + ")"};
    }
    emit(o, {{"removed", sorted}}, "removed " + std::to_string(removed) + (isBookmark ? " bookmark" : " note") +
                                       (removed == 1 ? "" : "s"));
    return 0;
  }

  if (cmd == "migrate") {
    if (o.args.size() != 2 || o.args[0] != "--from") throw UsageError{"usage: migrate --from OLD_DIR"};
    const std::string& previous = o.args[1];
    if (!isDirectory(previous)) throw UsageError{"not a folder: " + previous};
    ensureNotInUse(dir);
    // Pairs a start of this edition created but that hold nothing yet do
    // not stand in the way: nothing in them can be lost.
    if (userFilesPresent(dir) && userFilesHoldRecords(dir)) {
      emit(o, {{"migrated", false}, {"reason", "all four user-data files are present and hold records"}},
           "nothing to do: bookmarks.vsi/.vsd and notes.vsi/.vsd are all present and hold records");
      return 0;
    }
    const MigrationReport r = migrateUserData(dir, previous);
    json j = {{"migrated", true},
              {"bookmarksCopied", r.bookmarksCopied},
              {"bookmarksConverted", std::max(r.bookmarksConverted, 0)},
              {"notesCopied", r.notesCopied}};
    std::string plain = r.bookmarksCopied ? "bookmarks converted: " + std::to_string(std::max(r.bookmarksConverted, 0))
                                          : std::string("no bookmarks in the previous edition's folder");
    if (r.bookmarksVersioned && r.bookmarksConverted >= 0)
      plain += " (already in this edition's format, carried over unchanged)";
    plain += r.notesCopied ? "\nnotes copied" : "\nnotes not copied";
    if (!r.problem.empty()) {
      // The bookmarks were refused: a failure, whatever else was done.
      j["problem"] = r.problem;
      emit(o, j, plain);
      std::cerr << "vantrel-userdata: " << r.problem << "\n";
      return 1;
    }
    emit(o, j, plain);
    return 0;
  }

  throw UsageError{"unknown command '" + cmd + "' (see --help)"};
}

Options parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> words;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!optionsDone && words.size() < 2) {
      if (a == "--help" || a == "-h") {
        std::cout << kHelp;
        std::exit(0);
      }
      if (a == "--json") {
        o.json = true;
        continue;
      }
      if (a == "--base") {
        if (i + 1 >= argc) throw UsageError{"--base needs a NAME"};
        o.base = argv[++i];
        continue;
      }
      if (a == "--") {
        optionsDone = true;
        continue;
      }
      if (a.size() > 1 && a[0] == '-' && words.empty())
        throw UsageError{"unknown option '" + a + "'. Try '--help'"};
    } else if (!optionsDone && a == "--json") {
      o.json = true;
      continue;
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
      continue;
    }
    words.push_back(a);
  }
  if (words.size() < 2) throw UsageError{"missing DIR or COMMAND (see --help)"};
  o.dir = words[0];
  o.command = words[1];
  o.args.assign(words.begin() + 2, words.end());
  if (!isDirectory(o.dir)) throw UsageError{"not a folder: " + o.dir};
  return o;
}

}  // namespace
}  // namespace vantrel

static int runProgram(int argc, char** argv) {
  using namespace vantrel;
  try {
    return run(parse(argc, argv));
  } catch (const UsageError& e) {
    std::cerr << "vantrel-userdata: " << e.message << "\n";
    return 2;
  } catch (const Failure& e) {
    std::cerr << "vantrel-userdata: " << e.message << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "vantrel-userdata: " << e.what() << "\n";
    return 1;
  }
}

// Whatever goes wrong, no exception leaves the program: it ends with a
// message and status 1.
int main(int argc, char** argv) {
  try {
    return runProgram(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", "vantrel-userdata", e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: unexpected failure\n", "vantrel-userdata");
  }
  return 1;
}
