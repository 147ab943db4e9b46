#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawContent.h"
#include "core/content/ContentDatabase.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Opened {
  TempDir dir;
  ContentDatabase db;
  bool ok = false;
  explicit Opened(const RawContent& c) {
    EXPECT_TRUE(c.write(dir.base()));
    ok = db.open(dir.base());
  }
};

std::vector<ObjectIndex> indexes(const std::vector<ObjectEntry>& entries) {
  std::vector<ObjectIndex> out;
  for (const auto& e : entries) out.push_back(e.index);
  return out;
}

}  // namespace

TEST(BitFields, ExtractAcrossBytesAndWidths) {
  const uint8_t b[] = {0b00000101, 0b10110000, 0xFF, 0x00, 0xAA, 0x55};
  // 7 bits from bit 5: the low 3 bits of byte 0 and the top 4 of byte 1.
  EXPECT_EQ(extractBits(b, 5, 12), 0b1011011u);
  EXPECT_EQ(extractBits(b, 12, 12), 0u);
  EXPECT_EQ(extractBits(b, 12, 3), 0u);
  EXPECT_EQ(extractBits(b, 16, 24), 0xFFu);
  EXPECT_EQ(extractBits(b, 7, 39), 0xD87F8055u);  // 32 bits starting at the last bit of byte 0
  EXPECT_EQ(extractBits(b, 0, 1), 0u);
  EXPECT_EQ(extractBits(b, 5, 6), 1u);

  EXPECT_EQ(bitLength(0), 0u);
  EXPECT_EQ(bitLength(1), 1u);
  EXPECT_EQ(bitLength(4), 3u);
  EXPECT_EQ(bitLength(7), 3u);
  EXPECT_EQ(bitLength(1000), 10u);
  EXPECT_EQ(bitLength(0xFFFFFFFFu), 32u);
  EXPECT_EQ(indexWidth(0), 0u);
  EXPECT_EQ(indexWidth(1), 0u);
  EXPECT_EQ(indexWidth(2), 1u);
  EXPECT_EQ(indexWidth(1024), 10u);
  EXPECT_EQ(indexWidth(1025), 11u);
}

TEST(ContentText, DecodesTheStoredSubsetOfUtf8) {
  const uint8_t cafe[] = {'c', 'a', 'f', 0xC3, 0xA9};
  EXPECT_EQ(decodeContentText(cafe, 5), u"caf\u00E9");
  const uint8_t lone[] = {0xA9};
  EXPECT_EQ(decodeContentText(lone, 1), u"\u00A9");
  const uint8_t euro[] = {0xE2, 0x82, 0xAC};
  EXPECT_EQ(decodeContentText(euro, 3), u"\u20AC");
  // Continuation bytes are not checked: only their low six bits count.
  const uint8_t loose[] = {0xC3, 0x29};
  EXPECT_EQ(decodeContentText(loose, 2), u"\u00E9");
  // A sequence cut off by the end of the text ends the conversion.
  const uint8_t cut2[] = {'a', 0xC3};
  EXPECT_EQ(decodeContentText(cut2, 2), u"a");
  const uint8_t cut3[] = {'a', 'b', 0xE2, 0x82};
  EXPECT_EQ(decodeContentText(cut3, 4), u"ab");
  // Four-byte lead bytes are taken as three-byte sequences (low four bits).
  const uint8_t f0[] = {0xF0, 0x80, 0x80, 'x'};
  EXPECT_EQ(decodeContentText(f0, 4), std::u16string(u"\u0000x", 2));
  EXPECT_EQ(decodeContentText(nullptr, 0), u"");
}

TEST(ContentDatabase, OpensTheSampleAndReadsEveryTable) {
  Opened o(sampleGuide());
  ASSERT_TRUE(o.ok);
  const ContentDatabase& db = o.db;
  EXPECT_TRUE(db.valid());
  EXPECT_EQ(db.objectCount(), 15u);
  EXPECT_EQ(db.typeNames().size(), 8u);
  EXPECT_EQ(db.typeName(kFootnote), u"footnote");
  EXPECT_EQ(db.typeName(8), u"");
  EXPECT_EQ(db.typeNumber(u"hierarchy item"), kItem);
  EXPECT_EQ(db.typeNumber(u"Table"), kNoType);  // case-sensitive
  EXPECT_EQ(db.kindName(1), u"string");
  EXPECT_EQ(db.kindNumber(u"number"), 2);
  EXPECT_EQ(db.kindNumber(u"blob"), kNoType);

  ObjectEntry e;
  ASSERT_TRUE(db.readEntry(13, e));
  EXPECT_EQ(e.database, &db);
  EXPECT_EQ(e.index, 13u);
  EXPECT_EQ(e.id, sampleId(13));
  EXPECT_EQ(e.parent, 6u);
  EXPECT_EQ(e.type, kFootnote);
  EXPECT_EQ(e.run, 0u);
  EXPECT_EQ(db.readString(e.value), u"fn");
  ASSERT_TRUE(db.readEntry(6, e));
  EXPECT_EQ(e.run, 2u);
  EXPECT_EQ(e.valueKind, 1);
  ASSERT_TRUE(db.readEntry(14, e));
  EXPECT_EQ(e.value, 42u);
  EXPECT_EQ(e.valueKind, 2);

  // Index past the end: failure, the entry is left as it was.
  ObjectEntry untouched;
  untouched.id = 99;
  EXPECT_FALSE(db.readEntry(15, untouched));
  EXPECT_FALSE(db.readEntry(0xFFFFFFFFu, untouched));
  EXPECT_EQ(untouched.id, 99u);

  // A repeated name maps to its later object; the list keeps both.
  EXPECT_EQ(db.objectByName(u"TOC"), 4u);
  EXPECT_EQ(db.objectByName(u"INDEX"), 2u);
  EXPECT_EQ(db.objectByName(u"index"), 0u);
  ASSERT_EQ(db.names().size(), 3u);
  EXPECT_EQ(db.names()[0], (std::pair<std::u16string, ObjectIndex>(u"TOC", 1)));
  EXPECT_GT(db.tableBytes(), 0u);
}

TEST(ContentDatabase, DuplicateTypeNameMapsToTheLaterNumber) {
  RawContent c = sampleGuide();
  c.typeNames.push_back(c.typeNames[kTable]);  // "table" again as type 8
  Opened o(c);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.db.typeNumber(u"table"), 8);
  EXPECT_EQ(o.db.typeNames().size(), 9u);
  EXPECT_EQ(o.db.typeName(kTable), u"table");
  // Searches by name now look for type 8, which no object has.
  std::vector<ObjectEntry> out;
  o.db.collectGroup(0, u"table", 0, out);
  EXPECT_TRUE(out.empty());
  o.db.collectGroup(0, uint16_t(kTable), 0, out);
  EXPECT_EQ(indexes(out), (std::vector<ObjectIndex>{1, 2}));
}

TEST(ContentDatabase, StringsAndBlobs) {
  RawContent c = sampleGuide();
  const uint32_t empty = c.addString("");
  const uint32_t cafe = c.addString("caf\xC3\xA9");
  const uint32_t last = c.addString("the last string runs to the end");
  Opened o(c);
  ASSERT_TRUE(o.ok);
  const ContentDatabase& db = o.db;
  EXPECT_EQ(db.stringCount(), c.strings.size());
  EXPECT_EQ(db.stringLength(empty), 0u);
  EXPECT_EQ(db.readString(empty), u"");
  EXPECT_EQ(db.stringLength(cafe), 5u);
  EXPECT_EQ(db.readString(cafe), u"caf\u00E9");
  EXPECT_EQ(db.readString(last), u"the last string runs to the end");
  EXPECT_EQ(db.stringLength(last + 1), 0u);
  EXPECT_EQ(db.readString(last + 1), u"");

  char buffer[8] = "xxxxxxx";
  EXPECT_TRUE(db.readStringBytes(cafe, buffer, 3));
  EXPECT_STREQ(buffer, "caf");
  EXPECT_TRUE(db.readStringBytes(cafe, buffer, 5));
  EXPECT_EQ(buffer[5], 0);
  EXPECT_FALSE(db.readStringBytes(cafe, buffer, 6));
  EXPECT_FALSE(db.readStringBytes(last + 1, buffer, 0));
  EXPECT_TRUE(db.readStringBytes(empty, buffer, 0));
  EXPECT_EQ(buffer[0], 0);

  ASSERT_EQ(db.blobCount(), 3u);
  EXPECT_EQ(db.blobLength(0), 7u);
  EXPECT_EQ(db.blobLength(1), 0u);
  EXPECT_EQ(db.blobLength(2), c.blobs[2].size());
  EXPECT_EQ(db.blobLength(3), 0u);
  char blob[64] = {};
  EXPECT_TRUE(db.readBlob(2, 7, blob, 4));
  EXPECT_EQ(std::string(blob, 4), "blob");
  EXPECT_TRUE(db.readBlob(2, 0, blob, db.blobLength(2)));
  EXPECT_FALSE(db.readBlob(2, 1, blob, db.blobLength(2)));
  EXPECT_FALSE(db.readBlob(0, 0xFFFFFFF0u, blob, 0x20));  // offset + n wraps in 32 bits
  EXPECT_FALSE(db.readBlob(3, 0, blob, 0));
  EXPECT_TRUE(db.readBlob(1, 0, blob, 0));
}

TEST(ContentDatabase, RecordCountPlacesTheHeaderRecord) {
  RawContent c = sampleGuide();
  c.dataRecords = 300;  // record 0 at 78 + 2400 = 2478
  c.stringsRecords = 1;
  c.binaryRecords = 0;
  EXPECT_EQ(c.dataFile()[2478 + 3], 4);
  Opened o(c);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.db.readString(0), u"root");
  EXPECT_EQ(o.db.blobLength(0), 7u);
}

TEST(ContentDatabase, WidthsFollowTheHeaderCounts) {
  RawContent c;
  c.typeNames = {c.addString("only")};  // one type: type numbers take no bits
  c.kindNames = {c.addString("string")};
  for (uint32_t i = 0; i < 1024; ++i) c.objects.push_back({i, i == 0 ? 0 : (i - 1) / 4, 0, 0, 0, i, 0});
  c.maxId = 1000;  // ids below it: 10 bits
  c.finish();
  {
    Opened o(c);
    ASSERT_TRUE(o.ok);
    const ContentLayout& l = o.db.layout();
    EXPECT_EQ(l.idBits, 10u);
    EXPECT_EQ(l.objectBits, 10u);
    EXPECT_EQ(l.typeBits, 0u);
    EXPECT_EQ(l.kindBits, 0u);
    EXPECT_EQ(l.stringBits, 1u);
    EXPECT_EQ(l.entryBits, l.idBits + 2 * l.objectBits + l.typeBits + l.runBits + l.kindBits + 32);
    ObjectEntry e;
    ASSERT_TRUE(o.db.readEntry(1023, e));
    EXPECT_EQ(e.type, 0u);
    EXPECT_EQ(e.parent, 255u);
    EXPECT_EQ(e.value, 1023u);
    EXPECT_EQ(e.id, 1023u & 0x3FF);
  }
  c.objects.push_back({1000, 256, 0, 0, 0, 1024, 0});
  c.finish();
  Opened o(c);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.db.layout().objectBits, 11u);
  ObjectEntry e;
  ASSERT_TRUE(o.db.readEntry(1024, e));
  EXPECT_EQ(e.parent, 256u);
  EXPECT_EQ(e.value, 1024u);
}

// A synthetic table over several chunks: parent i / 50, ids scrambled.
RawContent chunkedGuide(uint32_t count) {
  RawContent c;
  for (const char* t : {"a", "b", "c"}) c.typeNames.push_back(c.addString(t));
  for (const char* k : {"number", "string"}) c.kindNames.push_back(c.addString(k));
  for (uint32_t i = 0; i < count; ++i) {
    RawEntry e;
    e.id = (i * 7919u) % count + 1;
    e.parent = i == 0 ? 0 : (i - 1) / 50;
    e.type = i == 0 ? 0 : ((i - 1) % 50) / 20;  // groups of 20, 20 and 10
    e.value = i;
    c.objects.push_back(e);
  }
  c.runLimit = 50;  // runs take 6 bits
  c.finish();
  return c;
}

TEST(ContentDatabase, ObjectTableOverSeveralChunks) {
  // 12530 objects: 83-bit entries, 6265 per chunk (519995 bits, so each chunk
  // ends with 5 bits of padding), and the count is exactly two chunks.
  RawContent c = chunkedGuide(12530);
  Opened o(c);
  ASSERT_TRUE(o.ok);
  const ContentLayout& l = o.db.layout();
  ASSERT_EQ(l.entryBits, 83u);
  ASSERT_EQ(l.entriesPerChunk, 6265u);
  for (uint32_t i : {0u, 1u, 6263u, 6264u, 6265u, 6266u, 12529u}) {
    ObjectEntry e;
    ASSERT_TRUE(o.db.readEntry(i, e)) << i;
    EXPECT_EQ(e.value, i);
    EXPECT_EQ(e.parent, c.objects[i].parent);
    EXPECT_EQ(e.run, c.objects[i].run);
    EXPECT_EQ(e.byIdOrder, c.objects[i].byIdOrder);
  }
  // The table ends with a full chunk, flush with the end of the file.
  EXPECT_EQ(c.dataFile().size(), 78 + 8 * 3 + 32 + 2 + 1 + 2 * 65000);
  // Children of 125 with type 0 are 6251..6270, across the chunk boundary.
  std::vector<ObjectEntry> out;
  o.db.collectGroup(125, uint16_t(0), 0, out);
  ASSERT_EQ(out.size(), 20u);
  for (uint32_t k = 0; k < out.size(); ++k) EXPECT_EQ(out[k].value, 6251u + k);
  EXPECT_EQ(o.db.findGroup(125, 1), 6271u);
  EXPECT_EQ(o.db.findFirstChild(125), 6251u);
  out.clear();
  o.db.collectGroup(124, uint16_t(2), 0, out);  // 6241..6250: inside the first chunk
  EXPECT_EQ(out.size(), 10u);
  // findById over the whole table.
  for (uint32_t i : {0u, 6264u, 6265u, 12529u}) EXPECT_EQ(o.db.findById(c.objects[i].id), i == 0 ? 0u : i);
}

TEST(ContentDatabase, StringOffsetTableOf30BitCodes) {
  // 30-bit offset codes: 17333 per chunk, chunks 64999 bytes apart.
  RawContent c;
  c.typeNames = {c.addString("t")};
  c.kindNames = {c.addString("string")};
  c.objects.push_back({});
  for (uint32_t i = 2; i < 17340; ++i) c.addString("s" + std::to_string(i));
  c.maxStringCodeOverride = 1u << 29;
  c.finish();
  const std::vector<uint8_t> strings = c.stringsFile();
  // Header 20 bytes at 78 + 16, then 64999 bytes for the first chunk and
  // ceil(7 * 30 / 8) = 27 for the last 7 codes.
  const size_t textStart = 78 + 16 + 20 + 64999 + 27;
  EXPECT_EQ(std::string(strings.begin() + textStart, strings.begin() + textStart + 2), "ts");
  Opened o(c);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.db.layout().stringCodeBits, 30u);
  EXPECT_EQ(o.db.readString(17332), u"s17332");
  EXPECT_EQ(o.db.readString(17333), u"s17333");
  EXPECT_EQ(o.db.readString(17334), u"s17334");
  EXPECT_EQ(o.db.readString(17339), u"s17339");
  EXPECT_EQ(o.db.stringLength(17339), 6u);
}

TEST(ContentDatabase, ZeroWidthFields) {
  // One string: string numbers take no bits; one object, one type and one
  // kind: the type, kind, parent and byIdOrder fields take none either.
  RawContent c;
  c.addString("only");
  c.typeNames = {0};
  c.kindNames = {0};
  c.names = {{0, 0}, {0, 0}};
  c.objects.push_back({0, 0, 0, 0, 0, 77, 0});
  c.finish();
  Opened o(c);
  ASSERT_TRUE(o.ok);
  const ContentLayout& l = o.db.layout();
  EXPECT_EQ(l.stringBits, 0u);
  EXPECT_EQ(l.objectBits, 0u);
  EXPECT_EQ(l.entryBits, 32u);
  EXPECT_EQ(o.db.typeName(0), u"only");
  EXPECT_EQ(o.db.kindName(0), u"only");
  EXPECT_EQ(o.db.names().size(), 2u);
  ObjectEntry e;
  ASSERT_TRUE(o.db.readEntry(0, e));
  EXPECT_EQ(e.value, 77u);
  EXPECT_EQ(o.db.readString(0), u"only");
  EXPECT_EQ(o.db.findGroup(0, 0), 0u);
  EXPECT_EQ(o.db.findFirstChild(0), 0u);
  EXPECT_EQ(o.db.findById(0), 0u);
}

TEST(ContentDatabase, Searches) {
  Opened o(sampleGuide());
  ASSERT_TRUE(o.ok);
  const ContentDatabase& db = o.db;
  EXPECT_EQ(db.findGroup(0, kTable), 1u);
  EXPECT_EQ(db.findGroup(0, kPopup), 4u);
  EXPECT_EQ(db.findGroup(1, kField), 6u);
  EXPECT_EQ(db.findGroup(1, kTableType), 5u);
  EXPECT_EQ(db.findGroup(6, kFootnote), 13u);
  EXPECT_EQ(db.findGroup(12, kItem), 14u);
  EXPECT_EQ(db.findGroup(0, kField), 0u);     // no children of that type
  EXPECT_EQ(db.findGroup(3, kFootnotes), 0u);
  EXPECT_EQ(db.findGroup(14, kItem), 0u);     // the last object
  EXPECT_EQ(db.findGroup(14, kRoot), 0u);
  EXPECT_EQ(db.findGroup(99, kItem), 0u);
  EXPECT_EQ(db.findGroup(0, kNoType), 0u);

  EXPECT_EQ(db.findFirstChild(0), 1u);
  EXPECT_EQ(db.findFirstChild(1), 5u);
  EXPECT_EQ(db.findFirstChild(6), 12u);
  EXPECT_EQ(db.findFirstChild(12), 14u);
  EXPECT_EQ(db.findFirstChild(4), 0u);
  EXPECT_EQ(db.findFirstChild(7), 0u);
  EXPECT_EQ(db.findFirstChild(14), 0u);

  for (uint32_t i = 1; i < 15; ++i) EXPECT_EQ(db.findById(sampleId(i)), i);
  EXPECT_EQ(db.findById(100), 11u);  // smallest id
  EXPECT_EQ(db.findById(198), 7u);   // largest id
  EXPECT_EQ(db.findById(101), 0u);
  EXPECT_EQ(db.findById(99), 0u);
  EXPECT_EQ(db.findById(199), 0u);
}

TEST(ContentDatabase, CollectGroupNeverLeaksIntoTheNextGroup) {
  // Children of 1: five of type "field" followed by two "footnote"s, then the
  // children of 2 start with a "field".
  RawContent c = sampleGuide();
  auto& objects = c.objects;
  objects.clear();
  objects.push_back({1, 0, kRoot, 0, 0, 0, 0});
  objects.push_back({2, 0, kTable, 0, 0, 0, 0});
  objects.push_back({3, 0, kTable, 0, 0, 0, 0});
  for (uint32_t i = 0; i < 5; ++i) objects.push_back({10 + i, 1, kField, 0, 0, 100 + i, 0});
  objects.push_back({20, 1, kFootnote, 0, 0, 200, 0});
  objects.push_back({21, 1, kFootnote, 0, 0, 201, 0});
  objects.push_back({30, 2, kField, 0, 0, 300, 0});
  c.names.clear();
  c.maxId = c.runLimit = 0;
  c.finish();
  Opened o(c);
  ASSERT_TRUE(o.ok);
  auto collect = [&](ObjectIndex parent, const char16_t* type, uint32_t max) {
    std::vector<ObjectEntry> out;
    o.db.collectGroup(parent, type, max, out);
    return indexes(out);
  };
  const std::vector<ObjectIndex> all{3, 4, 5, 6, 7};
  EXPECT_EQ(collect(1, u"field", 2147483647), all);
  EXPECT_EQ(collect(1, u"field", 0), all);
  EXPECT_EQ(collect(1, u"field", 6), all);
  EXPECT_EQ(collect(1, u"field", 3), (std::vector<ObjectIndex>{3, 4, 5}));
  EXPECT_EQ(collect(1, u"field", 1), (std::vector<ObjectIndex>{3}));
  EXPECT_EQ(collect(1, u"footnote", 0), (std::vector<ObjectIndex>{8, 9}));
  EXPECT_EQ(collect(2, u"field", 0), (std::vector<ObjectIndex>{10}));
  EXPECT_EQ(collect(2, u"footnote", 0), (std::vector<ObjectIndex>{}));
  EXPECT_EQ(collect(1, u"no such type", 0), (std::vector<ObjectIndex>{}));
  // The collected entries are the decoded entries.
  std::vector<ObjectEntry> out;
  o.db.collectGroup(1, u"field", 0, out);
  for (size_t k = 0; k < out.size(); ++k) {
    EXPECT_EQ(out[k].value, 100 + k);
    EXPECT_EQ(out[k].run, 4 - k);
    EXPECT_EQ(out[k].database, &o.db);
  }
  // Appends to what is there.
  o.db.collectGroup(2, u"field", 0, out);
  EXPECT_EQ(out.size(), 6u);
}

TEST(ContentDatabase, EmptyDatabaseAnswersNothing) {
  auto expectEmpty = [](const ContentDatabase& db) {
    EXPECT_FALSE(db.valid());
    EXPECT_EQ(db.objectCount(), 0u);
    EXPECT_EQ(db.stringCount(), 0u);
    EXPECT_EQ(db.blobCount(), 0u);
    EXPECT_TRUE(db.typeNames().empty());
    EXPECT_TRUE(db.kindNames().empty());
    EXPECT_TRUE(db.names().empty());
    EXPECT_EQ(db.typeNumber(u"table"), kNoType);
    EXPECT_EQ(db.objectByName(u"TOC"), 0u);
    ObjectEntry e;
    EXPECT_FALSE(db.readEntry(0, e));
    EXPECT_EQ(db.readString(0), u"");
    EXPECT_EQ(db.findGroup(0, 0), 0u);
    EXPECT_EQ(db.findFirstChild(0), 0u);
    EXPECT_EQ(db.findById(100), 0u);
    std::vector<ObjectEntry> out;
    db.collectGroup(0, u"table", 0, out);
    EXPECT_TRUE(out.empty());
  };
  ContentDatabase never;
  expectEmpty(never);

  TempDir dir;
  ContentDatabase missing;
  EXPECT_FALSE(missing.open(dir.base()));
  expectEmpty(missing);

  // Stamps from different editions, whichever part differs.
  for (int part = 0; part < 3; ++part) {
    RawContent c = sampleGuide();
    if (part < 2) {
      c.stringsStamp[part] ^= 1;
    } else {
      c.stringsStamp3 += 65536;  // differs only in the high half
    }
    Opened o(c);
    EXPECT_FALSE(o.ok) << part;
    expectEmpty(o.db);
  }
  {
    RawContent c = sampleGuide();
    c.dataTag = 5;
    Opened o(c);
    expectEmpty(o.db);
  }
  {
    RawContent c = sampleGuide();
    c.stringsTag = 12345;  // not checked
    Opened o(c);
    EXPECT_TRUE(o.ok);
  }
  // A valid database reopened over a bad one empties it.
  Opened good(sampleGuide());
  ASSERT_TRUE(good.ok);
  EXPECT_FALSE(good.db.open(dir.base()));
  expectEmpty(good.db);
  good.db.close();
  expectEmpty(good.db);
}

TEST(ContentDatabase, BinaryFileIsOptional) {
  RawContent c = sampleGuide();
  c.withBinary = false;
  {
    Opened o(c);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.db.blobCount(), 0u);
    EXPECT_EQ(o.db.blobLength(0), 0u);
    EXPECT_EQ(o.db.readString(1), u"table");
  }
  c.withBinary = true;
  c.binaryTag = 4;
  Opened o(c);
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.db.blobCount(), 0u);
}
