// The searches and cursor moves checked against answers worked out by brute
// force from the whole object table, on random trees large enough to span
// several chunks.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <random>
#include <string>
#include <vector>

#include "RawContent.h"
#include "core/content/ContentCursor.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentQueries.h"
#include "core/content/ContentWriter.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const std::vector<std::u16string> kTypes = {u"root", u"table", u"table type", u"field", u"footnote", u"item"};

struct Model {
  std::vector<ObjectEntry> entries;
  std::map<ObjectIndex, std::vector<ObjectIndex>> children;  // in table order
  std::map<uint32_t, ObjectIndex> byId;

  explicit Model(const ContentDatabase& db) {
    for (ObjectIndex i = 0; i < db.objectCount(); ++i) {
      ObjectEntry e;
      EXPECT_TRUE(db.readEntry(i, e));
      entries.push_back(e);
      if (i != 0) children[e.parent].push_back(i);
      byId[e.id] = i;
    }
  }
  std::vector<ObjectIndex> group(ObjectIndex parent, uint16_t type) const {
    std::vector<ObjectIndex> out;
    auto it = children.find(parent);
    if (it == children.end()) return out;
    for (ObjectIndex c : it->second) {
      if (entries[c].type == type) out.push_back(c);
    }
    return out;
  }
};

class RandomTree : public ::testing::TestWithParam<uint32_t> {
 protected:
  void SetUp() override {
    std::mt19937 random(GetParam());
    ContentWriter writer(u"root");
    writer.declareTypes(kTypes);
    std::vector<ContentWriter::Handle> handles{0};
    const uint32_t count = 8000 + random() % 4000;
    std::vector<uint32_t> ids;
    for (uint32_t i = 1; i < count; ++i) {
      // Mostly recent parents, so the tree is deep as well as wide.
      const size_t n = handles.size();
      const ContentWriter::Handle parent =
          random() % 4 ? handles[n - 1 - random() % std::min<size_t>(n, 40)] : handles[random() % n];
      const auto h = writer.add(parent, kTypes[1 + random() % (kTypes.size() - 1)]);
      if (random() % 3) writer.setText(h, u"t" + std::u16string(1, char16_t(u'a' + i % 26)));
      if (random() % 2) writer.setId(h, 100000 + i * 3);
      handles.push_back(h);
    }
    ASSERT_TRUE(writer.write(dir.base(), nullptr));
    ASSERT_TRUE(db.open(dir.base()));
    ASSERT_EQ(db.objectCount(), count);
  }
  TempDir dir;
  ContentDatabase db;
};

}  // namespace

TEST_P(RandomTree, SearchesAgreeWithTheWholeTable) {
  const Model m(db);
  ASSERT_GT(db.objectCount(), db.layout().entriesPerChunk);  // several chunks
  for (ObjectIndex parent = 0; parent < db.objectCount(); ++parent) {
    auto it = m.children.find(parent);
    const ObjectIndex first = it == m.children.end() ? 0 : it->second.front();
    ASSERT_EQ(db.findFirstChild(parent), first) << parent;
    if ((first == 0 && parent % 29 != 0) || (first != 0 && parent % 3 != 0)) continue;
    for (uint16_t type = 0; type < kTypes.size(); ++type) {
      const auto group = m.group(parent, type);
      ASSERT_EQ(db.findGroup(parent, type), group.empty() ? 0 : group.front()) << parent << " " << type;
      std::vector<ObjectEntry> out;
      db.collectGroup(parent, kTypes[type], 0, out);
      std::vector<ObjectIndex> got;
      for (const auto& e : out) got.push_back(e.index);
      ASSERT_EQ(got, group);
      for (size_t k = 0; k < out.size(); ++k) {
        ASSERT_EQ(out[k].id, m.entries[group[k]].id);
        ASSERT_EQ(out[k].value, m.entries[group[k]].value);
      }
    }
  }
  size_t k = 0;
  for (const auto& [id, index] : m.byId) {
    if (k++ % 7 == 0 || index == m.byId.rbegin()->second) {
      ASSERT_EQ(db.findById(id), index) << id;
    }
  }
  EXPECT_EQ(db.findById(99999), 0u);
  EXPECT_EQ(db.findById(m.byId.rbegin()->first + 1), 0u);
}

TEST_P(RandomTree, FencedSearchesAgreeWithThePlainOnes) {
  ASSERT_TRUE(db.hasSearchFences());
  ContentDatabase plain;
  ASSERT_TRUE(plain.open(dir.base()));
  plain.dropSearchFences();
  ASSERT_FALSE(plain.hasSearchFences());
  EXPECT_GT(db.tableBytes(), plain.tableBytes());
  const Model m(db);
  // Every id, its neighbours (mostly absent) and the ends of the range.
  for (const auto& [id, index] : m.byId) {
    ASSERT_EQ(db.findById(id), index) << id;
    ASSERT_EQ(db.findById(id - 1), plain.findById(id - 1)) << id - 1;
    ASSERT_EQ(db.findById(id + 1), plain.findById(id + 1)) << id + 1;
  }
  for (uint32_t id : {0u, 1u, 0xFFFFFFFFu}) ASSERT_EQ(db.findById(id), plain.findById(id)) << id;
  // Every parent with every type, and types past the table.
  for (ObjectIndex parent = 0; parent < db.objectCount(); ++parent) {
    for (uint16_t type = 0; type <= kTypes.size(); ++type) {
      const auto group = m.group(parent, type);
      ASSERT_EQ(db.findGroup(parent, type), group.empty() ? 0 : group.front()) << parent << " " << type;
    }
  }
  EXPECT_EQ(db.findGroup(db.objectCount(), 1), 0u);
}

TEST(SmallGuide, SearchesWithoutFences) {
  // Too small for fences: the plain searches answer.
  TempDir dir;
  ContentWriter writer(u"root");
  writer.declareTypes(kTypes);
  const auto a = writer.add(0, u"table");
  writer.setId(a, 42);
  writer.add(a, u"field");
  ASSERT_TRUE(writer.write(dir.base(), nullptr));
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir.base()));
  EXPECT_FALSE(db.hasSearchFences());
  EXPECT_EQ(db.findById(42), 1u);
  EXPECT_EQ(db.findGroup(1, db.typeNumber(u"field")), 2u);
}

TEST_P(RandomTree, CursorMovesAgreeWithTheWholeTable) {
  const Model m(db);
  std::mt19937 random(GetParam() + 1);
  for (int round = 0; round < 1000; ++round) {
    const ObjectIndex start = 1 + random() % (db.objectCount() - 1);
    const uint16_t type = static_cast<uint16_t>(random() % kTypes.size());
    const ObjectEntry& e = m.entries[start];
    const auto& siblings = m.children.at(e.parent);

    ObjectIndex next = 0, previous = 0, ancestor = 0;
    for (ObjectIndex s : siblings) {
      if (s > start && m.entries[s].type == type && next == 0) next = s;
      if (s < start && m.entries[s].type == type) previous = s;
    }
    for (ObjectIndex a = start; a != 0;) {
      a = m.entries[a].parent;
      if (m.entries[a].type == type) {
        ancestor = a;
        break;
      }
    }

    ContentCursor c(db, start);
    EXPECT_EQ(c.toNextOfType(type), next != 0);
    EXPECT_EQ(c.index(), next ? next : start);
    c.open(db, start);
    EXPECT_EQ(c.toPreviousOfType(type), previous != 0);
    EXPECT_EQ(c.index(), previous ? previous : start);
    c.open(db, start);
    const bool hasAncestor = ancestor != 0 || (type == 0 && start != 0);  // the root is of type 0
    EXPECT_EQ(c.toAncestorOfType(type), hasAncestor);
    EXPECT_EQ(c.index(), hasAncestor ? ancestor : start);

    const auto group = m.group(start, type);
    const uint32_t k = random() % 4;
    c.open(db, start);
    EXPECT_EQ(c.toNthChildOfType(k, type), k < group.size());
    EXPECT_EQ(c.index(), k < group.size() ? group[k] : start);
    EXPECT_EQ(hasChildOfType(db, start, kTypes[type]), !group.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTree, ::testing::Values(1u, 2u, 3u));

namespace {

// A guide of `count` objects under a random tree with `typeCount` types and
// ids for every object drawn from a few clusters (dense runs, wide gaps, the
// top of the 32-bit range), written and opened.
struct UnevenGuide {
  TempDir dir;
  ContentDatabase db;
  std::vector<std::u16string> types;

  UnevenGuide(uint32_t count, uint32_t typeCount, uint32_t seed) {
    std::mt19937 random(seed);
    types.push_back(u"root");
    for (uint32_t t = 1; t < typeCount; ++t) types.push_back(u"type" + std::u16string(1, char16_t(u'A' + t % 26)) +
                                                             std::u16string(1, char16_t(u'a' + t / 26)));
    ContentWriter writer(u"root");
    writer.declareTypes(types);
    std::vector<ContentWriter::Handle> handles{0};
    std::set<uint32_t> used;
    auto freshId = [&] {
      for (;;) {
        uint32_t id = 0;
        switch (random() % 4) {
          case 0: id = random() % 5000; break;                       // dense near 0
          case 1: id = 0xFFFFFFFFu - random() % 3000; break;         // the top of the range
          case 2: id = 1000000 + (random() % 50) * 7919; break;      // a sparse stretch
          default: id = static_cast<uint32_t>(random()); break;      // anywhere
        }
        if (used.insert(id).second) return id;
      }
    };
    writer.setId(0, freshId());
    for (uint32_t i = 1; i < count; ++i) {
      const size_t n = handles.size();
      const ContentWriter::Handle parent =
          random() % 3 ? handles[n - 1 - random() % std::min<size_t>(n, 8)] : handles[random() % n];
      const auto h = writer.add(parent, types[1 + random() % (typeCount - 1)]);
      writer.setId(h, freshId());
      handles.push_back(h);
    }
    EXPECT_TRUE(writer.write(dir.base(), nullptr));
    EXPECT_TRUE(db.open(dir.base()));
  }
};

// Every id with its neighbours, every parent with every type (and one past
// the table), on the fenced database against the brute-force model.
void expectSearchesMatchTheModel(const ContentDatabase& db, size_t typeCount) {
  const Model m(db);
  for (const auto& [id, index] : m.byId) {
    ASSERT_EQ(db.findById(id), index) << id;
    if (id > 0 && !m.byId.count(id - 1)) {
      ASSERT_EQ(db.findById(id - 1), 0u) << id - 1;
    }
    if (id < 0xFFFFFFFFu && !m.byId.count(id + 1)) {
      ASSERT_EQ(db.findById(id + 1), 0u) << id + 1;
    }
  }
  for (ObjectIndex parent = 0; parent < db.objectCount(); ++parent) {
    for (uint16_t type = 0; type <= typeCount; ++type) {
      const auto group = m.group(parent, type);
      ASSERT_EQ(db.findGroup(parent, type), group.empty() ? 0 : group.front()) << parent << " " << type;
    }
  }
}

}  // namespace

TEST(UnevenGuides, FencedSearchesAgreeWithTheWholeTable) {
  // Ids in clusters up to 0xFFFFFFFF and many types (wide id and type fields);
  // sizes around the smallest fenced table and around whole blocks of fence
  // keys, so that the first and last samples and blocks are all searched.
  for (const uint32_t count : {63u, 64u, 65u, 97u, 2047u, 2049u, 2081u, 4200u, 9000u}) {
    for (const uint32_t typeCount : {3u, 70u}) {
      SCOPED_TRACE(testing::Message() << count << " objects, " << typeCount << " types");
      UnevenGuide g(count, typeCount, count * 31 + typeCount);
      ASSERT_EQ(g.db.objectCount(), count);
      EXPECT_EQ(g.db.hasSearchFences(), count >= 64);  // two samples at the least
      expectSearchesMatchTheModel(g.db, typeCount);
      // Without fences the same answers.
      g.db.dropSearchFences();
      expectSearchesMatchTheModel(g.db, typeCount);
    }
  }
}
