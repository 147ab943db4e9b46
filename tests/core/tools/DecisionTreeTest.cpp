#include <gtest/gtest.h>

#include <string>

#include "../html/GuideFixture.h"
#include "core/html/HtmlViewerModel.h"
#include "core/tools/DecisionTree.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

std::string dec(ObjectIndex i) { return std::to_string(i); }

// root "guide"
//   table "PEP" (table type "decision tree")
//     question Q1 "Source?"          step 1
//       answer A1 "Blood" -> question Q1b "Severity?"
//         answer "Minor" -> link ec1;  answer "Severe" -> link ec2
//       answer A2 "Skin" -> link ecnone
//     question Q2 "Status?"          step 2
//       answer "Positive" -> link sc1; answer "Unknown" -> link scU; answer "Empty" (no children)
//     hierarchy item "Codes": results ec1 ec2 ecnone sc1 scU
//     version "Rec 1" (ec1, sc1); version "Rec 2" (sc1, ec2: SC first); version "Rec 3" (ec2, scU)
class Tree : public ::testing::Test {
 protected:
  void SetUp() override {
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    const H tree = addText(w, 0, u"table", u"PEP");
    addText(w, tree, u"table type", u"decision tree");
    const H q1 = addText(w, tree, u"question", u"Source?");
    const H q2 = addText(w, tree, u"question", u"Status?");
    const H codes = addText(w, tree, u"hierarchy item", u"Codes");
    const H ec1 = addText(w, codes, u"result", u"EC 1");
    const H ec2 = addText(w, codes, u"result", u"EC 2");
    const H ecnone = addText(w, codes, u"result", u"EC none");
    const H sc1 = addText(w, codes, u"result", u"SC 1");
    const H scU = addText(w, codes, u"result", u"SC unknown");
    const H a1 = addText(w, q1, u"answer", u"Blood");
    const H q1b = addText(w, a1, u"question", u"Severity?");
    const H minor = addText(w, q1b, u"answer", u"Minor");
    addLink(w, minor, ec1);
    const H severe = addText(w, q1b, u"answer", u"Severe");
    addLink(w, severe, ec2);
    const H a2 = addText(w, q1, u"answer", u"Skin");
    addLink(w, a2, ecnone);
    const H pos = addText(w, q2, u"answer", u"Positive");
    addLink(w, pos, sc1);
    const H unk = addText(w, q2, u"answer", u"Unknown");
    addLink(w, unk, scU);
    const H empty = addText(w, q2, u"answer", u"Empty");
    const H versions[3][2] = {{ec1, sc1}, {sc1, ec2}, {ec2, scU}};
    for (int i = 0; i < 3; ++i) {
      const H v = addText(w, tree, u"version", u"Rec " + std::u16string(1, u'1' + i));
      addLink(w, v, versions[i][0]);
      addLink(w, v, versions[i][1]);
    }
    const H other = addText(w, 0, u"table", u"Other");
    plain = w.indexOf(other);
    ASSERT_TRUE(guide.open(w));
    auto idx = [&](H h) { return w.indexOf(h); };
    T = idx(tree), Q1 = idx(q1), Q2 = idx(q2), Q1b = idx(q1b), A1 = idx(a1), A2 = idx(a2);
    Minor = idx(minor), Severe = idx(severe), Pos = idx(pos), Unk = idx(unk), Empty = idx(empty);
    EC1 = idx(ec1), EC2 = idx(ec2), ECnone = idx(ecnone), SC1 = idx(sc1), SCU = idx(scU);
    ASSERT_EQ(Q2, Q1 + 1);
  }

  GuideFile guide;
  ObjectIndex T = 0, Q1 = 0, Q2 = 0, Q1b = 0, A1 = 0, A2 = 0, Minor = 0, Severe = 0, Pos = 0, Unk = 0, Empty = 0;
  ObjectIndex EC1 = 0, EC2 = 0, ECnone = 0, SC1 = 0, SCU = 0, plain = 0;
};

const std::string kHead =
    "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>Please pecify the following EC and HIV SC codes to see the "
    "Post-Exposure Prophylaxis(PEP) Recommendation<br/><br/>";

// Shows the page the navigation asks for and answers its text.
struct Walk {
  HtmlViewerModel& viewer;
  std::string go(const HtmlNavigation& n) {
    EXPECT_TRUE(viewer.show(n.object, n.data.data(), n.data.size())) << n.object;
    return u8(viewer.pageText());
  }
  std::string tap(ObjectIndex link) { return go(viewer.linkTapped(link)); }
};

}  // namespace

TEST_F(Tree, PagesAsBuilt) {
  DecisionTreePage page(guide.db);
  EXPECT_EQ(u8(page.decisionTreeTitle()), "");
  page.resetDecisionTree(T);
  EXPECT_EQ(u8(page.decisionTreeTitle()), "PEP");
  EXPECT_EQ(page.state().step1Root, Q1);
  EXPECT_EQ(page.state().step2Root, Q2);
  EXPECT_EQ(u8(page.buildDecisionTreePage(T)),
            kHead + "<A HREF=\"" + dec(Q1) + "\">Step 1: Determine the Exposure Code(EC)</A><br /><br /><A HREF=\"" +
                dec(Q2) + "\">Step 2: Determien the HIV Status Code(HIV SC)</A><br /><br />");
  // A page inside the chain: every question on the path, the chosen answer in bold.
  EXPECT_EQ(u8(page.buildDecisionTreePage(Q1b)),
            kHead + "EC Undetermined<br />SC Undetermined<br /><br /><b>Step 1: Determine the Exposure Code(EC)</b>"
                    "<br /><A NAME=\"" + dec(Q1) + "\">Source?<UL><LI><B>Blood</B></LI><LI><A HREF=\"" + dec(A2) +
                "\">Skin</A></LI></UL><br /><A NAME=\"" + dec(Q1b) + "\">Severity?<UL><LI><A HREF=\"" + dec(Minor) +
                "\">Minor</A></LI><LI><A HREF=\"" + dec(Severe) + "\">Severe</A></LI></UL><br />");
  // An answer without children is its own page: its question with it in bold.
  EXPECT_EQ(page.followDecisionTreeLink(Empty).object, Empty);
  EXPECT_EQ(u8(page.buildDecisionTreePage(Empty)),
            kHead + "EC Undetermined<br />SC Undetermined<br /><br /><b>Step 2: Determien the HIV Status Code(HIV SC)"
                    "</b><br /><A NAME=\"" + dec(Q2) + "\">Status?<UL><LI><A HREF=\"" + dec(Pos) +
                "\">Positive</A></LI><LI><A HREF=\"" + dec(Unk) + "\">Unknown</A></LI><LI><B>Empty</B></LI></UL><br />");
  // Objects outside both chains add nothing after the head.
  EXPECT_EQ(u8(page.buildDecisionTreePage(plain)), kHead);
  EXPECT_EQ(page.inlineImage(u"a.gif", 1), InlineImage{});
}

TEST_F(Tree, BeforeAnyTreeIsOpenedNothingIsAStepRoot) {
  DecisionTreePage page(guide.db);
  EXPECT_EQ(page.stepRootOf(Q1), kNoObject);
  EXPECT_EQ(page.stepRootOf(0), kNoObject);
  EXPECT_EQ(u8(page.buildDecisionTreePage(Q1b)), kHead);
  // A link reached with no tree open changes nothing and leads to its target.
  const DecisionTreeStep step = page.followDecisionTreeLink(Minor);
  EXPECT_EQ(step.object, EC1);
  EXPECT_EQ(step.anchor, u"");
  EXPECT_EQ(page.state().ecCode, 0u);
}

TEST_F(Tree, WalkExposureCodeFirstThenChangeIt) {
  HtmlViewerModel viewer(guide.db, HtmlPageKeys::fromDatabase(guide.db));
  Walk walk{viewer};
  std::string html = walk.go({T, {}});
  EXPECT_EQ(viewer.currentSource(), HtmlSourceKind::decisionTree);
  EXPECT_TRUE(viewer.showsRestartBar());
  EXPECT_EQ(u8(viewer.title()), "PEP");
  EXPECT_EQ(html.find("Undetermined"), std::string::npos);  // the tree page lists only the two steps

  html = walk.tap(Q1);  // "Step 1" link
  EXPECT_EQ(viewer.objectToShow(), Q1);
  EXPECT_EQ(u8(viewer.anchor()), dec(Q1));
  html = walk.tap(A1);  // "Blood" leads to the next question
  EXPECT_EQ(viewer.objectToShow(), Q1b);
  EXPECT_EQ(u8(viewer.anchor()), dec(Q1b));
  html = walk.tap(Severe);  // EC 2 reached, HIV SC still open: step 2
  EXPECT_EQ(viewer.objectToShow(), Q2);
  EXPECT_EQ(u8(viewer.anchor()), dec(Q2));
  EXPECT_NE(html.find("EC 2<br />SC Undetermined<br /><br /><b>Step 2"), std::string::npos) << html;
  html = walk.tap(Pos);  // both known: the result with the recommendation (its links SC first)
  EXPECT_EQ(viewer.objectToShow(), SC1);
  EXPECT_EQ(u8(viewer.anchor()), "");
  EXPECT_EQ(html, kHead + "EC 2 <A HREF=\"" + dec(Q1) + "\">Change</A><br /><br />SC 1 <A HREF=\"" + dec(Q2) +
                      "\">Change</A><br /><br />Rec 2");

  // "Change" next to the EC: answer again to another code.
  html = walk.tap(Q1);
  EXPECT_EQ(viewer.objectToShow(), Q1);
  EXPECT_NE(html.find("EC 2<br />SC 1<br /><br />"), std::string::npos);
  html = walk.tap(A2);  // "Skin": EC none, no recommendation for the pair
  EXPECT_EQ(viewer.objectToShow(), ECnone);
  EXPECT_EQ(html, kHead + "EC none <A HREF=\"" + dec(Q1) + "\">Change</A><br /><br />SC 1 <A HREF=\"" + dec(Q2) +
                      "\">Change</A><br /><br />");
  walk.tap(Q1);
  walk.tap(A1);
  html = walk.tap(Minor);
  EXPECT_EQ(viewer.objectToShow(), EC1);
  EXPECT_EQ(html.substr(html.size() - 5), "Rec 1");

  // "New evaluation" reopens the tree: both codes undetermined again.
  const HtmlNavigation restart = viewer.restart();
  EXPECT_EQ(restart.object, T);
  EXPECT_TRUE(restart.data.empty());
  walk.go(restart);
  EXPECT_EQ(viewer.decisionTreePage().state().ecCode, 0u);
  EXPECT_EQ(viewer.decisionTreePage().state().scCode, 0u);
  html = walk.tap(Q2);
  EXPECT_NE(html.find("EC Undetermined<br />SC Undetermined"), std::string::npos);
}

TEST_F(Tree, WalkStatusCodeFirst) {
  HtmlViewerModel viewer(guide.db, HtmlPageKeys::fromDatabase(guide.db));
  Walk walk{viewer};
  walk.go({T, {}});
  walk.tap(Q2);
  std::string html = walk.tap(Unk);  // SC reached first: back to step 1
  EXPECT_EQ(viewer.objectToShow(), Q1);
  EXPECT_EQ(u8(viewer.anchor()), dec(Q1));
  EXPECT_NE(html.find("EC Undetermined<br />SC unknown<br /><br /><b>Step 1"), std::string::npos) << html;
  walk.tap(A1);
  html = walk.tap(Severe);
  EXPECT_EQ(viewer.objectToShow(), EC2);
  EXPECT_EQ(html, kHead + "EC 2 <A HREF=\"" + dec(Q1) + "\">Change</A><br /><br />SC unknown <A HREF=\"" + dec(Q2) +
                      "\">Change</A><br /><br />Rec 3");
  // Changing the SC keeps the EC.
  walk.tap(Q2);
  html = walk.tap(Pos);
  EXPECT_EQ(viewer.objectToShow(), SC1);
  EXPECT_EQ(html.substr(html.size() - 5), "Rec 2");
}

TEST_F(Tree, AnchorComesBackFromPageData) {
  HtmlViewerModel viewer(guide.db, HtmlPageKeys::fromDatabase(guide.db));
  viewer.show(T);
  const HtmlNavigation n = viewer.linkTapped(A1);
  ASSERT_EQ(n.data.size(), (dec(Q1b).size() + 1) * 2);
  EXPECT_EQ(n.data[n.data.size() - 1], 0);
  EXPECT_EQ(n.data[n.data.size() - 2], 0);
  // As from the history, later: the same object with the same bytes.
  ASSERT_TRUE(viewer.show(T));
  EXPECT_EQ(viewer.anchor(), u"");
  ASSERT_TRUE(viewer.show(n.object, n.data.data(), n.data.size()));
  EXPECT_EQ(u8(viewer.anchor()), dec(Q1b));
  // The anchor ends at the terminator or at the end of the data, whichever comes first.
  const std::vector<uint8_t> data = encodeAnchorData(u"2512");
  EXPECT_EQ(decodeAnchorData(data.data(), data.size()), u"2512");
  EXPECT_EQ(decodeAnchorData(data.data(), 5), u"25");
  EXPECT_EQ(decodeAnchorData(data.data(), 0), u"");
  EXPECT_EQ(decodeAnchorData(nullptr, 4), u"");
  // Page data on a page that is not a decision-tree page is not an anchor.
  ASSERT_TRUE(viewer.show(viewer.keys().calcResult, data.data(), data.size()));
  EXPECT_EQ(viewer.anchor(), u"");
  EXPECT_FALSE(viewer.showsRestartBar());
}

TEST_F(Tree, Recommendations) {
  DecisionTreePage page(guide.db);
  EXPECT_EQ(page.findRecommendation(EC1, SC1), kNoObject);  // no tree opened
  page.resetDecisionTree(T);
  const ObjectIndex rec1 = page.findRecommendation(EC1, SC1);
  ASSERT_NE(rec1, kNoObject);
  EXPECT_EQ(page.findRecommendation(SC1, EC1), rec1);
  EXPECT_NE(page.findRecommendation(EC2, SC1), kNoObject);  // stored SC first
  EXPECT_NE(page.findRecommendation(EC2, SC1), rec1);
  EXPECT_EQ(page.findRecommendation(ECnone, SC1), kNoObject);
  EXPECT_EQ(page.findRecommendation(0, 0), kNoObject);
}

TEST(DecisionTreeNoQuestions, TreeWithoutQuestionsHasNoStepRoots) {
  GuideFile guide;
  ContentWriter w(u"guide");
  const auto tree = addText(w, 0, u"table", u"Empty tree");
  addText(w, tree, u"table type", u"decision tree");
  const auto item = addText(w, tree, u"hierarchy item", u"x");
  ASSERT_TRUE(guide.open(w));
  HtmlViewerModel viewer(guide.db, HtmlPageKeys::fromDatabase(guide.db));
  ASSERT_TRUE(viewer.show(w.indexOf(tree)));
  EXPECT_EQ(u8(viewer.pageText()), kHead);
  EXPECT_EQ(viewer.decisionTreePage().stepRootOf(0), kNoObject);
  ASSERT_TRUE(viewer.show(w.indexOf(item)));
  EXPECT_EQ(u8(viewer.pageText()), kHead);
}

TEST_F(Tree, NewEvaluationFromAPageReachedWithoutOpeningTheTree) {
  HtmlViewerModel viewer(guide.db, HtmlPageKeys::fromDatabase(guide.db));
  // A question page opened directly (from a bookmark): no tree open yet.
  ASSERT_TRUE(viewer.show(Q1b));
  EXPECT_EQ(u8(viewer.pageText()), kHead);
  EXPECT_EQ(u8(viewer.title()), "PEP");
  EXPECT_EQ(viewer.restart().object, T);
  viewer.show(T);
  viewer.show(Q1b);
  EXPECT_EQ(viewer.restart().object, T);
}
