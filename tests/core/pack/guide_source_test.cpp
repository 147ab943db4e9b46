// The guide source reader on sources from outside: what it accepts is
// written and read back; anything else is refused with the reasons, never a
// crash, whatever the bytes.
#include <gtest/gtest.h>

#include <string>

#include "RawFiles.h"
#include "core/content/ContentDatabase.h"
#include "core/pack/GuideSource.h"

namespace vantrel {
namespace {

using packtest::freshDir;

pack::SourceResult parse(const std::string& text, const std::string& dir = "/nonexistent/vantrel-test") {
  return pack::parseGuideSource(std::vector<uint8_t>(text.begin(), text.end()), dir);
}

std::string allErrors(const pack::SourceResult& r) {
  std::string out;
  for (const auto& e : r.errors) out += e + "\n";
  return out;
}

TEST(GuideSource, AcceptedSourceIsWrittenAndReadBack) {
  auto r = parse(R"({"root": {"type": "root", "children": [
      {"type": "table", "text": "Index", "name": "INDEX", "children": [
        {"type": "item", "text": "caf\u00e9", "children": [{"type": "link", "link": "tbl-a"}]}]},
      {"type": "table", "label": "tbl-a", "text": "Antibiotics", "id": 77}]}})");
  ASSERT_TRUE(r.ok) << allErrors(r);
  const std::string dir = freshDir("guide_source");
  std::string why;
  ASSERT_TRUE(r.writer->write(dir + "/Qd07-Qd07", &why)) << why;
  ContentDatabase db;
  ASSERT_TRUE(db.open(dir + "/Qd07-Qd07"));
  EXPECT_EQ(db.objectCount(), 5u);
  EXPECT_NE(db.objectByName(u"INDEX"), 0u);
}

TEST(GuideSource, HostileSourcesAreRefusedWithReasons) {
  struct Case {
    const char* source;
    const char* reason;  // a part of one error line
  };
  const std::string deep(20000, '[');
  const Case cases[] = {
      {"", "bad JSON"},
      {"\xff\xfe{", "bad JSON"},
      {"[]", ""},
      {R"({"root": {"type": "r", "text": "a", "text": "b"}})", "text"},
      {R"({"root": {"type": "r", "children": [{"type": "t", "value": 1e400}]}})", "bad JSON"},
      {R"({"root": {"type": "r", "children": [{"type": "t", "link": "nowhere"}]}})", "nowhere"},
      {R"({"root": {"type": "r", "children": [{"type": "d", "blob": "../../etc/passwd"}]}})", "passwd"},
      {R"({"root": {"type": "r", "children": [{"type": "t", "id": -1}]}})", "id"},
      {R"({"root": {"type": "r", "children": [{"type": "t", "name": "A"}, {"type": "t", "name": "A"}]}})", "duplicate"},
  };
  for (const Case& c : cases) {
    auto r = parse(c.source);
    EXPECT_FALSE(r.ok) << c.source;
    EXPECT_EQ(r.writer, nullptr);
    ASSERT_FALSE(r.errors.empty()) << c.source;
    EXPECT_NE(allErrors(r).find(c.reason), std::string::npos) << c.source << "\n" << allErrors(r);
  }
  // Deep nesting is refused, not a stack overflow.
  auto r = parse(deep);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.errors.empty());
}

}  // namespace
}  // namespace vantrel
