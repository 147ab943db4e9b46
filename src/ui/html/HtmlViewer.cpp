#include "ui/html/HtmlViewer.h"

#include "ui/search/FindBar.h"

#include <QPainter>

#include "core/page/MainFrame.h"

namespace vantrel {

namespace {
int scaled(int n, int dpi) { return (n * dpi + 48) / 96; }
}  // namespace

RestartBar::RestartBar(QWidget* parent, ScreenDpi dpi)
    : LayoutWidget(parent, "restartBar"), dpi_(dpi), button_(new QPushButton("New evaluation", this)) {
  setObjectName("restartBar");
  button_->setObjectName("newEvaluation");
  applyDpi();
  QObject::connect(button_, &QPushButton::clicked, [this] {
    if (listener_) listener_();
  });
}

void RestartBar::applyDpi() {
  QFont f = button_->font();
  f.setPixelSize(scaled(11, dpi_.y()));
  button_->setFont(f);
  resize(width(), scaled(26, dpi_.y()));
}

void RestartBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(200, 200, 200));
}

void RestartBar::resizeEvent(QResizeEvent*) {
  const int w = scaled(100, dpi_.x()), h = scaled(20, dpi_.y());
  button_->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
}

HtmlViewer::HtmlViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys,
                           QWidget* pageArea, ScreenDpi dpi)
    : ContentViewer(&database, &frame),
      model_(database, HtmlPageKeys{keys["index"], keys["calc_result"]}),
      pane_(new HtmlPane(pageArea, dpi)),
      restartBar_(new RestartBar(pageArea, dpi)),
      dpi_(dpi) {
  pane_->setObjectName("htmlPane");
  pane_->setOwner(this);
  pane_->setGeometry(0, 0, 0, 0);
  pane_->hide();
  restartBar_->setGeometry(0, 0, 0, scaled(26, dpi.y()));
  restartBar_->hide();
  restartBar_->setListener([this] { navigateTo(model_.restart()); });
  new FindBar(pane_, std::make_unique<HtmlFindTarget>(pane_->control()), dpi);
}

HtmlViewer::~HtmlViewer() {
  delete pane_;
  delete restartBar_;
}

bool HtmlViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  if (!model_.show(object, data, length)) return false;
  pane_->setup(true, model_.title(), 0xFFFFFF, guideFontDescription(dpi_.y()), model_.currentPageSource());
  addLayoutItem(pane_, 4);
  if (model_.showsRestartBar()) {
    restartBar_->resize(restartBar_->width(), scaled(26, dpi_.y()));
    addLayoutItem(restartBar_, 3);
  }
  frame_->setTitle(model_.title());
  return true;
}

void HtmlViewer::afterLayout() {
  if (!model_.hasPageToLoad()) return;
  shownObject_ = model_.objectToShow();
  pane_->showItem(shownObject_);
  if (!model_.anchor().empty()) pane_->jumpToAnchor(model_.anchor());
}

void HtmlViewer::linkTapped(HtmlPane&, ObjectIndex linkId, int) { navigateTo(model_.linkTapped(linkId)); }

void HtmlViewer::navigateTo(const HtmlNavigation& nav) {
  frame_->navigate(nav.object, nav.data.empty() ? nullptr : nav.data.data(), nav.data.size(), true);
}

QJsonObject HtmlViewer::scriptState() const {
  QJsonObject o;
  o["source"] = QString::fromLatin1(htmlSourceName(model_.currentSource()).data(),
                                    static_cast<int>(htmlSourceName(model_.currentSource()).size()));
  o["object"] = static_cast<qint64>(model_.objectToShow());
  o["html"] = pane_->control()->text();
  o["anchor"] = pane_->control()->lastAnchor();
  return o;
}

bool HtmlViewer::linksShown() const { return pane_->isVisible(); }

bool HtmlViewer::followLink(const std::string& href, std::string& error) {
  return followLinkIn(*pane_->control(), href, error);
}

}  // namespace vantrel
