#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "TableFixture.h"
#include "core/tables/TightCrtTable.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The heading colours of a built table: row 0 from column 1, then column 0 from row 1.
std::vector<Colour> headingColours(TightCrtTable& t) {
  std::vector<Colour> out;
  TableCell cell;
  for (uint32_t w = 1; w < t.columnCount(); ++w) out.push_back(t.cellAt(0, w, cell) ? cell.colour : 0);
  for (uint32_t v = 1; v < t.rowCount(); ++v) out.push_back(t.cellAt(v, 0, cell) ? cell.colour : 0);
  return out;
}

}  // namespace

// The colours carry over between the tables of one session and nowhere else:
// a server answer or an exported page built while the reader (or another
// answer) builds its own tables gets the colours of a fresh session.
TEST(HeadingSessions, ColoursCarryOverWithinASessionOnly) {
  SampleGuide g;
  // c4 alone starts with a flip; after the whole table no flip is pending.
  std::vector<Colour> fresh, after;
  {
    TightCrtTable t(g.db);
    t.buildTable(g[u"c4"]);
    fresh = headingColours(t);
    TightCrtTable u(g.db);
    u.buildTable(g[u"Whole"]);
    u.buildTable(g[u"c4"]);
    after = headingColours(u);
  }
  ASSERT_NE(fresh, after);

  HeadingToggles reader;
  TightCrtTable first(g.db, reader);
  first.buildTable(g[u"Whole"]);
  // Another session in between leaves the reader's colours alone...
  TightCrtTable other(g.db);
  other.buildTable(g[u"Whole"]);
  other.headingToggles() = HeadingToggles{};
  other.buildTable(g[u"c4"]);
  EXPECT_EQ(headingColours(other), fresh);
  // ...and a second table of the reader's session goes on where the first left off.
  TightCrtTable next(g.db, reader);
  next.buildTable(g[u"c4"]);
  EXPECT_EQ(headingColours(next), after);

  // Many sessions at once on one database, as the server's threads build
  // tables: each gets exactly what it would alone.
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (int k = 0; k < 8; ++k) {
    threads.emplace_back([&, k] {
      for (int round = 0; round < 50; ++round) {
        HeadingToggles session;
        TightCrtTable t(g.db, session);
        t.buildTable(g[u"c4"]);
        if (headingColours(t) != fresh) ++wrong[k];
        session = HeadingToggles{};
        t.buildTable(g[u"Whole"]);
        t.buildTable(g[u"c4"]);
        if (headingColours(t) != after) ++wrong[k];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}
