#pragma once
// The notes page: one window that is both the list of notes (a checkbox
// list of titles under the caption "Notes") and the note editor (a
// "Title:" field, child id 44, and a multi-line text field, child id 45,
// under the caption "Add Note"). What it shows comes from the
// NoteEditorModel; the chrome drives the flow between the two modes.
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

#include "ui/lists/PagedList.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenInfo.h"
#include "core/chrome/UserDataPages.h"
#include "ui/tables/TitleHeader.h"
#include "core/userdata/NoteEditorModel.h"

namespace vantrel {

// The note list as the list control reads it: (title, position).
class NoteItems : public ItemSource {
 public:
  explicit NoteItems(const NoteList& list) : list_(list) {}
  Item itemAt(uint32_t i) const override {
    ListItem item = list_.itemAt(i);
    return {std::move(item.text), static_cast<uint32_t>(item.data)};
  }
  uint32_t itemCount() const override { return list_.itemCount(); }

 private:
  const NoteList& list_;
};

// A tap inside an entry field brings the on-screen keyboard up (on a square
// screen it puts it away instead); then the field takes the tap as usual.
void inputPanelTap(KeyboardService& keyboard, const ScreenInfo& screen);

// The multi-line counterpart of InputPanelEdit.
class InputPanelText : public QPlainTextEdit {
 public:
  InputPanelText(QWidget* parent, KeyboardService& keyboard, const ScreenInfo& screen)
      : QPlainTextEdit(parent), keyboard_(keyboard), screen_(screen) {}

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    inputPanelTap(keyboard_, screen_);
    QPlainTextEdit::mousePressEvent(e);
  }

 private:
  KeyboardService& keyboard_;
  const ScreenInfo& screen_;
};

class NotePanel : public HeaderedWindow, public NotePage, public Rescalable, private ItemOwner {
 public:
  static constexpr int kChildId = 235;
  static constexpr int kTitleFieldId = 44;
  static constexpr int kBodyFieldId = 45;

  NotePanel(QWidget* parent, NoteEditorModel& model, const ScreenInfo& screen, KeyboardService& keyboard);

  // Where the panel's events go: a note key when a title was tapped (the
  // end-of-editing code is reported by the chrome itself after save or cancel).
  void setEventHandler(std::function<void(uint32_t)> handler) { onEvent_ = std::move(handler); }

  // Shown above the page it covers.
  void setShown(bool shown) override {
    setVisible(shown);
    if (shown) raise();
  }

  // NotePage.
  LayoutWindow* pageWindow() override { return this; }
  void modelChanged() override;
  void readFields() override;
  void refreshList() override;
  std::vector<uint32_t> takeChecked() override { return list_->takeChecked(); }

  PagedList* list() const { return list_; }
  // The fonts at the resolution read now; the list keeps its place, the
  // fields what is typed in them.
  void rescale() override;
  QLineEdit* titleField() const { return title_; }
  QPlainTextEdit* bodyField() const { return body_; }
  QLabel* titleLabel() const { return label_; }
  QJsonObject scriptState(QWidget* pageArea) const;

 protected:
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  void layoutControls();
  void applyDpi();
  // The header with the model's caption.
  void setupCaption();
  // The editor opens with the keyboard focus in its title field, so a user
  // types at once.
  void focusTitle();
  // A title tapped in the list: the editor opens on that note.
  void itemChosen(PagedList&, uint32_t position) override {
    const uint32_t key = model_.chooseItem(position);
    if (onEvent_) onEvent_(key);
  }
  void itemDoubleTapped(PagedList&) override {}

  NoteEditorModel& model_;
  const ScreenInfo& screen_;
  NoteItems items_;
  PagedList* list_;
  QLabel* label_;
  InputPanelEdit* title_;
  InputPanelText* body_;
  std::function<void(uint32_t)> onEvent_;
};

}  // namespace vantrel
