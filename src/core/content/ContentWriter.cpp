#include "core/content/ContentWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "core/util/FileOps.h"

namespace vantrel {
namespace {

using namespace contentformat;

// The five value kinds every writer knows; interned first, so their intern
// ids are these numbers.
enum DefaultKind : uint32_t { kKindNone = 0, kKindString, kKindNumber, kKindObject, kKindBlob };
constexpr const char16_t* kDefaultKinds[] = {u"none", u"string", u"number", u"object", u"blob"};

enum class ValueType : uint8_t { None, Text, Number, Link, Blob };

constexpr uint32_t kNone32 = 0xFFFFFFFFu;

// A packed table's shape: entries per chunk, chunk stride, byte sizes.
struct TableShape {
  uint64_t count = 0;
  uint32_t width = 0;
  uint32_t perChunk = 0;  // K
  uint32_t stride = 0;
  uint32_t chunks = 0;
  uint64_t bytes = 0;
  uint32_t chunkBytes(uint32_t j) const {
    if (j + 1 < chunks) return stride;
    uint64_t rest = count - uint64_t(chunks - 1) * perChunk;
    return uint32_t((rest * width + 7) / 8);
  }
};

// A table of zero-width entries occupies no bytes and gets no records.
TableShape shapeOf(uint64_t count, uint32_t width) {
  TableShape s;
  s.count = count;
  s.width = width;
  if (width == 0 || count == 0) return s;
  s.perChunk = entriesPerChunk(width);
  s.stride = uint32_t(chunkStride(width));
  s.chunks = uint32_t((count + s.perChunk - 1) / s.perChunk);
  s.bytes = uint64_t(s.chunks - 1) * s.stride + s.chunkBytes(s.chunks - 1);
  return s;
}

// Appends bit fields most significant bit first.
class BitPacker {
 public:
  explicit BitPacker(std::string& out) : out_(out) {}
  void put(uint32_t value, uint32_t width) {
    if (width == 0) return;
    uint64_t v = width >= 32 ? value : (value & ((uint32_t(1) << width) - 1));
    acc_ = (acc_ << width) | v;
    bits_ += width;
    while (bits_ >= 8) {
      bits_ -= 8;
      out_.push_back(char((acc_ >> bits_) & 0xFF));
    }
  }
  // Pads the last byte with zero bits.
  void finish() {
    if (bits_ > 0) {
      out_.push_back(char((acc_ << (8 - bits_)) & 0xFF));
      bits_ = 0;
    }
    acc_ = 0;
  }

 private:
  std::string& out_;
  uint64_t acc_ = 0;
  uint32_t bits_ = 0;
};

void putBE16(std::string& s, uint32_t v) {
  s.push_back(char((v >> 8) & 0xFF));
  s.push_back(char(v & 0xFF));
}
void putBE32(std::string& s, uint32_t v) {
  s.push_back(char((v >> 24) & 0xFF));
  s.push_back(char((v >> 16) & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
  s.push_back(char(v & 0xFF));
}

// Seconds from 1904-01-01 (the container's epoch) to the given civil date.
uint32_t palmSeconds(int y, unsigned m, unsigned d) {
  // Days from 1970-01-01 (H. Hinnant's algorithm).
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = int64_t(era) * 146097 + int64_t(doe) - 719468;
  const int64_t kEpochDelta = 24107;  // days from 1904-01-01 to 1970-01-01
  return uint32_t((days + kEpochDelta) * 86400 + 12 * 3600);
}

// The files carry dates derived from the edition when its third part reads
// as a date (YYYYMMDD), so that packing the same source twice gives the same
// bytes; otherwise a fixed date.
uint32_t editionDate(uint32_t c) {
  const unsigned y = c / 10000, m = (c / 100) % 100, d = c % 100;
  if (y >= 1904 && y <= 2039 && m >= 1 && m <= 12 && d >= 1 && d <= 31) return palmSeconds(int(y), m, d);
  return palmSeconds(2007, 10, 1);
}

// A file being written: a temporary beside its target, put in place by commit.
class OutFile {
 public:
  bool create(const std::string& target, std::string* error) { return file_.open(target) || fail(error); }
  bool write(std::string_view bytes, std::string* error) { return file_.write(bytes) || fail(error); }
  bool finish(std::string* error) { return file_.finish() || fail(error); }
  bool commit(std::string* error) { return file_.commit() || fail(error); }

 private:
  bool fail(std::string* error) {
    if (error) *error = file_.error();
    return false;
  }
  fileops::AtomicFile file_;
};

}  // namespace

std::string encodeContentText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xE0 | (c >> 12)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

struct ContentWriter::Impl {
  struct Object {
    uint32_t parent = 0;
    uint32_t type = 0;  // type intern id
    uint32_t kind = kKindNone;
    uint32_t value = 0;  // text: string intern id; link: target handle; blob: blob slot
    uint32_t id = 0;
    uint32_t name = kNone32;  // string intern id
    ValueType valueType = ValueType::None;
    bool hasId = false;
  };

  // The layout of the object table, which depends only on the tree and the
  // type table.
  struct Order {
    std::string error;
    std::vector<uint32_t> typeTable;   // type intern ids by table position
    std::vector<uint32_t> typeNumber;  // per type intern id: its number
    std::vector<uint32_t> handleAt;    // object index -> handle
    std::vector<uint32_t> indexOf;     // handle -> object index
  };

  // Everything `write` needs beyond the order.
  struct Plan {
    std::string error;
    std::shared_ptr<const Order> order;
    std::vector<uint32_t> kindTable, kindNumber;
    std::vector<uint32_t> ids;         // per object index
    std::vector<uint32_t> byId;        // position -> object index
    std::vector<uint32_t> runs;        // per object index
    std::vector<uint32_t> values;      // per object index
    std::vector<uint32_t> stringOrder; // intern ids by string number
    std::vector<uint32_t> stringNumber;
    std::vector<uint32_t> blobOrder;   // blob slots by blob number
    std::vector<std::pair<uint32_t, uint32_t>> names;  // (string number, object index)
    uint64_t textBytes = 0, blobBytes = 0;
    uint32_t maxRun = 0;
    ContentLayout layout;
  };

  std::vector<Object> objects;
  bool badHandle = false;
  std::string badHandleWhat;

  // Interned strings: encoded bytes in one arena, found through an
  // open-addressing hash table of ids.
  std::string arena;
  std::vector<uint64_t> strStart{0};
  std::vector<uint32_t> slots;  // id + 1, 0 = empty
  std::vector<uint32_t> strHash;

  std::vector<std::u16string> typeNames;  // by intern id
  std::vector<uint32_t> typeString;       // string intern id per type intern id
  std::unordered_map<std::u16string, uint32_t> typeIds;
  std::vector<uint32_t> declaredTypes;

  std::vector<std::u16string> kindNames;
  std::vector<uint32_t> kindString;
  std::unordered_map<std::u16string, uint32_t> kindIds;
  std::vector<uint32_t> declaredKinds;

  std::vector<std::vector<uint8_t>> blobs;

  uint16_t editionA = 1, editionB = 0;
  uint32_t editionC = 0;
  Progress progress;

  mutable std::shared_ptr<const Order> orderCache;

  Impl() {
    for (const char16_t* k : kDefaultKinds) internKind(k);
  }

  std::string_view stringBytes(uint32_t id) const {
    return std::string_view(arena).substr(strStart[id], strStart[id + 1] - strStart[id]);
  }
  uint32_t stringCountInterned() const { return uint32_t(strStart.size() - 1); }

  static uint32_t hashOf(std::string_view s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return uint32_t(h ^ (h >> 32));
  }

  void rehash(size_t size) {
    slots.assign(size, 0);
    for (uint32_t id = 0; id < stringCountInterned(); ++id) {
      size_t i = strHash[id] & (size - 1);
      while (slots[i]) i = (i + 1) & (size - 1);
      slots[i] = id + 1;
    }
  }

  uint32_t internBytes(std::string_view bytes) {
    if ((stringCountInterned() + 1) * 2 > slots.size()) rehash(std::max<size_t>(64, slots.size() * 2));
    const uint32_t h = hashOf(bytes);
    size_t mask = slots.size() - 1, i = h & mask;
    while (slots[i]) {
      uint32_t id = slots[i] - 1;
      if (strHash[id] == h && stringBytes(id) == bytes) return id;
      i = (i + 1) & mask;
    }
    const uint32_t id = stringCountInterned();
    arena.append(bytes);
    strStart.push_back(arena.size());
    strHash.push_back(h);
    slots[i] = id + 1;
    return id;
  }
  uint32_t intern(std::u16string_view text) { return internBytes(encodeContentText(text)); }

  uint32_t internType(const std::u16string& name) {
    auto it = typeIds.find(name);
    if (it != typeIds.end()) return it->second;
    uint32_t id = uint32_t(typeNames.size());
    typeNames.push_back(name);
    typeString.push_back(intern(name));
    typeIds.emplace(name, id);
    return id;
  }
  uint32_t internKind(const std::u16string& name) {
    auto it = kindIds.find(name);
    if (it != kindIds.end()) return it->second;
    uint32_t id = uint32_t(kindNames.size());
    kindNames.push_back(name);
    kindString.push_back(intern(name));
    kindIds.emplace(name, id);
    return id;
  }

  Object* at(Handle h, const char* what) {
    if (h < objects.size()) return &objects[h];
    if (!badHandle) badHandleWhat = std::string(what) + " on unknown handle " + std::to_string(h);
    badHandle = true;
    return nullptr;
  }

  void setValue(Handle h, ValueType t, uint32_t value, uint32_t kind, const char* what) {
    if (Object* o = at(h, what)) {
      o->valueType = t;
      o->value = value;
      o->kind = kind;
    }
  }

  std::shared_ptr<const Order> computeOrder() const;
  std::shared_ptr<const Order> order() const {
    if (!orderCache) orderCache = computeOrder();
    return orderCache;
  }
  Plan plan() const;
  bool writeFiles(const Plan& p, const std::string& base, std::string* error) const;
};

std::shared_ptr<const ContentWriter::Impl::Order> ContentWriter::Impl::computeOrder() const {
  auto ord = std::make_shared<Order>();
  const uint32_t n = uint32_t(objects.size());

  // Type table: the declared names, then the others in order of first use.
  std::vector<char> declared(typeNames.size(), 0), seen(typeNames.size(), 0);
  ord->typeTable = declaredTypes;
  for (uint32_t t : declaredTypes) declared[t] = 1;
  for (const Object& o : objects) {
    if (!declared[o.type] && !seen[o.type]) {
      seen[o.type] = 1;
      ord->typeTable.push_back(o.type);
    }
  }
  if (ord->typeTable.size() > 65535) {
    ord->error = "too many type names (" + std::to_string(ord->typeTable.size()) + "; at most 65535)";
    return ord;
  }
  ord->typeNumber.assign(typeNames.size(), 0);
  for (uint32_t i = 0; i < ord->typeTable.size(); ++i) ord->typeNumber[ord->typeTable[i]] = i;

  // Children lists in handle (source) order.
  std::vector<uint32_t> first(n + 1, 0), kids(n > 0 ? n - 1 : 0);
  for (uint32_t h = 1; h < n; ++h) ++first[objects[h].parent + 1];
  for (uint32_t h = 0; h < n; ++h) first[h + 1] += first[h];
  {
    std::vector<uint32_t> fill(first.begin(), first.end() - 1);
    for (uint32_t h = 1; h < n; ++h) kids[fill[objects[h].parent]++] = h;
  }

  // Breadth-first: parents are taken in index order, so the children of each
  // land after those of every earlier parent; within a parent they are
  // ordered by type number, stably.
  ord->handleAt.reserve(n);
  ord->handleAt.push_back(0);
  const auto& tn = ord->typeNumber;
  auto byType = [&](uint32_t a, uint32_t b) { return tn[objects[a].type] < tn[objects[b].type]; };
  for (uint32_t k = 0; k < ord->handleAt.size(); ++k) {
    const uint32_t h = ord->handleAt[k];
    const size_t start = ord->handleAt.size();
    ord->handleAt.insert(ord->handleAt.end(), kids.begin() + first[h], kids.begin() + first[h + 1]);
    if (!std::is_sorted(ord->handleAt.begin() + start, ord->handleAt.end(), byType))
      std::stable_sort(ord->handleAt.begin() + start, ord->handleAt.end(), byType);
  }
  ord->indexOf.assign(n, kNone32);
  for (uint32_t i = 0; i < ord->handleAt.size(); ++i) ord->indexOf[ord->handleAt[i]] = i;
  return ord;
}

ContentWriter::Impl::Plan ContentWriter::Impl::plan() const {
  Plan p;
  if (badHandle) {
    p.error = badHandleWhat;
    return p;
  }
  p.order = order();
  const Order& ord = *p.order;
  if (!ord.error.empty()) {
    p.error = ord.error;
    return p;
  }
  const uint32_t n = uint32_t(objects.size());

  // Value-kind table: the declared names, then the default kinds in use in
  // their usual order, then any other kind in order of first use.
  std::vector<char> declared(kindNames.size(), 0), used(kindNames.size(), 0);
  p.kindTable = declaredKinds;
  for (uint32_t k : declaredKinds) declared[k] = 1;
  std::vector<uint32_t> others;
  for (uint32_t h = 0; h < n; ++h) {
    uint32_t k = objects[h].kind;
    if (!used[k]) {
      used[k] = 1;
      if (k >= 5 && !declared[k]) others.push_back(k);
    }
  }
  for (uint32_t k = 0; k < 5; ++k)
    if (used[k] && !declared[k]) p.kindTable.push_back(k);
  p.kindTable.insert(p.kindTable.end(), others.begin(), others.end());
  if (p.kindTable.size() > 65535) {
    p.error = "too many value kinds (" + std::to_string(p.kindTable.size()) + "; at most 65535)";
    return p;
  }
  p.kindNumber.assign(kindNames.size(), 0);
  for (uint32_t i = 0; i < p.kindTable.size(); ++i) p.kindNumber[p.kindTable[i]] = i;

  // Persistent ids: given ones kept, the rest numbered above the largest.
  uint64_t next = 1;
  for (const Object& o : objects)
    if (o.hasId) next = std::max<uint64_t>(next, uint64_t(o.id) + 1);
  p.ids.assign(n, 0);
  for (uint32_t h = 0; h < n; ++h) {
    const Object& o = objects[h];
    uint64_t id = o.hasId ? o.id : next++;
    if (id > 0xFFFFFFFFu) {
      p.error = "no persistent id left for object " + std::to_string(h) + " (ids above 4294967295)";
      return p;
    }
    p.ids[ord.indexOf[h]] = uint32_t(id);
  }
  p.byId.resize(n);
  std::iota(p.byId.begin(), p.byId.end(), 0u);
  std::sort(p.byId.begin(), p.byId.end(), [&](uint32_t a, uint32_t b) { return p.ids[a] < p.ids[b]; });
  for (uint32_t i = 1; i < n; ++i) {
    if (p.ids[p.byId[i]] == p.ids[p.byId[i - 1]]) {
      p.error = "duplicate persistent id " + std::to_string(p.ids[p.byId[i]]) + " (objects " +
                std::to_string(ord.handleAt[p.byId[i - 1]]) + " and " + std::to_string(ord.handleAt[p.byId[i]]) + ")";
      return p;
    }
  }
  const uint32_t maxId = n ? p.ids[p.byId[n - 1]] : 0;

  // Runs, counted backwards through each group.
  p.runs.assign(n, 0);
  for (uint32_t i = n; i-- > 1;) {
    const Object& a = objects[ord.handleAt[i - 1]];
    const Object& b = objects[ord.handleAt[i]];
    // The root's parent field is 0, like its children's: it counts as
    // heading the group of its own type's children when that group is first.
    if (ord.indexOf[a.parent] == ord.indexOf[b.parent] && ord.typeNumber[a.type] == ord.typeNumber[b.type])
      p.runs[i - 1] = p.runs[i] + 1;
  }
  for (uint32_t r : p.runs) p.maxRun = std::max(p.maxRun, r);

  // String numbers: type names, kind names, names, then texts in object order.
  p.stringNumber.assign(stringCountInterned(), kNone32);
  auto number = [&](uint32_t id) {
    if (p.stringNumber[id] == kNone32) {
      p.stringNumber[id] = uint32_t(p.stringOrder.size());
      p.stringOrder.push_back(id);
    }
    return p.stringNumber[id];
  };
  for (uint32_t t : ord.typeTable) number(typeString[t]);
  for (uint32_t k : p.kindTable) number(kindString[k]);
  for (uint32_t i = 0; i < n; ++i) {
    const Object& o = objects[ord.handleAt[i]];
    if (o.name != kNone32) p.names.emplace_back(number(o.name), i);
  }

  // Values.
  p.values.assign(n, 0);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t h = ord.handleAt[i];
    const Object& o = objects[h];
    switch (o.valueType) {
      case ValueType::None: break;
      case ValueType::Number: p.values[i] = o.value; break;
      case ValueType::Text: p.values[i] = number(o.value); break;
      case ValueType::Link:
        if (o.value >= n) {
          p.error = "object " + std::to_string(h) + " links to unknown handle " + std::to_string(o.value);
          return p;
        }
        p.values[i] = ord.indexOf[o.value];
        break;
      case ValueType::Blob:
        p.values[i] = uint32_t(p.blobOrder.size());
        p.blobOrder.push_back(o.value);
        break;
    }
  }
  for (uint32_t id : p.stringOrder) p.textBytes += strStart[id + 1] - strStart[id];
  for (uint32_t b : p.blobOrder) p.blobBytes += blobs[b].size();
  if (p.textBytes > kMaxPayloadBytes) {
    p.error = "the texts take " + std::to_string(p.textBytes) + " bytes, more than the Strings file can address";
    return p;
  }
  if (p.blobBytes > kMaxPayloadBytes) {
    p.error = "the blobs take " + std::to_string(p.blobBytes) + " bytes, more than the Binary file can address";
    return p;
  }

  ContentLayout& L = p.layout;
  L.typeCount = uint32_t(ord.typeTable.size());
  L.kindCount = uint32_t(p.kindTable.size());
  L.nameCount = uint32_t(p.names.size());
  L.objectCount = n;
  L.maxId = maxId;
  L.runLimit = p.maxRun + 1;
  L.stringCount = uint32_t(p.stringOrder.size());
  L.maxStringCode = L.stringCount ? offsetCode(p.textBytes - (strStart[p.stringOrder.back() + 1] - strStart[p.stringOrder.back()])) : 0;
  L.blobCount = uint32_t(p.blobOrder.size());
  L.maxBlobCode = L.blobCount ? offsetCode(p.blobBytes - blobs[p.blobOrder.back()].size()) : 0;
  deriveFieldWidths(L);
  L.dataStamp[0] = L.stringsStamp[0] = editionA;
  L.dataStamp[1] = L.stringsStamp[1] = editionB;
  // The stamp's third part is 32 bits; the layout shows its low half.
  L.dataStamp[2] = L.stringsStamp[2] = uint16_t(editionC & 0xFFFF);
  return p;
}

namespace {

// The name inside a file's container header: its file name without ".pdb".
std::string databaseName(const std::string& baseName, std::string_view fileSuffix) {
  return baseName + std::string(fileSuffix.substr(0, fileSuffix.size() - 4));
}

// Container header (76 bytes), record count and record list for a file whose
// records have the given sizes, laid back to back after the list.
std::string containerFrame(const std::string& dbName, const char type[4], uint32_t date,
                           const std::vector<uint64_t>& sizes) {
  std::string s;
  const uint32_t n = uint32_t(sizes.size());
  std::string name = dbName.substr(0, 31);
  s.append(name);
  s.append(32 - name.size(), '\0');
  putBE16(s, 0x0008);  // attributes: back up
  putBE16(s, 1);       // version
  putBE32(s, date);    // created
  putBE32(s, date);    // modified
  putBE32(s, 0);       // last backup
  putBE32(s, 1);       // modification number
  putBE32(s, 0);       // app info
  putBE32(s, 0);       // sort info
  s.append(type, 4);
  s.append("Vtrl", 4);  // creator
  putBE32(s, n + 1);    // unique id seed
  putBE32(s, 0);        // next record list
  putBE16(s, n);
  uint64_t offset = kRecordListAt + uint64_t(kRecordEntryBytes) * n;
  for (uint32_t i = 0; i < n; ++i) {
    putBE32(s, uint32_t(offset));
    s.push_back('\0');  // record attributes
    s.push_back(char(((i + 1) >> 16) & 0xFF));
    s.push_back(char(((i + 1) >> 8) & 0xFF));
    s.push_back(char((i + 1) & 0xFF));
    offset += sizes[i];
  }
  return s;
}

void addTableRecords(std::vector<uint64_t>& sizes, const TableShape& t) {
  for (uint32_t j = 0; j < t.chunks; ++j) sizes.push_back(t.chunkBytes(j));
}
void addPayloadRecords(std::vector<uint64_t>& sizes, uint64_t bytes) {
  for (uint64_t done = 0; done < bytes; done += kPayloadRecordBytes) sizes.push_back(std::min<uint64_t>(kPayloadRecordBytes, bytes - done));
}

bool checkFrame(const std::vector<uint64_t>& sizes, const char* what, std::string* error) {
  if (sizes.size() > kMaxRecords) {
    if (error) *error = std::string("the ") + what + " file would need " + std::to_string(sizes.size()) + " records (at most 65535)";
    return false;
  }
  uint64_t end = kRecordListAt + uint64_t(kRecordEntryBytes) * sizes.size();
  for (uint64_t s : sizes) end += s;
  if (end > 0xFFFFFFFFull) {
    if (error) *error = std::string("the ") + what + " file would exceed 4 GiB";
    return false;
  }
  return true;
}

// Writes a packed table chunk by chunk; entry(i, packer) puts entry i's fields.
template <class Entry>
bool writeTable(OutFile& f, const TableShape& t, Entry entry, std::string* error,
                const ContentWriter::Progress* progress = nullptr, const char* stage = nullptr) {
  if (t.chunks == 0) return true;
  std::string buf;
  for (uint32_t j = 0; j < t.chunks; ++j) {
    buf.clear();
    BitPacker packer(buf);
    const uint64_t from = uint64_t(j) * t.perChunk;
    const uint64_t to = std::min<uint64_t>(t.count, from + t.perChunk);
    for (uint64_t i = from; i < to; ++i) entry(i, packer);
    packer.finish();
    if (!f.write(buf, error)) return false;
    if (progress && *progress) (*progress)(stage, to, t.count);
  }
  return true;
}

}  // namespace

bool ContentWriter::Impl::writeFiles(const Plan& p, const std::string& base, std::string* error) const {
  const Order& ord = *p.order;
  const ContentLayout& L = p.layout;
  const uint32_t date = editionDate(editionC);
  std::string baseName = base;
  if (auto slash = baseName.find_last_of('/'); slash != std::string::npos) baseName = baseName.substr(slash + 1);

  auto stamp = [&](std::string& s, uint32_t tag) {
    putBE32(s, tag);
    putBE16(s, editionA);
    putBE16(s, editionB);
    putBE32(s, editionC);
  };

  // ---- Data ----
  const TableShape typeT = shapeOf(L.typeCount, L.stringBits);
  const TableShape kindT = shapeOf(L.kindCount, L.stringBits);
  const TableShape nameT = shapeOf(L.nameCount, L.stringBits + L.objectBits);
  const TableShape objT = shapeOf(L.objectCount, L.entryBits);
  std::vector<uint64_t> dataSizes{kDataHeaderBytes};
  for (const TableShape* t : {&typeT, &kindT, &nameT, &objT}) addTableRecords(dataSizes, *t);

  // ---- Strings ----
  const TableShape codeT = shapeOf(L.stringCount, L.stringCodeBits);
  std::vector<uint64_t> stringSizes{kStringsHeaderBytes};
  addTableRecords(stringSizes, codeT);
  addPayloadRecords(stringSizes, p.textBytes);

  // ---- Binary ----
  const TableShape blobT = shapeOf(L.blobCount, L.blobCodeBits);
  std::vector<uint64_t> binarySizes{kBinaryHeaderBytes};
  addTableRecords(binarySizes, blobT);
  addPayloadRecords(binarySizes, p.blobBytes);

  if (!checkFrame(dataSizes, "Data", error) || !checkFrame(stringSizes, "Strings", error) ||
      !checkFrame(binarySizes, "Binary", error))
    return false;

  const Progress* prog = &progress;

  // A target that exists but is not a file (a folder, say) would make its
  // rename fail after the others had been replaced: refuse it up front.
  for (const char* suffix : {kDataFileSuffix, kStringsFileSuffix, kBinaryFileSuffix}) {
    struct stat st {};
    const std::string target = base + suffix;
    if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      if (error) *error = target + " exists and is not a regular file";
      return false;
    }
  }

  OutFile data, strings, binary;
  if (!data.create(base + kDataFileSuffix, error) || !strings.create(base + kStringsFileSuffix, error) ||
      !binary.create(base + kBinaryFileSuffix, error))
    return false;

  {
    std::string head = containerFrame(databaseName(baseName, kDataFileSuffix), "VGdt", date, dataSizes);
    stamp(head, kDataKind);
    putBE16(head, L.typeCount);
    putBE16(head, L.kindCount);
    putBE32(head, L.nameCount);
    putBE32(head, L.objectCount);
    putBE32(head, L.maxId);
    putBE32(head, L.runLimit);
    if (!data.write(head, error)) return false;
    const uint32_t sb = L.stringBits, ob = L.objectBits;
    auto typeEntry = [&](uint64_t i, BitPacker& b) { b.put(p.stringNumber[typeString[ord.typeTable[i]]], sb); };
    auto kindEntry = [&](uint64_t i, BitPacker& b) { b.put(p.stringNumber[kindString[p.kindTable[i]]], sb); };
    auto nameEntry = [&](uint64_t i, BitPacker& b) {
      b.put(p.names[i].first, sb);
      b.put(p.names[i].second, ob);
    };
    auto objEntry = [&](uint64_t i, BitPacker& b) {
      const Object& o = objects[ord.handleAt[i]];
      b.put(p.ids[i], L.idBits);
      b.put(i == 0 ? 0 : ord.indexOf[o.parent], ob);
      b.put(ord.typeNumber[o.type], L.typeBits);
      b.put(p.runs[i], L.runBits);
      b.put(p.kindNumber[o.kind], L.kindBits);
      b.put(p.values[i], kValueBits);
      b.put(p.byId[i], ob);
    };
    if (!writeTable(data, typeT, typeEntry, error) || !writeTable(data, kindT, kindEntry, error) ||
        !writeTable(data, nameT, nameEntry, error) || !writeTable(data, objT, objEntry, error, prog, "objects") ||
        !data.finish(error))
      return false;
  }
  {
    std::string head = containerFrame(databaseName(baseName, kStringsFileSuffix), "VGst", date, stringSizes);
    stamp(head, kStringsKind);
    putBE32(head, L.stringCount);
    putBE32(head, L.maxStringCode);
    if (!strings.write(head, error)) return false;
    uint64_t pos = 0;
    auto codeEntry = [&](uint64_t i, BitPacker& b) {
      b.put(offsetCode(pos), L.stringCodeBits);
      const uint32_t id = p.stringOrder[i];
      pos += strStart[id + 1] - strStart[id];
    };
    if (!writeTable(strings, codeT, codeEntry, error)) return false;
    uint64_t done = 0;
    for (uint32_t id : p.stringOrder) {
      if (!strings.write(stringBytes(id), error)) return false;
      if (progress && (++done & 0xFFFF) == 0) progress("strings", done, p.stringOrder.size());
    }
    if (!strings.finish(error)) return false;
  }
  {
    std::string head = containerFrame(databaseName(baseName, kBinaryFileSuffix), "VGbn", date, binarySizes);
    stamp(head, kBinaryKind);
    putBE32(head, L.blobCount);
    putBE32(head, L.maxBlobCode);
    if (!binary.write(head, error)) return false;
    uint64_t pos = 0;
    auto codeEntry = [&](uint64_t i, BitPacker& b) {
      b.put(offsetCode(pos), L.blobCodeBits);
      pos += blobs[p.blobOrder[i]].size();
    };
    if (!writeTable(binary, blobT, codeEntry, error)) return false;
    for (uint32_t b : p.blobOrder) {
      const auto& bytes = blobs[b];
      if (!binary.write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error))
        return false;
    }
    if (!binary.finish(error)) return false;
  }
  // All three are complete: put them in place.
  if (!data.commit(error) || !strings.commit(error) || !binary.commit(error)) return false;
  return true;
}

// ---------------------------------------------------------------------------

ContentWriter::ContentWriter(std::u16string rootType) : impl_(std::make_unique<Impl>()) {
  Impl::Object root;
  root.type = impl_->internType(rootType);
  impl_->objects.push_back(root);
}
ContentWriter::~ContentWriter() = default;
ContentWriter::ContentWriter(ContentWriter&&) noexcept = default;
ContentWriter& ContentWriter::operator=(ContentWriter&&) noexcept = default;

ContentWriter::Handle ContentWriter::add(Handle parent, std::u16string type) {
  Impl& m = *impl_;
  const Handle h = Handle(m.objects.size());
  Impl::Object o;
  if (parent >= h) {
    if (!m.badHandle) m.badHandleWhat = "object added under unknown handle " + std::to_string(parent);
    m.badHandle = true;
    parent = 0;
  }
  o.parent = parent;
  o.type = m.internType(type);
  m.objects.push_back(o);
  m.orderCache.reset();
  return h;
}

void ContentWriter::setText(Handle h, std::u16string text) {
  if (h >= impl_->objects.size()) {
    impl_->at(h, "setText");
    return;
  }
  impl_->setValue(h, ValueType::Text, impl_->intern(text), kKindString, "setText");
}
void ContentWriter::setNumber(Handle h, uint32_t value, std::u16string kind) {
  impl_->setValue(h, ValueType::Number, value, impl_->internKind(kind), "setNumber");
}
void ContentWriter::setLink(Handle h, Handle target) {
  impl_->setValue(h, ValueType::Link, target, kKindObject, "setLink");
}
void ContentWriter::setBlob(Handle h, std::vector<uint8_t> bytes) {
  if (h >= impl_->objects.size()) {
    impl_->at(h, "setBlob");
    return;
  }
  impl_->blobs.push_back(std::move(bytes));
  impl_->setValue(h, ValueType::Blob, uint32_t(impl_->blobs.size() - 1), kKindBlob, "setBlob");
}
void ContentWriter::setNoValue(Handle h) { impl_->setValue(h, ValueType::None, 0, kKindNone, "setNoValue"); }
void ContentWriter::setKind(Handle h, std::u16string kind) {
  if (Impl::Object* o = impl_->at(h, "setKind")) {
    o->kind = impl_->internKind(kind);
  }
}
void ContentWriter::setId(Handle h, uint32_t id) {
  if (Impl::Object* o = impl_->at(h, "setId")) {
    o->id = id;
    o->hasId = true;
  }
}
void ContentWriter::setName(Handle h, std::u16string name) {
  if (h >= impl_->objects.size()) {
    impl_->at(h, "setName");
    return;
  }
  impl_->objects[h].name = impl_->intern(name);
}
void ContentWriter::setEdition(uint16_t a, uint16_t b, uint32_t c) {
  impl_->editionA = a;
  impl_->editionB = b;
  impl_->editionC = c;
}
void ContentWriter::declareTypes(std::vector<std::u16string> names) {
  impl_->declaredTypes.clear();
  for (const auto& n : names) impl_->declaredTypes.push_back(impl_->internType(n));
  impl_->orderCache.reset();
}
void ContentWriter::declareKinds(std::vector<std::u16string> names) {
  impl_->declaredKinds.clear();
  for (const auto& n : names) {
    impl_->declaredKinds.push_back(impl_->internKind(n));
  }
}
void ContentWriter::setProgress(Progress progress) { impl_->progress = std::move(progress); }

bool ContentWriter::write(const std::string& basePath, std::string* error) const {
  return write(basePath, error, nullptr);
}

bool ContentWriter::write(const std::string& basePath, std::string* error, ContentLayout* written) const {
  std::string local;
  std::string* err = error ? error : &local;
  Impl::Plan p = impl_->plan();
  if (!p.error.empty()) {
    *err = p.error;
    return false;
  }
  if (!impl_->writeFiles(p, basePath, err)) return false;
  if (written) *written = p.layout;
  return true;
}

ObjectIndex ContentWriter::indexOf(Handle h) const {
  if (h >= impl_->objects.size()) return kNoHandle;
  auto ord = impl_->order();
  if (!ord->error.empty() || h >= ord->indexOf.size()) return kNoHandle;
  return ord->indexOf[h];
}

uint32_t ContentWriter::objectCount() const { return uint32_t(impl_->objects.size()); }

ContentLayout ContentWriter::plannedLayout(std::string* error) const {
  Impl::Plan p = impl_->plan();
  if (!p.error.empty()) {
    if (error) *error = p.error;
    return ContentLayout{};
  }
  return p.layout;
}

}  // namespace vantrel
