#include "core/shell/Application.h"
#include "core/content/ContentFormat.h"

#include <filesystem>
#include <system_error>

#include "core/userdata/Migration.h"

namespace vantrel {

namespace shell {

std::string joinPath(const std::string& dir, std::string_view name) {
  if (dir.empty()) return std::string(name);
  std::string out = dir;
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

namespace {

// What keeps the file at path from passing the check; "" when it passes.
std::string fileProblem(const std::string& dir, const std::string& name) {
  const std::string path = joinPath(dir, name);
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return name + " is missing";
  if (!std::filesystem::is_regular_file(status)) return name + " is not a file";
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return name + " cannot be read: " + ec.message();
  if (size <= 77) return name + " is too short (" + std::to_string(size) + " bytes)";
  return {};
}
}  // namespace

std::string contentFilesProblem(const std::string& dir) {
  const std::string base = kContentBaseName;
  std::string problem = fileProblem(dir, base + kDataFileSuffix);
  if (problem.empty()) problem = fileProblem(dir, base + kStringsFileSuffix);
  return problem;
}

bool contentFilesPresent(const std::string& dir) { return contentFilesProblem(dir).empty(); }

}  // namespace shell

void ApplicationHost::migrateUserData(const std::string& programDirectory, const std::string& previousDirectory) {
  vantrel::migrateUserData(programDirectory, previousDirectory);
}

Application::Application(ApplicationHost& host, Services services, const ViewerKinds& kinds)
    : host_(host), services_(services), kinds_(kinds) {}

Viewer* Application::viewer(std::string_view name) const {
  for (const auto& [kind, v] : viewers_)
    if (kind->name == name) return v.get();
  return nullptr;
}

Application::~Application() {
  if (!shutDown_) shutDown();
}

bool Application::startUp() {
  // 1. The screen's resolution is read from the screen service where it is used.

  // 2. The main frame and its window.
  FrameHost& frameHost = host_.createMainWindow();
  frameWindow_ = std::make_unique<FrameWindow>(frameHost, services_.screen, services_.keyboard);
  frameWindow_->create();
  // The frame keeps clear of the on-screen keyboard whenever it comes or goes.
  services_.keyboard.setChangeListener([this] {
    if (frameWindow_) frameWindow_->keyboardChanged();
  });
  mainFrame_ = std::make_unique<MainFrame>(*frameWindow_, services_.keyboard);
  mainFrame_->setTitle(kGuideTitle);
  frameHost.titleChanged(kGuideTitle);
  host_.showMainWindow();

  // 3. The content must be there.
  std::optional<std::string> installDir = services_.settings.installDir();
  const std::string problem = installDir ? shell::contentFilesProblem(*installDir) : std::string();
  if (!installDir || !problem.empty()) {
    startError_ = installDir ? "folder " + *installDir + ": " + problem
                             : std::string("no install directory is set");
    services_.messages.showMessage(
        {kGuideTitle, kMissingContentMessage, MessageIcon::Error, MessageButtons::Ok});
    return false;
  }

  // 4.-5. The program directory; user data from the previous edition when
  // this one has none yet.
  programDir_ = host_.programDirectory();
  if (!userFilesPresent(programDir_))
    host_.migrateUserData(programDir_, services_.settings.previousInstallDir().value_or(std::string()));

  // 6. The content database.
  // A database that fails validation is refused as missing files are.
  contentOpen_ = true;
  if (!host_.openContent(shell::joinPath(programDir_, kContentBaseName))) {
    const std::string why = host_.contentError();
    startError_ = "folder " + programDir_ + ": " + (why.empty() ? std::string("the content failed validation") : why);
    services_.messages.showMessage(
        {kGuideTitle, kMissingContentMessage, MessageIcon::Error, MessageButtons::Ok});
    return false;
  }

  // 7.-8. The guide font.
  fontPath_ = shell::joinPath(programDir_, kGuideFontFile);
  services_.fonts.addFontFile(fontPath_);
  font_ = guideFont(services_.screen.dpiY());

  // 9. Page keys.
  pageKeys_.build(host_.objectCount(), [this](std::u16string_view name) { return host_.objectByName(name); });

  // 10. The viewers, created in one order and offered pages in another.
  history_.setListener([this](uint32_t object, const uint8_t* data, size_t length) {
    mainFrame_->navigate(object, data, length, true);
  });
  ViewerContext context{*mainFrame_, host_.database(), pageKeys_, history_, font_, services_, headingToggles_};
  for (const ViewerKind* kind : kinds_.inCreationOrder()) viewers_.emplace_back(kind, host_.createViewer(*kind, context));
  for (const ViewerKind* kind : kinds_.inOfferingOrder())
    if (Viewer* v = viewer(kind->name)) mainFrame_->registerViewer(v);

  // 11. The home page.
  mainFrame_->navigate(pageKeys_["home"], nullptr, 0, true);
  return true;
}

void Application::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  for (const ViewerKind* kind : kinds_.inDestructionOrder())
    for (auto& [k, v] : viewers_)
      if (k == kind) v.reset();
  services_.keyboard.setChangeListener(nullptr);
  if (contentOpen_) {
    host_.closeContent();
    contentOpen_ = false;
  }
  removeFontAndAnnounce(services_.fonts, fontPath_.empty() ? shell::joinPath(host_.programDirectory(), kGuideFontFile)
                                                           : fontPath_);
}

}  // namespace vantrel
