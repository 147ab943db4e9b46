#pragma once
// The test suites' one temporary folder: a fresh, empty folder under the
// system's temporary directory, removed with everything in it when the
// object goes. base() is where a guide's content files go.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "core/content/ContentFormat.h"

namespace vantrel::test {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "vantrel-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (path_.empty()) return;
    // A test may have taken the write permission away.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // A file or folder name inside it.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string operator/(const std::string& name) const { return file(name); }
  // The content files' base path in it.
  std::string base() const { return file(kContentBaseName); }

 private:
  std::string path_;
};

}  // namespace vantrel::test
