#include "core/lists/IndexSource.h"

#include "core/lists/PagedListModel.h"
#include "core/richtext/MarkupRenderer.h"

namespace vantrel {

void IndexSource::bind(const ContentDatabase* database, ObjectIndex object, std::u16string_view typeName) {
  db_ = database;
  object_ = object;
  first_ = 0;
  count_ = 0;
  type_ = database ? database->typeNumber(typeName) : kNoType;
  if (!database || type_ == kNoType) return;
  ObjectEntry parent;
  if (!database->readEntry(object, parent)) return;
  first_ = database->findGroup(object, type_);
  ObjectEntry head;
  if (first_ == 0 || !database->readEntry(first_, head)) {
    first_ = 0;
    return;
  }
  // A run claiming more entries than the table holds is cut at its end.
  count_ = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(head.run) + 1, database->objectCount() - first_));
}

Item IndexSource::itemAt(uint32_t i) const {
  Item item;
  if (!db_ || i >= count_) return item;
  ObjectEntry e;
  if (!db_->readEntry(first_ + i, e) || e.parent != object_ || e.type != type_) return item;
  item.data = e.index;
  const auto& kinds = db_->kindNames();
  if (e.valueKind < kinds.size() && kinds[e.valueKind] == u"string") item.text = db_->readString(e.value);
  return item;
}

int64_t searchRows(const ItemSource& source, std::u16string_view text, bool plainText) {
  const int64_t count = source.itemCount();
  if (text.empty() || count == 0) return -1;
  auto rowText = [&](int64_t row) {
    std::u16string t = source.itemAt(static_cast<uint32_t>(row)).text;
    return plainText ? MarkupRenderer::stripAllTags(t) : t;
  };
  int64_t lo = 0, hi = count - 1, b = 0;
  while (lo <= hi) {
    b = (lo + hi) / 2;
    if (comparePrefixNoCase(rowText(b), text) < 0) lo = b + 1;
    else hi = b - 1;
  }
  // The last probe may stop one row short of the first match.
  if (comparePrefixNoCase(rowText(b), text) != 0 && b < count - 1 && comparePrefixNoCase(rowText(b + 1), text) == 0)
    b = b + 1;
  return b;
}

}  // namespace vantrel
