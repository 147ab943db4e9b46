// Bookmarks and notes over their record stores: record layouts, titles in
// Windows-1252, checkBookmark, removal order, damaged records, note keys and
// the editor's save and cancel.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/userdata/BookmarkList.h"
#include "core/userdata/NoteEditorModel.h"
#include "core/userdata/NoteList.h"

namespace vantrel {
namespace {

using testing::bytesOf;
using testing::FakeIds;
using testing::indexBytes;
using testing::le32;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

// Objects 0..9; object i has persistent id 100 + i, except object 7 (id 0).
FakeIds makeIds() {
  std::map<ObjectIndex, uint32_t> ids;
  for (ObjectIndex i = 0; i < 10; ++i) {
    if (i != 7) ids[i] = 100 + i;
  }
  return FakeIds(10, ids);
}

std::vector<std::u16string> titles(const BookmarkList& list) {
  std::vector<std::u16string> t;
  for (uint32_t i = 0; i < list.itemCount(); ++i) t.push_back(list.itemAt(i).text);
  return t;
}

std::vector<std::u16string> titles(const NoteList& list) {
  std::vector<std::u16string> t;
  for (uint32_t i = 0; i < list.itemCount(); ++i) t.push_back(list.itemAt(i).text);
  return t;
}

TEST(Bookmarks, NewInstallAndRecordLayout) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  {
    BookmarkList list(&ids);
    EXPECT_EQ(list.open(dir.path()), StoreState::created);
    EXPECT_EQ(list.itemCount(), 0u);
    EXPECT_EQ(readFile(dir / "bookmarks.vsd"), bytesOf({1, 0}));
    ASSERT_EQ(list.addBookmark(u"Caf\u00e9 \u20ac \u4e00", 3, "PD", 2), 0);
    ASSERT_EQ(list.addBookmark(u"plain", 4, nullptr, 0), 0);
    ASSERT_EQ(list.itemCount(), 2u);
    EXPECT_EQ(list.itemAt(0).text, u"Caf\u00e9 \u20ac ?");
    EXPECT_EQ(list.itemAt(1).data, 1);
    const BookmarkPlace place = list.bookmarkAt(1);
    EXPECT_EQ(place.length, 0u);
    EXPECT_EQ(place.target, 4u);
  }
  const std::string expected = bytesOf({1, 0}) + le32(103) + le32(2) + le32(8) + "PD" + "Caf\xe9 \x80 ?" +
                               le32(104) + le32(0) + le32(5) + "plain";
  EXPECT_EQ(readFile(dir / "bookmarks.vsd"), expected);
  EXPECT_EQ(readFile(dir / "bookmarks.vsi"), indexBytes({{0, 2}, {2, 22}, {24, 17}}));
}

TEST(Bookmarks, CheckBookmarkComparesTargetAndEveryPageDataByte) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  BookmarkList list(&ids);
  list.open(dir.path());
  const std::string data = bytesOf({1, 2, 3, 4, 5});
  EXPECT_EQ(list.checkBookmark(2, data.data(), 5), BookmarkList::kMayAdd);
  list.addBookmark(u"a", 2, data.data(), 5);
  EXPECT_EQ(list.checkBookmark(2, data.data(), 5), BookmarkList::kExists);
  std::string other = data;
  other[4] = 6;
  EXPECT_EQ(list.checkBookmark(2, other.data(), 5), BookmarkList::kMayAdd);
  EXPECT_EQ(list.checkBookmark(2, data.data(), 4), BookmarkList::kMayAdd);
  EXPECT_EQ(list.checkBookmark(3, data.data(), 5), BookmarkList::kMayAdd);
  // Page-key objects and objects without a persistent id.
  EXPECT_EQ(list.checkBookmark(10, nullptr, 0), BookmarkList::kNotHere);
  EXPECT_EQ(list.checkBookmark(14, nullptr, 0), BookmarkList::kNotHere);
  EXPECT_EQ(list.checkBookmark(7, nullptr, 0), BookmarkList::kNotHere);
  EXPECT_EQ(list.addBookmark(u"x", 7, nullptr, 0), -1);
  EXPECT_EQ(list.itemCount(), 1u);
}

TEST(Bookmarks, LongTitlesAreCutAt255Bytes) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  BookmarkList list(&ids);
  list.open(dir.path());
  const std::u16string title(300, u'x');
  list.addBookmark(title, 1, nullptr, 0);
  EXPECT_EQ(list.itemAt(0).text, std::u16string(255, u'x'));
  EXPECT_EQ(list.store().recordLength(1), 12 + 255);
}

TEST(Bookmarks, RemovingCheckedPositionsFromTheHighestDown) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  BookmarkList list(&ids);
  list.open(dir.path());
  for (char16_t c : std::u16string(u"ABCDE")) list.addBookmark(std::u16string(1, c), 1, &c, 2);
  EXPECT_EQ(list.removeBookmarks({2, 0}), 2);
  EXPECT_EQ(titles(list), (std::vector<std::u16string>{u"B", u"D", u"E"}));
  EXPECT_EQ(list.removeBookmark(3), -1);
}

TEST(Bookmarks, DroppedObjectsKeepTheirBookmarkWithTargetZero) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  {
    BookmarkList list(&ids);
    list.open(dir.path());
    list.addBookmark(u"gone", 5, nullptr, 0);
  }
  ids.drop(5);
  BookmarkList list(&ids);
  list.open(dir.path());
  ASSERT_EQ(list.itemCount(), 1u);
  EXPECT_EQ(list.itemAt(0).text, u"gone");
  EXPECT_EQ(list.bookmarkAt(0).target, 0u);
}

TEST(Bookmarks, DamagedRecordsAreListedAsFarAsTheyCanBeRead) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  std::string data = bytesOf({1, 0});
  std::vector<std::pair<uint32_t, uint32_t>> entries = {{0, 2}};
  auto add = [&](const std::string& r) {
    entries.push_back({static_cast<uint32_t>(data.size()), static_cast<uint32_t>(r.size())});
    data += r;
  };
  const std::string longTitle(300, 'T');
  add(le32(101) + le32(0) + le32(300) + longTitle);  // T above 255
  add(le32(102) + le32(50) + le32(2) + "ab");        // S larger than the record
  add(le32(103) + bytesOf({9, 0}));                  // shorter than the header
  add(le32(0) + le32(0) + le32(2) + "id");           // id 0
  add(le32(104) + le32(0) + le32(2) + "ok");
  std::string index;
  for (auto [o, l] : entries) index += le32(o) + le32(l);
  index += le32(static_cast<uint32_t>(data.size())) + le32(40);  // past the data file
  writeFile(dir / "bookmarks.vsi", index);
  writeFile(dir / "bookmarks.vsd", data);

  BookmarkList list(&ids);
  ASSERT_EQ(list.open(dir.path()), StoreState::opened);
  ASSERT_EQ(list.itemCount(), 6u);
  const auto& b = list.bookmarks();
  EXPECT_EQ(b[0].title, std::u16string(255, u'T'));
  EXPECT_TRUE(b[0].damaged);
  EXPECT_EQ(b[1].title, u"");
  EXPECT_EQ(b[1].pageData, "ab");
  EXPECT_TRUE(b[1].damaged);
  EXPECT_EQ(b[2].id, 103u);
  EXPECT_TRUE(b[2].damaged);
  EXPECT_EQ(b[3].title, u"id");
  EXPECT_EQ(b[3].target, 0u);
  EXPECT_FALSE(b[4].damaged);
  EXPECT_EQ(b[4].target, 4u);
  EXPECT_TRUE(b[5].damaged);
  // A damaged record never matches, but the user can remove each of them.
  EXPECT_EQ(list.checkBookmark(2, "ab", 2), BookmarkList::kMayAdd);
  EXPECT_EQ(list.removeBookmarks({0, 1, 2, 3, 5}), 5);
  EXPECT_EQ(titles(list), std::vector<std::u16string>{u"ok"});
  list.close();
  EXPECT_EQ(readFile(dir / "bookmarks.vsd"), bytesOf({1, 0}) + le32(104) + le32(0) + le32(2) + "ok");
}

TEST(Bookmarks, BrokenPairGivesAnEmptyListAndChangesNothing) {
  ScratchDir dir;
  FakeIds ids = makeIds();
  writeFile(dir / "bookmarks.vsi", indexBytes({{0, 2}}));
  BookmarkList list(&ids);
  EXPECT_EQ(list.open(dir.path()), StoreState::broken);
  EXPECT_EQ(list.addBookmark(u"x", 1, nullptr, 0), -1);
  EXPECT_EQ(list.itemCount(), 0u);
  list.close();
  EXPECT_EQ(readFile(dir / "bookmarks.vsi"), indexBytes({{0, 2}}));
  EXPECT_FALSE(std::filesystem::exists(dir / "bookmarks.vsd"));
}

TEST(Bookmarks, ARefusedAppendOnAStoreWithoutRecordsReadsNothingBack) {
  // No record at all to read back after the append (a list never opened, a
  // broken pair): the list stays empty and consistent, nothing is created.
  ScratchDir dir;
  FakeIds ids = makeIds();
  BookmarkList unopened(&ids);
  EXPECT_EQ(unopened.addBookmark(u"x", 1, "ab", 2), -1);
  EXPECT_EQ(unopened.itemCount(), 0u);
  EXPECT_EQ(unopened.bookmarkAt(0).target, 0u);
  writeFile(dir / "bookmarks.vsd", bytesOf({1, 0}));
  BookmarkList broken(&ids);
  EXPECT_EQ(broken.open(dir.path()), StoreState::broken);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(broken.addBookmark(u"x", 1, nullptr, 0), -1);
  EXPECT_EQ(broken.itemCount(), 0u);
  broken.close();
  EXPECT_FALSE(std::filesystem::exists(dir / "bookmarks.vsi"));
  EXPECT_EQ(readFile(dir / "bookmarks.vsd"), bytesOf({1, 0}));
}

TEST(Notes, RecordLayoutAndEditingOrder) {
  ScratchDir dir;
  {
    NoteList notes;
    EXPECT_EQ(notes.open(dir.path()), StoreState::created);
    NoteEditorModel editor(notes);
    for (int i = 0; i < 5; ++i) {
      editor.setMode(NoteEditorModel::kEditor, false);
      editor.startNewNote();
      EXPECT_EQ(editor.key(), static_cast<uint32_t>(i));
      editor.setTitle(u"n" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
      editor.setBody(i == 0 ? u"" : u"line\r\nnext \u00fc");
      const auto out = editor.saveNote();
      EXPECT_TRUE(out.backToList);
      EXPECT_TRUE(out.stored);
      EXPECT_TRUE(out.reportEnd);
      EXPECT_EQ(editor.mode(), NoteEditorModel::kList);
    }
    EXPECT_EQ(notes.store().recordLength(0), 12 + 2);  // empty body: X = 0
    // Editing the third of five makes it the fifth.
    const uint32_t key = editor.chooseItem(2);
    editor.setMode(NoteEditorModel::kEditor, true);
    editor.openNoteEditor(key, nullptr, 0, u"");
    EXPECT_EQ(editor.title(), u"n2");
    editor.setTitle(u"n2 edited");
    const auto out = editor.saveNote();
    EXPECT_TRUE(out.backToList);
    EXPECT_TRUE(out.keyboardUp);
    EXPECT_EQ(titles(notes), (std::vector<std::u16string>{u"n0", u"n1", u"n3", u"n4", u"n2 edited"}));
    EXPECT_EQ(notes.noteContent(4).second, u"line\r\nnext \u00fc");
  }
  NoteList notes;
  notes.open(dir.path());
  const std::string data = readFile(dir / "notes.vsd");
  EXPECT_EQ(data.substr(0, 14), le32(0) + le32(2) + le32(0) + "n0");
  EXPECT_EQ(data.substr(data.size() - 33), le32(2) + le32(9) + le32(12) + "n2 edited" + "line\r\nnext \xfc");
}

TEST(Notes, CancelEmptyTitleLongTitleAndDeletion) {
  ScratchDir dir;
  NoteList notes;
  notes.open(dir.path());
  for (int i = 0; i < 5; ++i) notes.addNote(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + i)), i, u"b");
  const std::string before = readFile(dir / "notes.vsd");
  NoteEditorModel editor(notes);
  editor.setMode(NoteEditorModel::kEditor, false);
  editor.openNoteEditor(notes.noteKeyAt(1), nullptr, 0, u"");
  editor.setTitle(u"changed");
  const auto cancelled = editor.cancelNote();
  EXPECT_FALSE(cancelled.backToList);
  EXPECT_EQ(editor.mode(), NoteEditorModel::kClosed);
  EXPECT_EQ(readFile(dir / "notes.vsd"), before);

  editor.setMode(NoteEditorModel::kEditor, false);
  editor.startNewNote();
  EXPECT_EQ(editor.key(), 5u);
  const auto refused = editor.saveNote();
  EXPECT_TRUE(refused.refused);
  EXPECT_EQ(refused.message, u"You can't save this note. \"Title\" field is empty.");
  EXPECT_EQ(editor.mode(), NoteEditorModel::kEditor);
  EXPECT_EQ(notes.itemCount(), 5u);

  editor.setTitle(std::u16string(300, u'L'));
  editor.saveNote();
  EXPECT_EQ(notes.store().recordLength(5), 12 + 255 + 0);
  EXPECT_EQ(notes.itemAt(5).text, std::u16string(255, u'L'));

  EXPECT_EQ(editor.deleteChecked({3, 1, 5}), 3);
  EXPECT_EQ(titles(notes), (std::vector<std::u16string>{u"t0", u"t2", u"t4"}));
}

TEST(Notes, PageNotesAreFoundAgainByTheirPage) {
  ScratchDir dir;
  NoteList notes;
  notes.open(dir.path());
  NoteEditorModel editor(notes);
  // Two notes from the list, then "Add/Edit Note" on object 1234 with page data.
  for (const char16_t* t : {u"first", u"second"}) {
    editor.setMode(NoteEditorModel::kEditor, false);
    editor.startNewNote();
    editor.setTitle(t);
    editor.saveNote();
  }
  editor.setMode(NoteEditorModel::kEditor, false);
  editor.openNoteEditor(1234, "pd", 2, u"");
  EXPECT_EQ(editor.title(), u"");
  EXPECT_EQ(editor.pageData(), "pd");
  editor.setTitle(u"page note");
  editor.setBody(u"about object 1234");
  const auto out = editor.saveNote();
  EXPECT_FALSE(out.backToList);  // not opened from the list: the overlay closes
  EXPECT_EQ(editor.mode(), NoteEditorModel::kClosed);
  EXPECT_EQ(readFile(dir / "notes.vsd").substr(readFile(dir / "notes.vsd").size() - 38, 4), le32(1234));
  notes.close();

  // After a restart the same page opens the note again, and a key that
  // happens to be a position does not reach another note.
  NoteList again;
  again.open(dir.path());
  NoteEditorModel editor2(again);
  editor2.setMode(NoteEditorModel::kEditor, false);
  editor2.openNoteEditor(1234, nullptr, 0, u"");
  EXPECT_EQ(editor2.title(), u"page note");
  EXPECT_EQ(editor2.body(), u"about object 1234");
  editor2.setBody(u"more");
  editor2.saveNote();
  EXPECT_EQ(again.itemCount(), 3u);
  EXPECT_EQ(again.noteContent(2).second, u"more");
  editor2.setMode(NoteEditorModel::kEditor, false);
  editor2.openNoteEditor(2, nullptr, 0, u"");  // object 2 has no note
  EXPECT_EQ(editor2.title(), u"");
  // In list mode the editor never picks up a note.
  editor2.setMode(NoteEditorModel::kList, false);
  editor2.openNoteEditor(1234, nullptr, 0, u"default");
  EXPECT_EQ(editor2.title(), u"default");
}

TEST(Notes, SharedStoredKeysStillReachEveryNote) {
  ScratchDir dir;
  // Files of an older edition: new notes were keyed by the count at the
  // time, so keys repeat once notes have been removed.
  std::string data, index;
  for (auto [key, title] : std::vector<std::pair<uint32_t, std::string>>{{1, "a"}, {1, "b"}, {0, "c"}}) {
    const std::string r = le32(key) + le32(1) + le32(0) + title;
    index += le32(static_cast<uint32_t>(data.size())) + le32(static_cast<uint32_t>(r.size()));
    data += r;
  }
  writeFile(dir / "notes.vsi", index);
  writeFile(dir / "notes.vsd", data);
  NoteList notes;
  notes.open(dir.path());
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(notes.findNote(notes.noteKeyAt(i)), static_cast<int32_t>(i));
  EXPECT_EQ(notes.noteKeyAt(0), 1u);
  EXPECT_EQ(notes.noteKeyAt(2), 0u);
  // A new note never takes a key in use: saving it must not replace another.
  EXPECT_EQ(notes.findNote(notes.newNoteKey()), -1);
  NoteEditorModel editor(notes);
  editor.setMode(NoteEditorModel::kEditor, false);
  editor.openNoteEditor(notes.noteKeyAt(1), nullptr, 0, u"");
  EXPECT_EQ(editor.title(), u"b");
  editor.setTitle(u"b2");
  editor.saveNote();
  EXPECT_EQ(titles(notes), (std::vector<std::u16string>{u"a", u"c", u"b2"}));
}

TEST(Notes, DamagedRecordsAreReadSafely) {
  ScratchDir dir;
  const std::string records[] = {
      le32(1) + le32(400) + le32(0) + std::string(400, 'x'),  // T above 255
      le32(2) + le32(2) + le32(99) + "ttbody",                // X larger than the record
      le32(3) + le32(1),                                      // shorter than the header
      le32(4) + le32(2) + le32(0) + "ok",
  };
  std::string data, index;
  for (const auto& r : records) {
    index += le32(static_cast<uint32_t>(data.size())) + le32(static_cast<uint32_t>(r.size()));
    data += r;
  }
  writeFile(dir / "notes.vsi", index);
  writeFile(dir / "notes.vsd", data);
  NoteList notes;
  notes.open(dir.path());
  ASSERT_EQ(notes.itemCount(), 4u);
  EXPECT_EQ(notes.itemAt(0).text, std::u16string(255, u'x'));
  EXPECT_EQ(notes.noteContent(1).second, u"body");
  EXPECT_TRUE(notes.notes()[2].damaged);
  EXPECT_FALSE(notes.notes()[3].damaged);
  notes.close();
  // Closing copies the records as they are: none is made worse.
  EXPECT_EQ(readFile(dir / "notes.vsd"), data);
}

// A save that cannot reach the files never looks like one that did: the
// editor stays open with what was typed, and says why.
TEST(Notes, BrokenPairKeepsTheEditorOpen) {
  ScratchDir dir;
  writeFile(dir / "notes.vsd", "something");
  NoteList notes;
  EXPECT_EQ(notes.open(dir.path()), StoreState::broken);
  NoteEditorModel editor(notes);
  editor.setMode(NoteEditorModel::kEditor, false);
  editor.startNewNote();
  editor.setTitle(u"t");
  const auto out = editor.saveNote();
  EXPECT_FALSE(out.stored);
  EXPECT_TRUE(out.refused);
  EXPECT_FALSE(out.reportEnd);
  EXPECT_EQ(out.message, u"The note files are damaged (only one of the pair exists).");
  EXPECT_EQ(editor.mode(), NoteEditorModel::kEditor);
  EXPECT_EQ(editor.title(), u"t");
  notes.close();
  EXPECT_EQ(readFile(dir / "notes.vsd"), "something");
}

}  // namespace
}  // namespace vantrel
