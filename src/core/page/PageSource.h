#pragma once
// Page sources turn a content object into one complete HTML document for the
// HTML control, and answer the control's requests for inline images.
//
// Links in generated pages carry a target that begins with the decimal index
// of the object to open ("1234"), optionally followed by "#" and an anchor
// name ("1234#top"). Targets that begin with "http" are web addresses and
// are never followed.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/content/ContentDatabase.h"

namespace vantrel {

// The image record answered for an inline image. Every page source of the
// guide answers the same empty record {1133, 0, 0, 0, 0}: pages show no
// inline images.
struct InlineImage {
  uint32_t size = 1133;
  uint32_t flags = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bitmap = 0;  // 0: no bitmap
  friend bool operator==(const InlineImage&, const InlineImage&) = default;
};

class PageSource {
 public:
  virtual ~PageSource();
  // The HTML text of the page for object.
  virtual std::u16string pageText(ObjectIndex object) = 0;
  // The image for an inline image the control asks for: always the empty record.
  virtual InlineImage inlineImage(std::u16string_view target, uint32_t cookie);
};

// The frames around generated pages. Letter case and the unbalanced closing
// tags are as the pages have always been written.
inline constexpr std::u16string_view kObjectPageOpen = u"<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>";
inline constexpr std::u16string_view kObjectPageClose = u"</FONT></BODY></HTML>";
inline constexpr std::u16string_view kTableHelpOpen = kObjectPageOpen;
inline constexpr std::u16string_view kTableHelpClose = kObjectPageClose;
inline constexpr std::u16string_view kMenuPageOpen = u"<HTML><BODY><FONT FACE='PPC_font2'>";
inline constexpr std::u16string_view kMenuPageClose = u"</MENU></FONT></BODY></HTML>";
inline constexpr std::u16string_view kDialogOpen = u"<HTML><BODY><FONT FACE='PPC_Font2'>";
inline constexpr std::u16string_view kDialogClose = u"</FONT></BODY></FONT>";

// The HTML document the HTML dialog shows for a body text.
std::u16string dialogDocument(std::u16string_view body);

// A tapped link's target, read back.
struct LinkTarget {
  bool follow = false;        // false: empty, or a web address ("http...")
  ObjectIndex object = 0;     // the leading decimal number; 0 when there is none
  std::u16string anchor;      // the text after the first "#"; empty without one
};

// Reads a link target: the leading decimal digits are the object (0 when the
// target does not begin with a digit; a number too large for an object index
// gives 0xFFFFFFFF, which no viewer shows); the anchor is everything after
// the first "#". A target that is empty or whose first four characters are
// exactly "http" (case-sensitive) is not followed by the HTML pane; object
// and anchor are read all the same (the HTML dialog reads them from any
// target).
LinkTarget parseLinkTarget(std::u16string_view target);

// Appends n in decimal.
void appendDecimal(std::u16string& out, uint32_t n);

}  // namespace vantrel
