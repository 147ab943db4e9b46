#include "core/userdata/Migration.h"

#include <sys/stat.h>

#include <fstream>

#include "core/userdata/BookmarkList.h"
#include "core/util/FileOps.h"
#include "core/userdata/IndexedRecordStore.h"
#include "core/userdata/UserDataFiles.h"

namespace vantrel {
namespace {

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether the transfer pair is a bookmark pair of this edition: its record 0
// is the 2-byte version record.
bool isVersionedPair(const IndexedRecordStore& store) {
  if (store.recordCount() == 0 || store.recordLength(0) != 2) return false;
  const std::string version = store.readWhole(0);
  return version.size() == 2 && static_cast<unsigned char>(version[0]) == (userfiles::kBookmarkVersion & 0xFF) &&
         static_cast<unsigned char>(version[1]) == (userfiles::kBookmarkVersion >> 8);
}

// Appends the transfer pair's bookmarks to the current pair. The number
// appended, or -1 when the stores refused or the pair cannot be read (then
// problem says why).
int convertBookmarks(const std::string& dir, MigrationReport& report) {
  using namespace userfiles;
  IndexedRecordStore transfer;
  transfer.openStore(fileops::joinPath(dir, kTransferIndex), fileops::joinPath(dir, kTransferData));
  std::vector<std::string> records;
  report.bookmarksVersioned = isVersionedPair(transfer);
  // A pair of this edition already holds bookmark records: they are carried
  // over byte for byte, all or none.
  for (uint32_t i = 1; report.bookmarksVersioned && i < transfer.recordCount(); ++i) {
    const std::string record = transfer.readWhole(i);
    const int64_t length = transfer.recordLength(i);
    if (length < 0 || parseBookmarkRecord(record, static_cast<uint32_t>(length)).damaged) {
      report.problem = "the previous edition's bookmarks.vsi/.vsd are of this edition but bookmark " +
                       std::to_string(i - 1) + " cannot be read: nothing was carried over";
      transfer.closeStore();
      return -1;
    }
    records.push_back(record);
  }
  for (uint32_t i = 0; !report.bookmarksVersioned && i < transfer.recordCount(); ++i) {
    const std::string old = transfer.readWhole(i);
    const int64_t length = transfer.recordLength(i);
    unsigned char idBytes[4] = {0, 0, 0, 0};
    for (size_t k = 0; k < 4 && k < old.size(); ++k) idBytes[k] = static_cast<unsigned char>(old[k]);
    const uint32_t id = length >= 4 ? readLe32(idBytes) : 0;
    // A record without an id would be written as a damaged bookmark: skipped.
    if (id == 0) continue;
    // The title ends at the record's end or at a 0 byte, whichever comes first.
    std::string title = old.size() > 4 ? old.substr(4) : std::string();
    const auto zero = title.find('\0');
    if (zero != std::string::npos) title.resize(zero);
    records.push_back(makeBookmarkRecord(id, title, nullptr, 0));
  }
  const bool broken = transfer.broken();
  transfer.closeStore();
  if (broken) {
    report.problem = "the copied bookmark pair cannot be opened";
    return -1;
  }

  IndexedRecordStore bookmarks;
  bookmarks.openStore(fileops::joinPath(dir, kBookmarkIndex), fileops::joinPath(dir, kBookmarkData),
                      kBookmarkVersion);
  const int result = records.empty() ? 0 : bookmarks.appendRecords(records);
  bookmarks.closeStore();
  if (result != 0) {
    report.problem = "the bookmarks could not be written to bookmarks.vsi/.vsd";
    return -1;
  }
  return static_cast<int>(records.size());
}

// Entries of an index file, from its size (8 bytes each).
int64_t indexEntries(const std::string& indexPath) {
  const int64_t size = fileops::fileSize(indexPath);
  return size > 0 ? size / 8 : 0;
}

// Whether the note pair holds notes this edition wrote: its index has
// entries and their bytes are there (or in an unfinished compaction's
// "<data>.new", which the next open completes).
bool notePairHoldsNotes(const std::string& dir) {
  using namespace userfiles;
  const std::string data = fileops::joinPath(dir, kNoteData);
  return indexEntries(fileops::joinPath(dir, kNoteIndex)) > 0 &&
         (fileops::exists(data) || fileops::exists(data + ".new"));
}

}  // namespace

bool userFilesHoldRecords(const std::string& dir) {
  using namespace userfiles;
  const std::string bookmarkIndex = fileops::joinPath(dir, kBookmarkIndex);
  const int64_t bookmarks = indexEntries(bookmarkIndex);
  bool holdsBookmarks = bookmarks > 1;
  if (bookmarks == 1) {
    // One entry: the version record (2 bytes long), or an old-format bookmark.
    unsigned char entry[8] = {};
    std::ifstream in(bookmarkIndex, std::ios::binary);
    holdsBookmarks = !in.read(reinterpret_cast<char*>(entry), 8) || readLe32(entry + 4) != 2;
  }
  return holdsBookmarks || indexEntries(fileops::joinPath(dir, kNoteIndex)) > 0;
}

bool userFilesPresent(const std::string& dir) {
  using namespace userfiles;
  for (const char* name : {kBookmarkIndex, kBookmarkData, kNoteIndex, kNoteData}) {
    if (!fileops::exists(fileops::joinPath(dir, name))) return false;
  }
  return true;
}

MigrationReport migrateUserData(const std::string& dir, const std::string& previous) {
  using namespace userfiles;
  MigrationReport report;
  if (previous.empty() || !isDirectory(previous)) return report;
  report.previousFound = true;

  const bool indexCopied =
      fileops::copyFileAtomic(fileops::joinPath(previous, kBookmarkIndex), fileops::joinPath(dir, kTransferIndex));
  const bool dataCopied =
      fileops::copyFileAtomic(fileops::joinPath(previous, kBookmarkData), fileops::joinPath(dir, kTransferData));
  report.bookmarksCopied = indexCopied && dataCopied;
  if (report.bookmarksCopied) {
    report.bookmarksConverted = convertBookmarks(dir, report);
    if (report.bookmarksConverted >= 0) {
      fileops::removeFile(fileops::joinPath(dir, kTransferIndex));
      fileops::removeFile(fileops::joinPath(dir, kTransferData));
      fileops::syncParentDirectory(fileops::joinPath(dir, kTransferIndex));
    }
  }

  const std::string noteIndex = fileops::joinPath(dir, kNoteIndex);
  const std::string noteData = fileops::joinPath(dir, kNoteData);
  const std::string oldIndex = fileops::joinPath(previous, kNoteIndex);
  const std::string oldData = fileops::joinPath(previous, kNoteData);
  if (!notePairHoldsNotes(dir) && fileops::exists(oldIndex) && fileops::exists(oldData)) {
    // Index out of the way first, data next, index last: until the end the
    // pair is incomplete, which makes the next start run the migration again.
    if (fileops::removeFile(noteIndex) && fileops::copyFileAtomic(oldData, noteData) &&
        fileops::copyFileAtomic(oldIndex, noteIndex)) {
      report.notesCopied = true;
    }
  }
  return report;
}

}  // namespace vantrel
