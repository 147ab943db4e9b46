#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/util/FileOps.h"

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

class AtomicReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantrel-fileops-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    fileops::setWriteFault(0);
    fs::remove_all(dir);
  }
  std::string path(const std::string& name) const { return dir + "/" + name; }
  static std::string read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
  }
  std::string dir;
};

}  // namespace

TEST_F(AtomicReplace, ReplacesWholeAndLeavesNothingBeside) {
  const std::string target = path("page.html");
  ASSERT_TRUE(fileops::writeFileAtomic(target, "old contents, longer than the new ones"));
  for (fileops::Sync sync : {fileops::Sync::durable, fileops::Sync::consistent}) {
    ASSERT_TRUE(fileops::writeFileAtomic(target, std::string("new\0bytes", 9), sync));
    EXPECT_EQ(read(target), std::string("new\0bytes", 9));
    EXPECT_EQ(names(), std::vector<std::string>{"page.html"});
  }
  // More than one buffer's worth arrives in order.
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
  fileops::AtomicFile file;
  ASSERT_TRUE(file.open(target));
  for (size_t at = 0; at < big.size(); at += 100000) ASSERT_TRUE(file.write(std::string_view(big).substr(at, 100000)));
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(read(target), big);
  // A new file gets the permissions any new file gets, not a private 0600.
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(AtomicReplace, AFailureLeavesTheOldFileAndSaysWhy) {
  const std::string target = path("notes.idx");
  ASSERT_TRUE(fileops::writeFileAtomic(target, "kept"));

  // The disk fills up while writing.
  fileops::setWriteFault(ENOSPC);
  std::string error;
  errno = 0;
  EXPECT_FALSE(fileops::writeFileAtomic(target, "lost", fileops::Sync::durable, &error));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_NE(error.find(target), std::string::npos) << error;
  EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
  EXPECT_FALSE(fileops::replaceFile(target, path("notes.tmp"), "lost", 4));
  fileops::setWriteFault(0);
  EXPECT_EQ(read(target), "kept");
  EXPECT_EQ(names(), std::vector<std::string>{"notes.idx"});

  // Given up half-way (an error elsewhere, an early return): the old file stays.
  {
    fileops::AtomicFile file;
    ASSERT_TRUE(file.open(target));
    ASSERT_TRUE(file.write("half"));
    ASSERT_TRUE(file.finish());
  }
  EXPECT_EQ(read(target), "kept");
  EXPECT_EQ(names(), std::vector<std::string>{"notes.idx"});

  // A folder that is not there, and a target that is a folder.
  EXPECT_FALSE(fileops::writeFileAtomic(path("missing/x"), "x", fileops::Sync::durable, &error));
  EXPECT_NE(error.find("cannot create a file beside"), std::string::npos) << error;
  fs::create_directory(path("sub"));
  EXPECT_FALSE(fileops::writeFileAtomic(path("sub"), "x", fileops::Sync::durable, &error));
  EXPECT_NE(error.find("cannot rename into"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(path("sub")));
  EXPECT_EQ(names().size(), 2u);
}

TEST_F(AtomicReplace, FolderSwapKeepsTheOldFolderUntilTheNewOneIsIn) {
  const std::string target = path("index"), temp = path("index.building"), aside = path("index.old");
  fs::create_directory(target);
  std::ofstream(target + "/v") << "1";
  fs::create_directory(temp);
  std::ofstream(temp + "/v") << "2";
  std::string why;
  EXPECT_EQ(fileops::replaceFolder(temp, target, aside, &why), fileops::FolderSwap::done);
  EXPECT_EQ(read(target + "/v"), "2");
  EXPECT_FALSE(fs::exists(aside));
  EXPECT_FALSE(fs::exists(temp));
  // Nothing to move in: the old folder is back where it was.
  EXPECT_EQ(fileops::replaceFolder(temp, target, aside, &why), fileops::FolderSwap::newNotMoved);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(read(target + "/v"), "2");
  EXPECT_FALSE(fs::exists(aside));
}
