#pragma once
// The reader started on a guide folder, as vantrel-guide starts it, on the
// offscreen platform: for benchmarks that drive the whole program.
#include <optional>
#include <string>

#include "platform/KeyboardService.h"
#include "platform/QtFontFiles.h"
#include "platform/QtMessages.h"
#include "platform/QtScreen.h"
#include "platform/Settings.h"
#include "shell/Application.h"
#include "shell/GuideHost.h"

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
