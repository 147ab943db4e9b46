#pragma once
// The on-screen keyboard (soft input panel). A desktop has none: it is never
// shown and showing or hiding it changes nothing, but the reader still makes
// the calls where its behaviour asks for them, and they are counted so that
// tests and scripted runs can see them.
#include <functional>

namespace vantrel {

class KeyboardService {
 public:
  virtual ~KeyboardService() = default;
  virtual bool keyboardShown() const = 0;
  // Does nothing on a square screen.
  virtual void showKeyboard() = 0;
  virtual void hideKeyboard() = 0;
  // Called when the keyboard appears or disappears.
  void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }

 protected:
  void notifyChanged() {
    if (listener_) listener_();
  }

 private:
  std::function<void()> listener_;
};

// A keyboard that exists only as a state: show and hide flip it (show obeys
// the square-screen rule) and announce the change. Used by tests; a desktop
// build uses DesktopKeyboard, which never comes up.
class StateKeyboard : public KeyboardService {
 public:
  explicit StateKeyboard(bool squareScreen = false) : square_(squareScreen) {}
  bool keyboardShown() const override { return shown_; }
  void showKeyboard() override {
    ++showCalls;
    if (square_ || shown_) return;
    shown_ = true;
    notifyChanged();
  }
  void hideKeyboard() override {
    ++hideCalls;
    if (!shown_) return;
    shown_ = false;
    notifyChanged();
  }
  void setSquareScreen(bool square) { square_ = square; }
  int showCalls = 0;
  int hideCalls = 0;

 private:
  bool square_;
  bool shown_ = false;
};

class DesktopKeyboard : public KeyboardService {
 public:
  bool keyboardShown() const override { return false; }
  void showKeyboard() override { ++showCalls; }
  void hideKeyboard() override { ++hideCalls; }
  int showCalls = 0;
  int hideCalls = 0;
};

}  // namespace vantrel
