// vantrel-dump commands on the content database itself: the header, entries,
// texts, groups, ids, names, the type and kind tables and blobs.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DumpCommand.h"
#include "core/content/ContentCursor.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentQueries.h"
#include "core/util/FileOps.h"
#include "core/util/TextCodec.h"

namespace vantrel::dump {
namespace {

// One line per item: "  N  text".
std::string numberedLines(const std::vector<std::u16string>& items) {
  std::ostringstream os;
  for (size_t i = 0; i < items.size(); ++i) os << "  " << i << "  " << utf8(items[i]) << "\n";
  return os.str();
}

void info(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 0, 0, "info");
  const ContentDatabase& db = *ctx.database;
  const ContentLayout& l = db.layout();
  setOrdered(out, {{"valid", db.valid()},
                   {"objectCount", l.objectCount},
                   {"typeCount", l.typeCount},
                   {"kindCount", l.kindCount},
                   {"nameCount", l.nameCount},
                   {"stringCount", l.stringCount},
                   {"blobCount", l.blobCount},
                   {"maxId", l.maxId},
                   {"runLimit", l.runLimit},
                   {"entryBits", l.entryBits},
                   {"entriesPerChunk", l.entriesPerChunk}});
}

void entry(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 1, "entry I");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex index = objectArg(db, ctx.args[0]);
  ObjectEntry e;
  if (!db.readEntry(index, e)) throw Failure{"cannot read object " + ctx.args[0]};
  std::vector<std::pair<std::string, nlohmann::json>> fields{{"index", e.index},
                                                               {"id", e.id},
                                                               {"parent", e.parent},
                                                               {"type", e.type},
                                                               {"typeName", jsonText(db.typeName(e.type))},
                                                               {"run", e.run},
                                                               {"valueKind", e.valueKind},
                                                               {"kindName", jsonText(db.kindName(e.valueKind))},
                                                               {"value", e.value},
                                                               {"byIdOrder", e.byIdOrder}};
  std::u16string text;
  if (ContentCursor(db, index).text(text)) fields.emplace_back("text", jsonText(text));
  setOrdered(out, fields);
}

void text(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 1, "text I");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex index = objectArg(db, ctx.args[0]);
  std::u16string t;
  out.result = {{"index", index}, {"text", nullptr}};
  if (textOf(db, index, t)) {
    out.result["text"] = jsonText(t);
    out.plain = utf8(t);
    if (out.plain.empty()) out.plain = "(empty text)";
  } else {
    out.plain = "(object " + std::to_string(index) + " has no text)";
  }
}

void children(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 2, "children I [TYPE]");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex parent = objectArg(db, ctx.args[0]);
  std::vector<ObjectIndex> found;
  if (ctx.args.size() == 2) {
    const std::u16string type = fromUtf8(ctx.args[1]);
    std::vector<ObjectEntry> entries;
    db.collectGroup(parent, type, 0, entries);
    for (const auto& e : entries) found.push_back(e.index);
    out.result = {{"parent", parent}, {"type", ctx.args[1]}};
    if (db.typeNumber(type) == kNoType) out.plain = "(no type is named '" + ctx.args[1] + "')";
  } else {
    // The children of one parent lie together in the table.
    ObjectEntry e;
    for (ObjectIndex i = db.findFirstChild(parent); i != 0 && db.readEntry(i, e) && e.parent == parent;) {
      found.push_back(i);
      if (++i >= db.objectCount()) break;
    }
    out.result = {{"parent", parent}, {"type", nullptr}};
  }
  out.result["children"] = found;
  if (out.plain.empty()) {
    std::ostringstream os;
    os << found.size() << (found.size() == 1 ? " child" : " children") << " of " << parent;
    if (ctx.args.size() == 2) os << " of type '" << ctx.args[1] << "'";
    os << "\n";
    for (ObjectIndex i : found) {
      ObjectEntry c;
      db.readEntry(i, c);
      std::u16string t;
      const bool hasText = textOf(db, i, t);
      os << "  " << i << "  " << utf8(db.typeName(c.type));
      if (hasText) os << "  \"" << utf8(t.size() > 60 ? t.substr(0, 57) + u"..." : t) << "\"";
      os << "\n";
    }
    out.plain = os.str();
  }
}

void group(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 2, 2, "group I TYPE");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex parent = objectArg(db, ctx.args[0]);
  const uint16_t type = db.typeNumber(fromUtf8(ctx.args[1]));
  const ObjectIndex first = type == kNoType ? 0 : db.findGroup(parent, type);
  out.result = {{"index", first}};
  if (type == kNoType) {
    out.plain = "index: 0 (no type is named '" + ctx.args[1] + "')";
  } else if (first == 0) {
    out.plain = "index: 0 (object " + ctx.args[0] + " has no child of type '" + ctx.args[1] + "')";
  }
}

void findId(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 1, "find-id ID");
  const ContentDatabase& db = validDatabase(ctx);
  const uint32_t id = parseIndex(ctx.args[0], "id");
  const ObjectIndex index = db.findById(id);
  out.result = {{"id", id}, {"index", index}};
  if (index == 0) out.plain = "id: " + ctx.args[0] + "\nindex: 0 (no object has this id, or the root has it)";
}

void name(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 1, 1, "name NAME");
  const ContentDatabase& db = validDatabase(ctx);
  const ObjectIndex index = db.objectByName(fromUtf8(ctx.args[0]));
  out.result = {{"name", ctx.args[0]}, {"index", index}};
  if (index == 0) out.plain = "name: " + ctx.args[0] + "\nindex: 0 (unknown name, or the root)";
}

void types(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 0, 0, "types");
  const ContentDatabase& db = validDatabase(ctx);
  nlohmann::json list = nlohmann::json::array();
  for (const auto& t : db.typeNames()) list.push_back(jsonText(t));
  out.result = {{"types", list}};
  out.plain = std::to_string(db.typeNames().size()) + " types\n" + numberedLines(db.typeNames());
}

void kinds(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 0, 0, "kinds");
  const ContentDatabase& db = validDatabase(ctx);
  nlohmann::json list = nlohmann::json::array();
  for (const auto& k : db.kindNames()) list.push_back(jsonText(k));
  out.result = {{"kinds", list}};
  out.plain = std::to_string(db.kindNames().size()) + " value kinds\n" + numberedLines(db.kindNames());
}

void names(DumpContext& ctx, DumpOutput& out) {
  expectArgs(ctx, 0, 0, "names");
  const ContentDatabase& db = validDatabase(ctx);
  nlohmann::json list = nlohmann::json::array();
  std::ostringstream os;
  os << db.names().size() << " names\n";
  for (const auto& [n, index] : db.names()) {
    list.push_back(nlohmann::json::array({jsonText(n), index}));
    os << "  " << utf8(n) << "  " << index << "\n";
  }
  out.result = {{"names", list}};
  out.plain = os.str();
}

void blob(DumpContext& ctx, DumpOutput& out) {
  const char* usage = "blob I [--out FILE]";
  std::vector<std::string> words;
  std::string file;
  for (size_t i = 0; i < ctx.args.size(); ++i) {
    if (ctx.args[i] == "--out") {
      if (i + 1 >= ctx.args.size() || !file.empty()) throw UsageError{std::string("usage: ") + usage};
      file = ctx.args[++i];
    } else {
      words.push_back(ctx.args[i]);
    }
  }
  if (words.size() != 1) throw UsageError{std::string("usage: ") + usage};
  const ContentDatabase& db = validDatabase(ctx);
  const uint32_t number = parseIndex(words[0], "blob number");
  if (number >= db.blobCount()) {
    throw Failure{"blob " + words[0] + " is past the end (" + std::to_string(db.blobCount()) + " blobs)"};
  }
  const uint32_t length = db.blobLength(number);
  out.result = {{"blob", number}, {"length", length}};
  if (!file.empty()) {
    std::vector<char> bytes(length);
    if (length > 0 && !db.readBlob(number, 0, bytes.data(), length)) {
      throw Failure{"cannot read blob " + words[0]};
    }
    if (!fileops::writeFileAtomic(file, std::string_view(bytes.data(), bytes.size())))
      throw Failure{"cannot write " + file};
  }
}

const DumpRegistration kCommands[] = {
    DumpRegistration{{"info", "info", "header counts and widths of the content database", true, info}},
    DumpRegistration{{"entry", "entry I", "the decoded entry of object I, with its text", true, entry}},
    DumpRegistration{{"text", "text I", "the text of object I (null when it has none)", true, text}},
    DumpRegistration{{"children", "children I [TYPE]",
                      "the children of object I: the group of type TYPE, or all of them in table order", true,
                      children}},
    DumpRegistration{{"group", "group I TYPE", "the first child of object I of type TYPE (0: none)", true, group}},
    DumpRegistration{{"find-id", "find-id ID", "the object with persistent id ID (0: none)", true, findId}},
    DumpRegistration{{"name", "name NAME", "the object named NAME in the name table (0: none)", true, name}},
    DumpRegistration{{"types", "types", "the type-name table in table order", true, types}},
    DumpRegistration{{"kinds", "kinds", "the value-kind table in table order", true, kinds}},
    DumpRegistration{{"names", "names", "the name table: each name with its object", true, names}},
    DumpRegistration{{"blob", "blob I [--out FILE]", "the length of blob I; --out writes its bytes to FILE", true,
                      blob}},
};

}  // namespace
}  // namespace vantrel::dump
