#pragma once
// The guide font: the face the guide's texts are drawn in, made available
// from the font file beside the content while the program runs.
#include <string>

namespace vantrel {

inline constexpr char kGuideFontFile[] = "ppc_font2.ttf";

struct GuideFont {
  std::string face = "PPC_Font2";
  int height = 16;  // pixels
  int weight = 400;
  bool italic = false;
  bool underline = false;
  int charSet = 128;
};

// ((dpiY + 3) * 16) / 96: 16 pixels at 96 dots per inch, 32 at 192.
inline int guideFontHeight(int dpiY) { return ((dpiY + 3) * 16) / 96; }

inline GuideFont guideFont(int dpiY) {
  GuideFont f;
  f.height = guideFontHeight(dpiY);
  return f;
}

}  // namespace vantrel
