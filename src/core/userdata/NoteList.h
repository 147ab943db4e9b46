#pragma once
// The user's notes, kept in the unversioned pair "notes.vsi" / "notes.vsd";
// note n is record n:
//   0   4  key the note was saved under (little-endian)
//   4   4  T, length of the title, 1..255
//   8   4  X, length of the text
//   12  T  title in Windows-1252, no terminator
//   12+T X text in Windows-1252, line breaks as typed (CR LF)
// Saving a note removes its old record and appends the new one, so notes are
// in the order they were last saved.
//
// Keys: a note's key is the number stored in its record. "Add/Edit Note" on a
// page saves the note under the page's object index, so the same page finds
// it again; a note started from the list is saved under the number of notes
// at that time (or, when a note already uses that number, under a free one).
// Keys in the list are unique: when records share a stored key, the later
// ones get free keys counted down from kMaxKey, so that every note can be
// reached from the list.
//
// Records that break the layout keep their place with whatever could be read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/userdata/BookmarkList.h"
#include "core/userdata/IndexedRecordStore.h"

namespace vantrel {

struct Note {
  uint32_t key = 0;        // unique key in the list
  uint32_t storedKey = 0;  // the key field of the record
  std::u16string title;
  std::u16string body;
  bool damaged = false;
};

class NoteList {
 public:
  // Keys above this value are reserved for the panel's end-of-editing report.
  static constexpr uint32_t kMaxKey = 999999999;

  NoteList() = default;
  ~NoteList();
  NoteList(const NoteList&) = delete;
  NoteList& operator=(const NoteList&) = delete;

  StoreState open(const std::string& programDirectory);
  StoreState openFiles(const std::string& indexPath, const std::string& dataPath);
  int close();

  void loadNotes();
  uint32_t itemCount() const { return static_cast<uint32_t>(notes_.size()); }
  ListItem itemAt(uint32_t position) const;
  // Key of the note at position; 0 when out of range.
  uint32_t noteKeyAt(uint32_t position) const;
  // First position whose key equals key, or -1.
  int32_t findNote(uint32_t key) const;
  // (title, body) of the note at position; empty when out of range.
  std::pair<std::u16string, std::u16string> noteContent(uint32_t position) const;
  const std::vector<Note>& notes() const { return notes_; }
  // The key a note started from the list gets: the number of notes, or a
  // free key when a note already uses that number.
  uint32_t newNoteKey() const;

  // Removes note i; reloads when reload is set.
  int removeNote(uint32_t position, bool reload = true);
  // Removes every listed position from the highest down. Returns the number removed.
  int removeNotes(std::vector<uint32_t> positions);
  // Appends a note (title cut to 255 bytes) and reloads. 0, or -1 when refused.
  int addNote(std::u16string_view title, uint32_t key, std::u16string_view body);

  IndexedRecordStore& store() { return store_; }
  const IndexedRecordStore& store() const { return store_; }

 private:
  bool keyUsed(uint32_t key) const;
  IndexedRecordStore store_;
  std::vector<Note> notes_;
};

std::string makeNoteRecord(uint32_t key, std::string_view title, std::string_view body);
Note parseNoteRecord(std::string_view bytes, uint32_t recordLength);

}  // namespace vantrel
