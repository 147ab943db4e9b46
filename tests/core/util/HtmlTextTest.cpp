#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/util/HtmlText.h"

using namespace vantrel;

TEST(HtmlEscape, HostileTextCannotOpenMarkup) {
  const std::u16string hostile = u"<script>alert('x')</script> \"a\" & b";
  const std::string escaped = "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &quot;a&quot; &amp; b";
  EXPECT_EQ(htmlEscape(hostile), escaped);
  EXPECT_EQ(htmlEscapeUtf8("<script>alert('x')</script> \"a\" & b"), escaped);
  EXPECT_EQ(htmlEscape16(hostile), u"&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &quot;a&quot; &amp; b");
  // An attribute value cannot be left by either quote.
  EXPECT_EQ(htmlEscape(u"x' onmouseover='y"), "x&#39; onmouseover=&#39;y");
  // Text that is escaped already is escaped again, not taken as markup.
  EXPECT_EQ(htmlEscape(u"&lt;"), "&amp;lt;");
  // UTF-8 out: a pair joins, a lone surrogate and U+0000 become U+FFFD.
  EXPECT_EQ(htmlEscape(std::u16string(u"\xE9\xD83D\xDE00.\xD800.") + u'\0'), "\xC3\xA9\xF0\x9F\x98\x80.\xEF\xBF\xBD.\xEF\xBF\xBD");
}

TEST(JsonText, AlwaysValidAndScriptSafe) {
  EXPECT_EQ(jsonQuoted("a\"b\\c\n\x01\x7f"), "\"a\\\"b\\\\c\\u000a\\u0001\\u007f\"");
  // Valid UTF-8 stays; a byte that is not (a cut sequence, an overlong form,
  // an encoded surrogate) is escaped by its value instead of breaking the JSON.
  EXPECT_EQ(jsonQuoted("\xC3\xA9"), "\"\xC3\xA9\"");
  EXPECT_EQ(jsonQuoted("\xC3"), "\"\\u00c3\"");
  EXPECT_EQ(jsonQuoted("\xC0\x80"), "\"\\u00c0\\u0080\"");
  EXPECT_EQ(jsonQuoted("\xED\xA0\x80"), "\"\\u00ed\\u00a0\\u0080\"");

  std::string script;
  appendJsonScriptText(script, u"</script><!-- & \u2028\"\\ \xD83D\xDE00 \xE9");
  EXPECT_EQ(script,
            "\\u003c/script\\u003e\\u003c!-- \\u0026 \\u2028\\\"\\\\ \\ud83d\\ude00 \xC3\xA9");
}

namespace {

struct Seen {
  HtmlToken::Kind kind;
  std::u16string text;
  std::string name;
  bool closing;
  std::vector<std::pair<std::string, std::u16string>> attributes;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> tokens(std::u16string_view html) {
  std::vector<Seen> out;
  HtmlTokenizer t(html);
  HtmlToken token;
  while (t.next(token)) {
    Seen s{token.kind, std::u16string(html.substr(token.begin, token.end - token.begin)), token.name, token.closing, {}};
    for (const HtmlAttribute& a : token.attributes) s.attributes.emplace_back(a.name, a.value);
    out.push_back(std::move(s));
  }
  return out;
}

using K = HtmlToken::Kind;

}  // namespace

TEST(HtmlTokenizer, TagsAttributesAndText) {
  EXPECT_EQ(tokens(u"<A HREF='7' title=\"a > b\" width = 5 nowrap>x</a>"),
            (std::vector<Seen>{
                {K::tag, u"<A HREF='7' title=\"a > b\" width = 5 nowrap>", "a", false,
                 {{"href", u"7"}, {"title", u"a > b"}, {"width", u"5"}, {"nowrap", u""}}},
                {K::text, u"x", "", false, {}},
                {K::tag, u"</a>", "a", true, {}}}));
  // A "<" that begins no tag is text, and so is an unfinished tag: reading
  // goes on right after its "<", so the tag that follows is still found.
  EXPECT_EQ(tokens(u"5 < 10 and <a href=\"x>y<b>z"),
            (std::vector<Seen>{{K::text, u"5 < 10 and <a href=\"x>y", "", false, {}},
                               {K::tag, u"<b>", "b", false, {}},
                               {K::text, u"z", "", false, {}}}));
  EXPECT_EQ(tokens(u"<!-- <b> --><br/><!DOCTYPE html><!-- open"),
            (std::vector<Seen>{{K::comment, u"<!-- <b> -->", "", false, {}},
                               {K::tag, u"<br/>", "br", false, {}},
                               {K::tag, u"<!DOCTYPE html>", "doctype", false, {{"html", u""}}},
                               {K::comment, u"<!-- open", "", false, {}}}));
}

TEST(HtmlTokenizer, SkipsAnElementWithItsContent) {
  const std::u16string html = u"<script>if (a</b) x = '</SCRIPT >';</Script><p>after";
  HtmlTokenizer t(html);
  HtmlToken token;
  ASSERT_TRUE(t.next(token));
  ASSERT_EQ(token.name, "script");
  t.skipElement("script");
  ASSERT_TRUE(t.next(token));
  // The first closing tag of that name ends it, quotes or not (as browsers do).
  EXPECT_EQ(html.substr(token.begin, token.end - token.begin), u"';");
  // Without a closing tag everything to the end goes.
  HtmlTokenizer open(u"<style>p { }");
  ASSERT_TRUE(open.next(token));
  open.skipElement("style");
  EXPECT_FALSE(open.next(token));
}
