#include "ui/hierarchy/HierarchySplitWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/resources/Bitmaps.h"

namespace vantrel {

SplitterBar::SplitterBar(HierarchySplitWindow& window) : QWidget(&window), window_(window) {
  setProperty("childId", kId);
  setFocusPolicy(Qt::TabFocus);
  setToolTip(QStringLiteral("Drag, or press Up and Down, to share the space between the tree and the fields"));
}

void SplitterBar::setImage(QImage image, int number) {
  image_ = std::move(image);
  bitmap_ = number;
  update();
}

void SplitterBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (image_.isNull()) {
    p.fillRect(rect(), QColor(192, 192, 192));
    return;
  }
  // The marks stay over the snap zones, which are measured from the right
  // edge: the bar is drawn against the right edge and its plain left end
  // stretched over whatever width is left.
  const int left = width() - qRound(image_.deviceIndependentSize().width());
  if (left > 0) p.drawImage(QRect(0, 0, left, height()), image_, QRect(0, 0, 1, image_.height()));
  p.drawImage(QPoint(left, 0), image_);
}

void SplitterBar::mousePressEvent(QMouseEvent* e) { window_.penDown(mapToParent(e->position().toPoint())); }
void SplitterBar::mouseMoveEvent(QMouseEvent* e) { window_.penMove(mapToParent(e->position().toPoint())); }
void SplitterBar::mouseReleaseEvent(QMouseEvent* e) { window_.penUp(mapToParent(e->position().toPoint())); }

void SplitterBar::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Up) window_.nudge(-0.05f);
  else if (e->key() == Qt::Key_Down) window_.nudge(0.05f);
  else QWidget::keyPressEvent(e);
}

HierarchySplitWindow::HierarchySplitWindow(QWidget* parent, ScreenDpi dpi)
    : HeaderedWindow(parent, "tightHierarchy", dpi),
      dpi_(dpi),
      tree_(new HierarchyTreePane(this, dpi, "tree")),
      splitter_(new SplitterBar(*this)),
      html_(new HtmlPane(this, dpi, "fields")),
      split_(dpi) {
  tree_->setProperty("childId", kTreeId);
  html_->setProperty("childId", kHtmlId);
  loadSplitterImage();
}

void HierarchySplitWindow::loadSplitterImage() {
  const QWidget* screen = window();
  const bool landscape = screen && screen->width() > screen->height();
  const int number = landscape ? 401 : 400;
  splitter_->setImage(sharpBitmap(number, dpi_.x(), dpi_.y(), devicePixelRatioF()), number);
}

void HierarchySplitWindow::layoutPanes() {
  const SplitGeometry g = split_.layout(width(), height(), contentTop());
  auto place = [](QWidget* w, const Rect& r) { w->setGeometry(r.left, r.top, r.width(), std::max(0, r.height())); };
  place(tree_, g.tree);
  place(splitter_, g.splitter);
  place(html_, g.fields);
  tree_->update();
  splitter_->update();
  html_->update();
}

void HierarchySplitWindow::penDown(QPoint p) {
  // The splitter keeps the pen until it is lifted (the platform's implicit grab).
  split_.press(p.x(), p.y(), height(), contentTop());
}

void HierarchySplitWindow::penMove(QPoint p) {
  if (split_.move(p.y(), height(), contentTop())) layoutPanes();
}

void HierarchySplitWindow::penUp(QPoint p) {
  split_.release(p.x(), p.y(), width(), height(), contentTop());
  layoutPanes();
}

void HierarchySplitWindow::nudge(float delta) {
  split_.setRatio(split_.ratio() + delta);
  layoutPanes();
}

void HierarchySplitWindow::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  loadSplitterImage();
  layoutPanes();
}

}  // namespace vantrel
