#include "core/platform/DrawingSurface.h"

#include <cstdlib>

namespace vantrel {

FontDescription guideFontDescription(int dpiY) {
  FontDescription d;
  d.face = kGuideFontFace;
  d.height = ((dpiY + 3) * 16) / 96;
  d.weight = 400;
  d.charSet = kGuideFontCharSet;
  return d;
}

int fontPixelHeight(const FontDescription& description) {
  if (description.height == 0) return 16;
  // Heights beyond any screen are capped so that widths computed from them stay in range.
  constexpr int kMax = 10000;
  if (description.height > kMax || description.height < -kMax) return kMax;
  return std::abs(description.height);
}

}  // namespace vantrel
