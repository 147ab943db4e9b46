#include <gtest/gtest.h>

#include "../content/RawContent.h"
#include "core/html/HtmlViewerModel.h"
#include "core/tools/DecisionTree.h"

using namespace vantrel;
using namespace vantrel::test;

// A damaged object table where object 5 names itself as its parent: the
// walks up the tree end instead of going round.
TEST(DamagedTree, ParentCyclesEndTheWalks) {
  RawContent c;
  for (const char* t : {"guide", "table", "table type", "question", "link"}) c.typeNames.push_back(c.addString(t));
  for (const char* k : {"none", "string", "object"}) c.kindNames.push_back(c.addString(k));
  struct Row {
    uint32_t parent, type, kind, value;
  };
  const Row rows[] = {{0, 0, 0, 0},
                      {0, 1, 1, c.addString("Tree")},
                      {1, 2, 1, c.addString("decision tree")},
                      {1, 3, 1, c.addString("Q1")},
                      {1, 3, 1, c.addString("Q2")},
                      {5, 4, 2, 3}};
  uint32_t id = 1;
  for (const Row& r : rows) {
    RawEntry e;
    e.id = id++;
    e.parent = r.parent;
    e.type = r.type;
    e.kind = r.kind;
    e.value = r.value;
    c.objects.push_back(e);
  }
  c.finish();
  TempDir dir;
  ASSERT_TRUE(c.write(dir.base()));
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir.base()));
  ASSERT_EQ(db.objectCount(), 6u);

  HtmlViewerModel viewer(db, HtmlPageKeys::fromDatabase(db));
  ASSERT_TRUE(viewer.show(1));
  DecisionTreePage& page = viewer.decisionTreePage();
  EXPECT_EQ(page.state().step1Root, 3u);
  EXPECT_EQ(page.stepRootOf(5), kNoObject);
  EXPECT_EQ(page.buildDecisionTreePage(5), std::u16string(kDecisionTreeHead));
  const DecisionTreeStep step = page.followDecisionTreeLink(5);
  EXPECT_EQ(step.object, 3u);  // the link's target; no step root met
  EXPECT_EQ(page.state().ecCode, 0u);
  EXPECT_FALSE(viewer.show(5));  // in no table
}
