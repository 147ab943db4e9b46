#include <gtest/gtest.h>

#include "core/search/SearchDocuments.h"

using namespace vantrel;

// A "<" that begins no tag is text: the words after it up to a later ">"
// are searched for like any others (they were taken for one long tag).
TEST(SearchDocuments, ComparisonsInTextKeepTheirWords) {
  EXPECT_EQ(plainTextOf(u"dose < 10 mg when clearance > 30"), u"dose < 10 mg when clearance > 30");
  EXPECT_EQ(plainTextOf(u"a<!-- x > y -->b<b title=\"p > q\">c</b>"), u"a bc");
}
