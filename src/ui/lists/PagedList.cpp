#include "ui/lists/PagedList.h"

#include "ui/platform/QtSurface.h"

#include "ui/platform/ScrollActions.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "ui/platform/ListKeys.h"

namespace vantrel {

PagedListView::PagedListView(QWidget* parent, PagedList& list, ScreenDpi dpi)
    : QWidget(parent), list_(list), dpi_(dpi) {
  setObjectName("listView");
  setProperty("childId", kId);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::TabFocus);
}

int PagedListView::accessibleFirstRow() const { return static_cast<int>(list_.model().topIndex()); }

int PagedListView::accessibleRowsShown() const { return static_cast<int>(list_.model().entries().size()); }

QString PagedListView::accessibleRowText(int row) const {
  for (const PageEntry& e : list_.model().entries())
    if (static_cast<int>(e.index) == row) return QString::fromStdU16String(e.item.text);
  return {};
}

QRect PagedListView::accessibleRowRect(int row) const {
  const auto& entries = list_.model().entries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (static_cast<int>(entries[i].index) == row) return QRect(0, static_cast<int>(i) * rowHeight(), width(), rowHeight());
  return {};
}

bool PagedListView::accessibleRowSelected(int row) const { return row >= 0 && list_.model().selectedIndex() == row; }

int PagedListView::accessibleRowChecked(int row) const {
  if (!list_.model().checkboxes()) return -1;
  for (const PageEntry& e : list_.model().entries())
    if (static_cast<int>(e.index) == row) return e.checked ? 1 : 0;
  return 0;
}

void PagedListView::accessiblePressRow(int row, bool onCheckbox) {
  if (row >= 0) list_.pressEntry(static_cast<uint32_t>(row), onCheckbox);
}

void PagedListView::keyPressEvent(QKeyEvent* e) {
  if (!list_.handleKey(e)) QWidget::keyPressEvent(e);
}

void PagedListView::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  if (list_.model().selectedIndex() < 0) list_.moveSelection(ListMove::Down);
  update();
}

void PagedListView::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

int PagedListView::rowHeight() const {
  return std::max(1, QFontMetrics(list_.listFont()).height() + 2 * scaleForDpi(1, dpi_.y()));
}

int PagedListView::checkboxWidth() const {
  return list_.model().checkboxes() ? scaleForDpi(18, dpi_.x()) : 0;
}

void PagedListView::paintEvent(QPaintEvent*) {
  // Drawn off-screen and copied in one step.
  QImage image = QtSurface::makeImage(width(), height(), devicePixelRatioF());
  image.fill(Qt::white);
  {
    QPainter p(&image);
    p.setFont(list_.listFont());
    const PagedListModel& m = list_.model();
    const int h = rowHeight();
    const int box = checkboxWidth();
    const int selected = m.selectedRow();
    const int pad = scaleForDpi(2, dpi_.x());
    int y = 0;
    for (size_t i = 0; i < m.entries().size() && y < height(); ++i, y += h) {
      const PageEntry& e = m.entries()[i];
      const bool sel = static_cast<int>(i) == selected;
      if (sel) p.fillRect(QRect(box, y, width() - box, h), palette().color(QPalette::Highlight));
      if (box > 0) {
        const int s = std::min(box - 2 * pad, h - 2 * pad);
        const QRect r(pad, y + (h - s) / 2, s, s);
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.setBrush(Qt::white);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (e.checked) {
          p.setRenderHint(QPainter::Antialiasing);
          p.setPen(QPen(QColor(0, 0, 0), std::max(1.5, s / 7.0)));
          p.drawPolyline(QPolygonF() << QPointF(r.left() + s * 0.2, r.top() + s * 0.5)
                                     << QPointF(r.left() + s * 0.42, r.top() + s * 0.75)
                                     << QPointF(r.left() + s * 0.8, r.top() + s * 0.25));
          p.setRenderHint(QPainter::Antialiasing, false);
        }
      }
      p.setPen(sel ? palette().color(QPalette::HighlightedText) : QColor(0, 0, 0));
      p.drawText(QRect(box + pad, y, width() - box - pad, h), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                 QString::fromStdU16String(e.item.text));
    }
  }
  QPainter p(this);
  p.drawImage(0, 0, image);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    const QRect row = accessibleRowRect(static_cast<int>(list_.model().selectedIndex()));
    focus.rect = (row.isEmpty() ? rect() : row).adjusted(0, 0, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

void PagedListView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  const int row = pt.y() / rowHeight();
  list_.tapped(pt.y() >= 0 ? row : -1, pt.x() < checkboxWidth());
}

void PagedListView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) list_.doubleTapped();
}

void PagedListView::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 40;  // three lines a notch
  for (int i = 0; i < std::abs(steps); ++i) list_.scroll(steps > 0 ? ScrollCode::LineUp : ScrollCode::LineDown, 0);
  e->accept();
}

PagedList::PagedList(QWidget* parent, bool checkboxes, ScreenDpi dpi, const char* kindName)
    : HeaderedWindow(parent, kindName, dpi), model_(checkboxes), dpi_(dpi) {
  setObjectName("pagedList");
  font_ = QFont("DejaVu Sans");
  font_.setPixelSize(((dpi.y() + 3) * 16) / 96);
  view_ = new PagedListView(this, *this, dpi);
  bar_ = new QScrollBar(Qt::Vertical, this);
  bar_->setObjectName("listScrollBar");
  bar_->setProperty("childId", kScrollBarId);
  bar_->setRange(0, 0);
  connect(bar_, &QAbstractSlider::actionTriggered, this, [this](int action) {
    if (syncing_) return;
    scroll(scrollCodeFor(action), bar_->sliderPosition());
  });
  connect(bar_, &QAbstractSlider::sliderReleased, this,
          [this] { scroll(ScrollCode::ThumbPosition, bar_->sliderPosition()); });
}

void PagedList::setSource(const HeaderSettings& header, const QFont& font, const ItemSource* source) {
  model_.setSource(source);
  font_ = font;
  header_ = header;
  setupHeader(header);
  layoutChildren();
  view_->update();
}

void PagedList::setFonts(const QFont& headerFont, const QFont& font) {
  font_ = font;
  if (header_.font) header_.font = headerFont;
  setupHeader(header_);
  layoutChildren();
}

int PagedList::measurePage() const {
  // Whole entries only, computed in double precision.
  return static_cast<int>(static_cast<double>(view_->height()) / static_cast<double>(view_->rowHeight()));
}

void PagedList::reload(bool load) {
  model_.reload(measurePage(), load);
  syncBar();
  view_->update();
}

void PagedList::showFrom(int64_t top) {
  model_.showFrom(top);
  syncBar();
  view_->update();
}

bool PagedList::selectByPrefix(std::u16string_view text) {
  const bool found = model_.selectByPrefix(text);
  view_->update();
  return found;
}

void PagedList::clearSelection() {
  model_.clearSelection();
  view_->update();
}

std::vector<uint32_t> PagedList::takeChecked() {
  std::vector<uint32_t> out = model_.takeChecked();
  view_->update();
  return out;
}

void PagedList::tapped(int row, bool onCheckbox) { carryOut(model_.tap(row, onCheckbox)); }

void PagedList::carryOut(const PagedTap& t) {
  syncBar();
  view_->update();
  if (t.kind == PagedTap::Kind::Chosen && owner_) owner_->itemChosen(*this, t.data);
}

void PagedList::pressEntry(uint32_t index, bool onCheckbox) { carryOut(model_.press(index, onCheckbox)); }

bool PagedList::handleKey(QKeyEvent* e) {
  const int64_t selected = model_.selectedIndex();
  if (const auto move = listMoveFor(*e)) {
    moveSelection(*move);
  } else if (isOpenKey(*e)) {
    if (selected >= 0) pressEntry(static_cast<uint32_t>(selected), false);
  } else if (e->key() == Qt::Key_Space && model_.checkboxes()) {
    if (selected >= 0) pressEntry(static_cast<uint32_t>(selected), true);
  } else {
    return false;
  }
  return true;
}

void PagedList::moveSelection(ListMove move) {
  if (!model_.move(move)) return;
  syncBar();
  view_->update();
  announceSelection(view_, model_.selectedRow());
}

void PagedList::doubleTapped() {
  if (owner_) owner_->itemDoubleTapped(*this);
}

void PagedList::scroll(ScrollCode code, int thumb) {
  model_.scroll(code, thumb, measurePage());
  syncBar();
  view_->update();
}

void PagedList::syncBar() {
  const ListScrollBar& b = model_.bar();
  syncing_ = true;
  const int lastTop = std::max(b.minimum, b.maximum - std::max(b.page, 1) + 1);
  bar_->setRange(b.minimum, lastTop);
  bar_->setPageStep(std::max(1, b.page));
  bar_->setSingleStep(1);
  bar_->setValue(b.position);
  bar_->setEnabled(lastTop > b.minimum);
  syncing_ = false;
}

void PagedList::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  layoutChildren();
}

void PagedList::layoutChildren() {
  if (header()->pressed()) return;  // the unfolded header lies over the list until released
  const int top = contentTop();
  const int w = width();
  const int barWidth = scaleForDpi(13, dpi_.x());
  const int h = std::max(0, height() - top);
  bar_->setGeometry(w - barWidth, top, barWidth, h);
  view_->setGeometry(0, top, std::max(0, w - TitleHeader::kBorder - barWidth), h);
  if (!model_.entries().empty()) model_.relayout(measurePage());
  syncBar();
  view_->update();
}

InputPanelEdit::InputPanelEdit(QWidget* parent, KeyboardService* keyboard, const ScreenInfo* screen)
    : QLineEdit(parent), keyboard_(keyboard), screen_(screen) {}

void InputPanelEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (listKeys_ && listKeys_(e)) return;
      break;
    default:
      break;
  }
  QLineEdit::keyPressEvent(e);
}

void InputPanelEdit::mousePressEvent(QMouseEvent* e) {
  if (keyboard_ && rect().contains(e->position().toPoint()) && !keyboard_->keyboardShown()) {
    if (screen_ && screen_->isSquareScreen()) keyboard_->hideKeyboard();
    else keyboard_->showKeyboard();
  }
  QLineEdit::mousePressEvent(e);
}

}  // namespace vantrel
