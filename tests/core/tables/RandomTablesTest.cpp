// Random "tight crt" tables checked against the tree they were written from:
// which items are accepted, which leaves become rows and columns, and which
// field every cell shows.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TableFixture.h"
#include "core/content/ContentWriter.h"
#include "core/tables/TightCrtTable.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Node {
  ContentWriter::Handle handle = 0;
  std::vector<int> children;                   // node numbers
  std::vector<ContentWriter::Handle> fields;   // in content order
  int top = -1;                                // top-level item it lies under
};

struct RandomGuide {
  explicit RandomGuide(uint32_t seed) : rng(seed) {
    ContentWriter w(u"guide");
    const auto table = w.add(0, u"table");
    w.setText(w.add(table, u"table type"), u"tight crt");
    const int tops = 1 + int(rng() % 4);
    for (int t = 0; t < tops; ++t) {
      topNodes.push_back(grow(w, table, t, 0));
    }
    // Fields under every leaf: a random number (0 to 6).
    for (Node& n : nodes) {
      if (!n.children.empty()) continue;
      const int count = int(rng() % 7);
      for (int f = 0; f < count; ++f) {
        const auto h = w.add(n.handle, u"field");
        w.setText(h, u"f" + std::u16string(1, char16_t(u'a' + f)));
        n.fields.push_back(h);
      }
    }
    std::string error;
    EXPECT_TRUE(w.write(folder.base(), &error)) << error;
    for (Node& n : nodes) index.push_back(w.indexOf(n.handle));
    for (Node& n : nodes)
      for (auto f : n.fields) fieldObjects.push_back({index[&n - nodes.data()], w.indexOf(f)});
    EXPECT_TRUE(db.open(folder.base()));
  }

  int grow(ContentWriter& w, ContentWriter::Handle parent, int top, int depth) {
    const int me = int(nodes.size());
    nodes.push_back({});
    nodes[me].handle = w.add(parent, u"hierarchy item");
    nodes[me].top = top;
    w.setText(nodes[me].handle, u"n" + std::u16string(1, char16_t(u'A' + me % 26)));
    const int kids = depth >= 3 ? 0 : int(rng() % (depth == 0 ? 5 : 4));
    for (int k = 0; k < kids; ++k) {
      const int child = grow(w, nodes[me].handle, top, depth + 1);
      nodes[me].children.push_back(child);
    }
    return me;
  }

  void leaves(int n, std::vector<int>& out) const {
    if (nodes[n].children.empty()) {
      out.push_back(n);
      return;
    }
    for (int c : nodes[n].children) leaves(c, out);
  }
  int topOf(int n) const { return topNodes[nodes[n].top]; }
  ObjectIndex fieldAt(int leaf, size_t k) const {
    size_t seen = 0;
    const ObjectIndex owner = index[leaf];
    for (const auto& [o, f] : fieldObjects) {
      if (o == owner && seen++ == k) return f;
    }
    return 0;
  }

  std::mt19937 rng;
  TempFolder folder;
  ContentDatabase db;
  std::vector<Node> nodes;
  std::vector<int> topNodes;
  std::vector<ObjectIndex> index;
  std::vector<std::pair<ObjectIndex, ObjectIndex>> fieldObjects;
};

}  // namespace

TEST(RandomTables, ModelsMatchTheTreeTheyWereWrittenFrom) {
  int builds = 0, found = 0, refused = 0, arrangements[3] = {0, 0, 0};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    RandomGuide g(seed);
    TightCrtTable t(g.db);
    const int tops = int(g.topNodes.size());
    for (int n = 0; n < int(g.nodes.size()); ++n) {
      const Node& node = g.nodes[n];
      const bool expectAccept = node.children.empty() || g.nodes[node.children[0]].children.empty();
      ASSERT_EQ(t.accepts(g.index[n]), expectAccept) << "seed " << seed << " node " << n;
      if (!expectAccept) {
        ++refused;
        continue;
      }
      t.buildTable(g.index[n]);
      ++builds;
      const int top = node.top;
      const int run = tops - 1 - top;
      const int arrangement = run <= 2 ? run : 0;
      ASSERT_EQ(t.arrangement(), arrangement) << seed;
      ++arrangements[arrangement];
      // Where rows and columns come from (a missing sibling leaves the walk at T).
      auto sibling = [&](int offset) { return top + offset >= 0 && top + offset < tops ? g.topNodes[top + offset] : -1; };
      int columnsFrom = n, rowsFrom = -1;
      if (arrangement == 0) {
        rowsFrom = sibling(-1) >= 0 ? sibling(-1) : g.topOf(n);
      } else if (arrangement == 1) {
        rowsFrom = sibling(1);
      } else {
        columnsFrom = sibling(2);
        rowsFrom = sibling(1);
      }
      std::vector<int> columns, rows, positions;
      g.leaves(columnsFrom, columns);
      g.leaves(rowsFrom, rows);
      ASSERT_EQ(t.columnCount(), columns.size() + 1) << seed;
      ASSERT_EQ(t.rowCount(), rows.size() + 1) << seed;
      // Field positions number the leaves of the third top-level item, or
      // with fewer items every leaf under the table.
      if (tops >= 3) {
        g.leaves(g.topNodes[2], positions);
      } else {
        for (int topNode : g.topNodes) g.leaves(topNode, positions);
      }
      for (uint32_t c = 1; c < t.columnCount(); ++c) {
        TableCell heading;
        ASSERT_TRUE(t.cellAt(0, c, heading));
        ASSERT_EQ(heading.object, g.index[columns[c - 1]]);
      }
      for (uint32_t r = 1; r < t.rowCount(); ++r) {
        TableCell heading;
        ASSERT_TRUE(t.cellAt(r, 0, heading));
        ASSERT_EQ(heading.object, g.index[rows[r - 1]]);
        for (uint32_t c = 1; c < t.columnCount(); ++c) {
          ObjectIndex expected = 0;
          if (arrangement == 1) {
            expected = g.fieldAt(columns[c - 1], r - 1);
          } else {
            for (size_t k = 0; k < positions.size(); ++k) {
              if (positions[k] == columns[c - 1]) expected = g.fieldAt(rows[r - 1], k);
            }
          }
          TableCell cell;
          ASSERT_TRUE(t.cellAt(r, c, cell));
          ASSERT_EQ(cell.object, expected) << "seed " << seed << " item " << n << " cell " << r << "," << c;
          if (expected != 0) ++found;
          std::u16string popup;
          t.cellPopupText(cellKey(r, c), popup);
          ASSERT_EQ(popup.substr(popup.rfind(u'\n')), u"\n" + cell.text);
        }
      }
    }
  }
  // The shapes were varied enough to mean something.
  EXPECT_GT(builds, 100);
  EXPECT_GT(refused, 10);
  EXPECT_GT(found, 200);
  for (int a : arrangements) EXPECT_GT(a, 10);
}
