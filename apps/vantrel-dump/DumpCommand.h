#pragma once
// The command table of vantrel-dump. A command file defines its commands with
// a static DumpRegistration; main.cpp finds them by name.
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentFormat.h"

namespace vantrel::dump {

// Thrown by a command for bad usage (exit status 2) or a failure (exit status 1);
// main prints the message on standard error. Never crosses main.
struct UsageError {
  std::string message;
};
struct Failure {
  std::string message;
};

struct DumpContext {
  bool json = false;
  std::string directory;             // empty for commands without a database
  std::string base = kContentBaseName;
  ContentDatabase* database = nullptr;  // open and valid for database commands
  std::vector<std::string> args;     // the words after the command name
};

// A command fills `result`; main prints it (--json: exactly one JSON object;
// otherwise `plain` when the command set one, or a readable rendering).
struct DumpOutput {
  nlohmann::json result = nlohmann::json::object();
  std::string plain;
};

struct DumpCommand {
  std::string name;
  std::string usage;          // e.g. "entry I"
  std::string summary;        // one line for --help
  bool needsDatabase = true;  // false: "vantrel-dump [--json] NAME ..." with no DIR
  std::function<void(DumpContext&, DumpOutput&)> run;
};

std::vector<DumpCommand>& commandTable();

struct DumpRegistration {
  explicit DumpRegistration(DumpCommand command) { commandTable().push_back(std::move(command)); }
};

// Helpers shared by the command files.
uint32_t parseIndex(const std::string& word, const char* what);  // UsageError on bad input
// The open database; Failure when it is not a valid content database.
const ContentDatabase& validDatabase(const DumpContext& ctx);
// UsageError unless the command got between least and most words.
void expectArgs(const DumpContext& ctx, size_t least, size_t most, const char* usage);
// An object index below objectCount; Failure past the end.
ObjectIndex objectArg(const ContentDatabase& db, const std::string& word);
// Sets both the JSON result and, in the same order, the plain rendering
// ("key: value" per line; texts as they are, null as "(none)").
void setOrdered(DumpOutput& out, const std::vector<std::pair<std::string, nlohmann::json>>& fields);
std::string utf8(const std::u16string& text);
nlohmann::json jsonText(const std::u16string& text);

}  // namespace vantrel::dump
