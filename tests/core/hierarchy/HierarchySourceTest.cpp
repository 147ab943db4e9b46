// The hierarchy sources: entries, texts, leaves and paths, for the contents
// and for "tight crt" tables; and a randomised comparison with the tree the
// content was written from.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "HierarchyFixture.h"
#include "core/hierarchy/HierarchySource.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

using test::HierarchyGuide;

TEST(HierarchySource, BasicSourceListsPlainTextEntriesInOrder) {
  HierarchyGuide g;
  BasicHierarchySource s(g.db);
  const auto top = s.listChildren(g[u"toc"]);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0], (HierarchyEntry{u"Notice", g[u"notice"]}));
  EXPECT_EQ(top[1], (HierarchyEntry{u"Ch1", g[u"ch1"]}));
  EXPECT_EQ(top[2], (HierarchyEntry{u"Line\ntwo & more", g[u"ch2"]}));
  EXPECT_EQ(s.childCount(g[u"toc"]), 3u);
  EXPECT_EQ(s.childCount(g[u"ch1"]), 2u);
  EXPECT_EQ(s.childCount(g[u"notice"]), 0u);
  EXPECT_TRUE(s.isLeaf(g[u"notice"]));
  // A "link" child is not an entry.
  EXPECT_TRUE(s.isLeaf(g[u"leafA"]));
  EXPECT_FALSE(s.isLeaf(g[u"ch1"]));
  // Objects past the table and page keys have nothing.
  EXPECT_TRUE(s.listChildren(g.db.objectCount() + 2).empty());
  EXPECT_EQ(s.childCount(g.db.objectCount()), 0u);
  EXPECT_TRUE(s.pathTo(g.db.objectCount()).empty());
}

TEST(HierarchySource, PathRunsFromTheContainerDown) {
  HierarchyGuide g;
  BasicHierarchySource s(g.db);
  EXPECT_EQ(s.pathTo(g[u"deepest"]),
            (std::vector<ObjectIndex>{g[u"toc"], g[u"ch2"], g[u"deep"], g[u"deeper"], g[u"deepest"]}));
  EXPECT_EQ(s.pathTo(g[u"notice"]), (std::vector<ObjectIndex>{g[u"toc"], g[u"notice"]}));
  // Within a "tight crt" table the path is the same walk.
  TightCrtHierarchySource t(g.db);
  EXPECT_EQ(t.pathTo(g[u"r1"]), (std::vector<ObjectIndex>{g[u"spectrum"], g[u"B"], g[u"G"], g[u"r1"]}));
}

TEST(HierarchySource, TightCrtSourceKeepsStoredTextAndStopsAboveTheLowestLevel) {
  HierarchyGuide g;
  TightCrtHierarchySource s(g.db);
  const auto top = s.listChildren(g[u"spectrum"]);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[1].text, u"<i>B</i>");  // as stored
  EXPECT_FALSE(s.isLeaf(g[u"spectrum"]));    // the table itself
  EXPECT_TRUE(s.isLeaf(g[u"A"]));        // its only entry has none of its own
  EXPECT_FALSE(s.isLeaf(g[u"B"]));       // its first entry G has entries
  EXPECT_TRUE(s.isLeaf(g[u"G"]));        // r1, r2 are the lowest level
  EXPECT_TRUE(s.isLeaf(g[u"C"]));
  EXPECT_TRUE(s.isLeaf(g[u"r3"]));
  // The basic source sees entries wherever there are some.
  BasicHierarchySource b(g.db);
  EXPECT_FALSE(b.isLeaf(g[u"A"]));
  EXPECT_EQ(b.listChildren(g[u"spectrum"])[1].text, u"B");
}

TEST(HierarchySource, EntriesShowTheSamePlainTextAsTitlesAndCaptions) {
  // The tree's rows, the frame's title and a picture's caption come from one
  // plain-text function, so an entry reads the same in all of them: entities
  // decoded once, the exact "<br>" a line break, every whole tag removed
  // (also one an escaped "<" makes), a "<" that opens no tag kept.
  const std::u16string texts[] = {u"a<br>b<BR>c<br/>d", u"<b>x</b> &lt;y&gt; <sup>2</sup>",
                                  u"Renal &lt;script&gt;x &amp; hepatic", u"a &lt; b&nbsp;c", u"<br",
                                  u"&amp;lt;b&amp;gt;"};
  test::HierarchyFolder folder;
  ContentWriter w(u"guide");
  const ContentWriter::Handle toc = w.add(0, u"table");
  w.setText(toc, u"Contents");
  for (const std::u16string& t : texts) w.setText(w.add(toc, u"hierarchy item"), t);
  std::string error;
  ASSERT_TRUE(w.write(folder.base(), &error)) << error;
  ContentDatabase db;
  ASSERT_TRUE(db.open(folder.base()));
  const auto rows = BasicHierarchySource(db).listChildren(w.indexOf(toc));
  ASSERT_EQ(rows.size(), std::size(texts));
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].text, MarkupRenderer::stripAllTags(texts[i])) << i;
  EXPECT_EQ(rows[0].text, u"a\nbcd");
  EXPECT_EQ(rows[1].text, u"x  2");
  EXPECT_EQ(rows[2].text, u"Renal x & hepatic");
  EXPECT_EQ(rows[3].text, u"a < b c");
  EXPECT_EQ(rows[4].text, u"<br");
  EXPECT_EQ(rows[5].text, u"&lt;b&gt;");  // decoded once, not twice
}

TEST(HierarchySource, LinksAndRoots) {
  HierarchyGuide g;
  EXPECT_EQ(linkTargetOf(g.db, g[u"leafA"]), g[u"page"]);
  EXPECT_EQ(linkTargetOf(g.db, g[u"leafB"]), 0u);
  EXPECT_EQ(hierarchyRootFor(g.db, g[u"deepest"]), g[u"toc"]);
  // A table below the root (of type "guide") has no table ancestor: itself.
  EXPECT_EQ(hierarchyRootFor(g.db, g[u"toc"]), g[u"toc"]);
}

// Random hierarchies written to content and read back through the source:
// every entry's children, counts, leaf flags and path agree with the tree
// they were written from.
TEST(HierarchySource, RandomTreesReadBackAsWritten) {
  std::mt19937 rng(20071001);
  for (int round = 0; round < 12; ++round) {
    test::HierarchyFolder folder;
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    struct Node {
      H handle;
      std::u16string text;
      std::vector<size_t> children;
      std::vector<H> path;
    };
    std::vector<Node> nodes;
    const H table = w.add(0, u"table");
    w.setText(table, u"Contents");
    nodes.push_back({table, u"Contents", {}, {table}});
    std::function<void(size_t, int)> grow = [&](size_t parent, int depth) {
      const int n = depth > 4 ? 0 : static_cast<int>(rng() % 5);
      for (int i = 0; i < n; ++i) {
        // Other children mixed in must not count as entries.
        if (rng() % 3 == 0) w.setText(w.add(nodes[parent].handle, u"field"), u"f");
        const H h = w.add(nodes[parent].handle, u"hierarchy item");
        std::u16string text = u"e" + std::u16string(1, char16_t(u'a' + rng() % 26));
        w.setText(h, text);
        Node node{h, text, {}, nodes[parent].path};
        node.path.push_back(h);
        nodes.push_back(node);
        const size_t me = nodes.size() - 1;
        nodes[parent].children.push_back(me);
        if (rng() % 2) grow(me, depth + 1);
      }
    };
    grow(0, 0);
    std::string error;
    ASSERT_TRUE(w.write(folder.base(), &error)) << error;
    ContentDatabase db;
    ASSERT_TRUE(db.open(folder.base()));
    BasicHierarchySource s(db);
    for (const Node& node : nodes) {
      const ObjectIndex x = w.indexOf(node.handle);
      const auto entries = s.listChildren(x);
      ASSERT_EQ(entries.size(), node.children.size());
      EXPECT_EQ(s.childCount(x), node.children.size());
      EXPECT_EQ(s.isLeaf(x), node.children.empty());
      for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].object, w.indexOf(nodes[node.children[i]].handle));
        EXPECT_EQ(entries[i].text, nodes[node.children[i]].text);
      }
      if (node.handle == table) continue;
      std::vector<ObjectIndex> expected;
      for (H h : node.path) expected.push_back(w.indexOf(h));
      EXPECT_EQ(s.pathTo(x), expected);
    }
  }
}

}  // namespace
}  // namespace vantrel
