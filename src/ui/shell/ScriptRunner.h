#pragma once
// Scripted runs: one command per line against the real windows (taps, typed
// text, commands, answers to message boxes, screenshots) and the state of
// what is on screen as one JSON object per `state` line. The commands and
// the fields of `state` are described in docs/automation.md.
#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "core/platform/KeyboardService.h"
#include "ui/platform/QtMessages.h"
#include "core/shell/Application.h"
#include "ui/shell/GuideHost.h"
#include "core/shell/ScriptCommand.h"

namespace vantrel {

class ScriptRunner : private ScriptActions {
 public:
  ScriptRunner(Application& app, GuideHost& host, QtMessages& messages, KeyboardService& keyboard, FILE* out,
               FILE* err);

  // Runs the lines; answers the exit status: 0 when the script (or the user
  // confirming exit) ended the run, 2 for a bad line.
  int run(const std::vector<std::string>& lines);
  // The program ended by itself (exit confirmed).
  void markExited() { exited_ = true; }
  bool exited() const { return exited_; }
  // The state as the `state` command prints it.
  QJsonObject state();
  void printState();

 private:
  // Runs the next line; sets status_ when the run ends.
  void step();
  // What the commands of the table run (ScriptActions).
  bool readerStarted() const override { return app_.mainFrame() != nullptr; }
  bool pointer(const std::string& kind, int x, int y, std::string& error) override;
  bool wait(int ms) override;
  bool waitIndex(int ms) override;
  bool type(const std::string& text) override;
  bool key(const std::string& name, std::string& error) override;
  bool answer(const std::string& answer) override;
  bool reportState() override;
  bool shot(const std::string& file, std::string& error) override;
  bool resize(int width, int height) override;
  bool quit() override;
  bool command(int id) override;
  bool choose(int index, std::string& error) override;
  bool check(int row, std::string& error) override;
  bool link(const std::string& href, std::string& error) override;
  bool focus(int id, std::string& error) override { return pageControl("focus", id, error); }
  bool click(int id, std::string& error) override;
  // expand and collapse: an item of the tree shown, as a tap on its expand button.
  bool expand(uint32_t object, bool expand, std::string& error) override { return expandItem(object, expand, error); }
  bool navigate(uint32_t object, const std::vector<uint8_t>& data) override;
  bool navigateKey(const std::string& key, const std::vector<uint8_t>& data, std::string& error) override;

  // A visible button with that child id (a button bar's button by its
  // command id); false when there is none.
  bool clickButton(int id);
  // focus and click: the controls of the page shown.
  bool pageControl(const char* action, int id, std::string& error);
  bool expandItem(uint32_t object, bool expand, std::string& error);
  void settle(int ms = 0);
  QWidget* keyTarget() const;

  Application& app_;
  GuideHost& host_;
  QtMessages& messages_;
  KeyboardService& keyboard_;
  FILE* out_;
  FILE* err_;
  bool exited_ = false;
  QPointer<QWidget> grabbed_;  // the widget that got the last press, until release
  std::vector<ScriptedMessages::Shown> messageLog_;
  const std::vector<std::string>* lines_ = nullptr;
  size_t next_ = 0;
  int status_ = -1;  // -1 while running, then the exit status
  bool quitting_ = false;  // the line run was quit
};

}  // namespace vantrel
