#include "core/hierarchy/FieldsPage.h"

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"

namespace vantrel {

void FieldsPage::prepareFieldNames(ObjectIndex table) {
  names_.clear();
  table_ = table;
  ContentCursor c;
  if (!c.open(db_, table)) return;
  std::vector<ObjectEntry> children;
  c.collectChildren(children, u"field name", 0);
  for (const ObjectEntry& e : children) {
    FieldName n;
    textOf(db_, e.index, n.text);
    names_.push_back(std::move(n));
  }
}

std::u16string FieldsPage::buildFieldsPage(ObjectIndex entry) {
  std::u16string out(kFieldsPageOpen);
  ContentCursor c;
  if (c.open(db_, entry)) {
    if (showEntryText_) {
      std::u16string text;
      c.text(text);
      out.append(text).append(u"<BR><BR>");
    }
    std::vector<ObjectEntry> fields;
    c.collectChildren(fields, u"field", 0);
    // A field past the last name is outside the content's rules: no page part.
    for (size_t i = 0; i < fields.size() && i < names_.size(); ++i) {
      const ObjectEntry& f = fields[i];
      if (f.value == 0) continue;
      out.append(u"<B><A NAME=");
      appendDecimal(out, f.index);
      out.append(u">").append(names_[i].text).append(u"</A></B>");
      names_[i].field = f.index;
      if (!names_[i].text.empty()) out.append(u"<BR>");
      std::u16string text;
      textOf(db_, f.index, text);
      out.append(text).append(u"<BR>");
    }
  }
  out.append(kFieldsPageClose);
  return out;
}

std::vector<std::pair<std::u16string, ObjectIndex>> FieldsPage::filledNames() const {
  std::vector<std::pair<std::u16string, ObjectIndex>> out;
  for (const FieldName& n : names_)
    if (!n.text.empty() && n.field != 0) out.emplace_back(n.text, n.field);
  return out;
}

}  // namespace vantrel
