#include "core/userdata/ContentIds.h"

namespace vantrel {

ObjectIndex DatabaseIds::findById(uint32_t id) const {
  if (id == 0) return 0;
  return database_.findById(id);
}

uint32_t DatabaseIds::persistentId(ObjectIndex object) const {
  ObjectEntry entry;
  if (object >= database_.objectCount() || !database_.readEntry(object, entry)) return 0;
  return entry.id;
}

uint32_t DatabaseIds::objectCount() const { return database_.objectCount(); }

}  // namespace vantrel
