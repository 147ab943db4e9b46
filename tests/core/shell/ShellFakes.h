#pragma once
// Stand-ins for the platform side of the shell: windows that record what
// the frame does to them, a frame host, and viewers with scripted answers.
#include <functional>
#include <string>
#include <vector>

#include "core/page/FrameWindow.h"
#include "core/page/MainFrame.h"

namespace vantrel::test {

struct FakeWindow : LayoutWindow {
  explicit FakeWindow(Size s = {10, 10}, const char* name = "fake") : sz(s), name(name) {}
  Size size() const override { return sz; }
  void place(const Rect& r) override {
    rect = r;
    sz = {r.width(), r.height()};
    ++placeCount;
  }
  void setShown(bool s) override {
    if (s != shown) ++shownChanges;
    shown = s;
  }
  void update() override { ++updates; }
  const char* kindName() const override { return name; }

  Size sz;
  const char* name;
  Rect rect;
  bool shown = false;
  int shownChanges = 0;
  int placeCount = 0;
  int updates = 0;
};

struct FakeHost : FrameHost {
  Size clientSize() const override { return client; }
  void moveWindow(const Rect& r) override {
    moved = r;
    client = {r.width(), r.height()};
  }
  void setWaitCursor(bool on) override { cursorOn = on; }
  void titleChanged(const std::u16string& t) override { title = t; }
  Size client{240, 268};
  Rect moved;
  bool cursorOn = false;
  std::u16string title;
};

// A viewer that takes the objects it is told, adds its windows, and runs
// hooks from show and afterLayout; every call is written to a shared log.
struct ScriptViewer : Viewer {
  ScriptViewer(MainFrame& f, std::string name, std::vector<std::string>* log) : frame(f), name(std::move(name)), log(log) {}
  bool show(uint32_t object, const uint8_t* data, size_t length) override {
    if (log) log->push_back(name + ".show " + std::to_string(object));
    lastData.assign(data, data + length);
    if (!takes(object)) return false;
    for (auto& [w, kind] : windows) frame.addLayoutItem(w, kind);
    if (!title.empty()) frame.setTitle(title);
    return true;
  }
  void afterLayout() override {
    if (log) log->push_back(name + ".afterLayout");
    if (onAfterLayout) onAfterLayout();
  }
  MainFrame& frame;
  std::string name;
  std::vector<std::string>* log;
  std::function<bool(uint32_t)> takes = [](uint32_t) { return true; };
  std::vector<std::pair<LayoutWindow*, int>> windows;
  std::u16string title;
  std::function<void()> onAfterLayout;
  std::vector<uint8_t> lastData;
};

}  // namespace vantrel::test
