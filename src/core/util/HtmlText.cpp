#include "core/util/HtmlText.h"

#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

const char kHex[] = "0123456789abcdef";

// The entity that stands for c in HTML text, or null when c stands for itself.
const char* entityFor(char16_t c) {
  switch (c) {
    case u'&': return "&amp;";
    case u'<': return "&lt;";
    case u'>': return "&gt;";
    case u'"': return "&quot;";
    case u'\'': return "&#39;";
    default: return nullptr;
  }
}

void appendHexEscape(std::string& out, unsigned value) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 15];
}

// Length of a valid UTF-8 sequence starting at s[i] (0 when invalid).
size_t utf8Length(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t n = 0;
  uint32_t cp = 0;
  if (c < 0x80) return 1;
  if ((c & 0xe0) == 0xc0) n = 2, cp = c & 0x1f;
  else if ((c & 0xf0) == 0xe0) n = 3, cp = c & 0x0f;
  else if ((c & 0xf8) == 0xf0) n = 4, cp = c & 0x07;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    const auto d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xc0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3f);
  }
  const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[n] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return 0;
  return n;
}

bool nameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
         c == u'_' || c == u':';
}
bool space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

void appendHtmlEscaped(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (const char* entity = entityFor(c)) {
      out += entity;
    } else if (c == 0) {
      appendUtf8(out, 0xFFFD);
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, c);
    }
  }
}

std::string htmlEscape(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  appendHtmlEscaped(out, text);
  return out;
}

std::string htmlEscapeUtf8(std::string_view text) { return htmlEscape(fromUtf8(text)); }

std::u16string htmlEscape16(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (const char* entity = entityFor(c)) {
      for (const char* p = entity; *p; ++p) out += char16_t(*p);
    } else {
      out += c;
    }
  }
  return out;
}

std::string jsonQuoted(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7f) {
      appendHexEscape(out, c);
      ++i;
    } else if (const size_t n = utf8Length(s, i); n > 0) {
      out.append(s.substr(i, n));
      i += n;
    } else {
      appendHexEscape(out, c);  // a byte that is not UTF-8: the Latin-1 character of its value
      ++i;
    }
  }
  out += '"';
  return out;
}

void appendJsonScriptText(std::string& out, std::u16string_view text) {
  for (const char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == u'<' || c == u'>' || c == u'&' || c == 0x2028 || c == 0x2029 ||
               (c >= 0xD800 && c <= 0xDFFF)) {
      appendHexEscape(out, c);
    } else {
      appendUtf8(out, c);
    }
  }
}

std::string asciiLowercase(std::u16string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char16_t c : s) r.push_back(c < 128 ? static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c) : '?');
  return r;
}

const HtmlAttribute* HtmlToken::attribute(std::string_view attributeName) const {
  for (const HtmlAttribute& a : attributes)
    if (a.name == attributeName) return &a;
  return nullptr;
}

bool HtmlTokenizer::next(HtmlToken& token) {
  const size_t n = html_.size();
  if (at_ >= n) return false;
  token.begin = at_;
  token.name.clear();
  token.closing = false;
  token.attributes.clear();
  if (html_.substr(at_, 4) == u"<!--") {
    const size_t end = html_.find(u"-->", at_ + 4);
    at_ = end == std::u16string_view::npos ? n : end + 3;
    token.kind = HtmlToken::Kind::comment;
    token.end = at_;
    return true;
  }
  if (readTag(token)) return true;
  // Text: up to the next "<" that begins a tag or a comment; a "<" that
  // begins none is text.
  token.kind = HtmlToken::Kind::text;
  size_t j = at_ + 1;
  while (j < n) {
    j = html_.find(u'<', j);
    if (j == std::u16string_view::npos) {
      j = n;
      break;
    }
    HtmlToken probe;
    const size_t save = at_;
    at_ = j;
    const bool markup = html_.substr(j, 4) == u"<!--" || readTag(probe);
    at_ = save;
    if (markup) break;
    ++j;
  }
  at_ = j;
  token.end = j;
  return true;
}

bool HtmlTokenizer::readTag(HtmlToken& token) {
  const size_t n = html_.size();
  const size_t i = at_;
  if (html_[i] != u'<' || i + 1 >= n || !(nameChar(html_[i + 1]) || html_[i + 1] == u'/' || html_[i + 1] == u'!'))
    return false;
  size_t j = i + 1;
  const bool closing = html_[j] == u'/';
  if (closing || html_[j] == u'!') ++j;
  const size_t nameStart = j;
  while (j < n && nameChar(html_[j])) ++j;
  std::string name = asciiLowercase(html_.substr(nameStart, j - nameStart));
  // Attributes up to the closing ">" (quotes respected).
  std::vector<HtmlAttribute> attributes;
  bool ended = false;
  while (j < n) {
    while (j < n && (space(html_[j]) || html_[j] == u'/')) ++j;
    if (j >= n) break;
    if (html_[j] == u'>') {
      ended = true;
      ++j;
      break;
    }
    const size_t a = j;
    while (j < n && html_[j] != u'=' && html_[j] != u'>' && !space(html_[j]) && html_[j] != u'/') ++j;
    HtmlAttribute attribute{asciiLowercase(html_.substr(a, j - a)), {}};
    if (a == j) ++j;  // a stray character: skip it
    while (j < n && (html_[j] == u' ' || html_[j] == u'\t')) ++j;
    if (j < n && html_[j] == u'=') {
      ++j;
      while (j < n && (html_[j] == u' ' || html_[j] == u'\t')) ++j;
      if (j < n && (html_[j] == u'"' || html_[j] == u'\'')) {
        const char16_t q = html_[j];
        const size_t end = html_.find(q, j + 1);
        if (end == std::u16string_view::npos) {
          j = n;
          break;
        }
        attribute.value = html_.substr(j + 1, end - j - 1);
        j = end + 1;
      } else {
        const size_t v = j;
        while (j < n && html_[j] != u' ' && html_[j] != u'>' && html_[j] != u'\t' && html_[j] != u'\r' &&
               html_[j] != u'\n')
          ++j;
        attribute.value = html_.substr(v, j - v);
      }
    }
    if (!attribute.name.empty()) attributes.push_back(std::move(attribute));
  }
  if (!ended) return false;  // an unfinished tag is text
  token.kind = HtmlToken::Kind::tag;
  token.begin = i;
  token.end = j;
  token.name = std::move(name);
  token.closing = closing;
  token.attributes = std::move(attributes);
  at_ = j;
  return true;
}

void HtmlTokenizer::skipElement(std::string_view name) {
  const size_t n = html_.size();
  size_t k = at_;
  while (true) {
    k = html_.find(u"</", k);
    if (k == std::u16string_view::npos) {
      at_ = n;
      return;
    }
    size_t e = k + 2;
    while (e < n && nameChar(html_[e])) ++e;
    if (asciiLowercase(html_.substr(k + 2, e - k - 2)) == name) {
      const size_t gt = html_.find(u'>', e);
      at_ = gt == std::u16string_view::npos ? n : gt + 1;
      return;
    }
    k = e;
  }
}

}  // namespace vantrel
