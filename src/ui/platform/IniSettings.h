#pragma once
// Settings read from an INI file in place of the device's registry:
//   [Qd07]
//   InstallDir=/path/to/this/edition
//   [Qd06]
//   InstallDir=/path/to/the/previous/edition
// Values given on the command line take precedence. When nothing names this
// edition's install directory it is the program directory; when nothing
// names the previous edition's there is none.
#include <QString>

#include "core/platform/Settings.h"

namespace vantrel {

class IniSettings : public Settings {
 public:
  // Reads file (missing: no values), then applies the overrides (empty: none).
  IniSettings(const QString& file, const QString& programDir, const QString& installOverride,
              const QString& previousOverride);
  std::optional<std::string> installDir() const override { return current_; }
  std::optional<std::string> previousInstallDir() const override { return previous_; }
  // The file read when --settings names none.
  static QString defaultFile();

 private:
  std::optional<std::string> current_, previous_;
};

}  // namespace vantrel
