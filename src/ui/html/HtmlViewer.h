#pragma once
// The HTML viewer: shows the pages the HTML control renders (index menus,
// "html" pages, table help pages, decision-tree steps and the calculator
// results) in an HTML pane filling the frame, with the "New evaluation" bar
// below decision-tree pages. Which pages it takes and what they hold is
// decided by HtmlViewerModel; this side displays them and turns link taps
// into navigations.
#include <QJsonObject>
#include <QPushButton>
#include <functional>

#include "ui/html/HtmlPane.h"
#include "core/html/HtmlViewerModel.h"
#include "core/page/Viewer.h"
#include "ui/shell/LayoutWidget.h"
#include "core/page/PageKeys.h"
#include "ui/shell/ScriptState.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The bar under decision-tree pages: grey, sy(26) high, with one push button
// "New evaluation" of sx(100) by sy(20) centred in it.
class RestartBar : public LayoutWidget, public Rescalable {
 public:
  RestartBar(QWidget* parent, ScreenDpi dpi);
  RestartBar(QWidget* parent, int dpiX, int dpiY)
      : RestartBar(parent, ScreenDpi(dpiX, dpiY)) {}
  void setListener(std::function<void()> listener) { listener_ = std::move(listener); }
  QPushButton* button() const { return button_; }
  Size size() const override { return {width(), height()}; }
  // The button's font and the bar's height for the new resolution.
  void rescale() override { applyDpi(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void applyDpi();
  ScreenDpi dpi_;
  QPushButton* button_;
  std::function<void()> listener_;
};

class HtmlViewer : public ContentViewer,
                     public HtmlPaneOwner,
                     public ScriptStateSection,
                     public ScriptLinkTarget {
 public:
  HtmlViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea, ScreenDpi dpi);
  HtmlViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea, int dpiX, int dpiY)
      : HtmlViewer(database, frame, keys, pageArea, ScreenDpi(dpiX, dpiY)) {}
  ~HtmlViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;

  void linkTapped(HtmlPane& pane, ObjectIndex linkId, int unused) override;
  void imageRequested(HtmlPane&, const std::u16string&, uint32_t) override {}

  // {source, object, html, anchor}
  QJsonObject scriptState() const override;
  bool linksShown() const override;
  bool followLink(const std::string& href, std::string& error) override;

  HtmlPane* pane() const { return pane_; }
  RestartBar* restartBar() const { return restartBar_; }
  HtmlViewerModel& model() { return model_; }

 private:
  void navigateTo(const HtmlNavigation& nav);

  HtmlViewerModel model_;
  HtmlPane* pane_;
  RestartBar* restartBar_;
  ScreenDpi dpi_;
  ObjectIndex shownObject_ = 0;
};

}  // namespace vantrel
