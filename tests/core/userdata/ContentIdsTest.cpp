// Bookmarks over a real content database: targets follow the persistent id
// from one edition of the guide to the next.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/userdata/BookmarkList.h"
#include "core/userdata/ContentIds.h"

namespace vantrel {
namespace {

using testing::ScratchDir;

// A guide whose pages carry the given ids, in this order (0: no id of its own).
void writeGuide(const std::string& base, const std::vector<uint32_t>& ids) {
  ContentWriter w;
  w.setId(0, 1);
  for (uint32_t id : ids) {
    const auto h = w.add(0, u"page");
    w.setText(h, u"page " + std::u16string(1, static_cast<char16_t>(u'0' + id % 10)));
    w.setId(h, id);
  }
  std::string error;
  ASSERT_TRUE(w.write(base, &error)) << error;
}

TEST(BookmarksOverContent, TargetsFollowThePersistentId) {
  ScratchDir dir;
  const std::string base = dir / "Qd07-Qd07";
  writeGuide(base, {500, 501, 502});
  {
    ContentDatabase db;
    ASSERT_TRUE(db.open(base));
    DatabaseIds ids(db);
    BookmarkList list(&ids);
    list.open(dir.path());
    const ObjectIndex page = db.findById(502);
    ASSERT_NE(page, 0u);
    EXPECT_EQ(list.addBookmark(u"third", page, "s", 1), 0);
    EXPECT_EQ(list.checkBookmark(page, "s", 1), BookmarkList::kExists);
    EXPECT_EQ(list.checkBookmark(db.objectCount() + 4, nullptr, 0), BookmarkList::kNotHere);
    EXPECT_EQ(list.addBookmark(u"home", db.objectCount() + 4, nullptr, 0), -1);
  }
  // The next edition drops id 500 and adds pages before the bookmarked one.
  writeGuide(base, {610, 611, 501, 502});
  ContentDatabase db;
  ASSERT_TRUE(db.open(base));
  DatabaseIds ids(db);
  BookmarkList list(&ids);
  list.open(dir.path());
  ASSERT_EQ(list.itemCount(), 1u);
  EXPECT_EQ(list.bookmarkAt(0).target, db.findById(502));
  EXPECT_EQ(list.bookmarkAt(0).pageData, "s");
  list.addBookmarkRecord(500, "gone", nullptr, 0);
  EXPECT_EQ(list.bookmarkAt(1).target, 0u);
}

}  // namespace
}  // namespace vantrel
