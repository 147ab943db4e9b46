#pragma once
// A small top-level window that shows a short text (a footnote, a popup, the
// full text of a cut-off cell) near the point that was tapped, drawn with the
// markup renderer and closed by the next tap anywhere. A text too tall for the
// screen, or one the caller wants in full view, goes to the full-view dialog
// instead.
#include <QImage>
#include <QPoint>
#include <QWidget>

#include "ui/platform/Accessible.h"
#include "ui/platform/Rescale.h"
#include <functional>
#include <string>

#include "core/platform/DrawingSurface.h"
#include "core/richtext/LinkAreaList.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/richtext/TextBlock.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class FootnotePopup : public QWidget, public AccessibleLabel, public Rescalable {
 public:
  // A tapped link: its id (an object index), the popup's anchor, and the part
  // of the link's target after "#" (dialog links only; empty otherwise).
  using LinkListener = std::function<void(FootnotePopup*, int32_t linkId, QPoint anchor, const std::u16string& anchorName)>;
  // Shows text in the full-view dialog over the main window (modal: it
  // returns once the dialog is closed); a link tapped there is reported
  // through onLink. The default is the HTML dialog.
  using DialogOpener = std::function<void(QWidget* mainWindow, int dpiY, const std::u16string& title,
                                          const std::u16string& text,
                                          std::function<void(int32_t, const std::u16string&)> onLink)>;

  // mainWindow: the window whose rectangle bounds the popup (the popup itself
  // is a top-level window and starts hidden).
  FootnotePopup(QWidget* mainWindow, ScreenDpi dpi);
  FootnotePopup(QWidget* mainWindow, int dpiX, int dpiY)
      : FootnotePopup(mainWindow, ScreenDpi(dpiX, dpiY)) {}
  ~FootnotePopup() override;

  // The text's font, made for the resolution of the time it is set.
  void setFont(const FontDescription& font);
  // The font made again for the new resolution (a zoom closes the popup
  // first; the next one is placed and drawn at the new resolution).
  void rescale() override;
  void setListener(LinkListener listener) { listener_ = std::move(listener); }
  // Answers true when the text went to the dialog (the popup is not shown).
  bool show(TextBlock& block, QPoint anchor, const std::u16string& title, bool fullView, bool reparse);
  void hidePopup();
  // Called whenever the popup goes from the screen.
  void setHiddenHandler(std::function<void()> hidden) { onHidden_ = std::move(hidden); }

  // The popup on screen over the main window that in lies in (at most one),
  // for scripted runs; null when none is.
  static FootnotePopup* shownPopup(const QObject* in);
  // The display text shown.
  const std::u16string& shownText() const { return block_.text; }
  QAccessible::Role accessibleRole() const override { return QAccessible::ToolTip; }
  QString accessibleName() const override { return QString::fromStdU16String(block_.text); }
  // What the last show sent to the dialog (empty title and text when it
  // showed the popup instead).
  bool lastWentToDialog() const { return lastToDialog_; }
  const std::u16string& dialogTitle() const { return dialogTitle_; }
  const std::u16string& dialogText() const { return dialogText_; }
  const QImage& image() const { return image_; }

  // The process-wide dialog (for tests); null brings back the HTML dialog.
  static void setDialogOpener(DialogOpener opener);
  // The bounds a popup must fit: the main window's rectangle less a scroll
  // bar's margin at the right and bottom (screen coordinates).
  static Rect popupBounds(const QWidget* mainWindow, int dpiX, int dpiY);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void hideEvent(QHideEvent*) override;

 private:
  QWidget* mainWindow_;
  ScreenDpi dpi_;
  MarkupRenderer renderer_;
  FontDescription givenFont_;  // as set, for the resolution of that time
  int givenDpiY_ = 96;
  TextBlock block_;
  QPoint anchor_;
  QImage image_;
  LinkAreaList links_;
  LinkListener listener_;
  std::function<void()> onHidden_;
  bool lastToDialog_ = false;
  std::u16string dialogTitle_, dialogText_;
};

// Reads the object index at the start of a link target ("12#sec" -> 12,
// anchor name "sec"); -1 when it does not start with a digit.
int32_t parseLinkTarget(const QString& target, std::u16string& anchorName);

}  // namespace vantrel
