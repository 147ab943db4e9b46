#pragma once
// Modal message boxes: one call shows a box and returns the button pressed.
#include <string>
#include <vector>

namespace vantrel {

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageBox {
  std::u16string caption;
  std::u16string text;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

// The button a box gives when it is closed without a choice: No for a
// yes/no box, Cancel where there is one, OK otherwise.
inline MessageAnswer defaultAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::OkCancel: return MessageAnswer::Cancel;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
  }
  return MessageAnswer::Ok;
}

// Whether the answer is one of the box's buttons.
inline bool answerFits(MessageButtons buttons, MessageAnswer a) {
  switch (buttons) {
    case MessageButtons::Ok: return a == MessageAnswer::Ok;
    case MessageButtons::OkCancel: return a == MessageAnswer::Ok || a == MessageAnswer::Cancel;
    case MessageButtons::YesNo: return a == MessageAnswer::Yes || a == MessageAnswer::No;
    case MessageButtons::YesNoCancel: return a != MessageAnswer::Ok;
  }
  return false;
}

const char* answerName(MessageAnswer a);

class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual MessageAnswer showMessage(const MessageBox& box) = 0;
};

// Records every box and answers from a queue of prepared answers; a box
// with no prepared answer (or one that is not among its buttons) gets its
// default button.
class ScriptedMessages : public MessageService {
 public:
  struct Shown {
    MessageBox box;
    MessageAnswer answer;
  };
  MessageAnswer showMessage(const MessageBox& box) override;
  void queueAnswer(MessageAnswer a) { answers_.push_back(a); }
  std::vector<Shown> shown;

 private:
  std::vector<MessageAnswer> answers_;
};

}  // namespace vantrel
