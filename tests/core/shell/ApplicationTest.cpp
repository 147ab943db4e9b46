#include "core/shell/Application.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <map>

#include "ShellFakes.h"
#include "core/chrome/ChromeViewer.h"
#include "core/chrome/HomeViewer.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::FakeHost;

// The registered viewers' names in their orders.
using ViewerId = std::string;
std::vector<ViewerId> names(const std::vector<const ViewerKind*>& kinds) {
  std::vector<ViewerId> out;
  for (const ViewerKind* k : kinds) out.push_back(k->name);
  return out;
}
const std::vector<ViewerId> kCreationOrder = names(viewerKinds().inCreationOrder());
const std::vector<ViewerId> kOfferingOrder = names(viewerKinds().inOfferingOrder());
const int kViewerCount = static_cast<int>(viewerKinds().size());
const std::string& viewerName(const ViewerId& id) { return id; }
using test::FakeWindow;

struct TempDir {
  fs::path path;
  explicit TempDir(const char* name) {
    path = fs::temp_directory_path() / (std::string("vantrel_app_") + name + "_" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  void write(const std::string& name, size_t size) {
    std::ofstream(path / name, std::ios::binary) << std::string(size, 'x');
  }
  std::string str() const { return path.string(); }
};

struct RecordingFonts : FontFiles {
  bool addFontFile(const std::string& p) override {
    log->push_back("font.add " + fs::path(p).filename().string());
    added = true;
    return addWorks;
  }
  bool removeFontFile(const std::string& p) override {
    log->push_back("font.remove");
    return added && addWorks;
  }
  void announceFontChange() override { log->push_back("font.announce"); }
  std::vector<std::string>* log;
  bool added = false;
  bool addWorks = true;
};

// Logs every step and hands out viewers that log their destruction.
struct RecordingHost : ApplicationHost {
  struct LoggedViewer : Viewer {
    LoggedViewer(std::string n, std::vector<std::string>* log) : name(std::move(n)), log(log) {}
    ~LoggedViewer() override { log->push_back("destroy " + name); }
    bool show(uint32_t, const uint8_t*, size_t) override { return false; }
    void afterLayout() override {}
    std::string name;
    std::vector<std::string>* log;
  };

  FrameHost& createMainWindow() override {
    log.push_back("createMainWindow");
    return frameHost;
  }
  void showMainWindow() override { log.push_back("showMainWindow"); }
  std::string programDirectory() const override { return dir; }
  void migrateUserData(const std::string&, const std::string& previous) override {
    log.push_back("migrate" + (previous.empty() ? std::string() : " from " + fs::path(previous).filename().string()));
    if (realMigration) ApplicationHost::migrateUserData(dir, previous);
  }
  bool realMigration = false;
  bool openContent(const std::string& base) override {
    log.push_back("open " + fs::path(base).filename().string());
    return contentValid;
  }
  std::string contentError() const override { return contentValid ? std::string() : "Qd07-Qd07-Data.pdb: bad kind"; }
  bool contentValid = true;
  const ContentDatabase* database() const override { return nullptr; }
  uint32_t objectCount() const override { return count; }
  uint32_t objectByName(std::u16string_view name) const override {
    auto it = names.find(std::u16string(name));
    return it == names.end() ? 0 : it->second;
  }
  void closeContent() override { log.push_back("close"); }
  std::unique_ptr<Viewer> createViewer(const ViewerKind& kind, ViewerContext& ctx) override {
    log.push_back("create " + kind.name);
    if (kind.name == "chrome")
      return std::make_unique<ChromeViewer>(ctx.frame, ctx.pageKeys, ctx.history, ctx.services.messages, bar, nullptr);
    if (kind.name == "home") return std::make_unique<HomeViewer>(ctx.frame, ctx.pageKeys, &homeWindow);
    return std::make_unique<LoggedViewer>(kind.name, &log);
  }

  struct Bar : CommandBar {
    void setButtonEnabled(int c, bool e) override { enabled[c] = e; }
    bool buttonEnabled(int c) const override { return enabled.count(c) && enabled.at(c); }
    void showHistoryMenu(const ItemSource&) override {}
    std::map<int, bool> enabled;
  } bar;
  FakeHost frameHost;
  FakeWindow homeWindow;
  std::string dir;
  uint32_t count = 5000;
  std::map<std::u16string, uint32_t> names{{u"INDEX", 3}, {u"TOC", 4}, {u"Abbreviations", 9}};
  std::vector<std::string> log;
};

struct AppRig {
  TempDir dir;
  FixedScreen screen;
  StateKeyboard keyboard;
  FixedSettings settings;
  ScriptedMessages messages;
  RecordingHost host;
  RecordingFonts fonts;
  explicit AppRig(const char* name, bool content = true) : dir(name) {
    host.dir = dir.str();
    fonts.log = &host.log;
    settings = FixedSettings(dir.str(), std::string("/nowhere/previous"));
    if (content) {
      dir.write("Qd07-Qd07-Data.pdb", 78);
      dir.write("Qd07-Qd07-Strings.pdb", 78);
    }
  }
  Services services() { return {screen, keyboard, settings, messages, fonts}; }
};

TEST(Application, StartsInOrderAndShowsHomeAsTheOnlyHistoryEntry) {
  AppRig r("order");
  Application app(r.host, r.services());
  ASSERT_TRUE(app.startUp());
  std::vector<std::string> expected = {"createMainWindow", "showMainWindow", "migrate from previous", "open Qd07-Qd07",
                                       "font.add ppc_font2.ttf"};
  for (ViewerId id : kCreationOrder) expected.push_back(std::string("create ") + viewerName(id));
  EXPECT_EQ(r.host.log, expected);

  EXPECT_EQ(app.pageKeys()["calc_result"], 5000u);
  EXPECT_EQ(app.pageKeys()["index_search"], 5005u);
  EXPECT_EQ(app.pageKeys()["home"], 5004u);
  EXPECT_EQ(app.pageKeys()["search"], 5006u);
  EXPECT_EQ(app.pageKeys()["index"], 3u);
  EXPECT_EQ(app.pageKeys()["tools"], 9u);
  EXPECT_EQ(app.pageKeys()["about"], 0u);      // not named in the content
  EXPECT_EQ(app.pageKeys()["no such key"], 0u);
  EXPECT_EQ(app.pageKeys().entries().size(), 13u);

  // Offered in their own order; home is the first page and the only entry.
  std::vector<Viewer*> offered = app.mainFrame()->viewers();
  ASSERT_EQ(offered.size(), static_cast<size_t>(kViewerCount));
  for (int i = 0; i < kViewerCount; ++i) EXPECT_EQ(offered[i], app.viewer(kOfferingOrder[i]));
  EXPECT_EQ(app.history().size(), 1u);
  EXPECT_EQ(app.history().objectAt(0), 5004u);
  EXPECT_EQ(app.history().titles()[0], u"Home");
  EXPECT_TRUE(r.host.homeWindow.shown);
  EXPECT_EQ(r.host.frameHost.title, u"Home");
  EXPECT_EQ(r.keyboard.hideCalls, 1);  // at the frame's creation; the keyboard was down when home came
  EXPECT_FALSE(r.host.bar.buttonEnabled(cmd::kBack));
  EXPECT_FALSE(r.host.bar.buttonEnabled(cmd::kForward));
  EXPECT_FALSE(r.host.bar.buttonEnabled(cmd::kHistory));
  EXPECT_TRUE(r.host.bar.buttonEnabled(cmd::kHome));
  // The keyboard coming up shrinks the frame to the area above it.
  r.screen.setVisibleDesktopArea(rectXYWH(0, 0, 240, 200));
  r.keyboard.showKeyboard();
  EXPECT_TRUE(app.frameWindow()->keyboardUp());
  EXPECT_EQ(r.host.homeWindow.rect, rectXYWH(0, 0, 240, 200));
  r.keyboard.hideKeyboard();
  EXPECT_FALSE(app.frameWindow()->keyboardUp());

  r.host.log.clear();
  app.shutDown();
  // The viewers in their destruction order (the registry's test pins it;
  // chrome and home are real viewers here and log nothing), then the content
  // and the font.
  expected.clear();
  for (const ViewerKind* kind : viewerKinds().inDestructionOrder())
    if (kind->name != "chrome" && kind->name != "home") expected.push_back("destroy " + kind->name);
  for (const char* step : {"close", "font.remove", "font.announce"}) expected.push_back(step);
  EXPECT_EQ(r.host.log, expected);
  app.shutDown();  // once only
  EXPECT_EQ(r.host.log.size(), expected.size());
}

TEST(Application, GuideWithoutTocGivesTheRootAndUserDataPresentSkipsMigration) {
  AppRig r("notoc");
  r.host.names.erase(u"TOC");
  for (const char* f : {"bookmarks.vsi", "bookmarks.vsd", "notes.vsi", "notes.vsd"}) r.dir.write(f, 0);
  Application app(r.host, r.services());
  ASSERT_TRUE(app.startUp());
  EXPECT_EQ(app.pageKeys()["toc"], 0u);
  for (const std::string& l : r.host.log) EXPECT_EQ(l.rfind("migrate", 0), std::string::npos);
}

TEST(Application, FirstStartCarriesTheNotesOverFromThePreviousEdition) {
  AppRig r("migrate");
  TempDir previous("migrate_previous");
  previous.write("notes.vsi", 0);
  previous.write("notes.vsd", 0);
  r.settings = FixedSettings(r.dir.str(), previous.str());
  r.host.realMigration = true;
  Application app(r.host, r.services());
  ASSERT_TRUE(app.startUp());
  EXPECT_TRUE(fs::exists(r.dir.path / "notes.vsi"));
  EXPECT_TRUE(fs::exists(r.dir.path / "notes.vsd"));
}

TEST(Application, MissingOrShortContentIsRefusedWithTheMessageAndShutdownStillRuns) {
  struct Case {
    const char* name;
    size_t data, strings;
    bool installDir;
  };
  for (Case c : {Case{"nodata", 0, 78, true}, Case{"short", 77, 78, true}, Case{"shortstrings", 78, 77, true},
                 Case{"nosetting", 78, 78, false}}) {
    SCOPED_TRACE(c.name);
    AppRig r(c.name, false);
    if (c.data) r.dir.write("Qd07-Qd07-Data.pdb", c.data);
    if (c.strings) r.dir.write("Qd07-Qd07-Strings.pdb", c.strings);
    if (!c.installDir) r.settings = FixedSettings();
    Application app(r.host, r.services());
    EXPECT_FALSE(app.startUp());
    ASSERT_EQ(r.messages.shown.size(), 1u);
    EXPECT_EQ(r.messages.shown[0].box.text, u"Database files are missing or damaged.");
    EXPECT_EQ(r.messages.shown[0].box.caption, u"Vantrel Guide 2007");
    EXPECT_EQ(r.messages.shown[0].box.icon, MessageIcon::Error);
    EXPECT_EQ(r.messages.shown[0].answer, MessageAnswer::Ok);
    app.shutDown();
    // Nothing was opened or created; the font removal fails without an announcement.
    EXPECT_EQ(r.host.log, (std::vector<std::string>{"createMainWindow", "showMainWindow", "font.remove"}));
  }
}

TEST(Application, ContentThatFailsValidationIsRefusedAsMissingContentIs) {
  AppRig r("damaged");
  r.host.contentValid = false;
  Application app(r.host, r.services());
  EXPECT_FALSE(app.startUp());
  ASSERT_EQ(r.messages.shown.size(), 1u);
  EXPECT_EQ(r.messages.shown[0].box.text, u"Database files are missing or damaged.");
  EXPECT_EQ(r.messages.shown[0].box.caption, u"Vantrel Guide 2007");
  // The folder and the file's failed check, for the program to print.
  EXPECT_EQ(app.startError(), "folder " + r.dir.str() + ": Qd07-Qd07-Data.pdb: bad kind");
  app.shutDown();
  // No viewer was created and the database is closed again.
  for (const auto& entry : r.host.log) EXPECT_EQ(entry.rfind("create ", 0), std::string::npos) << entry;
  EXPECT_NE(std::find(r.host.log.begin(), r.host.log.end(), "close"), r.host.log.end());
}

TEST(Application, MissingContentNamesTheFolderAndTheFile) {
  AppRig r("named", false);
  r.dir.write("Qd07-Qd07-Data.pdb", 78);
  {
    Application app(r.host, r.services());
    EXPECT_FALSE(app.startUp());
    EXPECT_EQ(app.startError(), "folder " + r.dir.str() + ": Qd07-Qd07-Strings.pdb is missing");
  }
  r.dir.write("Qd07-Qd07-Strings.pdb", 12);
  EXPECT_EQ(shell::contentFilesProblem(r.dir.str()), "Qd07-Qd07-Strings.pdb is too short (12 bytes)");
  fs::create_directories(r.dir.path / "sub" / "Qd07-Qd07-Data.pdb");
  EXPECT_EQ(shell::contentFilesProblem((r.dir.path / "sub").string()), "Qd07-Qd07-Data.pdb is not a file");
}

TEST(Application, GuideFontHeight) {
  EXPECT_EQ(guideFontHeight(96), 16);
  EXPECT_EQ(guideFontHeight(192), 32);
  EXPECT_EQ(guideFontHeight(131), 22);
  EXPECT_EQ(guideFont(192).face, "PPC_Font2");
  EXPECT_EQ(guideFont(192).charSet, 128);
}

}  // namespace
}  // namespace vantrel
