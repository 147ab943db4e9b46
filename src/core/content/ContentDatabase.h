#pragma once
// The read-only content database: three container files sharing one base path
// (base + "-Data.pdb", "-Strings.pdb", "-Binary-PPC.pdb"). Only the type-name,
// value-kind and name tables are held in memory; entries, strings and blobs
// are read from the files each time they are asked for (positioned reads
// while opening, then a read-only map of each file; no shared file offset).
//
// Every position and count is checked against the real file sizes: a file
// that cannot hold what its header claims makes the database empty, and a
// single read that would leave its file fails on its own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/content/ContentFormat.h"

namespace vantrel {

class ContentDatabase;

// Object index: 0 .. objectCount-1 are content objects (0 is the root);
// objectCount .. objectCount+5 are page-key objects with no entry.
using ObjectIndex = uint32_t;

inline constexpr uint16_t kNoType = 65535;

struct ObjectEntry {
  const ContentDatabase* database = nullptr;
  ObjectIndex index = 0;
  uint32_t id = 0;         // persistent object id
  ObjectIndex parent = 0;
  uint16_t type = 0;       // number in the type-name table
  uint32_t run = 0;        // entries after this one with the same parent and type
  uint16_t valueKind = 0;  // number in the value-kind table
  uint32_t value = 0;      // string number when the value kind is "string"
  ObjectIndex byIdOrder = 0;
};

// Header fields and derived layout, exposed for the inspection tools.
struct ContentLayout {
  uint32_t typeCount = 0, kindCount = 0, nameCount = 0, objectCount = 0;
  uint32_t maxId = 0, runLimit = 0;
  uint32_t stringCount = 0, maxStringCode = 0;
  uint32_t blobCount = 0, maxBlobCode = 0;
  uint32_t typeBits = 0, kindBits = 0, objectBits = 0, stringBits = 0, idBits = 0, runBits = 0;
  uint32_t stringCodeBits = 0, blobCodeBits = 0, entryBits = 0;
  uint32_t entriesPerChunk = 0;  // K of the object table
  uint16_t dataStamp[3] = {0, 0, 0};
  uint16_t stringsStamp[3] = {0, 0, 0};
};

// Sets the bit widths of every table field and the object table's entries
// per chunk from the counts and maxima in layout: the rule both the reader
// and the writer lay the tables out by.
void deriveFieldWidths(ContentLayout& layout);

class ContentDatabase {
 public:
  ContentDatabase();
  ~ContentDatabase();
  ContentDatabase(const ContentDatabase&) = delete;
  ContentDatabase& operator=(const ContentDatabase&) = delete;

  // Opens base + the three suffixes. Never fails outright: a database that
  // fails validation is empty (objectCount 0). Answers whether it is valid.
  // searchFences false leaves the search fences out (see below).
  bool open(const std::string& basePath, bool searchFences = true);
  void close();
  bool valid() const;
  // Why the last open failed: the file and the check it failed ("" after a
  // successful open).
  const std::string& openError() const;

  uint32_t objectCount() const;
  const ContentLayout& layout() const;

  // Decodes entry `index`; false (out untouched) when index >= objectCount
  // or the read fails.
  bool readEntry(ObjectIndex index, ObjectEntry& out) const;

  uint32_t stringCount() const;
  // Byte length of string i; 0 when i >= stringCount.
  uint32_t stringLength(uint32_t i) const;
  // Reads n bytes from the start of string i into buffer and stores a 0 byte
  // after them (buffer holds n + 1 bytes). False when i >= stringCount or
  // n > stringLength(i).
  bool readStringBytes(uint32_t i, char* buffer, uint32_t n) const;
  // The decoded text of string i; empty when i >= stringCount.
  std::u16string readString(uint32_t i) const;

  uint32_t blobCount() const;
  uint32_t blobLength(uint32_t i) const;
  // Reads n bytes starting offset bytes into blob i.
  bool readBlob(uint32_t i, uint32_t offset, void* buffer, uint32_t n) const;

  // Table lookups.
  uint16_t typeNumber(std::u16string_view name) const;  // kNoType when absent
  std::u16string typeName(uint16_t number) const;       // empty when out of range
  uint16_t kindNumber(std::u16string_view name) const;  // kNoType when absent
  std::u16string kindName(uint16_t number) const;
  ObjectIndex objectByName(std::u16string_view name) const;  // 0 when absent
  const std::vector<std::u16string>& typeNames() const;
  const std::vector<std::u16string>& kindNames() const;
  // The name table in table order, each name with the object of its entry.
  const std::vector<std::pair<std::u16string, ObjectIndex>>& names() const;

  // Searches (0 means none; 0 is never a child).
  ObjectIndex findGroup(ObjectIndex parent, uint16_t type) const;
  ObjectIndex findFirstChild(ObjectIndex parent) const;
  ObjectIndex findById(uint32_t id) const;
  // Appends the group of children of parent with that type, at most max of
  // them (0: no limit). Unknown type names append nothing.
  void collectGroup(ObjectIndex parent, std::u16string_view typeName, uint32_t max,
                    std::vector<ObjectEntry>& out) const;
  // The same with a type number.
  void collectGroup(ObjectIndex parent, uint16_t type, uint32_t max, std::vector<ObjectEntry>& out) const;

  // Memory held by the lookup tables (search fences included), for the benchmarks.
  size_t tableBytes() const;

  // findById and findGroup start inside a narrow range of the table found in
  // small sampled fences built at open. Dropping them brings back the plain
  // searches over the whole table (for tests and benchmarks).
  void dropSearchFences();
  bool hasSearchFences() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The value of bits [from, to) of bytes, bit 0 being the top bit of bytes[0];
// 0 when to <= from. At most 32 bits.
uint32_t extractBits(const uint8_t* bytes, uint32_t from, uint32_t to);

using contentformat::bitLength;
using contentformat::indexWidth;

// Decodes the stored text encoding (a subset of UTF-8, see the reader) to UTF-16.
std::u16string decodeContentText(const uint8_t* bytes, size_t length);

}  // namespace vantrel
