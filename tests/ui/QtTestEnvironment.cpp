// One QApplication for the whole test program, destroyed at its end. Every
// Qt test program links this file; VANTREL_TEST_PROGRAM names the program.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A reader started by a test builds its search index at once: into a
    // cache folder of this run, never the user's.
    char pattern[] = "/tmp/vantrel-test-cache-XXXXXX";
    if (mkdtemp(pattern)) {
      cache_ = pattern;
      setenv("XDG_CACHE_HOME", pattern, 1);
    }
    static int argc = 1;
    static char name[] = VANTREL_TEST_PROGRAM;
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
    std::error_code ec;
    if (!cache_.empty()) std::filesystem::remove_all(cache_, ec);
  }

 private:
  QApplication* app_ = nullptr;
  std::string cache_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
