#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <filesystem>
#include <fstream>
#include <QKeyEvent>
#include <QWheelEvent>

#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/resources/Bitmaps.h"
#include "ui/shell/GuideHost.h"
#include "ui/shell/ScriptState.h"
#include "ui/tables/MarkupMenu.h"

namespace vantrel {
namespace {

// The QApplication is made by the test environment (QtEnvironment.cpp).
void app() {}

const std::string kDemo = std::string(VANTREL_BINARY_DIR) + "/demo-guide";

// The reader started on the demo guide, as vantrel-guide starts it.
struct Reader {
  QtScreen screen;
  DesktopKeyboard keyboard;
  FixedSettings settings{kDemo, std::nullopt};
  QtMessages messages{true};
  QtFontFiles fonts;
  GuideHost host;
  Application application;
  bool started;
  explicit Reader(Size s = {240, 320}, int dpi = 96)
      : screen(dpi, dpi, s),
        host(screen, kDemo),
        application(host, Services{screen, keyboard, settings, messages, fonts}) {
    app();
    started = application.startUp();
    host.connectCommands(application);
    QApplication::processEvents();
  }
  ~Reader() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowType() == Qt::Popup) w->close();
    if (host.mainWindow()) host.mainWindow()->setFrame(nullptr);
    application.shutDown();
  }
  uint32_t key(const char* k) { return application.pageKeys()[k]; }
  void click(QWidget* w, QPoint p) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    QApplication::processEvents();
  }
};

bool demoBuilt() { return std::filesystem::exists(kDemo + "/Qd07-Qd07-Data.pdb"); }

TEST(ShellWidgets, StartUpShowsHomeWithTheBarButtonsOff) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  ASSERT_TRUE(r.started);
  MainWindow* win = r.host.mainWindow();
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->size(), QSize(240, 320));
  EXPECT_EQ(win->pageArea()->geometry(), QRect(0, 26, 240, 268));
  EXPECT_EQ(win->commandBar()->geometry(), QRect(0, 294, 240, 26));
  HomeWindow* home = r.host.home()->homeWindow();
  EXPECT_TRUE(home->isVisible());
  EXPECT_EQ(home->geometry(), QRect(0, 0, 240, 268));
  EXPECT_EQ(home->bitmapNumber(), 481);
  EXPECT_EQ(win->windowTitle(), "Home");
  CommandBarWidget* bar = win->commandBar();
  EXPECT_FALSE(bar->buttonEnabled(40006));
  EXPECT_FALSE(bar->buttonEnabled(40007));
  EXPECT_FALSE(bar->buttonEnabled(40027));
  EXPECT_TRUE(bar->buttonEnabled(40038));
  EXPECT_EQ(bar->commands().size(), 10);
}

// What a screen reader gets of the home page and the command bar: the ten
// buttons by name with tooltips, the letters and Contents as buttons over
// their hot spots in reading order whose press is a tap, and nothing of a
// page that is not shown.
TEST(ShellWidgets, HomeAndCommandBarAreReadableAndPressable) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  CommandBarWidget* bar = r.host.mainWindow()->commandBar();
  QStringList names;
  for (const CommandBarButton& b : commandBarLayout())
    if (b.command) names << bar->button(b.command)->accessibleName();
  EXPECT_EQ(names, (QStringList{"Guide menu", "Back", "History", "Forward", "Home", "Index", "Notes", "Bookmarks",
                                "Abbreviations", "Exit"}));
  EXPECT_EQ(bar->button(40006)->toolTip(), "Back (Alt+Left)");

  HomeWindow* home = r.host.home()->homeWindow();
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(home);
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->childCount(), 27);
  QStringList spots;
  for (int i = 0; i < a->childCount(); ++i) {
    EXPECT_EQ(a->child(i)->role(), QAccessible::Button);
    spots << a->child(i)->text(QAccessible::Name);
  }
  EXPECT_EQ(spots.front(), "Contents");
  EXPECT_EQ(spots.mid(1).join(""), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  QAccessibleInterface* d = a->child(4);
  const QPoint centre = home->mapFromGlobal(d->rect().center());
  EXPECT_EQ(HomeLayout(96, 96, false).letterAt(centre.x(), centre.y()), u'D');
  EXPECT_FALSE(d->state().invisible);

  d->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QApplication::processEvents();
  EXPECT_EQ(r.application.mainFrame()->currentObject(), r.key("index_search"));
  EXPECT_EQ(r.application.mainFrame()->currentData().bytes, (std::vector<uint8_t>{'D', 0}));
  EXPECT_TRUE(a->state().invisible) << "the home page is not shown any more";
  EXPECT_TRUE(a->child(0)->state().invisible);
}

// In a window wider than the home picture, the picture and its hot spots
// are centred at the top: taps, the state and a screen reader all agree.
TEST(ShellWidgets, HomePictureIsCentredInAWideWindow) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r(Size{1280, 800});
  HomeWindow* home = r.host.home()->homeWindow();
  const int left = (home->width() - bitmapImage(482, 96, 96).width()) / 2;  // the landscape picture
  ASSERT_GT(left, 0);
  EXPECT_EQ(home->pictureLeft(), left);
  EXPECT_EQ(r.host.home()->scriptState()["x"].toInt(), left);
  EXPECT_EQ(r.host.home()->scriptState()["y"].toInt(), 0);
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(home);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(home->mapFromGlobal(a->child(1)->rect().topLeft()), QPoint(left + 30, 136));  // "A"
  r.click(home, QPoint(30 + 5, 140));  // where "A" would be without centring: nothing
  EXPECT_EQ(r.application.mainFrame()->currentObject(), r.key("home"));
  r.click(home, QPoint(left + 30 + 5, 140));
  EXPECT_EQ(r.application.mainFrame()->currentObject(), r.key("index_search"));
  EXPECT_EQ(r.application.mainFrame()->currentData().bytes, (std::vector<uint8_t>{'A', 0}));
}

// Ctrl and the wheel zoom the reader a step a notch, from any window of
// the page, except over a picture, which zooms itself with them.
TEST(ShellWidgets, CtrlWheelZoomsTheReaderButAPictureKeepsItsOwnZoom) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  auto wheel = [](QWidget* w, int delta) {
    const QPointF at(5, 5);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  };
  HomeWindow* home = r.host.home()->homeWindow();
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(home);
  ASSERT_NE(a, nullptr);
  wheel(home, 120);
  EXPECT_EQ(r.host.zoom(), 110);
  EXPECT_EQ(r.screen.dpiX(), 106);
  // Four notches more reach 200 %: a screen reader finds the letters where
  // they are now drawn, as on a screen of 192 dots per inch.
  wheel(home, 480);
  EXPECT_EQ(r.host.zoom(), 200);
  {
    Reader native(Size{240, 320}, 192);
    QAccessibleInterface* n = QAccessible::queryAccessibleInterface(native.host.home()->homeWindow());
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(home->mapFromGlobal(a->child(1)->rect().topLeft()),
              native.host.home()->homeWindow()->mapFromGlobal(n->child(1)->rect().topLeft()));
    EXPECT_EQ(a->child(1)->rect().size(), n->child(1)->rect().size());
    EXPECT_EQ(a->child(1)->text(QAccessible::Name), n->child(1)->text(QAccessible::Name));
  }
  wheel(home, -720);
  EXPECT_EQ(r.host.zoom(), 90);
  r.application.mainFrame()->navigate(34, nullptr, 0, true);  // Figure 1
  QApplication::processEvents();
  auto* picture = r.host.mainWindow()->findChild<QWidget*>("imageWindow");
  ASSERT_NE(picture, nullptr);
  wheel(picture, 120);
  EXPECT_EQ(r.host.zoom(), 90);
}

// Without a mouse: Tab walks from the page's window to the command bar's
// buttons and back round, and Return on a home letter opens the index there.
TEST(ShellWidgets, TabReachesThePageAndTheCommandBar) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  MainWindow* win = r.host.mainWindow();
  win->activateWindow();
  HomeWindow* home = r.host.home()->homeWindow();
  home->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), home);
  CommandBarWidget* bar = win->commandBar();
  bool reachedBar = false, backHome = false;
  for (int i = 0; i < 40 && !backHome; ++i) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    QWidget* f = QApplication::focusWidget();
    ASSERT_NE(f, nullptr);
    reachedBar = reachedBar || bar->isAncestorOf(f);
    backHome = reachedBar && f == home;
  }
  EXPECT_TRUE(reachedBar);
  EXPECT_TRUE(backHome);
  // On home the arrows walk the spots in reading order: Contents, A, B.
  for (int k : {Qt::Key_Home, Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(home, &e);
  }
  EXPECT_EQ(r.application.mainFrame()->currentObject(), r.key("index_search"));
  EXPECT_EQ(r.application.mainFrame()->currentData().bytes, (std::vector<uint8_t>{'B', 0}));
}

TEST(ShellWidgets, LetterTapThenBackEnablesForward) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  HomeWindow* home = r.host.home()->homeWindow();
  r.click(home, QPoint(9 + 24 * 3 + 5, 160));
  MainFrame* frame = r.application.mainFrame();
  EXPECT_EQ(frame->currentObject(), r.key("index_search"));
  EXPECT_EQ(frame->currentData().bytes, (std::vector<uint8_t>{'D', 0}));
  EXPECT_FALSE(home->isVisible());
  CommandBarWidget* bar = r.host.mainWindow()->commandBar();
  EXPECT_TRUE(bar->buttonEnabled(40006));
  EXPECT_FALSE(bar->buttonEnabled(40007));
  r.click(bar->button(40006), QPoint(3, 3));
  EXPECT_EQ(frame->currentObject(), r.key("home"));
  EXPECT_TRUE(home->isVisible());
  EXPECT_TRUE(bar->buttonEnabled(40007));
  EXPECT_FALSE(bar->buttonEnabled(40006));
  // The contents button opens the table of contents.
  r.click(home, QPoint(110, 135));
  EXPECT_EQ(frame->currentObject(), r.key("toc"));
}

TEST(ShellWidgets, HistoryPopupMapsItemsToHistoryIndexes) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  MainFrame* frame = r.application.mainFrame();
  for (uint32_t o = 1; o <= 4; ++o) frame->navigate(o, nullptr, 0, true);
  ASSERT_EQ(r.application.history().size(), 5u);
  CommandBarWidget* bar = r.host.mainWindow()->commandBar();
  ASSERT_TRUE(bar->trigger(40027));
  QApplication::processEvents();
  auto* menu = dynamic_cast<MarkupMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->itemTexts().size(), 5);
  // The menu's bottom edge sits on the bar's top edge, at its left.
  EXPECT_EQ(menu->y() + menu->height(), bar->mapToGlobal(QPoint(0, 0)).y());
  EXPECT_EQ(menu->x(), bar->mapToGlobal(QPoint(0, 0)).x());
  menu->chooseItem(2);  // third from the top of five
  EXPECT_EQ(r.application.history().position(), 2);
  EXPECT_EQ(frame->currentObject(), 2u);
}

TEST(ShellWidgets, ClosingTheWindowAsksTheExitQuestion) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  int quits = 0;
  r.host.setQuitHandler([&] { ++quits; });
  MainWindow* win = r.host.mainWindow();
  win->close();  // answered No by default
  auto shown = r.messages.takeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].box.text, u"Are you sure you want to exit");
  EXPECT_TRUE(win->isVisible());
  EXPECT_EQ(quits, 0);
  r.messages.queueAnswer(MessageAnswer::Yes);
  win->close();
  EXPECT_EQ(quits, 1);
}

TEST(ShellWidgets, HomeReloadsItsPictureOnlyWhenTheRectangleChanges) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  HomeWindow* home = r.host.home()->homeWindow();
  int loads = home->loads();
  home->setGeometry(home->geometry());
  QApplication::processEvents();
  EXPECT_EQ(home->loads(), loads);
  r.host.mainWindow()->resize(320, 240);
  QApplication::processEvents();
  EXPECT_EQ(home->geometry(), QRect(0, 0, 320, 188));
  EXPECT_EQ(home->bitmapNumber(), 482);
  EXPECT_GT(home->loads(), loads);
}

TEST(ShellWidgets, HighResolutionHomeUsesItsTwinAndDoubleCoordinates) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r({480, 640}, 192);
  HomeWindow* home = r.host.home()->homeWindow();
  EXPECT_EQ(home->bitmapNumber(), 483);
  EXPECT_EQ(home->geometry(), QRect(0, 0, 480, 536));
  r.click(home, QPoint(2 * (22 + 24 * 7), 2 * 230));
  EXPECT_EQ(r.application.mainFrame()->currentData().bytes, (std::vector<uint8_t>{'Z', 0}));
}

TEST(Bitmaps, SizesFollowTheResolution) {
  app();
  EXPECT_EQ(bitmapImage(481, 96, 96).size(), QSize(240, 268));
  EXPECT_EQ(bitmapImage(483, 192, 192).size(), QSize(480, 536));
  EXPECT_EQ(bitmapImage(482, 96, 96).size(), QSize(320, 188));
  EXPECT_EQ(bitmapImage(484, 192, 192).size(), QSize(640, 376));
  EXPECT_EQ(bitmapImage(100, 96, 96).size(), QSize(160, 16));
  EXPECT_EQ(bitmapImage(148, 192, 192).size(), QSize(320, 32));
  EXPECT_EQ(commandImage(3, false, 192, 192).size(), QSize(32, 32));
  EXPECT_EQ(bitmapImage(500, 96, 96).size(), QSize(12, 12));
  EXPECT_EQ(bitmapImage(500, 192, 192).size(), QSize(24, 24));
  EXPECT_TRUE(bitmapImage(9999, 96, 96).isNull());
}

TEST(Bitmaps, LetterCellsAreDrawnInsideTheirHotColumns) {
  app();
  // Each letter cell has a white face; its centre lies in the column the
  // letter is found in, and the gap between cells is not white.
  for (int dpi : {96, 192}) {
    for (bool landscape : {false, true}) {
      HomeLayout layout(dpi, dpi, landscape);
      QImage img = bitmapImage(layout.bitmap(), dpi, dpi);
      for (const auto& row : layout.rows()) {
        for (int c = 0; c <= row.last - row.first; ++c) {
          int x = row.rect.left + c * row.columnWidth + row.columnWidth / 2;
          int y = row.rect.top + 2;
          EXPECT_EQ(layout.letterAt(x, y), char16_t(row.first + c));
          EXPECT_EQ(img.pixelColor(x, y), QColor(255, 255, 255)) << dpi << landscape << c;
        }
      }
    }
  }
}

TEST(MainWindow, DesktopShortcutsMapToTheBarCommands) {
  EXPECT_EQ(MainWindow::shortcutCommand(Qt::Key_Left, Qt::AltModifier), 40006);
  EXPECT_EQ(MainWindow::shortcutCommand(Qt::Key_Right, Qt::AltModifier), 40007);
  EXPECT_EQ(MainWindow::shortcutCommand(Qt::Key_Home, Qt::AltModifier), 40038);
  EXPECT_EQ(MainWindow::shortcutCommand(Qt::Key_Q, Qt::ControlModifier), 40019);
  EXPECT_EQ(MainWindow::shortcutCommand(Qt::Key_Left, Qt::NoModifier), 0);
  EXPECT_EQ(MainWindow::shortcutCommand(Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier), 0);
}

// The object index of a label of the demo guide, from its objects.txt.
uint32_t demoObject(const std::string& label) {
  std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/samples/demo-guide/objects.txt");
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos || line[0] == '#') continue;
    const size_t tab2 = line.find('\t', tab + 1);
    if (line.substr(tab + 1, tab2 - tab - 1) == label) return static_cast<uint32_t>(std::stoul(line.substr(0, tab)));
  }
  return 0;
}

TEST(ShellWidgets, TitlesWithMarkupShowAsPlainText) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  const uint32_t mrsa = demoObject("spec_org_mrsa");
  ASSERT_NE(mrsa, 0u);
  r.application.mainFrame()->navigate(mrsa, nullptr, 0, true);
  // The frame (and a script's state) keep the text as stored.
  EXPECT_EQ(r.application.mainFrame()->title(), u"<i>Staphylococcus aureus (MRSA)</i>");
  MainWindow* win = r.host.mainWindow();
  EXPECT_EQ(win->windowTitle(), "Staphylococcus aureus (MRSA)");
  EXPECT_EQ(win->pageTitle(), "Staphylococcus aureus (MRSA)");
  win->titleChanged(u"A&amp;B<br>C <b>bold</b>");
  EXPECT_EQ(win->windowTitle(), "A&B C bold");
  win->titleChanged(u"");
  EXPECT_EQ(win->windowTitle(), "Vantrel Guide 2007");
}

TEST(ShellWidgets, NavigationClosesAnOpenPopupAndShortcutsWorkOverIt) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  MainFrame* frame = r.application.mainFrame();
  frame->navigate(1, nullptr, 0, true);
  frame->navigate(2, nullptr, 0, true);
  MainWindow* win = r.host.mainWindow();
  // A popup over the window, as a footnote or a cell text opens one.
  auto* popup = new QWidget(win, Qt::Popup);
  popup->setGeometry(win->mapToGlobal(QPoint(10, 40)).x(), win->mapToGlobal(QPoint(10, 40)).y(), 50, 50);
  popup->show();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activePopupWidget(), popup);
  // Alt+Left, pressed while the popup has the keyboard: back, and the popup goes.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::AltModifier);
  QApplication::sendEvent(popup, &press);
  QApplication::processEvents();
  EXPECT_EQ(frame->currentObject(), 1u);
  EXPECT_FALSE(popup->isVisible());
  // Any navigation closes one.
  popup->show();
  QApplication::processEvents();
  ASSERT_TRUE(popup->isVisible());
  frame->navigate(3, nullptr, 0, true);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  delete popup;
}

TEST(ShellWidgets, TheWindowKeepsTheBarAndAPageAreaWhole) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  for (int dpi : {96, 192}) {
    Reader r(dpi == 96 ? Size{240, 320} : Size{480, 640}, dpi);
    MainWindow* win = r.host.mainWindow();
    CommandBarWidget* bar = win->commandBar();
    EXPECT_GE(win->minimumWidth(), bar->requiredWidth());
    EXPECT_LE(win->minimumWidth(), dpi == 96 ? 240 : 480);  // the device screens still fit
    win->resize(10, 10);
    QApplication::processEvents();
    EXPECT_GE(win->width(), bar->requiredWidth());
    EXPECT_GT(win->pageArea()->height(), 0);
    EXPECT_EQ(bar->geometry().bottom(), win->height() - 1);
    EXPECT_GE(bar->width(), bar->requiredWidth());
  }
}

}  // namespace
}  // namespace vantrel
