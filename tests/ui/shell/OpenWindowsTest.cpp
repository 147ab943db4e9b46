// What is open over a main window is that window's own: two main windows in
// one process, a dialog, popup or find bar open over one of them, and the
// other sees none of it (and may open its own HTML dialog meanwhile).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>

#include "ui/html/HtmlDialog.h"
#include "ui/platform/QtScreen.h"
#include "ui/popups/FootnotePopup.h"
#include "ui/search/FindBar.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/OpenWindows.h"
#include "ui/userdata/TitleDialog.h"

namespace vantrel {
namespace {

struct Window {
  QtScreen screen{96, 96, {240, 320}};
  MainWindow window{screen};
  Window() { window.show(); }
};

TEST(OpenWindows, TwoMainWindowsSeeOnlyWhatIsOpenOverThemselves) {
  Window a, b;
  EXPECT_EQ(OpenWindows::of(a.window.pageArea()), &a.window.openWindows());
  EXPECT_NE(&a.window.openWindows(), &b.window.openWindows());

  // The popup: found from the window and from any widget in it.
  auto* popup = new FootnotePopup(a.window.pageArea(), 96, 96);
  TextBlock note(u"A short note");
  ASSERT_FALSE(popup->show(note, a.window.mapToGlobal(QPoint(20, 40)), u"", false, true));
  EXPECT_EQ(FootnotePopup::shownPopup(&a.window), popup);
  EXPECT_EQ(FootnotePopup::shownPopup(a.window.pageArea()), popup);
  EXPECT_EQ(FootnotePopup::shownPopup(&b.window), nullptr);
  // Destroyed while shown, it reads as closed.
  delete popup;
  EXPECT_EQ(FootnotePopup::shownPopup(&a.window), nullptr);

  // The find bar of a page in one window.
  auto* page = new QTextBrowser(a.window.pageArea());
  page->setGeometry(0, 0, 200, 200);
  page->setHtml("<p>dose</p>");
  page->show();
  auto* bar = new FindBar(page, std::make_unique<HtmlFindTarget>(page), 96, 96);
  bar->open();
  EXPECT_EQ(FindBar::openBar(&a.window), bar);
  EXPECT_EQ(FindBar::openBar(&b.window), nullptr);
  bar->close();
  EXPECT_EQ(FindBar::openBar(&a.window), nullptr);

  // The title dialog.
  TitleDialog title(&a.window, a.screen);
  TitleDialog* seenInA = nullptr;
  TitleDialog* seenInB = &title;
  TitleDialog::setModalDriver([&](TitleDialog& d) {
    seenInA = TitleDialog::openDialog(&a.window);
    seenInB = TitleDialog::openDialog(&b.window);
    d.cancelButton()->click();
  });
  EXPECT_FALSE(title.run());
  TitleDialog::setModalDriver(nullptr);
  EXPECT_EQ(seenInA, &title);
  EXPECT_EQ(seenInB, nullptr);
  EXPECT_EQ(TitleDialog::openDialog(&a.window), nullptr);

  // The HTML dialog: one at a time over a window, so a second one over the
  // same window is refused, while the other window opens its own.
  HtmlDialog overA(&a.window), againOverA(&a.window), overB(&b.window);
  int again = 0, inB = 0;
  HtmlDialog *bSawBefore = &overA, *aSawDuringB = nullptr, *bSawDuringB = nullptr;
  HtmlDialog::setModalDriver([&](HtmlDialog& d) {
    if (&d == &overB) {
      aSawDuringB = HtmlDialog::openDialog(&a.window);
      bSawDuringB = HtmlDialog::openDialog(&b.window);
      d.control()->activateLink("7");
      return;
    }
    bSawBefore = HtmlDialog::openDialog(&b.window);
    again = againOverA.open("again", "x");
    inB = overB.open("B", "<a href=\"7\">b</a>");
    d.control()->activateLink("5");
  });
  EXPECT_EQ(overA.open("A", "<a href=\"5\">a</a>"), 5);
  HtmlDialog::setModalDriver(nullptr);
  EXPECT_EQ(bSawBefore, nullptr);
  EXPECT_EQ(again, -1);
  EXPECT_EQ(inB, 7);
  EXPECT_EQ(aSawDuringB, &overA);
  EXPECT_EQ(bSawDuringB, &overB);
  EXPECT_EQ(HtmlDialog::openDialog(&a.window), nullptr);
  EXPECT_EQ(HtmlDialog::openDialog(&b.window), nullptr);
}

}  // namespace
}  // namespace vantrel
