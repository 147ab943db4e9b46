#pragma once
// The chrome viewer takes part in every page: it records the page shown,
// pushes it onto the history after the layout, keeps the back, forward and
// history-list buttons of the command bar up to date and carries out the
// bar's navigation commands.
#include <functional>
#include <string>

#include "platform/MessageService.h"
#include "shell/MainFrame.h"
#include "shell/PageHistory.h"
#include "shell/PageKeys.h"
#include "tables/ItemSource.h"

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

// One button or menu entry of the command bar. Separators have command 0.
struct CommandBarButton {
  int command;
  int image;     // index in the bar's image strip; -1 for a separator
  int menu;      // drop-down menu number, -1 for a plain button
  bool enabledAtStart;
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

class ChromeViewer : public Viewer {
 public:
  ChromeViewer(MainFrame& frame, const PageKeys& keys, PageHistory& history, MessageService& messages,
               CommandBar& bar, std::function<void()> quit);

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

 private:
  void go(const char* key);

  MainFrame& frame_;
  const PageKeys& keys_;
  PageHistory& history_;
  MessageService& messages_;
  CommandBar& bar_;
  std::function<void()> quit_;
};

}  // namespace vantrel
