// Content written by ContentWriter and read back by ContentDatabase: every
// entry, string, blob and name, and the searches on the written tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "RawFiles.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/content/ContentWriterSynthetic.h"
#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

using packtest::freshDir;
using Handle = ContentWriter::Handle;

// What the test put into the writer, by handle.
struct Expected {
  std::vector<Handle> parent;
  std::vector<std::u16string> type;
  std::vector<std::u16string> text;  // empty with hasText false: no text
  std::vector<bool> hasText;
  std::vector<uint32_t> id;
  std::map<std::u16string, Handle> names;
};

// A random tree of n objects with texts of every length and script, given
// ids in shuffled order so that id order and table order differ.
void buildRandom(ContentWriter& w, Expected& x, uint32_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  const std::u16string types[] = {u"table", u"hierarchy item", u"field", u"link", u"item", u"footnote"};
  std::vector<uint32_t> ids(n);
  for (uint32_t i = 0; i < n; ++i) ids[i] = 10 + i * 3;
  std::shuffle(ids.begin(), ids.end(), rng);
  x.parent.push_back(0);
  x.type.push_back(u"root");
  x.text.push_back(u"");
  x.hasText.push_back(false);
  x.id.push_back(ids[0]);
  w.setId(0, ids[0]);
  for (uint32_t h = 1; h < n; ++h) {
    // Mostly recent parents (deep, bushy trees), sometimes any.
    Handle p = rng() % 4 ? Handle(h - 1 - rng() % std::min<uint32_t>(h, 30)) : Handle(rng() % h);
    std::u16string t = types[rng() % 6];
    Handle got = w.add(p, t);
    EXPECT_EQ(got, h);
    x.parent.push_back(p);
    x.type.push_back(t);
    x.id.push_back(ids[h]);
    w.setId(h, ids[h]);
    std::u16string text;
    bool has = rng() % 10 != 0;
    if (has) {
      const uint32_t len = rng() % 500 == 0 ? 70000 + rng() % 10000 : rng() % 40;
      for (uint32_t k = 0; k < len; ++k) {
        switch (rng() % 8) {
          case 0: text += char16_t(0x80 + rng() % 0x780); break;      // 2-byte
          case 1: text += char16_t(0x800 + rng() % 0xD000); break;    // 3-byte, no surrogates
          case 2: text += u"\U0001F489"; break;                        // surrogate pair
          default: text += char16_t(u'a' + rng() % 26);
        }
      }
      if (rng() % 3 == 0) text = u"shared text " + std::u16string(1, char16_t(u'0' + rng() % 5));
      w.setText(h, text);
    }
    x.text.push_back(text);
    x.hasText.push_back(has);
    if (rng() % 50 == 0) {
      std::u16string name = u"NAME_" + std::u16string(1, char16_t(u'A' + h % 26)) + std::u16string(1, char16_t(0x100 + h));
      w.setName(h, name);
      x.names[name] = h;
    }
  }
}

TEST(WriterRoundTrip, RandomTreeReadsBackExactly) {
  ContentWriter w;
  w.setEdition(3, 4, 567);
  Expected x;
  const uint32_t n = 20000;
  buildRandom(w, x, n, 42);
  const std::string dir = freshDir("rt-random");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/Q", &error)) << error;

  ContentDatabase db;
  ASSERT_TRUE(db.open(dir + "/Q"));
  ASSERT_EQ(db.objectCount(), n);
  ASSERT_GT(n, db.layout().entriesPerChunk) << "the object table spans several chunks";

  std::vector<ObjectIndex> index(n);
  for (Handle h = 0; h < n; ++h) index[h] = w.indexOf(h);
  std::vector<Handle> handleAt(n);
  for (Handle h = 0; h < n; ++h) handleAt[index[h]] = h;

  std::vector<ObjectEntry> entries(n);
  for (ObjectIndex i = 0; i < n; ++i) {
    ASSERT_TRUE(db.readEntry(i, entries[i])) << i;
    const ObjectEntry& e = entries[i];
    const Handle h = handleAt[i];
    EXPECT_EQ(e.index, i);
    EXPECT_EQ(e.id, x.id[h]) << i;
    if (i > 0) {
      EXPECT_EQ(e.parent, index[x.parent[h]]) << i;
      EXPECT_LT(e.parent, i) << "parents come first";
    }
    EXPECT_EQ(db.typeName(e.type), x.type[h]) << i;
    EXPECT_EQ(db.typeNumber(x.type[h]), e.type);
    if (x.hasText[h]) {
      ASSERT_EQ(db.kindName(e.valueKind), u"string") << i;
      EXPECT_EQ(db.readString(e.value), x.text[h]) << i;
    } else {
      EXPECT_EQ(db.kindName(e.valueKind), u"none") << i;
      EXPECT_EQ(e.value, 0u);
    }
  }
  // Table order: (parent, type) ascending after the root; runs; ids.
  for (ObjectIndex i = 1; i + 1 < n; ++i) {
    const ObjectEntry &a = entries[i], &b = entries[i + 1];
    ASSERT_TRUE(a.parent < b.parent || (a.parent == b.parent && a.type <= b.type)) << i;
    const bool same = a.parent == b.parent && a.type == b.type;
    EXPECT_EQ(a.run, same ? b.run + 1 : 0u) << i;
  }
  for (ObjectIndex p = 1; p < n; ++p)
    EXPECT_LT(entries[entries[p - 1].byIdOrder].id, entries[entries[p].byIdOrder].id) << p;

  // Searches.
  for (ObjectIndex i = 0; i < n; i += 7) EXPECT_EQ(db.findById(entries[i].id), i) << i;
  EXPECT_EQ(db.findById(11), 0u) << "absent id";
  for (ObjectIndex i = 1; i < n; ++i) {
    const bool first = entries[i - 1].parent != entries[i].parent || entries[i - 1].type != entries[i].type || i == 1;
    if (!first) continue;
    EXPECT_EQ(db.findGroup(entries[i].parent, entries[i].type), i) << i;
    std::vector<ObjectEntry> group;
    db.collectGroup(entries[i].parent, db.typeName(entries[i].type), 0, group);
    ASSERT_EQ(group.size(), entries[i].run + 1) << i;
    for (size_t k = 0; k < group.size(); ++k) EXPECT_EQ(group[k].index, i + k);
  }
  // Names.
  ASSERT_EQ(db.names().size(), x.names.size());
  for (auto& [name, h] : x.names) EXPECT_EQ(db.objectByName(name), index[h]);
  EXPECT_EQ(db.layout().dataStamp[0], 3u);
}

TEST(WriterRoundTrip, RootOnlyAndZeroWidthTables) {
  ContentWriter w(u"none");  // a single string: every string number is 0 bits wide
  const std::string dir = freshDir("rt-root");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/Q", &error)) << error;
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir + "/Q"));
  EXPECT_EQ(db.objectCount(), 1u);
  ObjectEntry e;
  ASSERT_TRUE(db.readEntry(0, e));
  EXPECT_EQ(e.id, 1u);
  EXPECT_EQ(db.typeName(e.type), u"none");
  EXPECT_EQ(db.kindName(e.valueKind), u"none");
  EXPECT_EQ(db.findById(1), 0u);
  EXPECT_EQ(db.findGroup(0, 0), 0u);
  EXPECT_EQ(db.blobCount(), 0u);
}

TEST(WriterRoundTrip, BlobsNamesAndLinks) {
  ContentWriter w;
  auto img = w.add(0, u"image");
  auto data = w.add(img, u"data");
  auto other = w.add(0, u"data");
  auto link = w.add(0, u"link");
  std::vector<uint8_t> big(150000);
  for (size_t k = 0; k < big.size(); ++k) big[k] = uint8_t(k % 251);
  w.setBlob(data, big);
  w.setBlob(other, {9, 8, 7});
  w.setLink(link, data);
  w.setName(img, u"Picture");
  w.setName(link, u"Picture");  // repeated name: the later entry wins
  w.setText(img, u"");
  const std::string dir = freshDir("rt-blobs");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/Q", &error)) << error;
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir + "/Q"));
  ASSERT_EQ(db.blobCount(), 2u);
  ObjectEntry e;
  ASSERT_TRUE(db.readEntry(w.indexOf(data), e));
  EXPECT_EQ(db.kindName(e.valueKind), u"blob");
  ASSERT_EQ(db.blobLength(e.value), big.size());
  std::vector<uint8_t> back(big.size());
  ASSERT_TRUE(db.readBlob(e.value, 0, back.data(), uint32_t(back.size())));
  EXPECT_EQ(back, big);
  ASSERT_TRUE(db.readEntry(w.indexOf(other), e));
  EXPECT_EQ(db.blobLength(e.value), 3u);
  ASSERT_TRUE(db.readEntry(w.indexOf(link), e));
  EXPECT_EQ(db.kindName(e.valueKind), u"object");
  EXPECT_EQ(e.value, w.indexOf(data));
  EXPECT_EQ(db.objectByName(u"Picture"), w.indexOf(link));
  EXPECT_EQ(db.names().size(), 2u);
  ASSERT_TRUE(db.readEntry(w.indexOf(img), e));
  EXPECT_EQ(db.kindName(e.valueKind), u"string");
  EXPECT_EQ(db.stringLength(e.value), 0u);
  EXPECT_EQ(db.readString(e.value), u"");
}

TEST(WriterRoundTrip, DuplicateTypeNamesUseTheLaterNumber) {
  ContentWriter w;
  w.declareTypes({u"root", u"field", u"table", u"field"});
  auto t = w.add(0, u"table");
  auto f1 = w.add(t, u"field");
  auto f2 = w.add(t, u"field");
  const std::string dir = freshDir("rt-duptypes");
  std::string error;
  ASSERT_TRUE(w.write(dir + "/Q", &error)) << error;
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir + "/Q"));
  ASSERT_EQ(db.typeNames().size(), 4u);
  EXPECT_EQ(db.typeNumber(u"field"), 3u);
  std::vector<ObjectEntry> out;
  db.collectGroup(w.indexOf(t), u"field", 0, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].index, w.indexOf(f1));
  EXPECT_EQ(out[1].index, w.indexOf(f2));
}

TEST(WriterRoundTrip, SyntheticGuideIsConsistent) {
  auto w = makeSyntheticGuide(30000, 7);
  ASSERT_EQ(w->objectCount(), 30000u);
  const std::string dir = freshDir("rt-synthetic");
  std::string error;
  ASSERT_TRUE(w->write(dir + "/Q", &error)) << error;
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir + "/Q"));
  ASSERT_EQ(db.objectCount(), 30000u);
  const ObjectIndex index = db.objectByName(u"INDEX");
  ASSERT_NE(index, 0u);
  std::vector<ObjectEntry> items;
  db.collectGroup(index, u"item", 0, items);
  EXPECT_GT(items.size(), 2000u);
  ObjectEntry e;
  ASSERT_TRUE(db.readEntry(index, e));
  EXPECT_EQ(db.readString(e.value), u"Index");
  // Every link points inside the table; every text decodes; the strings
  // span several text records.
  const uint16_t link = db.typeNumber(u"link"), object = db.kindNumber(u"object");
  uint64_t textBytes = 0;
  for (ObjectIndex i = 0; i < db.objectCount(); ++i) {
    ASSERT_TRUE(db.readEntry(i, e));
    if (e.type == link && e.valueKind == object) {
      EXPECT_LT(e.value, db.objectCount());
    }
  }
  for (uint32_t s = 0; s < db.stringCount(); ++s) textBytes += db.stringLength(s);
  EXPECT_GT(textBytes, 3u * 65000);
  EXPECT_GT(db.blobCount(), 0u);
  for (const char16_t* t : {u"tight crt", u"html", u"dual list", u"tight hierarchy"}) {
    bool found = false;
    const uint16_t tt = db.typeNumber(u"table type");
    for (ObjectIndex i = 1; i < db.objectCount() && !found; ++i) {
      ASSERT_TRUE(db.readEntry(i, e));
      found = e.type == tt && db.readString(e.value) == t;
    }
    EXPECT_TRUE(found) << "no table of type " << toUtf8(t);
  }
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// Synthetic guides of every small size have exactly the objects asked for
// and open as valid databases whose tables keep their order.
TEST(WriterRoundTrip, SyntheticGuidesOfSmallSizes) {
  for (uint32_t n = 1; n < 400; ++n) ASSERT_EQ(makeSyntheticGuide(n, 3)->objectCount(), n);
  for (uint32_t n : {1u, 2u, 3u, 5u, 17u, 100u, 1000u}) {
    SCOPED_TRACE(n);
    auto w = makeSyntheticGuide(n, n);
    ASSERT_EQ(w->objectCount(), n);
    const std::string dir = packtest::freshDir("rt-small-" + std::to_string(n));
    std::string error;
    ASSERT_TRUE(w->write(dir + "/Q", &error)) << error;
    ContentDatabase db;
    ASSERT_TRUE(db.open(dir + "/Q"));
    ASSERT_EQ(db.objectCount(), n);
    ObjectEntry prev, e;
    for (ObjectIndex i = 0; i < n; ++i) {
      ASSERT_TRUE(db.readEntry(i, e));
      if (i > 1) {
        EXPECT_TRUE(prev.parent < e.parent || (prev.parent == e.parent && prev.type <= e.type));
      }
      EXPECT_EQ(db.findById(e.id), i);
      prev = e;
    }
  }
}

}  // namespace
}  // namespace vantrel
