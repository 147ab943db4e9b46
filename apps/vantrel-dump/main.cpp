// vantrel-dump: inspects a guide's content database and the engines built on it.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "DumpCommand.h"
#include "core/search/SearchIndex.h"
#include "core/util/ProgramMain.h"
#include "core/util/TextCodec.h"

namespace vantrel::dump {

std::vector<DumpCommand>& commandTable() {
  static std::vector<DumpCommand> table;
  return table;
}

uint32_t parseIndex(const std::string& word, const char* what) {
  if (word.empty() || word.size() > 10 || word.find_first_not_of("0123456789") != std::string::npos) {
    throw UsageError{std::string("not a number for ") + what + ": '" + word + "'"};
  }
  const unsigned long long v = std::stoull(word);
  if (v > 0xFFFFFFFFull) throw UsageError{std::string(what) + " out of range: " + word};
  return static_cast<uint32_t>(v);
}

std::string utf8(const std::u16string& text) { return toUtf8(text); }

nlohmann::json jsonText(const std::u16string& text) { return toUtf8(text); }

const ContentDatabase& validDatabase(const DumpContext& ctx) {
  if (!ctx.database || !ctx.database->valid()) {
    throw Failure{"not a valid content database: " + ctx.directory + " (base name " + ctx.base +
                  "); 'info' shows its header"};
  }
  return *ctx.database;
}

void expectArgs(const DumpContext& ctx, size_t least, size_t most, const char* usage) {
  if (ctx.args.size() < least || ctx.args.size() > most) throw UsageError{std::string("usage: ") + usage};
}

ObjectIndex objectArg(const ContentDatabase& db, const std::string& word) {
  const ObjectIndex index = parseIndex(word, "object index");
  if (index >= db.objectCount()) {
    throw Failure{"object " + word + " is past the end of the object table (" + std::to_string(db.objectCount()) +
                  " objects)"};
  }
  return index;
}

void setOrdered(DumpOutput& out, const std::vector<std::pair<std::string, nlohmann::json>>& fields) {
  std::ostringstream os;
  for (const auto& [key, value] : fields) {
    out.result[key] = value;
    os << key << ": ";
    if (value.is_string()) {
      os << value.get<std::string>();
    } else if (value.is_null()) {
      os << "(none)";
    } else {
      os << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    os << "\n";
  }
  out.plain = os.str();
}

namespace {

const DumpCommand* findCommand(const std::string& name) {
  for (const auto& c : commandTable()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

void printHelp(std::ostream& os) {
  os << "Usage: vantrel-dump [--json] [--base NAME] DIR COMMAND [ARGS...]\n"
        "       vantrel-dump [--json] COMMAND [ARGS...]   (commands without a database)\n\n"
        "Reads the content database at DIR (base name default \"" VANTREL_CONTENT_BASE_NAME "\").\n"
        "--json prints exactly one JSON object; without it the output is for people.\n\n"
        "Commands on a database:\n";
  for (const auto& c : commandTable()) {
    if (c.needsDatabase) os << "  " << c.usage << "\n      " << c.summary << "\n";
  }
  bool any = false;
  for (const auto& c : commandTable()) {
    if (!c.needsDatabase) {
      if (!any) os << "\nCommands without a database:\n";
      any = true;
      os << "  " << c.usage << "\n      " << c.summary << "\n";
    }
  }
  os << "\nOptions:\n"
        "  --json       print exactly one JSON object\n"
        "  --base NAME  base name of the content files (default \"" VANTREL_CONTENT_BASE_NAME "\")\n"
        "  -h, --help   this text\n";
  os << "\nExit status: 0 success, 1 failure (missing file, index past the end, unknown command),\n"
        "2 bad usage (unknown option, missing arguments).\n";
}

// Renders a JSON result readably: one "key: value" line per member.
void printPlain(const nlohmann::json& j, std::ostream& os, const std::string& indent = "") {
  if (!j.is_object()) {
    os << indent << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return;
  }
  for (auto it = j.begin(); it != j.end(); ++it) {
    const auto& v = it.value();
    if (v.is_string()) {
      os << indent << it.key() << ": " << v.get<std::string>() << "\n";
    } else if (v.is_object()) {
      os << indent << it.key() << ":\n";
      printPlain(v, os, indent + "  ");
    } else if (v.is_array() && !v.empty() && (v.front().is_object() || v.front().is_array())) {
      os << indent << it.key() << ":\n";
      for (const auto& e : v) {
        os << indent << "  " << e.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
      }
    } else {
      os << indent << it.key() << ": " << v.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
         << "\n";
    }
  }
}

int run(int argc, char** argv) {
  DumpContext ctx;
  std::vector<std::string> words;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!optionsDone && words.empty()) {
      if (a == "--help" || a == "-h") {
        printHelp(std::cout);
        return 0;
      }
      if (a == "--json") {
        ctx.json = true;
        continue;
      }
      if (a == "--base") {
        if (i + 1 >= argc) throw UsageError{"--base needs a NAME"};
        ctx.base = argv[++i];
        continue;
      }
      if (a == "--") {
        optionsDone = true;
        continue;
      }
      if (a.size() > 1 && a[0] == '-') throw UsageError{"unknown option '" + a + "'. Try '--help'"};
    }
    words.push_back(a);
  }
  // --json may also follow the command words.
  std::vector<std::string> rest;
  for (auto& w : words) {
    if (w == "--json") {
      ctx.json = true;
    } else {
      rest.push_back(w);
    }
  }
  if (rest.empty()) {
    printHelp(std::cerr);
    return 2;
  }
  const DumpCommand* command = findCommand(rest[0]);
  ContentDatabase database;
  if (command && !command->needsDatabase) {
    ctx.args.assign(rest.begin() + 1, rest.end());
  } else {
    if (rest.size() < 2) throw UsageError{"missing COMMAND after DIR (see --help)"};
    ctx.directory = rest[0];
    command = findCommand(rest[1]);
    if (!command) throw Failure{"unknown command '" + rest[1] + "' (see --help)"};
    if (!command->needsDatabase) throw UsageError{"'" + rest[1] + "' takes no DIR (see --help)"};
    ctx.args.assign(rest.begin() + 2, rest.end());
    namespace fs = std::filesystem;
    const std::string base = (fs::path(ctx.directory) / ctx.base).string();
    for (const char* suffix : {"-Data.pdb", "-Strings.pdb"}) {
      if (!fs::is_regular_file(base + suffix)) throw Failure{"missing content file: " + base + suffix};
    }
    database.open(base);
    ctx.database = &database;
  }
  DumpOutput out;
  command->run(ctx, out);
  if (ctx.json) {
    std::cout << out.result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  } else if (!out.plain.empty()) {
    std::cout << out.plain;
    if (out.plain.back() != '\n') std::cout << "\n";
  } else {
    printPlain(out.result, std::cout);
  }
  return 0;
}

}  // namespace
}  // namespace vantrel::dump

static int runProgram(int argc, char** argv) {
  using namespace vantrel::dump;
  vantrel::prepareIndexBuilds();  // before any thread starts
  try {
    return run(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << "vantrel-dump: " << e.message << "\n";
    return 2;
  } catch (const Failure& e) {
    std::cerr << "vantrel-dump: " << e.message << "\n";
    return 1;
  }
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-dump", runProgram, argc, argv); }
