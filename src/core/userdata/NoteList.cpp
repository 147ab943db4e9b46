#include "core/userdata/NoteList.h"

#include <algorithm>
#include <unordered_set>

#include "core/util/FileOps.h"
#include "core/userdata/UserDataFiles.h"

namespace vantrel {

std::string makeNoteRecord(uint32_t key, std::string_view title, std::string_view body) {
  if (title.size() > userfiles::kMaxTitleBytes) title = title.substr(0, userfiles::kMaxTitleBytes);
  std::string record;
  record.reserve(12 + title.size() + body.size());
  appendLe32(record, key);
  appendLe32(record, static_cast<uint32_t>(title.size()));
  appendLe32(record, static_cast<uint32_t>(body.size()));
  record.append(title);
  record.append(body);
  return record;
}

Note parseNoteRecord(std::string_view bytes, uint32_t recordLength) {
  Note n;
  unsigned char header[12] = {0};
  std::copy_n(bytes.begin(), std::min<size_t>(12, bytes.size()), header);
  n.damaged = recordLength < 12 || bytes.size() < recordLength;
  if (recordLength >= 4) n.storedKey = readLe32(header);
  if (recordLength < 12) return n;
  const uint32_t titleLength = readLe32(header + 4);
  const uint32_t bodyLength = readLe32(header + 8);
  if (titleLength > userfiles::kMaxTitleBytes || titleLength == 0) n.damaged = true;
  if (static_cast<uint64_t>(titleLength) + bodyLength + 12 > recordLength) n.damaged = true;

  auto piece = [&](uint64_t start, uint64_t length) -> std::string_view {
    if (start >= recordLength || start >= bytes.size()) return {};
    length = std::min<uint64_t>(length, recordLength - start);
    length = std::min<uint64_t>(length, bytes.size() - start);
    return bytes.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  };
  n.title = decodeStoredText(piece(12, std::min<uint32_t>(titleLength, userfiles::kMaxTitleBytes)));
  n.body = decodeStoredText(piece(12ull + titleLength, bodyLength));
  return n;
}

NoteList::~NoteList() { close(); }

StoreState NoteList::open(const std::string& programDirectory) {
  return openFiles(fileops::joinPath(programDirectory, userfiles::kNoteIndex),
                   fileops::joinPath(programDirectory, userfiles::kNoteData));
}

StoreState NoteList::openFiles(const std::string& indexPath, const std::string& dataPath) {
  const StoreState state = store_.openStore(indexPath, dataPath);
  loadNotes();
  return state;
}

int NoteList::close() {
  notes_.clear();
  if (!store_.isOpen() && !store_.broken()) return 0;
  return store_.closeStore();
}

void NoteList::loadNotes() {
  notes_.clear();
  const uint32_t count = store_.recordCount();
  notes_.reserve(count);
  std::unordered_set<uint32_t> stored;
  for (uint32_t r = 0; r < count; ++r) {
    const int64_t length = store_.recordLength(r);
    notes_.push_back(parseNoteRecord(store_.readWhole(r), static_cast<uint32_t>(std::max<int64_t>(length, 0))));
    stored.insert(notes_.back().storedKey);
  }
  // Unique keys: the first note with a stored key keeps it; a later one with
  // the same key, or one whose key is in the reserved range, gets the highest
  // key that no note stores and none has been given yet.
  std::unordered_set<uint32_t> given;
  uint32_t spare = kMaxKey;
  for (Note& n : notes_) {
    if (n.storedKey <= kMaxKey && given.insert(n.storedKey).second) {
      n.key = n.storedKey;
      continue;
    }
    while (spare > 0 && (stored.count(spare) || given.count(spare))) --spare;
    n.key = spare;
    given.insert(spare);
  }
}

ListItem NoteList::itemAt(uint32_t position) const {
  if (position >= notes_.size()) return {};
  return {notes_[position].title, static_cast<int32_t>(position)};
}

uint32_t NoteList::noteKeyAt(uint32_t position) const {
  return position < notes_.size() ? notes_[position].key : 0;
}

int32_t NoteList::findNote(uint32_t key) const {
  for (size_t i = 0; i < notes_.size(); ++i) {
    if (notes_[i].key == key) return static_cast<int32_t>(i);
  }
  return -1;
}

std::pair<std::u16string, std::u16string> NoteList::noteContent(uint32_t position) const {
  if (position >= notes_.size()) return {};
  return {notes_[position].title, notes_[position].body};
}

bool NoteList::keyUsed(uint32_t key) const {
  return std::any_of(notes_.begin(), notes_.end(),
                     [key](const Note& n) { return n.key == key || n.storedKey == key; });
}

uint32_t NoteList::newNoteKey() const {
  uint32_t key = itemCount();
  if (!keyUsed(key)) return key;
  key = kMaxKey;
  while (key > 0 && keyUsed(key)) --key;
  return key;
}

int NoteList::removeNote(uint32_t position, bool reload) {
  if (position >= notes_.size()) return -1;
  const int result = store_.deleteRecords(position, -1);
  if (reload) {
    loadNotes();
  } else if (result == 0) {
    notes_.erase(notes_.begin() + position);
  }
  return result;
}

int NoteList::removeNotes(std::vector<uint32_t> positions) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  int removed = 0;
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    if (removeNote(*it, true) == 0) ++removed;
  }
  return removed;
}

int NoteList::addNote(std::u16string_view title, uint32_t key, std::u16string_view body) {
  const std::string record =
      makeNoteRecord(key, encodeStoredText(title, userfiles::kMaxTitleBytes), encodeStoredText(body, 0));
  const int result = store_.appendRecord(record.data(), static_cast<uint32_t>(record.size()));
  loadNotes();
  return result;
}

}  // namespace vantrel
