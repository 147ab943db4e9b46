#include "ui/platform/Rescale.h"

#include <QCoreApplication>
#include <QPointer>
#include <QResizeEvent>
#include <QWidget>
#include <vector>

namespace vantrel {

namespace {
// root's tree in pre-order (parents before their children).
std::vector<QPointer<QWidget>> treeOf(QWidget* root) {
  std::vector<QPointer<QWidget>> out;
  if (!root) return out;
  out.emplace_back(root);
  for (size_t i = 0; i < out.size(); ++i) {
    QWidget* w = out[i];
    if (!w) continue;
    for (QObject* child : w->children())
      if (child->isWidgetType()) out.emplace_back(static_cast<QWidget*>(child));
  }
  return out;
}
}  // namespace

void rescaleWidgets(QWidget* root) {
  auto tree = treeOf(root);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it)
    if (QWidget* w = *it)
      if (auto* r = dynamic_cast<Rescalable*>(w)) r->rescale();
}

void relayoutWidgets(QWidget* root) {
  for (const QPointer<QWidget>& p : treeOf(root)) {
    QWidget* w = p;
    if (!w || w == root) continue;
    QResizeEvent e(w->size(), w->size());
    QCoreApplication::sendEvent(w, &e);
    w->update();
  }
}

}  // namespace vantrel
