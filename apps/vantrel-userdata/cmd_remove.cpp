// bookmark-remove, note-remove: entries removed as the lists' "Delete checked" does.
#include <algorithm>

#include "UserDataCommand.h"
#include "core/userdata/UserDataFiles.h"
#include "core/userdata/UserDataMessages.h"
#include "core/util/FileOps.h"

namespace vantrel::userdatatool {
namespace {

int remove(const Options& o) {
  const bool isBookmark = o.command == "bookmark-remove";
  uint32_t count = 0;
  if (isBookmark) {
    const uint32_t records = peekCount(fileops::joinPath(o.dir, userfiles::kBookmarkIndex));
    count = records > 0 ? records - 1 : 0;
    if (!fileops::exists(fileops::joinPath(o.dir, userfiles::kBookmarkData))) count = 0;
  } else {
    count = fileops::exists(fileops::joinPath(o.dir, userfiles::kNoteData))
                ? peekCount(fileops::joinPath(o.dir, userfiles::kNoteIndex))
                : 0;
  }
  const std::vector<uint32_t> positions = parsePositions(o.args, count, isBookmark ? "bookmark" : "note");
  ensureNotInUse(o.dir);
  Content content(o.dir, o.base);
  OpenStores stores(o.dir, content.ids());
  BookmarkList& bookmarks = stores.bookmarks;
  NoteList& notes = stores.notes;
  const std::u16string refusal = isBookmark ? changeRefusal(bookmarks.store(), UserDataKind::bookmarks)
                                            : changeRefusal(notes.store(), UserDataKind::notes);
  if (!refusal.empty()) throw Failure{toolMessage(refusal)};
  const int removed = isBookmark ? bookmarks.removeBookmarks(positions) : notes.removeNotes(positions);
  std::vector<uint32_t> sorted = positions;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  if (removed != static_cast<int>(sorted.size())) {
    const std::u16string why = isBookmark ? writeFailure(bookmarks.store(), UserDataKind::bookmarks)
                                          : writeFailure(notes.store(), UserDataKind::notes);
    throw Failure{"only " + std::to_string(removed) + " of " + std::to_string(sorted.size()) +
                  " could be removed (" + toolMessage(why) + ")"};
  }
  emit(o, {{"removed", sorted}}, "removed " + std::to_string(removed) + (isBookmark ? " bookmark" : " note") +
                                     (removed == 1 ? "" : "s"));
  return 0;
}

const UserDataRegistration bookmarks({"bookmark-remove", 30, "bookmark-remove POS...",
                                      {"remove the bookmarks at these positions"}, remove});
const UserDataRegistration notes({"note-remove", 60, "note-remove POS...", {"remove the notes at these positions"},
                                  remove});

}  // namespace
}  // namespace vantrel::userdatatool
