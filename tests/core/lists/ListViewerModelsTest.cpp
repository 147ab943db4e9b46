// The index, key and dual list decisions on small written guides, and the
// incremental search against an independent model.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../html/GuideFixture.h"
#include "core/lists/ListViewerModels.h"
#include "core/lists/PagedListModel.h"
#include "core/platform/ScreenInfo.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {
namespace {

using test::addLink;
using test::addText;
using test::GuideFile;
using H = ContentWriter::Handle;

std::u16string lower(std::u16string s) {
  for (auto& c : s) c = foldCase(c);
  return s;
}

// The search as a user understands it: the first entry whose plain text
// starts with the typed text, else the entry at or just before its place.
TEST(IndexSearch, AgreesWithAPlainScanOnRandomSortedLists) {
  std::mt19937 rng(7);
  const std::u16string letters = u"abAB<>i/ ";
  auto word = [&](int maxLen) {
    std::u16string w;
    const int n = 1 + static_cast<int>(rng() % maxLen);
    for (int i = 0; i < n; ++i) w += letters[rng() % 4];
    return w;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::u16string> plain;
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) plain.push_back(word(4));
    std::sort(plain.begin(), plain.end(), [](const auto& a, const auto& b) { return lower(a) < lower(b); });
    VectorItemSource src;
    for (size_t i = 0; i < plain.size(); ++i)
      src.add(rng() % 3 == 0 ? u"<b>" + plain[i] + u"</b>" : plain[i], static_cast<uint32_t>(i));
    for (int q = 0; q < 10; ++q) {
      const std::u16string text = word(3);
      const int64_t got = searchRows(src, text, true);
      if (plain.empty()) {
        EXPECT_EQ(got, -1);
        continue;
      }
      int64_t firstMatch = -1;
      for (size_t i = 0; i < plain.size() && firstMatch < 0; ++i)
        if (lower(plain[i]).starts_with(lower(text))) firstMatch = static_cast<int64_t>(i);
      if (firstMatch >= 0) {
        EXPECT_EQ(got, firstMatch) << "round " << round;
      } else {
        // The insertion place p: entries before it are smaller than the text.
        int64_t p = 0;
        while (p < static_cast<int64_t>(plain.size()) && comparePrefixNoCase(plain[p], text) < 0) ++p;
        EXPECT_TRUE(got == p || got == p - 1 || (p == static_cast<int64_t>(plain.size()) && got == p - 1))
            << "round " << round << " got " << got << " place " << p;
        EXPECT_GE(got, 0);
        EXPECT_LT(got, static_cast<int64_t>(plain.size()));
      }
    }
  }
  VectorItemSource any({{u"x", 1}});
  EXPECT_EQ(searchRows(any, u"", true), -1);
}

// A guide with an index, an abbreviations key and a dual list:
//   INDEX: <b>alpha</b>, Beta, beta blockers, Gamma, <i>Kappa</i>, Kelvin
//   Abbreviations: <b>§</b> (field "Section"), AUC (field "Area"), bd (no field)
//   dual: Generic [g0 g1 g2 g3(no link)], Trade [t0 t1 t2 t3 t4 t5(links into Trade)]
struct ListsGuide {
  ListsGuide() {
    ContentWriter w(u"guide");
    const H index = addText(w, 0, u"table", u"Index");
    w.setName(index, u"INDEX");
    for (const char16_t* t : {u"<b>alpha</b>", u"Beta", u"beta blockers", u"Gamma", u"<i>Kappa</i>", u"Kelvin"})
      entries.push_back(addText(w, index, u"hierarchy item", t));
    const H key = addText(w, 0, u"table", u"Abbreviations");
    w.setName(key, u"Abbreviations");
    addText(w, addText(w, key, u"hierarchy item", u"<b>\u00a7</b>"), u"field", u"Section");
    addText(w, addText(w, key, u"hierarchy item", u"AUC"), u"field", u"Area");
    addText(w, key, u"hierarchy item", u"bd");
    dual = addText(w, 0, u"table", u"Names");
    addText(w, dual, u"table type", u"dual list");
    const H gen = addText(w, dual, u"list", u"Generic");
    const H trade = addText(w, dual, u"list", u"Trade");
    std::vector<H> g, t;
    for (int i = 0; i < 4; ++i) g.push_back(addText(w, gen, u"item", u"g" + std::u16string(1, u'0' + i)));
    for (int i = 0; i < 6; ++i) t.push_back(addText(w, trade, u"item", u"t" + std::u16string(1, u'0' + i)));
    addLink(w, g[0], t[4]);
    addLink(w, g[1], t[0]);
    addLink(w, g[2], t[2]);
    addLink(w, t[4], g[0]);
    addLink(w, t[0], g[1]);
    addLink(w, t[5], t[1]);  // a link into its own list
    EXPECT_TRUE(file.open(w));
    for (H& e : entries) e = w.indexOf(e);
    dualItem = w.indexOf(g[1]);
    dual = w.indexOf(dual);
    keys.build(file.db.objectCount(), [this](std::u16string_view n) { return file.db.objectByName(n); });
  }
  GuideFile file;
  std::vector<H> entries;
  H dual = 0, dualItem = 0;
  PageKeys keys;
};

TEST(IndexViewerModel, LettersSearchesAndTheRowKeptInTheHistory) {
  ListsGuide g;
  PageHistory history;
  IndexViewerModel m(&g.file.db, g.keys, &history);
  EXPECT_EQ(m.source().itemCount(), 6u);
  EXPECT_EQ(m.title(), u"Index");
  EXPECT_EQ(m.search(u"a"), 0) << "a bold entry is found by its plain text";
  EXPECT_EQ(m.search(u"BETA"), 1);
  EXPECT_EQ(m.search(u"k"), 4);
  EXPECT_EQ(m.search(u"zzz"), 5) << "a text beyond every entry stops at the last";
  EXPECT_EQ(m.search(u""), -1);

  // "index_search" with a letter from the home page.
  const uint8_t letterK[2] = {'K', 0};
  EXPECT_TRUE(m.show(g.keys["index_search"], letterK, 2, 0));
  EXPECT_EQ(m.afterLayout().letter, u'K');
  EXPECT_FALSE(m.show(g.entries[0], nullptr, 0, 0)) << "an entry is not the index";

  // Shown, left by a tap on a row: the next page change writes the row back.
  EXPECT_TRUE(m.show(g.keys["index"], nullptr, 0, 0));
  history.push(g.keys["index"], nullptr, 0, u"Index");
  EXPECT_EQ(m.afterLayout().row, -1);
  const auto open = m.rowTapped(3);
  EXPECT_EQ(open.object, g.entries[3]);
  EXPECT_TRUE(open.data.bytes.empty());
  EXPECT_FALSE(m.show(open.object, nullptr, 0, 2));
  const auto kept = IndexViewerModel::rowData(2);
  EXPECT_TRUE(history.dataAt(0).sameAs(kept.data(), kept.size()));
  EXPECT_EQ(kept, (std::array<uint8_t, 8>{0, 0, 0, 0, 2, 0, 0, 0}));
  // Back: the index at that row, once.
  EXPECT_TRUE(m.show(g.keys["index"], kept.data(), kept.size(), 0));
  EXPECT_EQ(m.afterLayout().row, 2);
  EXPECT_EQ(m.afterLayout().row, -1);
  // Page data too short to hold a row is not read past its end.
  const uint8_t shortData[4] = {0, 0, 0, 9};
  EXPECT_TRUE(m.show(g.keys["index"], shortData, 4, 0));
  EXPECT_EQ(m.afterLayout().row, -1);

  // A link tapped in the full view of a row carries its anchor as page data.
  const auto link = m.linkTapped(7, u"ab");
  EXPECT_EQ(link.object, 7u);
  EXPECT_EQ(link.data.bytes, (std::vector<uint8_t>{'a', 0, 'b', 0, 0, 0}));
  EXPECT_TRUE(m.savePending());
}

TEST(KeyViewerModel, SearchesTheStoredMarkup) {
  ListsGuide g;
  KeyViewerModel m(&g.file.db, g.keys);
  EXPECT_FALSE(m.show(g.keys["index"]));
  ASSERT_TRUE(m.show(g.keys["tools"]));
  EXPECT_EQ(m.source().itemCount(), 3u);
  EXPECT_EQ(m.search(u"<b"), 0) << "the tag is part of the stored text";
  EXPECT_NE(m.search(u"\u00a7"), 0) << "the plain text alone does not find it";
  EXPECT_EQ(m.search(u"au"), 1);
  EXPECT_EQ(m.search(u"BD"), 2);
  EXPECT_EQ(m.explanationText(m.source().objectAt(1)), u"Area");
  EXPECT_EQ(m.explanationText(m.source().objectAt(2)), u"") << "an entry without a field explains nothing";
  const std::u16string page = m.explanationPage().pageText(m.source().objectAt(0));
  EXPECT_NE(page.find(u"Section"), std::u16string::npos);
}

TEST(DualListModel, CounterpartsAcrossTheListsAndEntriesWithoutOne) {
  ListsGuide g;
  DualListModel m(&g.file.db);
  EXPECT_FALSE(m.show(g.keys["index"]));
  ASSERT_TRUE(m.show(g.dual));
  EXPECT_EQ(m.title(), u"Names");
  EXPECT_EQ(m.upper().itemCount(), 4u);
  EXPECT_EQ(m.lower().itemCount(), 6u);
  EXPECT_EQ(m.counterpart(true, 0), 4);
  EXPECT_EQ(m.counterpart(true, 1), 0);
  EXPECT_EQ(m.counterpart(true, 2), 2);
  EXPECT_EQ(m.counterpart(false, 4), 0);
  EXPECT_EQ(m.counterpart(false, 0), 1);
  EXPECT_EQ(m.counterpart(true, 3), -1) << "no link: nothing in the other list";
  EXPECT_EQ(m.counterpart(false, 5), -1) << "a link into its own list selects nothing in the other";
  EXPECT_EQ(m.counterpart(true, 9), -1);
  // An item inside the table shows the same lists under the table's title.
  ASSERT_TRUE(m.show(g.dualItem));
  EXPECT_EQ(m.upper().itemCount(), 4u);
  EXPECT_EQ(m.title(), u"Names");
}

// Random pairs of lists, links drawn at random (some missing, some into
// their own list): every counterpart is the row the link was made to.
TEST(DualListModel, CounterpartsAgreeWithTheLinksMadeOnRandomGuides) {
  std::mt19937 rng(3);
  for (int round = 0; round < 20; ++round) {
    ContentWriter w(u"guide");
    const H table = addText(w, 0, u"table", u"Pairs");
    addText(w, table, u"table type", u"dual list");
    // Other children of the lists' type groups around them must not matter.
    addText(w, table, u"field", u"key");
    const H lists[2] = {addText(w, table, u"list", u"Upper"), addText(w, table, u"list", u"Lower")};
    std::vector<H> items[2];
    for (int side = 0; side < 2; ++side) {
      const int n = 1 + static_cast<int>(rng() % 30);
      for (int i = 0; i < n; ++i) items[side].push_back(addText(w, lists[side], u"item", u"x"));
    }
    std::vector<int64_t> expected[2];
    for (int side = 0; side < 2; ++side) {
      for (H item : items[side]) {
        const int pick = static_cast<int>(rng() % 10);
        if (pick == 0) {
          expected[side].push_back(-1);  // no link
        } else if (pick == 1) {
          addLink(w, item, items[side][rng() % items[side].size()]);
          expected[side].push_back(-1);  // into its own list
        } else {
          const size_t to = rng() % items[1 - side].size();
          addLink(w, item, items[1 - side][to]);
          expected[side].push_back(static_cast<int64_t>(to));
        }
      }
    }
    GuideFile file;
    ASSERT_TRUE(file.open(w));
    DualListModel m(&file.db);
    ASSERT_TRUE(m.show(w.indexOf(table)));
    for (int side = 0; side < 2; ++side)
      for (size_t row = 0; row < expected[side].size(); ++row)
        EXPECT_EQ(m.counterpart(side == 0, static_cast<uint32_t>(row)), expected[side][row])
            << "round " << round << " side " << side << " row " << row;
  }
}

TEST(DualListModel, LayoutAndDividerPictures) {
  const DualListLayout l = dualListLayout(96, {0, 0, 240, 268}, 20);
  EXPECT_EQ(l.upper, rectXYWH(0, 20, 240, 125));
  EXPECT_EQ(l.divider, rectXYWH(0, 145, 240, 34));
  EXPECT_EQ(l.lower, rectXYWH(0, 159, 240, 112));
  const DualListLayout h = dualListLayout(192, {0, 0, 480, 536}, 40);
  EXPECT_EQ(h.upper.top, 40);
  EXPECT_EQ(h.divider.top, h.upper.bottom);
  EXPECT_EQ(dualListDivider({320, 240}, 96), 467);
  EXPECT_EQ(dualListDivider({640, 480}, 192), 468);
  EXPECT_EQ(dualListDivider({240, 320}, 96), 469);
  EXPECT_EQ(dualListDivider({480, 480}, 192), 470) << "a square screen takes the portrait picture";
}

}  // namespace
}  // namespace vantrel
