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

// Bytes to lower-case hexadecimal digits, and back (false on odd length or
// a character that is not a hex digit).
std::string toHex(const uint8_t* data, size_t length);
bool fromHex(const std::string& hex, std::vector<uint8_t>& out);

}  // namespace vantrel
