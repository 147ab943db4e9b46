#pragma once
// The small modal dialog in which a one-line title is typed (the title of a
// new bookmark): an edit box (6969), "Save" (17) and "Cancel" (18). "Save"
// is accepted only with a non-empty title; otherwise the dialog stays open
// with the caret in the box.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "ui/platform/Rescale.h"
#include "core/platform/ScreenInfo.h"

namespace vantrel {

class TitleDialog : public QDialog, public Rescalable {
 public:
  static constexpr int kEditId = 6969;
  static constexpr int kSaveId = 17;
  static constexpr int kCancelId = 18;

  // parent: the main window (the emulated screen); screen gives the
  // resolution and the screen's shape.
  TitleDialog(QWidget* parent, const ScreenInfo& screen, const QString& caption = QStringLiteral("Add bookmark"));
  ~TitleDialog() override;

  // Shows the dialog modally; true when it ended with "Save".
  bool run();
  // The font and the size at the resolution read now.
  void rescale() override;
  // The title typed, valid after run.
  const QString& text() const { return text_; }

  QLineEdit* edit() const { return edit_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* cancelButton() const { return cancel_; }

  // The dialog open in the main window that in lies in (for scripted runs), or null.
  static TitleDialog* openDialog(const QObject* in);
  // Scripted runs: an open dialog calls the driver instead of running a
  // modal loop of its own; the driver returns once the dialog has closed
  // (or gives up, and the dialog closes as cancelled).
  static void setModalDriver(std::function<void(TitleDialog&)> driver) { driver_ = std::move(driver); }

 protected:
  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent*) override { placeControls(); }

 private:
  void placeControls();
  void save();

  const ScreenInfo& screen_;
  QLineEdit* edit_;
  QPushButton* save_;
  QPushButton* cancel_;
  QString text_;
  static std::function<void(TitleDialog&)> driver_;
};

}  // namespace vantrel
