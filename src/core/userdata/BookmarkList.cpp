#include "core/userdata/BookmarkList.h"

#include <algorithm>

#include "core/util/FileOps.h"
#include "core/userdata/UserDataFiles.h"
#include "core/util/TextCodec.h"

namespace vantrel {

std::u16string decodeStoredText(std::string_view bytes) {
  const auto zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  return fromCp1252(bytes);
}

std::string encodeStoredText(std::u16string_view text, size_t maxBytes) {
  std::string bytes = toCp1252(text);
  if (maxBytes != 0 && bytes.size() > maxBytes) bytes.resize(maxBytes);
  return bytes;
}

std::string makeBookmarkRecord(uint32_t id, std::string_view title, const void* data, uint32_t length) {
  if (title.size() > userfiles::kMaxTitleBytes) title = title.substr(0, userfiles::kMaxTitleBytes);
  std::string record;
  record.reserve(12 + length + title.size());
  appendLe32(record, id);
  appendLe32(record, data ? length : 0);
  appendLe32(record, static_cast<uint32_t>(title.size()));
  if (data && length) record.append(static_cast<const char*>(data), length);
  record.append(title);
  return record;
}

Bookmark parseBookmarkRecord(std::string_view bytes, uint32_t recordLength) {
  Bookmark b;
  // Whatever the data file did not hold reads as zero bytes.
  unsigned char header[12] = {0};
  std::copy_n(bytes.begin(), std::min<size_t>(12, bytes.size()), header);
  b.damaged = recordLength < 12 || bytes.size() < recordLength;
  if (recordLength >= 4) b.id = readLe32(header);
  if (recordLength >= 8) b.storedLength = readLe32(header + 4);
  const uint32_t titleLength = recordLength >= 12 ? readLe32(header + 8) : 0;
  if (b.id == 0) b.damaged = true;
  if (titleLength > userfiles::kMaxTitleBytes) b.damaged = true;
  if (recordLength < 12) return b;

  const uint64_t room = recordLength - 12u;
  const uint64_t dataLength = std::min<uint64_t>(b.storedLength, room);
  if (dataLength < b.storedLength) b.damaged = true;
  const uint64_t have = bytes.size() > 12 ? bytes.size() - 12 : 0;
  b.pageData.assign(bytes.data() + std::min<uint64_t>(12, bytes.size()),
                    static_cast<size_t>(std::min(dataLength, have)));
  if (dataLength < b.storedLength) return b;  // the title cannot be located

  const uint64_t titleStart = 12 + dataLength;
  uint64_t take = std::min<uint64_t>(titleLength, userfiles::kMaxTitleBytes);
  take = std::min<uint64_t>(take, recordLength - titleStart);
  if (take < std::min<uint64_t>(titleLength, userfiles::kMaxTitleBytes)) b.damaged = true;
  if (titleStart < bytes.size()) {
    take = std::min<uint64_t>(take, bytes.size() - titleStart);
    b.title = decodeStoredText(bytes.substr(static_cast<size_t>(titleStart), static_cast<size_t>(take)));
  }
  return b;
}

BookmarkList::~BookmarkList() { close(); }

StoreState BookmarkList::open(const std::string& programDirectory) {
  return openFiles(fileops::joinPath(programDirectory, userfiles::kBookmarkIndex),
                   fileops::joinPath(programDirectory, userfiles::kBookmarkData));
}

StoreState BookmarkList::openFiles(const std::string& indexPath, const std::string& dataPath) {
  const StoreState state = store_.openStore(indexPath, dataPath, userfiles::kBookmarkVersion);
  loadBookmarks();
  return state;
}

int BookmarkList::close() {
  items_.clear();
  if (!store_.isOpen() && !store_.broken()) return 0;
  return store_.closeStore();
}

void BookmarkList::loadBookmarks() {
  items_.clear();
  const uint32_t count = store_.recordCount();
  for (uint32_t r = 1; r < count; ++r) {
    const int64_t length = store_.recordLength(r);
    Bookmark b = parseBookmarkRecord(store_.readWhole(r), static_cast<uint32_t>(std::max<int64_t>(length, 0)));
    b.target = targetOf(b.id);
    items_.push_back(std::move(b));
  }
}

ObjectIndex BookmarkList::targetOf(uint32_t id) {
  if (!content_ || id == 0) return 0;
  const auto it = targets_.find(id);
  if (it != targets_.end()) return it->second;
  const ObjectIndex target = content_->findById(id);
  targets_.emplace(id, target);
  return target;
}

ListItem BookmarkList::itemAt(uint32_t position) const {
  if (position >= items_.size()) return {};
  return {items_[position].title, static_cast<int32_t>(position)};
}

BookmarkPlace BookmarkList::bookmarkAt(uint32_t position) const {
  if (position >= items_.size()) return {};
  const Bookmark& b = items_[position];
  return {b.pageData, b.target, static_cast<uint32_t>(b.pageData.size())};
}

int BookmarkList::checkBookmark(ObjectIndex object, const void* data, uint32_t length) const {
  if (!content_ || object >= content_->objectCount()) return kNotHere;
  const uint32_t id = content_->persistentId(object);
  if (id == 0) return kNotHere;
  if (length > 0 && data == nullptr) return kMayAdd;
  const std::string_view wanted(static_cast<const char*>(data), data ? length : 0);
  for (const Bookmark& b : items_) {
    if (b.id == id && b.storedLength == length && b.pageData.size() == length && b.pageData == wanted) {
      return kExists;
    }
  }
  return kMayAdd;
}

int BookmarkList::addBookmark(std::u16string_view title, ObjectIndex object, const void* data,
                              uint32_t length) {
  if (!content_ || object >= content_->objectCount()) return -1;
  const uint32_t id = content_->persistentId(object);
  if (id == 0) return -1;  // a record of ours never holds id 0
  return addBookmarkRecord(id, encodeStoredText(title, userfiles::kMaxTitleBytes), data, length);
}

int BookmarkList::addBookmarkRecord(uint32_t id, std::string_view title, const void* data, uint32_t length) {
  if (length > 0 && data == nullptr) return -1;
  const std::string record = makeBookmarkRecord(id, title, data, length);
  const int result = store_.appendRecord(record.data(), static_cast<uint32_t>(record.size()));
  // Nobody else changes an open pair (it is locked), so after an append the
  // list is the old one and the new record: read only that one back.
  // The version record and at least the new one, or nothing to read back
  // (a refused append on a pair that holds no records at all).
  const uint32_t count = store_.recordCount();
  const uint32_t last = count >= 2 ? count - 1 : 0;
  if (result == 0 && last >= 1 && items_.size() + 1 == last) {
    Bookmark b = parseBookmarkRecord(store_.readWhole(last), static_cast<uint32_t>(record.size()));
    b.target = targetOf(b.id);
    items_.push_back(std::move(b));
  } else {
    loadBookmarks();
  }
  return result;
}

int BookmarkList::removeBookmark(uint32_t position) {
  if (position >= items_.size()) return -1;
  const int result = store_.deleteRecords(static_cast<int64_t>(position) + 1, -1);
  loadBookmarks();
  return result;
}

int BookmarkList::removeBookmarks(std::vector<uint32_t> positions) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  int removed = 0;
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    if (removeBookmark(*it) == 0) ++removed;
  }
  return removed;
}

}  // namespace vantrel
