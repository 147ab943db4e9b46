#include "core/userdata/NoteEditorModel.h"

#include "core/userdata/UserDataMessages.h"

namespace vantrel {

void NoteEditorModel::setMode(int mode, bool keyboardUp) {
  keyboardUp_ = keyboardUp;
  mode_ = mode;
}

std::u16string NoteEditorModel::caption() const { return mode_ == kEditor ? u"Add Note" : u"Notes"; }

void NoteEditorModel::openNoteEditor(uint32_t key, const void* data, uint32_t length,
                                     std::u16string_view defaultTitle) {
  key_ = key;
  pageData_.assign(data ? static_cast<const char*>(data) : "", data ? length : 0);
  const int32_t found = mode_ == kEditor ? notes_.findNote(key) : -1;
  if (found >= 0) {
    auto [title, body] = notes_.noteContent(static_cast<uint32_t>(found));
    title_ = std::move(title);
    body_ = std::move(body);
  } else {
    title_ = defaultTitle;
    body_.clear();
  }
}

void NoteEditorModel::startNewNote() {
  key_ = notes_.newNoteKey();
  pageData_.clear();
  title_.clear();
  body_.clear();
  returnToList_ = true;
}

uint32_t NoteEditorModel::chooseItem(uint32_t position) {
  returnToList_ = true;
  return notes_.noteKeyAt(position);
}

NoteEditorModel::Outcome NoteEditorModel::finish(bool stored) {
  Outcome out;
  out.stored = stored;
  out.keyboardUp = keyboardUp_;
  if (returnToList_) {
    mode_ = kList;
    returnToList_ = false;
    out.backToList = true;
  } else {
    mode_ = kClosed;
  }
  out.reportEnd = true;
  title_.clear();
  body_.clear();
  return out;
}

NoteEditorModel::Outcome NoteEditorModel::saveNote() {
  if (title_.empty()) {
    Outcome out;
    out.refused = true;
    out.backToList = true;
    out.message = kEmptyTitleMessage;
    return out;
  }
  // A note that cannot be stored is not given up: the editor stays open
  // with the text, and the message says why.
  auto refuse = [this] {
    Outcome out;
    out.refused = true;
    out.backToList = true;
    out.message = writeFailure(notes_.store(), UserDataKind::notes);
    out.caption = kUserDataProblemCaption;
    return out;
  };
  if (!changeRefusal(notes_.store(), UserDataKind::notes).empty()) return refuse();
  // The new record is appended before the old one is removed, so a failed
  // or interrupted write never loses the note: at worst it is there twice.
  const int32_t old = notes_.findNote(key_);
  const uint32_t before = notes_.itemCount();
  if (notes_.addNote(title_, key_, body_) != 0) return refuse();
  if (old >= 0 && notes_.itemCount() == before + 1) notes_.removeNote(static_cast<uint32_t>(old), true);
  return finish(true);
}

NoteEditorModel::Outcome NoteEditorModel::cancelNote() { return finish(false); }

int NoteEditorModel::deleteChecked(std::vector<uint32_t> positions) {
  return notes_.removeNotes(std::move(positions));
}

}  // namespace vantrel
