#pragma once
// Helpers for the user-data tests: a scratch folder, whole-file reads and
// writes, and a content stand-in with a table of persistent ids.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "core/userdata/ContentIds.h"
#include "core/userdata/IndexedRecordStore.h"

namespace vantrel::testing {

struct ScratchDir : test::TempFolder {
  ScratchDir() : TempFolder("vantrel-userdata") {}
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string le32(uint32_t v) {
  std::string s;
  appendLe32(s, v);
  return s;
}

// An index file written by hand: (offset, length) pairs.
inline std::string indexBytes(std::initializer_list<std::pair<uint32_t, uint32_t>> entries) {
  std::string s;
  for (auto [o, l] : entries) s += le32(o) + le32(l);
  return s;
}

inline std::string bytesOf(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// Persistent ids by object index; objects not listed have id 0.
class FakeIds : public ContentIds {
 public:
  FakeIds(uint32_t objectCount, std::map<ObjectIndex, uint32_t> ids) : count_(objectCount), ids_(std::move(ids)) {}
  ObjectIndex findById(uint32_t id) const override {
    for (auto [object, i] : ids_) {
      if (i == id && id != 0) return object;
    }
    return 0;
  }
  uint32_t persistentId(ObjectIndex object) const override {
    auto it = ids_.find(object);
    return (object < count_ && it != ids_.end()) ? it->second : 0;
  }
  uint32_t objectCount() const override { return count_; }
  void drop(ObjectIndex object) { ids_.erase(object); }

 private:
  uint32_t count_;
  std::map<ObjectIndex, uint32_t> ids_;
};

}  // namespace vantrel::testing
