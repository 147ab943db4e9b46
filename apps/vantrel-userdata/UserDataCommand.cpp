// What the commands of vantrel-userdata share.
#include <sys/stat.h>

#include <algorithm>
#include <iostream>

#include "UserDataCommand.h"
#include "core/userdata/IndexedRecordStore.h"
#include "core/userdata/PairLock.h"
#include "core/userdata/UserDataFiles.h"
#include "core/util/FileOps.h"
#include "core/util/TextCodec.h"

namespace vantrel::userdatatool {

std::vector<UserDataCommand>& commandTable() {
  static std::vector<UserDataCommand> table;
  return table;
}

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

Content::Content(const std::string& dir, const std::string& base) {
  const std::string path = fileops::joinPath(dir, base);
  present_ = fileops::exists(path + "-Data.pdb") && fileops::exists(path + "-Strings.pdb");
  if (present_) {
    database_.open(path);
    ids_.emplace(database_);
  }
}

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

void ensureNotInUse(const std::string& dir) {
  const bool bookmarks = PairLock::inUse(fileops::joinPath(dir, userfiles::kBookmarkIndex));
  const bool notes = PairLock::inUse(fileops::joinPath(dir, userfiles::kNoteIndex));
  if (!bookmarks && !notes) return;
  const std::string what = bookmarks && notes ? "bookmarks and notes are" : bookmarks ? "bookmarks are" : "notes are";
  throw Failure{"the " + what + " in " + dir + " in use by another program (close it and try again)"};
}

OpenStores::OpenStores(const std::string& dir, const ContentIds* ids) : bookmarks(ids) {
  bookmarks.open(dir);
  notes.open(dir);
  // The lock may have been taken between the check and the opening.
  using WA = IndexedRecordStore::WriteAccess;
  if (bookmarks.store().writeAccess() == WA::inUse || notes.store().writeAccess() == WA::inUse) ensureNotInUse(dir);
}

std::string toolMessage(const std::u16string& text) {
  std::string s = toUtf8(text);
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
  return s;
}

void requireArgs(const Options& o, size_t min, size_t max, const char* usage) {
  if (o.args.size() < min || o.args.size() > max) throw UsageError{std::string("usage: ") + usage};
}

}  // namespace vantrel::userdatatool
