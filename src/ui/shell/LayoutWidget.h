#pragma once
// A QWidget that the frame window can lay out: the base of every window a
// viewer contributes to a page.
#include <QWidget>

#include "core/page/LayoutWindow.h"

namespace vantrel {

class LayoutWidget : public QWidget, public LayoutWindow {
 public:
  LayoutWidget(QWidget* parent, const char* kindName) : QWidget(parent), kindName_(kindName) {}
  Size size() const override { return {width(), height()}; }
  void place(const Rect& r) override { setGeometry(r.left, r.top, r.width(), r.height()); }
  void setShown(bool shown) override { setVisible(shown); }
  void update() override { repaint(); }
  const char* kindName() const override { return kindName_; }

 private:
  const char* kindName_;
};

}  // namespace vantrel
