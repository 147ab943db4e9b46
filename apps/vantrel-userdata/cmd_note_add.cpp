// note-add: a note saved as the notes list or "Add/Edit Note" saves one.
#include "UserDataCommand.h"
#include "core/userdata/NoteEditorModel.h"
#include "core/util/TextCodec.h"

namespace vantrel::userdatatool {
namespace {

int addNote(const Options& o) {
  std::vector<std::string> words;
  std::optional<uint32_t> key;
  for (size_t i = 0; i < o.args.size(); ++i) {
    if (o.args[i] == "--key") {
      if (i + 1 >= o.args.size()) throw UsageError{"--key needs a number"};
      key = parseNumber(o.args[++i], "--key", NoteList::kMaxKey);
    } else {
      words.push_back(o.args[i]);
    }
  }
  if (words.size() != 2) throw UsageError{"usage: note-add TITLE BODY [--key K]"};
  if (words[0].empty()) {
    throw UsageError{toUtf8(NoteEditorModel::kEmptyTitleMessage)};
  }
  ensureNotInUse(o.dir);
  Content content(o.dir, o.base);
  OpenStores stores(o.dir, content.ids());
  BookmarkList& bookmarks = stores.bookmarks;
  NoteList& notes = stores.notes;
  NoteEditorModel editor(notes);
  editor.setMode(NoteEditorModel::kEditor, false);
  if (key) {
    editor.openNoteEditor(*key, nullptr, 0, u"");
  } else {
    editor.startNewNote();
  }
  editor.setTitle(fromUtf8(words[0]));
  editor.setBody(withCrLf(fromUtf8(words[1])));
  const auto outcome = editor.saveNote();
  if (!outcome.stored) throw Failure{toolMessage(outcome.message)};
  const uint32_t position = notes.itemCount() - 1;
  emit(o, {{"added", noteJson(notes, position)}},
       "saved note " + std::to_string(position) + "  " + toUtf8(notes.notes()[position].title) + "  (key " +
           std::to_string(notes.noteKeyAt(position)) + ")");
  return 0;
}

const UserDataRegistration registration({"note-add",
                                         50,
                                         "note-add TITLE BODY [--key K]",
                                         {"save a new note as the notes list does; with",
                                          "--key, save it as \"Add/Edit Note\" on object K",
                                          "does (replacing the note kept under K)"},
                                         addNote});

}  // namespace
}  // namespace vantrel::userdatatool
