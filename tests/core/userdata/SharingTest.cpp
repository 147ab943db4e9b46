// Pairs held by another program, files that cannot be written and writes
// that fail: the records stay readable, every change is refused with the
// reason, and nothing that was stored is lost.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "TestUtil.h"
#include "core/userdata/BookmarkList.h"
#include "core/util/FileOps.h"
#include "core/userdata/NoteEditorModel.h"
#include "core/userdata/NoteList.h"
#include "core/userdata/PairLock.h"
#include "core/userdata/UserDataMessages.h"

namespace vantrel {
namespace {

using testing::readFile;
using testing::ScratchDir;

using WA = IndexedRecordStore::WriteAccess;

TEST(Sharing, SecondOpenOfAPairReadsButDoesNotWrite) {
  ScratchDir dir;
  NoteList first;
  first.open(dir.path());
  ASSERT_EQ(first.addNote(u"one", 0, u"body"), 0);
  EXPECT_TRUE(PairLock::inUse(dir / "notes.vsi"));

  const std::string data = readFile(dir / "notes.vsd");
  {
    NoteList second;
    second.open(dir.path());
    EXPECT_EQ(second.store().writeAccess(), WA::inUse);
    ASSERT_EQ(second.itemCount(), 1u);
    EXPECT_EQ(second.noteContent(0).second, u"body");
    EXPECT_EQ(second.addNote(u"two", 1, u""), -1);
    EXPECT_EQ(second.removeNote(0), -1);
    EXPECT_EQ(writeFailure(second.store(), UserDataKind::notes),
              u"The notes are in use by another program. They can be read but not changed.");
    NoteEditorModel editor(second);
    editor.setMode(NoteEditorModel::kEditor, false);
    editor.startNewNote();
    editor.setTitle(u"t");
    EXPECT_TRUE(editor.saveNote().refused);
  }
  // The second one's close changed nothing; the first still owns the pair.
  EXPECT_EQ(readFile(dir / "notes.vsd"), data);
  EXPECT_EQ(first.addNote(u"two", 1, u""), 0);
  first.close();
  EXPECT_FALSE(PairLock::inUse(dir / "notes.vsi"));
  EXPECT_FALSE(fileops::exists(dir / "notes.vsi.lock"));

  NoteList again;
  again.open(dir.path());
  EXPECT_EQ(again.store().writeAccess(), WA::writable);
  EXPECT_EQ(again.itemCount(), 2u);
}

// Two programs adding notes to one folder at once: each add either reaches
// the files or is refused, and the pair always ends whole with every note
// that was acknowledged.
TEST(Sharing, TwoWritersNeverLoseAPair) {
  ScratchDir dir;
  fileops::setDurable(false);
  int pipes[2][2];
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    ASSERT_EQ(::pipe(pipes[c]), 0);
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      ::close(pipes[c][0]);
      int stored = 0;
      for (int i = 0; i < 150; ++i) {
        NoteList notes;
        notes.open(dir.path());
        if (notes.addNote(u"n", static_cast<uint32_t>(c * 1000 + i), u"body") == 0) ++stored;
        notes.close();
      }
      (void)!::write(pipes[c][1], &stored, sizeof stored);
      _exit(0);
    }
    ::close(pipes[c][1]);
  }
  int total = 0;
  for (int c = 0; c < 2; ++c) {
    int stored = 0;
    ASSERT_EQ(::read(pipes[c][0], &stored, sizeof stored), static_cast<ssize_t>(sizeof stored));
    ::close(pipes[c][0]);
    int status = 0;
    ::waitpid(children[c], &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    total += stored;
  }
  fileops::setDurable(true);
  EXPECT_GT(total, 0);
  NoteList notes;
  EXPECT_NE(notes.open(dir.path()), StoreState::broken);
  EXPECT_EQ(notes.itemCount(), static_cast<uint32_t>(total));
  for (const Note& n : notes.notes()) EXPECT_FALSE(n.damaged);
}

TEST(Sharing, FailedWritesSayWhyAndKeepEverything) {
  ScratchDir dir;
  testing::FakeIds ids(10, {{3, 33}});
  BookmarkList bookmarks(&ids);
  bookmarks.open(dir.path());
  ASSERT_EQ(bookmarks.addBookmark(u"kept", 3, nullptr, 0), 0);
  const std::string index = readFile(dir / "bookmarks.vsi");

  fileops::setWriteFault(ENOSPC);
  EXPECT_EQ(bookmarks.addBookmark(u"lost?", 3, "x", 1), -1);
  EXPECT_EQ(bookmarks.removeBookmark(0), -1);
  fileops::setWriteFault(0);
  EXPECT_EQ(bookmarks.store().writeError(), ENOSPC);
  EXPECT_EQ(writeFailure(bookmarks.store(), UserDataKind::bookmarks),
            u"The bookmark could not be written: No space left on device.");
  EXPECT_EQ(bookmarks.itemCount(), 1u);
  EXPECT_EQ(readFile(dir / "bookmarks.vsi"), index);

  // The notes editor keeps the text of a note that could not be written.
  NoteList notes;
  notes.open(dir.path());
  NoteEditorModel editor(notes);
  editor.setMode(NoteEditorModel::kEditor, false);
  editor.startNewNote();
  editor.setTitle(u"title");
  editor.setBody(u"text");
  fileops::setWriteFault(EROFS);
  const auto out = editor.saveNote();
  fileops::setWriteFault(0);
  EXPECT_TRUE(out.refused);
  EXPECT_FALSE(out.stored);
  EXPECT_EQ(out.message, u"The note could not be written: Read-only file system.");
  EXPECT_EQ(editor.mode(), NoteEditorModel::kEditor);
  EXPECT_EQ(editor.body(), u"text");
  EXPECT_TRUE(editor.saveNote().stored);
  EXPECT_EQ(notes.itemCount(), 1u);
}

// Files that cannot be written (an immutable file stands for a read-only
// volume or file here, as the tests run as root, where mode 444 stops
// nothing). Skipped where the file system cannot mark files immutable.
TEST(Sharing, UnwritableFilesOpenReadOnly) {
  ScratchDir dir;
  {
    testing::FakeIds ids(10, {{3, 33}});
    BookmarkList bookmarks(&ids);
    bookmarks.open(dir.path());
    ASSERT_EQ(bookmarks.addBookmark(u"listed", 3, nullptr, 0), 0);
  }
  const std::string index = dir / "bookmarks.vsi";
  if (std::system(("chattr +i '" + index + "' 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "no chattr +i here";
  const std::string before = readFile(dir / "bookmarks.vsd");
  {
    testing::FakeIds ids(10, {{3, 33}});
    BookmarkList bookmarks(&ids);
    bookmarks.open(dir.path());
    EXPECT_EQ(bookmarks.store().writeAccess(), WA::notWritable);
    ASSERT_EQ(bookmarks.itemCount(), 1u);
    EXPECT_EQ(bookmarks.itemAt(0).text, u"listed");
    EXPECT_EQ(bookmarks.addBookmark(u"more", 3, "x", 1), -1);
    EXPECT_EQ(changeRefusal(bookmarks.store(), UserDataKind::bookmarks),
              u"The bookmark files cannot be written: Operation not permitted.");
  }
  std::system(("chattr -i '" + index + "'").c_str());
  EXPECT_EQ(readFile(dir / "bookmarks.vsd"), before);

  // A folder where nothing can be created: no pair, nothing to list, and a
  // change says why instead of calling the pair damaged.
  ScratchDir empty;
  ASSERT_EQ(std::system(("chattr +i '" + empty.path() + "'").c_str()), 0);
  {
    NoteList notes;
    EXPECT_NE(notes.open(empty.path()), StoreState::broken);
    EXPECT_EQ(notes.itemCount(), 0u);
    EXPECT_EQ(notes.addNote(u"t", 0, u""), -1);
    EXPECT_EQ(writeFailure(notes.store(), UserDataKind::notes),
              u"The note files cannot be written: Operation not permitted.");
  }
  std::system(("chattr -i '" + empty.path() + "'").c_str());
}

}  // namespace
}  // namespace vantrel
