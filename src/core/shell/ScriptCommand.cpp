#include "shell/ScriptCommand.h"

#include <charconv>
#include <sstream>

namespace vantrel {

namespace {

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool parseInt(const std::string& s, int64_t& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

const std::vector<std::string>& scriptCommandNames() {
  static const std::vector<std::string> names = {
      "tap", "press", "move", "release", "wait", "type", "key", "command", "choose", "answer",
      "navigate", "navigate-key", "resize", "shot", "state", "quit",
      "link", "focus", "click", "expand", "collapse", "check", "wait-index"};
  return names;
}

std::string toHex(const uint8_t* data, size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

bool fromHex(const std::string& hex, std::vector<uint8_t>& out) {
  if (hex.size() % 2) return false;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = hexValue(hex[i]), lo = hexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  out = std::move(bytes);
  return true;
}

std::string clipForMessage(const std::string& text) {
  if (text.size() <= kScriptEchoLimit) return text;
  // Cut at a character boundary of the UTF-8 text.
  size_t cut = kScriptEchoLimit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

std::optional<ScriptCommand> parseScriptLine(const std::string& rawLine, std::string& error) {
  ScriptCommand c;
  std::string line = trim(rawLine);
  if (line.empty() || line[0] == '#') return c;
  size_t space = line.find_first_of(" \t");
  c.name = line.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : trim(line.substr(space));
  const std::vector<std::string> args = words(rest);

  auto numbers = [&](size_t count, int64_t min, int64_t max, const char* what) -> bool {
    if (args.size() != count) {
      error = c.name + " takes " + what;
      return false;
    }
    for (const std::string& a : args) {
      int64_t v;
      if (!parseInt(a, v)) {
        error = "'" + clipForMessage(a) + "' is not a whole number";
        return false;
      }
      if (v < min || v > max) {
        error = "'" + clipForMessage(a) + "' is out of range for " + c.name;
        return false;
      }
      c.numbers.push_back(v);
    }
    return true;
  };

  const int64_t kCoord = 1000000;
  if (c.name == "tap" || c.name == "press" || c.name == "move" || c.name == "release") {
    if (!numbers(2, -kCoord, kCoord, "X Y")) return std::nullopt;
  } else if (c.name == "wait") {
    if (!numbers(1, 0, 3600000, "MS (milliseconds)")) return std::nullopt;
  } else if (c.name == "wait-index") {
    if (!numbers(1, 0, 3600000, "MS (the longest wait, in milliseconds)")) return std::nullopt;
  } else if (c.name == "type") {
    if (rest.empty()) {
      error = "type takes TEXT";
      return std::nullopt;
    }
    // Everything after the command and one separating space, as written.
    c.text = line.substr(space + 1);
  } else if (c.name == "key") {
    if (args.size() != 1) {
      error = "key takes NAME (for example Return, Alt+Left, Ctrl+Q)";
      return std::nullopt;
    }
    c.text = args[0];
  } else if (c.name == "command") {
    if (!numbers(1, 0, 65535, "ID")) return std::nullopt;
  } else if (c.name == "choose") {
    if (!numbers(1, 0, 100000, "I (the item's position, from 0)")) return std::nullopt;
  } else if (c.name == "answer") {
    if (args.size() != 1 || (args[0] != "yes" && args[0] != "no" && args[0] != "ok" && args[0] != "cancel")) {
      error = "answer takes yes, no, ok or cancel";
      return std::nullopt;
    }
    c.text = args[0];
  } else if (c.name == "navigate" || c.name == "navigate-key") {
    if (args.empty() || args.size() > 2) {
      error = c.name + (c.name == "navigate" ? " takes OBJECT [HEX]" : " takes KEY [HEX]");
      return std::nullopt;
    }
    if (c.name == "navigate") {
      int64_t v;
      if (!parseInt(args[0], v) || v < 0 || v > 0xFFFFFFFFLL) {
        error = "'" + clipForMessage(args[0]) + "' is not an object index";
        return std::nullopt;
      }
      c.numbers.push_back(v);
    } else {
      c.text = args[0];
    }
    if (args.size() == 2 && !fromHex(args[1], c.data)) {
      error = "'" + clipForMessage(args[1]) + "' is not page data in hexadecimal (two digits per byte)";
      return std::nullopt;
    }
  } else if (c.name == "resize") {
    if (!numbers(2, 1, 10000, "W H")) return std::nullopt;
  } else if (c.name == "shot") {
    if (rest.empty()) {
      error = "shot takes FILE";
      return std::nullopt;
    }
    c.text = rest;
  } else if (c.name == "state" || c.name == "quit") {
    if (!args.empty()) {
      error = c.name + " takes no arguments";
      return std::nullopt;
    }
  } else if (c.name == "link") {
    // The target exactly as written after the command, spaces included.
    if (rest.empty()) {
      error = "link takes HREF";
      return std::nullopt;
    }
    c.text = rest;
  } else if (c.name == "expand" || c.name == "collapse") {
    int64_t v;
    if (args.size() != 1 || !parseInt(args[0], v) || v < 0 || v > 0xFFFFFFFFLL) {
      error = c.name + " takes OBJECT (the object index of an item in the tree shown)";
      return std::nullopt;
    }
    c.numbers.push_back(v);
  } else if (c.name == "check") {
    if (!numbers(1, 0, 100000, "ROW (a visible row of the checkbox list, from 0)")) return std::nullopt;
  } else if (c.name == "focus" || c.name == "click") {
    if (!numbers(1, 0, 65535, "ID (a child id)")) return std::nullopt;
  } else {
    error = "unknown command '" + clipForMessage(c.name) + "'";
    return std::nullopt;
  }
  return c;
}

}  // namespace vantrel
