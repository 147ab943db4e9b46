// vantrel-dump commands on the lists: the row the index and the
// abbreviations key select for a typed text, and the counterpart a
// dual-list entry selects in the other list.
#include <string>

#include "DumpCommand.h"
#include "core/content/ContentQueries.h"
#include "core/lists/ListViewerModels.h"
#include "core/page/PageKeys.h"
#include "core/util/TextCodec.h"

namespace vantrel::dump {
namespace {

PageKeys keysOf(const ContentDatabase& db) {
  PageKeys keys;
  keys.build(db.objectCount(), [&db](std::u16string_view name) { return db.objectByName(name); });
  return keys;
}

// The words after the command, joined by single spaces: the typed text.
std::u16string typedText(const DumpContext& ctx, const char* usage) {
  if (ctx.args.empty()) throw UsageError{std::string("usage: ") + usage + " (an empty TEXT is written \"\")"};
  std::string joined;
  for (size_t i = 0; i < ctx.args.size(); ++i) joined += (i ? " " : "") + ctx.args[i];
  return fromUtf8(joined);
}

void searchResult(DumpOutput& out, ObjectIndex object, const IndexSource& source, int64_t row,
                  std::vector<std::pair<std::string, nlohmann::json>> extra) {
  nlohmann::json text = nullptr, target = nullptr;
  if (row >= 0) {
    const Item item = source.itemAt(static_cast<uint32_t>(row));
    text = jsonText(item.text);
    target = item.data;
  }
  std::vector<std::pair<std::string, nlohmann::json>> fields = {
      {"object", object}, {"rows", source.itemCount()}, {"row", row}, {"text", text}, {"target", target}};
  for (auto& e : extra) fields.push_back(std::move(e));
  setOrdered(out, fields);
}

void indexSearch(DumpContext& ctx, DumpOutput& out) {
  const ContentDatabase& db = validDatabase(ctx);
  const std::u16string text = typedText(ctx, "index-search TEXT");
  const PageKeys keys = keysOf(db);
  if (keys["index"] == 0) throw Failure{"the guide has no index (no object is named INDEX)"};
  IndexViewerModel model(&db, keys, nullptr);
  searchResult(out, model.indexObject(), model.source(), model.search(text), {});
}

void keySearch(DumpContext& ctx, DumpOutput& out) {
  const ContentDatabase& db = validDatabase(ctx);
  const std::u16string text = typedText(ctx, "key-search TEXT");
  const PageKeys keys = keysOf(db);
  KeyViewerModel model(&db, keys);
  if (!model.show(keys["tools"])) throw Failure{"the guide has no abbreviations key (no object is named Abbreviations)"};
  const int64_t row = model.search(text);
  nlohmann::json explanation = nullptr;
  if (row >= 0) explanation = jsonText(model.explanationText(model.source().objectAt(static_cast<uint32_t>(row))));
  searchResult(out, model.keyObject(), model.source(), row, {{"explanation", explanation}});
}

void counterpart(DumpContext& ctx, DumpOutput& out) {
  bool lower = false;
  std::vector<std::string> words;
  for (const auto& a : ctx.args) {
    if (a == "--lower") lower = true;
    else words.push_back(a);
  }
  if (words.size() != 2) throw UsageError{"usage: counterpart I ROW [--lower]"};
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex x = objectArg(db, words[0]);
  const uint32_t entry = parseIndex(words[1], "row");
  DualListModel model(&db);
  if (!model.show(x)) throw Failure{"object " + words[0] + " is not in a \"dual list\" table"};
  const IndexSource& from = lower ? model.lower() : model.upper();
  const IndexSource& to = lower ? model.upper() : model.lower();
  if (entry >= from.itemCount()) {
    throw Failure{"row " + words[1] + " is past the end of the " + (lower ? "lower" : "upper") + " list (" +
                  std::to_string(from.itemCount()) + " entries)"};
  }
  const int64_t row = model.counterpart(!lower, entry);
  nlohmann::json text = nullptr;
  if (row >= 0) text = jsonText(to.itemAt(static_cast<uint32_t>(row)).text);
  setOrdered(out, {{"object", model.table()},
                   {"list", lower ? "lower" : "upper"},
                   {"entry", entry},
                   {"entryText", jsonText(from.itemAt(entry).text)},
                   {"row", row},
                   {"text", text}});
}

const DumpRegistration kCommands[] = {
    DumpRegistration{{"index-search", "index-search TEXT",
                      "the index row that typing TEXT selects (plain text, ignoring case): object (the index), rows, "
                      "row (-1 for an empty TEXT), text (its markup) and target (the object a tap opens)",
                      true, indexSearch}},
    DumpRegistration{{"key-search", "key-search TEXT",
                      "the same for the abbreviations key (compared as stored, markup included), plus explanation "
                      "(the text of the row's first \"field\")",
                      true, keySearch}},
    DumpRegistration{{"counterpart", "counterpart I ROW [--lower]",
                      "the row of the other list that a tap on row ROW of the upper (--lower: lower) list of dual "
                      "list table I selects; -1 when the entry has no link",
                      true, counterpart}},
};

}  // namespace
}  // namespace vantrel::dump
