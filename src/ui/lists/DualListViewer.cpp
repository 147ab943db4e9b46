#include "ui/lists/DualListViewer.h"

#include <QPainter>

#include "ui/lists/IndexViewer.h"
#include "ui/platform/QtSurface.h"
#include "ui/resources/Bitmaps.h"
#include "core/page/MainFrame.h"

namespace vantrel {

DividerStrip::DividerStrip(QWidget* parent) : QWidget(parent) {
  setObjectName("divider");
  setProperty("childId", kId);
}

void DividerStrip::setPicture(int number, const QImage& image) {
  if (number == number_ && !image_.isNull()) return;
  number_ = number;
  image_ = image;
  updateMask();
  update();
}

void DividerStrip::updateMask() {
  // Only the picture belongs to the strip: the lower list shows (and takes
  // taps) in the rest of its rectangle.
  const QRect r = QRect(QPoint(0, 0), image_.deviceIndependentSize().toSize()).intersected(rect());
  setMask(r.isEmpty() ? QRegion(0, 0, 1, 1) : QRegion(r));
}

void DividerStrip::resizeEvent(QResizeEvent*) { updateMask(); }

void DividerStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, image_);
}

DualListWindow::DualListWindow(QWidget* parent, QWidget* mainWindow, const ScreenInfo& screen, ScreenDpi dpi)
    : HeaderedWindow(parent, "dualList", dpi),
      screen_(screen),
      dpi_(dpi),
      upper_(new MarkupListPane(this, mainWindow, dpi, "upperList")),
      lower_(new MarkupListPane(this, mainWindow, dpi, "lowerList")),
      divider_(new DividerStrip(this)) {
  setObjectName("dualList");
  upper_->setObjectName("upperList");
  upper_->setProperty("childId", kUpperId);
  lower_->setObjectName("lowerList");
  lower_->setProperty("childId", kLowerId);
  upper_->show();
  lower_->show();
  divider_->show();
  divider_->raise();  // above the lower list, whose top it overlaps
}

void DualListWindow::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  layoutChildren();
}

void DualListWindow::layoutChildren() {
  if (header()->pressed()) return;
  const int number = dualListDivider(screen_.screenSize(), dpi_.x());
  divider_->setPicture(number, sharpBitmap(number, dpi_.x(), dpi_.y(), devicePixelRatioF()));
  const DualListLayout l = dualListLayout(dpi_.y(), {0, 0, width(), height()}, contentTop());
  auto place = [](QWidget* w, const Rect& r) { w->setGeometry(r.left, r.top, r.width(), std::max(0, r.height())); };
  setUpdatesEnabled(false);
  place(divider_, l.divider);
  place(upper_, l.upper);
  place(lower_, l.lower);
  setUpdatesEnabled(true);
}

DualListViewer::DualListViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea,
                                   QWidget* mainWindow, const ScreenInfo& screen, ScreenDpi dpi)
    : ContentViewer(&database, &frame),
      model_(&database),
      pageArea_(pageArea),
      window_(new DualListWindow(pageArea, mainWindow, screen, dpi)),
      dpi_(dpi) {
  window_->setGeometry(0, 0, 0, 0);
  window_->hide();
  window_->upper()->setListeners([this](MarkupListPane&, uint32_t row) { rowTapped(true, row); }, nullptr);
  window_->lower()->setListeners([this](MarkupListPane&, uint32_t row) { rowTapped(false, row); }, nullptr);
}

DualListViewer::~DualListViewer() { delete window_; }

bool DualListViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!model_.show(object)) return false;
  shown_ = object;
  setupHeader();
  const FontDescription font = guideFontDescription(dpi_.y());
  window_->upper()->setup(false, std::u16string(), 0xFFFFFF, font, true, &model_.upper());
  window_->lower()->setup(false, std::u16string(), 0xFFFFFF, font, true, &model_.lower());
  window_->layoutChildren();
  addLayoutItem(window_, 4);
  frame_->setTitle(model_.title());
  return true;
}

void DualListViewer::setupHeader() {
  HeaderSettings h;
  h.text = QString::fromStdU16String(model_.title());
  h.textColour = QColor(255, 255, 255);
  h.background = QColor(0, 0, 0);
  h.alignment = 1;
  h.collapsed = true;
  h.font = QtSurface::qfontFor(guideFontDescription(dpi_.y()));
  window_->setupHeader(h);
}

void DualListViewer::rescale() {
  setupHeader();
  const FontDescription font = guideFontDescription(dpi_.y());
  window_->upper()->relayout(font);
  window_->lower()->relayout(font);
  window_->layoutChildren();
}

void DualListViewer::afterLayout() {
  window_->upper()->select(-1, true);
  window_->lower()->select(-1, true);
}

void DualListViewer::rowTapped(bool upper, uint32_t row) {
  MarkupList* other = upper ? window_->lower()->list() : window_->upper()->list();
  const int64_t target = model_.counterpart(upper, row);
  if (target >= 0) {
    other->redraw(target, true);
  } else {
    // No counterpart: nothing is selected in the other list, which stays where it is.
    other->model().setSelected(-1);
    other->update();
  }
}

QJsonObject DualListViewer::scriptState() const {
  QJsonObject o;
  o["object"] = static_cast<qint64>(shown_);
  o["title"] = QString::fromStdU16String(model_.title());
  o["divider"] = window_->divider()->picture();
  o["upper"] = markupListState(*window_->upper()->list(), pageArea_);
  o["lower"] = markupListState(*window_->lower()->list(), pageArea_);
  return o;
}

}  // namespace vantrel
