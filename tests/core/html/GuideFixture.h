#pragma once
// Small guides written with ContentWriter into a temporary folder and opened,
// for the page and tool tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "WrittenGuide.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/util/TextCodec.h"

namespace vantrel::test {

// A guide written into a temporary folder and opened (open(writer), db).
struct GuideFile : WrittenGuide {
  GuideFile() : WrittenGuide("vantrel-pages") {}
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
