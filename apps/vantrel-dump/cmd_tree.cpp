// vantrel-dump commands on hierarchies: which tree viewer takes an object,
// its entries as that viewer's source lists them and the path down to it;
// and the fields page of a tight hierarchy entry.
#include <string>
#include <vector>

#include "DumpCommand.h"
#include "core/content/ContentCursor.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentQueries.h"
#include "core/hierarchy/ContentsModel.h"
#include "core/hierarchy/FieldsPage.h"
#include "core/hierarchy/HierarchySource.h"
#include "core/hierarchy/TightHierarchyModel.h"

namespace vantrel::dump {
namespace {

void tree(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 1, "tree I");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = objectArg(db, ctx.args[0]);
  const ObjectIndex toc = db.objectByName(u"TOC");
  const HierarchySourceKind kind = contentsSourceFor(db, x, toc);
  nlohmann::json acceptedBy = nullptr;
  if (kind != HierarchySourceKind::None) {
    acceptedBy = "contents";
  } else if (tightHierarchyTableOf(db, x) != 0) {
    acceptedBy = "tightHierarchy";
  }
  BasicHierarchySource basic(db);
  TightCrtHierarchySource tightCrt(db);
  const HierarchySource& source =
      kind == HierarchySourceKind::TightCrt ? static_cast<const HierarchySource&>(tightCrt) : basic;

  nlohmann::json children = nlohmann::json::array();
  std::string childLines;
  for (const HierarchyEntry& e : source.listChildren(x)) {
    const bool leaf = source.isLeaf(e.object);
    const uint32_t count = source.childCount(e.object);
    children.push_back({{"text", jsonText(e.text)}, {"object", e.object}, {"leaf", leaf}, {"childCount", count}});
    childLines += "\n  " + std::to_string(e.object) + (leaf ? " leaf " : " branch ") + std::to_string(count) + " " +
                  utf8(e.text);
  }
  nlohmann::json path = nlohmann::json::array();
  for (ObjectIndex p : source.pathTo(x)) path.push_back(p);
  setOrdered(out, {{"object", x},
                   {"acceptedBy", acceptedBy},
                   {"source", kind == HierarchySourceKind::TightCrt ? "tightCrt" : "basic"},
                   {"children", children},
                   {"path", path}});
  // The readable form lists the entries one per line.
  std::string plain;
  plain += "object: " + std::to_string(x) + "\n";
  plain += "acceptedBy: " + (acceptedBy.is_null() ? std::string("(none)") : acceptedBy.get<std::string>()) + "\n";
  plain += std::string("source: ") + (kind == HierarchySourceKind::TightCrt ? "tightCrt" : "basic") + "\n";
  plain += "children: " + std::to_string(children.size()) + childLines + "\n";
  plain += "path:";
  for (const auto& p : path) plain += " " + std::to_string(p.get<uint32_t>());
  out.plain = plain + "\n";
}

// The object's table (itself when it has a "table type" child, else its
// nearest "table" ancestor) when that table has "field name" children; 0 otherwise.
ObjectIndex tableWithFieldNames(const ContentDatabase& db, ObjectIndex x) {
  ContentCursor c;
  if (!c.open(db, x)) return 0;
  if (!hasChildOfType(db, x, u"table type") && !c.toAncestorOfType(u"table")) return 0;
  return hasChildOfType(db, c.index(), u"field name") ? c.index() : 0;
}

void fields(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 1, "fields I");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = objectArg(db, ctx.args[0]);
  const ObjectIndex table = tableWithFieldNames(db, x);
  if (table == 0) throw Failure{"object " + ctx.args[0] + " lies in no table with field names"};
  FieldsPage page(db);
  page.prepareFieldNames(table);
  const std::u16string html = page.buildFieldsPage(x);
  nlohmann::json names = nlohmann::json::array();
  for (const FieldName& n : page.fieldNames()) names.push_back(jsonText(n.text));
  out.result = nlohmann::json::object();
  out.result["html"] = jsonText(html);
  out.result["fieldNames"] = names;
  out.plain = utf8(html) + "\n";
}

const DumpRegistration kCommands[] = {
    DumpRegistration{{"tree", "tree I",
                      "object I as the tree viewers see it: which one takes it (contents, tightHierarchy or none), "
                      "the source the contents viewer would use (basic or tightCrt), the entries under it (text, "
                      "object, leaf, childCount) and the path from its hierarchy's container down to it",
                      true, tree}},
    DumpRegistration{{"fields", "fields I",
                      "the fields page of entry I with its table's field names, and those names in order",
                      true, fields}},
};

}  // namespace
}  // namespace vantrel::dump
