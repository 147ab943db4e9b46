#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawContent.h"
#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The sample guide of RawContent.h, opened.
class Sample : public ::testing::Test {
 protected:
  void SetUp() override { openContent(sampleGuide()); }
  void openContent(RawContent c) {
    c.maxId = c.runLimit = 0;
    c.finish();
    ASSERT_TRUE(c.write(dir.base()));
    ASSERT_TRUE(db.open(dir.base()));
  }
  ContentCursor at(ObjectIndex i) {
    ContentCursor c;
    EXPECT_TRUE(c.open(db, i)) << i;
    return c;
  }
  TempDir dir;
  ContentDatabase db;
};

}  // namespace

TEST_F(Sample, OpenAndText) {
  ContentCursor c;
  EXPECT_FALSE(c.valid());
  EXPECT_FALSE(c.toParent());
  EXPECT_FALSE(c.open(db, 15));  // a page-key object has no entry
  EXPECT_FALSE(c.valid());
  ASSERT_TRUE(c.open(db, 6));
  EXPECT_EQ(c.index(), 6u);
  EXPECT_EQ(c.run(), 2u);
  EXPECT_EQ(c.entry().parent, 1u);
  EXPECT_FALSE(c.open(db, 20));  // failed open: still on 6
  EXPECT_EQ(c.index(), 6u);
  std::u16string text = u"unchanged";
  EXPECT_TRUE(c.text(text));
  EXPECT_EQ(text, u"f1");
  text = u"unchanged";
  EXPECT_FALSE(at(14).text(text));  // a number, not a string
  EXPECT_FALSE(at(3).text(text));
  EXPECT_EQ(text, u"unchanged");
}

TEST_F(Sample, ParentsAndAncestors) {
  ContentCursor c = at(0);
  EXPECT_FALSE(c.toParent());
  EXPECT_EQ(c.index(), 0u);
  c = at(14);
  EXPECT_TRUE(c.toParent());
  EXPECT_EQ(c.index(), 12u);

  c = at(14);
  EXPECT_TRUE(c.toAncestorOfType(u"table"));
  EXPECT_EQ(c.index(), 12u);
  EXPECT_TRUE(c.toAncestorOfType(u"table"));  // the starting object is never the answer
  EXPECT_EQ(c.index(), 1u);
  EXPECT_FALSE(c.toAncestorOfType(u"table"));  // a table with no table above it
  EXPECT_EQ(c.index(), 1u);
  EXPECT_TRUE(c.toAncestorOfType(u"root"));  // the root can be the answer
  EXPECT_EQ(c.index(), 0u);
  EXPECT_FALSE(c.toAncestorOfType(u"root"));
  c = at(13);
  EXPECT_FALSE(c.toAncestorOfType(u"no such type"));
  EXPECT_TRUE(c.toAncestorOfType(uint16_t(kField)));
  EXPECT_EQ(c.index(), 6u);
}

TEST_F(Sample, ChildrenAndGroups) {
  ContentCursor c = at(1);
  EXPECT_TRUE(c.toFirstChild());
  EXPECT_EQ(c.index(), 5u);
  c = at(4);
  EXPECT_FALSE(c.toFirstChild());
  EXPECT_EQ(c.index(), 4u);

  c = at(1);
  EXPECT_TRUE(c.toChildOfType(u"field"));
  EXPECT_EQ(c.index(), 6u);
  EXPECT_TRUE(c.toNthInGroup(0));
  EXPECT_EQ(c.index(), 6u);
  EXPECT_TRUE(c.toNthInGroup(2));
  EXPECT_EQ(c.index(), 8u);
  EXPECT_FALSE(c.toNthInGroup(1));  // entry 9 belongs to another parent
  EXPECT_FALSE(c.toNthInGroup(0xFFFFFFFFu));
  EXPECT_EQ(c.index(), 8u);
  c = at(1);
  EXPECT_FALSE(c.toChildOfType(u"footnote"));
  EXPECT_FALSE(c.toChildOfType(u"nonsense"));
  EXPECT_EQ(c.index(), 1u);

  EXPECT_TRUE(c.toNthChildOfType(2, u"field"));
  EXPECT_EQ(c.index(), 8u);
  c = at(1);
  EXPECT_FALSE(c.toNthChildOfType(3, u"field"));  // three fields: 0..2
  EXPECT_EQ(c.index(), 1u);
  EXPECT_FALSE(c.toNthChildOfType(0, u"footnote"));
  EXPECT_EQ(c.index(), 1u);
  EXPECT_TRUE(c.toNthChildOfType(0, uint16_t(kTableType)));
  EXPECT_EQ(c.index(), 5u);

  std::vector<ObjectEntry> out;
  at(1).collectChildren(out, u"field", 0);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[2].index, 8u);
  at(1).collectChildren(out, uint16_t(kTableType), 2147483647);
  EXPECT_EQ(out.size(), 4u);
  at(1).collectChildren(out, u"nonsense", 0);
  EXPECT_EQ(out.size(), 4u);
}

TEST_F(Sample, Siblings) {
  ContentCursor c = at(6);
  EXPECT_TRUE(c.toNextOfType(u"field"));
  EXPECT_EQ(c.index(), 7u);
  EXPECT_TRUE(c.toNextOfType(u"field"));
  EXPECT_EQ(c.index(), 8u);
  EXPECT_FALSE(c.toNextOfType(u"field"));  // the last field of its parent
  EXPECT_EQ(c.index(), 8u);
  c = at(5);
  EXPECT_TRUE(c.toNextOfType(u"field"));  // skips over no siblings of a lower type
  EXPECT_EQ(c.index(), 6u);
  EXPECT_FALSE(c.toNextOfType(u"table type"));  // only higher types follow
  c = at(10);
  EXPECT_TRUE(c.toNextOfType(u"footnote"));
  EXPECT_EQ(c.index(), 11u);
  EXPECT_FALSE(c.toNextOfType(u"footnote"));
  c = at(1);
  EXPECT_TRUE(c.toNextOfType(u"popup"));  // over table 2 and the footnotes
  EXPECT_EQ(c.index(), 4u);

  c = at(8);
  EXPECT_TRUE(c.toPreviousOfType(u"field"));
  EXPECT_EQ(c.index(), 7u);
  EXPECT_TRUE(c.toPreviousOfType(u"field"));
  EXPECT_TRUE(c.toPreviousOfType(u"table type"));
  EXPECT_EQ(c.index(), 5u);
  EXPECT_FALSE(c.toPreviousOfType(u"table type"));
  EXPECT_EQ(c.index(), 5u);
  c = at(4);
  EXPECT_TRUE(c.toPreviousOfType(u"table"));
  EXPECT_EQ(c.index(), 2u);
  EXPECT_TRUE(c.toPreviousOfType(u"table"));
  EXPECT_EQ(c.index(), 1u);
  EXPECT_FALSE(c.toPreviousOfType(u"root"));  // the root is nobody's sibling
  c = at(0);
  EXPECT_FALSE(c.toPreviousOfType(u"root"));
}

TEST_F(Sample, NextOfTypeFromTheLastEntryOfTheTable) {
  RawContent c = sampleGuide();
  c.objects.pop_back();  // footnote 13 is now the last entry
  db.close();
  openContent(c);
  ContentCursor cursor = at(13);
  EXPECT_FALSE(cursor.toNextOfType(u"footnote"));
  EXPECT_FALSE(cursor.toNextOfType(u"hierarchy item"));
  EXPECT_FALSE(cursor.toNthInGroup(1));
  EXPECT_EQ(cursor.index(), 13u);
}

TEST_F(Sample, Queries) {
  EXPECT_TRUE(isOfType(db, 1, u"table"));
  EXPECT_FALSE(isOfType(db, 1, u"Table"));
  EXPECT_FALSE(isOfType(db, 1, u"field"));
  EXPECT_FALSE(isOfType(db, 1, u"unknown"));
  EXPECT_TRUE(hasChildOfType(db, 1, u"field"));
  EXPECT_FALSE(hasChildOfType(db, 2, u"field"));
  EXPECT_FALSE(hasChildOfType(db, 14, u"field"));

  std::u16string out = u"unchanged";
  EXPECT_FALSE(textOf(db, 14, out));
  EXPECT_EQ(out, u"unchanged");
  EXPECT_TRUE(textOf(db, 9, out));
  EXPECT_EQ(out, u"i1");

  EXPECT_TRUE(enclosingTableTitle(db, 14, out));
  EXPECT_EQ(out, u"Inner");
  EXPECT_TRUE(enclosingTableTitle(db, 13, out));
  EXPECT_EQ(out, u"Drugs");
  EXPECT_TRUE(enclosingTableTitle(db, 1, out));  // a table is its own table
  EXPECT_EQ(out, u"Drugs");
  out = u"unchanged";
  EXPECT_FALSE(enclosingTableTitle(db, 11, out));
  EXPECT_FALSE(enclosingTableTitle(db, 0, out));
  EXPECT_EQ(out, u"unchanged");

  EXPECT_TRUE(tableNamed(db, 8, u"Drugs"));
  EXPECT_FALSE(tableNamed(db, 8, u"drugs"));
  EXPECT_TRUE(tableNamed(db, 9, u"Index"));
  EXPECT_FALSE(tableNamed(db, 3, u""));
  EXPECT_TRUE(tableTypeIs(db, 8, u"tight crt"));
  EXPECT_TRUE(tableTypeIs(db, 1, u"tight crt"));
  EXPECT_FALSE(tableTypeIs(db, 1, u"tight"));
  EXPECT_FALSE(tableTypeIs(db, 14, u"tight crt"));  // Inner has no table type
  EXPECT_FALSE(tableTypeIs(db, 9, u"tight crt"));
  EXPECT_TRUE(ownTableTypeIs(db, 1, u"tight crt"));
  EXPECT_FALSE(ownTableTypeIs(db, 6, u"tight crt"));

  out = u"x:";
  EXPECT_TRUE(footnotesText(db, 3, out));
  EXPECT_EQ(out, u"x:a<BR><BR>b<BR><BR>");
  out.clear();
  EXPECT_FALSE(footnotesText(db, 10, out));
  EXPECT_EQ(out, u"");
  EXPECT_TRUE(footnoteText(db, 13, out));
  EXPECT_EQ(out, u"fn");
  EXPECT_FALSE(footnoteText(db, 4, out));
  EXPECT_TRUE(popupText(db, 4, out));
  EXPECT_EQ(out, u"pop");
  EXPECT_FALSE(popupText(db, 13, out));

  // Page-key objects answer false or empty.
  for (ObjectIndex key = 15; key < 21; ++key) {
    std::u16string s;
    EXPECT_FALSE(isOfType(db, key, u"root"));
    EXPECT_FALSE(hasChildOfType(db, key, u"table"));
    EXPECT_FALSE(textOf(db, key, s));
    EXPECT_FALSE(enclosingTableTitle(db, key, s));
    EXPECT_FALSE(tableNamed(db, key, u""));
    EXPECT_FALSE(tableTypeIs(db, key, u"tight crt"));
    EXPECT_FALSE(ownTableTypeIs(db, key, u"tight crt"));
    EXPECT_FALSE(footnotesText(db, key, s));
    EXPECT_FALSE(footnoteText(db, key, s));
    EXPECT_FALSE(popupText(db, key, s));
    EXPECT_EQ(s, u"");
  }
}

TEST_F(Sample, FootnotesWithoutFootnotes) {
  RawContent c = sampleGuide();
  c.objects[4].type = kFootnotes;  // the popup becomes an empty "footnotes"
  db.close();
  openContent(c);
  std::u16string out = u"kept";
  EXPECT_TRUE(footnotesText(db, 4, out));
  EXPECT_EQ(out, u"kept");
}

TEST_F(Sample, CyclesInHostileFilesEnd) {
  RawContent c = sampleGuide();
  c.objects[12].parent = 14;  // 12 -> 14 -> 12 ...
  c.objects[6].parent = 6;    // its own parent
  db.close();
  openContent(c);
  ContentCursor cursor = at(14);
  EXPECT_FALSE(cursor.toAncestorOfType(u"root"));
  EXPECT_EQ(cursor.index(), 14u);
  std::u16string out;
  EXPECT_TRUE(enclosingTableTitle(db, 14, out));  // the first step up is still sound
  EXPECT_EQ(out, u"Inner");
  cursor = at(6);
  EXPECT_TRUE(cursor.toParent());  // one step is harmless
  EXPECT_EQ(cursor.index(), 6u);
  EXPECT_FALSE(cursor.toAncestorOfType(u"table"));
}
