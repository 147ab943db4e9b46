#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/shell/ScriptCommand.h"

namespace vantrel {
namespace {

// Writes down each action as "name args" and fails where told to.
struct Recorder : ScriptActions {
  bool started = true;
  std::vector<std::string> log;
  bool note(std::string s) {
    log.push_back(std::move(s));
    return true;
  }
  static std::string hex(const std::vector<uint8_t>& d) { return toHex(d.data(), d.size()); }
  bool readerStarted() const override { return started; }
  bool pointer(const std::string& kind, int x, int y, std::string&) override {
    return note(kind + " " + std::to_string(x) + " " + std::to_string(y));
  }
  bool wait(int ms) override { return note("wait " + std::to_string(ms)); }
  bool waitIndex(int ms) override { return note("waitIndex " + std::to_string(ms)); }
  bool type(const std::string& t) override { return note("type " + t); }
  bool key(const std::string& n, std::string&) override { return note("key " + n); }
  bool answer(const std::string& a) override { return note("answer " + a); }
  bool reportState() override { return note("state"); }
  bool shot(const std::string& f, std::string&) override { return note("shot " + f); }
  bool resize(int w, int h) override { return note("resize " + std::to_string(w) + " " + std::to_string(h)); }
  bool quit() override { return note("quit"); }
  bool command(int id) override { return note("command " + std::to_string(id)); }
  bool choose(int i, std::string&) override { return note("choose " + std::to_string(i)); }
  bool check(int r, std::string&) override { return note("check " + std::to_string(r)); }
  bool link(const std::string& h, std::string&) override { return note("link " + h); }
  bool focus(int id, std::string&) override { return note("focus " + std::to_string(id)); }
  bool click(int id, std::string& error) override {
    error = "no control";
    log.push_back("click " + std::to_string(id));
    return false;
  }
  bool expand(uint32_t o, bool e, std::string&) override {
    return note(std::string(e ? "expand " : "collapse ") + std::to_string(o));
  }
  bool navigate(uint32_t o, const std::vector<uint8_t>& d) override {
    return note("navigate " + std::to_string(o) + " " + hex(d));
  }
  bool navigateKey(const std::string& k, const std::vector<uint8_t>& d, std::string&) override {
    return note("navigateKey " + k + " " + hex(d));
  }
};

std::string runLine(Recorder& r, const std::string& line, std::string* error = nullptr) {
  std::string e;
  auto c = parseScriptLine(line, e);
  EXPECT_TRUE(c.has_value()) << line << ": " << e;
  r.log.clear();
  const bool ok = c && runScriptCommand(r, *c, e);
  if (error) *error = ok ? "" : e;
  return r.log.empty() ? "" : r.log.back();
}

TEST(ScriptTable, EachCommandRunsItsOwnActionWithItsArguments) {
  Recorder r;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"tap 3 -4", "tap 3 -4"},
      {"press 1 2", "press 1 2"},
      {"move 5 6", "move 5 6"},
      {"release 7 8", "release 7 8"},
      {"wait 20", "wait 20"},
      {"wait-index 900", "waitIndex 900"},
      {"type a  b", "type a  b"},
      {"key Alt+Left", "key Alt+Left"},
      {"answer cancel", "answer cancel"},
      {"state", "state"},
      {"shot /tmp/x y.png", "shot /tmp/x y.png"},
      {"resize 320 240", "resize 320 240"},
      {"quit", "quit"},
      {"command 40006", "command 40006"},
      {"choose 2", "choose 2"},
      {"check 1", "check 1"},
      {"link a b.html#c", "link a b.html#c"},
      {"focus 1001", "focus 1001"},
      {"expand 12", "expand 12"},
      {"collapse 12", "collapse 12"},
      {"navigate 12 4400", "navigate 12 4400"},
      {"navigate-key index_search", "navigateKey index_search "},
  };
  for (const auto& [line, action] : cases) EXPECT_EQ(runLine(r, line), action) << line;
  // Every command of the table is covered above (click below).
  EXPECT_EQ(scriptCommandTable().size(), cases.size() + 1);

  std::string error;
  EXPECT_EQ(runLine(r, "click 7", &error), "click 7");
  EXPECT_EQ(error, "no control");  // an action's failure comes back with its reason
}

TEST(ScriptTable, PageCommandsNeedTheReaderStartedAndTheOthersDoNot) {
  Recorder r;
  r.started = false;
  std::string error;
  for (const char* line : {"command 1", "choose 0", "check 0", "link x", "focus 1", "click 1", "expand 1",
                           "collapse 1", "navigate 1", "navigate-key home"}) {
    EXPECT_EQ(runLine(r, line, &error), "") << line;
    EXPECT_EQ(error, "the reader did not start") << line;
  }
  for (const char* line : {"tap 1 1", "wait 0", "wait-index 0", "type x", "key A", "answer ok", "state", "shot f",
                           "resize 9 9", "quit"}) {
    EXPECT_NE(runLine(r, line, &error), "") << line;
    EXPECT_EQ(error, "") << line;
  }
  ScriptCommand unknown;
  unknown.name = "fly";
  EXPECT_FALSE(runScriptCommand(r, unknown, error));
  EXPECT_EQ(error, "command 'fly' cannot run here");
}

}  // namespace
}  // namespace vantrel
