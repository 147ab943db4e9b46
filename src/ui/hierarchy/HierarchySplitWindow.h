#pragma once
// The tight hierarchy's window: under its title, the tree pane on top, the
// fields page below and a splitter bar between them that the pen drags
// (the split kept between a quarter and three quarters) or snaps to three
// positions with the marks at its right end.
#include <QImage>
#include <QWidget>

#include "ui/platform/Accessible.h"

#include "ui/hierarchy/HierarchyTreePane.h"
#include "core/hierarchy/SplitLayout.h"
#include "ui/html/HtmlPane.h"
#include "ui/tables/TitleHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class HierarchySplitWindow;

// The splitter (child id 5): draws its bar with the marks at its right end
// and hands the pen to the window.
class SplitterBar : public QWidget, public AccessibleLabel {
 public:
  static constexpr int kId = 5;
  SplitterBar(HierarchySplitWindow& window);
  void setImage(QImage image, int number);
  const QImage& image() const { return image_; }
  int bitmap() const { return bitmap_; }
  QAccessible::Role accessibleRole() const override { return QAccessible::Splitter; }
  QString accessibleName() const override { return QStringLiteral("Splitter between the tree and the fields"); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  // Up and Down move the split by a twentieth of the window.
  void keyPressEvent(QKeyEvent* e) override;

 private:
  HierarchySplitWindow& window_;
  QImage image_;
  int bitmap_ = 0;
};

class HierarchySplitWindow : public HeaderedWindow {
 public:
  static constexpr int kTreeId = 60;
  static constexpr int kHtmlId = 61;

  HierarchySplitWindow(QWidget* parent, ScreenDpi dpi);
  HierarchySplitWindow(QWidget* parent, int dpiX, int dpiY)
      : HierarchySplitWindow(parent, ScreenDpi(dpiX, dpiY)) {}

  HierarchyTreePane* treePane() const { return tree_; }
  HtmlPane* htmlPane() const { return html_; }
  SplitterBar* splitter() const { return splitter_; }
  SplitLayout& split() { return split_; }
  const SplitLayout& split() const { return split_; }

  // The pen in the window's client coordinates (the splitter hands them on).
  void penDown(QPoint p);
  void penMove(QPoint p);
  void penUp(QPoint p);
  // Moves the split by delta of the ratio (held within its limits).
  void nudge(float delta);
  // Places the tree, the splitter and the fields pane for the ratio.
  void layoutPanes();

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  void loadSplitterImage();

  ScreenDpi dpi_;
  HierarchyTreePane* tree_;
  SplitterBar* splitter_;
  HtmlPane* html_;
  SplitLayout split_;
};

}  // namespace vantrel
