#pragma once
// Reads a guide's JSON source (docs/guide-source.md) into a ContentWriter.
#include <memory>
#include <string>
#include <vector>

#include "core/content/ContentWriter.h"

namespace vantrel::pack {

struct SourceResult {
  bool ok = false;
  // One line per problem, each naming where in the source it is.
  std::vector<std::string> errors;
  std::unique_ptr<ContentWriter> writer;  // set when ok
};

// Loads the source at `path`. Files named by "blob" and "image" are read
// relative to the folder of `path`.
SourceResult loadGuideSource(const std::string& path);
// The same for a source already in memory, whose named files are read
// relative to dir. Any bytes are safe: what is not a valid source is
// answered with errors.
SourceResult parseGuideSource(const std::vector<uint8_t>& bytes, const std::string& dir);

// Width and height of an image file (PNG, GIF, BMP or JPEG); false when the
// format is not recognised.
bool imageSize(const std::vector<uint8_t>& bytes, uint32_t& width, uint32_t& height);

// An image blob: the variant count, one 11-byte descriptor per variant
// (2 bytes 0, width, height, 1 byte 0, offset from the blob's start; all
// big-endian) and then the files.
struct ImageVariant {
  std::vector<uint8_t> bytes;
  uint16_t width = 0, height = 0;
};
std::vector<uint8_t> buildImageBlob(const std::vector<ImageVariant>& variants);

}  // namespace vantrel::pack
