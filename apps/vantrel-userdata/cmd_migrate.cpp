// migrate: the previous edition's bookmarks and notes carried over.
#include <algorithm>
#include <iostream>

#include "UserDataCommand.h"
#include "core/userdata/Migration.h"
#include "core/userdata/UserDataFiles.h"

namespace vantrel::userdatatool {
namespace {

int migrate(const Options& o) {
  if (o.args.size() != 2 || o.args[0] != "--from") throw UsageError{"usage: migrate --from OLD_DIR"};
  const std::string& previous = o.args[1];
  if (!isDirectory(previous)) throw UsageError{"not a folder: " + previous};
  ensureNotInUse(o.dir);
  // Pairs a start of this edition created but that hold nothing yet do
  // not stand in the way: nothing in them can be lost.
  if (userFilesPresent(o.dir) && userFilesHoldRecords(o.dir)) {
    emit(o, {{"migrated", false}, {"reason", "all four user-data files are present and hold records"}},
         "nothing to do: bookmarks.vsi/.vsd and notes.vsi/.vsd are all present and hold records");
    return 0;
  }
  const MigrationReport r = migrateUserData(o.dir, previous);
  json j = {{"migrated", true},
            {"bookmarksCopied", r.bookmarksCopied},
            {"bookmarksConverted", std::max(r.bookmarksConverted, 0)},
            {"notesCopied", r.notesCopied}};
  std::string plain = r.bookmarksCopied ? "bookmarks converted: " + std::to_string(std::max(r.bookmarksConverted, 0))
                                        : std::string("no bookmarks in the previous edition's folder");
  if (r.bookmarksVersioned && r.bookmarksConverted >= 0)
    plain += " (already in this edition's format, carried over unchanged)";
  plain += r.notesCopied ? "\nnotes copied" : "\nnotes not copied";
  if (!r.problem.empty()) {
    // The bookmarks were refused: a failure, whatever else was done.
    j["problem"] = r.problem;
    emit(o, j, plain);
    std::cerr << "vantrel-userdata: " << r.problem << "\n";
    return 1;
  }
  emit(o, j, plain);
  return 0;
}

const UserDataRegistration registration({"migrate",
                                         80,
                                         "migrate --from OLD_DIR",
                                         {"carry bookmarks and notes over from a previous",
                                          "edition's folder, as the first start does"},
                                         migrate});

}  // namespace
}  // namespace vantrel::userdatatool
