#pragma once
// A synthetic guide for tests, benchmarks and `vantrel-pack --synthetic`: exactly N objects in the shape
// of a real guide (contents, index, tables of every table type, hierarchies,
// footnotes, images, long pages), the same for the same seed.
#include <cstdint>
#include <functional>
#include <memory>

#include "core/content/ContentWriter.h"

namespace vantrel {

// progress(done, total) is called now and then while the objects are made.
std::unique_ptr<ContentWriter> makeSyntheticGuide(uint32_t objectCount, uint64_t seed,
                                                  const std::function<void(uint64_t, uint64_t)>& progress = {});

}  // namespace vantrel
