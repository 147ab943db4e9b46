#pragma once
// Small guides written with ContentWriter into a temporary folder and opened,
// for the page and tool tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "content/ContentDatabase.h"
#include "content/ContentWriter.h"
#include "util/TextCodec.h"

namespace vantrel::test {

class GuideFile {
 public:
  GuideFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-pages-XXXXXX").string();
    if (mkdtemp(pattern.data())) dir_ = pattern;
  }
  ~GuideFile() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  GuideFile(const GuideFile&) = delete;
  GuideFile& operator=(const GuideFile&) = delete;

  // Writes the guide and opens it; false (with a test failure) when either fails.
  bool open(const ContentWriter& writer) {
    std::string error;
    const std::string base = dir_ + "/Qd07-Qd07";
    if (!writer.write(base, &error)) {
      ADD_FAILURE() << "write: " << error;
      return false;
    }
    if (!db.open(base)) {
      ADD_FAILURE() << "the written guide does not open";
      return false;
    }
    return true;
  }

  ContentDatabase db;

 private:
  std::string dir_;
};

// A node with a text.
inline ContentWriter::Handle addText(ContentWriter& w, ContentWriter::Handle parent, std::u16string type,
                                     std::u16string text) {
  const ContentWriter::Handle h = w.add(parent, std::move(type));
  w.setText(h, std::move(text));
  return h;
}

// A "link" child of parent leading to target.
inline ContentWriter::Handle addLink(ContentWriter& w, ContentWriter::Handle parent, ContentWriter::Handle target) {
  const ContentWriter::Handle h = w.add(parent, u"link");
  w.setLink(h, target);
  return h;
}

inline std::string u8(const std::u16string& s) { return toUtf8(s); }

}  // namespace vantrel::test
