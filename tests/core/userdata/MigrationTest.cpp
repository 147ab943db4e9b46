// Carrying bookmarks and notes over from the previous edition's folder.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/userdata/BookmarkList.h"
#include "core/userdata/Migration.h"
#include "core/userdata/NoteList.h"

namespace vantrel {
namespace {

using testing::bytesOf;
using testing::FakeIds;
using testing::le32;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

// Writes an unversioned pair holding these records back to back.
void writePair(const std::string& index, const std::string& data, const std::vector<std::string>& records) {
  std::string d, i;
  for (const auto& r : records) {
    i += le32(static_cast<uint32_t>(d.size())) + le32(static_cast<uint32_t>(r.size()));
    d += r;
  }
  writeFile(index, i);
  writeFile(data, d);
}

struct Editions {
  ScratchDir current, previous;
  std::string notesIndex, notesData;
  Editions() {
    // Previous bookmarks: id then title, no version record.
    writePair(previous / "bookmarks.vsi", previous / "bookmarks.vsd",
              {le32(101) + "Dosing", le32(102), le32(103) + std::string(300, 'L'), le32(999) + "Gone\xe9"});
    writePair(previous / "notes.vsi", previous / "notes.vsd",
              {le32(0) + le32(3) + le32(2) + "oldhi", le32(55) + le32(1) + le32(0) + "p"});
    notesIndex = readFile(previous / "notes.vsi");
    notesData = readFile(previous / "notes.vsd");
  }
};

std::vector<std::u16string> bookmarkTitles(const std::string& dir, const ContentIds* ids) {
  BookmarkList list(ids);
  list.open(dir);
  std::vector<std::u16string> t;
  for (const auto& b : list.bookmarks()) t.push_back(b.title);
  return t;
}

TEST(Migration, FirstStartWithThePreviousEdition) {
  Editions e;
  FakeIds ids(10, {{1, 101}, {2, 102}, {3, 103}});
  ASSERT_FALSE(userFilesPresent(e.current.path()));
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_TRUE(r.bookmarksCopied);
  EXPECT_EQ(r.bookmarksConverted, 4);
  EXPECT_TRUE(r.notesCopied);
  EXPECT_TRUE(userFilesPresent(e.current.path()));
  EXPECT_FALSE(std::filesystem::exists(e.current / "bookmarks_TMP.vsi"));
  EXPECT_FALSE(std::filesystem::exists(e.current / "bookmarks_TMP.vsd"));
  EXPECT_EQ(readFile(e.current / "notes.vsi"), e.notesIndex);
  EXPECT_EQ(readFile(e.current / "notes.vsd"), e.notesData);

  // The converted records: same ids, no page data, titles cut to 255 bytes.
  const std::string data = readFile(e.current / "bookmarks.vsd");
  EXPECT_EQ(data.substr(0, 2 + 18), bytesOf({1, 0}) + le32(101) + le32(0) + le32(6) + "Dosing");
  BookmarkList list(&ids);
  list.open(e.current.path());
  ASSERT_EQ(list.itemCount(), 4u);
  EXPECT_EQ(list.bookmarks()[1].title, u"");  // a 4-byte record
  EXPECT_EQ(list.bookmarks()[2].title, std::u16string(255, u'L'));
  EXPECT_EQ(list.bookmarks()[3].title, u"Gone\u00e9");
  EXPECT_EQ(list.bookmarkAt(0).target, 1u);
  EXPECT_EQ(list.bookmarkAt(0).length, 0u);
  EXPECT_EQ(list.bookmarkAt(3).target, 0u);  // accepted although the id is unknown
}

TEST(Migration, WithoutAPreviousEditionNothingHappens) {
  ScratchDir current;
  for (const std::string& previous : {std::string(), current.path() + "/no-such-folder"}) {
    const MigrationReport r = migrateUserData(current.path(), previous);
    EXPECT_FALSE(r.previousFound);
  }
  EXPECT_TRUE(std::filesystem::is_empty(current.path()));
  // The lists create their files when they are first opened.
  { NoteList notes; EXPECT_EQ(notes.open(current.path()), StoreState::created); }
  { BookmarkList list; EXPECT_EQ(list.open(current.path()), StoreState::created); }
  EXPECT_TRUE(userFilesPresent(current.path()));
}

TEST(Migration, OnlyNotesMissingAppendsBookmarksAfterTheCurrentOnes) {
  Editions e;
  FakeIds ids(10, {{5, 105}});
  {
    BookmarkList list(&ids);
    list.open(e.current.path());
    list.addBookmark(u"mine", 5, "x", 1);
  }
  writeFile(e.current / "notes.vsi", "");  // notes.vsd missing: an incomplete pair
  EXPECT_FALSE(userFilesPresent(e.current.path()));
  migrateUserData(e.current.path(), e.previous.path());
  EXPECT_EQ(bookmarkTitles(e.current.path(), &ids),
            (std::vector<std::u16string>{u"mine", u"Dosing", u"", std::u16string(255, u'L'), u"Gone\u00e9"}));
  EXPECT_EQ(readFile(e.current / "notes.vsd"), e.notesData);
  EXPECT_EQ(readFile(e.current / "notes.vsi"), e.notesIndex);
}

TEST(Migration, ACompleteNotePairOfThisEditionIsKept) {
  Editions e;
  {
    NoteList notes;
    notes.open(e.current.path());
    notes.addNote(u"written in this edition", 0, u"");
  }
  const std::string mine = readFile(e.current / "notes.vsd");
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_FALSE(r.notesCopied);
  EXPECT_EQ(readFile(e.current / "notes.vsd"), mine);
  EXPECT_EQ(r.bookmarksConverted, 4);
}

TEST(Migration, PairsAStartLeftEmptyHoldNoRecordsAndAreFilledFromThePrevious) {
  Editions e;
  FakeIds ids(10, {{1, 101}, {5, 105}});
  // A first start with no previous edition known: both pairs created, empty.
  { NoteList notes; notes.open(e.current.path()); }
  { BookmarkList list(&ids); list.open(e.current.path()); }
  ASSERT_TRUE(userFilesPresent(e.current.path()));
  EXPECT_FALSE(userFilesHoldRecords(e.current.path()));
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_EQ(r.bookmarksConverted, 4);
  EXPECT_TRUE(r.notesCopied);  // the empty note pair held nothing to keep
  EXPECT_EQ(readFile(e.current / "notes.vsd"), e.notesData);
  EXPECT_EQ(readFile(e.current / "notes.vsi"), e.notesIndex);
  EXPECT_TRUE(userFilesHoldRecords(e.current.path()));

  // One bookmark, or one note, is a record; so is a lone old-format bookmark.
  ScratchDir one;
  { BookmarkList list(&ids); list.open(one.path()); list.addBookmark(u"mine", 5, "", 0); }
  EXPECT_TRUE(userFilesHoldRecords(one.path()));
  ScratchDir note;
  { NoteList notes; notes.open(note.path()); notes.addNote(u"n", 0, u""); }
  EXPECT_TRUE(userFilesHoldRecords(note.path()));
  ScratchDir old;
  writePair(old / "bookmarks.vsi", old / "bookmarks.vsd", {le32(101) + "Dosing"});
  EXPECT_TRUE(userFilesHoldRecords(old.path()));
}

TEST(Migration, NotesInAnUnfinishedCompactionAreKept) {
  // The data file is being replaced ("notes.vsd.new" beside the index): the
  // next open finishes that, so the pair holds this edition's notes.
  Editions e;
  {
    NoteList notes;
    notes.open(e.current.path());
    notes.addNote(u"written in this edition", 0, u"");
  }
  std::filesystem::rename(e.current / "notes.vsd", e.current / "notes.vsd.new");
  const std::string index = readFile(e.current / "notes.vsi");
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_FALSE(r.notesCopied);
  EXPECT_EQ(readFile(e.current / "notes.vsi"), index);
  EXPECT_FALSE(std::filesystem::exists(e.current / "notes.vsd"));
  NoteList notes;
  notes.open(e.current.path());
  ASSERT_EQ(notes.itemCount(), 1u);
  EXPECT_EQ(notes.notes()[0].title, u"written in this edition");
}

TEST(Migration, MissingOldBookmarkFileConvertsNothing) {
  Editions e;
  std::filesystem::remove(e.previous / "bookmarks.vsd");
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_FALSE(r.bookmarksCopied);
  EXPECT_EQ(r.bookmarksConverted, -1);
  EXPECT_FALSE(std::filesystem::exists(e.current / "bookmarks.vsi"));
  // The copy that succeeded stays until a later run replaces it.
  EXPECT_TRUE(std::filesystem::exists(e.current / "bookmarks_TMP.vsi"));
  EXPECT_TRUE(r.notesCopied);
}

TEST(Migration, APairOfThisEditionIsCarriedOverUnchanged) {
  Editions e;
  FakeIds ids(10, {{1, 101}, {2, 102}});
  // The previous folder already holds this edition's versioned bookmark pair.
  ScratchDir made;
  {
    BookmarkList list(&ids);
    list.open(made.path());
    list.addBookmark(u"Dosing", 1, "ab", 2);
    list.addBookmark(u"Second", 2, nullptr, 0);
  }
  std::filesystem::copy_file(made / "bookmarks.vsi", e.previous / "bookmarks.vsi",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::copy_file(made / "bookmarks.vsd", e.previous / "bookmarks.vsd",
                             std::filesystem::copy_options::overwrite_existing);
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_TRUE(r.bookmarksVersioned);
  EXPECT_EQ(r.bookmarksConverted, 2);  // not 3: the version record is no bookmark
  EXPECT_EQ(r.problem, "");
  EXPECT_EQ(readFile(e.current / "bookmarks.vsd"), readFile(made / "bookmarks.vsd"));
  BookmarkList list(&ids);
  list.open(e.current.path());
  ASSERT_EQ(list.itemCount(), 2u);
  EXPECT_EQ(list.bookmarks()[0].title, u"Dosing");
  EXPECT_EQ(list.bookmarks()[1].title, u"Second");
  EXPECT_EQ(list.bookmarkAt(0).length, 2u);  // the page data came along
  for (const auto& b : list.bookmarks()) EXPECT_FALSE(b.damaged);
}

TEST(Migration, ADamagedPairOfThisEditionIsRefusedWithoutWritingAnything) {
  Editions e;
  // Version record, one sound bookmark, one whose title runs past its record.
  std::string bad = le32(102) + le32(0) + le32(50) + "short";
  writePair(e.previous / "bookmarks.vsi", e.previous / "bookmarks.vsd",
            {bytesOf({1, 0}), le32(101) + le32(0) + le32(2) + "ok", bad});
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_TRUE(r.bookmarksVersioned);
  EXPECT_EQ(r.bookmarksConverted, -1);
  EXPECT_NE(r.problem.find("bookmark 1 cannot be read"), std::string::npos) << r.problem;
  EXPECT_FALSE(std::filesystem::exists(e.current / "bookmarks.vsd"));
  EXPECT_TRUE(r.notesCopied);
}

TEST(Migration, OldRecordsWithoutAnIdAreNotWrittenAsDamagedBookmarks) {
  Editions e;
  writePair(e.previous / "bookmarks.vsi", e.previous / "bookmarks.vsd", {le32(101) + "Kept", "ab", ""});
  const MigrationReport r = migrateUserData(e.current.path(), e.previous.path());
  EXPECT_EQ(r.bookmarksConverted, 1);
  BookmarkList list;
  list.open(e.current.path());
  ASSERT_EQ(list.itemCount(), 1u);
  EXPECT_FALSE(list.bookmarks()[0].damaged);
}

}  // namespace
}  // namespace vantrel
