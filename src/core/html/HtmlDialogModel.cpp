#include "core/html/HtmlDialogModel.h"

namespace vantrel {

DialogRect placeHtmlDialog(const DialogRect& requested, const DialogRect& mainWindow) {
  if (requested.empty()) return mainWindow;
  return DialogRect{mainWindow.x + (mainWindow.width - requested.width) / 2,
                    mainWindow.y + (mainWindow.height - requested.height) / 2, requested.width, requested.height};
}

bool HtmlDialogModel::begin(std::u16string_view title, std::u16string_view body) {
  if (busy_) return false;
  busy_ = true;
  title_.assign(title);
  document_ = dialogDocument(body);
  result_ = -1;
  anchor_.clear();
  return true;
}

void HtmlDialogModel::linkTapped(std::u16string_view target) {
  if (!busy_) return;
  const LinkTarget link = parseLinkTarget(target);
  result_ = link.object;
  anchor_ = link.anchor;
}

int64_t HtmlDialogModel::finish() {
  busy_ = false;
  return result_;
}

}  // namespace vantrel
