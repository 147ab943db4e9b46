#pragma once
// Start-up and shutdown of the reader, in their fixed orders. The platform
// parts (the main window, the content database, the viewers' windows) are
// reached through ApplicationHost so that the sequence itself runs anywhere.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform/FontFiles.h"
#include "core/platform/KeyboardService.h"
#include "core/platform/MessageService.h"
#include "core/platform/ScreenInfo.h"
#include "core/platform/Settings.h"
#include "core/page/FrameWindow.h"
#include "core/shell/GuideFont.h"
#include "core/page/MainFrame.h"
#include "core/page/PageHistory.h"
#include "core/page/PageKeys.h"
#include "core/viewers/ViewerRegistry.h"
#include "core/tables/HeadingToggles.h"

namespace vantrel {

class ContentDatabase;

inline constexpr char16_t kMissingContentMessage[] = u"Database files are missing or damaged.";

struct Services {
  ScreenInfo& screen;
  KeyboardService& keyboard;
  Settings& settings;
  MessageService& messages;
  FontFiles& fonts;
};

// What a viewer receives when it is created.
struct ViewerContext {
  MainFrame& frame;
  const ContentDatabase* database;  // null when the host has none
  const PageKeys& pageKeys;
  PageHistory& history;
  const GuideFont& font;
  Services& services;
  // The reader's tables are one session: their heading colours carry on
  // from one table to the next.
  HeadingToggles& headingToggles;
};

class ApplicationHost {
 public:
  virtual ~ApplicationHost() = default;
  // Creates the main window; the frame window lays it out through the host.
  virtual FrameHost& createMainWindow() = 0;
  virtual void showMainWindow() = 0;
  // The folder holding the content, the user data and the font file.
  virtual std::string programDirectory() const = 0;
  // Carries the user data over from the previous edition's folder (empty:
  // there is none). The default runs the user-data migration.
  virtual void migrateUserData(const std::string& programDirectory, const std::string& previousDirectory);
  // Opens the content database at base path; answers whether it is valid
  // (an empty database still runs).
  virtual bool openContent(const std::string& basePath) = 0;
  // Why the last openContent failed (the file and the check); "" when unknown.
  virtual std::string contentError() const { return {}; }
  virtual const ContentDatabase* database() const = 0;
  virtual uint32_t objectCount() const = 0;
  virtual uint32_t objectByName(std::u16string_view name) const = 0;
  virtual void closeContent() = 0;
  // Creates one viewer of that kind; null for a viewer this build does not have.
  virtual std::unique_ptr<Viewer> createViewer(const ViewerKind& kind, ViewerContext& context) = 0;
};

namespace shell {
// Joins a folder and a file name with one separator.
std::string joinPath(const std::string& dir, std::string_view name);
// The content check: both the Data and the Strings file exist in dir and
// are longer than 77 bytes.
bool contentFilesPresent(const std::string& dir);
// What the content check finds wrong in dir ("<base>-Data.pdb is missing"),
// or "" when it passes.
std::string contentFilesProblem(const std::string& dir);
}  // namespace shell

class Application {
 public:
  // kinds: the viewers to create, by default every viewer the reader has.
  Application(ApplicationHost& host, Services services, const ViewerKinds& kinds = vantrel::viewerKinds());
  ~Application();

  // True when the program is to run, false when it is to end at once.
  bool startUp();
  // Runs once, after the message loop ended or after a refused start-up.
  void shutDown();

  MainFrame* mainFrame() { return mainFrame_.get(); }
  FrameWindow* frameWindow() { return frameWindow_.get(); }
  PageHistory& history() { return history_; }
  const PageKeys& pageKeys() const { return pageKeys_; }
  const GuideFont& font() const { return font_; }
  // The viewer of that name; null before start-up, after shutdown, or when
  // the host did not create it.
  Viewer* viewer(std::string_view name) const;
  const ViewerKinds& kinds() const { return kinds_; }
  // The viewers created, in creation order, with their kinds.
  const std::vector<std::pair<const ViewerKind*, std::unique_ptr<Viewer>>>& viewers() const { return viewers_; }
  // The screen's resolution now (it may change while the reader runs).
  int dpiX() const { return services_.screen.dpiX(); }
  int dpiY() const { return services_.screen.dpiY(); }
  bool shutDownDone() const { return shutDown_; }
  const std::string& programDirectory() const { return programDir_; }
  // After a refused start-up: which folder and file were missing or failed
  // which check, for the program to print.
  const std::string& startError() const { return startError_; }

 private:
  ApplicationHost& host_;
  Services services_;
  const ViewerKinds& kinds_;
  std::unique_ptr<FrameWindow> frameWindow_;
  std::unique_ptr<MainFrame> mainFrame_;
  PageHistory history_;
  PageKeys pageKeys_;
  GuideFont font_;
  HeadingToggles headingToggles_;
  std::string programDir_;
  std::string fontPath_;
  std::string startError_;
  bool contentOpen_ = false;
  bool shutDown_ = false;
  std::vector<std::pair<const ViewerKind*, std::unique_ptr<Viewer>>> viewers_;
};

}  // namespace vantrel
