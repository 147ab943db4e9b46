// Byte-level checks of the files ContentWriter produces, decoded with the
// independent decoder of RawFiles.h.
#include <gtest/gtest.h>

#include <filesystem>

#include "RawFiles.h"
#include "core/content/ContentWriter.h"

namespace vantrel {
namespace {

using namespace packtest;
namespace fs = std::filesystem;

// Every file: the record list describes records laid back to back from
// 78 + 8n to the end of the file, record 0 being the header record.
void expectContiguousRecords(const std::vector<uint8_t>& f, const char* what) {
  SCOPED_TRACE(what);
  const uint32_t n = be16(f, 76);
  ASSERT_GE(n, 1u);
  ASSERT_GE(f.size(), 78 + 8 * size_t(n));
  EXPECT_EQ(be32(f, 78), 78 + 8 * n) << "record 0 right after the list, no gap";
  for (uint32_t i = 1; i < n; ++i) {
    uint32_t size = be32(f, 78 + 8 * i) - be32(f, 78 + 8 * (i - 1));
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, 65000u);
  }
  EXPECT_LE(be32(f, 78 + 8 * (n - 1)), f.size());
  EXPECT_EQ(f[31], 0) << "database name ends in a NUL";
}

TEST(WriterLayout, SmallTreeHeadersTablesAndOrder) {
  ContentWriter w;
  w.setEdition(7, 1, 20071001);
  auto a = w.add(0, u"table");
  auto b = w.add(0, u"hierarchy item");
  auto c = w.add(0, u"table");
  auto a1 = w.add(a, u"field");
  auto b1 = w.add(b, u"field");
  w.setText(a, u"Alpha");
  w.setText(c, u"Alpha");  // stored once
  w.setNumber(a1, 4000000000u);
  w.setLink(b1, c);
  w.setName(c, u"GAMMA");
  w.setId(b, 500);
  const std::string dir = freshDir("small");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/Q", &error)) << error;

  RawContent r;
  ASSERT_TRUE(r.load(dir + "/Q"));
  expectContiguousRecords(r.data, "data");
  expectContiguousRecords(r.strings, "strings");
  expectContiguousRecords(r.binary, "binary");
  EXPECT_STREQ(reinterpret_cast<const char*>(r.data.data()), "Q-Data");
  EXPECT_EQ(r.tag, 4u);
  EXPECT_EQ(r.binaryTag, 5u);
  EXPECT_EQ(r.stampA, 7u);
  EXPECT_EQ(r.stampB, 1u);
  EXPECT_EQ(r.stampC, 20071001u);
  // Binary and Strings carry the same stamp.
  EXPECT_EQ(be16(r.strings, r.stringHead + 4), 7u);
  EXPECT_EQ(be32(r.strings, r.stringHead + 8), 20071001u);
  EXPECT_EQ(be16(r.binary, r.binaryHead + 4), 7u);
  EXPECT_EQ(be32(r.binary, r.binaryHead + 8), 20071001u);
  EXPECT_EQ(r.objectCount, 6u);
  EXPECT_EQ(r.blobCount, 0u);
  EXPECT_EQ(r.binary.size(), r.binaryHead + 20);

  // Types in order of first use; kinds: the defaults in use, in order.
  ASSERT_EQ(r.typeCount, 4u);
  EXPECT_EQ(r.typeName(0), "root");
  EXPECT_EQ(r.typeName(1), "table");
  EXPECT_EQ(r.typeName(2), "hierarchy item");
  EXPECT_EQ(r.typeName(3), "field");
  ASSERT_EQ(r.kindCount, 4u);
  EXPECT_EQ(r.kindName(0), "none");
  EXPECT_EQ(r.kindName(1), "string");
  EXPECT_EQ(r.kindName(2), "number");
  EXPECT_EQ(r.kindName(3), "object");

  // Breadth-first, by parent then type number, source order inside a group:
  // root, a, c (tables), b (hierarchy item), a1, b1.
  const uint32_t expectHandle[] = {0, a, c, b, a1, b1};
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(w.indexOf(expectHandle[i]), i);
  RawEntry e[6];
  for (int i = 0; i < 6; ++i) e[i] = r.entry(i);
  EXPECT_EQ(e[1].parent, 0u);
  EXPECT_EQ(e[1].type, 1u);
  EXPECT_EQ(e[1].run, 1u);
  EXPECT_EQ(e[2].run, 0u);
  EXPECT_EQ(e[3].type, 2u);
  EXPECT_EQ(e[3].run, 0u);
  EXPECT_EQ(e[4].parent, 1u);
  EXPECT_EQ(e[5].parent, 3u);
  EXPECT_EQ(e[4].value, 4000000000u);
  EXPECT_EQ(r.kindName(uint32_t(e[4].kind)), "number");
  EXPECT_EQ(e[5].value, 2u) << "link value is the target's object index";
  EXPECT_EQ(r.kindName(uint32_t(e[5].kind)), "object");
  EXPECT_EQ(e[1].value, e[2].value) << "identical texts share one string";
  EXPECT_EQ(r.stringBytes(uint32_t(e[1].value)), "Alpha");
  EXPECT_EQ(r.kindName(uint32_t(e[0].kind)), "none");
  EXPECT_EQ(e[0].value, 0u);

  // Ids: b keeps 500, the others get 501.. in source order.
  EXPECT_EQ(e[3].id, 500u);
  EXPECT_EQ(e[0].id, 501u);
  EXPECT_EQ(e[1].id, 502u);  // a
  EXPECT_EQ(e[2].id, 503u);  // c
  EXPECT_EQ(e[4].id, 504u);  // a1
  EXPECT_EQ(e[5].id, 505u);  // b1
  EXPECT_EQ(r.maxId, 505u);
  const uint64_t byId[] = {3, 0, 1, 2, 4, 5};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(e[i].byId, byId[i]) << i;

  // Name table: (string, object index).
  ASSERT_EQ(r.nameCount, 1u);
  EXPECT_EQ(r.stringBytes(uint32_t(r.names.field(r.data, 0, 0, r.stringBits))), "GAMMA");
  EXPECT_EQ(r.names.field(r.data, 0, r.stringBits, r.objectBits), 2u);

  // The tables fill the Data file exactly; the last string runs to the end.
  EXPECT_EQ(r.objects.end(), r.data.size());
  std::vector<std::string> all;
  for (uint32_t i = 0; i < r.stringCount; ++i) all.push_back(r.stringBytes(i));
  std::sort(all.begin(), all.end());
  EXPECT_TRUE(std::adjacent_find(all.begin(), all.end()) == all.end()) << "no string stored twice";
}

TEST(WriterLayout, RootOnlyHasZeroWidthFields) {
  // One object, one type, one kind: object, type and kind numbers take no bits.
  ContentWriter w(u"none");  // the type name equals the kind name: one string
  const std::string dir = freshDir("root-only");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/R", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/R"));
  EXPECT_EQ(r.objectCount, 1u);
  EXPECT_EQ(r.stringCount, 1u);
  EXPECT_EQ(r.stringBits, 0u);
  EXPECT_EQ(r.objectBits, 0u);
  EXPECT_EQ(r.typeBits, 0u);
  EXPECT_EQ(r.kindBits, 0u);
  EXPECT_EQ(r.runBits, 0u);  // runLimit 1
  EXPECT_EQ(r.runLimit, 1u);
  EXPECT_EQ(r.maxId, 1u);
  EXPECT_EQ(r.entryBits, 33u);
  EXPECT_EQ(r.maxStringCode, 0u);
  // Records: header, one chunk of the object table (the zero-width type and
  // kind tables take no bytes); Strings: header plus one text record.
  EXPECT_EQ(r.dataRecords, 2u);
  EXPECT_EQ(r.data.size(), r.dataHead + 32 + 5);
  EXPECT_EQ(r.stringRecords, 2u);
  EXPECT_EQ(r.stringBytes(0), "none");
  RawEntry e = r.entry(0);
  EXPECT_EQ(e.id, 1u);
  EXPECT_EQ(e.value, 0u);
  expectContiguousRecords(r.data, "data");
  expectContiguousRecords(r.strings, "strings");
}

// objectCount for which a flat tree (root + children of one type, no values)
// fills exactly `chunks` chunks.
struct FlatShape {
  uint32_t n = 0, entryBits = 0, perChunk = 0;
};
FlatShape flatExactMultiple(uint32_t chunks) {
  for (uint32_t n = 1000; n < 200000; ++n) {
    // ids 1..n, two types, one kind ("none"), run limit n - 1.
    uint32_t w = bitLen(n) + idxWidth(n) + 1 + idxWidth(n - 1) + 0 + 32 + idxWidth(n);
    uint32_t k = 520000 / w;
    if (uint64_t(k) * chunks == n) return {n, w, k};
  }
  return {};
}

TEST(WriterLayout, ChunkStridesAndExactMultipleOfK) {
  FlatShape s = flatExactMultiple(2);
  ASSERT_GT(s.n, 0u);
  ContentWriter w;
  for (uint32_t i = 1; i < s.n; ++i) w.add(0, u"item");
  const std::string dir = freshDir("exact");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/E", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/E"));
  ASSERT_EQ(r.entryBits, s.entryBits);
  ASSERT_EQ(r.objects.perChunk, s.perChunk);
  const uint32_t stride = uint32_t((uint64_t(s.perChunk) * s.entryBits + 7) / 8);
  // Two full chunks, nothing after: the object table ends the file.
  EXPECT_EQ(r.data.size(), r.objects.start + 2 * size_t(stride));
  // Records: header, type table (2 names), kind table (1 name), two chunks
  // (the strings "root", "item", "none" take 2 bits each).
  EXPECT_EQ(r.dataRecords, 1u + 1 + 1 + 2);
  EXPECT_EQ(be32(r.data, 78 + 8 * 4) - be32(r.data, 78 + 8 * 3), stride);
  // Entries on both sides of the chunk boundary decode.
  for (uint64_t i : {uint64_t(0), uint64_t(1), uint64_t(s.perChunk - 1), uint64_t(s.perChunk),
                     uint64_t(s.perChunk + 1), uint64_t(s.n - 1)}) {
    RawEntry e = r.entry(i);
    EXPECT_EQ(e.id, i + 1) << i;
    EXPECT_EQ(e.byId, i) << i;
    if (i > 0) {
      EXPECT_EQ(e.parent, 0u);
      EXPECT_EQ(e.type, 1u);
      EXPECT_EQ(e.run, s.n - 1 - i) << i;
    }
  }
}

TEST(WriterLayout, TablesSpanningSeveralChunksInEveryFile) {
  // Enough strings that the offset table and the object table span chunks,
  // names enough for two name chunks is too many for a unit test, but the
  // object and string-code tables are checked across their boundaries.
  ContentWriter w;
  const uint32_t n = 40000;
  std::vector<ContentWriter::Handle> hs;
  for (uint32_t i = 0; i < n; ++i) {
    auto h = w.add(0, i % 3 ? u"field" : u"item");
    w.setText(h, u"text " + std::u16string(1, char16_t(u'a' + i % 26)) +
                     std::u16string(1, char16_t(0x4E00 + i)));  // distinct texts
    hs.push_back(h);
  }
  const std::string dir = freshDir("chunks");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/C", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/C"));
  ASSERT_GT(r.objectCount, r.objects.perChunk);
  ASSERT_GT(r.stringCount, r.stringCodes.perChunk);
  expectContiguousRecords(r.data, "data");
  expectContiguousRecords(r.strings, "strings");
  for (uint32_t i = 0; i < n; i += 997) {
    RawEntry e = r.entry(w.indexOf(hs[i]));
    std::u16string t = u"text " + std::u16string(1, char16_t(u'a' + i % 26)) + std::u16string(1, char16_t(0x4E00 + i));
    EXPECT_EQ(r.stringBytes(uint32_t(e.value)), encodeContentText(t)) << i;
  }
  // items (type 1) come before fields (type 2) under the root.
  EXPECT_EQ(r.typeName(uint32_t(r.entry(1).type)), "item");
  EXPECT_EQ(r.typeName(uint32_t(r.entry(n).type)), "field");
  EXPECT_EQ(r.entry(1).run, (n + 2) / 3 - 1);
  EXPECT_EQ(r.entry(n).run, 0u);
}

TEST(WriterLayout, LongStringsStraddleTextRecords) {
  ContentWriter w;
  std::u16string big1(70000, u'x'), big2(130001, u'y');
  auto a = w.add(0, u"html");
  auto b = w.add(0, u"html");
  auto c = w.add(0, u"html");
  w.setText(a, big1);
  w.setText(b, big2);
  w.setText(c, u"");
  const std::string dir = freshDir("long");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/L", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/L"));
  expectContiguousRecords(r.strings, "strings");
  uint32_t sa = uint32_t(r.entry(w.indexOf(a)).value), sb = uint32_t(r.entry(w.indexOf(b)).value),
           sc = uint32_t(r.entry(w.indexOf(c)).value);
  EXPECT_EQ(r.stringBytes(sa), std::string(70000, 'x'));
  EXPECT_EQ(r.stringBytes(sb), std::string(130001, 'y'));
  EXPECT_EQ(r.stringBytes(sc), "");
  // The codes are (record << 16) | offset: string b starts 70000 bytes
  // after string a.
  uint64_t codeA = r.stringCodes.field(r.strings, sa, 0, r.stringCodes.width);
  uint64_t codeB = r.stringCodes.field(r.strings, sb, 0, r.stringCodes.width);
  EXPECT_EQ(RawContent::position(codeB) - RawContent::position(codeA), 70000u);
  EXPECT_LT(codeB & 0xFFFF, 65000u);
  EXPECT_EQ(r.maxStringCode, r.stringCodes.field(r.strings, r.stringCount - 1, 0, r.stringCodes.width));
  // Text records of 65000 bytes, the last one shorter.
  const uint64_t text = r.strings.size() - r.textStart;
  EXPECT_EQ(r.stringRecords, 1 + (r.stringCodes.bytes ? 1 : 0) + (text + 64999) / 65000);
}

TEST(WriterLayout, TextEncodingIsTheReadersUtf8Subset) {
  EXPECT_EQ(encodeContentText(u"caf\u00e9"), "caf\xC3\xA9");
  EXPECT_EQ(encodeContentText(u"\u20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(encodeContentText(u"\u00A9"), "\xC2\xA9");
  // Above U+FFFF: each surrogate as its own 3-byte sequence.
  EXPECT_EQ(encodeContentText(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(encodeContentText(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(WriterLayout, BlobsAndTheBlobTable) {
  ContentWriter w;
  auto i1 = w.add(0, u"image");
  auto i2 = w.add(0, u"image");
  auto i3 = w.add(0, u"image");
  std::vector<uint8_t> big(65000 * 2 + 17);
  for (size_t k = 0; k < big.size(); ++k) big[k] = uint8_t(k * 7);
  w.setBlob(i1, {1, 2, 3});
  w.setBlob(i2, big);
  w.setBlob(i3, {});
  const std::string dir = freshDir("blobs");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/B", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/B"));
  expectContiguousRecords(r.binary, "binary");
  ASSERT_EQ(r.blobCount, 3u);
  EXPECT_EQ(r.kindName(uint32_t(r.entry(1).kind)), "blob");
  EXPECT_EQ(r.blobBytes(uint32_t(r.entry(1).value)), std::string("\1\2\3"));
  EXPECT_EQ(r.blobBytes(uint32_t(r.entry(2).value)), std::string(big.begin(), big.end()));
  EXPECT_EQ(r.blobBytes(uint32_t(r.entry(3).value)), "");
  EXPECT_EQ(r.binaryRecords, 1u + 1 + 3);
}

TEST(WriterLayout, DeclaredTypesAndKindsFixTheTables) {
  ContentWriter w;
  w.declareTypes({u"root", u"field", u"table", u"field"});
  w.declareKinds({u"number", u"string"});
  auto t = w.add(0, u"table");
  auto f = w.add(0, u"field");
  auto x = w.add(0, u"extra");
  w.setText(t, u"T");
  w.setNumber(f, 5, u"count");
  w.setKind(x, u"string");
  const std::string dir = freshDir("declared");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/D", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/D"));
  ASSERT_EQ(r.typeCount, 5u);
  EXPECT_EQ(r.typeName(1), "field");
  EXPECT_EQ(r.typeName(3), "field");
  EXPECT_EQ(r.typeName(4), "extra");
  // The later "field" wins, so the field sorts after the table.
  EXPECT_EQ(w.indexOf(t), 1u);
  EXPECT_EQ(w.indexOf(f), 2u);
  EXPECT_EQ(w.indexOf(x), 3u);
  EXPECT_EQ(r.entry(2).type, 3u);
  ASSERT_EQ(r.kindCount, 4u);
  EXPECT_EQ(r.kindName(0), "number");
  EXPECT_EQ(r.kindName(1), "string");
  EXPECT_EQ(r.kindName(2), "none");
  EXPECT_EQ(r.kindName(3), "count");
  EXPECT_EQ(r.kindName(uint32_t(r.entry(3).kind)), "string");
  EXPECT_EQ(r.entry(3).value, 0u);
}

TEST(WriterLayout, FailureLeavesNoFilesAndKeepsOldOnes) {
  const std::string dir = freshDir("fail");
  {
    ContentWriter ok;
    std::string error;
    ASSERT_TRUE(ok.write(dir + "/F", &error)) << error;
  }
  const auto before = slurp(dir + "/F-Data.pdb");
  ContentWriter w;
  auto a = w.add(0, u"x");
  auto b = w.add(0, u"x");
  w.setId(a, 9);
  w.setId(b, 9);
  std::string error;
  EXPECT_FALSE(w.write(dir + "/F", &error));
  EXPECT_NE(error.find("duplicate persistent id 9"), std::string::npos) << error;
  EXPECT_EQ(slurp(dir + "/F-Data.pdb"), before);
  size_t files = 0;
  for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 3u) << "no temporary files left";

  ContentWriter bad;
  bad.add(7, u"x");
  EXPECT_FALSE(bad.write(dir + "/G", &error));
  EXPECT_FALSE(fs::exists(dir + "/G-Data.pdb"));

  ContentWriter fine;
  EXPECT_FALSE(fine.write(dir + "/missing-folder/H", &error));
  EXPECT_FALSE(error.empty());

  // A folder in the way of one target: refused before anything is replaced.
  fs::remove(dir + "/F-Binary-PPC.pdb");
  fs::create_directories(dir + "/F-Binary-PPC.pdb");
  EXPECT_FALSE(fine.write(dir + "/F", &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_EQ(slurp(dir + "/F-Data.pdb"), before);
}

TEST(WriterLayout, IdsNearTheTopAndRunOut) {
  ContentWriter w;
  auto a = w.add(0, u"x");
  w.setId(a, 0xFFFFFFFFu);
  std::string error;
  EXPECT_FALSE(w.write(freshDir("ids") + "/I", &error));  // the root has no id left
  w.setId(0, 0);
  const std::string dir = freshDir("ids2");
  ASSERT_TRUE(w.write(dir + "/I", &error)) << error;
  RawContent r;
  ASSERT_TRUE(r.load(dir + "/I"));
  EXPECT_EQ(r.maxId, 0xFFFFFFFFu);
  EXPECT_EQ(r.idBits, 32u);
  EXPECT_EQ(r.entry(1).id, 0xFFFFFFFFu);
  EXPECT_EQ(r.entry(0).id, 0u);
}

TEST(WriterLayout, SameSourceGivesSameBytes) {
  auto build = [](const std::string& dir) {
    ContentWriter w;
    w.setEdition(1, 2, 20070101);
    auto t = w.add(0, u"table");
    w.setText(t, u"Index");
    w.setName(t, u"INDEX");
    std::string error;
    EXPECT_TRUE(w.write(dir + "/S", &error)) << error;
  };
  const std::string d1 = freshDir("same1"), d2 = freshDir("same2");
  build(d1);
  build(d2);
  for (const char* s : {"-Data.pdb", "-Strings.pdb", "-Binary-PPC.pdb"})
    EXPECT_EQ(slurp(d1 + "/S" + s), slurp(d2 + "/S" + s)) << s;
}

}  // namespace
}  // namespace vantrel
