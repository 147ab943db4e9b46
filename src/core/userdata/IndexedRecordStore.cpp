#include "core/userdata/IndexedRecordStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/util/FileOps.h"

namespace vantrel {
namespace {

constexpr uint64_t kMaxDataSize = 0xFFFFFFFFull;  // offsets are 32-bit
constexpr size_t kCopyChunk = 1 << 16;

std::string tempIndexPath(const std::string& indexPath) { return indexPath + ".tmp"; }
std::string newDataPath(const std::string& dataPath) { return dataPath + ".new"; }

std::string encodeIndex(const std::vector<IndexEntry>& entries) {
  std::string bytes;
  bytes.reserve(entries.size() * 8);
  for (const auto& e : entries) {
    appendLe32(bytes, e.offset);
    appendLe32(bytes, e.length);
  }
  return bytes;
}

bool writeIndexFile(const std::string& indexPath, const std::vector<IndexEntry>& entries) {
  const std::string bytes = encodeIndex(entries);
  return fileops::replaceFile(indexPath, tempIndexPath(indexPath), bytes.data(), bytes.size());
}

// Reads the index file into entries; a trailing partial entry is ignored.
// False when the file cannot be read or claims more than kMaxRecords entries.
bool readIndexFile(const std::string& indexPath, std::vector<IndexEntry>& entries, uint64_t& fileSize) {
  const int fd = ::open(indexPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_size < 0) {
    ::close(fd);
    return false;
  }
  fileSize = static_cast<uint64_t>(st.st_size);
  const uint64_t count = fileSize / 8;
  if (count > IndexedRecordStore::kMaxRecords) {
    ::close(fd);
    return false;
  }
  std::string bytes(static_cast<size_t>(count * 8), '\0');
  const int64_t got = fileops::preadAll(fd, bytes.data(), bytes.size(), 0);
  ::close(fd);
  if (got < 0) return false;
  // A file that shrank under us: keep what was read.
  const size_t n = static_cast<size_t>(got) / 8;
  entries.clear();
  entries.reserve(n);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < n; ++i) {
    entries.push_back({readLe32(p + i * 8), readLe32(p + i * 8 + 4)});
  }
  return true;
}

// Failures of opening for writing that mean the file cannot be written at
// all (as opposed to a damaged pair).
bool deniesWriting(int error) {
  return error == EACCES || error == EROFS || error == EPERM || error == ETXTBSY;
}

// errno of opening an existing file for writing, 0 when it can be.
int writeDenied(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return 0;
  }
  return deniesWriting(errno) ? errno : 0;
}

}  // namespace

IndexedRecordStore::~IndexedRecordStore() {
  if (isOpen()) closeStore();
}

void IndexedRecordStore::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  lock_.release();
  access_ = WriteAccess::writable;
  writeError_ = 0;
  state_ = StoreState::closed;
  entries_.clear();
  dataSize_ = 0;
  indexFileSize_ = 0;
}

StoreState IndexedRecordStore::openStore(const std::string& indexPath, const std::string& dataPath) {
  return open(indexPath, dataPath, 0);
}

StoreState IndexedRecordStore::openStore(const std::string& indexPath, const std::string& dataPath,
                                         uint16_t version) {
  if (version == 0) {
    if (isOpen()) closeStore();
    reset();
    indexPath_ = indexPath;
    dataPath_ = dataPath;
    state_ = StoreState::broken;
    return state_;
  }
  return open(indexPath, dataPath, version);
}

bool IndexedRecordStore::recoverPair(const std::string& indexPath, const std::string& dataPath) {
  const std::string pending = newDataPath(dataPath);
  if (!fileops::exists(pending)) return true;
  if (fileops::exists(dataPath)) {
    // The old data file is still there: the compaction never reached the
    // point of no return and the pair is whole. Drop the unfinished copy.
    fileops::removeFile(pending);
    return true;
  }
  if (!fileops::exists(indexPath)) return false;
  std::vector<IndexEntry> entries;
  uint64_t indexSize = 0;
  if (!readIndexFile(indexPath, entries, indexSize)) return false;
  uint64_t total = 0;
  for (auto& e : entries) {
    e.offset = static_cast<uint32_t>(total);
    total += e.length;
    if (total > kMaxDataSize) return false;
  }
  if (fileops::fileSize(pending) != static_cast<int64_t>(total)) return false;
  if (!writeIndexFile(indexPath, entries)) return false;
  if (!fileops::renameFile(pending, dataPath)) return false;
  fileops::syncParentDirectory(dataPath);
  return true;
}

StoreState IndexedRecordStore::open(const std::string& indexPath, const std::string& dataPath,
                                    uint16_t version) {
  if (isOpen()) closeStore();
  reset();
  indexPath_ = indexPath;
  dataPath_ = dataPath;
  version_ = version;

  // The lock comes first: repairs and every write below are only for the
  // one who holds the pair.
  const PairLock::Result locked = lock_.acquire(indexPath);
  if (locked == PairLock::Result::inUse) return openReadOnly(WriteAccess::inUse, 0, version);
  if (locked == PairLock::Result::unavailable) return openReadOnly(WriteAccess::notWritable, lock_.error(), version);

  recoverPair(indexPath, dataPath);
  fileops::removeFile(tempIndexPath(indexPath));

  bool hasIndex = fileops::exists(indexPath);
  const bool hasData = fileops::exists(dataPath);
  // Creating a pair makes the data file first and then renames the index into
  // place; an empty data file alone is what an interrupted creation leaves.
  if (!hasIndex && hasData && fileops::fileSize(dataPath) == 0) {
    // treated as a pair that does not exist yet
  } else if (hasIndex != hasData) {
    state_ = StoreState::broken;
    return state_;
  }

  bool created = false;
  if (!hasIndex) {
    fd_ = ::open(dataPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0 || !fileops::syncFile(fd_) || !fileops::syncParentDirectory(dataPath) ||
        !writeIndexFile(indexPath, {})) {
      // The pair cannot be made here: there is nothing to read, and nothing
      // can be written.
      const int error = errno;
      if (fd_ >= 0 && !hasData) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(dataPath.c_str());
      }
      reset();
      return openReadOnly(WriteAccess::notWritable, error, version);
    }
    created = true;
  } else {
    int denied = writeDenied(indexPath);
    if (denied == 0) {
      fd_ = ::open(dataPath.c_str(), O_RDWR | O_CLOEXEC);
      if (fd_ < 0 && deniesWriting(errno)) denied = errno;
    }
    if (denied != 0) {
      reset();
      return openReadOnly(WriteAccess::notWritable, denied, version);
    }
    if (fd_ < 0) {
      state_ = StoreState::broken;
      return state_;
    }
    if (version != 0) {
      unsigned char v[2] = {0, 0};
      const int64_t got = fileops::preadAll(fd_, v, 2, 0);
      if (got != 2 || (v[0] | (v[1] << 8)) == 0) {
        // No usable version: start the pair anew. The index goes first, so an
        // interruption leaves a pair that is recreated again at the next open.
        if (!writeIndexFile(indexPath, {}) || ::ftruncate(fd_, 0) != 0 || !fileops::syncFile(fd_)) {
          reset();
          state_ = StoreState::broken;
          return state_;
        }
        created = true;
      }
    }
  }

  if (created) {
    entries_.clear();
    indexFileSize_ = 0;
  } else if (!readIndexFile(indexPath, entries_, indexFileSize_)) {
    reset();
    state_ = StoreState::broken;
    return state_;
  }
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    reset();
    state_ = StoreState::broken;
    return state_;
  }
  dataSize_ = static_cast<uint64_t>(st.st_size);
  state_ = created ? StoreState::created : StoreState::opened;

  // A versioned pair needs its version record; one whose index holds no
  // entries at all gets it too, so that callers' items never land in record 0.
  if (version != 0 && entries_.empty()) {
    const unsigned char v[2] = {static_cast<unsigned char>(version & 0xFF),
                                static_cast<unsigned char>(version >> 8)};
    if (appendRecord(v, 2) != 0) {
      reset();
      state_ = StoreState::broken;
      return state_;
    }
  }
  return state_;
}

StoreState IndexedRecordStore::openReadOnly(WriteAccess why, int error, uint16_t version) {
  // Called with the store reset and the paths set; nothing on disk is touched.
  access_ = why;
  writeError_ = error;
  const bool hasIndex = fileops::exists(indexPath_);
  const bool hasData = fileops::exists(dataPath_);
  if (!hasIndex && !hasData) {
    state_ = StoreState::opened;  // no pair yet: no records
    return state_;
  }
  if (hasIndex != hasData) {
    state_ = StoreState::broken;
    return state_;
  }
  fd_ = ::open(dataPath_.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !readIndexFile(indexPath_, entries_, indexFileSize_)) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    entries_.clear();
    state_ = StoreState::broken;
    return state_;
  }
  dataSize_ = static_cast<uint64_t>(st.st_size);
  if (version != 0) {
    unsigned char v[2] = {0, 0};
    // A pair without a usable version would be started anew by a writer:
    // it holds nothing to show.
    if (fileops::preadAll(fd_, v, 2, 0) != 2 || (v[0] | (v[1] << 8)) == 0) entries_.clear();
  }
  state_ = StoreState::opened;
  return state_;
}

int IndexedRecordStore::refuse() {
  if (access_ == WriteAccess::inUse) writeError_ = EBUSY;
  return -1;
}

uint32_t IndexedRecordStore::recordCount() const {
  if (broken() || !isOpen()) return 0;
  return static_cast<uint32_t>(entries_.size());
}

int64_t IndexedRecordStore::recordLength(int64_t i) const {
  if (broken() || !isOpen() || i < 0 || i >= static_cast<int64_t>(entries_.size())) return -1;
  return entries_[static_cast<size_t>(i)].length;
}

uint32_t IndexedRecordStore::availableLength(int64_t i) const {
  if (broken() || !isOpen() || i < 0 || i >= static_cast<int64_t>(entries_.size())) return 0;
  const auto& e = entries_[static_cast<size_t>(i)];
  if (e.offset >= dataSize_) return 0;
  return static_cast<uint32_t>(std::min<uint64_t>(e.length, dataSize_ - e.offset));
}

int64_t IndexedRecordStore::readRecord(int64_t i, void* dest, uint32_t first, uint32_t end) const {
  if (broken() || !isOpen() || i < 0 || i >= static_cast<int64_t>(entries_.size())) return -1;
  const auto& e = entries_[static_cast<size_t>(i)];
  if (end == 0) end = e.length;
  if (first > end || end > e.length) return -1;
  const uint32_t n = end - first;
  if (n == 0) return 0;
  if (dest == nullptr) return -1;
  const uint64_t pos = static_cast<uint64_t>(e.offset) + first;
  const uint64_t present = pos < dataSize_ ? std::min<uint64_t>(n, dataSize_ - pos) : 0;
  int64_t got = 0;
  if (present > 0) {
    got = fileops::preadAll(fd_, dest, static_cast<size_t>(present), pos);
    if (got < 0) got = 0;
  }
  if (static_cast<uint64_t>(got) < n) {
    std::memset(static_cast<char*>(dest) + got, 0, n - static_cast<size_t>(got));
    return 0;
  }
  return n;
}

std::string IndexedRecordStore::readWhole(int64_t i) const {
  const uint32_t n = availableLength(i);
  std::string bytes(n, '\0');
  if (n > 0 && readRecord(i, bytes.data(), 0, n) != n) return {};
  return bytes;
}

bool IndexedRecordStore::writeIndex(const std::vector<IndexEntry>& entries) {
  if (!writeIndexFile(indexPath_, entries)) return false;
  indexFileSize_ = entries.size() * 8;
  return true;
}

int IndexedRecordStore::appendRecord(const void* bytes, uint32_t n) {
  if (n > 0 && bytes == nullptr) return -1;
  return appendRecords({std::string(static_cast<const char*>(bytes), n)});
}

int IndexedRecordStore::appendRecords(const std::vector<std::string>& records) {
  if (readOnly()) return refuse();
  if (broken() || !isOpen()) return -1;
  if (entries_.size() + records.size() > kMaxRecords) return -1;
  uint64_t total = 0;
  for (const auto& r : records) total += r.size();
  if (dataSize_ + total > kMaxDataSize) return -1;

  std::vector<IndexEntry> updated = entries_;
  uint64_t pos = dataSize_;
  bool ok = true;
  for (const auto& r : records) {
    if (!r.empty() && !fileops::pwriteAll(fd_, r.data(), r.size(), pos)) {
      writeError_ = errno;
      ok = false;
      break;
    }
    updated.push_back({static_cast<uint32_t>(pos), static_cast<uint32_t>(r.size())});
    pos += r.size();
  }
  // The bytes must be on disk before an index that points at them.
  if (ok && !fileops::syncFile(fd_)) {
    writeError_ = errno;
    ok = false;
  }
  if (ok && !writeIndex(updated)) {
    writeError_ = errno;
    ok = false;
  }
  if (!ok) {
    // Nothing refers to the bytes past the old end: cut them off again.
    if (::ftruncate(fd_, static_cast<off_t>(dataSize_)) == 0) fileops::syncFile(fd_);
    return -1;
  }
  entries_ = std::move(updated);
  dataSize_ = pos;
  writeError_ = 0;
  return 0;
}

int IndexedRecordStore::deleteRecords(int64_t first, int64_t last) {
  if (readOnly()) return refuse();
  if (broken() || !isOpen()) return -1;
  const auto count = static_cast<int64_t>(entries_.size());
  if (first < 0 || first >= count) return -1;
  if (last == -1) last = first;
  if (last >= count || last < first) return -1;
  std::vector<IndexEntry> updated;
  updated.reserve(entries_.size() - static_cast<size_t>(last - first + 1));
  updated.insert(updated.end(), entries_.begin(), entries_.begin() + first);
  updated.insert(updated.end(), entries_.begin() + last + 1, entries_.end());
  if (!writeIndex(updated)) {
    writeError_ = errno;
    return -1;
  }
  entries_ = std::move(updated);
  writeError_ = 0;
  return 0;
}

int IndexedRecordStore::compactStore() {
  if (readOnly()) return refuse();
  if (broken() || !isOpen()) return -1;

  // Entries that reach past the data file's end keep what the file holds.
  // The shortened index is written first, so that the lengths on disk always
  // add up to the compacted data file (see recoverPair).
  std::vector<IndexEntry> clamped = entries_;
  bool shortened = false;
  for (auto& e : clamped) {
    const uint64_t end = static_cast<uint64_t>(e.offset) + e.length;
    if (end > dataSize_) {
      e.length = e.offset < dataSize_ ? static_cast<uint32_t>(dataSize_ - e.offset) : 0;
      shortened = true;
    }
  }
  if (shortened) {
    if (!writeIndex(clamped)) return -1;
    entries_ = clamped;
  }

  std::vector<IndexEntry> compacted = entries_;
  uint64_t total = 0;
  bool inPlace = true;
  for (auto& e : compacted) {
    if (e.offset != total) inPlace = false;
    e.offset = static_cast<uint32_t>(total);
    total += e.length;
    if (total > kMaxDataSize) return -1;
  }
  if (inPlace && total == dataSize_ && indexFileSize_ == compacted.size() * 8) {
    return 0;  // already back to back, nothing to rewrite
  }

  const std::string pending = newDataPath(dataPath_);
  const int out = ::open(pending.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) return -1;
  std::vector<char> buffer(kCopyChunk);
  bool ok = true;
  uint64_t written = 0;
  for (size_t i = 0; ok && i < entries_.size(); ++i) {
    uint64_t from = entries_[i].offset;
    uint64_t left = entries_[i].length;
    while (left > 0) {
      const size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
      if (fileops::preadAll(fd_, buffer.data(), chunk, from) != static_cast<int64_t>(chunk) ||
          !fileops::pwriteAll(out, buffer.data(), chunk, written)) {
        ok = false;
        break;
      }
      from += chunk;
      written += chunk;
      left -= chunk;
    }
  }
  ok = ok && fileops::syncFile(out);
  ok = (::close(out) == 0) && ok;
  ok = ok && fileops::syncParentDirectory(pending);
  if (!ok) {
    fileops::removeFile(pending);
    return -1;
  }

  // Point of no return: with the old data file gone, the next open finishes
  // the replacement from the index and "<data>.new".
  if (::unlink(dataPath_.c_str()) != 0) {
    fileops::removeFile(pending);
    return -1;
  }
  fileops::syncParentDirectory(dataPath_);
  ::close(fd_);
  fd_ = -1;
  if (!writeIndex(compacted) || !fileops::renameFile(pending, dataPath_)) {
    // Left for the next open to finish; this session cannot go on safely.
    reset();
    state_ = StoreState::broken;
    return -1;
  }
  fileops::syncParentDirectory(dataPath_);
  fd_ = ::open(dataPath_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) {
    reset();
    state_ = StoreState::broken;
    return -1;
  }
  entries_ = std::move(compacted);
  dataSize_ = total;
  return 0;
}

int IndexedRecordStore::closeStore() {
  if (readOnly()) {
    // Not ours to change: nothing is written.
    reset();
    return 0;
  }
  if (!isOpen()) {
    // A broken store touches nothing, not even at close.
    const int result = broken() ? -1 : 0;
    reset();
    return result;
  }
  const int result = compactStore();
  reset();
  return result;
}

}  // namespace vantrel
