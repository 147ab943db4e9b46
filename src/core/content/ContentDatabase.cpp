#include "core/content/ContentDatabase.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

namespace vantrel {

namespace {

using namespace contentformat;

// Widest object entry: 32 + 32 + 16 + 32 + 16 + 32 + 32 bits, plus up to 7
// bits of lead-in.
constexpr size_t kMaxEntryBytes = 25;
// collectGroup reads the entries of a group in blocks of at most this size.
constexpr uint64_t kGroupBlockBytes = 64 * 1024;
// The search fences sample every kFenceStride-th entry, or a wider power of
// two for very large tables so that each fence keeps at most kFenceSamples
// (about 400 KiB for both). The fine stride leaves a search 32 entries side
// by side (a few hundred bytes, asked for from memory together) after the fence.
constexpr uint32_t kFenceStride = 32;
constexpr uint32_t kFenceSamples = 1u << 15;
// A fence is searched in two steps: first among every kFenceBlock-th key
// (a small array that stays in the cache), then inside one block of keys.
constexpr uint32_t kFenceBlock = 64;
// The texts of the three lookup tables may not add up to more than the
// Strings file plus this much (a hostile name table can name one long string
// many times over).
constexpr uint64_t kTableTextSlack = 16ull * 1024 * 1024;

uint32_t be16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }
// Reads `width` (at most 32) bits starting `bit` bits into a buffer that holds
// at least bit / 8 + 8 bytes: one big-endian 64-bit load and a shift.
inline uint32_t takePadded(const uint8_t* bytes, uint32_t bit, uint32_t width) {
  if (width == 0) return 0;
  uint64_t word = 0;
  const uint8_t* p = bytes + bit / 8;
  for (int k = 0; k < 8; ++k) word = (word << 8) | p[k];
  word <<= bit % 8;
  return static_cast<uint32_t>(word >> (64 - width));
}

// Bits [bit, bit + width) (width at most 57) of the size bytes at bytes: one
// big-endian 64-bit load when eight bytes are there; bytes past size read as 0.
inline uint64_t loadBits(const uint8_t* bytes, uint64_t size, uint64_t bit, uint32_t width) {
  if (width == 0) return 0;
  const uint64_t at = bit / 8;
  uint64_t word = 0;
  if (at < size && size - at >= 8) {
    const uint8_t* p = bytes + at;
    for (int k = 0; k < 8; ++k) word = (word << 8) | p[k];
  } else {
    for (uint64_t k = 0; k < 8; ++k) word = (word << 8) | (at + k < size ? bytes[at + k] : 0);
  }
  return (word << (bit % 8)) >> (64 - width);
}

uint32_t be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// A file opened read-only. It is read with positioned reads (no shared file
// offset) while the database is being opened, then through a read-only map
// of the whole file, so that the many small reads of the searches cost no
// system call. Either way every read is checked against the size the file
// had when it was opened.
struct File {
  int fd = -1;
  uint64_t size = 0;
  const uint8_t* map = nullptr;

  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { close(); }

  bool open(const std::string& path) {
    close();
    int f = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f < 0) return false;
    struct stat st {};
    if (::fstat(f, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(f);
      return false;
    }
    fd = f;
    size = static_cast<uint64_t>(st.st_size);
    return true;
  }
  // Maps the whole file; without a map (empty file, or mmap refused) reads
  // stay positioned reads.
  void mapWhole() {
    if (fd < 0 || map != nullptr || size == 0 || size > std::numeric_limits<size_t>::max()) return;
    void* p = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) return;
    ::madvise(p, static_cast<size_t>(size), MADV_RANDOM);  // searches jump about: no read-ahead
    map = static_cast<const uint8_t*>(p);
  }
  void close() {
    if (map != nullptr) ::munmap(const_cast<uint8_t*>(map), static_cast<size_t>(size));
    map = nullptr;
    if (fd >= 0) ::close(fd);
    fd = -1;
    size = 0;
  }
  bool isOpen() const { return fd >= 0; }
  // Reads exactly n bytes at pos; false when they do not all lie in the file.
  bool read(uint64_t pos, void* buffer, uint64_t n) const {
    if (fd < 0 || pos > size || n > size - pos) return false;
    if (map != nullptr) {
      if (n > 0) std::memcpy(buffer, map + pos, static_cast<size_t>(n));
      return true;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (n > 0) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(n, 1u << 30));
      const ssize_t got = ::pread(fd, out, want, static_cast<off_t>(pos));
      if (got < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (got == 0) return false;  // the file shrank under us
      out += got;
      pos += static_cast<uint64_t>(got);
      n -= static_cast<uint64_t>(got);
    }
    return true;
  }
};

// A packed table: count entries of width bits, split into chunks of perChunk
// entries that lie stride bytes apart from start.
struct PackedTable {
  uint64_t start = 0;
  uint32_t count = 0;
  uint32_t width = 0;
  uint32_t perChunk = 0;
  uint64_t stride = 0;
  uint64_t bytes = 0;  // bytes the table occupies
  uint64_t chunkMagic = 0;

  void layout(uint64_t at, uint32_t n, uint32_t w) {
    start = at;
    count = n;
    width = w;
    perChunk = entriesPerChunk(w);
    // i / perChunk == (chunkMagic * i) >> 64 for every 32-bit i.
    chunkMagic = perChunk > 1 ? ~uint64_t(0) / perChunk + 1 : 0;
    stride = chunkStride(w);
    if (n == 0 || w == 0) {
      bytes = 0;
      return;
    }
    const uint64_t chunks = (uint64_t(n) + perChunk - 1) / perChunk;
    const uint64_t last = uint64_t(n) - (chunks - 1) * perChunk;
    bytes = (chunks - 1) * stride + (last * w + 7) / 8;
  }
  uint64_t end() const { return start + bytes; }
  // Bit position of entry i counted from the table's first byte. The chunk
  // is found by a multiplication (the searches ask for many positions).
  uint64_t bitOf(uint32_t i) const {
    if (width == 0) return 0;
    const uint32_t chunk = perChunk == 1 ? i : static_cast<uint32_t>((static_cast<unsigned __int128>(chunkMagic) * i) >> 64);
    return (uint64_t(chunk) * stride) * 8 + uint64_t(i - chunk * perChunk) * width;
  }
  // Reads the bytes holding entry i; the entry starts `bit` bits into them.
  bool readEntryBytes(const File& f, uint32_t i, uint8_t* buffer, uint32_t& bit) const {
    const uint64_t b = bitOf(i);
    bit = static_cast<uint32_t>(b % 8);
    const uint64_t n = (uint64_t(width) + bit + 7) / 8;
    return f.read(start + b / 8, buffer, n);
  }
  // Reads one field-wide entry of at most 32 bits.
  bool readValue(const File& f, uint32_t i, uint32_t& value) const {
    if (i >= count) return false;
    if (width == 0) {
      value = 0;
      return true;
    }
    uint8_t buffer[8];
    uint32_t bit = 0;
    if (!readEntryBytes(f, i, buffer, bit)) return false;
    value = extractBits(buffer, bit, bit + width);
    return true;
  }
};

struct ViewHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};
template <typename V>
using NameMap = std::unordered_map<std::u16string, V, ViewHash, std::equal_to<>>;

const ContentLayout kEmptyLayout{};
const std::vector<std::u16string> kNoNames;
const std::vector<std::pair<std::u16string, ObjectIndex>> kNoObjectNames;

}  // namespace

struct ContentDatabase::Impl {
  File data, strings, binary;
  ContentLayout layout;
  PackedTable typeTable, kindTable, nameTable, objectTable;
  PackedTable stringCodes, blobCodes;
  uint64_t textStart = 0;  // in the Strings file
  uint64_t blobStart = 0;  // in the Binary file

  std::vector<std::u16string> typeNames, kindNames;
  std::vector<std::pair<std::u16string, ObjectIndex>> names;
  NameMap<uint16_t> typeMap, kindMap;
  NameMap<ObjectIndex> nameMap;

  // Position (from the text or blob start) denoted by an offset code.

  // The extent of item i of a text or blob area: codes i and i + 1 give its
  // start and end, the last item runs to the end of the file. False when the
  // codes point outside the file or backwards.
  static bool span(const File& f, const PackedTable& codes, uint64_t areaStart, uint32_t i, uint64_t& pos,
                   uint64_t& length) {
    if (i >= codes.count || !f.isOpen() || areaStart > f.size) return false;
    const uint64_t areaBytes = f.size - areaStart;
    uint32_t a = 0, b = 0;
    uint64_t endPos = areaBytes;
    if (codes.width == 0) {
      a = 0;
      if (i + 1 < codes.count) endPos = 0;
    } else if (i + 1 < codes.count && (i + 1) % codes.perChunk != 0) {
      // Both codes in one chunk, back to back: one read.
      uint8_t buffer[16];
      const uint64_t bit = codes.bitOf(i);
      const uint32_t lead = static_cast<uint32_t>(bit % 8);
      const uint64_t n = (2ull * codes.width + lead + 7) / 8;
      if (!f.read(codes.start + bit / 8, buffer, n)) return false;
      a = extractBits(buffer, lead, lead + codes.width);
      b = extractBits(buffer, lead + codes.width, lead + 2 * codes.width);
      endPos = codePosition(b);
    } else {
      if (!codes.readValue(f, i, a)) return false;
      if (i + 1 < codes.count) {
        if (!codes.readValue(f, i + 1, b)) return false;
        endPos = codePosition(b);
      }
    }
    const uint64_t startPos = codePosition(a);
    if (startPos > endPos || endPos > areaBytes) return false;
    pos = areaStart + startPos;
    length = endPos - startPos;
    return true;
  }

  bool stringSpan(uint32_t i, uint64_t& pos, uint64_t& length) const {
    return span(strings, stringCodes, textStart, i, pos, length);
  }
  bool blobSpan(uint32_t i, uint64_t& pos, uint64_t& length) const {
    return span(binary, blobCodes, blobStart, i, pos, length);
  }

  // Decodes the object entry starting `bit` bits into bytes.
  void decodeEntry(const uint8_t* bytes, uint64_t bit, ObjectEntry& e) const {
    const ContentLayout& l = layout;
    uint64_t at = bit;
    auto take = [&](uint32_t width) {
      const uint32_t v = extractBits(bytes, static_cast<uint32_t>(at), static_cast<uint32_t>(at + width));
      at += width;
      return v;
    };
    e.id = take(l.idBits);
    e.parent = take(l.objectBits);
    e.type = static_cast<uint16_t>(take(l.typeBits));
    e.run = take(l.runBits);
    e.valueKind = static_cast<uint16_t>(take(l.kindBits));
    e.value = take(32);
    e.byIdOrder = take(l.objectBits);
  }

  bool open(const std::string& basePath);
  bool buildTables();

  // Sampled fences over the two sorted orders of the object table, so that a
  // search starts inside a few entries instead of the whole table:
  //  - groupKeys[k]: the group key (parent << typeBits | type) of entry
  //    1 + k * fenceStride (the table is sorted by parent, then type, from
  //    entry 1 on);
  //  - idKeys[k]: the id of the object at position k * fenceStride of the
  //    byIdOrder column (which lists the objects in increasing id);
  //  - groupTop, idTop: every kFenceBlock-th key of each, searched first.
  // Built from one pass over the table through a buffer that is dropped
  // again, so building them leaves no page of the table in memory. Empty:
  // plain searches.
  uint32_t fenceStride = 0;
  std::vector<uint64_t> groupKeys, groupTop;
  std::vector<uint32_t> idKeys, idTop;
  void buildFences();

  // Bits [offset, offset + width) of entry i (i below objectCount, width at
  // most 57), for the searches: one 64-bit load straight from the map when
  // eight bytes are there, else a checked read. 0 when the read fails.
  uint64_t entryField(uint32_t i, uint32_t offset, uint32_t width) const {
    if (width == 0) return 0;
    const uint64_t bit = objectTable.bitOf(i) + offset;
    if (data.map != nullptr) return loadBits(data.map + objectTable.start, objectTable.bytes, bit, width);
    uint8_t bytes[8] = {};
    const uint64_t at = bit / 8;
    if (at >= objectTable.bytes ||
        !data.read(objectTable.start + at, bytes, std::min<uint64_t>(8, objectTable.bytes - at))) {
      return 0;
    }
    return loadBits(bytes, 8, bit % 8, width);
  }
  // Asks for the cache lines of entries [from, to] of the mapped table at
  // once, so that the probes of a search inside them wait for memory once
  // rather than once per probe.
  void prefetchEntries(uint64_t from, uint64_t to) const {
    if (data.map == nullptr || from > to) return;
    const uint8_t* base = data.map + objectTable.start;
    const uint64_t first = objectTable.bitOf(static_cast<uint32_t>(from)) / 8;
    const uint64_t last = std::min(objectTable.bytes - 1, (objectTable.bitOf(static_cast<uint32_t>(to)) + objectTable.width) / 8);
    for (uint64_t at = first & ~uint64_t(63); at <= last; at += 64) __builtin_prefetch(base + at);
  }
  // Where the fields the searches read lie in an entry.
  uint32_t keyOffset() const { return layout.idBits; }  // parent, then type: the group key
  uint32_t keyWidth() const { return layout.objectBits + layout.typeBits; }
  uint32_t runOffset() const { return layout.idBits + layout.objectBits + layout.typeBits; }
  uint32_t byIdOffset() const { return layout.entryBits - layout.objectBits; }

  // Why the last open failed (a file name and the check it failed).
  std::string error;
  bool fail(std::string why) {
    error = std::move(why);
    return false;
  }
};

namespace {

// Reads the record count and the header record of a container file.
bool readHeader(const File& f, uint64_t headerBytes, uint8_t* header, uint64_t& headerAt) {
  uint8_t countBytes[2];
  if (!f.read(kRecordCountAt, countBytes, 2)) return false;
  headerAt = kRecordListAt + uint64_t(kRecordEntryBytes) * be16(countBytes);
  return f.read(headerAt, header, headerBytes);
}

// The last part of a path, for messages.
std::string fileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ContentDatabase::Impl::open(const std::string& basePath) {
  ContentLayout& l = layout;
  const std::string dataName = fileName(basePath + kDataFileSuffix);
  const std::string stringsName = fileName(basePath + kStringsFileSuffix);
  if (!data.open(basePath + kDataFileSuffix)) return fail(dataName + ": cannot be opened as a file");
  uint8_t h[kDataHeaderBytes];
  uint64_t dataHeaderAt = 0;
  if (!readHeader(data, kDataHeaderBytes, h, dataHeaderAt))
    return fail(dataName + ": the header record lies beyond the end of the file");
  if (be32(h) != kDataKind)
    return fail(dataName + ": not a Data file (kind " + std::to_string(be32(h)) + ", expected " +
                std::to_string(kDataKind) + ")");
  l.dataStamp[0] = static_cast<uint16_t>(be16(h + 4));
  l.dataStamp[1] = static_cast<uint16_t>(be16(h + 6));
  const uint32_t dataStamp3 = be32(h + 8);
  l.typeCount = be16(h + 12);
  l.kindCount = be16(h + 14);
  l.nameCount = be32(h + 16);
  l.objectCount = be32(h + 20);
  l.maxId = be32(h + 24);
  l.runLimit = be32(h + 28);

  if (!strings.open(basePath + kStringsFileSuffix)) return fail(stringsName + ": cannot be opened as a file");
  uint8_t s[kStringsHeaderBytes];
  uint64_t stringsHeaderAt = 0;
  if (!readHeader(strings, kStringsHeaderBytes, s, stringsHeaderAt))
    return fail(stringsName + ": the header record lies beyond the end of the file");
  l.stringsStamp[0] = static_cast<uint16_t>(be16(s + 4));
  l.stringsStamp[1] = static_cast<uint16_t>(be16(s + 6));
  const uint32_t stringsStamp3 = be32(s + 8);
  l.stringCount = be32(s + 12);
  l.maxStringCode = be32(s + 16);

  // The Binary database is optional: without it (or with a bad one) there
  // are no blobs and everything else works.
  if (binary.open(basePath + kBinaryFileSuffix)) {
    uint8_t b[kBinaryHeaderBytes];
    uint64_t binaryHeaderAt = 0;
    bool ok = readHeader(binary, kBinaryHeaderBytes, b, binaryHeaderAt) && be32(b) == kBinaryKind;
    if (ok) {
      l.blobCount = be32(b + 12);
      l.maxBlobCode = be32(b + 16);
      l.blobCodeBits = bitLength(l.maxBlobCode);
      blobCodes.layout(binaryHeaderAt + kBinaryHeaderBytes, l.blobCount, l.blobCodeBits);
      blobStart = blobCodes.end();
      ok = blobStart <= binary.size;
    }
    if (!ok) {
      binary.close();
      l.blobCount = l.maxBlobCode = l.blobCodeBits = 0;
      blobCodes = PackedTable{};
      blobStart = 0;
    }
  }

  // The stamp's third part is 32 bits wide; the layout keeps its two halves.
  if (l.dataStamp[0] != l.stringsStamp[0] || l.dataStamp[1] != l.stringsStamp[1] || dataStamp3 != stringsStamp3) {
    return fail(dataName + ", " + stringsName + ": the edition stamps differ (files of different editions)");
  }
  l.dataStamp[2] = static_cast<uint16_t>(dataStamp3 & 0xFFFF);
  l.stringsStamp[2] = static_cast<uint16_t>(stringsStamp3 & 0xFFFF);

  // Object indexes above the table are page keys; keep room for the six of them.
  if (l.objectCount > std::numeric_limits<uint32_t>::max() - 6)
    return fail(dataName + ": the object count " + std::to_string(l.objectCount) + " is too large");

  deriveFieldWidths(l);

  const uint64_t payload = dataHeaderAt + kDataHeaderBytes;
  typeTable.layout(payload, l.typeCount, l.stringBits);
  kindTable.layout(typeTable.end(), l.kindCount, l.stringBits);
  nameTable.layout(kindTable.end(), l.nameCount, l.stringBits + l.objectBits);
  objectTable.layout(nameTable.end(), l.objectCount, l.entryBits);
  if (objectTable.end() > data.size)
    return fail(dataName + ": the tables need " + std::to_string(objectTable.end()) + " bytes, the file has " +
                std::to_string(data.size));
  // A zero-width name table occupies no bytes whatever its count; still no
  // table may claim more entries than its file has bits.
  if (uint64_t(l.nameCount) > data.size * 8)
    return fail(dataName + ": the name count " + std::to_string(l.nameCount) + " exceeds the file");

  stringCodes.layout(stringsHeaderAt + kStringsHeaderBytes, l.stringCount, l.stringCodeBits);
  textStart = stringCodes.end();
  if (textStart > strings.size)
    return fail(stringsName + ": the string codes need " + std::to_string(textStart) + " bytes, the file has " +
                std::to_string(strings.size));

  if (!buildTables())
    return fail(dataName + ": the type, value-kind or name table cannot be read (its texts lie outside " +
                stringsName + ")");
  return true;
}

bool ContentDatabase::Impl::buildTables() {
  uint64_t budget = strings.size + kTableTextSlack;
  std::vector<uint8_t> text;
  auto readText = [&](uint32_t number, std::u16string& out) {
    out.clear();
    uint64_t pos = 0, length = 0;
    if (!stringSpan(number, pos, length) || length == 0) return true;  // no such string: empty name
    if (length > budget) return false;
    budget -= length;
    text.resize(static_cast<size_t>(length));
    if (!strings.read(pos, text.data(), length)) return true;
    out = decodeContentText(text.data(), text.size());
    return true;
  };
  // Each table is read whole, then its entries are taken from the buffer.
  auto readTable = [&](const PackedTable& t, std::vector<uint8_t>& bytes) {
    bytes.resize(static_cast<size_t>(t.bytes) + 8);
    return t.bytes == 0 || data.read(t.start, bytes.data(), t.bytes);
  };

  std::vector<uint8_t> bytes;
  std::u16string name;
  for (int which = 0; which < 2; ++which) {
    const PackedTable& t = which == 0 ? typeTable : kindTable;
    auto& list = which == 0 ? typeNames : kindNames;
    auto& map = which == 0 ? typeMap : kindMap;
    if (!readTable(t, bytes)) return false;
    list.reserve(t.count);
    for (uint32_t i = 0; i < t.count; ++i) {
      const uint64_t bit = t.bitOf(i);
      const uint32_t number = extractBits(bytes.data() + bit / 8, bit % 8, bit % 8 + t.width);
      if (!readText(number, name)) return false;
      list.push_back(name);
      map[name] = static_cast<uint16_t>(i);  // a repeated name keeps its later number
    }
  }

  if (!readTable(nameTable, bytes)) return false;
  names.reserve(nameTable.count);
  const uint32_t stringBits = layout.stringBits;
  for (uint32_t i = 0; i < nameTable.count; ++i) {
    const uint64_t bit = nameTable.bitOf(i);
    const uint8_t* p = bytes.data() + bit / 8;
    const uint32_t lead = bit % 8;
    const uint32_t number = extractBits(p, lead, lead + stringBits);
    const ObjectIndex object = extractBits(p, lead + stringBits, lead + nameTable.width);
    if (!readText(number, name)) return false;
    names.emplace_back(name, object);
    nameMap[name] = object;  // a repeated name keeps its later object
  }
  return true;
}

// ---------------------------------------------------------------------------

namespace {

// A read-only map of a whole file that is dropped again with the object, so
// that the pages it touched do not stay with the process.
class TemporaryMap {
 public:
  TemporaryMap(int fd, uint64_t size) : size_(size) {
    if (fd < 0 || size == 0 || size > std::numeric_limits<size_t>::max()) return;
    void* p = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) return;
    bytes_ = static_cast<const uint8_t*>(p);
  }
  ~TemporaryMap() {
    if (bytes_ != nullptr) ::munmap(const_cast<uint8_t*>(bytes_), static_cast<size_t>(size_));
  }
  TemporaryMap(const TemporaryMap&) = delete;
  TemporaryMap& operator=(const TemporaryMap&) = delete;
  const uint8_t* bytes() const { return bytes_; }

 private:
  uint64_t size_ = 0;
  const uint8_t* bytes_ = nullptr;
};

template <typename T>
std::vector<T> everyBlockKey(const std::vector<T>& keys) {
  std::vector<T> top;
  top.reserve(keys.size() / kFenceBlock + 1);
  for (size_t k = 0; k < keys.size(); k += kFenceBlock) top.push_back(keys[k]);
  return top;
}

// The first of the n sorted keys that is not below key (n when none is), by
// halving without branches on the keys.
template <typename T>
size_t lowerBound(const T* keys, size_t n, T key) {
  if (n == 0) return 0;
  const T* base = keys;
  while (n > 1) {
    const size_t half = n / 2;
    base = base[half] < key ? base + half : base;
    n -= half;
  }
  return static_cast<size_t>(base - keys) + (*base < key ? 1 : 0);
}

// The first position of keys (sorted) whose key is not below key: the block
// from the top level, then the position inside it.
template <typename T>
size_t fenceLowerBound(const std::vector<T>& top, const std::vector<T>& keys, T key) {
  const size_t t = lowerBound(top.data(), top.size(), key);
  if (t == 0) return 0;
  const size_t from = (t - 1) * kFenceBlock;
  const size_t to = std::min<size_t>(t * kFenceBlock, keys.size());
  return from + lowerBound(keys.data() + from, to - from, key);
}

}  // namespace

void ContentDatabase::Impl::buildFences() {
  groupKeys.clear();
  groupTop.clear();
  idKeys.clear();
  idTop.clear();
  fenceStride = 0;
  const uint32_t count = layout.objectCount;
  if (count < 2 * kFenceStride || objectTable.width == 0) return;
  uint32_t stride = kFenceStride;
  while (count / stride > kFenceSamples) stride *= 2;

  // Read through a map of its own that is dropped at the end (the lasting
  // map of the file is made after this), so no page stays in memory.
  const TemporaryMap map(data.fd, data.size);
  if (map.bytes() == nullptr) return;
  const uint8_t* table = map.bytes() + objectTable.start;
  const uint64_t bytes = objectTable.bytes;
  const ContentLayout& l = layout;
  auto field = [&](uint32_t i, uint32_t offset, uint32_t width) {
    return loadBits(table, bytes, objectTable.bitOf(i) + offset, width);
  };

  // The group key of every sampled entry, and the object each sampled
  // position of the byIdOrder column names, in one pass down the table.
  const uint32_t samples = (count - 1) / stride + 1;
  std::vector<uint64_t> groups;
  std::vector<ObjectIndex> named;
  groups.reserve(samples);
  named.reserve(samples);
  // The samples lie in different cache lines and each read would wait for
  // memory: the lines a few samples ahead are asked for early.
  constexpr uint32_t kAhead = 16;
  auto prefetch = [&](uint32_t i) { __builtin_prefetch(table + objectTable.bitOf(i) / 8); };
  const uint32_t byIdAt = byIdOffset(), keyAt = keyOffset(), width = keyWidth();
  for (uint32_t k = 0; k < samples; ++k) {
    if (k + kAhead < samples) prefetch((k + kAhead) * stride);
    const uint32_t position = k * stride;
    const ObjectIndex object = static_cast<ObjectIndex>(field(position, byIdAt, l.objectBits));
    if (object >= count) return;  // damaged: no fences
    named.push_back(object);
    if (position + 1 < count) groups.push_back(field(position + 1, keyAt, width));
  }

  // The ids of the named objects, read in table order: the named objects
  // marked in a bitmap, their ids stored by their rank among the marked.
  std::vector<uint64_t> marked((count + 63) / 64, 0);
  for (ObjectIndex object : named) marked[object / 64] |= uint64_t(1) << (object % 64);
  std::vector<uint32_t> rankBefore(marked.size(), 0);
  std::vector<ObjectIndex> inOrder;
  inOrder.reserve(named.size());
  for (size_t w = 0; w < marked.size(); ++w) {
    rankBefore[w] = static_cast<uint32_t>(inOrder.size());
    for (uint64_t bits = marked[w]; bits != 0; bits &= bits - 1) {
      inOrder.push_back(static_cast<ObjectIndex>(w * 64 + std::countr_zero(bits)));
    }
  }
  std::vector<uint32_t> markedIds(inOrder.size());
  for (size_t j = 0; j < inOrder.size(); ++j) {
    if (j + kAhead < inOrder.size()) prefetch(inOrder[j + kAhead]);
    markedIds[j] = static_cast<uint32_t>(field(inOrder[j], 0, l.idBits));
  }
  std::vector<uint32_t> ids(named.size());
  for (size_t k = 0; k < named.size(); ++k) {
    const ObjectIndex object = named[k];
    const uint64_t below = marked[object / 64] & ((uint64_t(1) << (object % 64)) - 1);
    ids[k] = markedIds[rankBefore[object / 64] + std::popcount(below)];
  }
  groupTop = everyBlockKey(groups);
  idTop = everyBlockKey(ids);
  groupKeys = std::move(groups);
  idKeys = std::move(ids);
  fenceStride = stride;
}

ContentDatabase::ContentDatabase() = default;
ContentDatabase::~ContentDatabase() { close(); }

bool ContentDatabase::open(const std::string& basePath, bool searchFences) {
  close();
  auto impl = std::make_unique<Impl>();
  if (!impl->open(basePath)) {
    // Empty: nothing of a database that failed validation stays visible.
    std::string why = std::move(impl->error);
    impl = std::make_unique<Impl>();
    impl->error = std::move(why);
    impl_ = std::move(impl);
    return false;
  }
  if (searchFences) impl->buildFences();
  // The lookup tables are built; from now on the files are read through maps.
  impl->data.mapWhole();
  impl->strings.mapWhole();
  impl->binary.mapWhole();
  impl_ = std::move(impl);
  return true;
}

void ContentDatabase::close() {
  if (impl_) {
    impl_->data.close();
    impl_->strings.close();
    impl_->binary.close();
  }
  impl_.reset();
}

bool ContentDatabase::valid() const { return impl_ && impl_->data.isOpen(); }

void ContentDatabase::dropSearchFences() {
  if (!impl_) return;
  std::vector<uint64_t>().swap(impl_->groupKeys);  // gives the memory back
  std::vector<uint64_t>().swap(impl_->groupTop);
  std::vector<uint32_t>().swap(impl_->idKeys);
  std::vector<uint32_t>().swap(impl_->idTop);
  impl_->fenceStride = 0;
}

bool ContentDatabase::hasSearchFences() const { return impl_ && impl_->fenceStride != 0; }

const std::string& ContentDatabase::openError() const {
  static const std::string none;
  return impl_ ? impl_->error : none;
}

uint32_t ContentDatabase::objectCount() const { return impl_ ? impl_->layout.objectCount : 0; }

const ContentLayout& ContentDatabase::layout() const { return impl_ ? impl_->layout : kEmptyLayout; }

bool ContentDatabase::readEntry(ObjectIndex index, ObjectEntry& out) const {
  if (!impl_ || index >= impl_->layout.objectCount) return false;
  // The entry's bytes, then zero padding so that every field can be taken
  // with one 64-bit load.
  uint8_t buffer[kMaxEntryBytes + 16] = {};
  uint32_t bit = 0;
  if (!impl_->objectTable.readEntryBytes(impl_->data, index, buffer, bit)) return false;
  const ContentLayout& l = impl_->layout;
  ObjectEntry e;
  e.database = this;
  e.index = index;
  e.id = takePadded(buffer, bit, l.idBits);
  bit += l.idBits;
  e.parent = takePadded(buffer, bit, l.objectBits);
  bit += l.objectBits;
  e.type = static_cast<uint16_t>(takePadded(buffer, bit, l.typeBits));
  bit += l.typeBits;
  e.run = takePadded(buffer, bit, l.runBits);
  bit += l.runBits;
  e.valueKind = static_cast<uint16_t>(takePadded(buffer, bit, l.kindBits));
  bit += l.kindBits;
  e.value = takePadded(buffer, bit, 32);
  bit += 32;
  e.byIdOrder = takePadded(buffer, bit, l.objectBits);
  out = e;
  return true;
}

uint32_t ContentDatabase::stringCount() const { return impl_ ? impl_->layout.stringCount : 0; }

uint32_t ContentDatabase::stringLength(uint32_t i) const {
  uint64_t pos = 0, length = 0;
  if (!impl_ || !impl_->stringSpan(i, pos, length)) return 0;
  return static_cast<uint32_t>(std::min<uint64_t>(length, std::numeric_limits<uint32_t>::max()));
}

bool ContentDatabase::readStringBytes(uint32_t i, char* buffer, uint32_t n) const {
  uint64_t pos = 0, length = 0;
  if (!impl_ || buffer == nullptr || !impl_->stringSpan(i, pos, length) || n > length) return false;
  if (!impl_->strings.read(pos, buffer, n)) return false;
  buffer[n] = 0;
  return true;
}

std::u16string ContentDatabase::readString(uint32_t i) const {
  uint64_t pos = 0, length = 0;
  if (!impl_ || !impl_->stringSpan(i, pos, length) || length == 0) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(length) + 1);
  if (!impl_->strings.read(pos, bytes.data(), length)) return {};
  bytes[length] = 0;
  return decodeContentText(bytes.data(), static_cast<size_t>(length));
}

uint32_t ContentDatabase::blobCount() const { return impl_ ? impl_->layout.blobCount : 0; }

uint32_t ContentDatabase::blobLength(uint32_t i) const {
  uint64_t pos = 0, length = 0;
  if (!impl_ || !impl_->blobSpan(i, pos, length)) return 0;
  return static_cast<uint32_t>(std::min<uint64_t>(length, std::numeric_limits<uint32_t>::max()));
}

bool ContentDatabase::readBlob(uint32_t i, uint32_t offset, void* buffer, uint32_t n) const {
  uint64_t pos = 0, length = 0;
  if (!impl_ || (buffer == nullptr && n > 0) || !impl_->blobSpan(i, pos, length)) return false;
  if (uint64_t(offset) + n > length) return false;
  if (n == 0) return true;
  return impl_->binary.read(pos + offset, buffer, n);
}

uint16_t ContentDatabase::typeNumber(std::u16string_view name) const {
  if (!impl_) return kNoType;
  const auto it = impl_->typeMap.find(name);
  return it == impl_->typeMap.end() ? kNoType : it->second;
}

std::u16string ContentDatabase::typeName(uint16_t number) const {
  if (!impl_ || number >= impl_->typeNames.size()) return {};
  return impl_->typeNames[number];
}

uint16_t ContentDatabase::kindNumber(std::u16string_view name) const {
  if (!impl_) return kNoType;
  const auto it = impl_->kindMap.find(name);
  return it == impl_->kindMap.end() ? kNoType : it->second;
}

std::u16string ContentDatabase::kindName(uint16_t number) const {
  if (!impl_ || number >= impl_->kindNames.size()) return {};
  return impl_->kindNames[number];
}

ObjectIndex ContentDatabase::objectByName(std::u16string_view name) const {
  if (!impl_) return 0;
  const auto it = impl_->nameMap.find(name);
  if (it == impl_->nameMap.end()) return 0;
  // A name that points past the object table names nothing.
  return it->second < impl_->layout.objectCount ? it->second : 0;
}

const std::vector<std::u16string>& ContentDatabase::typeNames() const {
  return impl_ ? impl_->typeNames : kNoNames;
}

const std::vector<std::u16string>& ContentDatabase::kindNames() const {
  return impl_ ? impl_->kindNames : kNoNames;
}

const std::vector<std::pair<std::u16string, ObjectIndex>>& ContentDatabase::names() const {
  return impl_ ? impl_->names : kNoObjectNames;
}

// The object table is sorted by (parent, type), and each entry's run counts
// the entries of its group after it, so the search can skip whole groups.
// Parent and type lie side by side in an entry, so the two compare as one key.
ObjectIndex ContentDatabase::findGroup(ObjectIndex parent, uint16_t type) const {
  const uint32_t count = objectCount();
  if (count == 0 || uint64_t(parent) + 1 > count - 1) return 0;
  if (type >= impl_->layout.typeCount) return 0;
  const Impl& d = *impl_;
  const uint32_t keyAt = d.keyOffset(), keyWidth = d.keyWidth(), runAt = d.runOffset(), runBits = d.layout.runBits;
  const uint64_t key = (uint64_t(parent) << d.layout.typeBits) | type;
  uint64_t lo = uint64_t(parent) + 1;
  uint64_t hi = count - 1;
  if (!d.groupKeys.empty()) {
    // The first entry of the group lies after the last sample below its key
    // and no later than the first sample at or above it.
    const uint64_t stride = d.fenceStride;
    const uint64_t k = fenceLowerBound(d.groupTop, d.groupKeys, key);
    if (k > 0) lo = std::max(lo, 1 + (k - 1) * stride + 1);
    if (k < d.groupKeys.size()) hi = std::min(hi, 1 + k * stride);
    if (lo > hi) return 0;
    d.prefetchEntries(lo, hi);
  }
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    const uint64_t at = d.entryField(static_cast<uint32_t>(mid), keyAt, keyWidth);
    if (at < key) {
      lo = mid + d.entryField(static_cast<uint32_t>(mid), runAt, runBits) + 1;  // past the rest of mid's group
    } else if (at > key) {
      hi = mid - 1;  // mid > lo >= 1
    } else {
      hi = mid;
    }
  }
  // The answer is a child, so it lies after its parent.
  if (hi <= parent) return 0;
  return d.entryField(static_cast<uint32_t>(hi), keyAt, keyWidth) == key ? static_cast<ObjectIndex>(hi) : 0;
}

ObjectIndex ContentDatabase::findFirstChild(ObjectIndex parent) const {
  const uint32_t count = objectCount();
  if (count == 0 || uint64_t(parent) + 1 > count - 1) return 0;
  int64_t lo = int64_t(parent) + 1;
  int64_t hi = int64_t(count) - 1;
  int64_t mid = lo;
  ObjectEntry e;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    if (!readEntry(static_cast<ObjectIndex>(mid), e)) return 0;
    if (e.parent < parent) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  if (readEntry(static_cast<ObjectIndex>(mid), e) && e.parent == parent) return static_cast<ObjectIndex>(mid);
  if (mid + 1 < int64_t(count) && readEntry(static_cast<ObjectIndex>(mid + 1), e) && e.parent == parent) {
    return static_cast<ObjectIndex>(mid + 1);
  }
  return 0;
}

// Position p of the byIdOrder column names the object with the p-th smallest
// id, so the column is searched by the ids of the objects it names.
ObjectIndex ContentDatabase::findById(uint32_t id) const {
  const uint32_t count = objectCount();
  if (count == 0) return 0;
  const Impl& d = *impl_;
  int64_t lo = 0;
  int64_t hi = int64_t(count) - 1;
  // Known ids just outside [lo, hi] (when known), for interpolation.
  bool bounded = false;
  uint32_t idBelow = 0, idAbove = 0;
  if (!d.idKeys.empty()) {
    // The id lies after the last sample below it and no later than the
    // first sample at or above it.
    const auto& keys = d.idKeys;
    const int64_t stride = d.fenceStride;
    const int64_t k = fenceLowerBound(d.idTop, keys, id);
    if (k > 0) lo = std::max<int64_t>(lo, (k - 1) * stride + 1);
    if (k < int64_t(keys.size())) hi = std::min<int64_t>(hi, k * stride);
    if (lo > hi) return 0;
    d.prefetchEntries(static_cast<uint64_t>(lo), static_cast<uint64_t>(hi));
    if (k > 0 && k < int64_t(keys.size())) {
      bounded = true;
      idBelow = keys[k - 1];
      idAbove = keys[k];
    }
  }
  int64_t mid = lo;
  const uint32_t byIdAt = d.byIdOffset(), objectBits = d.layout.objectBits, idBits = d.layout.idBits;
  auto idAt = [&](int64_t position, ObjectIndex& object, uint32_t& objectId) {
    object = static_cast<ObjectIndex>(d.entryField(static_cast<uint32_t>(position), byIdAt, objectBits));
    if (object >= count) return false;
    objectId = static_cast<uint32_t>(d.entryField(object, 0, idBits));
    return true;
  };
  ObjectIndex object = 0;
  uint32_t objectId = 0;
  for (int step = 0; lo <= hi; ++step) {
    // Ids usually grow evenly along the order: the first probes guess the
    // position from the ids around the range, the later ones halve it, so
    // an uneven stretch costs no more than a plain search.
    mid = (lo + hi) / 2;
    if (bounded && step < 2 && idAbove > idBelow && id > idBelow && id < idAbove) {
      const int64_t span = hi - lo + 2;  // positions from the one below to the one above
      mid = lo - 1 + int64_t((uint64_t(id - idBelow) * uint64_t(span)) / uint64_t(idAbove - idBelow));
      mid = std::clamp(mid, lo, hi);
    }
    if (!idAt(mid, object, objectId)) return 0;
    if (objectId < id) {
      lo = mid + 1;
      idBelow = objectId;
    } else if (objectId == id) {
      return object;
    } else {
      hi = mid - 1;
      idAbove = objectId;
    }
  }
  if (idAt(mid, object, objectId) && objectId == id) return object;
  if (mid + 1 < int64_t(count) && idAt(mid + 1, object, objectId) && objectId == id) return object;
  return 0;
}

void ContentDatabase::collectGroup(ObjectIndex parent, std::u16string_view typeName, uint32_t max,
                                   std::vector<ObjectEntry>& out) const {
  const uint16_t type = typeNumber(typeName);
  if (type == kNoType) return;
  collectGroup(parent, type, max, out);
}

void ContentDatabase::collectGroup(ObjectIndex parent, uint16_t type, uint32_t max,
                                   std::vector<ObjectEntry>& out) const {
  const ObjectIndex first = findGroup(parent, type);
  ObjectEntry head;
  if (first == 0 || !readEntry(first, head)) return;
  out.push_back(head);
  uint64_t n = uint64_t(head.run) + 1;
  if (max != 0) n = std::min<uint64_t>(n, max);
  // A run that claims more entries than the table holds is cut at its end.
  n = std::min<uint64_t>(n, uint64_t(objectCount()) - first);
  if (n <= 1) return;

  // The rest of the group is read in blocks of whole entries; entries are
  // decoded from the block by their bit positions, which also covers a group
  // that crosses a chunk boundary.
  const PackedTable& t = impl_->objectTable;
  const uint64_t last = first + n - 1;
  const uint64_t groupEnd = (t.bitOf(static_cast<uint32_t>(last)) + t.width + 7) / 8;
  std::vector<uint8_t> block;
  uint64_t blockStart = 0, blockEnd = 0;
  for (uint64_t i = uint64_t(first) + 1; i <= last; ++i) {
    const uint64_t bit = t.bitOf(static_cast<uint32_t>(i));
    const uint64_t from = bit / 8;
    const uint64_t to = (bit + t.width + 7) / 8;
    if (from < blockStart || to > blockEnd) {
      blockStart = from;
      blockEnd = std::min(groupEnd, std::max(to, from + kGroupBlockBytes));
      block.resize(static_cast<size_t>(blockEnd - blockStart) + 8);
      if (!impl_->data.read(t.start + blockStart, block.data(), blockEnd - blockStart)) return;
    }
    ObjectEntry e;
    e.database = this;
    e.index = static_cast<ObjectIndex>(i);
    impl_->decodeEntry(block.data(), bit - blockStart * 8, e);
    // Entries of another parent or type never belong to the group, whatever
    // the run of its first entry says.
    if (e.parent != head.parent || e.type != head.type) return;
    out.push_back(e);
  }
}

size_t ContentDatabase::tableBytes() const {
  if (!impl_) return 0;
  size_t total = sizeof(Impl);
  auto text = [](const std::u16string& s) { return s.capacity() > 7 ? (s.capacity() + 1) * sizeof(char16_t) : 0; };
  for (const auto& s : impl_->typeNames) total += sizeof(s) + text(s);
  for (const auto& s : impl_->kindNames) total += sizeof(s) + text(s);
  for (const auto& p : impl_->names) total += sizeof(p) + text(p.first);
  // Map nodes: key, value, hash and next pointer, plus the bucket array.
  const size_t node = sizeof(std::u16string) + 2 * sizeof(void*) + sizeof(size_t);
  for (const auto& kv : impl_->typeMap) total += node + text(kv.first);
  for (const auto& kv : impl_->kindMap) total += node + text(kv.first);
  for (const auto& kv : impl_->nameMap) total += node + text(kv.first);
  total += (impl_->typeMap.bucket_count() + impl_->kindMap.bucket_count() + impl_->nameMap.bucket_count()) *
           sizeof(void*);
  total += (impl_->groupKeys.capacity() + impl_->groupTop.capacity()) * sizeof(uint64_t) +
           (impl_->idKeys.capacity() + impl_->idTop.capacity()) * sizeof(uint32_t);
  return total;
}

// ---------------------------------------------------------------------------

uint32_t extractBits(const uint8_t* bytes, uint32_t from, uint32_t to) {
  if (to <= from) return 0;
  if (to - from > 32) from = to - 32;  // never more than 32 bits: the low end of the field
  const uint32_t firstByte = from / 8;
  const uint32_t lastByte = (to - 1) / 8;
  uint64_t value = bytes[firstByte] & (0xFFu >> (from % 8));
  for (uint32_t i = firstByte + 1; i <= lastByte; ++i) value = (value << 8) | bytes[i];
  value >>= 7 - ((to - 1) % 8);
  return static_cast<uint32_t>(value);
}

void deriveFieldWidths(ContentLayout& l) {
  using namespace contentformat;
  l.typeBits = indexWidth(l.typeCount);
  l.kindBits = indexWidth(l.kindCount);
  l.objectBits = indexWidth(l.objectCount);
  l.stringBits = indexWidth(l.stringCount);
  l.idBits = bitLength(l.maxId);
  l.runBits = indexWidth(l.runLimit);
  l.stringCodeBits = bitLength(l.maxStringCode);
  l.blobCodeBits = bitLength(l.maxBlobCode);
  l.entryBits = objectEntryBits(l.idBits, l.objectBits, l.typeBits, l.runBits, l.kindBits);
  l.entriesPerChunk = entriesPerChunk(l.entryBits);
}

// Texts are stored in a subset of UTF-8: one code unit per sequence of one,
// two or three bytes. A byte below 0xC0 stands for itself (so a lone byte
// 0x80..0xBF is the character of that value), continuation bytes are not
// checked, and a sequence cut off by the end of the text ends it.
std::u16string decodeContentText(const uint8_t* bytes, size_t length) {
  std::u16string out;
  if (bytes == nullptr) return out;
  out.reserve(length);
  size_t i = 0;
  while (i < length) {
    const uint8_t c = bytes[i];
    if (c < 0xC0) {
      out.push_back(static_cast<char16_t>(c));
      i += 1;
    } else if (c < 0xE0) {
      if (length - i < 2) break;
      out.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
      i += 2;
    } else {
      if (length - i < 3) break;
      out.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F)));
      i += 3;
    }
  }
  return out;
}

}  // namespace vantrel
