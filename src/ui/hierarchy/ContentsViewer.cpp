#include "ui/hierarchy/ContentsViewer.h"

#include "core/page/MainFrame.h"

namespace vantrel {

void addTreeState(QJsonObject& o, const HierarchyTreePane& pane, const QWidget* pageArea) {
  QJsonArray rows;
  for (const TreeRow& r : pane.rows(pageArea)) {
    QJsonObject row;
    row["text"] = QString::fromStdU16String(r.text);
    row["object"] = static_cast<qint64>(r.object);
    row["depth"] = r.depth;
    row["expanded"] = r.expanded;
    row["leaf"] = r.leaf;
    row["x"] = r.x;
    row["y"] = r.inView ? QJsonValue(r.y) : QJsonValue(QJsonValue::Null);
    row["h"] = r.h;
    rows.append(row);
  }
  o["rows"] = rows;
  o["highlighted"] = static_cast<qint64>(pane.highlighted());
  o["firstVisible"] = static_cast<qint64>(pane.firstVisible());
}

void applyTreeRebuild(HierarchyTreePane& pane, const TreeRebuild& r) {
  switch (r.kind) {
    case TreeRebuild::Kind::Keep:
      break;
    case TreeRebuild::Kind::Root:
      pane.setRoot(r.root);
      break;
    case TreeRebuild::Kind::RootAndShow:
      pane.setRoot(r.root);
      pane.showObject(r.show, true);
      break;
  }
}

ContentsViewer::ContentsViewer(const ContentDatabase& database, MainFrame& frame, ObjectIndex toc, QWidget* pageArea,
                               ScreenDpi dpi)
    : ContentViewer(&database, &frame),
      model_(database, toc),
      pageArea_(pageArea),
      pane_(new HierarchyTreePane(pageArea, dpi, "contents")) {
  pane_->setGeometry(0, 0, 0, 0);
  pane_->hide();
  pane_->setOwner(this);
}

ContentsViewer::~ContentsViewer() { delete pane_; }

bool ContentsViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!model_.show(object)) return false;
  pane_->setupPane(model_.caption(), &model_.source());
  applyTreeRebuild(*pane_, model_.rebuild());
  addLayoutItem(pane_, kFill);
  frame_->setTitle(model_.title());
  return true;
}

void ContentsViewer::afterLayout() {
  model_.afterLayout();
  pane_->applyPendingScroll();
}

void ContentsViewer::onEntryTapped(HierarchyTreePane&, ObjectIndex object, bool leaf) {
  const EntryTapAction a = model_.entryTapped(object, leaf);
  if (a.kind != EntryTapAction::Kind::Navigate) return;
  frame_->navigate(a.target, a.data.empty() ? nullptr : a.data.data(), a.data.size(), true);
  // Shown again only while it still belongs to the page: over another
  // viewer's page it would hide that page.
  if (a.showPaneAgain) {
    for (const LayoutItem& i : frame_->window().current())
      if (i.window == pane_) pane_->show();
  }
}

QJsonObject ContentsViewer::scriptState() const {
  QJsonObject o;
  o["object"] = static_cast<qint64>(model_.object());
  o["title"] = QString::fromStdU16String(model_.title());
  addTreeState(o, *pane_, pageArea_);
  return o;
}

HierarchyTreePane* ContentsViewer::shownTree() { return pane_->isVisible() ? pane_ : nullptr; }

}  // namespace vantrel
