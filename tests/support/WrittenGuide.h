#pragma once
// The test suites' one guide-building fixture: a guide made with
// ContentWriter, written into a temporary folder and opened.
#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"

namespace vantrel::test {

class WrittenGuide {
 public:
  explicit WrittenGuide(const std::string& prefix = "vantrel-guide") : folder(prefix) {}

  // Writes the guide and opens it; false (with a test failure) when either fails.
  bool open(const ContentWriter& writer) {
    std::string error;
    if (!writer.write(folder.base(), &error)) {
      ADD_FAILURE() << "write: " << error;
      return false;
    }
    if (!db.open(folder.base())) {
      ADD_FAILURE() << "the written guide does not open";
      return false;
    }
    return true;
  }

  TempFolder folder;
  ContentDatabase db;
};

}  // namespace vantrel::test
