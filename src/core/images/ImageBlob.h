#pragma once
// The image blob of the Binary database: one byte n, n variant descriptors of
// 11 bytes (u16 width at 2, u16 height at 4, u32 offset at 7, big-endian),
// then the variants' image files. Variant i runs from its offset to the next
// variant's offset, the last one to the end of the blob.
//
// Everything here is plain bytes: the layout is read from the first bytes of
// a blob (never more than kImageHeaderLimit), and a variant's range is only
// handed out once it lies inside the blob, runs forwards and is not empty or
// larger than kMaxVariantBytes. Decoding the bytes is the Qt side's work.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/platform/Geometry.h"

namespace vantrel {

inline constexpr uint32_t kImageDescriptorBytes = 11;
// The most a descriptor table can take: n is one byte.
inline constexpr uint32_t kImageHeaderLimit = 1 + 255 * kImageDescriptorBytes;
// The largest variant the reader reads into memory.
inline constexpr uint32_t kMaxVariantBytes = 64u << 20;

struct ImageVariantDescriptor {
  uint16_t width = 0;
  uint16_t height = 0;
  uint32_t offset = 0;  // from the start of the blob
};

struct ImageBlobLayout {
  uint32_t length = 0;  // bytes in the blob
  uint32_t count = 0;   // n, the number of variants the blob declares (0 for an empty blob)
  // The descriptors that lie inside the blob, in order: count of them unless
  // the blob is cut short.
  std::vector<ImageVariantDescriptor> variants;
  bool complete() const { return variants.size() == count; }
};

// Why a variant's bytes cannot be read.
enum class VariantProblem {
  None,
  Missing,    // no such variant, or its descriptor is not inside the blob
  Empty,      // the variant has no bytes
  Backwards,  // the next variant starts before this one
  PastEnd,    // the variant runs past the end of the blob (or the next descriptor is cut off)
  TooLarge,   // more than kMaxVariantBytes
};
const char* variantProblemText(VariantProblem problem);

struct VariantRange {
  uint32_t offset = 0;
  uint32_t size = 0;  // 0 unless problem is None
  VariantProblem problem = VariantProblem::Missing;
  bool ok() const { return problem == VariantProblem::None; }
};

// The layout from the blob's first `available` bytes (at most the blob's
// length; reading min(length, kImageHeaderLimit) bytes is always enough).
ImageBlobLayout parseImageBlobLayout(const uint8_t* bytes, size_t available, uint32_t blobLength);

// Where variant v lies, or why it cannot be read.
VariantRange variantRange(const ImageBlobLayout& layout, uint32_t v);

// The variant made for the screen: with fewer than two variants 0; else the
// first whose size is the screen's size (compared as 16-bit values); else
// the first of the device's portrait size at this resolution,
// (240 x dpiX + 48) / 96 by (320 x dpiY + 48) / 96; else 0.
uint32_t chooseImageVariant(const ImageBlobLayout& layout, Size screen, int dpiX, int dpiY);

// The blob number of an image object: the value of its first "data" child,
// or its own value when it has none. False when the object has no entry.
bool imageBlobNumber(const ContentDatabase& db, ObjectIndex image, uint32_t& blob);

// Reads the layout of blob `blob`; a blob that does not exist reads as empty.
ImageBlobLayout readImageBlobLayout(const ContentDatabase& db, uint32_t blob);

// Reads a variant's bytes (a range that is ok()); false (out empty) when the read fails.
bool readVariantBytes(const ContentDatabase& db, uint32_t blob, const VariantRange& range,
                      std::vector<uint8_t>& out);

}  // namespace vantrel
