#include "ui/lists/MarkupList.h"

#include "ui/platform/ScrollActions.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/platform/ListKeys.h"

namespace vantrel {

MarkupList::MarkupList(QWidget* parent, QWidget* mainWindow, ScreenDpi dpi)
    : QWidget(parent), model_(dpi), dpi_(dpi) {
  setObjectName("list");
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Tab reaches the list; a tap does not take the focus from a search box.
  setFocusPolicy(Qt::TabFocus);
  // The rows are drawn at the screen's device pixel ratio.
  screen_.setDevicePixelRatio(devicePixelRatioF());
  model_.setSurface(&screen_);
  bar_ = new QScrollBar(Qt::Vertical, this);
  bar_->setObjectName("listScrollBar");
  bar_->setEnabled(false);
  connect(bar_, &QAbstractSlider::actionTriggered, this, [this](int action) {
    if (syncing_) return;
    scroll(scrollCodeFor(action), bar_->sliderPosition());
  });
  connect(bar_, &QAbstractSlider::sliderReleased, this,
          [this] { scroll(ScrollCode::ThumbPosition, bar_->sliderPosition()); });

  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, [this] { model_.tick(); });
  model_.setTimerControl([this](bool run) {
    if (run) timer_.start();
    else timer_.stop();
  });

  popup_ = new FootnotePopup(mainWindow ? mainWindow : this, dpi);
  popup_->setProperty("childId", kPopupId);
  popup_->setListener([this](FootnotePopup*, int32_t id, QPoint, const std::u16string& anchorName) {
    if (onLink_) onLink_(*this, id, anchorName);
  });
  model_.setPopupHandler([this](const TextBlock& block, Point anchor) {
    if (!popup_) return;
    TextBlock b = block;
    const QPoint at = mapToGlobal(QPoint(anchor.x, anchor.y) + rowsArea().topLeft());
    popup_->show(b, at, std::u16string(), false, false);
  });
  model_.setRowListener([this](uint32_t row) {
    if (onRow_) onRow_(*this, row);
  });
  model_.setLinkListener([this](int32_t id, Point) {
    if (onLink_) onLink_(*this, id, std::u16string());
  });
}

MarkupList::~MarkupList() {
  timer_.stop();
  delete popup_.data();  // a top-level window of its own (unless the main window went first)
}

void MarkupList::setup(bool tapEnabled, std::optional<FontDescription> font, const ItemSource* source,
                       Colour background) {
  if (font && popup_) popup_->setFont(*font);
  model_.setup(tapEnabled, std::move(font), source, background);
  syncBar();
}

void MarkupList::relayout(std::optional<FontDescription> font) {
  if (font && popup_) popup_->setFont(*font);
  model_.relayout(std::move(font));
  syncBar();
  update();
}

QRect MarkupList::rowsArea() const {
  return QRect(0, 0, std::max(0, width() - bar_->width()), height());
}

int MarkupList::redraw(int64_t firstRow, bool setSelection) {
  const int first = model_.redraw(firstRow, setSelection);
  syncBar();
  update();
  return first;
}

void MarkupList::scroll(ScrollCode code, int thumb) {
  if (model_.scroll(code, thumb)) update();
  syncBar();
}

void MarkupList::syncBar() {
  const ListScrollBar& b = model_.bar();
  syncing_ = true;
  bar_->setRange(0, std::max(0, b.maximum - std::max(b.page, 1) + 1));
  bar_->setPageStep(std::max(1, b.page));
  bar_->setSingleStep(1);
  bar_->setValue(model_.firstRow());
  bar_->setEnabled(model_.barNeeded());  // shown, but disabled when everything fits
  syncing_ = false;
}

void MarkupList::resizeEvent(QResizeEvent*) {
  const int barWidth = scaleForDpi(13, dpi_.x());
  bar_->setGeometry(width() - barWidth, 0, barWidth, height());
  const QRect area = rowsArea();
  model_.resize(area.width(), area.height());
  syncBar();
  update();
}

void MarkupList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area = rowsArea();
  const QColor bg = toQColor(model_.background());
  auto* image = dynamic_cast<QtSurface*>(model_.image());
  if (!image) {
    p.fillRect(area, bg);
    return;
  }
  p.drawImage(0, 0, image->image());
  const int rowsBottom = model_.rowsPerPage() * model_.rowHeight();
  if (rowsBottom < area.height()) p.fillRect(QRect(0, rowsBottom, area.width(), area.height() - rowsBottom), bg);
  if (hasFocus()) {
    // The keyboard's place: a focus frame round the selected row, or round
    // the rows when none is selected.
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    const QRect row = accessibleRowRect(static_cast<int>(model_.selected()));
    focus.rect = row.isEmpty() ? area.adjusted(0, 0, -1, -1) : row.adjusted(0, 0, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

bool MarkupList::handleKey(QKeyEvent* e) {
  if (const auto move = listMoveFor(*e)) {
    if (model_.move(*move)) selectionMoved();
    return true;
  }
  if (isOpenKey(*e)) {
    if (model_.selected() >= 0) model_.press(static_cast<uint32_t>(model_.selected()));
    return true;
  }
  return false;
}

void MarkupList::selectionMoved() {
  syncBar();
  update();
  announceSelected();
}

void MarkupList::announceSelected() {
  if (model_.selected() >= 0) announceSelection(this, static_cast<int>(model_.selected() - model_.firstRow()));
}

void MarkupList::keyPressEvent(QKeyEvent* e) {
  if (!handleKey(e)) QWidget::keyPressEvent(e);
}

void MarkupList::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  if (model_.selected() < 0 && model_.count() > 0) model_.move(ListMove::Down);
  selectionMoved();
}

void MarkupList::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

QString MarkupList::accessibleRowText(int row) const {
  return row < 0 ? QString() : QString::fromStdU16String(model_.rowText(static_cast<uint32_t>(row)));
}

QRect MarkupList::accessibleRowRect(int row) const {
  if (row < model_.firstRow() || row >= model_.lastRowDrawn()) return {};
  return QRect(0, (row - model_.firstRow()) * model_.rowHeight(), rowsArea().width(), model_.rowHeight());
}

void MarkupList::accessiblePressRow(int row, bool) {
  if (row < 0) return;
  model_.press(static_cast<uint32_t>(row));
  syncBar();
  update();
}

void MarkupList::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  if (!rowsArea().contains(pt)) return;
  model_.penDown(pt.x(), pt.y());
  update();
}

void MarkupList::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  model_.penUp();
}

void MarkupList::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 40;  // three lines a notch
  for (int i = 0; i < std::abs(steps); ++i) scroll(steps > 0 ? ScrollCode::LineUp : ScrollCode::LineDown, 0);
  e->accept();
}

MarkupListPane::MarkupListPane(QWidget* parent, QWidget* mainWindow, ScreenDpi dpi, const char* kindName)
    : RichHeaderedWindow(parent, kindName, dpi), list_(new MarkupList(this, mainWindow, dpi)) {
  list_->show();
  list_->setRowListener([this](MarkupList&, uint32_t row) {
    if (onRow_) onRow_(*this, row);
  });
  list_->setLinkListener([this](MarkupList&, int32_t id, const std::u16string& anchorName) {
    if (onLink_) onLink_(*this, id, anchorName);
  });
}

void MarkupListPane::setup(bool hasTitle, const std::u16string& title, Colour titleColour,
                           std::optional<FontDescription> font, bool tapEnabled, const ItemSource* source) {
  header_ = RichHeaderSettings();
  header_.shown = hasTitle;
  header_.text = title;
  header_.textColour = titleColour;
  header_.font = font;
  header_.collapsed = true;
  setupHeader(header_);
  placeList();
  list_->setup(tapEnabled, std::move(font), source, 0xFFFFFF);
}

void MarkupListPane::relayout(const FontDescription& font) {
  if (header_.font) header_.font = font;
  setupHeader(header_);
  placeList();
  list_->relayout(font);
}

void MarkupListPane::setListeners(RowListener rows, LinkListener links) {
  onRow_ = std::move(rows);
  onLink_ = std::move(links);
}

void MarkupListPane::resizeEvent(QResizeEvent* e) {
  RichHeaderedWindow::resizeEvent(e);
  placeList();
}

void MarkupListPane::placeList() {
  if (header()->pressed()) return;
  const int top = contentTop();
  list_->setGeometry(0, top, width(), std::max(0, height() - top));
}

}  // namespace vantrel
