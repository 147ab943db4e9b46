#pragma once
// Builds the three content files byte by byte from raw table values, for tests
// that need exact control over every header field and entry (including
// broken ones). Entries are written in the order given; finish() fills in the
// run and byIdOrder columns from them.
#include <cstdint>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace vantrel::test {

// Appends bit fields most significant bit first.
class BitWriter {
 public:
  void put(uint64_t value, uint32_t width);
  void alignToByte();
  size_t bitCount() const { return bits_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t bits_ = 0;
};

struct RawEntry {
  uint32_t id = 0;
  uint32_t parent = 0;
  uint32_t type = 0;
  uint32_t run = 0;
  uint32_t kind = 0;
  uint32_t value = 0;
  uint32_t byIdOrder = 0;
};

struct RawContent {
  // Container record counts (the record list is filled with zeros).
  uint16_t dataRecords = 3, stringsRecords = 2, binaryRecords = 1;
  uint32_t dataTag = 4, stringsTag = 0x53545253, binaryTag = 5;
  uint16_t dataStamp[2] = {7, 1};
  uint32_t dataStamp3 = 2007;
  uint16_t stringsStamp[2] = {7, 1};
  uint32_t stringsStamp3 = 2007;

  std::vector<std::string> strings;        // raw bytes of each string
  std::vector<uint32_t> typeNames;         // string numbers
  std::vector<uint32_t> kindNames;         // string numbers
  std::vector<std::pair<uint32_t, uint32_t>> names;  // string number, object
  std::vector<RawEntry> objects;
  std::vector<std::string> blobs;
  bool withBinary = true;

  // Header values; finish() sets maxId and runLimit from the entries unless
  // they were set by hand before (nonzero).
  uint32_t maxId = 0, runLimit = 0;
  // Overrides of header counts (written as given instead of the real sizes).
  int64_t typeCountOverride = -1, kindCountOverride = -1, nameCountOverride = -1, objectCountOverride = -1;
  int64_t stringCountOverride = -1, blobCountOverride = -1;
  int64_t maxStringCodeOverride = -1;

  // Adds a string, answering its number.
  uint32_t addString(const std::string& bytes);
  // Computes run (entries after each one with the same parent and type) and
  // byIdOrder (object indexes by ascending id) from the entries as given.
  void finish();

  std::vector<uint8_t> dataFile() const;
  std::vector<uint8_t> stringsFile() const;
  std::vector<uint8_t> binaryFile() const;
  // Writes base + "-Data.pdb", "-Strings.pdb" and "-Binary-PPC.pdb" (the
  // last only withBinary).
  bool write(const std::string& base) const;
};

// Writes bytes to a file; true on success.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

// A fresh temporary folder removed by the destructor.
struct TempDir : TempFolder {
  TempDir() : TempFolder("vantrel-content") {}
};

// Packed-table helpers mirroring the file layout, for tests that look at bytes.
uint32_t testBitLength(uint32_t v);
uint32_t testIndexWidth(uint32_t count);

}  // namespace vantrel::test

namespace vantrel::test {

// A small guide used by several tests (types, kinds and entries below):
//
//   0 root
//   1 table "Drugs"          2 table "Index"       3 footnotes     4 popup "pop"
//   5 table type "tight crt" (of 1)   6, 7, 8 field "f1" "f2" "f3" (of 1)
//   9 hierarchy item "i1" (of 2)      10, 11 footnote "a" "b" (of 3)
//   12 table "Inner" (of 6)           13 footnote "fn" (of 6)
//   14 hierarchy item, a number (of 12)
//
// Names: "TOC" -> 1, "INDEX" -> 2, then "TOC" again -> 4. Ids are 100 + 7 * ((4i + 1) mod 15): the smallest (100) is object 11, the largest (198) object 7.
enum SampleType : uint32_t { kRoot, kTable, kTableType, kField, kFootnotes, kFootnote, kPopup, kItem };
RawContent sampleGuide();
uint32_t sampleId(uint32_t index);

}  // namespace vantrel::test
