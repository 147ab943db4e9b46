// The bookmark and note commands of the chrome: the overlays, the button
// bars' codes, the add-bookmark flow with its messages, the list events and
// the notes editor's save and cancel, against stand-in windows and real files.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <utility>

#include "../userdata/TestUtil.h"
#include "ShellFakes.h"
#include "core/chrome/ChromeViewer.h"
#include "core/util/FileOps.h"
#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

using test::FakeHost;
using test::FakeWindow;
using test::ScriptViewer;
using testing::FakeIds;
using testing::ScratchDir;

struct Bar : CommandBar {
  void setButtonEnabled(int c, bool e) override { enabled[c] = e; }
  bool buttonEnabled(int c) const override { return enabled.count(c) && enabled.at(c); }
  void showHistoryMenu(const ItemSource&) override {}
  std::map<int, bool> enabled;
};

struct FakeBookmarkPage : BookmarkPage {
  LayoutWindow* pageWindow() override { return &window; }
  void refresh() override { ++refreshes; }
  std::vector<uint32_t> takeChecked() override { return std::exchange(checked, {}); }
  FakeWindow window{{240, 200}, "bookmarks"};
  int refreshes = 0;
  std::vector<uint32_t> checked;
};

struct FakeNotePage : NotePage {
  explicit FakeNotePage(NoteEditorModel*& model) : model(model) {}
  LayoutWindow* pageWindow() override { return &window; }
  void modelChanged() override {
    if (model && model->mode() == NoteEditorModel::kEditor) {
      title = model->title();
      body = model->body();
    }
  }
  void readFields() override {
    model->setTitle(title);
    model->setBody(body);
  }
  void refreshList() override { ++refreshes; }
  std::vector<uint32_t> takeChecked() override { return std::exchange(checked, {}); }
  NoteEditorModel*& model;
  FakeWindow window{{240, 200}, "notes"};
  std::u16string title, body;
  int refreshes = 0;
  std::vector<uint32_t> checked;
};

struct FakeTitles : TitleEntry {
  std::optional<std::u16string> askTitle(const std::u16string& caption) override {
    captions.push_back(caption);
    return answer;
  }
  std::optional<std::u16string> answer;
  std::vector<std::u16string> captions;
};

// Objects 0..99; objects 1..49 have persistent ids 1000 + index.
struct Rig {
  ScratchDir ownDir;
  std::string path;
  FakeIds ids{100, [] {
                std::map<ObjectIndex, uint32_t> m;
                for (ObjectIndex o = 1; o < 50; ++o) m[o] = 1000 + o;
                return m;
              }()};
  FixedScreen screen;
  StateKeyboard keyboard;
  FakeHost host;
  FrameWindow window{host, screen, keyboard};
  MainFrame frame{window, keyboard};
  PageKeys keys;
  PageHistory history;
  ScriptedMessages messages;
  Bar bar;
  NoteEditorModel* model = nullptr;
  FakeBookmarkPage bookmarkPage;
  FakeNotePage notePage{model};
  FakeWindow listBar{{240, 22}, "listBar"}, editorBar{{240, 22}, "editorBar"};
  FakeTitles titles;
  std::unique_ptr<ChromeViewer> chrome;
  FakeWindow page;
  ScriptViewer content{frame, "content", nullptr};

  // dir: the program directory (default: a fresh one); prepare changes the
  // content before the reader starts (a new edition).
  explicit Rig(const std::string& dir = "", const std::function<void(FakeIds&)>& prepare = {})
      : path(dir.empty() ? ownDir.path() : dir) {
    if (prepare) prepare(ids);
    start();
  }
  void start() {
    keys.build(100, [](std::u16string_view) { return 0u; });
    history.setListener([this](uint32_t o, const uint8_t* d, size_t n) { frame.navigate(o, d, n, true); });
    chrome = std::make_unique<ChromeViewer>(frame, keys, history, messages, bar, [] {});
    chrome->openUserData(path, &ids);
    model = chrome->noteEditor();
    chrome->setUserDataWindows({&bookmarkPage, &notePage, &listBar, &editorBar, &titles, &keyboard});
    // The content viewer takes every object of the content, not the built-in pages.
    content.takes = [](uint32_t o) { return o < 100; };
    content.windows = {{&page, kFill}};
    frame.registerViewer(chrome.get());
    frame.registerViewer(&content);
  }
  void visit(uint32_t o, std::vector<uint8_t> data = {}) { frame.navigate(o, data.data(), data.size(), true); }
  std::u16string lastMessage() const { return messages.shown.empty() ? u"" : messages.shown.back().box.text; }
  std::vector<std::u16string> bookmarkTitles() const {
    std::vector<std::u16string> t;
    for (const Bookmark& b : chrome->bookmarks()->bookmarks()) t.push_back(b.title);
    return t;
  }
};

TEST(UserDataCommands, AddBookmarkFlowAndItsRefusals) {
  Rig r;
  // A built-in page (home, the calculator's results) cannot be bookmarked.
  r.frame.navigate(r.keys["home"], nullptr, 0, true);
  r.chrome->command(cmd::kAddBookmark);
  EXPECT_EQ(r.lastMessage(), kNotHereMessage);
  EXPECT_EQ(r.messages.shown.back().box.caption, u"Bookmarks");
  r.frame.navigate(r.keys["calc_result"], nullptr, 0, true);
  r.chrome->command(cmd::kAddBookmark);
  EXPECT_EQ(r.lastMessage(), kNotHereMessage);
  // Nor an object without a persistent id.
  r.visit(70);
  r.chrome->command(cmd::kAddBookmark);
  EXPECT_EQ(r.lastMessage(), kNotHereMessage);
  EXPECT_TRUE(r.titles.captions.empty());

  // A place with page data: the dialog is asked, the keyboard comes up for
  // it and goes back to how it was.
  r.visit(5, {1, 2, 3});
  r.titles.answer = u"Dose table";
  r.chrome->command(cmd::kAddBookmark);
  ASSERT_EQ(r.titles.captions.size(), 1u);
  EXPECT_EQ(r.titles.captions[0], u"Add bookmark");
  EXPECT_EQ(r.keyboard.showCalls, 1);
  EXPECT_FALSE(r.keyboard.keyboardShown());
  ASSERT_EQ(r.bookmarkTitles(), std::vector<std::u16string>{u"Dose table"});
  EXPECT_EQ(r.chrome->bookmarks()->bookmarkAt(0).pageData, std::string("\x01\x02\x03", 3));

  // The same place again is refused before the dialog; other page data is a new place.
  const size_t shown = r.messages.shown.size();
  r.chrome->command(cmd::kAddBookmark);
  EXPECT_EQ(r.messages.shown.size(), shown + 1);
  EXPECT_EQ(r.lastMessage(), kBookmarkExistsMessage);
  EXPECT_EQ(r.titles.captions.size(), 1u);
  r.visit(5, {1, 2, 4});
  r.titles.answer.reset();  // cancelled: nothing added
  r.chrome->command(cmd::kAddBookmark);
  EXPECT_EQ(r.chrome->bookmarks()->itemCount(), 1u);
}

TEST(UserDataCommands, BookmarkOverlayLeavesThePageAndBackShowsItAgain) {
  Rig r;
  r.visit(3);
  r.visit(4);
  r.chrome->command(cmd::kViewBookmarks);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Overlay);
  ASSERT_EQ(r.window.overlay().size(), 2u);
  EXPECT_EQ(r.window.overlay()[0].window, &r.bookmarkPage.window);
  EXPECT_EQ(r.window.overlay()[1].window, &r.listBar);
  EXPECT_EQ(r.window.overlay()[1].kind, kBottomStrip);
  EXPECT_EQ(r.bookmarkPage.refreshes, 1);
  EXPECT_EQ(r.frame.currentObject(), 4u);  // the page underneath is not replaced
  EXPECT_TRUE(r.history.offHistory());
  EXPECT_TRUE(r.page.shown);
  // Back shows the current entry again, not the one before it.
  r.chrome->command(cmd::kBack);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Normal);
  EXPECT_EQ(r.frame.currentObject(), 4u);
  EXPECT_EQ(r.history.size(), 2u);
  // The logo leads to the about page.
  r.chrome->command(cmd::kViewBookmarks);
  r.chrome->buttonCommand(userbar::kLogo);
  EXPECT_EQ(r.frame.currentObject(), r.keys["about"]);
}

TEST(UserDataCommands, TappedBookmarkOpensItsPlaceOrOffersRemoval) {
  ScratchDir dir;
  {
    Rig r(dir.path());
    r.visit(7, {9, 9});
    r.titles.answer = u"seven";
    r.chrome->command(cmd::kAddBookmark);
    r.visit(8);
    r.titles.answer = u"eight";
    r.chrome->command(cmd::kAddBookmark);
    r.visit(2);
    r.chrome->command(cmd::kViewBookmarks);
    r.chrome->bookmarkChosen(0);
    EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Normal);
    EXPECT_EQ(r.frame.currentObject(), 7u);
    const uint8_t data[] = {9, 9};
    EXPECT_TRUE(r.frame.currentData().sameAs(data, 2));
  }
  // A new edition without object 8: its bookmark is offered for removal.
  Rig r(dir.path(), [](FakeIds& ids) { ids.drop(8); });
  r.visit(2);
  r.chrome->command(cmd::kViewBookmarks);
  r.messages.queueAnswer(MessageAnswer::No);
  r.chrome->bookmarkChosen(1);
  EXPECT_EQ(r.lastMessage(), kMissingTargetQuestion);
  EXPECT_EQ(r.messages.shown.back().box.caption, kGuideTitle);
  EXPECT_EQ(r.chrome->bookmarks()->itemCount(), 2u);  // No keeps it
  r.messages.queueAnswer(MessageAnswer::Yes);
  const int refreshes = r.bookmarkPage.refreshes;
  r.chrome->bookmarkChosen(1);
  EXPECT_EQ(r.bookmarkTitles(), std::vector<std::u16string>{u"seven"});
  EXPECT_GT(r.bookmarkPage.refreshes, refreshes);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Overlay);  // still on the list
}

TEST(UserDataCommands, DeletingCheckedBookmarksAndNotes) {
  Rig r;
  for (uint32_t o = 1; o <= 5; ++o) {
    r.visit(o);
    r.titles.answer = u"b" + std::u16string(1, char16_t(u'0' + o));
    r.chrome->command(cmd::kAddBookmark);
  }
  r.chrome->command(cmd::kViewBookmarks);
  r.bookmarkPage.checked = {2, 0};
  r.chrome->buttonCommand(userbar::kDeleteChecked);
  EXPECT_EQ(r.bookmarkTitles(), (std::vector<std::u16string>{u"b2", u"b4", u"b5"}));

  for (const char16_t* t : {u"n0", u"n1", u"n2"}) {
    r.chrome->buttonCommand(userbar::kNewNote);
    r.notePage.title = t;
    r.chrome->buttonCommand(userbar::kSaveNote);
  }
  ASSERT_EQ(r.chrome->notes()->itemCount(), 3u);
  EXPECT_TRUE(r.chrome->notesMode());
  r.notePage.checked = {1};
  r.chrome->buttonCommand(userbar::kDeleteChecked);
  ASSERT_EQ(r.chrome->notes()->itemCount(), 2u);
  EXPECT_EQ(r.chrome->notes()->itemAt(1).text, u"n2");
  EXPECT_EQ(r.chrome->bookmarks()->itemCount(), 3u);  // bookmarks untouched
}

TEST(UserDataCommands, NoteEditorFlows) {
  Rig r;
  r.visit(3);
  // The list; a new note; its save goes back to the list.
  r.chrome->command(cmd::kViewNotes);
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kList);
  EXPECT_EQ(r.chrome->bottomBar(), &r.listBar);
  EXPECT_EQ(r.notePage.refreshes, 1);
  r.chrome->buttonCommand(userbar::kNewNote);
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kEditor);
  EXPECT_EQ(r.model->caption(), u"Add Note");
  EXPECT_EQ(r.window.overlay()[1].window, &r.editorBar);
  // An empty title is refused with its message and the editor stays.
  r.notePage.body = u"text";
  r.chrome->buttonCommand(userbar::kSaveNote);
  EXPECT_EQ(r.lastMessage(), u"You can't save this note. \"Title\" field is empty.");
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kEditor);
  r.notePage.title = u"First";
  r.chrome->buttonCommand(userbar::kSaveNote);
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kList);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Overlay);
  ASSERT_EQ(r.chrome->notes()->itemCount(), 1u);

  // Reopened from the list: the panel reports its key, the chrome opens the editor.
  r.chrome->noteEvent(r.model->chooseItem(0));
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kEditor);
  EXPECT_EQ(r.notePage.title, u"First");
  EXPECT_EQ(r.notePage.body, u"text");
  r.notePage.body = u"changed";
  r.chrome->buttonCommand(userbar::kCancelNote);
  EXPECT_EQ(r.chrome->notes()->noteContent(0).second, u"text");
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kList);

  // Add/Edit Note on a page: saving closes the overlay and shows the page;
  // the same command on the same page finds the note again.
  r.chrome->command(cmd::kBack);
  r.visit(12);
  r.chrome->command(cmd::kAddEditNote);
  EXPECT_EQ(r.model->key(), 12u);
  r.notePage.title = u"On twelve";
  r.chrome->buttonCommand(userbar::kSaveNote);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Normal);
  EXPECT_EQ(r.frame.currentObject(), 12u);
  r.visit(13);
  r.visit(12);
  r.chrome->command(cmd::kAddEditNote);
  EXPECT_EQ(r.notePage.title, u"On twelve");
  r.chrome->buttonCommand(userbar::kCancelNote);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Normal);
  EXPECT_EQ(r.chrome->notes()->itemCount(), 2u);
}

TEST(UserDataCommands, FailedSaveKeepsTheEditorAndSaysWhy) {
  Rig r;
  r.visit(3);
  r.chrome->command(cmd::kAddEditNote);
  r.notePage.title = u"Kept";
  r.notePage.body = u"all of it";
  fileops::setWriteFault(ENOSPC);
  r.chrome->buttonCommand(userbar::kSaveNote);
  fileops::setWriteFault(0);
  EXPECT_EQ(r.lastMessage(), u"The note could not be written: No space left on device.");
  EXPECT_EQ(r.model->mode(), NoteEditorModel::kEditor);
  EXPECT_EQ(r.window.mode(), FrameWindow::Mode::Overlay);
  EXPECT_EQ(r.chrome->notes()->itemCount(), 0u);
  // The text is still there to be saved once the disk has room.
  r.chrome->buttonCommand(userbar::kSaveNote);
  ASSERT_EQ(r.chrome->notes()->itemCount(), 1u);
  EXPECT_EQ(r.chrome->notes()->noteContent(0).second, u"all of it");

  // A failed bookmark write says so too.
  r.visit(4);
  r.titles.answer = u"x";
  fileops::setWriteFault(ENOSPC);
  r.chrome->command(cmd::kAddBookmark);
  fileops::setWriteFault(0);
  EXPECT_EQ(r.lastMessage(), u"The bookmark could not be written: No space left on device.");
  EXPECT_EQ(r.chrome->bookmarks()->itemCount(), 0u);
}

TEST(UserDataCommands, BookmarksAndNotesThatCannotBeChangedSayItUnderOneCaption) {
  Rig first;
  first.visit(6);
  first.titles.answer = u"mine";
  first.chrome->command(cmd::kAddBookmark);
  first.chrome->buttonCommand(userbar::kNewNote);
  first.notePage.title = u"note";
  first.chrome->buttonCommand(userbar::kSaveNote);
  ASSERT_EQ(first.chrome->notes()->itemCount(), 1u);
  const size_t before = first.messages.shown.size();

  // A second reader on the folder: every change of either kind is refused.
  Rig second(first.path);
  ASSERT_TRUE(second.chrome->bookmarks()->store().readOnly());
  second.visit(7);
  second.titles.answer = u"theirs";
  second.chrome->command(cmd::kAddBookmark);
  second.chrome->command(cmd::kViewBookmarks);
  second.bookmarkPage.checked = {0};
  second.chrome->buttonCommand(userbar::kDeleteChecked);
  second.chrome->command(cmd::kViewNotes);
  second.notePage.checked = {0};
  second.chrome->buttonCommand(userbar::kDeleteChecked);
  second.chrome->buttonCommand(userbar::kNewNote);
  second.notePage.title = u"theirs";
  second.chrome->buttonCommand(userbar::kSaveNote);
  EXPECT_EQ(first.messages.shown.size(), before);
  const auto& refusals = second.messages.shown;
  ASSERT_EQ(refusals.size(), 4u);
  for (const auto& m : refusals) {
    EXPECT_EQ(m.box.caption, u"Error") << toUtf8(m.box.text);
    EXPECT_EQ(m.box.icon, MessageIcon::Warning) << toUtf8(m.box.text);
  }
  EXPECT_NE(refusals[0].box.text.find(u"bookmarks are in use"), std::u16string::npos);
  EXPECT_NE(refusals[1].box.text.find(u"bookmarks are in use"), std::u16string::npos);
  EXPECT_NE(refusals[2].box.text.find(u"notes are in use"), std::u16string::npos);
  EXPECT_NE(refusals[3].box.text.find(u"notes are in use"), std::u16string::npos);
  EXPECT_EQ(first.chrome->bookmarks()->itemCount(), 1u);
  EXPECT_EQ(first.chrome->notes()->itemCount(), 1u);

  const auto& shown = first.messages.shown;
  // Failed writes carry the same caption, for both kinds; the empty-title
  // message keeps the platform's default (none).
  first.chrome->buttonCommand(userbar::kNewNote);
  first.chrome->buttonCommand(userbar::kSaveNote);
  EXPECT_EQ(shown.back().box.caption, u"");
  first.notePage.title = u"full";
  fileops::setWriteFault(ENOSPC);
  first.chrome->buttonCommand(userbar::kSaveNote);
  first.visit(8);
  first.chrome->command(cmd::kAddBookmark);
  fileops::setWriteFault(0);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[shown.size() - 2].box.caption, u"Error");
  EXPECT_EQ(shown.back().box.caption, u"Error");
  EXPECT_NE(shown.back().box.text.find(u"bookmark could not be written"), std::u16string::npos);
}

TEST(UserDataCommands, EverythingSurvivesARestart) {
  ScratchDir dir;
  {
    Rig r(dir.path());
    r.visit(6, {4, 2});
    r.titles.answer = u"six";
    r.chrome->command(cmd::kAddBookmark);
    r.chrome->command(cmd::kAddEditNote);
    r.notePage.title = u"about six";
    r.chrome->buttonCommand(userbar::kSaveNote);
  }
  Rig r(dir.path());
  EXPECT_EQ(r.bookmarkTitles(), std::vector<std::u16string>{u"six"});
  r.visit(6);
  r.chrome->command(cmd::kAddEditNote);
  EXPECT_EQ(r.notePage.title, u"about six");
}

TEST(UserDataCommands, SecondCopyOnTheFolderOnlyReads) {
  Rig first;
  first.visit(6);
  first.titles.answer = u"mine";
  first.chrome->command(cmd::kAddBookmark);
  // A second reader on the same folder while the first has it open.
  ChromeViewer second(first.frame, first.keys, first.history, first.messages, first.bar, [] {});
  second.openUserData(first.path, &first.ids);
  EXPECT_EQ(second.bookmarks()->itemCount(), 1u);
  EXPECT_TRUE(second.bookmarks()->store().readOnly());
  FakeBookmarkPage page;
  NoteEditorModel* model = second.noteEditor();
  FakeNotePage notes(model);
  FakeTitles titles;
  titles.answer = u"theirs";
  second.setUserDataWindows({&page, &notes, &first.listBar, &first.editorBar, &titles, &first.keyboard});
  first.visit(7);
  second.command(cmd::kAddBookmark);
  EXPECT_EQ(first.lastMessage(),
            u"The bookmarks are in use by another program. They can be read but not changed.");
  EXPECT_TRUE(titles.captions.empty());
  EXPECT_EQ(first.chrome->bookmarks()->itemCount(), 1u);
}

}  // namespace
}  // namespace vantrel
