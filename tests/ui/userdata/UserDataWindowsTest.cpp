// The title dialog, the checkbox list, the bookmark window and the notes
// panel on the offscreen platform: their rules, their layouts at 96 and 192
// dots per inch, and what taps on them lead to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QJsonArray>
#include <QMouseEvent>

#include "../../core/userdata/TestUtil.h"
#include "../../core/shell/ShellFakes.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtSurface.h"
#include "core/chrome/ChromeViewer.h"
#include "ui/shell/OpenWindows.h"
#include "ui/userdata/BookmarkWindow.h"
#include "ui/userdata/NotePanel.h"
#include "ui/userdata/TitleDialog.h"

namespace vantrel {
namespace {

using testing::FakeIds;
using testing::ScratchDir;

void tapAt(QWidget* w, QPoint p) {
  QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

VectorItemSource numbered(uint32_t n) {
  VectorItemSource s;
  for (uint32_t i = 0; i < n; ++i) s.add(u"item " + QString::number(i).toStdU16String(), 100 + i);
  return s;
}

TEST(TitleDialog, SaveNeedsATitleAndControlsFollowTheLayout) {
  for (int dpi : {96, 192}) {
    FixedScreen screen(dpi, dpi, {dpi == 96 ? 240 : 480, dpi == 96 ? 320 : 640});
    QWidget main;
    OpenWindows openWindows(&main);  // as the reader's main window holds it
    main.resize(screen.screenSize().width, screen.screenSize().height);
    main.show();
    TitleDialog dialog(&main, screen);
    bool emptySaveStayed = false;
    TitleDialog::setModalDriver([&](TitleDialog& d) {
      EXPECT_EQ(TitleDialog::openDialog(&main), &d);
      const int w = d.width();
      EXPECT_EQ(d.edit()->geometry(), QRect(screen.sx(5), screen.sy(7), w - screen.sx(10), screen.sy(25)));
      EXPECT_EQ(d.saveButton()->geometry(), QRect(screen.sx(5), screen.sy(35), screen.sx(80), screen.sy(25)));
      EXPECT_EQ(d.cancelButton()->geometry(), QRect(w - screen.sx(85), screen.sy(35), screen.sx(80), screen.sy(25)));
      EXPECT_EQ(d.edit()->property("childId").toInt(), 6969);
      d.saveButton()->click();  // empty: refused
      emptySaveStayed = d.isVisible();
      d.edit()->setText("Dosing");
      d.saveButton()->click();
    });
    EXPECT_TRUE(dialog.run());
    TitleDialog::setModalDriver(nullptr);
    EXPECT_TRUE(emptySaveStayed);
    EXPECT_EQ(dialog.text(), "Dosing");
    EXPECT_EQ(TitleDialog::openDialog(&main), nullptr);
  }
}

TEST(TitleDialog, CancelAndTheLandscapePlacement) {
  FixedScreen screen(96, 96, {320, 240});
  QWidget main;
  main.setGeometry(0, 0, 320, 240);
  main.show();
  TitleDialog dialog(&main, screen);
  int top = -1;
  TitleDialog::setModalDriver([&](TitleDialog& d) {
    top = d.frameGeometry().top();
    d.edit()->setText("not kept");
    d.cancelButton()->click();
  });
  EXPECT_FALSE(dialog.run());
  TitleDialog::setModalDriver(nullptr);
  EXPECT_EQ(top, main.geometry().top() + screen.sy(26));
  EXPECT_TRUE(dialog.text().isEmpty());
}

TEST(TitleDialog, ItsFaceComesFromTheFontServiceAndScales) {
  // The face is the font service's system face (one the platform has), so the
  // dialog looks like the program's other texts everywhere; 12 pixels scaled.
  const QString family = QtSurface::systemFamily();
  EXPECT_FALSE(family.isEmpty());
  EXPECT_TRUE(QFontDatabase::hasFamily(family)) << family.toStdString();
  EXPECT_EQ(QtSurface::familyFor(std::u16string()), family);
  for (int dpi : {96, 192}) {
    FixedScreen screen(dpi, dpi, {dpi == 96 ? 240 : 480, dpi == 96 ? 320 : 640});
    QWidget main;
    TitleDialog dialog(&main, screen);
    EXPECT_EQ(dialog.font().family(), family);
    EXPECT_EQ(dialog.font().pixelSize(), screen.sy(12));
    EXPECT_EQ(dialog.edit()->font().family(), family);
  }
}

std::vector<std::u16string> shownTexts(const PagedList& list) {
  std::vector<std::u16string> out;
  for (const PageEntry& e : list.model().entries()) out.push_back(e.item.text);
  return out;
}

// The checkbox list the two windows share: made with boxes and no header,
// rows toggled as scripts do, and what scripted runs report of it.
TEST(CheckList, TogglesRowsOfThePageAndReportsThem) {
  VectorItemSource source = numbered(30);
  QWidget area;
  area.resize(240, 268);
  PagedList* list = makeCheckList(&area, &source, 96, 96, nullptr);
  EXPECT_EQ(list->property("childId").toInt(), 254);
  EXPECT_TRUE(list->model().checkboxes());
  list->setGeometry(0, 10, 240, list->view()->rowHeight() * 6 + 3);
  area.show();
  list->reload(true);
  list->showFrom(5);
  EXPECT_TRUE(toggleCheckRow(*list, 0));
  EXPECT_TRUE(toggleCheckRow(*list, 2));
  EXPECT_FALSE(toggleCheckRow(*list, 6));
  EXPECT_FALSE(toggleCheckRow(*list, -1));
  EXPECT_TRUE(toggleCheckRow(*list, 0));  // unchecked again
  const QJsonObject o = checkListState(*list, &area);
  EXPECT_EQ(o["firstRow"].toInt(), 5);
  EXPECT_EQ(o["checked"].toArray(), QJsonArray({107}));
  EXPECT_EQ(o["visibleRows"].toArray().first().toString(), "item 5");
  EXPECT_EQ(o["y"].toInt(), list->view()->y() + 10);
  EXPECT_EQ(o["rowHeight"].toInt(), list->view()->rowHeight());
  EXPECT_EQ(o["itemCount"].toInt(), 30);
}

// The chrome of a reader without its windows: what carries out the bookmark
// commands on the bookmark window under test.
struct ChromeRig {
  struct Bar : CommandBar {
    void setButtonEnabled(int, bool) override {}
    bool buttonEnabled(int) const override { return true; }
    void showHistoryMenu(const ItemSource&) override {}
  };
  FixedScreen screen{96, 96, {240, 320}};
  StateKeyboard keyboard;
  test::FakeHost host;
  FrameWindow window{host, screen, keyboard};
  MainFrame frame{window, keyboard};
  PageKeys keys;
  PageHistory history;
  ScriptedMessages messages;
  Bar bar;
  ChromeViewer chrome{frame, keys, history, messages, bar, [] {}};
  test::FakeWindow listBar{{240, 22}, "listBar"}, editorBar{{240, 22}, "editorBar"};
  ChromeRig() { keys.build(10, [](std::u16string_view) { return 0u; }); }
};

TEST(BookmarkWindow, ListUnderTheHeaderAndTapsReportPositions) {
  ScratchDir dir;
  FakeIds ids(10, {{1, 11}, {2, 12}});
  ChromeRig rig;
  rig.chrome.openUserData(dir.path(), &ids);
  BookmarkList& list = *rig.chrome.bookmarks();
  for (int dpi : {96, 192}) {
    std::vector<uint32_t> all;
    for (uint32_t i = 0; i < list.itemCount(); ++i) all.push_back(i);
    list.removeBookmarks(all);
    for (int i = 0; i < 3; ++i)
      list.addBookmark(u"mark " + std::u16string(1, char16_t(u'a' + i)), 1 + i % 2, i == 2 ? "x" : nullptr, i == 2);
    QWidget area;
    area.resize(240 * dpi / 96, 268 * dpi / 96);
    BookmarkWindow w(&area, list, dpi, dpi);
    EXPECT_EQ(w.property("childId").toInt(), 234);
    EXPECT_EQ(w.list()->property("childId").toInt(), 254);
    EXPECT_EQ(w.header()->text(), "Bookmarks");
    w.setGeometry(0, 0, area.width(), area.height() - 22 * dpi / 96);
    w.show();
    area.show();
    w.refresh();
    const int h = w.contentTop();
    EXPECT_EQ(w.list()->geometry(),
              QRect(0, h - scaleForDpi(1, dpi), w.width(), w.height() + scaleForDpi(2, dpi) - h));
    std::vector<uint32_t> chosen;
    w.setChosenHandler([&](uint32_t p) { chosen.push_back(p); });
    tapAt(w.list()->view(), QPoint(w.list()->width() / 2, w.list()->view()->rowHeight() * 2 + 2));
    EXPECT_EQ(chosen, std::vector<uint32_t>{2});
    // Delete checked, as the list bar's button runs it: the chrome takes the
    // window's checked rows and removes those bookmarks.
    NotePanel notes(&area, *rig.chrome.noteEditor(), rig.screen, rig.keyboard);
    rig.chrome.setUserDataWindows({&w, &notes, &rig.listBar, &rig.editorBar, nullptr, &rig.keyboard});
    toggleCheckRow(*w.list(), 0);
    toggleCheckRow(*w.list(), 2);
    EXPECT_TRUE(rig.chrome.buttonCommand(userbar::kDeleteChecked));
    EXPECT_EQ(list.itemCount(), 1u);
    EXPECT_EQ(shownTexts(*w.list()), std::vector<std::u16string>{u"mark b"});
    EXPECT_TRUE(w.takeChecked().empty());
    EXPECT_TRUE(rig.messages.shown.empty());
    // An offscreen picture of the window, to look at.
    if (qEnvironmentVariableIsSet("VANTREL_SHOTS"))
      w.grab().save(QString("%1/bookmarks-%2.png").arg(qgetenv("VANTREL_SHOTS")).arg(dpi));
    rig.chrome.setUserDataWindows({});  // the windows go with this round
  }
}

TEST(NotePanel, TwoModesTheirLayoutsAndDistinctFields) {
  ScratchDir dir;
  NoteList notes;
  notes.open(dir.path());
  notes.addNote(u"one", 0, u"first\r\nsecond");
  notes.addNote(u"two", 1, u"");
  NoteEditorModel model(notes);
  for (int dpi : {96, 192}) {
    FixedScreen screen(dpi, dpi, {240 * dpi / 96, 320 * dpi / 96});
    StateKeyboard keyboard;
    QWidget area;
    area.resize(screen.sx(240), screen.sy(246));
    NotePanel panel(&area, model, screen, keyboard);
    EXPECT_EQ(panel.property("childId").toInt(), 235);
    EXPECT_EQ(panel.titleField()->property("childId").toInt(), 44);
    EXPECT_EQ(panel.bodyField()->property("childId").toInt(), 45);
    panel.setGeometry(0, 0, area.width(), area.height());
    area.show();
    panel.show();

    model.setMode(NoteEditorModel::kList, false);
    panel.modelChanged();
    panel.refreshList();
    EXPECT_EQ(panel.header()->text(), "Notes");
    EXPECT_TRUE(panel.list()->isVisible());
    EXPECT_FALSE(panel.titleField()->isVisible());
    int h = panel.contentTop();
    EXPECT_EQ(panel.list()->geometry(),
              QRect(0, h - screen.sy(1), panel.width(), panel.height() + screen.sy(2) - h));
    uint32_t reported = 12345;
    panel.setEventHandler([&](uint32_t v) { reported = v; });
    tapAt(panel.list()->view(), QPoint(panel.list()->width() / 2, 2));
    EXPECT_EQ(reported, 0u);
    EXPECT_TRUE(model.returnToList());

    model.setMode(NoteEditorModel::kEditor, false);
    model.openNoteEditor(0, nullptr, 0, u"");
    panel.modelChanged();
    EXPECT_EQ(panel.header()->text(), "Add Note");
    EXPECT_FALSE(panel.list()->isVisible());
    EXPECT_EQ(panel.titleField()->text(), "one");
    EXPECT_EQ(panel.bodyField()->toPlainText(), "first\nsecond");
    h = panel.contentTop();
    const QFontMetrics fm(panel.font());
    const int cx = fm.horizontalAdvance("Title:"), cy = fm.height(), W = panel.width(), B = panel.height();
    EXPECT_EQ(panel.titleLabel()->geometry(), QRect(screen.sx(2), h + screen.sy(2), cx, cy));
    EXPECT_EQ(panel.titleField()->geometry(),
              QRect(screen.sx(4) + cx, h + screen.sy(2), W - screen.sx(6) - cx, cy + screen.sy(5)));
    EXPECT_EQ(panel.bodyField()->geometry(),
              QRect(screen.sx(2), h + cy + screen.sy(9), W - screen.sx(4), B - screen.sy(9) - 2 * h));
    // What is typed goes back to the model with the line breaks the files keep.
    panel.bodyField()->setPlainText("a\nb");
    panel.readFields();
    EXPECT_EQ(model.body(), u"a\r\nb");
    // A tap in a field brings the keyboard up.
    tapAt(panel.bodyField()->viewport(), QPoint(5, 5));
    tapAt(panel.titleField(), QPoint(5, 5));
    EXPECT_EQ(keyboard.showCalls, 1);
    EXPECT_TRUE(keyboard.keyboardShown());
    if (qEnvironmentVariableIsSet("VANTREL_SHOTS"))
      panel.grab().save(QString("%1/note-editor-%2.png").arg(qgetenv("VANTREL_SHOTS")).arg(dpi));
    model.cancelNote();
  }
}

}  // namespace
}  // namespace vantrel
