// Fuzz target: arbitrary markup through the parser, the layout (test surface)
// and both tag strippers. Nothing may crash or hang, the display text and the
// plain texts are never longer than the input, and the runs cover the display
// text in order.
//
// Input: byte 0 chooses options (bit 0: the rest is UTF-16LE instead of UTF-8;
// bit 1: no base font; bit 2: one-line limit; bit 3: 192 dpi; bit 4: italic
// base font), byte 1 the layout width (minus 8, so narrower than the margins too).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/platform/FixedMetricsSurface.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/util/TextCodec.h"

using namespace vantrel;

namespace {
void check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 8192) return 0;
  const uint8_t options = data[0];
  const int width = static_cast<int>(data[1]) - 8;
  data += 2;
  size -= 2;

  std::u16string text;
  if (options & 1) {
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  } else {
    text = fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  }

  const int dpi = (options & 8) ? 192 : 96;
  FixedMetricsSurface surface;
  MarkupRenderer renderer(dpi, dpi);
  std::optional<FontDescription> font;
  if (!(options & 2)) {
    font = guideFontDescription(dpi);
    font->italic = (options & 16) != 0;
  }
  renderer.configure(font, (options & 4) ? 1 : 0, 0x112233);

  TextBlock block(text);
  renderer.parse(block, surface);
  if (text.empty()) {
    check(!block.parsed);
  } else {
    check(block.parsed);
    check(block.text.size() <= text.size());
    check(!block.runs.empty());
    int32_t at = 0;
    for (const auto& run : block.runs) {
      check(run.start == at && run.start <= run.end);
      at = run.end;
    }
    check(at == static_cast<int32_t>(block.text.size()));
  }

  const Rect rect{0, 0, width, 4000};
  const Rect need = renderer.measureLayout(surface, block, rect);
  check(need.right <= std::max(rect.right, 0) || block.text.empty());
  renderer.draw(block, surface, rect);
  LinkAreaList areas;
  renderer.drawLinked({10, 20}, areas, surface, block, rect);
  for (const auto& e : areas.entries()) check(e.linkId == 0 || block.parsed);
  const auto pieces = renderer.layoutPieces(surface, block, rect);
  check(pieces.size() <= 2 * block.text.size() + 2);
  for (const auto& p : pieces) {
    check(p.ellipsis || (p.start >= 0 && p.count > 0 && p.start + p.count <= static_cast<int32_t>(block.text.size())));
  }
  renderer.placePopup({0, 0, 240, 320}, surface, block, {static_cast<int>(options), width});
  MarkupRenderer::toggleInverted(block);

  check(MarkupRenderer::stripAllTags(text).size() <= text.size());
  check(MarkupRenderer::stripTags(text, u"A", u"HREF").size() <= text.size());
  check(MarkupRenderer::stripTags(text, u"b").size() <= text.size());
  check(MarkupRenderer::decodeEntities(text, true).size() <= text.size());
  return 0;
}
