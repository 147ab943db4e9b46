// The tree pane over the platform tree control: lazy filling, showObject,
// taps on labels and expand buttons with their notifications; and the split
// window's splitter (drag, snap, pictures).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "../../core/hierarchy/HierarchyFixture.h"
#include "ui/hierarchy/HierarchySplitWindow.h"
#include "ui/hierarchy/HierarchyTreePane.h"

namespace vantrel {
namespace {

using test::HierarchyGuide;

struct Tap {
  ObjectIndex object;
  bool leaf;
  ObjectIndex highlightedThen;
};

class RecordingOwner : public HierarchyPaneOwner {
 public:
  void onEntryTapped(HierarchyTreePane& pane, ObjectIndex object, bool leaf) override {
    taps.push_back({object, leaf, pane.highlighted()});
    if (rebuildTo) pane.setRoot(rebuildTo);
  }
  std::vector<Tap> taps;
  ObjectIndex rebuildTo = 0;
};

class TreePaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pane = std::make_unique<HierarchyTreePane>(nullptr, 96, 96);
    pane->setupPane(u"Contents", &source);
    pane->setOwner(&owner);
    pane->resize(240, 268);
    pane->show();
  }
  std::vector<ObjectIndex> shown() const {
    std::vector<ObjectIndex> out;
    for (const TreeRow& r : pane->rows()) out.push_back(r.object);
    return out;
  }
  const TreeRow row(ObjectIndex object) const {
    for (const TreeRow& r : pane->rows())
      if (r.object == object) return r;
    ADD_FAILURE() << "no row for " << object;
    return {};
  }
  void press(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* vp = pane->tree()->viewport();
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(p), vp->mapToGlobal(QPointF(p)), button, button,
                     Qt::NoModifier);
    QApplication::sendEvent(vp, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(p), vp->mapToGlobal(QPointF(p)), button, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(vp, &up);
  }

  HierarchyGuide g;
  BasicHierarchySource source{g.db};
  RecordingOwner owner;
  std::unique_ptr<HierarchyTreePane> pane;
};

TEST_F(TreePaneTest, FillsBranchesOnlyWhenFirstExpanded) {
  pane->setRoot(g[u"toc"]);
  EXPECT_EQ(shown(), (std::vector<ObjectIndex>{g[u"notice"], g[u"ch1"], g[u"ch2"]}));
  EXPECT_EQ(pane->itemCount(), 5u);  // three entries, two placeholders
  EXPECT_TRUE(row(g[u"notice"]).leaf);
  EXPECT_FALSE(row(g[u"ch1"]).leaf);
  EXPECT_EQ(row(g[u"ch2"]).text, u"Line\ntwo & more");

  ASSERT_TRUE(pane->setExpanded(g[u"ch1"], true));
  EXPECT_EQ(shown(), (std::vector<ObjectIndex>{g[u"notice"], g[u"ch1"], g[u"s11"], g[u"s12"], g[u"ch2"]}));
  EXPECT_EQ(row(g[u"s11"]).depth, 1);
  EXPECT_TRUE(row(g[u"ch1"]).expanded);
  ASSERT_TRUE(pane->setExpanded(g[u"ch1"], false));
  EXPECT_EQ(shown().size(), 3u);
  ASSERT_TRUE(pane->setExpanded(g[u"ch1"], true));
  EXPECT_EQ(shown(), (std::vector<ObjectIndex>{g[u"notice"], g[u"ch1"], g[u"s11"], g[u"s12"], g[u"ch2"]}));
  EXPECT_EQ(pane->itemCount(), 7u);  // the placeholder went, s11 (with its own) and s12 came
  // Items inside a collapsed branch are not in the tree as shown.
  EXPECT_FALSE(pane->setExpanded(g[u"deep"], true));
  EXPECT_FALSE(pane->setExpanded(g[u"h1"], true));
}

TEST_F(TreePaneTest, ShowObjectOpensThePathAndScrollsTheItemToTheTop) {
  pane->resize(240, 80);
  pane->setRoot(g[u"toc"]);
  ASSERT_TRUE(pane->showObject(g[u"deep"], true));
  EXPECT_EQ(pane->highlighted(), g[u"deep"]);
  EXPECT_TRUE(row(g[u"ch2"]).expanded);
  EXPECT_TRUE(row(g[u"deep"]).expanded);  // asked to expand
  EXPECT_FALSE(row(g[u"deeper"]).expanded);
  pane->applyPendingScroll();
  EXPECT_EQ(pane->firstVisible(), g[u"deep"]);
  EXPECT_FALSE(row(g[u"notice"]).inView);
  // Only the path was filled: ch1's branch still holds its placeholder.
  EXPECT_FALSE(row(g[u"ch1"]).expanded);
  EXPECT_EQ(pane->itemCount(), 7u);  // three entries, ch1's placeholder, deep, deeper and its placeholder

  // Already loaded: found without opening anything more.
  ASSERT_TRUE(pane->showObject(g[u"ch1"], false));
  EXPECT_EQ(pane->highlighted(), g[u"ch1"]);
  EXPECT_FALSE(row(g[u"ch1"]).expanded);

  // Not in this hierarchy: the tree stays, nothing highlighted.
  const auto before = shown();
  EXPECT_FALSE(pane->showObject(g[u"r1"], true));
  EXPECT_EQ(pane->highlighted(), 0u);
  EXPECT_EQ(shown(), before);
}

TEST_F(TreePaneTest, LabelTapsHighlightNotifyAndExpandButtonsOnlyExpand) {
  pane->setRoot(g[u"toc"]);
  QApplication::processEvents();
  const TreeRow ch1 = row(g[u"ch1"]);
  // The expand button, left of the label: expands, tells nobody.
  press(QPoint(ch1.x - 8, ch1.y + ch1.h / 2));
  EXPECT_TRUE(owner.taps.empty());
  EXPECT_TRUE(row(g[u"ch1"]).expanded);
  EXPECT_EQ(pane->highlighted(), 0u);
  press(QPoint(ch1.x - 8, ch1.y + ch1.h / 2));
  EXPECT_FALSE(row(g[u"ch1"]).expanded);

  // The label: highlighted before the owner hears of it, then expanded.
  press(QPoint(ch1.x + 5, ch1.y + ch1.h / 2));
  ASSERT_EQ(owner.taps.size(), 1u);
  EXPECT_EQ(owner.taps[0].object, g[u"ch1"]);
  EXPECT_FALSE(owner.taps[0].leaf);
  EXPECT_EQ(owner.taps[0].highlightedThen, g[u"ch1"]);
  EXPECT_TRUE(row(g[u"ch1"]).expanded);

  const TreeRow notice = row(g[u"notice"]);
  press(QPoint(notice.x + 5, notice.y + notice.h / 2));
  ASSERT_EQ(owner.taps.size(), 2u);
  EXPECT_TRUE(owner.taps[1].leaf);
  EXPECT_EQ(pane->highlighted(), g[u"notice"]);
}

TEST_F(TreePaneTest, OnlyTheLeftButtonOnTheLabelTaps) {
  pane->setRoot(g[u"toc"]);
  QApplication::processEvents();
  const TreeRow notice = row(g[u"notice"]);
  const TreeRow ch1 = row(g[u"ch1"]);
  // Right and middle buttons, on the label and on the expand button: nothing.
  for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
    press(QPoint(notice.x + 5, notice.y + notice.h / 2), b);
    press(QPoint(ch1.x - 8, ch1.y + ch1.h / 2), b);
  }
  EXPECT_TRUE(owner.taps.empty());
  EXPECT_EQ(pane->highlighted(), 0u);
  EXPECT_FALSE(row(g[u"ch1"]).expanded);

  // The row past the end of its text is blank space, not the label; the
  // "Line two & more" row makes the column wider than "Notice".
  QTreeWidgetItem* item = pane->tree()->itemAt(QPoint(notice.x + 5, notice.y + notice.h / 2));
  ASSERT_NE(item, nullptr);
  const QRect label = pane->tree()->labelRect(item);
  const QRect whole = pane->tree()->visualItemRect(item);
  ASSERT_LT(label.right() + 10, whole.right()) << "the row should be wider than its label";
  EXPECT_EQ(label.left(), whole.left());
  EXPECT_GE(label.width(), pane->tree()->fontMetrics().horizontalAdvance("Notice"));
  press(QPoint(label.right() + 6, notice.y + notice.h / 2));
  EXPECT_TRUE(owner.taps.empty());
  press(QPoint(label.right() - 2, notice.y + notice.h / 2));
  ASSERT_EQ(owner.taps.size(), 1u);
  EXPECT_EQ(owner.taps[0].object, g[u"notice"]);
}

// Counts the font changes a widget is told of.
struct FontChanges : QObject {
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::FontChange) ++count;
    return false;
  }
  int count = 0;
};

TEST_F(TreePaneTest, TheFontIsSetOnlyWhenItChanges) {
  pane->setRoot(g[u"toc"]);
  FontChanges changes;
  pane->tree()->installEventFilter(&changes);
  const QFont before = pane->tree()->font();
  // Every show of the contents sets the pane up again, taps included.
  for (int i = 0; i < 3; ++i) pane->setupPane(u"Contents", &source);
  const TreeRow notice = row(g[u"notice"]);
  press(QPoint(notice.x + 5, notice.y + notice.h / 2));
  pane->setupPane(u"Chapter", &source);
  EXPECT_EQ(changes.count, 0);
  EXPECT_EQ(pane->tree()->font(), before);
  EXPECT_TRUE(pane->tree()->testAttribute(Qt::WA_SetFont));
  // A pane at another resolution gets its own size.
  HierarchyTreePane large(nullptr, 192, 192);
  large.setupPane(u"Contents", &source);
  EXPECT_GT(large.tree()->font().pixelSize(), before.pixelSize());
  pane->tree()->removeEventFilter(&changes);
}

TEST_F(TreePaneTest, AnOwnerThatRebuildsTheTreeDuringATapIsSafe) {
  pane->setRoot(g[u"toc"]);
  owner.rebuildTo = g[u"toc"];
  const TreeRow ch2 = row(g[u"ch2"]);
  press(QPoint(ch2.x + 5, ch2.y + 3));
  ASSERT_EQ(owner.taps.size(), 1u);
  // The tapped item went with the rebuild; nothing was expanded or highlighted.
  EXPECT_EQ(shown(), (std::vector<ObjectIndex>{g[u"notice"], g[u"ch1"], g[u"ch2"]}));
  EXPECT_FALSE(row(g[u"ch2"]).expanded);
  EXPECT_EQ(pane->highlighted(), 0u);
}

TEST(SplitWindow, SplitterDragsSnapsAndFollowsTheOrientation) {
  HierarchySplitWindow w(nullptr, 96, 96);
  w.resize(240, 246);
  w.show();
  EXPECT_EQ(w.splitter()->bitmap(), 400);
  EXPECT_EQ(w.splitter()->image().size(), QSize(240, 15));
  const int top = w.splitter()->y();
  EXPECT_EQ(w.treePane()->geometry().bottom() + 1, top);
  EXPECT_EQ(w.htmlPane()->y(), top + 15);

  w.penDown(QPoint(50, w.split().hitTop(w.height(), w.contentTop()) + 3));
  ASSERT_TRUE(w.split().dragging());
  w.penMove(QPoint(50, -400));
  EXPECT_FLOAT_EQ(w.split().ratio(), 0.25f);
  w.penUp(QPoint(50, -400));
  EXPECT_LT(w.splitter()->y(), top);
  // The middle mark snaps back to the middle.
  w.penUp(QPoint(240 - 24, w.split().hitTop(w.height(), w.contentTop()) + 3));
  EXPECT_FLOAT_EQ(w.split().ratio(), 0.5f);
  EXPECT_EQ(w.splitter()->y(), top);

  w.resize(320, 200);
  EXPECT_EQ(w.splitter()->bitmap(), 401);
  EXPECT_EQ(w.splitter()->image().size(), QSize(320, 15));
  HierarchySplitWindow high(nullptr, 192, 192);
  high.resize(480, 600);
  high.show();
  EXPECT_EQ(high.splitter()->image().size(), QSize(480, 30));
}

}  // namespace
}  // namespace vantrel
