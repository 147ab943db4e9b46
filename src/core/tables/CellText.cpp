#include "tables/CellText.h"

namespace vantrel {

namespace {

bool isLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

std::u16string decodeEntities(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != u'&') {
      out += text[i++];
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && isLetter(text[j])) ++j;
    if (j < text.size() && text[j] == u';') {
      const std::u16string_view name = text.substr(i + 1, j - i - 1);
      if (name == u"amp") {
        out += u'&';
      } else if (name == u"lt") {
        out += u'<';
      } else if (name == u"gt") {
        out += u'>';
      } else if (name == u"nbsp") {
        out += u' ';
      } else if (name == u"copy") {
        out += u'\u00A9';
      }
      i = j + 1;
    } else {
      // Cut short (or open at the end): copied unchanged, the character that ended it included.
      const size_t end = j < text.size() ? j + 1 : j;
      out.append(text.substr(i, end - i));
      i = end;
    }
  }
  return out;
}

}  // namespace

std::u16string plainCellText(std::u16string_view markup) {
  std::u16string text = decodeEntities(markup);
  std::u16string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 4, u"<br>") == 0) {
      lines += u'\n';
      i += 4;
    } else {
      lines += text[i++];
    }
  }
  std::u16string out;
  out.reserve(lines.size());
  for (size_t i = 0; i < lines.size();) {
    if (lines[i] == u'<') {
      const size_t close = lines.find_first_of(u"<>", i + 1);
      if (close != std::u16string::npos && lines[close] == u'>') {
        i = close + 1;
        continue;
      }
    }
    out += lines[i++];
  }
  return out;
}

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
