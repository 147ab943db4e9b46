#pragma once
// The data side of the notes panel: one panel is both the list of notes and
// the editor. This model holds its mode, where save and cancel lead, the key
// and page data of the note being edited and the texts of the two fields;
// the window only shows them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/userdata/NoteList.h"

namespace vantrel {

class NoteEditorModel {
 public:
  enum Mode : int { kClosed = -1, kList = 0, kEditor = 1 };
  // Reported to the owner at the end of editing; any value up to
  // NoteList::kMaxKey is a note key instead.
  static constexpr uint32_t kEndOfEditing = 1000000001;
  static constexpr char16_t kEmptyTitleMessage[] = u"You can't save this note. \"Title\" field is empty.";

  // What save and cancel did.
  struct Outcome {
    // The result for the caller: true when nothing more is to be done (the
    // panel is back in its list, or still editing after a refusal); false
    // when the editor closed and the page it was opened from is to be shown.
    bool backToList = false;
    bool refused = false;      // the title was empty or the note could not be stored:
                               // still editing, `message` to show
    std::u16string message;
    std::u16string caption;    // of the message box: none for an empty title, else
                               // the caption of user-data problems
    bool stored = false;       // the note reached the files (save only)
    bool reportEnd = false;    // kEndOfEditing is to be reported to the owner
    bool keyboardUp = false;   // the keyboard state to restore
  };

  explicit NoteEditorModel(NoteList& notes) : notes_(notes) {}

  // setNotePanelMode: records whether the keyboard is up and sets the mode.
  void setMode(int mode, bool keyboardUp);
  int mode() const { return mode_; }
  // "Notes" for the list, "Add Note" for the editor.
  std::u16string caption() const;

  // Opens the editor for key with the page's data: in editor mode a note
  // found under key fills the fields, otherwise the title is defaultTitle and
  // the text empty.
  void openNoteEditor(uint32_t key, const void* data, uint32_t length, std::u16string_view defaultTitle);
  // A new note from the list: a fresh key, no page data, empty fields.
  void startNewNote();
  // A title tapped in the list: sets returnToList and answers the key to report.
  uint32_t chooseItem(uint32_t position);

  Outcome saveNote();
  Outcome cancelNote();
  // Removes the checked positions, highest first.
  int deleteChecked(std::vector<uint32_t> positions);

  void setTitle(std::u16string text) { title_ = std::move(text); }
  void setBody(std::u16string text) { body_ = std::move(text); }
  const std::u16string& title() const { return title_; }
  const std::u16string& body() const { return body_; }
  uint32_t key() const { return key_; }
  bool returnToList() const { return returnToList_; }
  const std::string& pageData() const { return pageData_; }
  NoteList& notes() { return notes_; }

 private:
  Outcome finish(bool stored);

  NoteList& notes_;
  int mode_ = kList;
  bool returnToList_ = false;
  bool keyboardUp_ = false;
  uint32_t key_ = 0;
  std::string pageData_;
  std::u16string title_, body_;
};

}  // namespace vantrel
