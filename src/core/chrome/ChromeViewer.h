#pragma once
// The chrome viewer takes part in every page: it records the page shown,
// pushes it onto the history after the layout, keeps the back, forward and
// history-list buttons of the command bar up to date and carries out the
// bar's navigation commands.
#include <functional>
#include <memory>
#include <string>

#include "core/platform/KeyboardService.h"
#include "core/platform/MessageService.h"
#include "core/page/MainFrame.h"
#include "core/page/PageHistory.h"
#include "core/page/PageKeys.h"
#include "core/chrome/UserDataPages.h"
#include "core/tables/ItemSource.h"
#include "core/userdata/BookmarkList.h"
#include "core/userdata/NoteEditorModel.h"
#include "core/userdata/NoteList.h"

namespace vantrel {

// Command ids of the command bar and its menus.
namespace cmd {
inline constexpr int kMainMenu = 40029;
inline constexpr int kBack = 40006;
inline constexpr int kHistory = 40027;
inline constexpr int kForward = 40007;
inline constexpr int kHome = 40038;
inline constexpr int kIndex = 40032;
inline constexpr int kNotesMenu = 40031;
inline constexpr int kBookmarksMenu = 40030;
inline constexpr int kTools = 12234;
inline constexpr int kExit = 40019;
inline constexpr int kAboutGuide = 40056;
inline constexpr int kAboutMaker = 40057;
inline constexpr int kNotice = 40058;
inline constexpr int kAddEditNote = 40023;
inline constexpr int kViewNotes = 40024;
// "Search the guide", at the end of the guide menu (Ctrl+K).
inline constexpr int kSearch = 40090;
inline constexpr int kAddBookmark = 40025;
inline constexpr int kViewBookmarks = 40026;
}  // namespace cmd

inline constexpr char16_t kExitQuestion[] = u"Are you sure you want to exit";

// Codes of the buttons under the bookmark list and the notes panel.
namespace userbar {
inline constexpr int kNewNote = 654;
inline constexpr int kDeleteChecked = 123;
inline constexpr int kSaveNote = 124;
inline constexpr int kCancelNote = 125;
inline constexpr int kLogo = 1111;
}  // namespace userbar

inline constexpr char16_t kBookmarksCaption[] = u"Bookmarks";
inline constexpr char16_t kAddBookmarkCaption[] = u"Add bookmark";
inline constexpr char16_t kNotHereMessage[] = u"You can't place a bookmark here.";
inline constexpr char16_t kBookmarkExistsMessage[] = u"You can't place a bookmark here. Bookmark exists.";
inline constexpr char16_t kMissingTargetQuestion[] =
    u"This element doesn't exist. Do you want to remove the bookmark?";
inline constexpr char16_t kErrorCaption[] = u"Error";

// One button or menu entry of the command bar. Separators have command 0.
struct CommandBarButton {
  int command;
  int image;     // index in the bar's image strip; -1 for a separator
  int menu;      // drop-down menu number, -1 for a plain button
  bool enabledAtStart;
  // What the button is called (its tooltip and its name for screen
  // readers), and the desktop shortcut that does the same, if any.
  const char16_t* name = nullptr;
  const char16_t* shortcut = nullptr;
};
struct CommandMenuItem {
  int menu;
  const char16_t* text;  // null for a separator
  int command;
};
// The bar from left to right, separators included.
const std::vector<CommandBarButton>& commandBarLayout();
const std::vector<CommandMenuItem>& commandMenuItems();

// The platform's command bar as the chrome drives it.
class CommandBar {
 public:
  virtual ~CommandBar() = default;
  virtual void setButtonEnabled(int command, bool enabled) = 0;
  virtual bool buttonEnabled(int command) const = 0;
  // Shows the history list above the bar, aligned with its left edge; a
  // choice comes back through ChromeViewer::historyChosen.
  virtual void showHistoryMenu(const ItemSource& items) = 0;
};

// The windows of the user-data overlays, not owned by the chrome.
struct UserDataWindows {
  BookmarkPage* bookmarks = nullptr;
  NotePage* notes = nullptr;
  LayoutWindow* listBar = nullptr;    // new note, delete checked, logo
  LayoutWindow* editorBar = nullptr;  // save, cancel, logo
  TitleEntry* titles = nullptr;
  KeyboardService* keyboard = nullptr;
};

class ChromeViewer : public Viewer {
 public:
  ChromeViewer(MainFrame& frame, const PageKeys& keys, PageHistory& history, MessageService& messages,
               CommandBar& bar, std::function<void()> quit);
  ~ChromeViewer() override;

  // Opens the bookmark and note pairs of the program directory; content
  // turns bookmarks' persistent ids into objects (null: none).
  void openUserData(const std::string& programDirectory, const ContentIds* content);
  // The windows of the overlays; until they are set the bookmark and note
  // commands do nothing.
  void setUserDataWindows(const UserDataWindows& windows);
  BookmarkList* bookmarks() { return bookmarks_.get(); }
  NoteList* notes() { return notes_.get(); }
  NoteEditorModel* noteEditor() { return editor_.get(); }

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;

  // Carries out a command of the bar or its menus; false for an id it does
  // not know (nothing happens then).
  bool command(int id);
  // An entry of the history list was chosen (its data is the history index).
  void historyChosen(uint32_t data);
  // The history titles newest first, each with its history index.
  VectorItemSource historyItems() const;
  void updateHistoryButtons();

  // A button of the bars under the overlays; false for a code it does not know.
  bool buttonCommand(int code);
  // The bookmark at position was tapped in the bookmark list.
  void bookmarkChosen(uint32_t position);
  // The notes panel reports a note key, or the end of editing (a value above
  // NoteList::kMaxKey).
  void noteEvent(uint32_t value);
  // The bar shown under the overlay (the list bar or the editor bar).
  LayoutWindow* bottomBar() const { return bottomBar_; }
  bool notesMode() const { return notesMode_; }

 private:
  void go(const char* key);
  bool overlaysReady() const { return windows_.bookmarks && windows_.notes && bookmarks_ && editor_; }
  void showOverlay(bool notes, const uint8_t* data, size_t length);
  void setNoteMode(int mode);
  void addBookmark();
  void deleteChecked();
  void finishEditing(const NoteEditorModel::Outcome& outcome);
  void say(const std::u16string& caption, const std::u16string& text, MessageIcon icon);
  void restoreKeyboard(bool up);

  MainFrame& frame_;
  const PageKeys& keys_;
  PageHistory& history_;
  MessageService& messages_;
  CommandBar& bar_;
  std::function<void()> quit_;

  std::unique_ptr<BookmarkList> bookmarks_;
  std::unique_ptr<NoteList> notes_;
  std::unique_ptr<NoteEditorModel> editor_;
  UserDataWindows windows_;
  LayoutWindow* bottomBar_ = nullptr;
  bool notesMode_ = false;
  bool overlayShown_ = false;
  bool refreshNotes_ = false;
  bool showKeyboard_ = false;
};

}  // namespace vantrel
