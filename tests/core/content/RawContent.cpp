#include "RawContent.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>

namespace vantrel::test {

void BitWriter::put(uint64_t value, uint32_t width) {
  for (uint32_t i = 0; i < width; ++i) {
    const bool bit = (value >> (width - 1 - i)) & 1;
    if (bits_ % 8 == 0) bytes_.push_back(0);
    if (bit) bytes_.back() |= static_cast<uint8_t>(0x80u >> (bits_ % 8));
    ++bits_;
  }
}

void BitWriter::alignToByte() { bits_ = bytes_.size() * 8; }

uint32_t testBitLength(uint32_t v) {
  uint32_t n = 0;
  for (; v; v >>= 1) ++n;
  return n;
}
uint32_t testIndexWidth(uint32_t count) { return count == 0 ? 0 : testBitLength(count - 1); }

namespace {

void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, v >> 16);
  put16(b, v & 0xFFFF);
}

std::vector<uint8_t> frame(uint16_t records) {
  std::vector<uint8_t> b(76, 0);
  put16(b, records);
  b.resize(b.size() + 8u * records, 0);
  return b;
}

// A packed table: entries of `width` bits in chunks of floor(520000 / width)
// entries, each chunk starting on a byte boundary.
void putTable(std::vector<uint8_t>& out, const std::vector<std::vector<std::pair<uint64_t, uint32_t>>>& entries,
              uint32_t width) {
  if (width == 0) return;
  const uint32_t perChunk = 520000 / width;
  BitWriter w;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && i % perChunk == 0) w.alignToByte();
    for (const auto& [value, bits] : entries[i]) w.put(value, bits);
  }
  out.insert(out.end(), w.bytes().begin(), w.bytes().end());
}

uint32_t count(int64_t override, size_t real) { return override >= 0 ? static_cast<uint32_t>(override) : static_cast<uint32_t>(real); }

uint32_t offsetCode(uint64_t position) {
  return static_cast<uint32_t>(((position / 65000) << 16) | (position % 65000));
}

std::vector<uint8_t> offsetFile(uint16_t records, uint32_t tag, const uint16_t stamp[2], uint32_t stamp3,
                                const std::vector<std::string>& items, int64_t countOverride,
                                int64_t maxCodeOverride) {
  std::vector<uint8_t> b = frame(records);
  std::vector<uint32_t> codes;
  uint64_t position = 0;
  uint32_t maxCode = 0;
  for (const auto& s : items) {
    codes.push_back(offsetCode(position));
    maxCode = std::max(maxCode, codes.back());
    position += s.size();
  }
  if (maxCodeOverride >= 0) maxCode = static_cast<uint32_t>(maxCodeOverride);
  put32(b, tag);
  put16(b, stamp[0]);
  put16(b, stamp[1]);
  put32(b, stamp3);
  put32(b, count(countOverride, items.size()));
  put32(b, maxCode);
  const uint32_t codeBits = testBitLength(maxCode);
  std::vector<std::vector<std::pair<uint64_t, uint32_t>>> entries;
  for (uint32_t c : codes) entries.push_back({{c, codeBits}});
  putTable(b, entries, codeBits);
  for (const auto& s : items) b.insert(b.end(), s.begin(), s.end());
  return b;
}

}  // namespace

uint32_t RawContent::addString(const std::string& bytes) {
  strings.push_back(bytes);
  return static_cast<uint32_t>(strings.size() - 1);
}

void RawContent::finish() {
  const size_t n = objects.size();
  for (size_t i = n; i-- > 0;) {
    const bool same = i + 1 < n && objects[i + 1].parent == objects[i].parent && objects[i + 1].type == objects[i].type;
    objects[i].run = same ? objects[i + 1].run + 1 : 0;
  }
  std::vector<uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return objects[a].id < objects[b].id; });
  for (size_t p = 0; p < n; ++p) objects[p].byIdOrder = order[p];
  if (maxId == 0) {
    for (const auto& e : objects) maxId = std::max(maxId, e.id);
  }
  if (runLimit == 0) {
    for (const auto& e : objects) runLimit = std::max(runLimit, e.run + 1);
  }
}

std::vector<uint8_t> RawContent::dataFile() const {
  std::vector<uint8_t> b = frame(dataRecords);
  const uint32_t typeCount = count(typeCountOverride, typeNames.size());
  const uint32_t kindCount = count(kindCountOverride, kindNames.size());
  const uint32_t nameCount = count(nameCountOverride, names.size());
  const uint32_t objectCount = count(objectCountOverride, objects.size());
  const uint32_t stringCount = count(stringCountOverride, strings.size());
  put32(b, dataTag);
  put16(b, dataStamp[0]);
  put16(b, dataStamp[1]);
  put32(b, dataStamp3);
  put16(b, typeCount);
  put16(b, kindCount);
  put32(b, nameCount);
  put32(b, objectCount);
  put32(b, maxId);
  put32(b, runLimit);

  const uint32_t stringBits = testIndexWidth(stringCount);
  const uint32_t typeBits = testIndexWidth(typeCount), kindBits = testIndexWidth(kindCount);
  const uint32_t objectBits = testIndexWidth(objectCount), idBits = testBitLength(maxId);
  const uint32_t runBits = testIndexWidth(runLimit);
  std::vector<std::vector<std::pair<uint64_t, uint32_t>>> t;
  for (uint32_t s : typeNames) t.push_back({{s, stringBits}});
  putTable(b, t, stringBits);
  t.clear();
  for (uint32_t s : kindNames) t.push_back({{s, stringBits}});
  putTable(b, t, stringBits);
  t.clear();
  for (const auto& [s, o] : names) t.push_back({{s, stringBits}, {o, objectBits}});
  putTable(b, t, stringBits + objectBits);
  t.clear();
  for (const auto& e : objects) {
    t.push_back({{e.id, idBits},
                 {e.parent, objectBits},
                 {e.type, typeBits},
                 {e.run, runBits},
                 {e.kind, kindBits},
                 {e.value, 32},
                 {e.byIdOrder, objectBits}});
  }
  putTable(b, t, idBits + objectBits + typeBits + runBits + kindBits + 32 + objectBits);
  return b;
}

std::vector<uint8_t> RawContent::stringsFile() const {
  return offsetFile(stringsRecords, stringsTag, stringsStamp, stringsStamp3, strings, stringCountOverride,
                    maxStringCodeOverride);
}

std::vector<uint8_t> RawContent::binaryFile() const {
  const uint16_t noStamp[2] = {0, 0};
  return offsetFile(binaryRecords, binaryTag, noStamp, 0, blobs, blobCountOverride, -1);
}

bool RawContent::write(const std::string& base) const {
  if (!writeFile(base + "-Data.pdb", dataFile())) return false;
  if (!writeFile(base + "-Strings.pdb", stringsFile())) return false;
  if (withBinary && !writeFile(base + "-Binary-PPC.pdb", binaryFile())) return false;
  return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

}  // namespace vantrel::test

namespace vantrel::test {

uint32_t sampleId(uint32_t index) { return 100 + 7 * ((index * 4 + 1) % 15); }

RawContent sampleGuide() {
  RawContent c;
  for (const char* t : {"root", "table", "table type", "field", "footnotes", "footnote", "popup", "hierarchy item"}) {
    c.typeNames.push_back(c.addString(t));
  }
  const uint32_t none = 0, text = 1, number = 2;
  for (const char* k : {"none", "string", "number"}) c.kindNames.push_back(c.addString(k));
  struct Row {
    uint32_t parent, type, kind;
    const char* text;
  };
  const Row rows[] = {
      {0, kRoot, none, nullptr},        {0, kTable, text, "Drugs"},       {0, kTable, text, "Index"},
      {0, kFootnotes, none, nullptr},   {0, kPopup, text, "pop"},         {1, kTableType, text, "tight crt"},
      {1, kField, text, "f1"},          {1, kField, text, "f2"},          {1, kField, text, "f3"},
      {2, kItem, text, "i1"},           {3, kFootnote, text, "a"},        {3, kFootnote, text, "b"},
      {6, kTable, text, "Inner"},       {6, kFootnote, text, "fn"},       {12, kItem, number, nullptr},
  };
  uint32_t index = 0;
  for (const Row& r : rows) {
    RawEntry e;
    e.id = sampleId(index++);
    e.parent = r.parent;
    e.type = r.type;
    e.kind = r.kind;
    e.value = r.text ? c.addString(r.text) : 42;
    c.objects.push_back(e);
  }
  c.names = {{c.addString("TOC"), 1}, {c.addString("INDEX"), 2}, {c.addString("TOC"), 4}};
  c.blobs = {"PNG-one", "", "second blob, to the end of the file"};
  c.finish();
  return c;
}

}  // namespace vantrel::test
