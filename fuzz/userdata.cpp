// Feeds arbitrary index and data files to the record store, the bookmark list
// and the note list: open, read everything, remove, append, close (which
// compacts), open again and read everything again.
//
// Input: byte 0 selects the pair (bit 0: bookmarks or notes) and the
// operations (the other bits); bytes 1-2 give the index file's length n
// (little-endian); then n bytes of index file, then the data file. A byte 0
// with bit 7 set leaves out the data file; bit 6 leaves out the index file;
// bit 5 also writes the data as "<data>.new", as an interrupted close leaves it.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/userdata/BookmarkList.h"
#include "core/userdata/ContentIds.h"
#include "core/util/FileOps.h"
#include "core/userdata/NoteEditorModel.h"
#include "core/userdata/NoteList.h"

namespace {

using namespace vantrel;

struct Ids : ContentIds {
  ObjectIndex findById(uint32_t id) const override { return id < 64 ? id : 0; }
  uint32_t persistentId(ObjectIndex object) const override { return object < 64 ? object : 0; }
  uint32_t objectCount() const override { return 64; }
};

std::string scratch() {
  static std::string dir;
  if (dir.empty()) {
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    dir = std::string(base) + "/vantrel-fuzz-userdata-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    fileops::setDurable(false);
  }
  return dir;
}

void put(const std::string& path, const uint8_t* p, size_t n) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
}

void readAllRecords(const IndexedRecordStore& s) {
  char buf[64];
  for (uint32_t i = 0; i < s.recordCount(); ++i) {
    const int64_t len = s.recordLength(i);
    if (len <= 0) continue;
    const uint32_t end = static_cast<uint32_t>(std::min<int64_t>(len, 12));
    s.readRecord(i, buf, 0, end);
    s.readRecord(i, buf, end / 2, end);
    (void)s.readWhole(i);
  }
}

void bookmarks(const std::string& dir, uint8_t ops) {
  Ids ids;
  BookmarkList list(&ids);
  list.open(dir);
  readAllRecords(list.store());
  for (uint32_t i = 0; i < list.itemCount(); ++i) {
    const BookmarkPlace p = list.bookmarkAt(i);
    list.checkBookmark(p.target, p.pageData.data(), p.length);
    (void)list.itemAt(i);
  }
  if ((ops & 2) && list.itemCount() > 0) list.removeBookmark(list.itemCount() - 1);
  if (ops & 4) list.removeBookmarks({0, 2, 1});
  if (ops & 8) list.addBookmark(std::u16string(300, u'\u00e9'), 5, "xy", 2);
  if (ops & 16) list.addBookmarkRecord(0, std::string(400, 'a'), nullptr, 0);
  list.close();
  BookmarkList again(&ids);
  again.open(dir);
  readAllRecords(again.store());
}

void notes(const std::string& dir, uint8_t ops) {
  NoteList list;
  list.open(dir);
  readAllRecords(list.store());
  for (uint32_t i = 0; i < list.itemCount(); ++i) {
    (void)list.noteContent(i);
    if (list.findNote(list.noteKeyAt(i)) != static_cast<int32_t>(i)) std::abort();  // keys are unique
  }
  NoteEditorModel editor(list);
  editor.setMode(NoteEditorModel::kEditor, false);
  if ((ops & 2) && list.itemCount() > 0) {
    editor.openNoteEditor(list.noteKeyAt(0), nullptr, 0, u"");
    editor.setTitle(editor.title() + u"!");
    editor.saveNote();
  }
  if (ops & 4) editor.deleteChecked({1, 0, 3});
  if (ops & 8) {
    editor.startNewNote();
    editor.setTitle(u"t");
    editor.setBody(u"b\r\n");
    editor.saveNote();
  }
  list.close();
  NoteList again;
  again.open(dir);
  readAllRecords(again.store());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const std::string dir = scratch();
  for (const auto& e : std::filesystem::directory_iterator(dir)) std::filesystem::remove(e.path());
  const uint8_t flags = data[0];
  const size_t indexLength = std::min<size_t>(data[1] | (data[2] << 8), size - 3);
  const bool isNotes = flags & 1;
  const std::string stem = fileops::joinPath(dir, isNotes ? "notes" : "bookmarks");
  if (!(flags & 64)) put(stem + ".vsi", data + 3, indexLength);
  if (!(flags & 128)) put(stem + ".vsd", data + 3 + indexLength, size - 3 - indexLength);
  if (flags & 32) put(stem + ".vsd.new", data + 3 + indexLength, size - 3 - indexLength);
  if (isNotes) {
    notes(dir, flags);
  } else {
    bookmarks(dir, flags);
  }
  return 0;
}
