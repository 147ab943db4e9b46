// Markup parsing: entities, the tag scanner, tag interpretation, run measurement.
#include "Helpers.h"

namespace vantrel::testing {
namespace {

struct RunShape {
  int start, end;
  bool bold, italic, link;
  int script;
};

void expectRuns(const TextBlock& b, const std::vector<RunShape>& want) {
  ASSERT_EQ(b.runs.size(), want.size()) << u8(b.text);
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("run " + std::to_string(i));
    EXPECT_EQ(b.runs[i].start, want[i].start);
    EXPECT_EQ(b.runs[i].end, want[i].end);
    EXPECT_EQ(b.runs[i].bold, want[i].bold);
    EXPECT_EQ(b.runs[i].italic, want[i].italic);
    EXPECT_EQ(b.runs[i].link, want[i].link);
    EXPECT_EQ(b.runs[i].script, want[i].script);
  }
}

using Parse = RichTextTest;

TEST(Entities, DecodedOnceWithUnknownAndUnterminatedNamesHandled) {
  auto dec = [](const std::u16string& s, bool esc = false) { return u8(MarkupRenderer::decodeEntities(s, esc)); };
  EXPECT_EQ(dec(u"a &amp; b"), "a & b");
  EXPECT_EQ(dec(u"&lt;&gt;&nbsp;&copy;"), "<> \u00A9");
  EXPECT_EQ(dec(u"&lt;", true), "\\<");
  EXPECT_EQ(dec(u"x &amp"), "x &amp");      // open at the end: copied unchanged
  EXPECT_EQ(dec(u"&#169;"), "&#169;");      // "#" aborts the entity
  EXPECT_EQ(dec(u"a&foo;b"), "ab");         // unknown names vanish
  EXPECT_EQ(dec(u"a&AMP;b"), "ab");         // names are case-sensitive
  EXPECT_EQ(dec(u"a&;b"), "ab");            // empty name vanishes too
  EXPECT_EQ(dec(u"&&amp;"), "&&amp;");      // the second "&" aborts and is copied
  EXPECT_EQ(dec(u"R&D 5&6"), "R&D 5&6");
  EXPECT_EQ(dec(u"&amp;amp;"), "&amp;");    // one pass only
  EXPECT_EQ(dec(u"&\u00E9t\u00E9;x"), "x"); // Latin-1 letters form names
}

TEST_F(Parse, EntitiesInMarkupGiveOneRunAndEscapedLessThanIsText) {
  TextBlock b = parsed(u"a &amp; b");
  EXPECT_EQ(u8(b.text), "a & b");
  expectRuns(b, {{0, 5, false, false, false, 0}});

  b = parsed(u"x &lt;y&gt;");
  EXPECT_EQ(u8(b.text), "x <y>");
  expectRuns(b, {{0, 5, false, false, false, 0}});

  b = parsed(u"&lt;b&gt;not bold");
  EXPECT_EQ(u8(b.text), "<b>not bold");
  EXPECT_FALSE(b.runs[0].bold);

  // A backslash written before "<" in the markup escapes it the same way.
  b = parsed(u"a\\<b>c");
  EXPECT_EQ(u8(b.text), "a<b>c");
  EXPECT_FALSE(b.runs.back().bold);
  // Other backslashes stay.
  EXPECT_EQ(u8(parsed(u"C:\\dir").text), "C:\\dir");

  EXPECT_EQ(u8(parsed(u"&nbsp;").text), " ");
  EXPECT_EQ(u8(parsed(u"&copy; 2007").text), "\u00A9 2007");
}

TEST_F(Parse, EscapedBreakTagStaysText) {
  // "&lt;br&gt;" shows the characters "<br>", not a line feed with a stray backslash.
  TextBlock b = parsed(u"a&lt;br&gt;b");
  EXPECT_EQ(u8(b.text), "a<br>b");
  EXPECT_EQ(u8(parsed(u"a\\<br>b").text), "a<br>b");
  EXPECT_EQ(u8(parsed(u"a<br>b").text), "a\nb");
}

TEST_F(Parse, BoldRunsAndNesting) {
  TextBlock b = parsed(u"<b>bold</b> text");
  EXPECT_EQ(u8(b.text), "bold text");
  expectRuns(b, {{0, 4, true, false, false, 0}, {4, 9, false, false, false, 0}});
  EXPECT_EQ(b.runs[0].width, 4 * 9);
  EXPECT_EQ(b.runs[1].width, 5 * 8);
  EXPECT_EQ(b.lineWidth, 36 + 40 + 3 + 3 + 1);
  EXPECT_EQ(b.maxRunHeight, 16);
  EXPECT_TRUE(b.parsed);

  b = parsed(u"<b><i>x</i></b>");
  EXPECT_EQ(u8(b.text), "x");
  expectRuns(b, {{0, 1, true, true, false, 0}, {1, 1, false, false, false, 0}});
}

TEST_F(Parse, RepeatedOpeningTagsStayVisible) {
  TextBlock b = parsed(u"<b>a<b>c</b>");
  EXPECT_EQ(u8(b.text), "a<b>c");
  expectRuns(b, {{0, 5, true, false, false, 0}, {5, 5, false, false, false, 0}});

  b = parsed(u"<i>a<i>b");
  EXPECT_EQ(u8(b.text), "a<i>b");

  b = parsed(u"<sup>2<sup>3</sup>");
  EXPECT_EQ(u8(b.text), "2<sup>3");
  // A closing script tag with no script open is shown.
  EXPECT_EQ(u8(parsed(u"x</sub>").text), "x</sub>");
  // Closing bold, italic and link tags are always consumed.
  EXPECT_EQ(u8(parsed(u"x</b></i></a>").text), "x");
}

TEST_F(Parse, LinksTakeTheirTargetAndColour) {
  renderer.configure(std::nullopt, 0, 0x123456);
  for (const auto* markup : {u"<a href=\"12\">see</a> more", u"<A HREF='12'>see</A> more"}) {
    TextBlock b = parsed(markup);
    EXPECT_EQ(u8(b.text), "see more");
    ASSERT_EQ(b.runs.size(), 2u);
    EXPECT_TRUE(b.runs[0].link);
    EXPECT_EQ(b.runs[0].linkId, 12);
    EXPECT_EQ(b.runs[0].colour, 0xE76B08u);
    EXPECT_FALSE(b.runs[1].link);
    EXPECT_EQ(b.runs[1].linkId, 0);
    EXPECT_EQ(b.runs[1].colour, 0x123456u);
  }
  EXPECT_EQ(parsed(u"<a href=\"12#top\">x</a>").runs[0].linkId, 12);
  EXPECT_EQ(parsed(u"<a href=\"abc\">x</a>").runs[0].linkId, 0);
  EXPECT_TRUE(parsed(u"<a href=\"abc\">x</a>").runs[0].link);
  EXPECT_EQ(parsed(u"<a href=\"99999999999\">x</a>").runs[0].linkId, INT32_MAX);
  // Backslashes are dropped from values; later attributes are ignored.
  EXPECT_EQ(parsed(u"<a href=\"1\\2\">x</a>").runs[0].linkId, 12);
  TextBlock b = parsed(u"<a href=\"7\" target=\"w\">x</a>");
  EXPECT_EQ(u8(b.text), "x");
  EXPECT_EQ(b.runs[0].linkId, 7);
  // A link inside a link, and "a" without href, are shown.
  EXPECT_EQ(u8(parsed(u"<a href=\"1\">x<a href=\"2\">y</a>").text), "x<a href=\"2\">y");
  EXPECT_EQ(u8(parsed(u"<a name=\"n\">x</a>").text), "<a name=\"n\">x");
}

TEST_F(Parse, UnquotedAttributeValueNeverClosesTheTag) {
  TextBlock b = parsed(u"<a href=12>x");
  EXPECT_EQ(u8(b.text), "<a href=12>x");
  expectRuns(b, {{0, 12, false, false, false, 0}});
  // ... up to the next quote, which starts a value.
  b = parsed(u"<a href=12>x <b>y\" z</b>\">w");
  EXPECT_EQ(u8(b.text), "w");
}

TEST_F(Parse, BreakTagsAndOtherForms) {
  TextBlock b = parsed(u"line1<br>line2");
  EXPECT_EQ(u8(b.text), "line1\nline2");
  EXPECT_EQ(b.runs.size(), 1u);

  b = parsed(u"line1<BR>line2");
  EXPECT_EQ(u8(b.text), "line1line2");
  EXPECT_EQ(b.runs.size(), 2u);

  EXPECT_EQ(u8(parsed(u"a<br >b").text), "ab");
  EXPECT_EQ(u8(parsed(u"a<br/>b").text), "a<br/>b");  // "/" restarts the name: "/" is unknown
  EXPECT_EQ(u8(parsed(u"a</b >c").text), "ac");        // "/" as the first character is part of the name
  EXPECT_EQ(u8(parsed(u"a<br/ >c").text), "a<br/ >c"); // a space after a restarted name abandons the tag
}

TEST_F(Parse, ScannerEdgeCases) {
  EXPECT_EQ(u8(parsed(u"<img src=\"x\">text").text), "text");
  EXPECT_EQ(u8(parsed(u"<font color=\"red\">t</font>").text), "<font color=\"red\">t</font>");
  EXPECT_EQ(u8(parsed(u"a < b").text), "a < b");
  EXPECT_EQ(u8(parsed(u"a <").text), "a <");
  EXPECT_EQ(u8(parsed(u"<>x").text), "<>x");
  EXPECT_EQ(u8(parsed(u"< b >bold").text), "bold");  // spaces before the name are skipped
  // A "<" after the name restarts it; the tag still begins at the first "<".
  TextBlock b = parsed(u"x<b <i>y");
  EXPECT_EQ(u8(b.text), "xy");
  EXPECT_TRUE(b.runs.back().italic);
  EXPECT_FALSE(b.runs.back().bold);
  // Either quote ends a value.
  EXPECT_EQ(parsed(u"<a href=\"5'>x</a>").runs[0].linkId, 5);
}

TEST_F(Parse, ScriptsMeasuredInThreeQuarterHeight) {
  TextBlock b = parsed(u"H<sub>2</sub>O");
  EXPECT_EQ(u8(b.text), "H2O");
  expectRuns(b, {{0, 1, false, false, false, 0}, {1, 2, false, false, false, 2}, {2, 3, false, false, false, 0}});
  EXPECT_EQ(b.runs[1].width, 6);
  EXPECT_EQ(b.runs[1].height, 12);
  EXPECT_EQ(b.maxRunHeight, 16);
  EXPECT_EQ(parsed(u"x<sup>2</sup>").runs[1].script, 1);
  EXPECT_EQ(parsed(u"<b><sup>2</sup></b>").runs[0].width, 7);
}

TEST_F(Parse, EmptyTextAndParsedBlocksAreLeftAlone) {
  TextBlock empty = parsed(u"");
  EXPECT_FALSE(empty.parsed);
  EXPECT_TRUE(empty.runs.empty());

  TextBlock b = parsed(u"<b>x</b>");
  const size_t measured = surface.measureCount();
  EXPECT_TRUE(renderer.parse(b, surface));
  EXPECT_EQ(surface.measureCount(), measured);
  EXPECT_EQ(u8(b.text), "x");

  MarkupRenderer::resetBlock(b);
  EXPECT_FALSE(b.parsed);
  EXPECT_TRUE(b.runs.empty());
  EXPECT_EQ(u8(b.text), "x");
}

TEST(ParseNoFont, RunsMeasureZero) {
  FixedMetricsSurface surface;
  MarkupRenderer r(96, 96);
  r.configure(std::nullopt, 0, 0);
  TextBlock b(u"<b>abc</b>def");
  r.parse(b, surface);
  for (const auto& run : b.runs) {
    EXPECT_EQ(run.width, 0);
    EXPECT_EQ(run.height, 0);
  }
  EXPECT_EQ(b.lineWidth, 3 + 3 + 1);
  EXPECT_EQ(b.maxRunHeight, 0);
}

TEST(Renderer, MarginsAndDerivedSizesFollowTheResolution) {
  MarkupRenderer low(96, 96), high(192, 192);
  EXPECT_EQ(low.margins().left, 3);
  EXPECT_EQ(low.margins().top, 1);
  EXPECT_EQ(high.margins().right, 6);
  EXPECT_EQ(high.margins().bottom, 2);
  EXPECT_EQ(low.lineSpacing(), 2);
  EXPECT_EQ(high.lineSpacing(), 4);
  EXPECT_EQ(low.overhangAllowance(), 2);
  EXPECT_EQ(high.overhangAllowance(), 4);
  EXPECT_EQ(low.lineHeight(), 16 + 1 + 1 + 1);  // no font: the guide height at 96 dpi
  high.configure(guideFontDescription(192), 0, 0);
  EXPECT_EQ(high.lineHeight(), 32 + 2 + 2 + 2);
}

TEST_F(Parse, DisplayTextNeverLongerAndRunsCoverIt) {
  const std::u16string samples[] = {
      u"<b>a</b><i>b</i><a href=\"3\">c</a><sub>d</sub><sup>e</sup>",
      u"&lt;&lt;&lt;<<<>>>&amp;&amp",
      u"<a href='1'><a href='2'>x</a></a>",
      u"<<<<b>>>>",
      u"\\\\<b>x\\<i>",
      u"<a href=\"",
      u"<b x=\"1\" y='2' z>",
      u"&lt;br&gt;<br><br/><BR>",
  };
  for (const auto& s : samples) {
    TextBlock b = parsed(s);
    SCOPED_TRACE(u8(s));
    EXPECT_LE(b.text.size(), s.size());
    ASSERT_FALSE(b.runs.empty());
    int32_t at = 0;
    for (const auto& run : b.runs) {
      EXPECT_EQ(run.start, at);
      EXPECT_LE(run.start, run.end);
      at = run.end;
    }
    EXPECT_EQ(at, static_cast<int32_t>(b.text.size()));
  }
}

TEST(Strip, AllTagsRemovedAfterDecoding) {
  auto strip = [](const std::u16string& s) { return u8(MarkupRenderer::stripAllTags(s)); };
  EXPECT_EQ(strip(u"<b>A</b> &lt;i&gt; B"), "A  B");
  EXPECT_EQ(strip(u"x<font color=\"red\">y</font>"), "xy");
  EXPECT_EQ(strip(u"a<br>b<BR>c"), "a\nbc");
  EXPECT_EQ(strip(u"a\\<b>c"), "a\\c");  // no escapes here
  EXPECT_EQ(strip(u"a <b"), "a <b");      // unterminated tags stay
  EXPECT_EQ(strip(u"a</b >c"), "ac");
  EXPECT_EQ(strip(u"a<br/ >c"), "a<br/ >c");
  EXPECT_EQ(strip(u"AT&amp;T"), "AT&T");
}

TEST(Strip, SelectiveRemovalIsCaseSensitive) {
  auto strip = [](const std::u16string& s, const std::u16string& tag, const std::u16string& attr) {
    return u8(MarkupRenderer::stripTags(s, tag, attr));
  };
  EXPECT_EQ(strip(u"<A HREF=\"3\">x</A>", u"A", u"HREF"), "x</A>");
  EXPECT_EQ(strip(u"<a href=\"3\">x</a>", u"A", u"HREF"), "<a href=\"3\">x</a>");
  EXPECT_EQ(strip(u"<A HREF=\"3\">x</A>", u"A", u""), "<A HREF=\"3\">x</A>");  // no attrName: kept
  EXPECT_EQ(strip(u"<font color=\"red\">t</font>", u"font", u"color"), "t</font>");
  EXPECT_EQ(strip(u"t</font>", u"/font", u""), "t");
  EXPECT_EQ(strip(u"<b>t</b>", u"b", u""), "t</b>");
  EXPECT_EQ(strip(u"\\<b>t", u"b", u""), "<b>t");  // the escape applies here
}

}  // namespace
}  // namespace vantrel::testing
