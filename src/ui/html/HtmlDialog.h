#pragma once
// The HTML dialog: a modal window showing a piece of HTML in an HTML control
// (child id 1001). Tapping a link closes it and answers the link's object
// (its leading decimal number) and the anchor name after its first "#".
#include <QDialog>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <functional>

#include "ui/html/HtmlControl.h"
#include "core/html/HtmlDialogModel.h"

namespace vantrel {

class HtmlDialog : public QDialog {
 public:
  static constexpr int kControlId = 1001;
  // The close button below the control; it closes the dialog as Escape does.
  static constexpr int kCloseId = 2;

  // parent: the main window the dialog covers or is centred on.
  // dpiY sizes the control's default font.
  explicit HtmlDialog(QWidget* parent, int dpiY = 96);
  ~HtmlDialog() override;

  // Shows the dialog modally. Answers the tapped link's object, or -1 when
  // it was closed without a link tapped, or at once when an HTML dialog is
  // already open over the same main window. An empty rectangle makes it
  // cover the main window; otherwise it takes the rectangle's size, centred
  // on the main window.
  int open(const QString& title, const QString& body, const QRect& rect = QRect());
  // The part of the last tapped link's target after its first "#".
  const QString& anchorName() const { return anchor_; }

  // Scripted runs: instead of a modal loop of its own, an open dialog calls
  // the driver, which returns once the dialog is closed (or gives up; the
  // dialog then closes as cancelled). Null: the dialog runs its own loop.
  static void setModalDriver(std::function<void(HtmlDialog&)> driver) { driver_ = std::move(driver); }

  // The dialog open in the main window that in lies in (for scripted runs), or null.
  static HtmlDialog* openDialog(const QObject* in);
  HtmlControl* control() const { return control_; }
  QPushButton* closeButton() const { return close_; }
  const QString& title() const { return title_; }
  const QString& body() const { return body_; }

 private:
  void linkTapped(const QString& target);

  HtmlControl* control_ = nullptr;
  QPushButton* close_ = nullptr;
  QString title_;
  QString body_;
  HtmlDialogModel model_;
  QString anchor_;
  int dpiY_;
  static std::function<void(HtmlDialog&)> driver_;
};

}  // namespace vantrel
