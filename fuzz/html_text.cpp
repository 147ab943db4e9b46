// Fuzz target: arbitrary text through the HTML and JSON escapers, the tag
// tokenizer and the web export's HTML filter built on it. Nothing may crash
// or hang; escaped HTML holds no markup character, JSON strings are valid
// UTF-8 with every control character escaped, script-safe JSON holds no
// "<", ">" or "&", the tokens cover the input in order, and the filtered
// HTML keeps no script element.
//
// Input: byte 0 chooses options (bit 0: the rest is UTF-16LE instead of UTF-8).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/export/WebAssets.h"
#include "core/util/HtmlText.h"
#include "core/util/TextCodec.h"

using namespace vantrel;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

bool validUtf8(std::string_view s) { return toUtf8(fromUtf8(s)) == s; }

void checkHtmlEscaped(std::string_view out) {
  for (size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    check(c != '<' && c != '>' && c != '"' && c != '\'');
    if (c == '&') {
      const size_t semi = out.find(';', i);
      check(semi != std::string_view::npos && semi - i <= 5);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 8192) return 0;
  const uint8_t options = data[0];
  ++data;
  --size;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::u16string text;
  if (options & 1) {
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  } else {
    text = fromUtf8(bytes);
  }

  const std::string html = htmlEscape(text);
  checkHtmlEscaped(html);
  check(html.find('\0') == std::string::npos);
  check(validUtf8(html));
  checkHtmlEscaped(htmlEscapeUtf8(bytes));
  const std::u16string html16 = htmlEscape16(text);
  check(html16.find_first_of(u"<>\"'") == std::u16string::npos);

  const std::string json = jsonQuoted(bytes);
  check(json.size() >= 2 && json.front() == '"' && json.back() == '"');
  check(validUtf8(json));
  for (size_t i = 1; i + 1 < json.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(json[i]);
    check(c >= 0x20 && c != 0x7f);
    if (c == '\\') {
      ++i;
      check(i + 1 < json.size());
      check(json[i] == '"' || json[i] == '\\' || json[i] == 'u');
    } else {
      check(c != '"');
    }
  }
  std::string script;
  appendJsonScriptText(script, text);
  check(script.find_first_of("<>&") == std::string::npos);
  check(validUtf8(script));

  // The tokens follow one another without gap or overlap; a tag is "<...>".
  HtmlTokenizer tokens(text);
  HtmlToken token;
  size_t at = 0, count = 0;
  while (tokens.next(token)) {
    check(token.begin == at && token.end > token.begin && token.end <= text.size());
    if (token.kind == HtmlToken::Kind::tag) check(text[token.begin] == u'<' && text[token.end - 1] == u'>');
    if (token.kind == HtmlToken::Kind::comment) check(text.compare(token.begin, 4, u"<!--") == 0);
    at = token.end;
    check(++count <= text.size());
  }
  check(at == text.size());

  const std::string filtered = filterHtml(
      text, [](std::u16string_view target, bool&, ObjectIndex&) { return htmlEscape(target); },
      [](ObjectIndex, std::string_view label) { return std::string(label); });
  check(validUtf8(filtered));
  const std::u16string filtered16 = fromUtf8(filtered);
  HtmlTokenizer again(filtered16);
  while (again.next(token)) check(token.kind != HtmlToken::Kind::tag || token.name != "script");
  return 0;
}
