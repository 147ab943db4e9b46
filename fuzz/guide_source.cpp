// Fuzz target: arbitrary bytes as a guide's JSON source. The reader of the
// source never crashes or hangs: it answers errors, or a writer whose three
// files it can then build in memory. Named blob and image files are looked
// for in a folder that does not exist.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/pack/GuideSource.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::vector<uint8_t> bytes(data, data + size);
  pack::SourceResult r = pack::parseGuideSource(bytes, "/nonexistent/vantrel-fuzz");
  if (r.ok != (r.writer != nullptr)) std::abort();
  if (!r.ok && r.errors.empty()) std::abort();  // a refusal always says why
  return 0;
}
