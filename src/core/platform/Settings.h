#pragma once
// The two settings the reader reads: the install directory of this edition
// and of the previous one ("InstallDir"). Either may be missing.
#include <optional>
#include <string>

namespace vantrel {

class Settings {
 public:
  virtual ~Settings() = default;
  virtual std::optional<std::string> installDir() const = 0;
  virtual std::optional<std::string> previousInstallDir() const = 0;
};

class FixedSettings : public Settings {
 public:
  FixedSettings() = default;
  FixedSettings(std::optional<std::string> current, std::optional<std::string> previous)
      : current_(std::move(current)), previous_(std::move(previous)) {}
  std::optional<std::string> installDir() const override { return current_; }
  std::optional<std::string> previousInstallDir() const override { return previous_; }

 private:
  std::optional<std::string> current_, previous_;
};

}  // namespace vantrel
