#include "ui/platform/QtMessages.h"

#include <QMessageBox>

namespace vantrel {

MessageAnswer QtMessages::showMessage(const MessageBox& box) {
  if (scripted_) return scripted_queue_.showMessage(box);
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (box.icon) {
    case MessageIcon::Information: icon = QMessageBox::Information; break;
    case MessageIcon::Question: icon = QMessageBox::Question; break;
    case MessageIcon::Warning: icon = QMessageBox::Warning; break;
    case MessageIcon::Error: icon = QMessageBox::Critical; break;
    case MessageIcon::None: break;
  }
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton def = QMessageBox::Ok;
  switch (box.buttons) {
    case MessageButtons::Ok: buttons = QMessageBox::Ok; def = QMessageBox::Ok; break;
    case MessageButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; def = QMessageBox::Ok; break;
    case MessageButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; def = QMessageBox::Yes; break;
    case MessageButtons::YesNoCancel:
      buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      def = QMessageBox::Yes;
      break;
  }
  QMessageBox mb(icon, QString::fromStdU16String(box.caption), QString::fromStdU16String(box.text), buttons,
                 parent_);
  mb.setDefaultButton(def);
  int r = mb.exec();
  MessageAnswer a = defaultAnswer(box.buttons);
  if (r == QMessageBox::Ok) a = MessageAnswer::Ok;
  else if (r == QMessageBox::Yes) a = MessageAnswer::Yes;
  else if (r == QMessageBox::No) a = MessageAnswer::No;
  else if (r == QMessageBox::Cancel) a = MessageAnswer::Cancel;
  interactive_.push_back({box, a});
  return a;
}

std::vector<ScriptedMessages::Shown> QtMessages::takeShown() {
  std::vector<ScriptedMessages::Shown> out = std::move(scripted_queue_.shown);
  scripted_queue_.shown.clear();
  for (auto& s : interactive_) out.push_back(std::move(s));
  interactive_.clear();
  return out;
}

}  // namespace vantrel
