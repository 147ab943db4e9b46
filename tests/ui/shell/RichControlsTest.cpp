#include <gtest/gtest.h>

#include <QApplication>

#include "ui/tables/MarkupMenu.h"
#include "ui/tables/RichTitleHeader.h"

namespace vantrel {
namespace {

TEST(MenuHost, FillTrackAndChooseReportsTheIndex) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  MenuHost host(&top, 96, 96);
  VectorItemSource items({{u"<A HREF=\"12\">Chapter 3</A>", 7}, {u"<b>Second</b>", 8}, {u"Third &amp; last", 9}});
  host.fill(items);
  std::vector<int> chosen;
  host.setChosenHandler([&](int i) { chosen.push_back(i); });
  host.track(MenuHost::kBottomAlign, 0, 300);
  QApplication::processEvents();
  MarkupMenu* menu = host.menu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->y() + menu->height(), 300);
  EXPECT_EQ(menu->itemTexts(), (QStringList{"Chapter 3", "Second", "Third & last"}));
  EXPECT_EQ(menu->height(), 3 * host.model().itemHeight() + 2);
  menu->chooseItem(2);
  EXPECT_EQ(chosen, std::vector<int>{2});
  QApplication::processEvents();
  EXPECT_EQ(host.menu(), nullptr);
}

TEST(RichTitleHeader, OneShortCentredLineIsCopiedIntoTheMiddle) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  RichHeaderedWindow window(&top, "test", 96, 96);
  window.setGeometry(0, 0, 240, 200);
  window.show();
  RichHeaderSettings s;
  s.text = u"<b>Short</b>";
  s.alignment = 1;
  s.background = 0x804020;
  window.setupHeader(s);
  RichTitleHeader* h = window.header();
  EXPECT_TRUE(h->arrow()->isHidden());
  EXPECT_EQ(window.contentTop(), h->neededHeight());
  QApplication::processEvents();
  h->repaint();
  QRect copied = h->lastCopied();
  EXPECT_GT(copied.width(), 0);
  EXPECT_LT(copied.width(), 238);
  EXPECT_NEAR(copied.center().x(), h->width() / 2, 2);
}

TEST(RichTitleHeader, LongTitleFoldsWithAnArrowAndUnfoldsToItsFullHeight) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  RichHeaderedWindow window(&top, "test", 96, 96);
  window.setGeometry(0, 0, 240, 200);
  window.show();
  RichHeaderSettings s;
  s.text = u"A long <i>title</i> with a <a href=\"5\">link</a> that runs over several lines of this narrow header";
  window.setupHeader(s);
  RichTitleHeader* h = window.header();
  const int oneLine = h->neededHeight();
  EXPECT_FALSE(h->arrow()->isHidden());
  EXPECT_EQ(h->arrow()->property("childId").toInt(), RichTitleHeader::kArrowId);
  EXPECT_GT(h->fullHeight(), oneLine);
  h->unfold();
  EXPECT_EQ(h->height(), h->fullHeight() + 2);
  h->fold();
  EXPECT_EQ(h->height(), oneLine + 2);
  // After a rotation the full height is measured for the new width.
  const int portraitFull = h->fullHeight();
  top.resize(320, 240);
  window.resize(320, 200);
  QApplication::processEvents();
  EXPECT_LT(h->fullHeight(), portraitFull);
}

}  // namespace
}  // namespace vantrel
