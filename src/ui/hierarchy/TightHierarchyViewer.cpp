#include "ui/hierarchy/TightHierarchyViewer.h"

#include <QJsonArray>

#include "ui/hierarchy/ContentsViewer.h"
#include "core/platform/DrawingSurface.h"
#include "ui/platform/QtSurface.h"
#include "core/page/MainFrame.h"
#include "core/tables/ItemSource.h"

namespace vantrel {

TightHierarchyViewer::TightHierarchyViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea,
                                           MenuHost* menuHost, ScreenDpi dpi)
    : ContentViewer(&database, &frame),
      model_(database),
      pageArea_(pageArea),
      window_(new HierarchySplitWindow(pageArea, dpi)),
      bar_(new ButtonBar(pageArea, dpi)),
      menuHost_(menuHost),
      dpi_(dpi) {
  window_->setGeometry(0, 0, 0, 0);
  window_->hide();
  bar_->setGeometry(0, 0, 0, 0);
  bar_->hide();
  window_->treePane()->setOwner(this);
  window_->htmlPane()->setOwner(this);
  bar_->setListener(this);
  applyDpi();
}

void TightHierarchyViewer::applyDpi() {
  bar_->resize(bar_->width(), dpi_.sy(22));
  window_->htmlPane()->setup(false, u"", 0x000000, guideFontDescription(dpi_.y()), &model_.fieldsPage());
  bar_->setImageButtons({{kFieldJumpButton, dpi_.x() >= 192 ? 146 : 110, kNoImage, "Jump to field"}},
                        QColor(192, 192, 192), dpi_.sx(2), QColor(255, 0, 0), 0);
}

void TightHierarchyViewer::setupHeader() {
  HeaderSettings s;
  s.shown = true;
  s.text = QString::fromStdU16String(model_.caption());
  s.textColour = QColor(255, 255, 255);
  s.alignment = 1;
  s.font = QtSurface::qfontFor(guideFontDescription(dpi_.y()));
  s.background = QColor(0, 0, 0);
  s.collapsed = true;
  window_->setupHeader(s);
}

void TightHierarchyViewer::rescale() {
  applyDpi();
  setupHeader();
  window_->layoutPanes();
}

TightHierarchyViewer::~TightHierarchyViewer() {
  delete bar_;
  delete window_;
}

bool TightHierarchyViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  if (!model_.show(object, data, length)) return false;
  window_->htmlPane()->clear();
  setupHeader();
  window_->treePane()->setupPane(u"", &model_.source(), false);
  window_->layoutPanes();
  applyTreeRebuild(*window_->treePane(), model_.rebuild());
  addLayoutItem(window_, kFill);
  addLayoutItem(bar_, kBottomStrip);
  frame_->setTitle(model_.title());
  return true;
}

void TightHierarchyViewer::afterLayout() {
  HtmlPane* html = window_->htmlPane();
  if (model_.entryToShow() != 0) html->showItem(model_.entryToShow());
  if (!model_.anchor().empty()) html->jumpToAnchor(model_.anchor());
  window_->treePane()->applyPendingScroll();
}

void TightHierarchyViewer::onEntryTapped(HierarchyTreePane&, ObjectIndex object, bool leaf) {
  const EntryTapAction a = model_.entryTapped(object, leaf);
  if (a.kind != EntryTapAction::Kind::Navigate) return;
  frame_->navigate(a.target, a.data.empty() ? nullptr : a.data.data(), a.data.size(), true);
  if (a.showPaneAgain) {
    for (const LayoutItem& i : frame_->window().current())
      if (i.window == window_) window_->show();
  }
}

void TightHierarchyViewer::linkTapped(HtmlPane&, ObjectIndex linkId, int) {
  frame_->navigate(linkId, nullptr, 0, true);
}

void TightHierarchyViewer::buttonCommand(int code) {
  if (code != kFieldJumpButton || !menuHost_) return;
  jumpList_ = model_.fieldJumpList();
  if (jumpList_.empty()) return;
  VectorItemSource items;
  for (const auto& [name, field] : jumpList_) items.add(name, field);
  menuHost_->setListener(this);
  menuHost_->fill(items);
  // The list opens above the button, its right edge at the button's left
  // edge, kept on the screen.
  const QRect button = bar_->buttonRect(0);
  menuHost_->track(MenuHost::kBottomAlign, button.left(), button.top());
  if (MarkupMenu* menu = menuHost_->menu()) {
    const int screenLeft = pageArea_->window()->mapToGlobal(QPoint(0, 0)).x();
    menu->move(std::max(screenLeft, button.left() - menu->width()), menu->y());
  }
}

void TightHierarchyViewer::menuChosen(int index) {
  if (index < 0 || static_cast<size_t>(index) >= jumpList_.size()) return;
  std::u16string name;
  appendDecimal(name, jumpList_[static_cast<size_t>(index)].second);
  window_->htmlPane()->jumpToAnchor(name);
}

QJsonObject TightHierarchyViewer::scriptState() const {
  QJsonObject o;
  o["object"] = static_cast<qint64>(model_.object());
  o["title"] = QString::fromStdU16String(model_.title());
  QJsonObject tree;
  addTreeState(tree, *window_->treePane(), pageArea_);
  o["tree"] = tree;
  o["ratio"] = static_cast<double>(window_->split().ratio());
  const QRect sg = window_->splitter()->geometry();
  const QPoint at = pageArea_->mapFromGlobal(window_->mapToGlobal(sg.topLeft()));
  o["splitter"] = QJsonObject{{"y", at.y()}, {"h", sg.height()}, {"bitmap", window_->splitter()->bitmap()}};
  o["html"] = window_->htmlPane()->control()->text();
  o["anchor"] = window_->htmlPane()->control()->lastAnchor();
  QJsonArray names;
  for (const std::u16string& n : model_.fieldNameTexts()) names.append(QString::fromStdU16String(n));
  o["fieldNames"] = names;
  return o;
}

bool TightHierarchyViewer::linksShown() const { return window_->isVisible(); }

bool TightHierarchyViewer::followLink(const std::string& href, std::string& error) {
  return followLinkIn(*window_->htmlPane()->control(), href, error);
}

HierarchyTreePane* TightHierarchyViewer::shownTree() { return window_->isVisible() ? window_->treePane() : nullptr; }

}  // namespace vantrel
