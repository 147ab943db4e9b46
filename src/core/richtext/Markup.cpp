// Markup parsing: the entity pass, the "<br>" replacement, the tag scanner
// and tag interpretation, and the two plain-text utilities.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

// Letters that may form an entity name: ASCII letters and the letters of the
// Latin-1, Latin Extended, Greek and Cyrillic blocks.
bool isEntityLetter(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  if (c < 0xAA) return false;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
  if (c >= 0x370 && c <= 0x3FF) return c != 0x375 && c != 0x37E && c != 0x384 && c != 0x385 && c != 0x387;
  if (c >= 0x400 && c <= 0x481) return true;
  if (c >= 0x48A && c <= 0x52F) return true;
  return false;
}

bool isQuote(char16_t c) { return c == u'"' || c == u'\''; }

std::u16string lowerAscii(std::u16string s) {
  for (auto& c : s) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return s;
}

// The leading decimal integer of a link target ("12#top" -> 12): leading
// spaces and one sign are allowed; 0 when there are no digits; values beyond
// the 32-bit range are held at its ends.
int32_t leadingInteger(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    negative = s[i] == u'-';
    ++i;
  }
  int64_t v = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    v = v * 10 + (s[i] - u'0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Replaces every exact "<br>" by a line feed. With escapeAware, a "<br>"
// whose "<" is escaped (an odd number of backslashes before it, as the entity
// pass writes for "&lt;") is text and stays.
std::u16string replaceBreaks(std::u16string_view in, bool escapeAware) {
  std::u16string out;
  out.reserve(in.size());
  size_t backslashes = 0;
  for (size_t i = 0; i < in.size();) {
    if (in[i] == u'<' && in.substr(i, 4) == u"<br>" && !(escapeAware && (backslashes & 1))) {
      out.push_back(u'\n');
      i += 4;
      backslashes = 0;
      continue;
    }
    backslashes = in[i] == u'\\' ? backslashes + 1 : 0;
    out.push_back(in[i]);
    ++i;
  }
  return out;
}

// The tag scanner. It copies the text into `out` as it goes; a tag's
// characters are text until its ">" is reached and the tag is consumed, when
// they are cut from `out` again. Cutting only ever removes characters before
// the scanning position, so the text is scanned once from start to end.
enum class State { Text, Escape, Skip, Name, AttrName, Equals, Value, CloseName };
enum class FollowUp { Name, AfterName, AfterAttr, BeforeValue, AfterValue, Abandon };

struct ClosedTag {
  const std::u16string& name;
  const std::u16string& attrName;
  const std::u16string& attrValue;
  bool hasAttribute;
  size_t tagStart;  // index of the tag's "<" in the text built so far
};

// onClose(tag) answers whether the tag is consumed (cut from the text).
template <class OnClose>
std::u16string scanTags(std::u16string_view in, bool escapes, OnClose&& onClose) {
  std::u16string out;
  out.reserve(in.size());
  State state = State::Text;
  FollowUp follow = FollowUp::Name;
  size_t tagStart = 0;
  std::u16string name, attrName, attrValue;

  auto close = [&](bool hasAttribute) {
    if (onClose(ClosedTag{name, attrName, attrValue, hasAttribute, tagStart})) out.resize(tagStart);
    state = State::Text;
  };

  for (const char16_t c : in) {
    switch (state) {
      case State::Text:
        out.push_back(c);
        if (c == u'<') {
          tagStart = out.size() - 1;
          state = State::Skip;
          follow = FollowUp::Name;
          name.clear();
          attrName.clear();
          attrValue.clear();
        } else if (c == u'\\' && escapes) {
          state = State::Escape;
        }
        break;
      case State::Escape:
        if (c == u'<') {
          out.back() = u'<';  // the backslash goes, the "<" stays as text
        } else {
          out.push_back(c);
        }
        state = State::Text;
        break;
      case State::Skip:
        out.push_back(c);
        if (c == u' ') break;
        switch (follow) {
          case FollowUp::Abandon:
            state = State::Text;
            break;
          case FollowUp::Name:
            name.assign(1, c);
            state = State::Name;
            break;
          case FollowUp::AfterName:
            if (c == u'<') {
              follow = FollowUp::Name;
            } else if (c == u'>') {
              attrName.clear();
              attrValue.clear();
              close(false);
            } else {
              attrName.assign(1, c);
              state = State::AttrName;
            }
            break;
          case FollowUp::AfterAttr:
            if (c == u'=') state = State::Equals;
            break;
          case FollowUp::BeforeValue:
            if (isQuote(c)) state = State::Value;
            break;
          case FollowUp::AfterValue:
            if (c == u'>') close(true);
            break;
        }
        break;
      case State::Name:
        out.push_back(c);
        if (c == u' ') {
          state = State::Skip;
          follow = FollowUp::AfterName;
        } else if (c == u'/') {
          name.assign(1, u'/');
          state = State::CloseName;
        } else if (c == u'>') {
          attrName.clear();
          attrValue.clear();
          close(false);
        } else {
          name.push_back(c);
        }
        break;
      case State::AttrName:
        out.push_back(c);
        if (c == u' ') {
          state = State::Skip;
          follow = FollowUp::AfterAttr;
        } else if (c == u'=') {
          state = State::Equals;
        } else {
          attrName.push_back(c);
        }
        break;
      case State::Equals:
        out.push_back(c);
        attrValue.clear();
        if (c == u' ') {
          state = State::Skip;
          follow = FollowUp::BeforeValue;
        } else if (isQuote(c)) {
          state = State::Value;
        }
        break;
      case State::Value:
        out.push_back(c);
        if (isQuote(c)) {
          state = State::Skip;
          follow = FollowUp::AfterValue;
        } else if (c != u'\\') {
          attrValue.push_back(c);
        }
        break;
      case State::CloseName:
        out.push_back(c);
        if (c == u' ') {
          state = State::Skip;
          follow = FollowUp::Abandon;
        } else if (c == u'>') {
          attrName.clear();
          attrValue.clear();
          close(false);
        } else {
          name.push_back(c);
        }
        break;
    }
  }
  return out;
}

// Height of a script font derived from a base height: |height * 0.75|,
// truncated, never 0 (0 would ask the surface for its default size).
int scriptHeightForMeasure(int height) {
  if (height == 0) height = 16;
  const int h = std::abs(static_cast<int>(std::trunc(static_cast<double>(height) * 0.75)));
  return h == 0 ? 1 : h;
}

}  // namespace

MarkupRenderer::MarkupRenderer(ScreenDpi dpi) : dpi_(dpi) {}

TextMargins MarkupRenderer::margins() const {
  const int h = std::clamp((3 * dpiX() + 48) / 96, 0, 255);
  const int v = std::clamp((dpiY() + 48) / 96, 0, 255);
  return {static_cast<uint8_t>(h), static_cast<uint8_t>(v), static_cast<uint8_t>(h), static_cast<uint8_t>(v)};
}

void MarkupRenderer::configure(const std::optional<FontDescription>& font, int maxLines, Colour defaultColour) {
  if (font) font_ = font;
  maxLines_ = std::clamp(maxLines, 0, 255);
  defaultColour_ = defaultColour;
  current_.colour = defaultColour;
  pending_.colour = defaultColour;
}

std::u16string MarkupRenderer::decodeEntities(std::u16string_view text, bool escapeLt) {
  std::u16string out;
  out.reserve(text.size());
  bool open = false;
  std::u16string name;
  for (const char16_t c : text) {
    if (!open) {
      if (c == u'&') {
        open = true;
        name.clear();
      } else {
        out.push_back(c);
      }
      continue;
    }
    if (c == u';') {
      open = false;
      if (name == u"amp") {
        out.push_back(u'&');
      } else if (name == u"lt") {
        if (escapeLt) out.push_back(u'\\');
        out.push_back(u'<');
      } else if (name == u"gt") {
        out.push_back(u'>');
      } else if (name == u"nbsp") {
        out.push_back(u' ');
      } else if (name == u"copy") {
        out.push_back(u'\u00A9');
      }
      // Any other name vanishes with its "&" and ";".
    } else if (isEntityLetter(c)) {
      name.push_back(c);
    } else {
      open = false;
      out.push_back(u'&');
      out += name;
      out.push_back(c);
    }
  }
  if (open) {
    out.push_back(u'&');
    out += name;
  }
  return out;
}

std::u16string MarkupRenderer::stripAllTags(std::u16string_view text) {
  const std::u16string decoded = replaceBreaks(decodeEntities(text, false), false);
  return scanTags(decoded, false, [](const ClosedTag&) { return true; });
}

std::u16string MarkupRenderer::stripTags(std::u16string_view text, std::u16string_view tagName,
                                         std::u16string_view attrName) {
  const std::u16string decoded = replaceBreaks(decodeEntities(text, false), false);
  return scanTags(decoded, true, [&](const ClosedTag& tag) {
    if (!tag.hasAttribute) return tag.name == tagName;
    return !attrName.empty() && tag.name == tagName && tag.attrName == attrName;
  });
}

bool MarkupRenderer::parse(TextBlock& block, DrawingSurface& surface) {
  if (block.parsed || block.text.empty()) return true;

  current_ = TextStyle{};
  current_.colour = defaultColour_;
  pending_ = current_;

  std::vector<TextRun> runs;
  size_t runStart = 0;
  auto appendRun = [&](size_t start, size_t end) {
    TextRun r;
    r.start = static_cast<int32_t>(start);
    r.end = static_cast<int32_t>(end);
    r.linkId = current_.linkId;
    r.link = current_.link;
    r.bold = current_.bold;
    r.italic = current_.italic;
    r.script = current_.script;
    r.colour = current_.colour;
    runs.push_back(r);
  };

  const std::u16string decoded = replaceBreaks(decodeEntities(block.text, true), true);
  std::u16string display = scanTags(decoded, true, [&](const ClosedTag& tag) {
    const std::u16string name = lowerAscii(tag.name);
    bool consumed = false;
    if (name == u"br" || name == u"img") {
      consumed = true;
    } else if (name == u"b") {
      if (!current_.bold) pending_.bold = consumed = true;
    } else if (name == u"/b") {
      pending_.bold = false;
      consumed = true;
    } else if (name == u"i") {
      if (!current_.italic) pending_.italic = consumed = true;
    } else if (name == u"/i") {
      pending_.italic = false;
      consumed = true;
    } else if (name == u"a") {
      if (tag.hasAttribute && lowerAscii(tag.attrName) == u"href" && !current_.link) {
        pending_.link = true;
        pending_.linkId = leadingInteger(tag.attrValue);
        pending_.colour = kLinkColour;
        consumed = true;
      }
    } else if (name == u"/a") {
      pending_.link = false;
      pending_.linkId = 0;
      pending_.colour = defaultColour_;
      consumed = true;
    } else if (name == u"sup") {
      if (current_.script != 1) {
        pending_.script = 1;
        consumed = true;
      }
    } else if (name == u"sub") {
      if (current_.script != 2) {
        pending_.script = 2;
        consumed = true;
      }
    } else if (name == u"/sup" || name == u"/sub") {
      if (current_.script != 0) {
        pending_.script = 0;
        consumed = true;
      }
    }
    if (!consumed) return false;
    if (runStart < tag.tagStart) {
      appendRun(runStart, tag.tagStart);
      runStart = tag.tagStart;
    }
    current_ = pending_;
    return true;
  });
  appendRun(runStart, display.size());

  block.text = std::move(display);
  block.runs = std::move(runs);

  int64_t total = 0;
  int32_t tallest = 0;
  FontDescription d;  // reused run to run: its face is copied without allocating
  for (auto& run : block.runs) {
    if (font_) {
      d = *font_;
      d.weight = run.bold ? 700 : 400;
      d.italic = run.italic;
      if (run.script != 0) d.height = scriptHeightForMeasure(d.height);
      surface.useFont(d);
      const Size s = surface.measureText(block.text.data() + run.start, static_cast<size_t>(run.end - run.start));
      run.width = s.width;
      run.height = s.height;
    } else {
      run.width = 0;
      run.height = 0;
    }
    total += run.width;
    tallest = std::max(tallest, run.height);
  }
  const TextMargins m = margins();
  total += m.left + m.right + 1;
  block.lineWidth = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
  block.maxRunHeight = tallest;
  block.parsed = true;
  return true;
}

}  // namespace vantrel
