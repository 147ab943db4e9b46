#pragma once
// Carrying the user's bookmarks and notes over from the previous edition's
// folder on the first start of a new one.
#include <string>

namespace vantrel {

// True when "bookmarks.vsi", "bookmarks.vsd", "notes.vsi" and "notes.vsd"
// all exist in the program directory.
bool userFilesPresent(const std::string& programDirectory);

// True when a pair in the program directory holds records: the bookmark
// pair a bookmark (an index entry besides its version record), the note pair
// a note. A missing pair holds none. Read from the index files without
// opening the stores.
bool userFilesHoldRecords(const std::string& programDirectory);

struct MigrationReport {
  bool previousFound = false;    // the previous edition's folder exists
  bool bookmarksCopied = false;  // both bookmark files were copied to the transfer pair
  int bookmarksConverted = -1;   // bookmarks appended, -1 when none were converted
  bool notesCopied = false;
  bool bookmarksVersioned = false;  // the previous pair was already of this edition's format
  std::string problem;              // why bookmarks were not carried over ("" when they were or there were none)
};

// Runs the migration from previousDirectory (empty: there is no previous
// edition, nothing happens). Meant for when userFilesPresent answered false.
//  1. The previous bookmark pair is copied to "bookmarks_TMP.vsi/.vsd".
//  2. When both copies succeeded, every transfer record (persistent id, then
//     the title) becomes a bookmark without page data, appended in order to
//     the current bookmark pair in one step (all or none), after any
//     bookmarks it already holds; then the transfer files are removed.
//     A record without an id is skipped. A pair that already is of this
//     edition's format (record 0 the version record) has its bookmarks
//     appended unchanged, or none of them when any cannot be read.
//  3. The previous note pair is copied when both of its files exist and this
//     edition's note pair holds no notes: a pair whose index has entries and
//     whose data file (or the "<data>.new" of an unfinished compaction) is
//     there holds notes written with this edition and is kept. The index is
//     put in place last, so an interrupted copy leaves the pair incomplete
//     and the next start copies again.
// Every copy goes through a temporary file that is synced and renamed.
MigrationReport migrateUserData(const std::string& programDirectory, const std::string& previousDirectory);

}  // namespace vantrel
