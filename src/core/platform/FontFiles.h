#pragma once
// Font files lent to the program while it runs (the guide font beside the
// content), and font descriptions from which the drawing code makes fonts.
#include <cstdint>
#include <string>

namespace vantrel {

class FontFiles {
 public:
  virtual ~FontFiles() = default;
  // Makes the fonts of the file available; true on success.
  virtual bool addFontFile(const std::string& path) = 0;
  // Withdraws them; true on success.
  virtual bool removeFontFile(const std::string& path) = 0;
  // Tells every top-level window that the set of fonts changed.
  virtual void announceFontChange() = 0;
};

// Removes a font file and, when that worked, announces the change.
inline bool removeFontAndAnnounce(FontFiles& fonts, const std::string& path) {
  if (!fonts.removeFontFile(path)) return false;
  fonts.announceFontChange();
  return true;
}

}  // namespace vantrel
