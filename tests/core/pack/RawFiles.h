#pragma once
// A deliberately plain decoder of the three content files, written from the
// file layout alone (not sharing code with the writer or the reader), so the
// writer's tests can check the bytes it produces.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vantrel::packtest {

inline std::vector<uint8_t> slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t be16(const std::vector<uint8_t>& b, size_t at) { return (uint32_t(b.at(at)) << 8) | b.at(at + 1); }
inline uint32_t be32(const std::vector<uint8_t>& b, size_t at) { return (be16(b, at) << 16) | be16(b, at + 2); }

// Bits [from, from + width) of bytes starting at `base`, most significant first.
inline uint64_t bits(const std::vector<uint8_t>& b, size_t base, uint64_t from, uint32_t width) {
  uint64_t v = 0;
  for (uint32_t k = 0; k < width; ++k) {
    uint64_t bit = from + k;
    v = (v << 1) | ((b.at(base + bit / 8) >> (7 - bit % 8)) & 1);
  }
  return v;
}

inline uint32_t bitLen(uint64_t v) {
  uint32_t n = 0;
  while (v) ++n, v >>= 1;
  return n;
}
inline uint32_t idxWidth(uint64_t count) { return count ? bitLen(count - 1) : 0; }

// A packed table located in a file.
struct Packed {
  size_t start = 0;
  uint64_t count = 0;
  uint32_t width = 0, perChunk = 0, stride = 0;
  uint64_t bytes = 0;
  Packed() = default;
  Packed(size_t s, uint64_t n, uint32_t w) : start(s), count(n), width(w) {
    if (!w || !n) return;
    perChunk = 520000 / w;
    stride = uint32_t((uint64_t(perChunk) * w + 7) / 8);
    uint64_t chunks = (n + perChunk - 1) / perChunk;
    bytes = (chunks - 1) * stride + ((n - (chunks - 1) * perChunk) * w + 7) / 8;
  }
  size_t end() const { return start + bytes; }
  // Field at bit `offset` inside entry i.
  uint64_t field(const std::vector<uint8_t>& b, uint64_t i, uint32_t offset, uint32_t w) const {
    if (!w) return 0;
    return bits(b, start + (i / perChunk) * stride, (i % perChunk) * width + offset, w);
  }
};

struct RawEntry {
  uint64_t id, parent, type, run, kind, value, byId;
};

struct RawContent {
  std::vector<uint8_t> data, strings, binary;
  uint32_t dataRecords = 0, stringRecords = 0, binaryRecords = 0;
  size_t dataHead = 0, stringHead = 0, binaryHead = 0;
  // Data header.
  uint32_t tag = 0, stampA = 0, stampB = 0, stampC = 0, typeCount = 0, kindCount = 0, nameCount = 0,
           objectCount = 0, maxId = 0, runLimit = 0;
  uint32_t stringCount = 0, maxStringCode = 0, blobCount = 0, maxBlobCode = 0, binaryTag = 0;
  uint32_t stringBits = 0, objectBits = 0, typeBits = 0, kindBits = 0, idBits = 0, runBits = 0, entryBits = 0;
  Packed types, kinds, names, objects, stringCodes, blobCodes;
  size_t textStart = 0, blobStart = 0;

  bool load(const std::string& base) {
    data = slurp(base + "-Data.pdb");
    strings = slurp(base + "-Strings.pdb");
    binary = slurp(base + "-Binary-PPC.pdb");
    if (data.size() < 78 || strings.size() < 78 || binary.size() < 78) return false;
    dataRecords = be16(data, 76);
    dataHead = 78 + 8 * size_t(dataRecords);
    tag = be32(data, dataHead);
    stampA = be16(data, dataHead + 4);
    stampB = be16(data, dataHead + 6);
    stampC = be32(data, dataHead + 8);
    typeCount = be16(data, dataHead + 12);
    kindCount = be16(data, dataHead + 14);
    nameCount = be32(data, dataHead + 16);
    objectCount = be32(data, dataHead + 20);
    maxId = be32(data, dataHead + 24);
    runLimit = be32(data, dataHead + 28);
    stringRecords = be16(strings, 76);
    stringHead = 78 + 8 * size_t(stringRecords);
    stringCount = be32(strings, stringHead + 12);
    maxStringCode = be32(strings, stringHead + 16);
    binaryRecords = be16(binary, 76);
    binaryHead = 78 + 8 * size_t(binaryRecords);
    binaryTag = be32(binary, binaryHead);
    blobCount = be32(binary, binaryHead + 12);
    maxBlobCode = be32(binary, binaryHead + 16);

    stringBits = idxWidth(stringCount);
    objectBits = idxWidth(objectCount);
    typeBits = idxWidth(typeCount);
    kindBits = idxWidth(kindCount);
    idBits = bitLen(maxId);
    runBits = idxWidth(runLimit);
    entryBits = idBits + objectBits + typeBits + runBits + kindBits + 32 + objectBits;
    types = Packed(dataHead + 32, typeCount, stringBits);
    kinds = Packed(types.end(), kindCount, stringBits);
    names = Packed(kinds.end(), nameCount, stringBits + objectBits);
    objects = Packed(names.end(), objectCount, entryBits);
    stringCodes = Packed(stringHead + 20, stringCount, bitLen(maxStringCode));
    textStart = stringCodes.end();
    blobCodes = Packed(binaryHead + 20, blobCount, bitLen(maxBlobCode));
    blobStart = blobCodes.end();
    return true;
  }

  RawEntry entry(uint64_t i) const {
    RawEntry e{};
    uint32_t at = 0;
    auto take = [&](uint32_t w) {
      uint64_t v = objects.field(data, i, at, w);
      at += w;
      return v;
    };
    e.id = take(idBits);
    e.parent = take(objectBits);
    e.type = take(typeBits);
    e.run = take(runBits);
    e.kind = take(kindBits);
    e.value = take(32);
    e.byId = take(objectBits);
    return e;
  }

  static uint64_t position(uint64_t code) { return (code >> 16) * 65000 + (code & 0xFFFF); }

  std::string stringBytes(uint32_t i) const {
    uint64_t from = textStart + position(stringCodes.field(strings, i, 0, stringCodes.width));
    uint64_t to = i + 1 < stringCount ? textStart + position(stringCodes.field(strings, i + 1, 0, stringCodes.width))
                                      : strings.size();
    return std::string(strings.begin() + from, strings.begin() + to);
  }
  std::string blobBytes(uint32_t i) const {
    uint64_t from = blobStart + position(blobCodes.field(binary, i, 0, blobCodes.width));
    uint64_t to =
        i + 1 < blobCount ? blobStart + position(blobCodes.field(binary, i + 1, 0, blobCodes.width)) : binary.size();
    return std::string(binary.begin() + from, binary.begin() + to);
  }
  std::string typeName(uint32_t t) const { return stringBytes(uint32_t(types.field(data, t, 0, stringBits))); }
  std::string kindName(uint32_t k) const { return stringBytes(uint32_t(kinds.field(data, k, 0, stringBits))); }
};

// A fresh, empty folder under the build tree for one test.
inline std::string freshDir(const std::string& name) {
  std::filesystem::path p = std::filesystem::path(VANTREL_BINARY_DIR) / "test-output" / "pack" / name;
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p.string();
}

}  // namespace vantrel::packtest
