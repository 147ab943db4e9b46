#include "shell/ChromeViewer.h"

namespace vantrel {

const std::vector<CommandBarButton>& commandBarLayout() {
  static const std::vector<CommandBarButton> layout = {
      {cmd::kMainMenu, 0, 0, true},  {0, -1, -1, true},
      {cmd::kBack, 1, -1, false},    {cmd::kHistory, 2, -1, false}, {cmd::kForward, 3, -1, false},
      {0, -1, -1, true},
      {cmd::kHome, 4, -1, true},     {cmd::kIndex, 5, -1, true},    {cmd::kNotesMenu, 6, 1, true},
      {cmd::kBookmarksMenu, 7, 2, true}, {cmd::kTools, 8, -1, true},
      {0, -1, -1, true},
      {cmd::kExit, 9, -1, true},
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

bool ChromeViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  // The bookmark and notes pages are shown as overlays by their own
  // commands; until those exist they are recorded like any other page.
  frame_.setCurrentPage(object, data, length);
  history_.setOffHistory(false);
  updateHistoryButtons();
  return true;
}

void ChromeViewer::afterLayout() {
  if (frame_.window().mode() == FrameWindow::Mode::Overlay) {
    history_.setOffHistory(true);
  } else {
    const PageData& d = frame_.currentData();
    history_.push(frame_.currentObject(), d.data(), d.length(), frame_.title());
  }
  updateHistoryButtons();
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
