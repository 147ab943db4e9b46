#include "core/chrome/ChromeViewer.h"

#include "core/userdata/UserDataMessages.h"

namespace vantrel {

const std::vector<CommandBarButton>& commandBarLayout() {
  static const std::vector<CommandBarButton> layout = {
      {cmd::kMainMenu, 0, 0, true, u"Guide menu"},
      {0, -1, -1, true},
      {cmd::kBack, 1, -1, false, u"Back", u"Alt+Left"},
      {cmd::kHistory, 2, -1, false, u"History"},
      {cmd::kForward, 3, -1, false, u"Forward", u"Alt+Right"},
      {0, -1, -1, true},
      {cmd::kHome, 4, -1, true, u"Home", u"Alt+Home"},
      {cmd::kIndex, 5, -1, true, u"Index"},
      {cmd::kNotesMenu, 6, 1, true, u"Notes"},
      {cmd::kBookmarksMenu, 7, 2, true, u"Bookmarks"},
      {cmd::kTools, 8, -1, true, u"Abbreviations"},
      {0, -1, -1, true},
      {cmd::kExit, 9, -1, true, u"Exit", u"Ctrl+Q"},
  };
  return layout;
}

const std::vector<CommandMenuItem>& commandMenuItems() {
  static const std::vector<CommandMenuItem> items = {
      {0, u"Vantrel Guide Home", cmd::kHome},
      {0, nullptr, 0},
      {0, u"About", cmd::kAboutGuide},
      {0, u"About KORVAX, Inc.", cmd::kAboutMaker},
      {0, u"Legitimacy Notice", cmd::kNotice},
      {0, u"Search the guide", cmd::kSearch},
      {1, u"- Add/Edit Note", cmd::kAddEditNote},
      {1, u"- View Notes", cmd::kViewNotes},
      {2, u"- Add Bookmark", cmd::kAddBookmark},
      {2, u"- View Bookmarks", cmd::kViewBookmarks},
  };
  return items;
}

ChromeViewer::ChromeViewer(MainFrame& frame, const PageKeys& keys, PageHistory& history,
                           MessageService& messages, CommandBar& bar, std::function<void()> quit)
    : frame_(frame), keys_(keys), history_(history), messages_(messages), bar_(bar), quit_(std::move(quit)) {
  for (const CommandBarButton& b : commandBarLayout())
    if (b.command) bar_.setButtonEnabled(b.command, b.enabledAtStart);
}

ChromeViewer::~ChromeViewer() {
  // Closing compacts the pairs.
  editor_.reset();
  if (notes_) notes_->close();
  if (bookmarks_) bookmarks_->close();
}

void ChromeViewer::openUserData(const std::string& programDirectory, const ContentIds* content) {
  bookmarks_ = std::make_unique<BookmarkList>(content);
  bookmarks_->open(programDirectory);
  notes_ = std::make_unique<NoteList>();
  notes_->open(programDirectory);
  editor_ = std::make_unique<NoteEditorModel>(*notes_);
}

void ChromeViewer::setUserDataWindows(const UserDataWindows& windows) {
  windows_ = windows;
  bottomBar_ = windows_.listBar;
}

bool ChromeViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  if (overlaysReady() && (object == keys_["bookmarks"] || object == keys_["notes"])) {
    // Shown above the page: the page itself is not recorded.
    showOverlay(object == keys_["notes"], data, length);
  } else {
    frame_.setCurrentPage(object, data, length);
  }
  history_.setOffHistory(false);
  updateHistoryButtons();
  return true;
}

void ChromeViewer::showOverlay(bool notes, const uint8_t* data, size_t length) {
  LayoutWindow* page;
  if (!notes) {
    notesMode_ = false;
    bottomBar_ = windows_.listBar;
    page = windows_.bookmarks->pageWindow();
  } else {
    notesMode_ = true;
    page = windows_.notes->pageWindow();
    if (data && length > 0) {
      // A note key, 4 bytes, low byte first.
      uint32_t key = 0;
      for (size_t i = 0; i < 4 && i < length; ++i) key |= static_cast<uint32_t>(data[i]) << (8 * i);
      bottomBar_ = windows_.editorBar;
      setNoteMode(NoteEditorModel::kEditor);
      editor_->openNoteEditor(key, nullptr, 0, u"");
      windows_.notes->modelChanged();
      showKeyboard_ = true;
    }
  }
  frame_.addLayoutItem(page, kFill);
  if (bottomBar_) frame_.addLayoutItem(bottomBar_, kBottomStrip);
  frame_.enterOverlay();
  overlayShown_ = true;
}

void ChromeViewer::afterLayout() {
  if (frame_.window().mode() == FrameWindow::Mode::Overlay) {
    history_.setOffHistory(true);
  } else {
    const PageData& d = frame_.currentData();
    history_.push(frame_.currentObject(), d.data(), d.length(), frame_.title());
  }
  updateHistoryButtons();
  if (!overlaysReady()) return;
  if (overlayShown_) {
    windows_.bookmarks->refresh();
    overlayShown_ = false;
    history_.setOffHistory(true);
    updateHistoryButtons();
  }
  if (refreshNotes_) {
    windows_.notes->refreshList();
    refreshNotes_ = false;
    history_.setOffHistory(true);
    updateHistoryButtons();
  }
  if (showKeyboard_) {
    if (windows_.keyboard) windows_.keyboard->showKeyboard();
    showKeyboard_ = false;
  }
}

void ChromeViewer::setNoteMode(int mode) {
  editor_->setMode(mode, windows_.keyboard && windows_.keyboard->keyboardShown());
  windows_.notes->modelChanged();
}

void ChromeViewer::say(const std::u16string& caption, const std::u16string& text, MessageIcon icon) {
  messages_.showMessage({caption, text, icon, MessageButtons::Ok});
}

void ChromeViewer::restoreKeyboard(bool up) {
  if (!windows_.keyboard) return;
  if (up) windows_.keyboard->showKeyboard();
  else windows_.keyboard->hideKeyboard();
}

void ChromeViewer::addBookmark() {
  // A copy: the page may change while the title dialog is open, and the
  // bookmark is for the place the command was given on.
  const uint32_t object = frame_.currentObject();
  const PageData place = frame_.currentData();
  const uint32_t length = static_cast<uint32_t>(place.length());
  const int check = bookmarks_->checkBookmark(object, place.data(), length);
  if (check == BookmarkList::kNotHere) {
    say(kBookmarksCaption, kNotHereMessage, MessageIcon::Warning);
    return;
  }
  if (check == BookmarkList::kExists) {
    say(kBookmarksCaption, kBookmarkExistsMessage, MessageIcon::Warning);
    return;
  }
  // Files that cannot take the bookmark are said before a title is asked for.
  const std::u16string refusal = changeRefusal(bookmarks_->store(), UserDataKind::bookmarks);
  if (!refusal.empty()) {
    say(kUserDataProblemCaption, refusal, MessageIcon::Warning);
    return;
  }
  const bool keyboardWasUp = windows_.keyboard && windows_.keyboard->keyboardShown();
  if (windows_.keyboard) windows_.keyboard->showKeyboard();
  std::optional<std::u16string> title = windows_.titles ? windows_.titles->askTitle(kAddBookmarkCaption)
                                                         : std::nullopt;
  if (title) {
    if (bookmarks_->addBookmark(*title, object, place.data(), length) != 0) {
      say(kUserDataProblemCaption, writeFailure(bookmarks_->store(), UserDataKind::bookmarks), MessageIcon::Error);
    }
    windows_.bookmarks->refresh();
  }
  restoreKeyboard(keyboardWasUp);
}

void ChromeViewer::deleteChecked() {
  if (notesMode_) {
    std::vector<uint32_t> checked = windows_.notes->takeChecked();
    if (checked.empty()) return;
    const std::u16string refusal = changeRefusal(notes_->store(), UserDataKind::notes);
    if (!refusal.empty()) {
      say(kUserDataProblemCaption, refusal, MessageIcon::Warning);
      return;
    }
    const size_t wanted = checked.size();
    if (static_cast<size_t>(editor_->deleteChecked(std::move(checked))) < wanted)
      say(kUserDataProblemCaption, writeFailure(notes_->store(), UserDataKind::notes), MessageIcon::Error);
    windows_.notes->refreshList();
    return;
  }
  std::vector<uint32_t> checked = windows_.bookmarks->takeChecked();
  if (checked.empty()) return;
  const std::u16string refusal = changeRefusal(bookmarks_->store(), UserDataKind::bookmarks);
  if (!refusal.empty()) {
    say(kUserDataProblemCaption, refusal, MessageIcon::Warning);
    return;
  }
  const size_t wanted = checked.size();
  if (static_cast<size_t>(bookmarks_->removeBookmarks(std::move(checked))) < wanted)
    say(kUserDataProblemCaption, writeFailure(bookmarks_->store(), UserDataKind::bookmarks), MessageIcon::Error);
  windows_.bookmarks->refresh();
}

void ChromeViewer::finishEditing(const NoteEditorModel::Outcome& outcome) {
  if (outcome.refused) {
    // Still editing: the fields keep what was typed.
    say(outcome.caption, outcome.message, MessageIcon::Warning);
    return;
  }
  restoreKeyboard(outcome.keyboardUp);
  windows_.notes->modelChanged();
  if (outcome.reportEnd) noteEvent(NoteEditorModel::kEndOfEditing);
  if (!outcome.backToList) frame_.closeOverlay();
}

bool ChromeViewer::buttonCommand(int code) {
  if (!overlaysReady()) return false;
  switch (code) {
    case userbar::kNewNote:
      bottomBar_ = windows_.editorBar;
      setNoteMode(NoteEditorModel::kEditor);
      editor_->startNewNote();
      windows_.notes->modelChanged();
      go("notes");
      return true;
    case userbar::kDeleteChecked: deleteChecked(); return true;
    case userbar::kSaveNote:
      windows_.notes->readFields();
      finishEditing(editor_->saveNote());
      return true;
    case userbar::kCancelNote: finishEditing(editor_->cancelNote()); return true;
    case userbar::kLogo: go("about"); return true;
    default: return false;
  }
}

void ChromeViewer::bookmarkChosen(uint32_t position) {
  history_.setOffHistory(false);
  updateHistoryButtons();
  if (!bookmarks_ || position >= bookmarks_->itemCount()) return;
  const BookmarkPlace place = bookmarks_->bookmarkAt(position);
  if (place.target != 0) {
    frame_.navigate(place.target, reinterpret_cast<const uint8_t*>(place.pageData.data()), place.length, true);
    return;
  }
  if (messages_.showMessage({kGuideTitle, kMissingTargetQuestion, MessageIcon::Question, MessageButtons::YesNo}) !=
      MessageAnswer::Yes)
    return;
  const std::u16string refusal = changeRefusal(bookmarks_->store(), UserDataKind::bookmarks);
  if (!refusal.empty()) {
    say(kUserDataProblemCaption, refusal, MessageIcon::Warning);
  } else if (bookmarks_->removeBookmark(position) != 0) {
    say(kUserDataProblemCaption, writeFailure(bookmarks_->store(), UserDataKind::bookmarks), MessageIcon::Error);
  }
  if (windows_.bookmarks) windows_.bookmarks->refresh();
}

void ChromeViewer::noteEvent(uint32_t value) {
  history_.setOffHistory(false);
  updateHistoryButtons();
  if (!overlaysReady()) return;
  if (value > NoteList::kMaxKey) {
    bottomBar_ = windows_.listBar;
    setNoteMode(NoteEditorModel::kList);
    refreshNotes_ = true;
    go("notes");
    return;
  }
  const uint8_t key[4] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                          static_cast<uint8_t>((value >> 16) & 0xFF), static_cast<uint8_t>(value >> 24)};
  frame_.navigate(keys_["notes"], key, 4, true);
}

void ChromeViewer::updateHistoryButtons() {
  bar_.setButtonEnabled(cmd::kBack, history_.canGoBack());
  bar_.setButtonEnabled(cmd::kHistory, history_.hasList());
  bar_.setButtonEnabled(cmd::kForward, history_.canGoForward());
}

void ChromeViewer::go(const char* key) { frame_.navigate(keys_[key], nullptr, 0, true); }

bool ChromeViewer::command(int id) {
  switch (id) {
    case cmd::kBack: history_.back(); return true;
    case cmd::kForward: history_.forward(); return true;
    case cmd::kHistory: bar_.showHistoryMenu(historyItems()); return true;
    case cmd::kHome: go("home"); return true;
    case cmd::kIndex: go("index"); return true;
    case cmd::kTools: go("tools"); return true;
    case cmd::kAboutGuide: go("about_qd"); return true;
    case cmd::kAboutMaker: go("about"); return true;
    case cmd::kNotice: go("notice"); return true;
    case cmd::kViewBookmarks:
      if (overlaysReady()) go("bookmarks");
      return true;
    case cmd::kViewNotes:
      if (!overlaysReady()) return true;
      bottomBar_ = windows_.listBar;
      setNoteMode(NoteEditorModel::kList);
      refreshNotes_ = true;
      go("notes");
      return true;
    case cmd::kAddEditNote: {
      if (!overlaysReady()) return true;
      bottomBar_ = windows_.editorBar;
      setNoteMode(NoteEditorModel::kEditor);
      const PageData& d = frame_.currentData();
      editor_->openNoteEditor(frame_.currentObject(), d.data(), static_cast<uint32_t>(d.length()), u"");
      windows_.notes->modelChanged();
      go("notes");
      return true;
    }
    case cmd::kAddBookmark:
      if (overlaysReady()) addBookmark();
      return true;
    case cmd::kSearch: go("search"); return true;
    case cmd::kExit:
      if (messages_.showMessage({kGuideTitle, kExitQuestion, MessageIcon::Question, MessageButtons::YesNo}) ==
          MessageAnswer::Yes) {
        if (quit_) quit_();
      }
      return true;
    default: return false;
  }
}

VectorItemSource ChromeViewer::historyItems() const {
  VectorItemSource items;
  std::vector<std::u16string> titles = history_.titles();
  for (size_t i = titles.size(); i-- > 0;) items.add(titles[i], static_cast<uint32_t>(i));
  return items;
}

void ChromeViewer::historyChosen(uint32_t data) { history_.goTo(static_cast<int>(data)); }

}  // namespace vantrel
