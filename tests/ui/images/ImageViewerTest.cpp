// The image viewer in a main window with a real main frame: what it takes,
// its title, header and bar at both resolutions, the picture decoded from
// the chosen variant (or none for a damaged blob, everything else still
// set), the note and logo buttons, and the image window's scroll bars,
// dragging and zoom keys.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>

#include "../../core/images/ImageFixture.h"
#include "ui/images/ImageViewer.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtScreen.h"
#include "core/page/FrameWindow.h"
#include "core/page/MainFrame.h"
#include "ui/shell/MainWindow.h"
#include "core/page/PageKeys.h"
#include "ui/platform/Rescale.h"

namespace vantrel {
namespace {

using test::filler;
using test::imageBlob;

std::vector<uint8_t> png(int w, int h, QColor colour, const char* format = "PNG") {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(colour);
  QPainter(&img).fillRect(0, 0, 1, 1, Qt::black);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, format);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

test::ImageGuide makeGuide() {
  const auto small = png(240, 320, Qt::red), big = png(480, 640, Qt::green), wide = png(320, 240, Qt::blue);
  auto backwards = imageBlob({{240, 320, small}, {480, 640, big}});
  test::setOffset(backwards, 1, 3);
  auto past = imageBlob({{240, 320, small}, {480, 640, big}});
  test::setOffset(past, 1, 0x7FFFFFFF);
  return test::ImageGuide({
      {u"three", u"Three <i>sizes</i>", imageBlob({{240, 320, small}, {480, 640, big}, {320, 240, wide}}),
       u"The <b>note</b>"},
      {u"plain", u"No note", imageBlob({{400, 300, png(400, 300, Qt::yellow)}}), u""},
      {u"backwards", u"Backwards", backwards, u"kept"},
      {u"past", u"Past the end", past, u"kept"},
      {u"garbage", u"Garbage", imageBlob({{240, 320, filler(500, 3)}}), u"kept"},
  });
}

struct Recorder : Viewer {
  bool show(uint32_t object, const uint8_t*, size_t) override {
    offered.push_back(object);
    return false;
  }
  void afterLayout() override {}
  std::vector<uint32_t> offered;
};

struct Shell {
  Shell(const test::ImageGuide& g, int dpi = 96, Size screenSize = {240, 320})
      : screen(dpi, dpi, screenSize),
        window(screen),
        frameWindow(window, screen, keyboard),
        frame(frameWindow, keyboard),
        keys(makeKeys(g)),
        viewer(g.db, frame, keys, window.pageArea(), &window, screen) {
    window.setFrame(&frameWindow);
    frameWindow.create();
    frame.registerViewer(&recorder);
    frame.registerViewer(&viewer);
    window.resize(screen.screenSize().width, screen.screenSize().height);
    window.show();
  }
  static PageKeys makeKeys(const test::ImageGuide& g) {
    PageKeys k;
    k.set("about", g[u"about"]);
    return k;
  }
  QtScreen screen;
  DesktopKeyboard keyboard;
  MainWindow window;
  FrameWindow frameWindow;
  MainFrame frame;
  PageKeys keys;
  Recorder recorder;
  ImageViewer viewer;
};

TEST(ImageViewerTest, TakesImagesWithCaptionHeaderBarAndTheChosenVariant) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  for (int dpi : {96, 192}) {
    SCOPED_TRACE(dpi);
    Shell s(g, dpi, {240 * dpi / 96, 320 * dpi / 96});
    s.frame.navigate(g[u"footnote"], nullptr, 0, true);
    EXPECT_FALSE(s.viewer.pane()->isVisibleTo(&s.window));

    s.frame.navigate(g[u"three"], nullptr, 0, true);
    EXPECT_EQ(s.frame.title(), u"Three <i>sizes</i>");  // the caption's markup
    EXPECT_EQ(s.window.pageTitle(), "Three sizes");
    EXPECT_TRUE(s.viewer.pane()->isVisibleTo(&s.window));
    EXPECT_EQ(s.viewer.pane()->header()->text(), "Three sizes");
    EXPECT_EQ(s.viewer.buttonBar()->height(), (22 * dpi + 48) / 96);
    // The exact screen size: 240 x 320 at 96 dpi, 480 x 640 at 192.
    EXPECT_EQ(s.viewer.shownVariant(), dpi == 96 ? 0 : 1);
    EXPECT_EQ(s.viewer.imageWindow()->picture().width(), dpi == 96 ? 240 : 480);
    QAbstractButton* note = s.viewer.buttonBar()->buttonWithCode(kImageNoteButton);
    QAbstractButton* logo = s.viewer.buttonBar()->buttonWithCode(kImageLogoButton);
    ASSERT_TRUE(note && logo);
    EXPECT_TRUE(note->isEnabled());
    EXPECT_EQ(note->width(), (20 * dpi + 48) / 96);
    EXPECT_EQ(note->x(), ((dpi + 24) * 2) / 96);
    // The logo at the right end of the bar, inside it.
    EXPECT_EQ(logo->x() + logo->width(), s.viewer.buttonBar()->width() - (4 * dpi + 48) / 96);
    EXPECT_LE(logo->height(), s.viewer.buttonBar()->height());
    // The image window lies below the header and above the bar.
    const QRect w = s.viewer.imageWindow()->geometry();
    EXPECT_EQ(w.top(), s.viewer.pane()->contentTop());
    EXPECT_GT(w.height(), 100 * dpi / 96);

    s.frame.navigate(g[u"plain"], nullptr, 0, true);
    EXPECT_FALSE(note->isEnabled());
    EXPECT_EQ(s.viewer.shownVariant(), 0);
    EXPECT_EQ(s.viewer.imageWindow()->picture().size(), QSize(400, 300));
    EXPECT_EQ(s.viewer.imageWindow()->scroller().offsetX(), 0);
  }
  // Landscape: the 320 x 240 variant.
  Shell land(g, 96, {320, 240});
  land.frame.navigate(g[u"three"], nullptr, 0, true);
  EXPECT_EQ(land.viewer.shownVariant(), 2);
}

TEST(ImageViewerTest, CaptionHeaderAndTitleReadTheSameForEscapedMarkup) {
  // Each shows the caption's markup as plain text once: an escaped "<" or
  // "&" that the text meant to show stays as written.
  const auto blob = imageBlob({{240, 320, png(240, 320, Qt::red)}});
  test::ImageGuide g({{u"escaped", u"a &amp;lt;b&amp;gt; c &amp;amp; <b>d</b>&nbsp;&lt;i&gt;e", blob, u""},
                      {u"lone", u"x &lt; 3 &amp; y", blob, u""}});
  ASSERT_TRUE(g.ok);
  Shell s(g);
  const std::pair<const char16_t*, QString> cases[] = {{u"escaped", "a &lt;b&gt; c &amp; d e"},
                                                       {u"lone", "x < 3 & y"}};
  for (const auto& [name, shown] : cases) {
    s.frame.navigate(g[name], nullptr, 0, true);
    EXPECT_EQ(s.viewer.scriptState()["caption"].toString(), shown);
    EXPECT_EQ(s.viewer.pane()->header()->text(), shown);
    EXPECT_EQ(s.window.pageTitle(), shown);
    EXPECT_EQ(s.window.windowTitle(), shown);
    EXPECT_EQ(s.viewer.imageWindow()->accessibleName(), shown) << "a screen reader hears the same caption";
  }
}

TEST(ImageViewerTest, DamagedBlobsShowNoPictureButKeepCaptionNoteAndTitle) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  Shell s(g);
  // Run in an empty folder of its own, to see that nothing lands in it.
  test::ImageTempFolder here;
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(here.path())));
  for (const char16_t* name : {u"backwards", u"past", u"garbage"}) {
    SCOPED_TRACE(std::string(name, name + std::char_traits<char16_t>::length(name)));
    s.frame.navigate(g[u"three"], nullptr, 0, true);
    ASSERT_FALSE(s.viewer.imageWindow()->picture().isNull());
    s.frame.navigate(g[name], nullptr, 0, true);
    EXPECT_TRUE(s.viewer.pane()->isVisibleTo(&s.window));
    EXPECT_EQ(s.viewer.shownVariant(), -1);
    EXPECT_TRUE(s.viewer.imageWindow()->picture().isNull());
    EXPECT_EQ(s.viewer.imageWindow()->scroller().scrollBarMask(), 0);
    EXPECT_FALSE(s.frame.title().empty());
    EXPECT_EQ(s.viewer.pane()->header()->text(), s.window.pageTitle());
    EXPECT_TRUE(s.viewer.buttonBar()->buttonWithCode(kImageNoteButton)->isEnabled());
    const QJsonObject st = s.viewer.scriptState();
    EXPECT_EQ(st["variant"].toInt(), -1);
    EXPECT_EQ(st["width"].toInt(), 0);
    EXPECT_EQ(st["height"].toInt(), 0);
  }
  // Decoded from memory: nothing is written beside the program.
  EXPECT_TRUE(QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
  QDir::setCurrent(before);
}

TEST(ImageViewerTest, NoteOpensTheFullViewDialogAndTheLogoGoesToAbout) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  Shell s(g);
  std::u16string title, text;
  int opened = 0;
  FootnotePopup::setDialogOpener([&](QWidget*, int, const std::u16string& t, const std::u16string& x,
                                     std::function<void(int32_t, const std::u16string&)> onLink) {
    ++opened;
    title = t;
    text = x;
    if (onLink) onLink(static_cast<int32_t>(g[u"plain"]), u"");  // a link tapped in the note: ignored
  });
  s.frame.navigate(g[u"three"], nullptr, 0, true);
  const size_t offers = s.recorder.offered.size();
  s.viewer.buttonBar()->buttonWithCode(kImageNoteButton)->click();
  FootnotePopup::setDialogOpener(nullptr);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(title, u"Footnote");
  EXPECT_NE(text.find(u"note"), std::u16string::npos);
  EXPECT_EQ(s.recorder.offered.size(), offers);
  EXPECT_EQ(s.viewer.popup()->property("childId").toInt(), 890);

  s.viewer.buttonBar()->buttonWithCode(kImageLogoButton)->click();
  ASSERT_GT(s.recorder.offered.size(), offers);
  EXPECT_EQ(s.recorder.offered.back(), g[u"about"]);
}

void press(QWidget* w, QEvent::Type type, QPoint p) {
  QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void key(QWidget* w, int k, Qt::KeyboardModifiers mods, const QString& text = QString()) {
  QKeyEvent e(QEvent::KeyPress, k, mods, text);
  QApplication::sendEvent(w, &e);
}

TEST(ImageViewerTest, ScrollBarsDragAndZoomMoveTheView) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  Shell s(g);
  s.frame.navigate(g[u"plain"], nullptr, 0, true);  // 400 x 300
  ImageWindow* w = s.viewer.imageWindow();
  const ImageScroller& sc = w->scroller();
  const QRect client = w->clientRect();
  EXPECT_EQ(client.width(), w->width() - 13);
  EXPECT_EQ(client.height(), w->height() - 13);
  EXPECT_EQ(w->verticalBar()->geometry(), QRect(client.width(), 0, 13, client.height()));
  EXPECT_EQ(w->horizontalBar()->geometry(), QRect(0, client.height(), client.width(), 13));
  ASSERT_EQ(sc.scrollBarMask(), 3);
  const int maxY = 300 - client.height();

  // The bars' own actions go through the window's steps.
  QScrollBar* v = w->verticalBar();
  v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(sc.offsetY(), 10);
  EXPECT_EQ(v->value(), 10);
  v->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(sc.offsetY(), 10 + maxY / 10);
  v->setSliderPosition(maxY - 1);  // a thumb drag
  EXPECT_EQ(sc.offsetY(), maxY - 1);
  v->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(sc.offsetY(), maxY);
  v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(sc.offsetY(), maxY);
  EXPECT_EQ(v->value(), maxY);

  // Dragging: 2 pixels a move never scroll, 3 do.
  press(w, QEvent::MouseButtonPress, {100, 100});
  press(w, QEvent::MouseMove, {98, 100});
  press(w, QEvent::MouseMove, {96, 100});
  EXPECT_EQ(sc.offsetX(), 0);
  press(w, QEvent::MouseMove, {93, 100});
  EXPECT_EQ(sc.offsetX(), 3);
  EXPECT_EQ(w->horizontalBar()->value(), 3);
  press(w, QEvent::MouseButtonRelease, {93, 100});

  // Zoom keys, off until used.
  EXPECT_EQ(sc.zoom(), 1.0);
  key(w, Qt::Key_Plus, Qt::ControlModifier, "+");
  EXPECT_EQ(sc.zoom(), 1.5);
  EXPECT_EQ(w->horizontalBar()->maximum(), 600 - client.width());
  key(w, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(sc.zoom(), 1.0);
  // The wheel: Ctrl zooms a step a notch, alone it scrolls three lines up or down.
  auto wheel = [w](int delta, Qt::KeyboardModifiers mods) {
    QWheelEvent e(QPointF(50, 50), QPointF(w->mapToGlobal(QPoint(50, 50))), QPoint(), QPoint(0, delta), Qt::NoButton,
                  mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  };
  wheel(120, Qt::ControlModifier);
  EXPECT_EQ(sc.zoom(), 1.5);
  wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(sc.zoom(), 1.0);
  const int y0 = sc.offsetY();
  wheel(120, Qt::NoModifier);
  EXPECT_EQ(sc.offsetY(), std::max(0, y0 - 30));
  key(w, Qt::Key_F, Qt::NoModifier, "f");
  EXPECT_TRUE(sc.fitMode());
  EXPECT_EQ(sc.scrollBarMask(), 0);
  EXPECT_FALSE(w->verticalBar()->isEnabled());
  EXPECT_TRUE(w->verticalBar()->isVisible());
  const QJsonObject st = s.viewer.scriptState();
  EXPECT_LT(st["zoom"].toDouble(), 1.0);
  EXPECT_EQ(st["scrollBars"].toInt(), 0);
  EXPECT_EQ(st["w"].toInt(), client.width());
  EXPECT_EQ(st["y"].toInt(), s.viewer.pane()->y() + w->y());
}

TEST(ImageViewerTest, AZoomShowsTheVariantForTheNewResolutionWithThePicturesZoomAndPlace) {
  auto g = makeGuide();
  ASSERT_TRUE(g.ok);
  // A screen of no variant's exact size: the resolution chooses.
  Shell s(g, 96, {250, 330});
  s.frame.navigate(g[u"three"], nullptr, 0, true);
  ASSERT_EQ(s.viewer.shownVariant(), 0);
  ImageWindow* w = s.viewer.imageWindow();
  ASSERT_TRUE(w->zoomIn());
  ASSERT_TRUE(w->scroll(ScrollAxis::Vertical, ScrollRequest::Thumb, 120));  // a quarter of 480
  auto zoomTo = [&](int percent) {
    s.screen.setZoom(percent);
    s.window.rescaleAll([&] { s.viewer.rescale(); });
  };
  zoomTo(200);
  EXPECT_EQ(s.viewer.shownVariant(), 1);  // the high-resolution picture
  EXPECT_EQ(w->picture().width(), 480);
  EXPECT_EQ(w->scroller().zoom(), 1.5);
  EXPECT_EQ(w->scroller().offsetY(), 240);  // still a quarter of the way down
  EXPECT_EQ(s.viewer.buttonBar()->height(), 44);
  // Scrolled by hand, the place is the user's again: the next resize starts
  // from the top, as always.
  ASSERT_TRUE(w->scroll(ScrollAxis::Vertical, ScrollRequest::LineDown));
  w->resize(w->width() - 10, w->height());
  EXPECT_EQ(w->scroller().offsetY(), 0);
  zoomTo(100);
  EXPECT_EQ(s.viewer.shownVariant(), 0);
  EXPECT_EQ(s.viewer.buttonBar()->height(), 22);
}

}  // namespace
}  // namespace vantrel
