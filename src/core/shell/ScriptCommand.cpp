#include "core/shell/ScriptCommand.h"

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

namespace {

using LineParts = ScriptLineParts;

constexpr int64_t kCoord = 1000000;
constexpr int64_t kLongestWait = 3600000;

// count whole numbers between min and max; what names them in the message.
bool numbers(const LineParts& l, ScriptCommand& c, std::string& error, size_t count, int64_t min, int64_t max,
             const char* what) {
  if (l.args.size() != count) {
    error = c.name + " takes " + what;
    return false;
  }
  for (const std::string& a : l.args) {
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
}

bool objectIndex(const std::string& word, int64_t& v) { return parseInt(word, v) && v >= 0 && v <= 0xFFFFFFFFLL; }

// OBJECT or KEY, then page data in hexadecimal.
bool navigation(const LineParts& l, ScriptCommand& c, std::string& error, bool byKey) {
  if (l.args.empty() || l.args.size() > 2) {
    error = c.name + (byKey ? " takes KEY [HEX]" : " takes OBJECT [HEX]");
    return false;
  }
  if (!byKey) {
    int64_t v;
    if (!objectIndex(l.args[0], v)) {
      error = "'" + clipForMessage(l.args[0]) + "' is not an object index";
      return false;
    }
    c.numbers.push_back(v);
  } else {
    c.text = l.args[0];
  }
  if (l.args.size() == 2 && !fromHex(l.args[1], c.data)) {
    error = "'" + clipForMessage(l.args[1]) + "' is not page data in hexadecimal (two digits per byte)";
    return false;
  }
  return true;
}

bool nothing(const LineParts& l, ScriptCommand& c, std::string& error) {
  if (l.args.empty()) return true;
  error = c.name + " takes no arguments";
  return false;
}

// The rest of the line as written, which must not be empty.
template <bool Raw>
bool wholeText(const LineParts& l, ScriptCommand& c, std::string& error, const char* what) {
  if (l.rest.empty()) {
    error = c.name + " takes " + what;
    return false;
  }
  c.text = Raw ? l.raw : l.rest;
  return true;
}

bool expandArg(const LineParts& l, ScriptCommand& c, std::string& error) {
  int64_t v;
  if (l.args.size() != 1 || !objectIndex(l.args[0], v)) {
    error = c.name + " takes OBJECT (the object index of an item in the tree shown)";
    return false;
  }
  c.numbers.push_back(v);
  return true;
}

int num(const ScriptCommand& c, size_t i) { return static_cast<int>(c.numbers[i]); }

bool pointer(ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.pointer(c.name, num(c, 0), num(c, 1), e); }

// Every command of a script: name, arguments, whether it needs the reader
// started, how its arguments are read, and what runs it.
const std::vector<ScriptCommandEntry>& table() {
  static const std::vector<ScriptCommandEntry> entries = {
      {"tap", "X Y", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return numbers(l, c, e, 2, -kCoord, kCoord, "X Y"); },
       pointer},
      {"press", "X Y", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return numbers(l, c, e, 2, -kCoord, kCoord, "X Y"); },
       pointer},
      {"move", "X Y", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return numbers(l, c, e, 2, -kCoord, kCoord, "X Y"); },
       pointer},
      {"release", "X Y", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return numbers(l, c, e, 2, -kCoord, kCoord, "X Y"); },
       pointer},
      {"wait", "MS", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         return numbers(l, c, e, 1, 0, kLongestWait, "MS (milliseconds)");
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) { return a.wait(num(c, 0)); }},
      {"type", "TEXT", false,
       // Everything after the command and one separating space, as written.
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return wholeText<true>(l, c, e, "TEXT"); },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) { return a.type(c.text); }},
      {"key", "NAME", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         if (l.args.size() != 1) {
           e = "key takes NAME (for example Return, Alt+Left, Ctrl+Q)";
           return false;
         }
         c.text = l.args[0];
         return true;
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.key(c.text, e); }},
      {"command", "ID", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return numbers(l, c, e, 1, 0, 65535, "ID"); },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) { return a.command(num(c, 0)); }},
      {"choose", "I", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         return numbers(l, c, e, 1, 0, 100000, "I (the item's position, from 0)");
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.choose(num(c, 0), e); }},
      {"answer", "yes|no|ok|cancel", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         if (l.args.size() != 1 ||
             (l.args[0] != "yes" && l.args[0] != "no" && l.args[0] != "ok" && l.args[0] != "cancel")) {
           e = "answer takes yes, no, ok or cancel";
           return false;
         }
         c.text = l.args[0];
         return true;
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) { return a.answer(c.text); }},
      {"navigate", "OBJECT [HEX]", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return navigation(l, c, e, false); },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) {
         return a.navigate(static_cast<uint32_t>(c.numbers[0]), c.data);
       }},
      {"navigate-key", "KEY [HEX]", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return navigation(l, c, e, true); },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.navigateKey(c.text, c.data, e); }},
      {"resize", "W H", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return numbers(l, c, e, 2, 1, 10000, "W H"); },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) { return a.resize(num(c, 0), num(c, 1)); }},
      {"shot", "FILE", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return wholeText<false>(l, c, e, "FILE"); },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.shot(c.text, e); }},
      {"state", "", false, nothing, [](ScriptActions& a, const ScriptCommand&, std::string&) { return a.reportState(); }},
      {"quit", "", false, nothing, [](ScriptActions& a, const ScriptCommand&, std::string&) { return a.quit(); }},
      {"link", "HREF", true,
       // The target exactly as written after the command, spaces included.
       [](const LineParts& l, ScriptCommand& c, std::string& e) { return wholeText<false>(l, c, e, "HREF"); },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.link(c.text, e); }},
      {"focus", "ID", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         return numbers(l, c, e, 1, 0, 65535, "ID (a child id)");
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.focus(num(c, 0), e); }},
      {"click", "ID", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         return numbers(l, c, e, 1, 0, 65535, "ID (a child id)");
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.click(num(c, 0), e); }},
      {"expand", "OBJECT", true, expandArg,
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) {
         return a.expand(static_cast<uint32_t>(c.numbers[0]), true, e);
       }},
      {"collapse", "OBJECT", true, expandArg,
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) {
         return a.expand(static_cast<uint32_t>(c.numbers[0]), false, e);
       }},
      {"check", "ROW", true,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         return numbers(l, c, e, 1, 0, 100000, "ROW (a visible row of the checkbox list, from 0)");
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string& e) { return a.check(num(c, 0), e); }},
      {"wait-index", "MS", false,
       [](const LineParts& l, ScriptCommand& c, std::string& e) {
         return numbers(l, c, e, 1, 0, kLongestWait, "MS (the longest wait, in milliseconds)");
       },
       [](ScriptActions& a, const ScriptCommand& c, std::string&) { return a.waitIndex(num(c, 0)); }},
  };
  return entries;
}

}  // namespace

const std::vector<ScriptCommandEntry>& scriptCommandTable() { return table(); }

const ScriptCommandEntry* findScriptCommand(const std::string& name) {
  for (const ScriptCommandEntry& e : table())
    if (name == e.name) return &e;
  return nullptr;
}

const std::vector<std::string>& scriptCommandNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const ScriptCommandEntry& e : table()) out.push_back(e.name);
    return out;
  }();
  return names;
}

std::optional<ScriptCommand> parseScriptLine(const std::string& rawLine, std::string& error) {
  ScriptCommand c;
  std::string line = trim(rawLine);
  if (line.empty() || line[0] == '#') return c;
  size_t space = line.find_first_of(" \t");
  c.name = line.substr(0, space);
  ScriptLineParts parts;
  parts.rest = space == std::string::npos ? "" : trim(line.substr(space));
  parts.raw = space == std::string::npos ? "" : line.substr(space + 1);
  parts.args = words(parts.rest);
  const ScriptCommandEntry* entry = findScriptCommand(c.name);
  if (!entry) {
    error = "unknown command '" + clipForMessage(c.name) + "'";
    return std::nullopt;
  }
  if (!entry->parse(parts, c, error)) return std::nullopt;
  return c;
}

bool runScriptCommand(ScriptActions& actions, const ScriptCommand& c, std::string& error) {
  const ScriptCommandEntry* entry = findScriptCommand(c.name);
  if (!entry) {
    error = "command '" + clipForMessage(c.name) + "' cannot run here";
    return false;
  }
  if (entry->needsReader && !actions.readerStarted()) {
    error = "the reader did not start";
    return false;
  }
  return entry->run(actions, c, error);
}

}  // namespace vantrel
