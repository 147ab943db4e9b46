// Fuzz target for the image blob: the input is one blob. Its layout is read
// as the viewer reads it (from the head alone, and from the whole blob), the
// variant is chosen for several screens, and every range handed out must lie
// inside the blob, run forwards and stay within the size limit; the bytes of
// each such range are read.
#include <cstdint>
#include <cstdlib>

#include "core/images/ImageBlob.h"

using namespace vantrel;

namespace {

void check(const uint8_t* data, size_t size, const ImageBlobLayout& layout) {
  if (layout.variants.size() > layout.count) abort();
  uint32_t sum = 0;
  for (uint32_t v = 0; v <= layout.count; ++v) {
    const VariantRange r = variantRange(layout, v);
    if (!r.ok()) {
      if (r.size != 0) abort();
      continue;
    }
    if (r.size == 0 || r.size > kMaxVariantBytes) abort();
    if (uint64_t(r.offset) + r.size > size) abort();
    for (uint32_t i = 0; i < r.size; i += 97) sum += data[r.offset + i];
    sum += data[r.offset + r.size - 1];
  }
  static volatile uint32_t sink;
  sink = sum;
  static const Size screens[] = {{240, 320}, {320, 240}, {480, 640}, {640, 480}, {240, 240}, {0, 0}};
  for (const Size s : screens)
    for (int dpi : {96, 192, 131}) {
      const uint32_t v = chooseImageVariant(layout, s, dpi, dpi);
      if (layout.count >= 2 && v >= layout.variants.size() && v != 0) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  const auto length = static_cast<uint32_t>(size);
  // The whole blob at hand.
  check(data, size, parseImageBlobLayout(data, size, length));
  // The viewer's read: the head only.
  const size_t head = size < kImageHeaderLimit ? size : kImageHeaderLimit;
  check(data, size, parseImageBlobLayout(data, head, length));
  return 0;
}
