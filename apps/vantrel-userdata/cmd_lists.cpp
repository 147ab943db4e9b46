// bookmarks, notes, export: what a folder's stores hold.
#include <iostream>

#include "UserDataCommand.h"

namespace vantrel::userdatatool {
namespace {

int list(const Options& o) {
  requireArgs(o, 0, 0, (o.command + " takes no arguments").c_str());
  ensureNotInUse(o.dir);
  Content content(o.dir, o.base);
  OpenStores stores(o.dir, content.ids());
  if (o.command == "bookmarks") {
    if (o.json) {
      emit(o, {{"bookmarks", bookmarksJson(stores.bookmarks)}}, "");
    } else {
      printBookmarks(stores.bookmarks);
    }
  } else if (o.command == "notes") {
    if (o.json) {
      emit(o, {{"notes", notesJson(stores.notes)}}, "");
    } else {
      printNotes(stores.notes);
    }
  } else {
    // The export is a JSON document whatever --json says.
    std::cout << json{{"bookmarks", bookmarksJson(stores.bookmarks)}, {"notes", notesJson(stores.notes)}}.dump(
                     2, ' ', false, json::error_handler_t::replace)
              << "\n";
  }
  return 0;
}

const UserDataRegistration bookmarks({"bookmarks", 10, "bookmarks", {"list the bookmarks"}, list});
const UserDataRegistration notes({"notes", 40, "notes", {"list the notes"}, list});
const UserDataRegistration exportAll({"export", 70, "export", {"every bookmark and note as one JSON document"}, list});

}  // namespace
}  // namespace vantrel::userdatatool
