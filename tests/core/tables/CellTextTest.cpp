#include <gtest/gtest.h>

#include "tables/CellText.h"

using namespace vantrel;

TEST(CellText, MarkupRemoved) {
  EXPECT_EQ(plainCellText(u"<b>++</b> <a href=\"27\">\u00A7</a>"), u"++ \u00A7");
  EXPECT_EQ(plainCellText(u"<b>A</b> &lt;i&gt; B"), u"A  B");  // a decoded tag is a tag
  EXPECT_EQ(plainCellText(u"every 12 h<br>then 24 h"), u"every 12 h\nthen 24 h");
  EXPECT_EQ(plainCellText(u"a&amp;b&nbsp;c &copy; &bogus; x"), u"a&b c \u00A9  x");
  EXPECT_EQ(plainCellText(u"R&D 5&#60; &amp"), u"R&D 5&#60; &amp");  // cut-short entities stay
  EXPECT_EQ(plainCellText(u"CrCl <10 ml/min"), u"CrCl <10 ml/min");  // no ">": text
  EXPECT_EQ(plainCellText(u"x < y <i>z</i>"), u"x < y z");
  EXPECT_EQ(plainCellText(u""), u"");
}

TEST(CellText, CsvFields) {
  EXPECT_EQ(csvField("plain"), "plain");
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(csvField(" padded"), "\" padded\"");
  EXPECT_EQ(csvField("caf\xC3\xA9"), "caf\xC3\xA9");
}
