#include "core/shell/ScriptCommand.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

ScriptCommand ok(const std::string& line) {
  std::string error;
  auto c = parseScriptLine(line, error);
  EXPECT_TRUE(c.has_value()) << line << ": " << error;
  return c.value_or(ScriptCommand{});
}

std::string bad(const std::string& line) {
  std::string error;
  auto c = parseScriptLine(line, error);
  EXPECT_FALSE(c.has_value()) << line;
  return error;
}

TEST(ScriptCommand, AcceptsEveryCommandWithItsArguments) {
  EXPECT_EQ(ok("  # a comment").name, "");
  EXPECT_EQ(ok("").name, "");
  EXPECT_EQ(ok("tap 10 -3").numbers, (std::vector<int64_t>{10, -3}));
  EXPECT_EQ(ok("wait 250").numbers, std::vector<int64_t>{250});
  EXPECT_EQ(ok("type  two  spaces ").text, " two  spaces");
  EXPECT_EQ(ok("key Alt+Left").text, "Alt+Left");
  EXPECT_EQ(ok("command 40006").numbers, std::vector<int64_t>{40006});
  EXPECT_EQ(ok("answer yes").text, "yes");
  ScriptCommand n = ok("navigate 12 4400");
  EXPECT_EQ(n.numbers, std::vector<int64_t>{12});
  EXPECT_EQ(n.data, (std::vector<uint8_t>{0x44, 0}));
  ScriptCommand k = ok("navigate-key index_search 4100");
  EXPECT_EQ(k.text, "index_search");
  EXPECT_EQ(k.data, (std::vector<uint8_t>{0x41, 0}));
  EXPECT_EQ(ok("shot /tmp/a b.png").text, "/tmp/a b.png");
  EXPECT_EQ(ok("resize 320 240").numbers, (std::vector<int64_t>{320, 240}));
  EXPECT_EQ(ok("state\r").name, "state");
}

TEST(ScriptCommand, RefusesBadLinesWithAReason) {
  EXPECT_NE(bad("tapp 1 2").find("unknown command"), std::string::npos);
  EXPECT_NE(bad("tap 1").find("X Y"), std::string::npos);
  EXPECT_NE(bad("tap 1 y").find("not a whole number"), std::string::npos);
  bad("wait -1");
  bad("answer maybe");
  bad("navigate 1 abc");
  bad("navigate 1 zz");
  bad("navigate -4");
  bad("navigate");
  bad("resize 0 10");
  bad("state now");
  bad("shot");
  bad("choose");
  bad("command 1 2");
}

TEST(ScriptCommand, HexRoundTrip) {
  const uint8_t bytes[] = {0, 0xAB, 0x7f};
  EXPECT_EQ(toHex(bytes, 3), "00ab7f");
  std::vector<uint8_t> back;
  ASSERT_TRUE(fromHex("00AB7f", back));
  EXPECT_EQ(back, (std::vector<uint8_t>{0, 0xAB, 0x7f}));
  EXPECT_FALSE(fromHex("0", back));
  EXPECT_EQ(back.size(), 3u);  // untouched on failure
}

TEST(ScriptCommand, LongLinesAreCutInMessages) {
  const std::string huge(2 * 1024 * 1024, 'x');
  EXPECT_EQ(bad(huge), "unknown command '" + std::string(200, 'x') + "...'");
  EXPECT_EQ(bad("tap " + huge + " 1"), "'" + std::string(200, 'x') + "...' is not a whole number");
  EXPECT_LT(bad("navigate 1 " + huge).size(), 300u);
  // Short pieces are shown whole; a cut never splits a UTF-8 character.
  EXPECT_EQ(bad("frobnicate"), "unknown command 'frobnicate'");
  const std::string accents = std::string(199, 'a') + "\xC3\xA9" + "tail";
  EXPECT_EQ(clipForMessage(accents), std::string(199, 'a') + "...");
}

}  // namespace
}  // namespace vantrel
