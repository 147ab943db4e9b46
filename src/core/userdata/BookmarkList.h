#pragma once
// The user's bookmarks, kept in the versioned pair "bookmarks.vsi" /
// "bookmarks.vsd" (version 1, record 0 is the version record). Bookmark n is
// record n + 1:
//   0   4  persistent object id of the target (little-endian)
//   4   4  S, length of the page data
//   8   4  T, length of the title, 0..255
//   12  S  page data, handed back unchanged
//   12+S T title in Windows-1252, no terminator
// The list follows the store after every change, so positions are always
// 0..n-1 in record order: a removal reloads it, an append (the pair is
// locked, nobody else changes it) reads back only the new record.
//
// Records that break this layout (shorter than 12 bytes, S or T reaching past
// the record, T above 255, id 0, bytes missing from the data file) stay in
// the list with whatever could be read, so that the user can see and remove
// them; they are never rewritten.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/userdata/ContentIds.h"
#include "core/userdata/IndexedRecordStore.h"

namespace vantrel {

// One row of a list: its text and the value reported when it is chosen.
struct ListItem {
  std::u16string text;
  int32_t data = 0;
};

struct Bookmark {
  uint32_t id = 0;            // persistent object id as stored
  ObjectIndex target = 0;     // findById(id); 0 when the content no longer has it
  uint32_t storedLength = 0;  // S as stored
  std::string pageData;       // the page data bytes the record really holds
  std::u16string title;
  bool damaged = false;       // the record breaks the layout
};

// What bookmarkAt answers.
struct BookmarkPlace {
  std::string pageData;
  ObjectIndex target = 0;
  uint32_t length = 0;  // bytes of page data
};

class BookmarkList {
 public:
  // checkBookmark answers.
  static constexpr int kExists = 0;
  static constexpr int kMayAdd = 1;
  static constexpr int kNotHere = 2;

  // content may be null (no content: every target is 0, nothing can be added).
  explicit BookmarkList(const ContentIds* content = nullptr) : content_(content) {}
  ~BookmarkList();
  BookmarkList(const BookmarkList&) = delete;
  BookmarkList& operator=(const BookmarkList&) = delete;

  // Opens "bookmarks.vsi" / "bookmarks.vsd" in the program directory, then loads.
  StoreState open(const std::string& programDirectory);
  StoreState openFiles(const std::string& indexPath, const std::string& dataPath);
  // Closes the store, which compacts the pair. Returns the store's result.
  int close();

  void loadBookmarks();
  uint32_t itemCount() const { return static_cast<uint32_t>(items_.size()); }
  ListItem itemAt(uint32_t position) const;
  BookmarkPlace bookmarkAt(uint32_t position) const;
  const std::vector<Bookmark>& bookmarks() const { return items_; }

  // 0 (kExists): a bookmark with this target and exactly these page-data
  // bytes exists; 1 (kMayAdd): the place may be bookmarked; 2 (kNotHere): a
  // page-key object or an object without a persistent id.
  int checkBookmark(ObjectIndex object, const void* data, uint32_t length) const;

  // Appends a bookmark on object with the title (converted to Windows-1252,
  // at most 255 bytes) and reloads. -1 when the object has no persistent id
  // or the store refuses.
  int addBookmark(std::u16string_view title, ObjectIndex object, const void* data, uint32_t length);
  // Appends one record as given (title already 8-bit, cut to 255 bytes) and reloads.
  int addBookmarkRecord(uint32_t id, std::string_view title, const void* data, uint32_t length);
  // Removes bookmark i (record i + 1) and reloads.
  int removeBookmark(uint32_t position);
  // Removes every listed position, from the highest down, so that each is
  // still valid when its turn comes. Returns how many were removed.
  int removeBookmarks(std::vector<uint32_t> positions);

  IndexedRecordStore& store() { return store_; }
  const IndexedRecordStore& store() const { return store_; }

 private:
  ObjectIndex targetOf(uint32_t id);

  const ContentIds* content_;
  // Targets already looked up: the content does not change while the list
  // lives, and every change reloads the whole list.
  std::unordered_map<uint32_t, ObjectIndex> targets_;
  IndexedRecordStore store_;
  std::vector<Bookmark> items_;
};

// Lays out one bookmark record; the title is cut to 255 bytes.
std::string makeBookmarkRecord(uint32_t id, std::string_view title, const void* data, uint32_t length);
// Decodes one bookmark record from the bytes the store holds for it;
// `recordLength` is the length its index entry gives.
Bookmark parseBookmarkRecord(std::string_view bytes, uint32_t recordLength);

// Windows-1252 text of a stored title or body: ends at the first 0 byte, as
// the 8-bit readers always did.
std::u16string decodeStoredText(std::string_view bytes);
// Windows-1252 bytes of a text, "?" for what the code page cannot hold,
// at most maxBytes long (0: no limit).
std::string encodeStoredText(std::u16string_view text, size_t maxBytes);

}  // namespace vantrel
