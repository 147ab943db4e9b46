#include "ui/html/HtmlDialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

#include "core/page/PageSource.h"
#include "core/platform/ScreenInfo.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {

std::function<void(HtmlDialog&)> HtmlDialog::driver_;

HtmlDialog::HtmlDialog(QWidget* parent, int dpiY) : QDialog(parent), dpiY_(dpiY) {
  setObjectName("htmlDialog");
  setModal(true);
}

HtmlDialog::~HtmlDialog() = default;

HtmlDialog* HtmlDialog::openDialog(const QObject* in) {
  const OpenWindows* windows = OpenWindows::of(in);
  return windows ? windows->htmlDialog() : nullptr;
}

int HtmlDialog::open(const QString& title, const QString& body, const QRect& rect) {
  // One at a time over a main window: its record says whether one is open.
  const QPointer<OpenWindows> windows = OpenWindows::of(this);
  if ((windows && windows->htmlDialog()) || !model_.begin(title.toStdU16String(), body.toStdU16String())) return -1;
  title_ = title;
  body_ = body;
  anchor_.clear();
  if (windows) windows->opened(this);

  setWindowTitle(title);
  QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  if (main) {
    // Covering the main window, the dialog leaves the command bar along its
    // bottom in view.
    const QRect m = main->geometry();
    const int bar = rect.isEmpty() ? std::min(m.height() / 2, scaleForDpi(26, dpiY_)) : 0;
    const DialogRect r = placeHtmlDialog(DialogRect{rect.x(), rect.y(), rect.width(), rect.height()},
                                         DialogRect{m.x(), m.y(), m.width(), m.height() - bar});
    setGeometry(r.x, r.y, r.width, r.height);
  } else if (!rect.isEmpty()) {
    resize(rect.size());
  }

  if (!control_) {
    control_ = new HtmlControl(this, kControlId, dpiY_);
    control_->setMinimumSize(1, 1);  // the dialog keeps the size it is given
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(control_);
    // A close button for the pointer: it closes the dialog as Escape does.
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName("closeButton");
    close_->setProperty("childId", kCloseId);
    close_->setAutoDefault(false);
    QFont f = close_->font();
    f.setPixelSize(scaleForDpi(11, dpiY_));
    close_->setFont(f);
    close_->setFixedHeight(scaleForDpi(22, dpiY_));
    layout->addWidget(close_);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    control_->setLinkListener([this](const QString& target) { linkTapped(target); });
  }
  control_->loadText(QString::fromStdU16String(model_.document()));

  if (driver_) {
    show();
    raise();
    const auto driver = driver_;  // the driver may replace itself while it runs
    driver(*this);
    if (isVisible()) reject();
  } else {
    exec();
  }
  if (windows) windows->closed(this);
  const int64_t result = model_.finish();
  anchor_ = QString::fromStdU16String(model_.anchorName());
  // Object indexes beyond the int range are not objects a caller can open.
  return result >= 0 && result <= INT32_MAX ? static_cast<int>(result) : -1;
}

void HtmlDialog::linkTapped(const QString& target) {
  if (target.isEmpty() || !model_.busy()) return;
  model_.linkTapped(target.toStdU16String());
  accept();
}

}  // namespace vantrel
