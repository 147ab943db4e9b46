#pragma once
// What every program's main shares: no exception leaves it. One that escapes
// the program's body ends the program with "NAME: what" on standard error
// and exit status 1.
#include <cstdio>
#include <exception>

namespace vantrel {

template <class Body>
int guardedMain(const char* name, Body body, int argc, char** argv) noexcept {
  try {
    return body(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", name, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: unexpected failure\n", name);
  }
  return 1;
}

}  // namespace vantrel
