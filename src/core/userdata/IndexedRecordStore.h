#pragma once
// A numbered list of variable-length records kept in a pair of files: an
// index file (".vsi": 8-byte entries, offset then length, 32-bit little-endian,
// no header) and a data file (".vsd": the records' bytes, no header). Record
// i is described by entry i. Removing a record only drops its entry; closing
// rewrites the data file without the gaps ("compaction").
//
// Versioned pairs keep a 2-byte little-endian version number as record 0.
//
// Durability: every change is written so that a crash, a kill or a failed
// write at any moment leaves each record that existed before the change
// intact.
//  - An append writes the record's bytes after the data file's end, syncs
//    them, then replaces the index file atomically (temporary file "<index>.tmp",
//    fsync, rename, fsync of the folder). Until that rename the old index still
//    describes the old records; the new bytes are only dead space.
//  - A removal replaces the index file in the same way.
//  - Compaction writes the complete new data file "<data>.new" and syncs it,
//    then removes the old data file (the point of no return), replaces the
//    index file with the compacted one, and renames "<data>.new" into place.
//    When the data file is missing but "<data>.new" and the index are there,
//    the next open finishes the job: a compacted index is a function of the
//    old one (the same lengths, offsets running from 0), so it is derived
//    again from whichever index is on disk and checked against the size of
//    "<data>.new". A "<data>.new" next to an existing data file is an
//    unfinished compaction and is discarded.
// A failed write returns -1 and leaves the files and the store as they were.
//
// Sharing: an open pair is locked (PairLock) until it is closed. A pair that
// another program holds, or whose files cannot be written (a read-only
// volume or folder, an immutable file), opens read-only: its records can be
// read, every change is refused with -1 and writeAccess()/writeError() say
// why, and closing touches nothing.
//
// All reads are positioned (pread) and checked against the data file's real
// size; a record whose entry points past the end reads as far as the file goes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/userdata/PairLock.h"

namespace vantrel {

struct IndexEntry {
  uint32_t offset = 0;
  uint32_t length = 0;
};

enum class StoreState {
  closed,   // not opened, or closed
  opened,   // an existing pair was opened
  created,  // the pair was created (or recreated) by the open
  broken,   // exactly one file of the pair exists: no records, every operation refused
};

class IndexedRecordStore {
 public:
  // Index files larger than this many entries are not trusted: the pair opens broken.
  static constexpr uint32_t kMaxRecords = 1u << 24;

  IndexedRecordStore() = default;
  ~IndexedRecordStore();  // closes the store (which compacts it) when still open
  IndexedRecordStore(const IndexedRecordStore&) = delete;
  IndexedRecordStore& operator=(const IndexedRecordStore&) = delete;

  // Unversioned pair.
  StoreState openStore(const std::string& indexPath, const std::string& dataPath);
  // Versioned pair: record 0 holds `version` (must not be 0).
  StoreState openStore(const std::string& indexPath, const std::string& dataPath, uint16_t version);

  // Whether changes can be made, and why not.
  enum class WriteAccess {
    writable,
    inUse,        // another program has the pair open
    notWritable,  // the files or their folder cannot be written; writeError() is the errno
  };

  StoreState state() const { return state_; }
  WriteAccess writeAccess() const { return access_; }
  bool readOnly() const { return access_ != WriteAccess::writable; }
  // errno of the last failed write, or of the failed opening for writing; 0 when none.
  int writeError() const { return writeError_; }
  bool broken() const { return state_ == StoreState::broken; }
  bool isOpen() const { return fd_ >= 0; }

  uint32_t recordCount() const;
  // Length of record i; -1 when broken or i is out of range.
  int64_t recordLength(int64_t i) const;
  // Bytes of record i that the data file really holds (its length when whole).
  uint32_t availableLength(int64_t i) const;
  // Reads bytes [first, end) of record i into dest (end 0: to the record's end).
  // Returns end - first when the whole range was read, 0 when the data file
  // ended early (the bytes not read are zeroed), -1 when broken, i is out of
  // range or the range does not lie within the record.
  int64_t readRecord(int64_t i, void* dest, uint32_t first, uint32_t end) const;
  // Reads the whole record (as far as the data file holds it).
  std::string readWhole(int64_t i) const;

  // 0, or -1 when broken, closed or a write failed (nothing changed then).
  int appendRecord(const void* bytes, uint32_t n);
  // Appends several records at once: either all of them or none become visible.
  int appendRecords(const std::vector<std::string>& records);
  // Removes records first..last (last -1: only first). 0, or -1 when broken,
  // the range is not within 0..count-1, or the index could not be written.
  int deleteRecords(int64_t first, int64_t last = -1);

  // Rewrites the data file without gaps and in index order. 0, or -1 when
  // broken or a write failed (the files then hold what they held before).
  int compactStore();
  // compactStore, then closes the data file. Returns the compaction's result.
  int closeStore();

  const std::vector<IndexEntry>& entries() const { return entries_; }
  uint64_t dataSize() const { return dataSize_; }
  const std::string& indexPath() const { return indexPath_; }
  const std::string& dataPath() const { return dataPath_; }

  // Finishes or rolls back a compaction that was interrupted (see above).
  // openStore runs it; exposed for tools. False when the pair is left as found.
  static bool recoverPair(const std::string& indexPath, const std::string& dataPath);

 private:
  StoreState open(const std::string& indexPath, const std::string& dataPath, uint16_t version);
  StoreState openReadOnly(WriteAccess why, int error, uint16_t version);
  int refuse();
  bool writeIndex(const std::vector<IndexEntry>& entries);
  bool loadIndex();
  void reset();

  std::string indexPath_, dataPath_;
  int fd_ = -1;
  StoreState state_ = StoreState::closed;
  uint16_t version_ = 0;
  std::vector<IndexEntry> entries_;
  uint64_t dataSize_ = 0;
  uint64_t indexFileSize_ = 0;
  PairLock lock_;
  WriteAccess access_ = WriteAccess::writable;
  int writeError_ = 0;
};

// Little-endian helpers shared by the record layouts.
inline uint32_t readLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void appendLe32(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>((v >> 16) & 0xFF);
  out += static_cast<char>((v >> 24) & 0xFF);
}

}  // namespace vantrel
