#include "core/platform/MessageService.h"

namespace vantrel {

const char* answerName(MessageAnswer a) {
  switch (a) {
    case MessageAnswer::Ok: return "ok";
    case MessageAnswer::Cancel: return "cancel";
    case MessageAnswer::Yes: return "yes";
    case MessageAnswer::No: return "no";
  }
  return "ok";
}

MessageAnswer ScriptedMessages::showMessage(const MessageBox& box) {
  MessageAnswer a = defaultAnswer(box.buttons);
  if (!answers_.empty()) {
    MessageAnswer queued = answers_.front();
    answers_.erase(answers_.begin());
    if (answerFits(box.buttons, queued)) a = queued;
  }
  shown.push_back({box, a});
  return a;
}

}  // namespace vantrel
