#include "ui/userdata/TitleDialog.h"

#include <QEvent>

#include "ui/platform/QtSurface.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {

std::function<void(TitleDialog&)> TitleDialog::driver_;

namespace {
// The dialog's client area: its template is 108 x 46 dialog units in the
// 8-point system font, two pixels a unit across and down at 96 dots per inch.
constexpr int kClientWidth = 216;
constexpr int kClientHeight = 92;
}  // namespace

TitleDialog::TitleDialog(QWidget* parent, const ScreenInfo& screen, const QString& caption)
    : QDialog(parent), screen_(screen) {
  setObjectName("titleDialog");
  setModal(true);
  setWindowTitle(caption);
  edit_ = new QLineEdit(this);
  edit_->setObjectName("titleEdit");
  edit_->setAccessibleName(caption);
  edit_->setProperty("childId", kEditId);
  save_ = new QPushButton(QStringLiteral("Save"), this);
  save_->setObjectName("titleSave");
  save_->setProperty("childId", kSaveId);
  save_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName("titleCancel");
  cancel_->setProperty("childId", kCancelId);
  QObject::connect(save_, &QPushButton::clicked, this, [this] { save(); });
  QObject::connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
  rescale();
}

void TitleDialog::rescale() {
  // The system's dialog face, from the font service.
  QFont f(QtSurface::systemFamily());
  f.setPixelSize(std::max(1, screen_.sy(12)));
  setFont(f);
  resize(screen_.sx(kClientWidth), screen_.sy(kClientHeight));
}

TitleDialog::~TitleDialog() = default;

TitleDialog* TitleDialog::openDialog(const QObject* in) {
  const OpenWindows* windows = OpenWindows::of(in);
  return windows ? windows->titleDialog() : nullptr;
}

void TitleDialog::placeControls() {
  const int w = width();
  edit_->setGeometry(screen_.sx(5), screen_.sy(7), w - screen_.sx(10), screen_.sy(25));
  save_->setGeometry(screen_.sx(5), screen_.sy(35), screen_.sx(80), screen_.sy(25));
  cancel_->setGeometry(w - screen_.sx(85), screen_.sy(35), screen_.sx(80), screen_.sy(25));
}

void TitleDialog::save() {
  if (edit_->text().isEmpty()) {
    // Refused: nothing visible happens, the caret stays in the box.
    edit_->setFocus(Qt::OtherFocusReason);
    return;
  }
  text_ = edit_->text();
  accept();
}

bool TitleDialog::event(QEvent* e) {
  const bool handled = QDialog::event(e);
  // After the default handling the caret goes back to the box whenever the
  // dialog is activated or the system settings change (the keyboard came up).
  if (e->type() == QEvent::WindowActivate || e->type() == QEvent::ApplicationFontChange ||
      e->type() == QEvent::PaletteChange || e->type() == QEvent::Show)
    edit_->setFocus(Qt::OtherFocusReason);
  return handled;
}

bool TitleDialog::run() {
  text_.clear();
  // Centred on the screen; on a landscape screen its top lies t(26) below
  // the screen's top, keeping its left edge and size.
  QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  if (main) {
    const QRect m = main->geometry();
    int x = m.x() + (m.width() - width()) / 2;
    int y = m.y() + (m.height() - height()) / 2;
    if (screen_.isLandscape()) y = m.y() + screen_.sy(26);
    move(x, y);
  }
  placeControls();
  // Entered in the main window's record while it runs; a window without one
  // (no main window) runs it all the same.
  const QPointer<OpenWindows> windows = OpenWindows::of(this);
  if (windows) windows->opened(this);
  int result;
  if (driver_) {
    show();
    activateWindow();
    edit_->setFocus(Qt::OtherFocusReason);
    const auto driver = driver_;
    driver(*this);
    if (isVisible()) reject();
    result = this->result();
  } else {
    result = exec();
  }
  if (windows) windows->closed(this);
  return result == QDialog::Accepted;
}

}  // namespace vantrel
