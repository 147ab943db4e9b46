// Layout and drawing on the test surface: exact pieces, lines and rectangles.
#include "Helpers.h"

namespace vantrel::testing {
namespace {

using Layout = RichTextTest;

TEST_F(Layout, OneLineTextIsOneSegmentPerRun) {
  const auto d = drawn(u"<b>ab</b>cd", {0, 0, 200, 50});
  EXPECT_EQ(d, (std::vector<Drawn>{{"ab", {3, 1, 21, 19}}, {"cd", {21, 1, 37, 19}}}));
  ASSERT_GE(surface.calls().size(), 1u);
  EXPECT_EQ(surface.calls()[0].kind, FixedMetricsSurface::CallKind::Fill);
  EXPECT_EQ(surface.calls()[0].rect, (Rect{0, 0, 200, 50}));
  EXPECT_EQ(surface.calls()[0].colour, 0xFFFFFFu);
  const auto texts = surface.textCalls();
  EXPECT_EQ(texts[0].font.weight, 700);
  EXPECT_EQ(texts[1].font.weight, 400);
  EXPECT_EQ(texts[0].flags, 0x800u);
  EXPECT_FALSE(lastBlock.truncated);
  EXPECT_EQ(lastBlock.lastRect, (Rect{0, 0, 200, 50}));

  TextBlock b = parsed(u"<b>ab</b>cd");
  EXPECT_EQ(renderer.measureLayout(surface, b, {0, 0, 200, 50}), (Rect{0, 0, 3 + 34 + 3, 1 + 18}));
}

TEST_F(Layout, WrapsAfterTheSpaceThatLeavesRoom) {
  // Width 76: 70 px for text. "one two " is 64 px and leaves 6 free.
  EXPECT_EQ(drawn(u"one two three", {0, 0, 76, 100}),
            (std::vector<Drawn>{{"one ", {3, 1, 35, 19}}, {"two ", {35, 1, 67, 19}}, {"three", {3, 19, 43, 37}}}));
}

TEST_F(Layout, ExactlyFullLineMovesTheLastWordsTogether) {
  // Width 70: "one two " fills the 64 px exactly, so no segment ends at its
  // second space and "two" moves to the next line with what follows it.
  EXPECT_EQ(drawn(u"one two six", {0, 0, 70, 100}),
            (std::vector<Drawn>{{"one ", {3, 1, 35, 19}}, {"two six", {3, 19, 59, 37}}}));
  // "two three" is wider than the line itself: the line ends after "two "
  // and "three" goes on; no line is left empty.
  EXPECT_EQ(drawn(u"one two three", {0, 0, 70, 100}),
            (std::vector<Drawn>{{"one ", {3, 1, 35, 19}}, {"two ", {3, 19, 35, 37}}, {"three", {3, 37, 43, 55}}}));
}

TEST_F(Layout, BreakClassesEndLinesAfterThem) {
  // "-" and "/" are break characters; the moved word keeps no leading space.
  EXPECT_EQ(drawn(u"ab-cd ef", {0, 0, 46, 100}),  // 40 px: five characters
            (std::vector<Drawn>{{"ab-", {3, 1, 27, 19}}, {"cd ", {27, 1, 51, 19}}, {"ef", {3, 19, 19, 37}}}));
  EXPECT_EQ(drawn(u"abc  defgh", {0, 0, 46, 100}),
            (std::vector<Drawn>{{"abc ", {3, 1, 35, 19}}, {"defgh", {3, 19, 43, 37}}}));
}

TEST_F(Layout, WordStartingARunMidLineMovesWhole) {
  // Width 86: 80 px. "aaaa " takes 40; only four bold characters (36) would
  // fit after it, so the bold word moves whole to the next line.
  EXPECT_EQ(drawn(u"aaaa <b>bbbbbb</b>", {0, 0, 86, 100}),
            (std::vector<Drawn>{{"aaaa ", {3, 1, 43, 19}}, {"bbbbbb", {3, 19, 57, 37}}}));
  // The same for a link and an italic run, and for a run that starts with the space.
  EXPECT_EQ(drawn(u"aaaa <a href=\"3\">bbbbbb</a> c", {0, 0, 86, 100}),
            (std::vector<Drawn>{{"aaaa ", {3, 1, 43, 19}},
                                {"bbbbbb", {3, 19, 51, 37}},
                                {" ", {51, 19, 59, 37}},
                                {"c", {59, 19, 67, 37}}}));
  EXPECT_EQ(drawn(u"aaaa<i> bbbbbb</i>", {0, 0, 86, 100}),
            (std::vector<Drawn>{{"aaaa", {3, 1, 35, 19}}, {" ", {35, 1, 43, 19}}, {"bbbbbb", {3, 19, 53, 37}}}));
  // A word wider than a whole line starts the next line and is split there only.
  TextBlock b = parsed(u"aa <b>bbbbbbbbbbbb</b>");
  std::vector<std::pair<std::string, int>> got;
  for (const auto& p : renderer.layoutPieces(surface, b, {0, 0, 86, 200}))
    got.push_back({u8(b.text.substr(p.start, p.count)), p.line});
  EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"aa ", 0}, {"bbbbbbbb", 1}, {"bbbb", 2}}));
  // With no break before it, a run that goes on from the word before is split as before.
  EXPECT_EQ(drawn(u"aaaaa<b>bbbbbb</b>", {0, 0, 86, 100}),
            (std::vector<Drawn>{{"aaaaa", {3, 1, 43, 19}}, {"bbbb", {43, 1, 79, 19}}, {"bb", {3, 19, 21, 37}}}));
}

TEST_F(Layout, WordStartingARunOnTheLastLineStillEndsInEllipsis) {
  renderer.configure(std::nullopt, 1, 0);
  const auto d = drawn(u"aaaa <b>bbbbbb</b>", {0, 0, 86, 100});
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(d.back().text, "...");
  for (const auto& piece : d) EXPECT_EQ(piece.rect.top, 1);
  EXPECT_TRUE(lastBlock.truncated);
}

TEST_F(Layout, LongWordInsideARunIsSplitWithoutEmptyLines) {
  // Width 46: five characters a line. The word does not begin its run.
  TextBlock b = parsed(u"a verylongword");
  const auto pieces = renderer.layoutPieces(surface, b, {0, 0, 46, 200});
  std::vector<std::pair<std::string, int>> got;
  for (const auto& p : pieces) got.push_back({u8(b.text.substr(p.start, p.count)), p.line});
  EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"a ", 0}, {"veryl", 1}, {"ongwo", 2}, {"rd", 3}}));
  EXPECT_EQ(renderer.measureLayout(surface, b, {0, 0, 46, 200}), (Rect{0, 0, 46, 1 + 4 * 18}));
}

TEST_F(Layout, NarrowerThanOneCharacterStillEnds) {
  TextBlock b = parsed(u"abc def <b>ghi</b>");
  const auto pieces = renderer.layoutPieces(surface, b, {0, 0, 4, 100});
  ASSERT_FALSE(pieces.empty());
  EXPECT_LE(pieces.size(), b.text.size());
  // Every line has something on it.
  EXPECT_EQ(pieces.front().line, 0);
  for (size_t i = 1; i < pieces.size(); ++i) EXPECT_LE(pieces[i].line - pieces[i - 1].line, 1);
}

TEST_F(Layout, OneLineLimitEndsWithEllipsis) {
  renderer.configure(std::nullopt, 1, 0);
  // Width 56: 50 px; "..." is 24. "abc" (24) fits before it.
  EXPECT_EQ(drawn(u"abcdefghij", {0, 0, 56, 100}),
            (std::vector<Drawn>{{"abc", {3, 1, 27, 19}}, {"...", {27, 1, 51, 19}}}));
  EXPECT_TRUE(lastBlock.truncated);

  // A text that fits the full width is drawn whole, though it is wider than
  // the width less the ellipsis.
  EXPECT_EQ(drawn(u"abcdef", {0, 0, 56, 100}), (std::vector<Drawn>{{"abcdef", {3, 1, 51, 19}}}));
  EXPECT_FALSE(lastBlock.truncated);

  // Nothing below the first line.
  for (const auto& d : drawn(u"one two three four five", {0, 0, 56, 100})) EXPECT_EQ(d.rect.top, 1);
  EXPECT_TRUE(lastBlock.truncated);

  // Measuring truncates the same way and leaves "..." out of the width.
  TextBlock b = parsed(u"abcdefghij");
  EXPECT_EQ(renderer.measureLayout(surface, b, {0, 0, 56, 100}), (Rect{0, 0, 3 + 24 + 3, 19}));
  EXPECT_TRUE(b.truncated);
}

TEST_F(Layout, TwoLineLimitReservesTheEllipsisOnTheSecondLine) {
  // The run wraps onto the last allowed line: "..." is reserved there and
  // nothing is drawn on a third line.
  renderer.configure(std::nullopt, 2, 0);
  EXPECT_EQ(drawn(u"one two three four five six", {0, 0, 76, 100}),
            (std::vector<Drawn>{{"one ", {3, 1, 35, 19}},
                                {"two ", {35, 1, 67, 19}},
                                {"three", {3, 19, 43, 37}},
                                {"...", {43, 19, 67, 37}}}));
  EXPECT_TRUE(lastBlock.truncated);
}

TEST_F(Layout, OneLineLimitWithLineFeed) {
  renderer.configure(std::nullopt, 1, 0);
  EXPECT_EQ(drawn(u"ab<br>cd", {0, 0, 200, 100}),
            (std::vector<Drawn>{{"ab", {3, 1, 19, 19}}, {"...", {19, 1, 43, 19}}}));
  EXPECT_TRUE(lastBlock.truncated);
}

TEST_F(Layout, LineFeedsStartNewLinesAndMeasureTheWidestLine) {
  EXPECT_EQ(drawn(u"ab<br>cdef", {0, 0, 200, 100}),
            (std::vector<Drawn>{{"ab\n", {3, 1, 19, 19}}, {"cdef", {3, 19, 35, 37}}}));
  TextBlock b = parsed(u"ab<br>cdef");
  EXPECT_EQ(renderer.measureLayout(surface, b, {0, 0, 200, 100}), (Rect{0, 0, 3 + 32 + 3, 37}));
  // A wrapped line makes the result as wide as the rectangle.
  b = parsed(u"one two three<br>x");
  EXPECT_EQ(renderer.measureLayout(surface, b, {10, 20, 86, 200}), (Rect{10, 20, 86, 20 + 1 + 3 * 18}));
}

TEST_F(Layout, MeasuredWidthCoversALaterLineWiderByLessThanTheMargins) {
  // Line 1 needs 32 + 6; line 2 (bold, 36) needs 42. Both must be covered.
  TextBlock b = parsed(u"abcd<br><b>abcd</b>");
  EXPECT_EQ(renderer.measureLayout(surface, b, {0, 0, 200, 100}), (Rect{0, 0, 42, 37}));
}

TEST_F(Layout, SubscriptDropsAndScriptsGetTheAllowance) {
  const auto d = drawn(u"H<sub>2</sub>O", {0, 0, 200, 50});
  // The "2" is 0.3 x 16 = 4 px lower, 6 px wide plus the 2 px allowance; "O" is back on the line top.
  EXPECT_EQ(d, (std::vector<Drawn>{{"H", {3, 1, 11, 19}}, {"2", {11, 5, 19, 19}}, {"O", {19, 1, 27, 19}}}));
  EXPECT_EQ(surface.textCalls()[1].font.height, 12);

  const auto s = drawn(u"x<sup>2</sup>", {0, 0, 200, 50});
  EXPECT_EQ(s, (std::vector<Drawn>{{"x", {3, 1, 11, 19}}, {"2", {11, 1, 19, 19}}}));

  // Italic text gets the allowance on its last piece only.
  EXPECT_EQ(drawn(u"<i>ab cd</i>", {0, 0, 200, 50}),
            (std::vector<Drawn>{{"ab ", {3, 1, 27, 19}}, {"cd", {27, 1, 45, 19}}}));
}

TEST_F(Layout, SubscriptOnALaterLineStaysOnThatLine) {
  // Width 54: 48 px. The subscript run (6 px characters) begins mid-line and
  // is split where it stops fitting; the space that ends the line is drawn
  // on it; the run after the subscript continues on its last line's top.
  const auto d = drawn(u"abc <sub>de fgh</sub>x", {0, 0, 54, 200});
  EXPECT_EQ(d, (std::vector<Drawn>{{"abc ", {3, 1, 35, 19}},
                                   {"de", {35, 5, 47, 19}},
                                   {" ", {47, 5, 53, 19}},
                                   {"fgh", {3, 23, 23, 37}},
                                   {"x", {23, 19, 31, 37}}}));
}

TEST_F(Layout, LinkAreasPerPieceInScreenCoordinates) {
  TextBlock b = parsed(u"see <a href=\"7\">one two</a>");
  LinkAreaList areas;
  renderer.drawLinked({100, 200}, areas, surface, b, {0, 0, 76, 100});
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas.entries()[0], (LinkAreaList::Entry{{135, 201, 167, 219}, 7}));
  EXPECT_EQ(areas.entries()[1], (LinkAreaList::Entry{{103, 219, 127, 237}, 7}));
  EXPECT_EQ(b.lastRect, (Rect{100, 200, 176, 300}));
  EXPECT_EQ(areas.hitTest({140, 210}), 7);
  EXPECT_EQ(areas.hitTest({110, 225}), 7);
  EXPECT_EQ(areas.hitTest({130, 210}), 0);  // "see "
  EXPECT_EQ(areas.hitTest({167, 210}), 0);  // the right edge is outside
  // Links are underlined and drawn in the link colour.
  const auto texts = surface.textCalls();
  EXPECT_TRUE(texts[1].font.underline);
  EXPECT_EQ(texts[1].colour, kLinkColour);
  EXPECT_FALSE(texts[0].font.underline);
}

TEST(LinkAreas, FirstAppendedWins) {
  LinkAreaList areas;
  areas.append({0, 0, 10, 10}, 1);
  areas.append({5, 5, 20, 20}, 2);
  EXPECT_EQ(areas.hitTest({6, 6}), 1);
  EXPECT_EQ(areas.hitTest({15, 15}), 2);
  EXPECT_EQ(areas.hitTest({20, 20}), 0);
  areas.clear();
  EXPECT_EQ(areas.hitTest({6, 6}), 0);
}

TEST_F(Layout, EmptyTextOnlyFills) {
  TextBlock b(u"");
  b.parsed = true;
  surface.clearCalls();
  renderer.draw(b, surface, {0, 0, 50, 20});
  ASSERT_EQ(surface.calls().size(), 1u);
  EXPECT_EQ(surface.calls()[0].kind, FixedMetricsSurface::CallKind::Fill);
  EXPECT_EQ(renderer.measureLayout(surface, b, {0, 0, 50, 20}), (Rect{0, 0, 0, 0}));
}

TEST_F(Layout, PopupNearBottomRightMovesLeftAndUp) {
  TextBlock b = parsed(u"abcdefghij");  // 86 x 19 with margins
  auto p = renderer.placePopup({0, 0, 240, 320}, surface, b, {200, 310});
  EXPECT_EQ(p.rect, (Rect{154, 301, 240, 320}));
  EXPECT_FALSE(p.fillsHeight);

  p = renderer.placePopup({0, 0, 240, 320}, surface, b, {50, 60});
  EXPECT_EQ(p.rect, (Rect{50, 60, 136, 79}));
  // Corners on the right or bottom edge count as inside.
  p = renderer.placePopup({0, 0, 240, 320}, surface, b, {154, 301});
  EXPECT_EQ(p.rect, (Rect{154, 301, 240, 320}));
  // Anchors left of or above the bounds start at the bounds.
  p = renderer.placePopup({10, 10, 240, 320}, surface, b, {0, 0});
  EXPECT_EQ(p.rect, (Rect{10, 10, 96, 29}));
}

TEST_F(Layout, TallPopupFillsTheHeight) {
  std::u16string text;
  for (int i = 0; i < 20; ++i) text += u"line<br>";
  TextBlock b = parsed(text);
  const auto p = renderer.placePopup({0, 0, 240, 320}, surface, b, {10, 10});
  EXPECT_TRUE(p.fillsHeight);
  EXPECT_EQ(p.rect.bottom, 320);
}

TEST_F(Layout, InvertingTwiceRestoresColours) {
  TextBlock b = parsed(u"<a href=\"1\">x</a>y");
  EXPECT_TRUE(MarkupRenderer::toggleInverted(b));
  EXPECT_EQ(b.background, 0u);
  EXPECT_EQ(b.runs[0].colour, 0x1894F7u);
  EXPECT_EQ(b.runs[1].colour, 0xFFFFFFu);
  EXPECT_FALSE(MarkupRenderer::toggleInverted(b));
  EXPECT_EQ(b.background, 0xFFFFFFu);
  EXPECT_EQ(b.runs[0].colour, kLinkColour);
}

TEST(Align, PlacesNarrowerPieces) {
  const Rect r{0, 5, 100, 25}, o{0, 0, 40, 10};
  EXPECT_EQ(MarkupRenderer::alignRect(r, o, 0), (Rect{0, 5, 40, 25}));
  EXPECT_EQ(MarkupRenderer::alignRect(r, o, 1), (Rect{30, 5, 70, 25}));
  EXPECT_EQ(MarkupRenderer::alignRect(r, o, 2), (Rect{60, 5, 100, 25}));
  EXPECT_EQ(MarkupRenderer::alignRect(r, {0, 0, 100, 10}, 1), r);
  // Centring is relative to the rectangle's own left edge.
  EXPECT_EQ(MarkupRenderer::alignRect({20, 0, 120, 10}, o, 1), (Rect{50, 0, 90, 10}));
}

TEST_F(Layout, HighResolutionScalesEveryConstant) {
  MarkupRenderer r(192, 192);
  r.configure(guideFontDescription(192), 0, 0);
  TextBlock b(u"H<sub>2</sub>O");
  r.parse(b, surface);
  surface.clearCalls();
  r.draw(b, surface, {0, 0, 400, 100});
  const auto t = surface.textCalls();
  ASSERT_EQ(t.size(), 3u);
  // Margins 6 and 2; characters 16 px; the subscript 24 px high, 12 wide + 4, 9 px lower.
  EXPECT_EQ(t[0].rect, (Rect{6, 2, 22, 2 + 32 + 4}));
  EXPECT_EQ(t[1].rect, (Rect{22, 11, 38, 38}));
  EXPECT_EQ(t[2].rect, (Rect{38, 2, 54, 38}));
}

TEST_F(Layout, RunsThatDoNotMatchTheTextAreReadWithinIt) {
  TextBlock b = parsed(u"abc");
  b.runs.push_back({2, 100});
  b.runs.push_back({-5, -1});
  renderer.draw(b, surface, {0, 0, 100, 40});
  TextBlock c = parsed(u"xyz");
  c.text.resize(1);
  EXPECT_NO_FATAL_FAILURE(renderer.measureLayout(surface, c, {0, 0, 100, 40}));
}

TEST_F(Layout, FormatFlagsPassThrough) {
  TextBlock b = parsed(u"a&amp;b");
  b.format = 0;
  surface.clearCalls();
  renderer.draw(b, surface, {0, 0, 100, 40});
  EXPECT_EQ(surface.textCalls()[0].flags, 0u);
  EXPECT_EQ(u8(surface.textCalls()[0].text), "a&b");
}

}  // namespace
}  // namespace vantrel::testing
