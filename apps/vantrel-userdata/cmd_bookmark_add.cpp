// bookmark-add: a bookmark placed as the reader places one.
#include <iostream>

#include "UserDataCommand.h"
#include "core/userdata/UserDataMessages.h"
#include "core/util/TextCodec.h"

namespace vantrel::userdatatool {
namespace {

int addBookmark(const Options& o) {
  requireArgs(o, 2, 3, "bookmark-add OBJECT TITLE [HEX]");
  const std::string data = o.args.size() > 2 ? parseHex(o.args[2]) : std::string();
  const std::u16string title = fromUtf8(o.args[1]);
  Content content(o.dir, o.base);
  const bool numeric = o.args[0].find_first_not_of("0123456789") == std::string::npos && !o.args[0].empty();
  if (numeric) parseNumber(o.args[0], "OBJECT", 0xFFFFFFFFull);
  if (!content.present()) {
    if (!numeric) resolveObject(o.args[0], content.database());  // a usage error first
    throw Failure{"no content database " + o.base + " in " + o.dir + ": bookmarks need it"};
  }
  const ObjectIndex object = resolveObject(o.args[0], content.database());
  ensureNotInUse(o.dir);
  OpenStores stores(o.dir, content.ids());
  BookmarkList& bookmarks = stores.bookmarks;
  NoteList& notes = stores.notes;
  const int check = bookmarks.checkBookmark(object, data.data(), static_cast<uint32_t>(data.size()));
  if (check == BookmarkList::kNotHere) {
    std::cerr << "You can't place a bookmark here.\n";
    return 1;
  }
  if (check == BookmarkList::kExists) {
    std::cerr << "You can't place a bookmark here. Bookmark exists.\n";
    return 1;
  }
  if (bookmarks.addBookmark(title, object, data.data(), static_cast<uint32_t>(data.size())) != 0) {
    throw Failure{toolMessage(writeFailure(bookmarks.store(), UserDataKind::bookmarks))};
  }
  const uint32_t position = bookmarks.itemCount() - 1;
  emit(o, {{"added", bookmarkJson(bookmarks, position)}}, "added " + bookmarkLine(bookmarks, position));
  return 0;
}

const UserDataRegistration registration({"bookmark-add",
                                         20,
                                         "bookmark-add OBJECT TITLE [HEX]",
                                         {"bookmark OBJECT (an object index or a page key",
                                          "such as \"toc\" or \"home\") under TITLE, with the",
                                          "page data given in hexadecimal (default none)"},
                                         addBookmark});

}  // namespace
}  // namespace vantrel::userdatatool
