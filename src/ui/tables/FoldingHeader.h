#pragma once
// What the two title strips (TitleHeader, RichTitleHeader) share: folding to
// one line with a down arrow at the right when the title needs more, and
// unfolding over the content below while the stylus is held on the header
// or its arrow; and how a container lays its header out across its top.
#include <QPushButton>
#include <QWidget>
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class FoldingHeader : public QWidget, public Rescalable {
 public:
  // The width of the border drawn around a header, which lies outside its container.
  static constexpr int kBorder = 1;

  // arrowId: the arrow button's child id.
  FoldingHeader(QWidget* parent, ScreenDpi dpi, int arrowId);
  FoldingHeader(QWidget* parent, int dpiX, int dpiY, int arrowId)
      : FoldingHeader(parent, ScreenDpi(dpiX, dpiY), arrowId) {}
  // The height the header wants now: one line when folded, the whole title
  // while unfolded, 0 when switched off.
  virtual int neededHeight() const = 0;
  // Lays the header out again after a change of size (the arrow, folding).
  virtual void relayout() = 0;
  bool collapsed() const { return collapsed_; }
  bool pressed() const { return pressed_; }
  QPushButton* arrow() const { return arrow_; }
  // Unfolds (press) and folds again (release), as the stylus does.
  void unfold();
  void fold();
  // The arrow's picture for the new resolution; the container lays the
  // header out again at its next resize.
  void rescale() override;

 protected:
  void resizeEvent(QResizeEvent*) override { relayout(); }
  void mousePressEvent(QMouseEvent*) override { unfold(); }
  void mouseReleaseEvent(QMouseEvent*) override { fold(); }
  // Folds to one line of height t, showing the arrow when the title needs
  // more than that; answers whether the arrow is shown.
  bool foldToLine(int t);
  // Moves the header to the parent's width and height h, its border outside.
  void placeInParent(int h);
  void loadArrow();

  ScreenDpi dpi_;
  bool collapsed_ = false;
  bool pressed_ = false;
  bool arrowShownBeforePress_ = false;
  QPushButton* arrow_;
};

// A container's header across its top: laid out at the container's width,
// then given the height it wants (nothing while it is unfolded).
void layoutHeaderIn(QWidget* container, FoldingHeader* header);
// The top of the content below the header, in the container's client coordinates.
int contentTopBelow(const FoldingHeader* header);

}  // namespace vantrel
