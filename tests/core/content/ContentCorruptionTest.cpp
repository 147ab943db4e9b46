// Truncated, corrupt and hostile content files: the reader never reads out
// of bounds, crashes or hangs, and either refuses the database or fails the
// single reads that cannot be done.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "RawContent.h"
#include "core/content/ContentDatabase.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Runs every query over a bounded range; answers how many entries could be read.
uint32_t exercise(const ContentDatabase& db) {
  uint32_t readable = 0;
  const uint32_t n = std::min<uint32_t>(db.objectCount() + 2, 64);
  for (uint32_t i = 0; i < n; ++i) {
    ObjectEntry e;
    if (db.readEntry(i, e)) {
      ++readable;
      db.readString(e.value);
      db.findGroup(i, e.type);
      db.findFirstChild(i);
      db.findById(e.id);
      std::vector<ObjectEntry> out;
      db.collectGroup(e.parent, e.type, 0, out);
      EXPECT_LE(out.size(), db.objectCount());
    }
    db.readString(i);
    char buffer[16];
    db.readStringBytes(i, buffer, std::min<uint32_t>(db.stringLength(i), 15));
    db.readBlob(i, 0, buffer, std::min<uint32_t>(db.blobLength(i), 16));
  }
  for (const auto& t : db.typeNames()) db.typeNumber(t);
  for (const auto& [name, object] : db.names()) db.objectByName(name);
  return readable;
}

void writeThree(const std::string& base, const std::vector<uint8_t>& data, const std::vector<uint8_t>& strings,
                const std::vector<uint8_t>& binary) {
  ASSERT_TRUE(writeFile(base + "-Data.pdb", data));
  ASSERT_TRUE(writeFile(base + "-Strings.pdb", strings));
  ASSERT_TRUE(writeFile(base + "-Binary-PPC.pdb", binary));
}

}  // namespace

TEST(ContentCorruption, TruncatedFilesAtEveryLength) {
  const RawContent c = sampleGuide();
  const auto data = c.dataFile(), strings = c.stringsFile(), binary = c.binaryFile();
  TempDir dir;
  // The Data file cut anywhere: the tables no longer fit, the database is empty.
  for (size_t len = 0; len < data.size(); ++len) {
    writeThree(dir.base(), std::vector<uint8_t>(data.begin(), data.begin() + len), strings, binary);
    ContentDatabase db;
    EXPECT_FALSE(db.open(dir.base())) << len;
    EXPECT_EQ(db.objectCount(), 0u);
  }
  // The Strings file cut: empty while the offset table is cut, then only the
  // strings that reach past the end fail.
  const size_t textStart = strings.size() - [&] {
    size_t total = 0;
    for (const auto& s : c.strings) total += s.size();
    return total;
  }();
  for (size_t len = 0; len < strings.size(); ++len) {
    writeThree(dir.base(), data, std::vector<uint8_t>(strings.begin(), strings.begin() + len), binary);
    ContentDatabase db;
    const bool ok = db.open(dir.base());
    EXPECT_EQ(ok, len >= textStart) << len;
    exercise(db);
    if (!ok) continue;
    // Strings that still lie wholly in the file are intact; the others are
    // cut (the last one ends where the file does) or fail.
    size_t at = textStart;
    for (uint32_t i = 0; i < c.strings.size(); ++i) {
      const size_t size = c.strings[i].size();
      if (at + size <= len) {
        EXPECT_EQ(db.stringLength(i), size);
      } else {
        EXPECT_EQ(db.stringLength(i), i + 1 == c.strings.size() && at <= len ? len - at : 0) << len << " " << i;
      }
      at += size;
    }
  }
  // The Binary file cut: only the blobs are lost.
  for (size_t len = 0; len < binary.size(); ++len) {
    writeThree(dir.base(), data, strings, std::vector<uint8_t>(binary.begin(), binary.begin() + len));
    ContentDatabase db;
    ASSERT_TRUE(db.open(dir.base())) << len;
    EXPECT_EQ(db.objectCount(), 15u);
    exercise(db);
    char buffer[64];
    const uint32_t blobs = db.blobCount();
    for (uint32_t i = 0; i < blobs; ++i) {
      const uint32_t length = db.blobLength(i);
      EXPECT_LE(length, c.blobs[i].size());
      if (length) {
        EXPECT_TRUE(db.readBlob(i, 0, buffer, length));
      }
    }
  }
}

TEST(ContentCorruption, RandomDamageNeverCrashes) {
  const RawContent c = sampleGuide();
  const auto data = c.dataFile(), strings = c.stringsFile(), binary = c.binaryFile();
  TempDir dir;
  std::mt19937 random(2007);
  for (int round = 0; round < 400; ++round) {
    auto d = data, s = strings, b = binary;
    std::vector<uint8_t>* files[] = {&d, &s, &b};
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < flips; ++k) {
      auto& f = *files[random() % 3];
      // Favour the headers and tables, where damage does the most.
      const size_t at = random() % std::min<size_t>(f.size(), random() % 2 ? 140 : f.size());
      f[at] = static_cast<uint8_t>(random());
    }
    writeThree(dir.base(), d, s, b);
    ContentDatabase db;
    db.open(dir.base());
    exercise(db);
  }
}

TEST(ContentCorruption, CountsTheFilesCannotHoldEmptyTheDatabase) {
  TempDir dir;
  auto opens = [&](const RawContent& c) {
    EXPECT_TRUE(c.write(dir.base()));
    ContentDatabase db;
    const bool ok = db.open(dir.base());
    EXPECT_EQ(ok, db.valid());
    if (!ok) {
      EXPECT_EQ(db.objectCount(), 0u);
    }
    return ok;
  };
  {
    RawContent c = sampleGuide();
    c.objectCountOverride = 16;  // one entry more than written
    EXPECT_FALSE(opens(c));
    c.objectCountOverride = 0xFFFFFFFF;
    EXPECT_FALSE(opens(c));
  }
  {
    RawContent c = sampleGuide();
    c.nameCountOverride = 0x7FFFFFFF;
    EXPECT_FALSE(opens(c));
  }
  {
    // A zero-width name table takes no bytes, but four billion of its
    // entries would still have to be built.
    RawContent c;
    c.addString("x");
    c.typeNames = {0};
    c.kindNames = {0};
    c.objects.push_back({});
    c.finish();
    c.nameCountOverride = 0xFFFFFFF0;
    EXPECT_FALSE(opens(c));
    c.nameCountOverride = 100;  // a hundred "x" names fit the same way: harmless
    EXPECT_TRUE(opens(c));
  }
  {
    RawContent c = sampleGuide();
    c.stringCountOverride = 0x40000000;
    EXPECT_FALSE(opens(c));
  }
  {
    RawContent c = sampleGuide();
    c.typeCountOverride = 0xFFFF;
    EXPECT_FALSE(opens(c));
  }
  {
    // A huge Binary count only loses the blobs.
    RawContent c = sampleGuide();
    c.blobCountOverride = 0x10000000;
    EXPECT_TRUE(c.write(dir.base()));
    ContentDatabase db;
    EXPECT_TRUE(db.open(dir.base()));
    EXPECT_EQ(db.blobCount(), 0u);
  }
  {
    // A record count that puts the header record past the end.
    RawContent c = sampleGuide();
    auto data = c.dataFile();
    data[76] = 0xFF;
    writeThree(dir.base(), data, c.stringsFile(), c.binaryFile());
    ContentDatabase db;
    EXPECT_FALSE(db.open(dir.base()));
  }
  {
    // Table texts that repeat one long string many times over: refused
    // instead of building gigabytes of names.
    RawContent c = sampleGuide();
    const uint32_t longText = c.addString(std::string(64 * 1024, 'n'));
    c.names.assign(300, {longText, 1});
    EXPECT_FALSE(opens(c));
    c.names.resize(10);
    EXPECT_TRUE(opens(c));
  }
}

TEST(ContentCorruption, BackwardOrOutOfFileOffsetsFailOneString) {
  RawContent c = sampleGuide();
  auto strings = c.stringsFile();
  TempDir dir;
  // The offset table starts at 78 + 8 * 2 + 20 = 114, one chunk of codes as
  // wide as maxStringCode.
  const uint32_t maxCode = (uint32_t(strings[110]) << 24) | (uint32_t(strings[111]) << 16) |
                           (uint32_t(strings[112]) << 8) | strings[113];
  const uint32_t bits = testBitLength(maxCode);
  std::vector<uint32_t> codes;
  for (uint32_t i = 0; i < c.strings.size(); ++i) codes.push_back(extractBits(&strings[114], i * bits, (i + 1) * bits));
  // String 3 ("field") now claims to start after string 4 does.
  codes[3] = codes[4] + 2;
  BitWriter w;
  for (uint32_t code : codes) w.put(code, bits);
  std::copy(w.bytes().begin(), w.bytes().end(), strings.begin() + 114);
  writeThree(dir.base(), c.dataFile(), strings, c.binaryFile());
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir.base()));
  EXPECT_EQ(db.readString(3), u"");
  EXPECT_EQ(db.stringLength(3), 0u);
  char buffer[4];
  EXPECT_FALSE(db.readStringBytes(3, buffer, 0));
  EXPECT_EQ(db.typeName(kField), u"");  // its name is lost, nothing else
  EXPECT_EQ(db.readString(4), u"footnotes");
  EXPECT_EQ(db.typeName(kTableType), u"table typefieldfo");  // now ends where string 3 claims to start
  EXPECT_EQ(db.typeName(kTable), u"table");
}

TEST(ContentCorruption, HostileEntriesKeepSearchesBounded) {
  // Runs that claim far more than their group, parents that point forward or
  // at themselves, byIdOrder past the table.
  RawContent c = sampleGuide();
  c.runLimit = 0xFFFFFFFF;
  c.objects[1].run = 0xFFFFFFF0;  // first "table" of the root
  c.objects[6].run = 1000;        // first "field" of 1
  c.objects[9].parent = 9;        // its own parent
  c.objects[12].parent = 13;      // a later object as parent
  c.objects[3].byIdOrder = 0x3FF;
  TempDir dir;
  ASSERT_TRUE(c.write(dir.base()));
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir.base()));
  std::vector<ObjectEntry> out;
  db.collectGroup(0, uint16_t(kTable), 0, out);
  EXPECT_EQ(out.size(), 2u);  // stops where the group ends
  out.clear();
  db.collectGroup(1, uint16_t(kField), 0, out);
  EXPECT_EQ(out.size(), 3u);
  for (uint32_t parent = 0; parent < 20; ++parent) {
    for (uint16_t type = 0; type < 9; ++type) {
      const ObjectIndex g = db.findGroup(parent, type);
      EXPECT_TRUE(g == 0 || g > parent);
    }
    const ObjectIndex f = db.findFirstChild(parent);
    EXPECT_TRUE(f == 0 || f > parent);
  }
  for (uint32_t id = 90; id < 210; ++id) db.findById(id);
  exercise(db);
}

TEST(ContentCorruption, ARefusedDatabaseSaysWhichFileFailedWhichCheck) {
  const RawContent c = sampleGuide();
  const auto data = c.dataFile(), strings = c.stringsFile(), binary = c.binaryFile();
  TempDir dir;
  ContentDatabase db;
  writeThree(dir.base(), data, strings, binary);
  ASSERT_TRUE(db.open(dir.base()));
  EXPECT_EQ(db.openError(), "");
  // The Data and Binary files swapped.
  writeThree(dir.base(), binary, strings, data);
  EXPECT_FALSE(db.open(dir.base()));
  EXPECT_EQ(db.objectCount(), 0u);
  EXPECT_NE(db.openError().find("-Data.pdb: not a Data file (kind 5, expected 4)"), std::string::npos)
      << db.openError();
  // A cut Data file.
  writeThree(dir.base(), std::vector<uint8_t>(data.begin(), data.end() - 1), strings, binary);
  EXPECT_FALSE(db.open(dir.base()));
  EXPECT_NE(db.openError().find("-Data.pdb: "), std::string::npos) << db.openError();
  // No Strings file at all.
  std::filesystem::remove(dir.base() + "-Strings.pdb");
  writeFile(dir.base() + "-Data.pdb", data);
  EXPECT_FALSE(db.open(dir.base()));
  EXPECT_NE(db.openError().find("-Strings.pdb: cannot be opened"), std::string::npos) << db.openError();
}
