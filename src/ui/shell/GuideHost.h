#pragma once
// The reader's platform side for start-up: the main window, the content
// database and the viewers' Qt windows.
#include <QString>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "ui/platform/QtScreen.h"
#include "core/shell/Application.h"
#include "core/chrome/ChromeViewer.h"
#include "ui/shell/HomeWindow.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ViewerFactories.h"
#include "ui/userdata/QtChromeViewer.h"

namespace vantrel {

class GuideHost : public ApplicationHost {
 public:
  GuideHost(QtScreen& screen, std::string programDir);
  ~GuideHost() override;

  FrameHost& createMainWindow() override;
  void showMainWindow() override;
  std::string programDirectory() const override { return programDir_; }
  bool openContent(const std::string& basePath) override;
  std::string contentError() const override { return database_ ? database_->openError() : std::string(); }
  const ContentDatabase* database() const override { return database_.get(); }
  uint32_t objectCount() const override { return database_ ? database_->objectCount() : 0; }
  uint32_t objectByName(std::u16string_view name) const override {
    return database_ ? database_->objectByName(name) : 0;
  }
  void closeContent() override { database_.reset(); }
  std::unique_ptr<Viewer> createViewer(const ViewerKind& kind, ViewerContext& context) override;
  // What a viewer this host made offers scripted runs; none for any other.
  ViewerCapabilities capabilities(const Viewer* viewer) const;
  // The shell's own viewers, which the host keeps track of.
  std::unique_ptr<QtChromeViewer> makeChrome(ViewerContext& context);
  std::unique_ptr<QtHomeViewer> makeHome(ViewerContext& context);

  // Called when the user confirmed exit.
  void setQuitHandler(std::function<void()> quit) { quit_ = std::move(quit); }
  // Wires the window's bar and shortcuts to the chrome viewer once the
  // application has started; safe to call when start-up was refused.
  void connectCommands(Application& app);

  // Zooms the whole reader to percent (clamped to what it accepts): every
  // layout reads the zoomed resolution, and the page shown is laid out again
  // in place. Tells the zoom handler when the zoom changed.
  void setZoom(int percent);
  int zoom() const { return screen_.zoom(); }
  void setZoomChangedHandler(std::function<void(int)> handler) { zoomChanged_ = std::move(handler); }

  MainWindow* mainWindow() const { return window_.get(); }
  QtChromeViewer* chrome() const { return chrome_; }
  QtHomeViewer* home() const { return home_; }

 private:
  QtScreen& screen_;
  std::string programDir_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<ContentDatabase> database_;
  QtChromeViewer* chrome_ = nullptr;
  QtHomeViewer* home_ = nullptr;
  MenuHost* historyHost_ = nullptr;  // child of the main window
  std::vector<std::pair<const Viewer*, ViewerCapabilities>> capabilities_;
  std::function<void()> quit_;
  std::function<void(int)> zoomChanged_;
};

}  // namespace vantrel
