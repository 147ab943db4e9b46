#pragma once
// The HTML control: shows one complete HTML document, scrolls to a named
// anchor, reports the target text of a tapped link and answers inline image
// requests with no image. Documents never reach files or the network: every
// resource the document asks for is answered here.
#include <QString>
#include <QStringList>
#include <QTextBrowser>
#include <functional>

#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class HtmlControl : public QTextBrowser, public Rescalable {
 public:
  // The child id the control carries (8989 in the HTML pane, 1001 in the
  // HTML dialog); kept as the widget's "childId" property.
  // dpiY sizes the document's default font (12 pixels at 96 dots per inch).
  HtmlControl(QWidget* parent, int childId, int dpiY = 96) : HtmlControl(parent, childId, ScreenDpi(96, dpiY)) {}
  HtmlControl(QWidget* parent, int childId, ScreenDpi dpi);
  int childId() const { return childId_; }
  // The font and scroll bars made again for the new resolution and the
  // document laid out again in that font, at the same place as far as it
  // maps (the same share of the document scrolled past).
  void rescale() override;

  // Replaces the document with text (a complete HTML document).
  void loadText(const QString& text);
  // The text last loaded.
  const QString& text() const { return text_; }
  // Scrolls so that the anchor of that name is at the top.
  void jumpToAnchor(const QString& name);
  const QString& lastAnchor() const { return lastAnchor_; }
  // Sets the vertical scroll position.
  void setScroll(int pos);
  int scroll() const;

  // Called with a tapped link's target text, as written in the document.
  // A tap reports after its own event has been handled, so the listener
  // may load another document.
  void setLinkListener(std::function<void(const QString&)> listener) { linkListener_ = std::move(listener); }
  // Called for every inline image the document asks for (target text).
  void setImageListener(std::function<void(const QString&)> listener) { imageListener_ = std::move(listener); }

  // The targets of every link in the document, in document order.
  QStringList linkTargets() const;
  // Acts as a tap on the link with that target: false when the document has
  // none. The listener is called at once.
  bool activateLink(const QString& target);

  QVariant loadResource(int type, const QUrl& name) override;
  // The width the text keeps to in a wide window: about 100 characters of
  // the document's font; the column is centred.
  int readableWidth() const;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void applyDpi();
  void report(const QString& target);
  void keepReadableColumn();

  int childId_;
  ScreenDpi dpi_;
  QString text_;
  QString lastAnchor_;
  QString pressedAnchor_;
  std::function<void(const QString&)> linkListener_;
  std::function<void(const QString&)> imageListener_;
};

}  // namespace vantrel
