#pragma once
// The chrome viewer with its user-data overlays: the bookmark window, the
// notes panel, the two button bars under them (list bar: new note, delete
// checked; editor bar: save, cancel; each with the logo at its right end)
// and the title dialog. The windows are made here and destroyed before the
// bookmark and note lists they show are closed.
#include <QJsonObject>
#include <QPointer>
#include <memory>

#include "core/content/ContentDatabase.h"
#include "ui/platform/QtScreen.h"
#include "ui/platform/Rescale.h"
#include "core/chrome/ChromeViewer.h"
#include "ui/tables/ButtonBar.h"
#include "ui/userdata/BookmarkWindow.h"
#include "core/userdata/ContentIds.h"
#include "ui/userdata/NotePanel.h"

namespace vantrel {

class QtChromeViewer : public ChromeViewer, public Rescalable, private TitleEntry {
 public:
  QtChromeViewer(MainFrame& frame, const PageKeys& keys, PageHistory& history, MessageService& messages,
                 CommandBar& bar, std::function<void()> quit, QWidget* pageArea, const ScreenInfo& screen,
                 KeyboardService& keyboard, const ContentDatabase* database, const std::string& programDirectory);
  ~QtChromeViewer() override;

  BookmarkWindow* bookmarkWindow() const { return bookmarkWindow_; }
  NotePanel* notePanel() const { return notePanel_; }
  ButtonBar* listBar() const { return listBar_; }
  ButtonBar* editorBar() const { return editorBar_; }
  // The checkbox list on screen (the bookmark list or the notes list), or null.
  PagedList* shownCheckList() const;
  // A control of the overlay shown, by child id (the note fields 44 and 45), or null.
  QWidget* overlayControl(int id) const;

  // The bars' height, buttons and spacing at the resolution read now (the
  // overlays and the logo rescale themselves).
  void rescale() override;

  // The scripted run's sections: viewers.bookmarks or viewers.notes (when
  // shown) and bottomBar.
  void addScriptState(QJsonObject& state, QJsonObject& viewers, QWidget* pageArea) const;

 private:
  // Presses on the bars' buttons go to the chrome.
  struct BarRelay : ButtonBarListener {
    QtChromeViewer* chrome = nullptr;
    void buttonCommand(int code) override { chrome->ChromeViewer::buttonCommand(code); }
  };
  std::optional<std::u16string> askTitle(const std::u16string& caption) override;
  ButtonBar* makeBar(QWidget* parent);
  void setButtons(ButtonBar& bar, const std::vector<ImageButtonDescription>& buttons);
  bool overlayShows(QWidget* w) const;

  MainFrame& frame_;
  QWidget* pageArea_;
  const ScreenInfo& screen_;
  MessageService& messages_;
  std::unique_ptr<DatabaseIds> ids_;
  BarRelay relay_;
  QPointer<BookmarkWindow> bookmarkWindow_;
  QPointer<NotePanel> notePanel_;
  QPointer<ButtonBar> listBar_;
  QPointer<ButtonBar> editorBar_;
};

}  // namespace vantrel
