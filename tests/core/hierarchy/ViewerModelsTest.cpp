// The decisions of the contents and tight hierarchy viewers: acceptance,
// tree rebuilds, the tap flow with its in-progress flag, the fields page
// and the field-jump list.
#include <gtest/gtest.h>

#include "HierarchyFixture.h"
#include "core/hierarchy/ContentsModel.h"
#include "core/hierarchy/FieldsPage.h"
#include "core/hierarchy/TightHierarchyModel.h"
#include "core/tools/DecisionTree.h"

namespace vantrel {
namespace {

using test::HierarchyGuide;

std::u16string dec(ObjectIndex n) {
  std::u16string s;
  appendDecimal(s, n);
  return s;
}
using Kind = HierarchySourceKind;

TEST(ContentsModel, AcceptsTheContentsAndTightCrtHierarchies) {
  HierarchyGuide g;
  const ObjectIndex toc = g[u"toc"];
  EXPECT_EQ(contentsSourceFor(g.db, toc, toc), Kind::Basic);
  EXPECT_EQ(contentsSourceFor(g.db, g[u"ch1"], toc), Kind::Basic);
  EXPECT_EQ(contentsSourceFor(g.db, g[u"deeper"], toc), Kind::Basic);
  EXPECT_EQ(contentsSourceFor(g.db, g[u"notice"], toc), Kind::None);  // a leaf opens elsewhere
  EXPECT_EQ(contentsSourceFor(g.db, g[u"leafA"], toc), Kind::None);
  // "tight crt": the table (it has a footnote) and items whose first entry has entries.
  EXPECT_EQ(contentsSourceFor(g.db, g[u"spectrum"], toc), Kind::TightCrt);
  EXPECT_EQ(contentsSourceFor(g.db, g[u"B"], toc), Kind::TightCrt);
  EXPECT_EQ(contentsSourceFor(g.db, g[u"G"], toc), Kind::None);  // the table viewer's
  EXPECT_EQ(contentsSourceFor(g.db, g[u"A"], toc), Kind::None);
  // Other tables, the root, page keys.
  EXPECT_EQ(contentsSourceFor(g.db, g[u"mono"], toc), Kind::None);
  EXPECT_EQ(contentsSourceFor(g.db, 0, toc), Kind::None);
  EXPECT_EQ(contentsSourceFor(g.db, g.db.objectCount() + 1, g.db.objectCount() + 1), Kind::None);
}

TEST(ContentsModel, ShowRebuildsUnlessATapInThePaneStartedIt) {
  HierarchyGuide g;
  ContentsModel m(g.db, g[u"toc"]);
  ASSERT_TRUE(m.show(g[u"toc"]));
  EXPECT_EQ(m.caption(), u"Contents");
  EXPECT_EQ(m.title(), u"Contents");
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::RootAndShow);
  EXPECT_EQ(m.rebuild().root, g[u"toc"]);

  // Reached from elsewhere: rooted at the table, the entry opened.
  ASSERT_TRUE(m.show(g[u"deeper"]));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::RootAndShow);
  EXPECT_EQ(m.rebuild().root, g[u"toc"]);
  EXPECT_EQ(m.rebuild().show, g[u"deeper"]);
  EXPECT_EQ(m.caption(), u"Contents");
  EXPECT_EQ(m.title(), u"Deeper");
  m.afterLayout();

  // A tap on a branch: navigate to it, keep the tree; a second tap before
  // the page is laid out is ignored.
  EntryTapAction a = m.entryTapped(g[u"ch1"], false);
  EXPECT_EQ(a.kind, EntryTapAction::Kind::Navigate);
  EXPECT_EQ(a.target, g[u"ch1"]);
  EXPECT_TRUE(a.data.empty());
  EXPECT_EQ(m.entryTapped(g[u"ch2"], false).kind, EntryTapAction::Kind::Nothing);
  ASSERT_TRUE(m.show(g[u"ch1"]));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::Keep);
  EXPECT_EQ(m.title(), u"Ch<b>1</b>");
  m.afterLayout();
  EXPECT_FALSE(m.tapInProgress());
  ASSERT_TRUE(m.show(g[u"ch1"]));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::RootAndShow);

  // The "tight crt" source for tables of that type.
  ASSERT_TRUE(m.show(g[u"B"]));
  EXPECT_EQ(m.sourceKind(), Kind::TightCrt);
  EXPECT_EQ(m.rebuild().root, g[u"spectrum"]);
  EXPECT_EQ(m.caption(), u"Spectrum");
  EXPECT_FALSE(m.show(g[u"mono"]));
}

TEST(ContentsModel, LeafTapsFollowTheLinkOrOpenTheEntry) {
  HierarchyGuide g;
  ContentsModel m(g.db, g[u"toc"]);
  ASSERT_TRUE(m.show(g[u"toc"]));
  EntryTapAction a = m.entryTapped(g[u"leafA"], true);
  EXPECT_EQ(a.kind, EntryTapAction::Kind::Navigate);
  EXPECT_EQ(a.target, g[u"page"]);
  EXPECT_TRUE(a.showPaneAgain);
  a = m.entryTapped(g[u"leafB"], true);
  EXPECT_EQ(a.target, g[u"leafB"]);
  EXPECT_FALSE(m.tapInProgress());  // leaves never hold the tree
}

TEST(ContentsModel, ABranchPageAnotherViewerTakesDoesNotLeaveTheTapHanging) {
  HierarchyGuide g;
  ContentsModel m(g.db, g[u"toc"]);
  ASSERT_TRUE(m.show(g[u"toc"]));
  ASSERT_EQ(m.entryTapped(g[u"ch1"], false).kind, EntryTapAction::Kind::Navigate);
  // The page went to another viewer: no afterLayout reaches this one.
  EXPECT_FALSE(m.show(g[u"h1"]));
  ASSERT_TRUE(m.show(g[u"deeper"]));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::RootAndShow);
}

TEST(FieldsPage, BuildsTheExactPage) {
  HierarchyGuide g;
  FieldsPage p(g.db);
  p.prepareFieldNames(g[u"mono"]);
  ASSERT_EQ(p.fieldNames().size(), 4u);
  EXPECT_EQ(p.fieldNames()[1].text, u"");
  const std::u16string f1 = dec(g[u"f1"]);
  const std::u16string f2 = dec(g[u"f2"]);
  const std::u16string f4 = dec(g[u"f4"]);
  // The empty third field is left out; the unnamed second one has no line break after its name.
  EXPECT_EQ(p.buildFieldsPage(g[u"drug"]),
            u"<HTML><BODY><FONT FACE='PPC_font2'>"
            u"<B><A NAME=" + f1 + u">Class</A></B><BR>Pen<BR>"
            u"<B><A NAME=" + f2 + u"></A></B>no name<BR>"
            u"<B><A NAME=" + f4 + u">Notes</A></B><BR>Note <a href=\"1\">x</a><BR>"
            u"</FONT></BODY></HTML>");
  EXPECT_EQ(p.fieldNames()[0].field, g[u"f1"]);
  EXPECT_EQ(p.fieldNames()[2].field, 0u);
  // The jump list: names with a text that this page filled.
  const auto filled = p.filledNames();
  ASSERT_EQ(filled.size(), 2u);
  EXPECT_EQ(filled[0], (std::pair<std::u16string, ObjectIndex>{u"Class", g[u"f1"]}));
  EXPECT_EQ(filled[1], (std::pair<std::u16string, ObjectIndex>{u"Notes", g[u"f4"]}));
  // With the entry's text, and for an entry without fields.
  p.setShowEntryText(true);
  EXPECT_EQ(p.buildFieldsPage(g[u"bare"]), u"<HTML><BODY><FONT FACE='PPC_font2'>Bare<BR><BR></FONT></BODY></HTML>");
}

TEST(FieldsPage, FieldsBeyondTheNamesAreLeftOut) {
  HierarchyGuide g;
  FieldsPage p(g.db);
  p.prepareFieldNames(g[u"sites"]);  // one name
  const std::u16string page = p.buildFieldsPage(g[u"drug"]);
  EXPECT_NE(page.find(u">F</A></B><BR>Pen<BR>"), std::u16string::npos);
  EXPECT_EQ(page.find(u"no name"), std::u16string::npos);
}

TEST(TightHierarchyModel, AcceptsObjectsOfTablesWithFieldNames) {
  HierarchyGuide g;
  EXPECT_EQ(tightHierarchyTableOf(g.db, g[u"mono"]), g[u"mono"]);
  EXPECT_EQ(tightHierarchyTableOf(g.db, g[u"drug"]), g[u"mono"]);
  EXPECT_EQ(tightHierarchyTableOf(g.db, g[u"f1"]), g[u"mono"]);
  EXPECT_EQ(tightHierarchyTableOf(g.db, g[u"cond"]), g[u"sites"]);
  EXPECT_EQ(tightHierarchyTableOf(g.db, g[u"toc"]), 0u);
  EXPECT_EQ(tightHierarchyTableOf(g.db, g[u"r1"]), 0u);
  EXPECT_EQ(tightHierarchyTableOf(g.db, 0), 0u);
  EXPECT_EQ(tightHierarchyTableOf(g.db, g.db.objectCount()), 0u);
}

TEST(TightHierarchyModel, ShowStepsAndTaps) {
  HierarchyGuide g;
  TightHierarchyModel m(g.db);
  // The table: the tree only.
  ASSERT_TRUE(m.show(g[u"mono"], nullptr, 0));
  EXPECT_EQ(m.caption(), u"Mono");
  EXPECT_EQ(m.title(), u"Mono");
  EXPECT_EQ(m.entryToShow(), 0u);
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::RootAndShow);
  EXPECT_EQ(m.rebuild().root, g[u"mono"]);

  // A leaf tapped in the tree: its fields, the tree kept.
  EntryTapAction a = m.entryTapped(g[u"drug"], true);
  EXPECT_EQ(a.kind, EntryTapAction::Kind::Navigate);
  EXPECT_EQ(a.data, std::vector<uint8_t>{1});
  EXPECT_EQ(m.entryTapped(g[u"bare"], true).kind, EntryTapAction::Kind::Nothing);
  const uint8_t one = 1;
  ASSERT_TRUE(m.show(g[u"drug"], &one, 1));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::Keep);
  EXPECT_EQ(m.entryToShow(), g[u"drug"]);
  EXPECT_EQ(m.title(), u"Drug");
  EXPECT_FALSE(m.tapInProgress());
  m.fieldsPage().pageText(m.entryToShow());
  EXPECT_EQ(m.fieldJumpList().size(), 2u);

  // Reached with an anchor from elsewhere.
  const std::vector<uint8_t> anchor = encodeAnchorData(u"123");
  ASSERT_TRUE(m.show(g[u"drug"], anchor.data(), anchor.size()));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::RootAndShow);
  EXPECT_EQ(m.anchor(), u"123");
  EXPECT_EQ(m.entryToShow(), g[u"drug"]);

  // An entry without fields: its title, no page, no jump list.
  ASSERT_TRUE(m.show(g[u"bare"], nullptr, 0));
  EXPECT_EQ(m.entryToShow(), 0u);
  EXPECT_EQ(m.title(), u"Bare");
  EXPECT_TRUE(m.fieldJumpList().empty());

  // A linked leaf goes where it leads; a branch opens its page.
  a = m.entryTapped(g[u"linked"], true);
  EXPECT_EQ(a.target, g[u"page"]);
  EXPECT_TRUE(a.data.empty());
  a = m.entryTapped(g[u"group"], false);
  EXPECT_EQ(a.target, g[u"group"]);
  EXPECT_TRUE(a.data.empty());

  // The linked table itself: its tree, no page.
  ASSERT_TRUE(m.show(g[u"sites"], nullptr, 0));
  EXPECT_EQ(m.rebuild().kind, TreeRebuild::Kind::Root);
  EXPECT_EQ(m.entryToShow(), 0u);
  EXPECT_FALSE(m.show(g[u"toc"], nullptr, 0));
  EXPECT_EQ(m.fieldNameTexts(), (std::vector<std::u16string>{u"F"}));
}

}  // namespace
}  // namespace vantrel
