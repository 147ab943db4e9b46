#pragma once
// The commands that draw with Qt (markup pictures, PDF) need a
// QGuiApplication; vantrel-dump starts one only for them, offscreen unless
// the caller chose a platform.
#include <optional>

#include <QGuiApplication>

namespace vantrel::dump {

// Starts the application in `app` unless one is running; it lives as long as `app`.
inline void startGuiApplication(std::optional<QGuiApplication>& app) {
  if (QGuiApplication::instance()) return;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vantrel-dump";
  static char* argv[] = {name, nullptr};
  app.emplace(argc, argv);
}

}  // namespace vantrel::dump
