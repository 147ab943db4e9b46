#pragma once
// Page data: opaque bytes that travel with a navigation request. Whoever
// keeps them keeps a copy of exactly length bytes; length 0 keeps nothing.
#include <cstdint>
#include <vector>

namespace vantrel {

struct PageData {
  std::vector<uint8_t> bytes;

  PageData() = default;
  PageData(const uint8_t* data, size_t length) {
    if (data && length) bytes.assign(data, data + length);
  }
  const uint8_t* data() const { return bytes.empty() ? nullptr : bytes.data(); }
  size_t length() const { return bytes.size(); }
  bool sameAs(const uint8_t* data, size_t length) const {
    if (length != bytes.size()) return false;
    for (size_t i = 0; i < length; ++i)
      if (bytes[i] != data[i]) return false;
    return true;
  }
  bool operator==(const PageData&) const = default;
};

}  // namespace vantrel
