// The record store: file formats, numbering, compaction, the broken and
// recreated cases, interrupted compactions and failed writes.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "TestUtil.h"
#include "core/util/FileOps.h"
#include "core/userdata/IndexedRecordStore.h"

namespace vantrel {
namespace {

using testing::bytesOf;
using testing::indexBytes;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

struct Pair {
  ScratchDir dir;
  std::string index = dir / "s.vsi";
  std::string data = dir / "s.vsd";
};

std::string record(const IndexedRecordStore& s, int i) { return s.readWhole(i); }

TEST(RecordStore, CreatesEmptyPairsAndTheVersionRecord) {
  Pair p;
  {
    IndexedRecordStore s;
    EXPECT_EQ(s.openStore(p.index, p.data), StoreState::created);
    EXPECT_EQ(s.recordCount(), 0u);
    EXPECT_EQ(s.closeStore(), 0);
  }
  EXPECT_EQ(readFile(p.index), "");
  EXPECT_EQ(readFile(p.data), "");

  Pair v;
  IndexedRecordStore s;
  EXPECT_EQ(s.openStore(v.index, v.data, 1), StoreState::created);
  EXPECT_EQ(s.recordCount(), 1u);
  EXPECT_EQ(readFile(v.data), bytesOf({1, 0}));
  EXPECT_EQ(readFile(v.index), indexBytes({{0, 2}}));
  s.closeStore();
  EXPECT_EQ(readFile(v.data), bytesOf({1, 0}));
  EXPECT_EQ(s.openStore(v.index, v.data, 1), StoreState::opened);
  EXPECT_EQ(s.recordCount(), 1u);
}

TEST(RecordStore, VersionZeroOrShortDataRecreatesThePair) {
  for (const std::string& data : {bytesOf({0, 0, 'x', 'y'}), bytesOf({7})}) {
    Pair p;
    writeFile(p.index, indexBytes({{0, 2}, {2, 2}}));
    writeFile(p.data, data);
    IndexedRecordStore s;
    EXPECT_EQ(s.openStore(p.index, p.data, 1), StoreState::created);
    EXPECT_EQ(s.recordCount(), 1u);
    s.closeStore();
    EXPECT_EQ(readFile(p.data), bytesOf({1, 0}));
    EXPECT_EQ(readFile(p.index), indexBytes({{0, 2}}));
  }
  // Any other version is accepted as it is.
  Pair p;
  writeFile(p.index, indexBytes({{0, 2}, {2, 1}}));
  writeFile(p.data, bytesOf({9, 0, 'z'}));
  IndexedRecordStore s;
  EXPECT_EQ(s.openStore(p.index, p.data, 1), StoreState::opened);
  EXPECT_EQ(s.recordCount(), 2u);
  EXPECT_EQ(record(s, 1), "z");
}

TEST(RecordStore, TwentyByteIndexGivesTwoRecordsAndLosesTheTailAtTheNextRewrite) {
  Pair p;
  writeFile(p.data, "abcdef");
  writeFile(p.index, indexBytes({{0, 3}, {3, 3}}) + "\x01\x02\x03\x04");
  IndexedRecordStore s;
  ASSERT_EQ(s.openStore(p.index, p.data), StoreState::opened);
  EXPECT_EQ(s.recordCount(), 2u);
  EXPECT_EQ(record(s, 1), "def");
  ASSERT_EQ(s.appendRecord("g", 1), 0);
  EXPECT_EQ(readFile(p.index), indexBytes({{0, 3}, {3, 3}, {6, 1}}));
}

TEST(RecordStore, AppendGoesAfterDeadSpaceAndReadsArePiecewise) {
  Pair p;
  writeFile(p.data, "0123456789DEAD");
  writeFile(p.index, indexBytes({{0, 10}}));
  IndexedRecordStore s;
  ASSERT_EQ(s.openStore(p.index, p.data), StoreState::opened);
  ASSERT_EQ(s.appendRecord("hello", 5), 0);
  EXPECT_EQ(s.entries()[1].offset, 14u);
  EXPECT_EQ(readFile(p.data), "0123456789DEADhello");
  EXPECT_EQ(readFile(p.index), indexBytes({{0, 10}, {14, 5}}));

  char buf[16] = {0};
  EXPECT_EQ(s.readRecord(0, buf, 4, 0), 6);  // from byte 4 to the end
  EXPECT_EQ(std::string(buf, 6), "456789");
  EXPECT_EQ(s.readRecord(1, buf, 1, 3), 2);  // any order
  EXPECT_EQ(std::string(buf, 2), "el");
  EXPECT_EQ(s.readRecord(0, buf, 0, 2), 2);
  EXPECT_EQ(std::string(buf, 2), "01");
  // Ranges outside the record and record numbers out of range are refused.
  EXPECT_EQ(s.readRecord(1, buf, 0, 6), -1);
  EXPECT_EQ(s.readRecord(1, buf, 4, 2), -1);
  EXPECT_EQ(s.readRecord(2, buf, 0, 0), -1);
  EXPECT_EQ(s.readRecord(-1, buf, 0, 0), -1);
  EXPECT_EQ(s.recordLength(1), 5);
  EXPECT_EQ(s.recordLength(2), -1);
}

TEST(RecordStore, DeleteRenumbersAndCloseCompacts) {
  Pair p;
  IndexedRecordStore s;
  s.openStore(p.index, p.data);
  s.appendRecord("AAA", 3);
  s.appendRecord("BBBB", 4);
  s.appendRecord("CC", 2);
  ASSERT_EQ(s.deleteRecords(1), 0);
  EXPECT_EQ(s.recordCount(), 2u);
  EXPECT_EQ(record(s, 1), "CC");
  EXPECT_EQ(readFile(p.data), "AAABBBBCC");  // the data file is not touched
  EXPECT_EQ(readFile(p.index), indexBytes({{0, 3}, {7, 2}}));
  ASSERT_EQ(s.closeStore(), 0);
  EXPECT_EQ(readFile(p.data), "AAACC");
  EXPECT_EQ(readFile(p.index), indexBytes({{0, 3}, {3, 2}}));
  EXPECT_FALSE(fileops::exists(p.data + ".new"));
}

TEST(RecordStore, DeleteRangesAreChecked) {
  Pair p;
  IndexedRecordStore s;
  s.openStore(p.index, p.data);
  for (char c : std::string("abcde")) s.appendRecord(&c, 1);
  EXPECT_EQ(s.deleteRecords(3, 1), -1);
  EXPECT_EQ(s.deleteRecords(3, 5), -1);
  EXPECT_EQ(s.deleteRecords(5), -1);
  EXPECT_EQ(s.deleteRecords(-1), -1);
  EXPECT_EQ(s.recordCount(), 5u);
  EXPECT_EQ(s.deleteRecords(1, 3), 0);
  ASSERT_EQ(s.recordCount(), 2u);
  EXPECT_EQ(record(s, 0) + record(s, 1), "ae");
  EXPECT_EQ(s.deleteRecords(0, -1), 0);
  EXPECT_EQ(record(s, 0), "e");
}

TEST(RecordStore, CompactionFollowsIndexOrderNotFileOrder) {
  Pair p;
  writeFile(p.data, "xxCCCyyAAzBB");
  writeFile(p.index, indexBytes({{7, 2}, {10, 2}, {2, 3}}));
  IndexedRecordStore s;
  s.openStore(p.index, p.data);
  ASSERT_EQ(s.closeStore(), 0);
  EXPECT_EQ(readFile(p.data), "AABBCCC");
  EXPECT_EQ(readFile(p.index), indexBytes({{0, 2}, {2, 2}, {4, 3}}));
}

TEST(RecordStore, OnlyOneFileOfThePairMeansBrokenAndUntouched) {
  Pair p;
  const std::string index = indexBytes({{0, 4}, {4, 4}});
  writeFile(p.index, index);
  {
    IndexedRecordStore s;
    EXPECT_EQ(s.openStore(p.index, p.data), StoreState::broken);
    EXPECT_EQ(s.recordCount(), 0u);
    EXPECT_EQ(s.appendRecord("x", 1), -1);
    EXPECT_EQ(s.deleteRecords(0), -1);
    EXPECT_EQ(s.recordLength(0), -1);
    char b[4];
    EXPECT_EQ(s.readRecord(0, b, 0, 0), -1);
    EXPECT_EQ(s.closeStore(), -1);
  }
  EXPECT_EQ(readFile(p.index), index);
  EXPECT_FALSE(fileops::exists(p.data));

  Pair q;
  writeFile(q.data, bytesOf({1, 0, 5}));
  IndexedRecordStore s;
  EXPECT_EQ(s.openStore(q.index, q.data, 1), StoreState::broken);
  s.closeStore();
  EXPECT_EQ(readFile(q.data), bytesOf({1, 0, 5}));
  EXPECT_FALSE(fileops::exists(q.index));
}

TEST(RecordStore, AnEmptyDataFileAloneIsAnUnfinishedCreation) {
  Pair p;
  writeFile(p.data, "");
  IndexedRecordStore s;
  EXPECT_EQ(s.openStore(p.index, p.data, 1), StoreState::created);
  EXPECT_EQ(s.recordCount(), 1u);
}

TEST(RecordStore, EntriesPastTheDataFileReadShortAndAreKeptWhatTheyHold) {
  Pair p;
  writeFile(p.data, "abcdefgh");
  writeFile(p.index, indexBytes({{0, 2}, {6, 5}, {100, 3}, {0xFFFFFFF0u, 0x20}}));
  IndexedRecordStore s;
  ASSERT_EQ(s.openStore(p.index, p.data), StoreState::opened);
  char buf[8];
  EXPECT_EQ(s.readRecord(1, buf, 0, 0), 0);  // ended early
  EXPECT_EQ(std::string(buf, 5), std::string("gh\0\0\0", 5));
  EXPECT_EQ(s.readRecord(1, buf, 0, 2), 2);
  EXPECT_EQ(s.readRecord(2, buf, 0, 0), 0);
  EXPECT_EQ(s.availableLength(1), 2u);
  EXPECT_EQ(s.availableLength(3), 0u);
  ASSERT_EQ(s.closeStore(), 0);
  EXPECT_EQ(readFile(p.data), "abgh");
  EXPECT_EQ(readFile(p.index), indexBytes({{0, 2}, {2, 2}, {4, 0}, {4, 0}}));
}

TEST(RecordStore, HugeIndexIsNotTrusted) {
  Pair p;
  writeFile(p.data, "x");
  {
    std::ofstream out(p.index, std::ios::binary);
    out.seekp(static_cast<std::streamoff>(IndexedRecordStore::kMaxRecords) * 8 + 8);
    out.put('\0');
  }
  IndexedRecordStore s;
  EXPECT_EQ(s.openStore(p.index, p.data), StoreState::broken);
}

// The states an interrupted compaction can leave behind, and what the next
// open makes of them.
TEST(RecordStore, InterruptedCompactionIsFinishedOrDropped) {
  // Killed while writing "<data>.new": the old pair is whole and kept.
  {
    Pair p;
    writeFile(p.data, "..AB.CD");
    writeFile(p.index, indexBytes({{2, 2}, {5, 2}}));
    writeFile(p.data + ".new", "AB");
    IndexedRecordStore s;
    ASSERT_EQ(s.openStore(p.index, p.data), StoreState::opened);
    EXPECT_FALSE(fileops::exists(p.data + ".new"));
    EXPECT_EQ(record(s, 0) + record(s, 1), "ABCD");
  }
  // Killed after the old data file was removed, before the index was replaced
  // (also what a close interrupted between its delete and rename leaves).
  {
    Pair p;
    writeFile(p.index, indexBytes({{2, 2}, {5, 2}}));
    writeFile(p.data + ".new", "ABCD");
    IndexedRecordStore s;
    ASSERT_EQ(s.openStore(p.index, p.data), StoreState::opened);
    EXPECT_EQ(record(s, 0) + record(s, 1), "ABCD");
    EXPECT_EQ(readFile(p.index), indexBytes({{0, 2}, {2, 2}}));
    EXPECT_FALSE(fileops::exists(p.data + ".new"));
  }
  // Killed after the index was replaced, before the rename.
  {
    Pair p;
    writeFile(p.index, indexBytes({{0, 2}, {2, 2}}));
    writeFile(p.data + ".new", "ABCD");
    IndexedRecordStore s;
    ASSERT_EQ(s.openStore(p.index, p.data), StoreState::opened);
    EXPECT_EQ(record(s, 0) + record(s, 1), "ABCD");
  }
  // A ".new" that does not match the index is not guessed at: broken, untouched.
  {
    Pair p;
    writeFile(p.index, indexBytes({{0, 2}, {2, 2}}));
    writeFile(p.data + ".new", "ABC");
    IndexedRecordStore s;
    ASSERT_EQ(s.openStore(p.index, p.data), StoreState::broken);
    EXPECT_EQ(readFile(p.data + ".new"), "ABC");
  }
}

// Writes fail once a file would grow past the limit (as on a full volume).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit l = old_;
    l.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

 private:
  rlimit old_;
};

TEST(RecordStore, FailedWritesChangeNothing) {
  Pair p;
  IndexedRecordStore s;
  s.openStore(p.index, p.data);
  const std::string big(3000, 'b');
  ASSERT_EQ(s.appendRecord(big.data(), 3000), 0);
  ASSERT_EQ(s.appendRecord("small", 5), 0);
  ASSERT_EQ(s.deleteRecords(0), 0);
  const std::string index = readFile(p.index);
  const std::string data = readFile(p.data);
  {
    FileSizeLimit limit(3005);
    const std::string more(100, 'm');
    EXPECT_EQ(s.appendRecord(more.data(), 100), -1);
    EXPECT_EQ(s.recordCount(), 1u);
    EXPECT_EQ(readFile(p.index), index);
    EXPECT_EQ(readFile(p.data), data);
  }
  {
    // The index cannot grow past 8 bytes: the append fails after its data was written.
    FileSizeLimit limit(8);
    Pair q;
    IndexedRecordStore t;
    t.openStore(q.index, q.data);
    ASSERT_EQ(t.appendRecord("1", 1), 0);
    EXPECT_EQ(t.appendRecord("2", 1), -1);
    EXPECT_EQ(readFile(q.data), "1");
    EXPECT_EQ(readFile(q.index), indexBytes({{0, 1}}));
    EXPECT_EQ(t.recordCount(), 1u);
  }
  {
    // Compaction that cannot write its new data file leaves the pair as it was.
    ASSERT_EQ(s.appendRecord(big.data(), 3000), 0);
    const std::string index2 = readFile(p.index);
    const std::string data2 = readFile(p.data);
    FileSizeLimit limit(1000);
    EXPECT_EQ(s.compactStore(), -1);
    EXPECT_EQ(readFile(p.index), index2);
    EXPECT_EQ(readFile(p.data), data2);
    EXPECT_FALSE(fileops::exists(p.data + ".new"));
    EXPECT_EQ(record(s, 1), big);
  }
  EXPECT_EQ(s.closeStore(), 0);
  EXPECT_EQ(readFile(p.data), "small" + big);
}

TEST(RecordStore, FilesWrittenByHandAreRead) {
  Pair p;
  // Three bookmark-like records written by another program, with dead space.
  writeFile(p.data, bytesOf({1, 0}) + "zzz" + "first" + "second");
  writeFile(p.index, indexBytes({{0, 2}, {5, 5}, {10, 6}}));
  IndexedRecordStore s;
  ASSERT_EQ(s.openStore(p.index, p.data, 1), StoreState::opened);
  ASSERT_EQ(s.recordCount(), 3u);
  EXPECT_EQ(record(s, 2), "second");
  s.closeStore();
  EXPECT_EQ(readFile(p.data), bytesOf({1, 0}) + "firstsecond");
}

}  // namespace
}  // namespace vantrel
