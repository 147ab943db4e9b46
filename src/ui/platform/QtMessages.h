#pragma once
// Message boxes. Interactive runs show a modal QMessageBox; scripted runs
// never block: each box is recorded and answered from the script's queue of
// answers, or with its default button.
#include <QWidget>

#include "core/platform/MessageService.h"

namespace vantrel {

class QtMessages : public MessageService {
 public:
  explicit QtMessages(bool scripted) : scripted_(scripted) {}
  MessageAnswer showMessage(const MessageBox& box) override;
  void setParent(QWidget* parent) { parent_ = parent; }
  void queueAnswer(MessageAnswer a) { scripted_queue_.queueAnswer(a); }
  // Boxes shown since the last call, and forgets them.
  std::vector<ScriptedMessages::Shown> takeShown();
  bool scripted() const { return scripted_; }

 private:
  bool scripted_;
  QWidget* parent_ = nullptr;
  ScriptedMessages scripted_queue_;
  std::vector<ScriptedMessages::Shown> interactive_;
};

}  // namespace vantrel
