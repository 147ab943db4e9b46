#include "ui/shell/OpenWindows.h"

#include <QWidget>
#include <algorithm>

#include "ui/html/HtmlDialog.h"
#include "ui/popups/FootnotePopup.h"
#include "ui/search/FindBar.h"
#include "ui/userdata/TitleDialog.h"

namespace vantrel {

OpenWindows::OpenWindows(QWidget* owner) : QObject(owner) { setObjectName("openWindows"); }

OpenWindows* OpenWindows::of(const QObject* w) {
  // A dialog or a popup is a window of its own whose parent is the window it
  // was opened over, so the walk crosses from window to window.
  for (const QObject* o = w; o; o = o->parent())
    if (auto* record = o->findChild<OpenWindows*>(QString(), Qt::FindDirectChildrenOnly)) return record;
  return nullptr;
}

HtmlDialog* OpenWindows::htmlDialog() const { return html_.data(); }
TitleDialog* OpenWindows::titleDialog() const { return title_.data(); }
FootnotePopup* OpenWindows::popup() const { return popup_.data(); }

FindBar* OpenWindows::findBar() const {
  for (const QPointer<FindBar>& bar : bars_)
    if (bar && bar->isOpen()) return bar.data();
  return nullptr;
}

void OpenWindows::opened(HtmlDialog* dialog) { html_ = dialog; }
void OpenWindows::opened(TitleDialog* dialog) { title_ = dialog; }
void OpenWindows::opened(FootnotePopup* popup) { popup_ = popup; }

void OpenWindows::opened(FindBar* bar) {
  if (std::find(bars_.begin(), bars_.end(), bar) == bars_.end()) bars_.emplace_back(bar);
}

void OpenWindows::closed(const QObject* w) {
  if (!w) return;
  if (html_ == w) html_.clear();
  if (title_ == w) title_.clear();
  if (popup_ == w) popup_.clear();
  std::erase_if(bars_, [w](const QPointer<FindBar>& bar) { return !bar || bar == w; });
}

}  // namespace vantrel
