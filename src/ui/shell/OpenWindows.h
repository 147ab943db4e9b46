#pragma once
// What is open over one main window: its HTML dialog (at most one at a time),
// its title dialog, its popup and its find bars. The window holds the record
// as a child object; a dialog, popup or find bar finds it through its parents
// and enters itself while it is open, so two windows in one process never
// see each other's. Scripted runs read it for the state and for the commands
// that act on what is open.
#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

namespace vantrel {

class FindBar;
class FootnotePopup;
class HtmlDialog;
class TitleDialog;

class OpenWindows : public QObject {
  Q_OBJECT
 public:
  // A record for owner and the windows opened in or over it; it goes with owner.
  explicit OpenWindows(QWidget* owner);

  // The record held by w or by its nearest ancestor that holds one; null
  // when none does (a widget outside any main window).
  static OpenWindows* of(const QObject* w);

  // Null when none is open. A window destroyed while open reads as closed.
  HtmlDialog* htmlDialog() const;
  TitleDialog* titleDialog() const;
  FootnotePopup* popup() const;
  // The first bar entered that is open on a page shown.
  FindBar* findBar() const;

  // Entered as open: the one of its kind (a find bar: one of the open ones).
  void opened(HtmlDialog* dialog);
  void opened(TitleDialog* dialog);
  void opened(FootnotePopup* popup);
  void opened(FindBar* bar);
  // w is no longer open; nothing happens when it is not the one entered.
  void closed(const QObject* w);

 private:
  QPointer<HtmlDialog> html_;
  QPointer<TitleDialog> title_;
  QPointer<FootnotePopup> popup_;
  std::vector<QPointer<FindBar>> bars_;
};

}  // namespace vantrel
