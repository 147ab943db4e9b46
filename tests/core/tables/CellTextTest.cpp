#include <gtest/gtest.h>

#include "core/tables/CellText.h"

using namespace vantrel;

TEST(CellText, CsvFields) {
  EXPECT_EQ(csvField("plain"), "plain");
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(csvField(" padded"), "\" padded\"");
  EXPECT_EQ(csvField("caf\xC3\xA9"), "caf\xC3\xA9");
}
