#include "ui/html/HtmlPane.h"

namespace vantrel {

HtmlPane::HtmlPane(QWidget* parent, ScreenDpi dpi, const char* kindName)
    : RichHeaderedWindow(parent, kindName, dpi), control_(new HtmlControl(this, kControlId, dpi)) {
  control_->setLinkListener([this](const QString& target) { targetTapped(target); });
  control_->setImageListener([this](const QString& target) {
    const std::u16string t = target.toStdU16String();
    if (inputEnabled_ && owner_) owner_->imageRequested(*this, t, 0);
    // Pages carry no pictures: whatever the source answers, nothing is drawn.
    if (source_) (void)source_->inlineImage(t, 0);
  });
}

void HtmlPane::setup(bool hasTitle, const std::u16string& title, Colour titleColour,
                     std::optional<FontDescription> font, PageSource* pageSource) {
  RichHeaderSettings s;
  s.shown = hasTitle;
  s.text = title;
  s.textColour = titleColour;
  s.font = std::move(font);
  s.collapsed = true;
  setupHeader(s);
  source_ = pageSource;
  placeControl();
}

void HtmlPane::showItem(ObjectIndex item) {
  if (!source_) return;
  control_->loadText(QString::fromStdU16String(source_->pageText(item)));
  setScroll(0);
}

void HtmlPane::clear() { control_->loadText(QString()); }

void HtmlPane::jumpToAnchor(const std::u16string& name) { control_->jumpToAnchor(QString::fromStdU16String(name)); }

void HtmlPane::setScroll(int pos) { control_->setScroll(pos); }

void HtmlPane::targetTapped(const QString& target) {
  if (!inputEnabled_ || !owner_ || target.isEmpty()) return;
  LinkTarget link = parseLinkTarget(target.toStdU16String());
  if (!link.follow) return;
  owner_->linkTapped(*this, link.object, 0);
}

void HtmlPane::resizeEvent(QResizeEvent* e) {
  RichHeaderedWindow::resizeEvent(e);
  placeControl();
}

void HtmlPane::placeControl() {
  // While the title is unfolded over the page, the control stays where it is.
  if (header()->pressed()) return;
  const int top = contentTop();
  control_->setGeometry(0, top, width(), std::max(0, height() - top));
}

}  // namespace vantrel
