#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <QTextFrame>
#include <QTimer>
#include <vector>

#include "ui/html/HtmlControl.h"
#include "ui/html/HtmlDialog.h"
#include "ui/html/HtmlPane.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {
namespace {

struct Taps : HtmlPaneOwner {
  std::vector<ObjectIndex> links;
  std::vector<std::u16string> images;
  void linkTapped(HtmlPane&, ObjectIndex id, int) override { links.push_back(id); }
  void imageRequested(HtmlPane&, const std::u16string& t, uint32_t) override { images.push_back(t); }
};

// A source whose page for n has n paragraphs, an anchor "end" after them
// and an image.
struct CountingSource : PageSource {
  int calls = 0;
  int images = 0;
  std::u16string pageText(ObjectIndex n) override {
    ++calls;
    std::u16string s = u"<HTML><BODY>";
    for (ObjectIndex i = 0; i < n; ++i) s += u"<p>line</p>";
    s += u"<A NAME=\"end\">end<p><IMG SRC=\"pic.png\"><a href=\"7#x\">seven</a></BODY></HTML>";
    return s;
  }
  InlineImage inlineImage(std::u16string_view, uint32_t) override {
    ++images;
    return {};
  }
};

TEST(HtmlPane, LinkTargetsBecomeObjectsAndWebAddressesAreNotFollowed) {
  HtmlPane pane(nullptr, 96, 96);
  Taps taps;
  pane.targetTapped("1234#top");  // no owner yet: nothing
  pane.setOwner(&taps);
  pane.targetTapped("1234#top");
  pane.targetTapped("abc");
  pane.targetTapped("http://example.org/1");
  pane.targetTapped("https://example.org/");
  pane.targetTapped("");
  pane.targetTapped("Http5");  // only "http" in lower case is a web address
  EXPECT_EQ(taps.links, (std::vector<ObjectIndex>{1234, 0, 0}));
  pane.setInputEnabled(false);
  pane.targetTapped("55");
  EXPECT_EQ(taps.links.size(), 3u);
}

TEST(HtmlPane, ShowItemLoadsTheSourcePageAtTheTopAndJumpsToAnchors) {
  HtmlPane pane(nullptr, 96, 96);
  pane.resize(240, 200);
  pane.show();
  pane.showItem(5);  // no source: nothing loaded
  EXPECT_TRUE(pane.control()->text().isEmpty());

  CountingSource source;
  Taps taps;
  pane.setOwner(&taps);
  pane.setup(true, u"Title", 0xFFFFFF, std::nullopt, &source);
  pane.showItem(200);
  QApplication::processEvents();
  EXPECT_EQ(source.calls, 1);
  EXPECT_TRUE(pane.control()->text().startsWith("<HTML><BODY><p>line"));
  EXPECT_EQ(pane.control()->scroll(), 0);
  EXPECT_GT(pane.control()->y(), 0) << "the control lies below the title";

  pane.jumpToAnchor(u"end");
  EXPECT_EQ(pane.control()->lastAnchor(), "end");
  const int atEnd = pane.control()->scroll();
  EXPECT_GT(atEnd, 100);
  pane.setScroll(40);
  EXPECT_EQ(pane.control()->scroll(), 40);
  pane.showItem(200);
  EXPECT_EQ(pane.control()->scroll(), 0) << "a new page starts at the top";
  EXPECT_EQ(pane.control()->lastAnchor(), "");

  // The image is asked of the owner and the source; nothing is drawn for it.
  pane.control()->document()->documentLayout();
  pane.control()->grab();
  EXPECT_FALSE(taps.images.empty());
  EXPECT_EQ(taps.images.front(), u"pic.png");
  EXPECT_GT(source.images, 0);

  // Links are found in the document and activated as a tap.
  EXPECT_EQ(pane.control()->linkTargets(), QStringList{"7#x"});
  EXPECT_TRUE(pane.control()->activateLink("7#x"));
  EXPECT_FALSE(pane.control()->activateLink("7"));
  EXPECT_EQ(taps.links, (std::vector<ObjectIndex>{7}));

  pane.clear();
  EXPECT_TRUE(pane.control()->linkTargets().isEmpty());
}

TEST(HtmlControl, AnswersResourcesWithoutReadingFiles) {
  HtmlControl control(nullptr, 8989);
  EXPECT_EQ(control.property("childId").toInt(), 8989);
  QStringList asked;
  control.setImageListener([&](const QString& t) { asked << t; });
  QVariant image = control.loadResource(QTextDocument::ImageResource, QUrl("x.png"));
  ASSERT_TRUE(image.canConvert<QImage>());
  QImage img = image.value<QImage>();
  EXPECT_EQ(img.size(), QSize(1, 1));
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_EQ(asked, QStringList{"x.png"});
  EXPECT_FALSE(control.loadResource(QTextDocument::StyleSheetResource, QUrl("/etc/passwd")).isValid());
  EXPECT_FALSE(control.loadResource(QTextDocument::HtmlResource, QUrl("file:///etc/hostname")).isValid());
}

TEST(HtmlControl, ATapReportsTheTargetAsWrittenAfterTheEvent) {
  HtmlControl control(nullptr, 8989);
  control.resize(240, 100);
  control.show();
  control.loadText("<HTML><BODY><A HREF=\"12 #a b\">XXXXXXXXXXXXXXXXXXXX</A></BODY></HTML>");
  QStringList reported;
  control.setLinkListener([&](const QString& t) { reported << t; });
  QWidget* vp = control.viewport();
  const QPoint p = control.cursorRect(control.document()->find("XXXX")).center();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), vp->mapToGlobal(QPointF(p)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), vp->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &release);
  EXPECT_TRUE(reported.isEmpty()) << "reported only once the tap's event is over";
  QApplication::processEvents();
  EXPECT_EQ(reported, QStringList{"12 #a b"});
}

// At a desk: in a window much wider than the text's readable width, the
// text keeps to a centred column of that width; a device-sized window keeps
// its whole width, and loading another page keeps the column.
TEST(HtmlControl, WideWindowsKeepTheTextInACentredColumn) {
  HtmlControl control(nullptr, 8989);
  control.resize(240, 300);
  control.show();
  control.loadText("<html><body><p>" + QString("word ").repeated(400) + "</p></body></html>");
  QTextFrameFormat f = control.document()->rootFrame()->frameFormat();
  EXPECT_EQ(f.leftMargin(), 0);

  control.resize(3000, 300);
  f = control.document()->rootFrame()->frameFormat();
  ASSERT_GT(f.leftMargin(), 0);
  EXPECT_EQ(f.leftMargin(), f.rightMargin());
  const int text = control.viewport()->width() - 2 * int(control.document()->documentMargin()) - 2 * int(f.leftMargin());
  EXPECT_NEAR(text, control.readableWidth(), 2);

  control.loadText("<html><body><p>Another page</p></body></html>");
  EXPECT_NEAR(control.document()->rootFrame()->frameFormat().leftMargin(), f.leftMargin(), 20)
      << "the column stays (the scroll bar has gone)";
  control.resize(240, 300);
  EXPECT_EQ(control.document()->rootFrame()->frameFormat().leftMargin(), 0);
}

TEST(HtmlControl, AZoomBuildsThePageInTheNewFontAtTheSamePlace) {
  QtScreen screen(96, 96, {240, 320});
  HtmlControl control(nullptr, 8989, ScreenDpi(screen));
  control.resize(240, 300);
  control.show();
  control.loadText("<html><body><p>" + QString("word ").repeated(2000) + "</p></body></html>");
  control.jumpToAnchor("kept");
  QScrollBar* bar = control.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 1000);
  control.setScroll((bar->maximum() + bar->pageStep()) / 2);  // half of the page scrolled past
  const QString text = control.text();

  screen.setZoom(200);
  control.rescale();
  EXPECT_EQ(control.font().pixelSize(), 24);
  EXPECT_EQ(control.document()->defaultFont().pixelSize(), 24);
  EXPECT_EQ(control.text(), text);
  EXPECT_EQ(control.lastAnchor(), "kept");
  EXPECT_NEAR(double(bar->value()) / (bar->maximum() + bar->pageStep()), 0.5, 0.02);
  // The scroll bars follow the resolution, and return with it.
  EXPECT_GT(bar->sizeHint().width(), 20);
  screen.setZoom(100);
  control.rescale();
  EXPECT_EQ(control.font().pixelSize(), 12);
  EXPECT_LT(bar->sizeHint().width(), 20);
}

TEST(HtmlDialog, ReturnsTheTappedObjectAndAnchorAndRefusesASecondOpening) {
  QMainWindow main;
  OpenWindows openWindows(&main);  // as the reader's main window holds it
  main.setGeometry(10, 20, 240, 320);
  main.show();
  HtmlDialog dialog(&main);
  int second = 0;
  QString title, html;
  QRect geometry;
  QTimer::singleShot(0, [&] {
    HtmlDialog other(&main);
    second = other.open("again", "x");
    ASSERT_EQ(HtmlDialog::openDialog(&main), &dialog);
    title = dialog.title();
    html = dialog.control()->text();
    geometry = dialog.geometry();
    dialog.control()->activateLink("12#sec");
  });
  EXPECT_EQ(dialog.open("Notes", "see <a href=\"12#sec\">this</a>"), 12);
  EXPECT_EQ(dialog.anchorName(), "sec");
  EXPECT_EQ(second, -1);
  EXPECT_EQ(title, "Notes");
  EXPECT_EQ(html, "<HTML><BODY><FONT FACE='PPC_Font2'>see <a href=\"12#sec\">this</a></FONT></BODY></FONT>");
  // An empty rectangle covers the main window but for the command bar's
  // place (26 pixels at 96 dpi) along its bottom.
  EXPECT_EQ(geometry, main.geometry().adjusted(0, 0, 0, -26)) << "an empty rectangle covers the main window";
  EXPECT_EQ(HtmlDialog::openDialog(&main), nullptr);

  // Opened again with a rectangle: its size, centred; a link without "#".
  QTimer::singleShot(0, [&] {
    geometry = dialog.geometry();
    dialog.control()->activateLink("12");
  });
  EXPECT_EQ(dialog.open("Notes", "<a href=\"12\">x</a>", QRect(0, 0, 100, 80)), 12);
  EXPECT_EQ(dialog.anchorName(), "");
  EXPECT_EQ(geometry.size(), QSize(100, 80));
  EXPECT_EQ(geometry.center(), main.geometry().center());

  // Closed without a link: -1.
  QTimer::singleShot(0, [&] { dialog.accept(); });
  EXPECT_EQ(dialog.open("Notes", "text"), -1);
}

TEST(HtmlDialog, TheCloseButtonClosesItAsEscapeDoes) {
  QMainWindow main;
  main.setGeometry(0, 0, 480, 640);
  main.show();
  HtmlDialog dialog(&main, 192);
  bool shown = false;
  int buttonHeight = 0;
  QTimer::singleShot(0, [&] {
    QPushButton* close = dialog.closeButton();
    ASSERT_NE(close, nullptr);
    shown = close->isVisible();
    buttonHeight = close->height();
    EXPECT_EQ(close->property("childId").toInt(), HtmlDialog::kCloseId);
    close->click();
  });
  EXPECT_EQ(dialog.open("Footnotes", "<a href=\"12\">x</a>"), -1);  // no link: as Escape
  EXPECT_TRUE(shown);
  EXPECT_EQ(buttonHeight, 44);  // 22 at 96 dpi, scaled
  EXPECT_FALSE(dialog.isVisible());
  // The control's scroll bars scale with the resolution as well.
  const int plain = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  EXPECT_EQ(dialog.control()->verticalScrollBar()->style()->pixelMetric(QStyle::PM_ScrollBarExtent),
            (plain * 192 + 48) / 96);
}

TEST(HtmlDialog, AModalDriverRunsWhileItIsOpen) {
  QMainWindow main;
  OpenWindows openWindows(&main);  // as the reader's main window holds it
  main.setGeometry(0, 0, 240, 320);
  main.show();
  HtmlDialog dialog(&main);
  int calls = 0;
  bool visible = false;
  HtmlDialog::setModalDriver([&](HtmlDialog& d) {
    ++calls;
    visible = d.isVisible() && HtmlDialog::openDialog(&main) == &d;
    HtmlDialog::setModalDriver(nullptr);  // replacing itself while it runs is safe
    d.control()->activateLink("3#a");
  });
  EXPECT_EQ(dialog.open("T", "<a href=\"3#a\">x</a> <a href=\"http://x\">web</a>"), 3);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(visible);
  EXPECT_EQ(dialog.anchorName(), "a");
  EXPECT_FALSE(dialog.isVisible());

  // A driver that gives up leaves the dialog cancelled.
  HtmlDialog::setModalDriver([](HtmlDialog&) {});
  EXPECT_EQ(dialog.open("T", "<a href=\"3\">x</a>"), -1);
  EXPECT_FALSE(dialog.isVisible());
  HtmlDialog::setModalDriver(nullptr);
}

}  // namespace
}  // namespace vantrel
