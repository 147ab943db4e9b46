#pragma once
// The one QApplication of a benchmark program that drives Qt windows, made on
// first use on the offscreen platform (unless QT_QPA_PLATFORM says otherwise).
#include <QApplication>
#include <cstdlib>

namespace vantrel::bench {

inline QApplication& benchApp(const char* programName) {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>(programName), nullptr};
  static QApplication* a = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *a;
}

}  // namespace vantrel::bench
