// Which viewer shows an object: the static answer the checker, and any other
// reader of a guide without windows, gets from the viewer registrations must be
// the viewer the running reader's offering picks.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "check/GuideCheck.h"
#include "content/ContentWriterSynthetic.h"
#include "html/HtmlDialog.h"
#include "platform/KeyboardService.h"
#include "platform/QtFontFiles.h"
#include "platform/QtMessages.h"
#include "platform/QtScreen.h"
#include "shell/GuideHost.h"
#include "userdata/TitleDialog.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The reader on a guide folder, with any modal dialog closed as it opens.
struct Reader {
  QtScreen screen{96, 96, Size{240, 320}};
  StateKeyboard keyboard;
  FixedSettings settings;
  QtMessages messages{true};
  QtFontFiles fonts;
  GuideHost host;
  Application application;
  explicit Reader(const std::string& dir)
      : settings(dir, std::nullopt),
        host(screen, dir),
        application(host, Services{screen, keyboard, settings, messages, fonts}) {
    HtmlDialog::setModalDriver([](HtmlDialog& d) { d.reject(); });
    TitleDialog::setModalDriver([](TitleDialog& d) { d.reject(); });
    application.startUp();
    host.connectCommands(application);
    QApplication::processEvents();
  }
  ~Reader() {
    if (host.mainWindow()) host.mainWindow()->setFrame(nullptr);
    application.shutDown();
    HtmlDialog::setModalDriver(nullptr);
    TitleDialog::setModalDriver(nullptr);
  }
  // The first viewer in offering order that took part and shows content objects.
  std::string picked(uint32_t object) {
    MainFrame& frame = *application.mainFrame();
    frame.navigate(object, nullptr, 0, true);
    QApplication::processEvents();
    for (Viewer* v : frame.takingPart())
      for (const auto& [kind, created] : application.viewers())
        if (created.get() == v && kind->shows) return kind->name;
    return "";
  }
};

void expectOfferingAgrees(const std::string& dir) {
  Reader reader(dir);
  ASSERT_TRUE(reader.application.mainFrame()) << dir;
  const ContentDatabase& db = *reader.host.database();
  int shown = 0;
  for (uint32_t x = 1; x < db.objectCount(); ++x) {
    const ViewerKind* kind = viewerKinds().showing(db, x);
    const std::string picked = reader.picked(x);
    EXPECT_EQ(kind ? kind->name : std::string(), picked) << dir << " object " << x;
    EXPECT_EQ(someViewerShows(db, x), !picked.empty()) << dir << " object " << x;
    shown += !picked.empty();
  }
  EXPECT_GT(shown, 0) << dir;
}

TEST(Offering, TheRegisteredAnswerIsTheViewerTheReaderPicksOnTheDemoGuide) {
  const std::string demo = std::string(VANTREL_BINARY_DIR) + "/demo-guide";
  if (!fs::exists(demo + "/Qd07-Qd07-Data.pdb")) GTEST_SKIP() << "the demo guide is not built";
  expectOfferingAgrees(demo);
}

TEST(Offering, TheRegisteredAnswerIsTheViewerTheReaderPicksOnSyntheticGuides) {
  for (uint64_t seed : {1u, 2u, 3u}) {
    const fs::path dir = fs::temp_directory_path() / ("vantrel_offering_" + std::to_string(::getpid()) + "_" +
                                                      std::to_string(seed));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(makeSyntheticGuide(500, seed)->write((dir / "Qd07-Qd07").string(), &error)) << error;
    expectOfferingAgrees(dir.string());
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace vantrel
