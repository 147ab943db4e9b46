#include "shell/GuideHost.h"

#include "hierarchy/ContentsViewer.h"
#include "hierarchy/TightHierarchyViewer.h"
#include "popups/FootnotesViewer.h"
#include "tables/TableViewer.h"
#include "html/HtmlViewer.h"
#include "images/ImageViewer.h"
#include "lists/DualListViewer.h"
#include "lists/IndexViewer.h"
#include "lists/KeyViewer.h"
#include "tools/CalculatorViewer.h"
#include "search/SearchViewer.h"

#include <QPrintDialog>
#include <QPrinter>

#include "export/PagePrinter.h"
#include "shell/MainFrame.h"

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

std::unique_ptr<Viewer> GuideHost::createViewer(ViewerId id, ViewerContext& ctx) {
  switch (id) {
    case ViewerId::Chrome:
      if (!historyHost_) {
        historyHost_ = new MenuHost(window_.get(), screen_.dpiX(), screen_.dpiY(), &ctx.services.fonts,
                                    shell::joinPath(programDir_, kGuideFontFile));
        window_->commandBar()->setHistoryHost(historyHost_);
      }
      return std::make_unique<Tracked<QtChromeViewer>>(
          &chrome_, ctx.frame, ctx.pageKeys, ctx.history, ctx.services.messages, *window_->commandBar(),
          [this] {
            if (quit_) quit_();
          },
          window_->pageArea(), screen_, ctx.services.keyboard, ctx.database, programDir_);
    case ViewerId::Home:
      return std::make_unique<Tracked<QtHomeViewer>>(&home_, ctx.frame, ctx.pageKeys, window_->pageArea(), screen_);
    case ViewerId::Table:
      if (!ctx.database) return nullptr;
      return std::make_unique<TableViewer>(*ctx.database, ctx.frame, window_->pageArea(), window_.get(),
                                           screen_.dpiX(), screen_.dpiY());
    case ViewerId::Footnotes:
      if (!ctx.database) return nullptr;
      return std::make_unique<FootnotesViewer>(*ctx.database, ctx.frame, window_->pageArea(), window_.get(),
                                               screen_.dpiX(), screen_.dpiY());
    case ViewerId::Html:
      if (!ctx.database) return nullptr;
      return std::make_unique<QtHtmlViewer>(*ctx.database, ctx.frame, ctx.pageKeys, window_->pageArea(),
                                            screen_.dpiX(), screen_.dpiY());
    case ViewerId::Calculator:
      if (!ctx.database) return nullptr;
      return std::make_unique<QtCalculatorViewer>(*ctx.database, ctx.frame, ctx.pageKeys, window_->pageArea(),
                                                  screen_.dpiX(), screen_.dpiY(), ctx.services.keyboard,
                                                  ctx.services.messages);
    case ViewerId::Contents:
      if (!ctx.database) return nullptr;
      return std::make_unique<ContentsViewer>(*ctx.database, ctx.frame, ctx.pageKeys["toc"], window_->pageArea(),
                                              screen_.dpiX(), screen_.dpiY());
    case ViewerId::TightHierarchy: {
      if (!ctx.database) return nullptr;
      // The field-jump list's host, a child of the main window like the history list's.
      auto* fieldList = new MenuHost(window_.get(), screen_.dpiX(), screen_.dpiY(), &ctx.services.fonts,
                                     shell::joinPath(programDir_, kGuideFontFile));
      return std::make_unique<TightHierarchyViewer>(*ctx.database, ctx.frame, window_->pageArea(), fieldList,
                                                    screen_.dpiX(), screen_.dpiY());
    }
    case ViewerId::Image:
      if (!ctx.database) return nullptr;
      return std::make_unique<ImageViewer>(*ctx.database, ctx.frame, ctx.pageKeys, window_->pageArea(),
                                           window_.get(), screen_);
    case ViewerId::IndexSearch:
      if (!ctx.database) return nullptr;
      return std::make_unique<QtIndexViewer>(*ctx.database, ctx.frame, ctx.pageKeys, ctx.history, window_->pageArea(),
                                             window_.get(), screen_.dpiX(), screen_.dpiY(), ctx.services.keyboard,
                                             screen_);
    case ViewerId::Key:
      if (!ctx.database) return nullptr;
      return std::make_unique<QtKeyViewer>(*ctx.database, ctx.frame, ctx.pageKeys, window_->pageArea(),
                                           screen_.dpiX(), screen_.dpiY(), ctx.services.keyboard, screen_);
    case ViewerId::DualList:
      if (!ctx.database) return nullptr;
      return std::make_unique<QtDualListViewer>(*ctx.database, ctx.frame, window_->pageArea(), window_.get(), screen_,
                                                screen_.dpiX(), screen_.dpiY());
    case ViewerId::Search:
      if (!ctx.database) return nullptr;
      return std::make_unique<SearchViewer>(*ctx.database, ctx.frame, ctx.pageKeys, ctx.history, window_->pageArea(),
                                            programDir_, screen_.dpiX(), screen_.dpiY());
    default:
      return nullptr;
  }
}

void GuideHost::connectCommands(Application& app) {
  if (!window_) return;
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
