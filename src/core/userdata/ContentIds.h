#pragma once
// What the bookmark list needs of the content: persistent ids in both
// directions and the object count. DatabaseIds answers from a ContentDatabase;
// tests may answer from a table.
#include <cstdint>

#include "core/content/ContentDatabase.h"

namespace vantrel {

struct ContentIds {
  virtual ~ContentIds() = default;
  // Object with this persistent id; 0 when none.
  virtual ObjectIndex findById(uint32_t id) const = 0;
  // Persistent id of the object; 0 for page-key objects and unknown indexes.
  virtual uint32_t persistentId(ObjectIndex object) const = 0;
  virtual uint32_t objectCount() const = 0;
};

class DatabaseIds final : public ContentIds {
 public:
  explicit DatabaseIds(const ContentDatabase& database) : database_(database) {}
  ObjectIndex findById(uint32_t id) const override;
  uint32_t persistentId(ObjectIndex object) const override;
  uint32_t objectCount() const override;

 private:
  const ContentDatabase& database_;
};

}  // namespace vantrel
