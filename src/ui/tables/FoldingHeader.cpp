#include "ui/tables/FoldingHeader.h"

#include "core/platform/ScreenInfo.h"
#include "ui/resources/Bitmaps.h"

namespace vantrel {

FoldingHeader::FoldingHeader(QWidget* parent, ScreenDpi dpi, int arrowId)
    : QWidget(parent), dpi_(dpi) {
  arrow_ = new QPushButton(this);
  arrow_->setObjectName("arrow");
  arrow_->setProperty("childId", arrowId);
  arrow_->setFlat(true);
  arrow_->setFocusPolicy(Qt::NoFocus);
  arrow_->setAccessibleName("Show the whole title");
  arrow_->setToolTip("Show the whole title (hold)");
  loadArrow();
  arrow_->hide();
  connect(arrow_, &QPushButton::pressed, this, [this] { unfold(); });
  connect(arrow_, &QPushButton::released, this, [this] { fold(); });
}

void FoldingHeader::loadArrow() {
  QImage img = sharpBitmap(500, dpi_.x(), dpi_.y(), devicePixelRatioF());
  arrow_->setIcon(QIcon(QPixmap::fromImage(img)));
  arrow_->setIconSize(img.deviceIndependentSize().toSize());
}

void FoldingHeader::rescale() { loadArrow(); }

bool FoldingHeader::foldToLine(int t) {
  collapsed_ = false;
  const bool needsArrow = t < neededHeight();
  if (needsArrow) {
    arrow_->setGeometry(width() - 2 * kBorder - scaleForDpi(15, dpi_.x()), (t - scaleForDpi(12, dpi_.y())) / 2,
                        scaleForDpi(12, dpi_.x()), scaleForDpi(12, dpi_.y()));
    arrow_->show();
  } else {
    arrow_->hide();
  }
  collapsed_ = true;
  return needsArrow;
}

void FoldingHeader::placeInParent(int h) {
  QWidget* parent = parentWidget();
  if (!parent) return;
  const QRect r(-kBorder, -kBorder, parent->width() + 2 * kBorder, h + 2 * kBorder);
  const bool changed = r != geometry();
  setGeometry(r);
  if (changed) update();
}

void FoldingHeader::unfold() {
  if (!collapsed_ || pressed_) return;
  raise();
  collapsed_ = false;
  pressed_ = true;
  placeInParent(neededHeight());
  arrowShownBeforePress_ = !arrow_->isHidden();
  if (arrowShownBeforePress_) arrow_->hide();
  update();
}

void FoldingHeader::fold() {
  if (!pressed_) return;
  if (arrowShownBeforePress_) arrow_->show();
  collapsed_ = true;
  placeInParent(neededHeight());
  pressed_ = false;
  update();
}

void layoutHeaderIn(QWidget* container, FoldingHeader* header) {
  if (header->pressed()) return;  // the unfolded header lies over the content until released
  // The header's width must be known before it can count its lines, and it
  // folds itself at every layout, so it is laid out before it is asked.
  const int b = FoldingHeader::kBorder;
  header->setGeometry(-b, -b, container->width() + 2 * b, header->height());
  header->relayout();
  const int h = header->neededHeight();
  header->show();
  header->setGeometry(-b, -b, container->width() + 2 * b, h + 2 * b);
  header->relayout();
}

int contentTopBelow(const FoldingHeader* header) {
  return std::max(0, header->height() - 2 * FoldingHeader::kBorder);
}

}  // namespace vantrel
