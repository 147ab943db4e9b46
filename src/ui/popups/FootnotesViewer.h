#pragma once
// The footnotes viewer: objects of type "footnote", "popup" and "footnotes"
// shown as an overlay above the current page, through a popup hosted by a
// transparent window that covers the page. The page underneath stays.
#include <QJsonObject>
#include <QPoint>
#include <QPointer>
#include <string>

#include "ui/popups/FootnotePopup.h"
#include "ui/shell/LayoutWidget.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The transparent window that hosts the popup while a footnote is shown.
class FootnoteHost : public LayoutWidget {
 public:
  FootnoteHost(QWidget* pageArea, QWidget* mainWindow, ScreenDpi dpi);
  FootnoteHost(QWidget* pageArea, QWidget* mainWindow, int dpiX, int dpiY)
      : FootnoteHost(pageArea, mainWindow, ScreenDpi(dpiX, dpiY)) {}
  ~FootnoteHost() override;
  void prepare(const std::u16string& text, QPoint anchor, const std::u16string& title, bool fullView);
  // Shows the prepared text (once per prepare); answers whether it went to the dialog.
  bool present();
  bool presented() const { return presented_; }
  FootnotePopup* popup() const { return popup_; }
  // Called when the popup goes from the screen after being shown.
  void setClosedHandler(std::function<void()> closed) { onClosed_ = std::move(closed); }

 protected:
  void showEvent(QShowEvent*) override;

 private:
  QPointer<FootnotePopup> popup_;  // a top-level child of the main window
  TextBlock block_;
  QPoint anchor_;
  std::u16string title_;
  bool fullView_ = false;
  bool presented_ = true;
  bool toDialog_ = false;
  std::function<void()> onClosed_;
};

class FootnotesViewer : public ContentViewer, public ScriptStateSection {
 public:
  FootnotesViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow, ScreenDpi dpi);
  FootnotesViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow, int dpiX, int dpiY)
      : FootnotesViewer(database, frame, pageArea, mainWindow, ScreenDpi(dpiX, dpiY)) {}
  ~FootnotesViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  // {object, kind, title, text, dialog}: what the last show presented and
  // whether it went to the full-view dialog.
  QJsonObject scriptState() const override;
  FootnoteHost* host() const { return host_; }

 private:
  QWidget* mainWindow_;
  FootnoteHost* host_;
  uint32_t object_ = 0;
  std::u16string kind_, title_, text_;
  bool toDialog_ = false;
  bool closing_ = false;
};

}  // namespace vantrel
