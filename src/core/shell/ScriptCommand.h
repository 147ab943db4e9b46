#pragma once
// One line of a scripted run, checked and split into its parts. Blank lines
// and lines starting with '#' are comments. Numbers are decimal; page data
// is written as hexadecimal digits, two per byte.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct ScriptCommand {
  std::string name;              // "tap", "wait", ...; empty for a comment
  std::vector<int64_t> numbers;  // the numeric arguments, in order
  std::string text;              // TEXT of type, NAME of key, FILE of shot, KEY of navigate-key, the answer
  std::vector<uint8_t> data;     // HEX of navigate and navigate-key
};

// Parses a line; on failure returns nothing and sets error to a message
// that says what is wrong (without the line number).
std::optional<ScriptCommand> parseScriptLine(const std::string& line, std::string& error);

// A piece of a script line as an error message shows it: at most
// kScriptEchoLimit characters of it, then "..." (a line may be megabytes long).
inline constexpr size_t kScriptEchoLimit = 200;
std::string clipForMessage(const std::string& text);

// The command names, for help texts.
const std::vector<std::string>& scriptCommandNames();

// What runs the commands of a script: the reader's script runner. An
// operation answers false with error set when it cannot be done.
class ScriptActions {
 public:
  virtual ~ScriptActions() = default;
  // Whether the reader started (the commands that need it fail otherwise).
  virtual bool readerStarted() const = 0;
  // tap, press, move and release at X Y.
  virtual bool pointer(const std::string& kind, int x, int y, std::string& error) = 0;
  virtual bool wait(int ms) = 0;
  // Until the search index is built, at most ms.
  virtual bool waitIndex(int ms) = 0;
  virtual bool type(const std::string& text) = 0;
  virtual bool key(const std::string& name, std::string& error) = 0;
  // yes, no, ok or cancel, for the next message box.
  virtual bool answer(const std::string& answer) = 0;
  virtual bool reportState() = 0;
  virtual bool shot(const std::string& file, std::string& error) = 0;
  virtual bool resize(int width, int height) = 0;
  virtual bool quit() = 0;
  virtual bool command(int id) = 0;
  virtual bool choose(int index, std::string& error) = 0;
  virtual bool check(int row, std::string& error) = 0;
  virtual bool link(const std::string& href, std::string& error) = 0;
  virtual bool focus(int id, std::string& error) = 0;
  virtual bool click(int id, std::string& error) = 0;
  virtual bool expand(uint32_t object, bool expand, std::string& error) = 0;
  virtual bool navigate(uint32_t object, const std::vector<uint8_t>& data) = 0;
  virtual bool navigateKey(const std::string& key, const std::vector<uint8_t>& data, std::string& error) = 0;
};

// A line after its command name, for the argument readers.
struct ScriptLineParts {
  std::string rest;               // everything after the name, trimmed
  std::string raw;                // everything after the name and one separator, as written
  std::vector<std::string> args;  // the words of rest
};

// One command: its name, its arguments as help shows them, whether it needs
// the reader started, how its arguments are read and what runs it.
struct ScriptCommandEntry {
  const char* name;
  const char* arguments;
  bool needsReader;
  bool (*parse)(const ScriptLineParts& line, ScriptCommand& out, std::string& error);
  bool (*run)(ScriptActions& actions, const ScriptCommand& command, std::string& error);
};

// Every command, in one table.
const std::vector<ScriptCommandEntry>& scriptCommandTable();
const ScriptCommandEntry* findScriptCommand(const std::string& name);
// Runs a parsed command through actions; false with error set when it
// cannot run (the reader did not start, or the action failed).
bool runScriptCommand(ScriptActions& actions, const ScriptCommand& command, std::string& error);

// Bytes to lower-case hexadecimal digits, and back (false on odd length or
// a character that is not a hex digit).
std::string toHex(const uint8_t* data, size_t length);
bool fromHex(const std::string& hex, std::vector<uint8_t>& out);

}  // namespace vantrel
