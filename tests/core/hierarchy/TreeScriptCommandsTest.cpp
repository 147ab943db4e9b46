// The scripted commands that work the trees' expand buttons.
#include <gtest/gtest.h>

#include "core/shell/ScriptCommand.h"

namespace vantrel {
namespace {

TEST(TreeScriptCommands, ExpandAndCollapseTakeOneObjectIndex) {
  std::string error;
  auto c = parseScriptLine("expand 4294967295", error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->name, "expand");
  EXPECT_EQ(c->numbers, std::vector<int64_t>{4294967295LL});
  c = parseScriptLine("  collapse 0 ", error);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->name, "collapse");
  for (const char* bad : {"expand", "expand -1", "expand 4294967296", "collapse 1 2", "expand x"}) {
    EXPECT_FALSE(parseScriptLine(bad, error)) << bad;
    EXPECT_NE(error.find("OBJECT"), std::string::npos) << bad;
  }
}

}  // namespace
}  // namespace vantrel
