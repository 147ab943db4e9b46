// Which viewer shows an object: the static answer the checker and the web
// export get from the viewer registrations must be the viewer the running
// reader's offering picks.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

#include "core/check/GuideCheck.h"
#include "core/content/ContentWriterSynthetic.h"
#include "core/export/WebSite.h"
#include "ui/html/HtmlDialog.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/GuideHost.h"
#include "ui/userdata/TitleDialog.h"

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
  // The viewers that took part in showing object, in offering order, leaving
  // out those that show no content object by themselves (chrome, home, search).
  std::vector<std::string> takingPart(uint32_t object) {
    MainFrame& frame = *application.mainFrame();
    frame.navigate(object, nullptr, 0, true);
    QApplication::processEvents();
    std::vector<std::string> names;
    for (Viewer* v : frame.takingPart())
      for (const auto& [kind, created] : application.viewers())
        if (created.get() == v && kind->shows) names.push_back(kind->name);
    return names;
  }
};

void expectOfferingAgrees(const std::string& dir) {
  Reader reader(dir);
  ASSERT_TRUE(reader.application.mainFrame()) << dir;
  const ContentDatabase& db = *reader.host.database();
  const WebSite site(db);
  int shown = 0;
  for (uint32_t x = 1; x < db.objectCount(); ++x) {
    std::vector<std::string> registered;
    for (const ViewerKind* kind : viewerKinds().showingAll(db, x)) registered.push_back(kind->name);
    const std::vector<std::string> picked = reader.takingPart(x);
    EXPECT_EQ(registered, picked) << dir << " object " << x;
    const ViewerKind* first = viewerKinds().showing(db, x);
    EXPECT_EQ(first ? first->name : std::string(), picked.empty() ? std::string() : picked.front());
    EXPECT_EQ(someViewerShows(db, x), !picked.empty()) << dir << " object " << x;
    // The web export makes the page of one of those viewers.
    const WebPageKind page = site.kindOf(x);
    const char* pageViewer = page == WebPageKind::html || page == WebPageKind::decisionTree ? "html"
                             : page == WebPageKind::table                                    ? "table"
                             : page == WebPageKind::image                                    ? "image"
                             : page == WebPageKind::footnote                                 ? "footnotes"
                                                                                             : nullptr;
    if (pageViewer) {
      EXPECT_NE(std::find(picked.begin(), picked.end(), pageViewer), picked.end()) << dir << " object " << x;
    }
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
  // Seed 4's larger guide has pages whose footnotes' full view opens over them.
  for (auto [seed, objects] : {std::pair<uint64_t, uint32_t>{1, 3000}, {2, 3000}, {3, 3000}, {4, 20000}}) {
    const fs::path dir = fs::temp_directory_path() / ("vantrel_offering_" + std::to_string(::getpid()) + "_" +
                                                      std::to_string(seed));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(makeSyntheticGuide(objects, seed)->write((dir / "Qd07-Qd07").string(), &error)) << error;
    expectOfferingAgrees(dir.string());
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace vantrel
