#include "core/userdata/UserDataMessages.h"

#include <cstring>

#include "core/util/TextCodec.h"

namespace vantrel {

namespace {
std::u16string reason(int error) { return error != 0 ? u": " + fromUtf8(std::strerror(error)) : u""; }
}  // namespace

std::u16string changeRefusal(const IndexedRecordStore& store, UserDataKind kind) {
  const bool bookmarks = kind == UserDataKind::bookmarks;
  switch (store.writeAccess()) {
    case IndexedRecordStore::WriteAccess::inUse:
      return bookmarks ? u"The bookmarks are in use by another program. They can be read but not changed."
                       : u"The notes are in use by another program. They can be read but not changed.";
    case IndexedRecordStore::WriteAccess::notWritable:
      return (bookmarks ? u"The bookmark files cannot be written" : u"The note files cannot be written") +
             reason(store.writeError()) + u".";
    case IndexedRecordStore::WriteAccess::writable:
      break;
  }
  if (store.broken()) {
    return bookmarks ? u"The bookmark files are damaged (only one of the pair exists)."
                     : u"The note files are damaged (only one of the pair exists).";
  }
  return {};
}

std::u16string writeFailure(const IndexedRecordStore& store, UserDataKind kind) {
  std::u16string refusal = changeRefusal(store, kind);
  if (!refusal.empty()) return refusal;
  return (kind == UserDataKind::bookmarks ? u"The bookmark could not be written" : u"The note could not be written") +
         reason(store.writeError()) + u".";
}

}  // namespace vantrel
