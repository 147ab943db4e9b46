// The markup list and the dual list window on Qt's offscreen platform: the
// held pen's popup through the real timer, and the divider that lies over
// the top of the lower list without hiding it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWheelEvent>

#include "ui/lists/DualListViewer.h"
#include "ui/lists/MarkupList.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {
namespace {

void press(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void release(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void wait(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(MarkupList, QuickTapReportsTheRowAndAHeldPenShowsACutOffRow) {
  QWidget top;
  OpenWindows openWindows(&top);  // as the reader's main window holds it
  top.resize(240, 320);
  top.show();
  VectorItemSource src({{u"Short", 1}, {u"A row much too long to be shown whole in this narrow list", 2}});
  MarkupListPane pane(&top, &top, 96, 96);
  pane.setGeometry(0, 0, 200, 200);
  pane.show();
  pane.setup(false, u"", 0xFFFFFF, guideFontDescription(96), true, &src);
  std::vector<uint32_t> rows;
  pane.setListeners([&](MarkupListPane&, uint32_t r) { rows.push_back(r); }, nullptr);
  EXPECT_EQ(pane.select(-1, true), 0);
  MarkupList* list = pane.list();
  const int h = list->model().rowHeight();

  press(list, QPoint(20, h / 2));
  release(list, QPoint(20, h / 2));
  EXPECT_EQ(rows, std::vector<uint32_t>{0});
  EXPECT_EQ(list->model().selected(), 0);

  press(list, QPoint(20, h + h / 2));
  wait(250);
  release(list, QPoint(20, h + h / 2));
  EXPECT_EQ(rows.size(), 1u) << "a held pen reports no tap";
  ASSERT_NE(FootnotePopup::shownPopup(&top), nullptr);
  EXPECT_EQ(FootnotePopup::shownPopup(&top)->shownText(), u"A row much too long to be shown whole in this narrow list");
  list->popup()->hidePopup();

  press(list, QPoint(20, h / 2));
  wait(250);
  release(list, QPoint(20, h / 2));
  EXPECT_EQ(FootnotePopup::shownPopup(&top), nullptr) << "a row that fits shows nothing";
  EXPECT_EQ(rows.size(), 1u);
}

TEST(MarkupList, TheWheelScrollsByLines) {
  QWidget top;
  top.resize(240, 320);
  top.show();
  VectorItemSource src;
  for (int i = 0; i < 50; ++i) src.add(u"row", static_cast<uint32_t>(i));
  MarkupListPane pane(&top, &top, 96, 96);
  pane.setGeometry(0, 0, 200, 180);
  pane.show();
  pane.setup(false, u"", 0xFFFFFF, guideFontDescription(96), true, &src);
  pane.select(-1, true);
  MarkupList* list = pane.list();
  auto wheel = [&](int dy) {
    QWheelEvent e(QPointF(20, 20), QPointF(list->mapToGlobal(QPoint(20, 20))), QPoint(), QPoint(0, dy), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &e);
  };
  wheel(-120);
  EXPECT_EQ(list->model().firstRow(), 3);
  EXPECT_EQ(list->scrollBar()->value(), 3);
  wheel(120);
  wheel(120);
  EXPECT_EQ(list->model().firstRow(), 0);
}

TEST(DualListWindow, TheDividerLetsTheLowerListsFirstRowThrough) {
  QWidget top;
  top.resize(240, 268);
  top.show();
  FixedScreen screen(96, 96, {240, 320});
  DualListWindow window(&top, &top, screen, 96, 96);
  window.setGeometry(0, 0, 240, 268);
  window.show();
  HeaderSettings hs;
  hs.text = "Names";
  window.setupHeader(hs);
  VectorItemSource upper({{u"u0", 1}}), lower({{u"l0", 2}, {u"l1", 3}});
  window.upper()->setup(false, u"", 0xFFFFFF, guideFontDescription(96), true, &upper);
  window.lower()->setup(false, u"", 0xFFFFFF, guideFontDescription(96), true, &lower);
  window.layoutChildren();
  EXPECT_EQ(window.divider()->picture(), 469);
  EXPECT_EQ(window.divider()->image().size(), QSize(240, 15));
  const QRect d = window.divider()->geometry();
  const QRect l = window.lower()->geometry();
  EXPECT_EQ(d.top(), window.upper()->geometry().bottom() + 1);
  EXPECT_LT(l.top(), d.bottom()) << "the divider overlaps the lower list";
  // A point under the divider's rectangle but below its picture belongs to the lower list.
  const QPoint inFirstRow(100, l.top() + 9);
  ASSERT_TRUE(d.contains(inFirstRow));
  QWidget* hit = window.childAt(inFirstRow);
  ASSERT_NE(hit, nullptr);
  EXPECT_TRUE(hit == window.lower()->list() || window.lower()->isAncestorOf(hit));
  // On the picture itself the divider takes the tap (and does nothing).
  EXPECT_EQ(window.childAt(QPoint(100, d.top() + 3)), window.divider());
}

}  // namespace
}  // namespace vantrel
