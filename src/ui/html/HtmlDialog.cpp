#include "html/HtmlDialog.h"

#include <QVBoxLayout>

#include "html/PageSource.h"

namespace vantrel {

HtmlDialog* HtmlDialog::open_ = nullptr;
std::function<void(HtmlDialog&)> HtmlDialog::driver_;

HtmlDialog::HtmlDialog(QWidget* parent, int dpiY) : QDialog(parent), dpiY_(dpiY) {
  setObjectName("htmlDialog");
  setModal(true);
}

HtmlDialog::~HtmlDialog() {
  if (open_ == this) open_ = nullptr;
}

int HtmlDialog::open(const QString& title, const QString& body, const QRect& rect) {
  if (busy_ || open_) return -1;
  title_ = title;
  body_ = body;
  result_ = -1;
  anchor_.clear();
  busy_ = true;
  open_ = this;

  setWindowTitle(title);
  QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  if (main) {
    const QRect m = main->geometry();
    if (rect.isEmpty()) {
      setGeometry(m);
    } else {
      QRect r(0, 0, rect.width(), rect.height());
      r.moveCenter(m.center());
      setGeometry(r);
    }
  } else if (!rect.isEmpty()) {
    resize(rect.size());
  }

  if (!control_) {
    control_ = new HtmlControl(this, kControlId, dpiY_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control_);
    control_->setLinkListener([this](const QString& target) { linkTapped(target); });
  }
  control_->loadText(QString::fromStdU16String(dialogDocument(body.toStdU16String())));

  if (driver_) {
    show();
    raise();
    const auto driver = driver_;  // the driver may replace itself while it runs
    driver(*this);
    if (isVisible()) reject();
  } else {
    exec();
  }
  busy_ = false;
  open_ = nullptr;
  return result_;
}

void HtmlDialog::linkTapped(const QString& target) {
  if (target.isEmpty()) return;
  LinkTarget link = parseLinkTarget(target.toStdU16String());
  result_ = static_cast<int>(link.object);
  anchor_ = QString::fromStdU16String(link.anchor);
  accept();
}

}  // namespace vantrel
