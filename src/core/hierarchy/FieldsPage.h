#pragma once
// The fields page of a tight hierarchy entry: each non-empty "field" of the
// entry under its bold field name (the table's "field name" children, by
// position), every name an anchor named after its field's object index so
// that the field-jump list can scroll to it.
#include <string>
#include <utility>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/page/PageSource.h"

namespace vantrel {

inline constexpr std::u16string_view kFieldsPageOpen = u"<HTML><BODY><FONT FACE='PPC_font2'>";
inline constexpr std::u16string_view kFieldsPageClose = u"</FONT></BODY></HTML>";

struct FieldName {
  std::u16string text;
  ObjectIndex field = 0;  // the field that last filled this name; 0 before any
  bool operator==(const FieldName&) const = default;
};

class FieldsPage : public PageSource {
 public:
  explicit FieldsPage(const ContentDatabase& database) : db_(database) {}

  std::u16string pageText(ObjectIndex entry) override { return buildFieldsPage(entry); }

  // The list becomes the table's "field name" texts, in order, none filled.
  void prepareFieldNames(ObjectIndex table);
  // The page for entry; every name a field fills takes that field's index.
  std::u16string buildFieldsPage(ObjectIndex entry);

  // The names with a text that the last page built filled, in order, each
  // with its field's object index: what the field-jump list offers.
  std::vector<std::pair<std::u16string, ObjectIndex>> filledNames() const;

  const std::vector<FieldName>& fieldNames() const { return names_; }
  ObjectIndex preparedTable() const { return table_; }
  void setShowEntryText(bool on) { showEntryText_ = on; }
  bool showEntryText() const { return showEntryText_; }

 private:
  const ContentDatabase& db_;
  bool showEntryText_ = false;
  ObjectIndex table_ = 0;
  std::vector<FieldName> names_;
};

}  // namespace vantrel
