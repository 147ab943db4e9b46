#pragma once
// The reader started on a guide folder, as vantrel-guide starts it, on the
// offscreen platform: for benchmarks that drive the whole program.
#include <optional>
#include <string>

#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "core/platform/Settings.h"
#include "core/shell/Application.h"
#include "ui/shell/GuideHost.h"

namespace vantrel::bench {

struct StartedReader {
  explicit StartedReader(const std::string& dir)
      : settings(dir, std::nullopt),
        host(screen, dir),
        application(host, Services{screen, keyboard, settings, messages, fonts}) {
    started = application.startUp();
    if (started) host.connectCommands(application);
  }
  ~StartedReader() {
    if (host.mainWindow()) host.mainWindow()->setFrame(nullptr);
    application.shutDown();
  }

  QtScreen screen{96, 96, {240, 320}};
  DesktopKeyboard keyboard;
  FixedSettings settings;
  QtMessages messages{true};
  QtFontFiles fonts;
  GuideHost host;
  Application application;
  bool started = false;
};

}  // namespace vantrel::bench
