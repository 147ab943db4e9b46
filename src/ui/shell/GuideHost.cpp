#include "ui/shell/GuideHost.h"

#include <QPrintDialog>
#include <QPrinter>

#include "ui/export/PagePrinter.h"
#include "ui/platform/Rescale.h"
#include "core/platform/Zoom.h"
#include "core/page/MainFrame.h"
#include "ui/tables/MarkupMenu.h"

namespace vantrel {

namespace {
// The chrome viewer and the Home viewer forget their window pointers in the
// host when the application destroys them.
template <typename V>
struct Tracked : V {
  template <typename... A>
  explicit Tracked(V** slot, A&&... args) : V(std::forward<A>(args)...), slot(slot) {
    *slot = this;
  }
  ~Tracked() override { *slot = nullptr; }
  V** slot;
};
}  // namespace

GuideHost::GuideHost(QtScreen& screen, std::string programDir) : screen_(screen), programDir_(std::move(programDir)) {}

GuideHost::~GuideHost() = default;

FrameHost& GuideHost::createMainWindow() {
  window_ = std::make_unique<MainWindow>(screen_);
  return *window_;
}

void GuideHost::showMainWindow() { window_->show(); }

bool GuideHost::openContent(const std::string& basePath) {
  database_ = std::make_unique<ContentDatabase>();
  return database_->open(basePath);
}

std::unique_ptr<Viewer> GuideHost::createViewer(const ViewerKind& kind, ViewerContext& ctx) {
  const ViewerFactory* factory = viewerFactories().find(kind.name);
  if (!factory || !window_) return nullptr;
  ViewerPlatform platform{*this, *window_, screen_, programDir_};
  MadeViewer made = (*factory)(ctx, platform);
  if (!made.viewer) return nullptr;
  for (auto it = capabilities_.begin(); it != capabilities_.end();)
    it = it->first == made.viewer.get() ? capabilities_.erase(it) : it + 1;
  capabilities_.emplace_back(made.viewer.get(), made.capabilities);
  return std::move(made.viewer);
}

ViewerCapabilities GuideHost::capabilities(const Viewer* viewer) const {
  if (viewer)
    for (const auto& [v, c] : capabilities_)
      if (v == viewer) return c;
  return {};
}

std::unique_ptr<QtChromeViewer> GuideHost::makeChrome(ViewerContext& ctx) {
  if (!historyHost_) {
    historyHost_ = new MenuHost(window_.get(), ScreenDpi(screen_), &ctx.services.fonts,
                                shell::joinPath(programDir_, kGuideFontFile));
    window_->commandBar()->setHistoryHost(historyHost_);
  }
  return std::make_unique<Tracked<QtChromeViewer>>(
      &chrome_, ctx.frame, ctx.pageKeys, ctx.history, ctx.services.messages, *window_->commandBar(),
      [this] {
        if (quit_) quit_();
      },
      window_->pageArea(), screen_, ctx.services.keyboard, ctx.database, programDir_);
}

std::unique_ptr<QtHomeViewer> GuideHost::makeHome(ViewerContext& ctx) {
  return std::make_unique<Tracked<QtHomeViewer>>(&home_, ctx.frame, ctx.pageKeys, window_->pageArea(), screen_);
}

void registerShellViewerFactories(ViewerFactories& factories) {
  factories.add("chrome", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer { return p.host.makeChrome(ctx); });
  factories.add("home", [](ViewerContext& ctx, ViewerPlatform& p) -> MadeViewer { return p.host.makeHome(ctx); });
}

void GuideHost::setZoom(int percent) {
  percent = clampZoom(percent);
  if (percent == screen_.zoom()) return;
  screen_.setZoom(percent);
  if (!window_) return;
  window_->closePopups();
  window_->rescaleAll([this] {
    for (const auto& [viewer, c] : capabilities_)
      if (c.rescale) c.rescale->rescale();
  });
  if (zoomChanged_) zoomChanged_(percent);
}

void GuideHost::connectCommands(Application& app) {
  if (!window_) return;
  window_->setZoomHandler([this](MainWindow::ZoomKey z) {
    switch (z) {
      case MainWindow::ZoomKey::In: setZoom(nextZoom(screen_.zoom(), 1)); break;
      case MainWindow::ZoomKey::Out: setZoom(nextZoom(screen_.zoom(), -1)); break;
      case MainWindow::ZoomKey::Reset: setZoom(kNoZoom); break;
      case MainWindow::ZoomKey::None: break;
    }
  });
  CommandBarWidget* bar = window_->commandBar();
  bar->setCommandHandler([this](int command) {
    if (chrome_) chrome_->command(command);
  });
  bar->setHistoryHandler([this](uint32_t index) {
    if (chrome_) chrome_->historyChosen(index);
  });
  window_->setShortcutHandler([bar](int command) { bar->trigger(command); });
  window_->setPrintHandler([this, &app] {
    MainFrame* frame = app.mainFrame();
    if (!frame || !database_) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, window_.get());
    dialog.setWindowTitle(QStringLiteral("Print"));
    if (dialog.exec() != QDialog::Accepted) return;
    PrintSettings settings;
    settings.screen = screen_.screenSize();
    settings.dpi = screen_.dpiX();
    printPage(*database_, frame->currentObject(), printer, settings);
  });
  if (app.frameWindow()) window_->setFrame(app.frameWindow());
}

}  // namespace vantrel
