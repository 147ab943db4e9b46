#pragma once
// Text made safe for HTML and JSON, and the tags of HTML text read one by
// one. Every program that writes HTML or JSON by hand (the web export and
// the server, the search page and the search index's snippets, the health
// and access-log lines) escapes through these, and every scan of a guide's
// HTML for its tags (the export's filter, the search documents, the
// checker's links) reads them through HtmlTokenizer.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// HTML text with &, <, >, " and ' escaped (&amp; &lt; &gt; &quot; &#39;),
// safe in element content and in quoted attribute values. From UTF-16 to
// UTF-8: a lone surrogate and U+0000 become U+FFFD.
std::string htmlEscape(std::u16string_view text);
void appendHtmlEscaped(std::string& out, std::u16string_view text);
// The same from UTF-8 (decoded as fromUtf8 does).
std::string htmlEscapeUtf8(std::string_view text);
// The same escapes, staying in UTF-16 (U+0000 and lone surrogates kept).
std::u16string htmlEscape16(std::u16string_view text);

// A JSON string with its quotes, from UTF-8: '"' and '\' escaped, control
// characters and DEL as \u00XX, and a byte that is not part of valid UTF-8
// as \u00XX of its value, so the result is always valid JSON.
std::string jsonQuoted(std::string_view utf8);
// The inside of a JSON string, from UTF-16, for JSON embedded in a script
// element: besides '"', '\' and control characters, "<", ">", "&", U+2028,
// U+2029 and every surrogate are \u escapes, so the text can never end the
// script element it stands in.
void appendJsonScriptText(std::string& out, std::u16string_view text);

// One attribute of a tag: its name in lower-case ASCII and its value as
// written (quotes removed, character references not decoded).
struct HtmlAttribute {
  std::string name;
  std::u16string value;
};

struct HtmlToken {
  enum class Kind {
    text,     // characters up to the next tag or comment, "<" that begins none included
    tag,      // <name ...>, </name ...> or <!name ...>
    comment,  // <!-- ... --> (an unclosed one runs to the end)
  };
  Kind kind = Kind::text;
  size_t begin = 0, end = 0;  // the span in the input
  // Tags only. The name is lower-case ASCII; it is empty for "</>" and the
  // like. A "<!" declaration reads as an opening tag of the name after "!".
  std::string name;
  bool closing = false;
  std::vector<HtmlAttribute> attributes;
  const HtmlAttribute* attribute(std::string_view attributeName) const;
};

// Reads HTML as text, tags and comments, the way a lenient browser would
// for the markup guides hold: a tag is "<" and a name character (or "/" or
// "!"), attributes with or without quotes, up to the ">" outside quotes. A
// tag without its ">" is not a tag: its "<" is text and reading goes on
// right after it. The text read must outlive the tokenizer.
class HtmlTokenizer {
 public:
  explicit HtmlTokenizer(std::u16string_view html) : html_(html) {}
  // The next token; false at the end.
  bool next(HtmlToken& token);
  // Skips everything up to and including the closing tag of name (lower
  // case), or to the end when there is none: for elements dropped together
  // with their content (script, style ...).
  void skipElement(std::string_view name);
  size_t position() const { return at_; }
  std::u16string_view html() const { return html_; }

 private:
  bool readTag(HtmlToken& token);
  std::u16string_view html_;
  size_t at_ = 0;
};

// Lower-case ASCII of s; other characters become '?'.
std::string asciiLowercase(std::u16string_view s);

}  // namespace vantrel
