// Access-log lines: the exact Common Log Format line, JSON lines a log
// shipper can parse, requests that try to forge lines, and reopening the
// file after log rotation moved it away.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/serve/AccessLog.h"

namespace vantrel::serve {
namespace {

namespace fs = std::filesystem;

AccessRecord sample() {
  AccessRecord r;
  r.remoteAddr = "127.0.0.1";
  r.time = 1797076800;  // 2026-12-12 12:00:00 UTC
  r.method = "GET";
  r.target = "/o12.html?x=1";
  r.version = "HTTP/1.1";
  r.status = 200;
  r.bytes = 5120;
  r.seconds = 0.0015;
  r.referer = "http://ward/index.html";
  r.userAgent = "curl/8";
  return r;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(AccessLog, CommonLogFormat) {
  AccessRecord r = sample();
  EXPECT_EQ(formatAccessLine(r, AccessLogFormat::clf),
            "127.0.0.1 - - [12/Dec/2026:12:00:00 +0000] \"GET /o12.html?x=1 HTTP/1.1\" 200 5120\n");
  r.status = 304;
  r.bytes = 0;  // no body: "-", as CLF writes it
  r.remoteAddr.clear();
  EXPECT_EQ(formatAccessLine(r, AccessLogFormat::clf),
            "- - - [12/Dec/2026:12:00:00 +0000] \"GET /o12.html?x=1 HTTP/1.1\" 304 -\n");
}

TEST(AccessLog, JsonLinesCarryEveryField) {
  const AccessRecord r = sample();
  const std::string line = formatAccessLine(r, AccessLogFormat::json);
  ASSERT_EQ(line.back(), '\n');
  const nlohmann::json j = nlohmann::json::parse(line);
  EXPECT_EQ(j["time"], "2026-12-12T12:00:00Z");
  EXPECT_EQ(j["remote"], "127.0.0.1");
  EXPECT_EQ(j["method"], "GET");
  EXPECT_EQ(j["target"], "/o12.html?x=1");
  EXPECT_EQ(j["version"], "HTTP/1.1");
  EXPECT_EQ(j["status"], 200);
  EXPECT_EQ(j["bytes"], 5120);
  EXPECT_NEAR(j["seconds"].get<double>(), 0.0015, 1e-9);
  EXPECT_EQ(j["referer"], "http://ward/index.html");
  EXPECT_EQ(j["user_agent"], "curl/8");
}

// What a client controls (target, headers) can neither end the line early
// nor close the quoted field, in either format.
TEST(AccessLog, HostileRequestsCannotForgeLines) {
  AccessRecord r = sample();
  r.target = "/x\" 200 1\n10.0.0.1 - - [01/Jan/2026:00:00:00 +0000] \"GET /admin\\\x01\xff\xc3\xa9";
  r.userAgent = "ua\r\n{\"forged\":1}";
  r.referer = std::string("nul\0byte", 8);

  const std::string clf = formatAccessLine(r, AccessLogFormat::clf);
  EXPECT_EQ(clf.find('\n'), clf.size() - 1);
  EXPECT_EQ(std::count(clf.begin(), clf.end(), '"'), 2) << clf;
  EXPECT_NE(clf.find("/x\\x22 200 1\\x0a10.0.0.1"), std::string::npos) << clf;
  EXPECT_NE(clf.find("\\x5c\\x01\\xff\\xc3\\xa9"), std::string::npos) << clf;

  const std::string json = formatAccessLine(r, AccessLogFormat::json);
  EXPECT_EQ(json.find('\n'), json.size() - 1);
  const nlohmann::json j = nlohmann::json::parse(json);  // throws on anything not JSON
  const std::string target = j["target"];
  // Valid UTF-8 is kept, a stray byte is shown as the character of its value.
  EXPECT_EQ(target, "/x\" 200 1\n10.0.0.1 - - [01/Jan/2026:00:00:00 +0000] \"GET /admin\\\x01\xc3\xbf\xc3\xa9");
  EXPECT_EQ(j["user_agent"], "ua\r\n{\"forged\":1}");
  EXPECT_EQ(j["referer"], std::string("nul\0byte", 8));
  EXPECT_FALSE(j.contains("forged"));
}

TEST(AccessLog, ReopensTheFileAfterRotation) {
  const fs::path dir = fs::temp_directory_path() / ("vantrel-log-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "access.log";
  AccessLog log;
  std::string why;
  ASSERT_TRUE(log.open(file.string(), AccessLogFormat::clf, why)) << why;
  AccessRecord r = sample();
  log.write(r);
  fs::rename(file, dir / "access.log.1");  // what logrotate does
  r.target = "/after.html";
  log.write(r);  // still into the moved file until reopened
  ASSERT_TRUE(log.reopen(why)) << why;
  r.target = "/reopened.html";
  log.write(r);

  const std::string old = slurp(dir / "access.log.1");
  EXPECT_NE(old.find("/o12.html"), std::string::npos);
  EXPECT_NE(old.find("/after.html"), std::string::npos);
  EXPECT_EQ(old.find("/reopened.html"), std::string::npos);
  EXPECT_NE(slurp(file).find("/reopened.html"), std::string::npos);
  EXPECT_EQ(std::count(old.begin(), old.end(), '\n'), 2);

  // A folder that went away: the old file stays in use and the reason is told.
  fs::remove_all(dir);
  EXPECT_FALSE(log.reopen(why));
  EXPECT_NE(why.find("access.log"), std::string::npos);
  log.write(r);  // no crash, nowhere to go but the unlinked file

  AccessLog bad;
  EXPECT_FALSE(bad.open((dir / "missing" / "x.log").string(), AccessLogFormat::json, why));
  EXPECT_FALSE(bad.isOpen());
}

}  // namespace
}  // namespace vantrel::serve
