#pragma once
// What the reader, the writer and every program agree on about a guide's
// content files: their names, the container frame, the header records and
// the bit layout of the packed tables. ContentDatabase reads by these
// numbers and ContentWriter writes by them; nothing else spells them out.
#include <cstdint>

namespace vantrel {

// The base name of a guide's three content files: "<base>-Data.pdb",
// "<base>-Strings.pdb" and "<base>-Binary-PPC.pdb". The macro is for help
// texts that are one string literal; code uses kContentBaseName.
#define VANTREL_CONTENT_BASE_NAME "Qd07-Qd07"
inline constexpr char kContentBaseName[] = VANTREL_CONTENT_BASE_NAME;

inline constexpr char kDataFileSuffix[] = "-Data.pdb";
inline constexpr char kStringsFileSuffix[] = "-Strings.pdb";
inline constexpr char kBinaryFileSuffix[] = "-Binary-PPC.pdb";

namespace contentformat {

// The container frame: a 76-byte database header, the 16-bit record count,
// then one 8-byte entry per record (its 32-bit offset, attributes and id).
inline constexpr uint32_t kContainerHeaderBytes = 76;
inline constexpr uint32_t kRecordCountAt = kContainerHeaderBytes;
inline constexpr uint32_t kRecordListAt = kRecordCountAt + 2;
inline constexpr uint32_t kRecordEntryBytes = 8;
inline constexpr uint32_t kMaxRecords = 65535;

// The header record at the start of each file's payload. Its first 32 bits
// name the file's kind; the 16 + 16 + 32 bits after them are the edition
// stamp, which the Data and the Strings file share.
inline constexpr uint32_t kDataHeaderBytes = 32;
inline constexpr uint32_t kStringsHeaderBytes = 20;
inline constexpr uint32_t kBinaryHeaderBytes = 20;
inline constexpr uint32_t kDataKind = 4;
inline constexpr uint32_t kStringsKind = 4;
inline constexpr uint32_t kBinaryKind = 5;

// A packed table is split into chunks of whole entries of at most this many
// bits, one container record each.
inline constexpr uint32_t kChunkBits = 520000;
// Text and blob payloads are cut into records of this many bytes; an offset
// code names a record (high 16 bits) and a byte inside it (low 16 bits).
inline constexpr uint32_t kPayloadRecordBytes = 65000;
// The farthest byte an offset code can name.
inline constexpr uint64_t kMaxPayloadBytes = uint64_t(0xFFFF) * kPayloadRecordBytes + 0xFFFF;

// An object entry: id, parent, type, run, value kind, the 32-bit value and
// the object listed at this place in id order, in that order, each as wide
// as its field of the layout.
inline constexpr uint32_t kValueBits = 32;

// Significant bits of v.
constexpr uint32_t bitLength(uint32_t v) {
  uint32_t n = 0;
  for (; v != 0; v >>= 1) ++n;
  return n;
}
// Bits for any index below count.
constexpr uint32_t indexWidth(uint32_t count) { return count == 0 ? 0 : bitLength(count - 1); }

constexpr uint32_t objectEntryBits(uint32_t idBits, uint32_t objectBits, uint32_t typeBits, uint32_t runBits,
                                   uint32_t kindBits) {
  return idBits + objectBits + typeBits + runBits + kindBits + kValueBits + objectBits;
}

// Entries of `width` bits in one chunk, and the bytes one full chunk takes.
constexpr uint32_t entriesPerChunk(uint32_t width) { return width == 0 ? 0 : kChunkBits / width; }
constexpr uint64_t chunkStride(uint32_t width) { return (uint64_t(entriesPerChunk(width)) * width + 7) / 8; }

constexpr uint32_t offsetCode(uint64_t position) {
  return uint32_t(((position / kPayloadRecordBytes) << 16) | (position % kPayloadRecordBytes));
}
constexpr uint64_t codePosition(uint32_t code) { return uint64_t(code >> 16) * kPayloadRecordBytes + (code & 0xFFFF); }

}  // namespace contentformat
}  // namespace vantrel
