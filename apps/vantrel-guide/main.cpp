// vantrel-guide: the Vantrel Guide reader.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <exception>
#include <cstring>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "ui/platform/IniSettings.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/platform/WindowPlacement.h"
#include "core/platform/Zoom.h"
#include "core/search/SearchIndex.h"
#include "core/shell/Application.h"
#include "ui/shell/GuideHost.h"
#include "ui/shell/ScriptRunner.h"
#include "core/util/ProgramMain.h"

using namespace vantrel;

namespace {

const char* kUsage =
    "Usage: vantrel-guide [OPTIONS]\n"
    "Reads a Vantrel Guide content database and shows it.\n"
    "\n"
    "Options:\n"
    "  --data DIR                 program directory: the content files, the user data and\n"
    "                             the guide font (default: the demo guide built or\n"
    "                             installed with the program)\n"
    "  --screen WxH               size of the emulated screen in pixels (default 240x320;\n"
    "                             without it an interactive start opens the window where\n"
    "                             it was last closed, the first time at two thirds of the\n"
    "                             desktop)\n"
    "  --dpi N                    dots per inch, both directions (default 96)\n"
    "  --dpi-x N, --dpi-y N       dots per inch in one direction\n"
    "  --zoom PERCENT             start zoomed (25 to 400; default: the zoom kept in the\n"
    "                             settings file, else 100); the zoom multiplies the dots\n"
    "                             per inch every layout uses\n"
    "  --settings FILE            settings file (INI) in place of the device registry\n"
    "  --install-dir DIR          this edition's install directory (where the content is checked)\n"
    "  --previous-install-dir DIR the previous edition's install directory\n"
    "  --script FILE              run the commands of FILE ('-' for standard input) on the\n"
    "                             offscreen platform; see docs/automation.md\n"
    "  -h, --help                 show this help\n"
    "\n"
    "Keyboard shortcuts:\n"
    "  Alt+Left                   back\n"
    "  Alt+Right                  forward\n"
    "  Alt+Home                   home\n"
    "  Ctrl+Q                     exit (asks first)\n"
    "  Ctrl++ (Ctrl+=), Ctrl+-    zoom in, zoom out (also Ctrl+wheel outside pictures)\n"
    "  Ctrl+0                     zoom back to 100 %\n"
    "  Escape                     closes the full-text dialog\n"
    "  Enter                      in a calculator field: calculate\n"
    "  Arrow keys, Page Up/Down   in a table: scroll the grid\n"
    "\n"
    "Exit status: 0 after a normal end, 1 when the content is missing or damaged,\n"
    "2 for bad options or a bad script line.\n";

// The offscreen platform warns about window-system features it lacks
// (raising windows, grabbing the keyboard for a popup); scripted runs do
// not need them, and the warnings would only clutter a script's output.
QtMessageHandler previousHandler = nullptr;
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
  if (previousHandler) previousHandler(type, context, message);
}

struct Options {
  QString data = QStringLiteral(VANTREL_DEFAULT_DATA_DIR);
  int screenW = 240, screenH = 320;
  bool screenGiven = false;
  int dpiX = 96, dpiY = 96;
  int zoom = 0;  // 0: the kept one
  QString settings;
  QString installDir, previousInstallDir;
  std::string script;
  bool scripted = false;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "vantrel-guide: %s\nTry 'vantrel-guide --help'.\n", message.c_str());
  return 2;
}

bool parseInt(const char* s, int min, int max, int& out) {
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < min || v > max) return false;
  out = static_cast<int>(v);
  return true;
}

// 0: go on; 1: --help shown; 2: error shown.
int parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return 1;
    }
    auto value = [&](std::string& out) -> bool {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--data" || a == "--settings" || a == "--install-dir" || a == "--previous-install-dir" ||
        a == "--script" || a == "--screen" || a == "--dpi" || a == "--dpi-x" || a == "--dpi-y" ||
        a == "--zoom") {
      if (!value(v)) {
        usageError(a + " needs a value");
        return 2;
      }
    } else if (a.rfind("-platform", 0) == 0 || a.rfind("--platform", 0) == 0) {
      ++i;  // Qt's own option, left to Qt
      continue;
    } else {
      std::fprintf(stderr, "vantrel-guide: unknown option '%s'. Try '--help'\n", a.c_str());
      return 2;
    }
    if (a == "--data") o.data = QString::fromStdString(v);
    else if (a == "--settings") o.settings = QString::fromStdString(v);
    else if (a == "--install-dir") o.installDir = QString::fromStdString(v);
    else if (a == "--previous-install-dir") o.previousInstallDir = QString::fromStdString(v);
    else if (a == "--script") {
      o.script = v;
      o.scripted = true;
    } else if (a == "--screen") {
      size_t x = v.find_first_of("xX");
      if (x == std::string::npos || !parseInt(v.substr(0, x).c_str(), 100, 10000, o.screenW) ||
          !parseInt(v.substr(x + 1).c_str(), 100, 10000, o.screenH)) {
        usageError("--screen takes WIDTHxHEIGHT, for example 240x320");
        return 2;
      }
      o.screenGiven = true;
    } else if (a == "--zoom") {
      std::string percent = v;
      if (!percent.empty() && percent.back() == '%') percent.pop_back();
      if (!parseInt(percent.c_str(), kMinZoom, kMaxZoom, o.zoom)) {
        usageError("--zoom takes a percentage from " + std::to_string(kMinZoom) + " to " + std::to_string(kMaxZoom));
        return 2;
      }
    } else {
      int dpi;
      if (!parseInt(v.c_str(), 48, 960, dpi)) {
        usageError(a + " takes a number from 48 to 960");
        return 2;
      }
      if (a != "--dpi-y") o.dpiX = dpi;
      if (a != "--dpi-x") o.dpiY = dpi;
    }
  }
  return 0;
}

bool readScript(const std::string& file, std::vector<std::string>& lines, std::string& why) {
  std::istream* in = &std::cin;
  std::ifstream f;
  if (file != "-") {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
      why = "it is a folder";
      return false;
    }
    f.open(file);
    if (!f) {
      why = std::strerror(errno);
      return false;
    }
    in = &f;
  }
  for (std::string line; std::getline(*in, line);) lines.push_back(line);
  return true;
}

}  // namespace

static int runProgram(int argc, char** argv) {
  vantrel::prepareIndexBuilds();  // before any thread starts
  Options o;
  if (int r = parseOptions(argc, argv, o)) return r == 1 ? 0 : 2;
  if (!o.settings.isEmpty() && QFileInfo(o.settings).isDir())
    return usageError("--settings names a folder, not a settings file: " + o.settings.toStdString());

  std::vector<std::string> script;
  if (o.scripted) {
    std::string why;
    if (!readScript(o.script, script, why)) {
      std::fprintf(stderr, "vantrel-guide: cannot read script %s: %s\n", o.script.c_str(), why.c_str());
      return 2;
    }
    // A scripted run needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietOffscreen);
  }

  QApplication qapp(argc, argv);
  QApplication::setApplicationName("vantrel-guide");
  // A scripted run's screenshots must not depend on when the text cursor last
  // blinked: it stays on.
  if (o.scripted) QApplication::setCursorFlashTime(0);
  // Without the guide's own font file its face is drawn in DejaVu Sans.
  QFont::insertSubstitution("PPC_Font2", "DejaVu Sans");

  // An installed reader finds its demo guide beside its program folder
  // (bin/../share/vantrel-guide/demo-guide) when the build's copy is gone.
  if (o.data == QStringLiteral(VANTREL_DEFAULT_DATA_DIR) && !QDir(o.data).exists()) {
    const QString installed = QCoreApplication::applicationDirPath() + "/../share/vantrel-guide/demo-guide";
    if (QDir(installed).exists()) o.data = installed;
  }
  const QString dataDir = QDir(o.data).absolutePath();
  // An interactive start without --screen opens where the window was last
  // closed (the first time at a size for the desktop); scripted runs and
  // --screen keep the emulated device's screen exactly.
  const QString settingsFile = o.settings.isEmpty() ? IniSettings::defaultFile() : o.settings;
  const bool placeWindow = !o.scripted && !o.screenGiven && QGuiApplication::primaryScreen();
  QRect placement;
  if (placeWindow) {
    placement = initialWindowGeometry(settingsFile, QGuiApplication::primaryScreen()->availableGeometry());
    o.screenW = placement.width();
    o.screenH = placement.height();
  }
  QtScreen screen(o.dpiX, o.dpiY, {o.screenW, o.screenH});
  // The zoom is kept in the settings file of an interactive run, and in the
  // one a scripted run names; a scripted run without --settings starts at
  // 100 % and keeps nothing, so runs stay independent of each other.
  const QString zoomFile = o.scripted && o.settings.isEmpty() ? QString() : settingsFile;
  screen.setZoom(o.zoom ? o.zoom : savedZoom(zoomFile));
  DesktopKeyboard keyboard;
  IniSettings settings(settingsFile, dataDir, o.installDir, o.previousInstallDir);
  QtMessages messages(o.scripted);
  QtFontFiles fonts;
  GuideHost host(screen, dataDir.toStdString());
  host.setZoomChangedHandler([zoomFile](int zoom) { saveZoom(zoomFile, zoom); });

  int status = 0;
  {
    Application app(host, Services{screen, keyboard, settings, messages, fonts});
    ScriptRunner runner(app, host, messages, keyboard, stdout, stderr);
    bool scriptExited = false;
    host.setQuitHandler([&] {
      if (o.scripted) {
        runner.markExited();
        scriptExited = true;
      } else {
        QApplication::quit();
      }
    });
    const bool started = app.startUp();
    host.connectCommands(app);
    if (MainWindow* w = host.mainWindow()) messages.setParent(w);
    if (!started) {
      if (!app.startError().empty())
        std::fprintf(stderr, "vantrel-guide: %s\n", app.startError().c_str());
      if (o.scripted) {
        runner.markExited();
        runner.printState();
      }
      status = 1;
    } else if (o.scripted) {
      if (MainWindow* w = host.mainWindow()) w->move(0, 0);
      status = runner.run(script);
    } else {
      if (MainWindow* w = host.mainWindow(); w && placeWindow) w->move(placement.topLeft());
      qapp.exec();
      if (MainWindow* w = host.mainWindow(); w && placeWindow) saveWindowGeometry(settingsFile, QRect(w->pos(), w->size()));
    }
    (void)scriptExited;
    if (MainWindow* w = host.mainWindow()) w->setFrame(nullptr);
    app.shutDown();
  }
  return status;
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-guide", runProgram, argc, argv); }
