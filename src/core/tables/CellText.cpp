#include "core/tables/CellText.h"

namespace vantrel {

std::string csvField(std::string_view utf8) {
  const bool quote = utf8.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
  if (!quote) return std::string(utf8);
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace vantrel
