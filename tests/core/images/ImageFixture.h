#pragma once
// Image blobs built byte by byte, and a small guide of image objects written
// with ContentWriter into a temporary folder.
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "WrittenGuide.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"

namespace vantrel::test {

struct VariantFile {
  uint16_t width = 0, height = 0;
  std::vector<uint8_t> bytes;
};

// A blob of the given variants, offsets as they should be.
inline std::vector<uint8_t> imageBlob(const std::vector<VariantFile>& variants) {
  std::vector<uint8_t> out{static_cast<uint8_t>(variants.size())};
  uint32_t offset = 1 + 11 * static_cast<uint32_t>(variants.size());
  for (const VariantFile& v : variants) {
    const uint8_t d[11] = {0, 0, uint8_t(v.width >> 8), uint8_t(v.width), uint8_t(v.height >> 8), uint8_t(v.height),
                           0, uint8_t(offset >> 24), uint8_t(offset >> 16), uint8_t(offset >> 8), uint8_t(offset)};
    out.insert(out.end(), d, d + 11);
    offset += static_cast<uint32_t>(v.bytes.size());
  }
  for (const VariantFile& v : variants) out.insert(out.end(), v.bytes.begin(), v.bytes.end());
  return out;
}

// Overwrites the offset of descriptor i.
inline void setOffset(std::vector<uint8_t>& blob, size_t i, uint32_t offset) {
  uint8_t* d = blob.data() + 1 + 11 * i + 7;
  d[0] = uint8_t(offset >> 24);
  d[1] = uint8_t(offset >> 16);
  d[2] = uint8_t(offset >> 8);
  d[3] = uint8_t(offset);
}

inline std::vector<uint8_t> filler(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
  return v;
}

struct ImageTempFolder : TempFolder {
  ImageTempFolder() : TempFolder("vantrel-images") {}
};

// Image objects under a "Figures" table, each given by name:
//   a caption (markup allowed), a blob on a "data" child or on the object
//   itself, and an optional note.
struct ImageGuide : WrittenGuide {
  struct Figure {
    std::u16string name, caption;
    std::vector<uint8_t> blob;
    std::u16string note;  // empty: no note child
    bool blobOnObject = false;
  };

  explicit ImageGuide(const std::vector<Figure>& figures) : WrittenGuide("vantrel-images") {
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    const H table = w.add(0, u"table");
    w.setText(table, u"Figures");
    handles[u"Figures"] = table;
    const H about = w.add(0, u"table");
    w.setText(about, u"About");
    w.setName(about, u"AboutKORVAX");
    handles[u"about"] = about;
    for (const Figure& f : figures) {
      const H img = w.add(table, u"image");
      w.setText(img, f.caption);
      handles[f.name] = img;
      if (f.blobOnObject) {
        w.setBlob(img, f.blob);
      } else {
        w.setBlob(w.add(img, u"data"), f.blob);
      }
      if (!f.note.empty()) w.setText(w.add(img, u"note"), f.note);
    }
    const H other = w.add(table, u"footnote");
    w.setText(other, u"not a picture");
    handles[u"footnote"] = other;
    std::string error;
    ok = w.write(folder.base(), &error) && db.open(folder.base());  // a failure is the test's to report
    if (ok)
      for (auto& [name, h] : handles) indexes[name] = w.indexOf(h);
  }

  ObjectIndex operator[](const std::u16string& name) const { return indexes.at(name); }

  bool ok = false;
  std::map<std::u16string, ContentWriter::Handle> handles;
  std::map<std::u16string, ObjectIndex> indexes;
};

}  // namespace vantrel::test
