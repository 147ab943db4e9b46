// vantrel-userdata: the bookmarks and notes of a program directory, for
// people who back up or move them and for scripts.
//
//   vantrel-userdata [--json] [--base NAME] DIR COMMAND [ARGS...]
//
// Every command opens the stores the way the reader does at start-up and
// closes them the way it does at exit (closing compacts the pairs). Bad
// arguments are found before anything is opened: exit status 2, nothing written.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "UserDataCommand.h"
#include "core/util/ProgramMain.h"

namespace vantrel::userdatatool {
namespace {

// --help, its command lines made from the command table.
std::string helpText() {
  std::string out =
      "Usage: vantrel-userdata [--json] [--base NAME] DIR COMMAND [ARGS...]\n"
      "\n"
      "Reads and changes the bookmarks (bookmarks.vsi/.vsd) and notes (notes.vsi/.vsd)\n"
      "in the program directory DIR. --json prints one JSON document; without it the\n"
      "output is for people. --base names the content database (default " VANTREL_CONTENT_BASE_NAME "),\n"
      "used to resolve bookmark targets.\n"
      "\n"
      "Commands:\n";
  std::vector<const UserDataCommand*> commands;
  for (const UserDataCommand& c : commandTable()) commands.push_back(&c);
  std::sort(commands.begin(), commands.end(), [](auto* a, auto* b) { return a->order < b->order; });
  for (const UserDataCommand* c : commands) {
    for (size_t i = 0; i < c->summary.size(); ++i) {
      std::string left = i == 0 ? "  " + c->usage : std::string();
      left.resize(std::max<size_t>(left.size() + 2, 35), ' ');
      out += left + c->summary[i] + "\n";
    }
  }
  out +=
      "\n"
      "Options:\n"
      "  --json                           print one JSON document\n"
      "  --base NAME                      base name of the content files (default " VANTREL_CONTENT_BASE_NAME ")\n"
      "  -h, --help                       this text\n"
      "\n"
      "Texts are UTF-8 on the command line and Windows-1252 in the files (\"?\" for what\n"
      "it cannot hold); titles keep at most 255 bytes. A line feed in BODY is stored as\n"
      "CR LF, as the note editor stores line breaks.\n"
      "\n"
      "A folder whose bookmarks or notes a reader (or another run of this program) has\n"
      "open is refused at once, and no file is touched.\n"
      "\n"
      "Exit status: 0 success; 1 refused or failed (a bookmark that cannot be placed,\n"
      "missing content, files in use by another program or that cannot be written,\n"
      "a failed write); 2 bad usage.\n";
  return out;
}

int run(const Options& o) {
  for (const UserDataCommand& c : commandTable())
    if (c.name == o.command) return c.run(o);
  throw UsageError{"unknown command '" + o.command + "' (see --help)"};
}

Options parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> words;
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!optionsDone && words.size() < 2) {
      if (a == "--help" || a == "-h") {
        std::cout << helpText();
        std::exit(0);
      }
      if (a == "--json") {
        o.json = true;
        continue;
      }
      if (a == "--base") {
        if (i + 1 >= argc) throw UsageError{"--base needs a NAME"};
        o.base = argv[++i];
        continue;
      }
      if (a == "--") {
        optionsDone = true;
        continue;
      }
      if (a.size() > 1 && a[0] == '-' && words.empty())
        throw UsageError{"unknown option '" + a + "'. Try '--help'"};
    } else if (!optionsDone && a == "--json") {
      o.json = true;
      continue;
    } else if (!optionsDone && a == "--") {
      optionsDone = true;
      continue;
    }
    words.push_back(a);
  }
  if (words.size() < 2) throw UsageError{"missing DIR or COMMAND (see --help)"};
  o.dir = words[0];
  o.command = words[1];
  o.args.assign(words.begin() + 2, words.end());
  if (!isDirectory(o.dir)) throw UsageError{"not a folder: " + o.dir};
  return o;
}

}  // namespace
}  // namespace vantrel::userdatatool

static int runProgram(int argc, char** argv) {
  using namespace vantrel::userdatatool;
  try {
    return run(parse(argc, argv));
  } catch (const UsageError& e) {
    std::cerr << "vantrel-userdata: " << e.message << "\n";
    return 2;
  } catch (const Failure& e) {
    std::cerr << "vantrel-userdata: " << e.message << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "vantrel-userdata: " << e.what() << "\n";
    return 1;
  }
}

int main(int argc, char** argv) { return vantrel::guardedMain("vantrel-userdata", runProgram, argc, argv); }
