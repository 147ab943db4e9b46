#include "userdata/CheckList.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "platform/ScreenInfo.h"

namespace vantrel {

CheckList::CheckList(QWidget* parent, int dpiX, int dpiY)
    : QWidget(parent), dpiX_(dpiX), dpiY_(dpiY), bar_(new QScrollBar(Qt::Vertical, this)) {
  setObjectName("checkList");
  setProperty("childId", kChildId);
  bar_->setObjectName("scrollBar");
  bar_->setProperty("childId", kScrollBarId);
  bar_->setFocusPolicy(Qt::NoFocus);
  QObject::connect(bar_, &QScrollBar::valueChanged, this, [this](int v) {
    if (!syncing_) showFrom(v);
  });
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CheckList::setSource(const ItemSource* source, const QFont& font) {
  source_ = source;
  font_ = font;
  rowHeight_ = std::max(1, QFontMetrics(font_).height() + scaleForDpi(4, dpiY_));
}

QRect CheckList::rowsArea() const {
  const int barW = bar_->isVisible() ? bar_->width() : 0;
  return QRect(0, 0, std::max(0, width() - barW), height());
}

int CheckList::page() const { return std::max(1, height() / std::max(1, rowHeight_)); }

void CheckList::reload(bool load) {
  count_ = source_ ? source_->itemCount() : 0;
  top_ = 0;
  shown_.clear();
  if (load) fillPage();
  syncBar();
  update();
}

void CheckList::showFrom(int top) {
  const int last = std::max(0, static_cast<int>(count_) - page());
  top = std::clamp(top, 0, last);
  if (top == top_ && !shown_.empty()) return;
  top_ = top;
  fillPage();
  syncBar();
  update();
}

void CheckList::fillPage() {
  // Only the entries on screen are read from the source.
  shown_.clear();
  if (!source_) return;
  const uint32_t end = std::min<uint32_t>(count_, static_cast<uint32_t>(top_ + page()));
  for (uint32_t i = static_cast<uint32_t>(top_); i < end; ++i) shown_.push_back(source_->itemAt(i));
}

void CheckList::syncBar() {
  syncing_ = true;
  const int p = page();
  bar_->setRange(0, std::max(0, static_cast<int>(count_) - p));
  bar_->setPageStep(p);
  bar_->setSingleStep(1);
  bar_->setValue(top_);
  syncing_ = false;
}

void CheckList::resizeEvent(QResizeEvent*) {
  const int barW = scaleForDpi(13, dpiX_);
  bar_->setGeometry(width() - barW, 0, barW, height());
  // Keep the place in the list; the page may hold more or fewer rows now.
  const int top = top_;
  top_ = -1;
  showFrom(top);
}

bool CheckList::isChecked(uint32_t data) const {
  return std::find(checked_.begin(), checked_.end(), data) != checked_.end();
}

std::vector<uint32_t> CheckList::takeChecked() {
  std::vector<uint32_t> out = std::move(checked_);
  checked_.clear();
  update();
  return out;
}

bool CheckList::toggleRow(int row) {
  if (row < 0 || row >= static_cast<int>(shown_.size())) return false;
  const uint32_t data = shown_[static_cast<size_t>(row)].data;
  if (isChecked(data)) {
    checked_.erase(std::remove(checked_.begin(), checked_.end(), data), checked_.end());
  } else {
    checked_.push_back(data);
  }
  update();
  return true;
}

std::vector<std::u16string> CheckList::visibleTexts() const {
  std::vector<std::u16string> out;
  for (const Item& i : shown_) out.push_back(i.text);
  return out;
}

int CheckList::rowAt(int y) const {
  if (y < 0) return -1;
  const int row = y / rowHeight_;
  return row < static_cast<int>(shown_.size()) ? row : -1;
}

bool CheckList::onBox(int x) const { return x >= 0 && x < scaleForDpi(18, dpiX_); }

void CheckList::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  pressedRow_ = rowsArea().contains(p) ? rowAt(p.y()) : -1;
}

void CheckList::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const int row = rowsArea().contains(p) ? rowAt(p.y()) : -1;
  const int pressed = pressedRow_;
  pressedRow_ = -1;
  if (row < 0 || row != pressed) return;
  if (onBox(p.x())) {
    toggleRow(row);
    return;
  }
  if (chosen_) chosen_(shown_[static_cast<size_t>(row)].data);
}

void CheckList::wheelEvent(QWheelEvent* e) {
  const int steps = e->angleDelta().y() / 40;
  if (steps) showFrom(top_ - steps);
}

void CheckList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area = rowsArea();
  p.fillRect(rect(), Qt::white);
  p.setFont(font_);
  const int box = scaleForDpi(11, dpiX_);
  const int boxLeft = scaleForDpi(4, dpiX_);
  const int textLeft = scaleForDpi(20, dpiX_);
  const QFontMetrics fm(font_);
  for (size_t r = 0; r < shown_.size(); ++r) {
    const int y = static_cast<int>(r) * rowHeight_;
    const QRect boxRect(boxLeft, y + (rowHeight_ - box) / 2, box, box);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(boxRect.adjusted(0, 0, -1, -1));
    if (isChecked(shown_[r].data)) {
      QPen tick(QColor(0, 0, 0), std::max(1, scaleForDpi(2, dpiX_)));
      p.setPen(tick);
      p.drawLine(boxRect.left() + box / 5, boxRect.top() + box / 2, boxRect.left() + box * 2 / 5,
                 boxRect.bottom() - box / 4);
      p.drawLine(boxRect.left() + box * 2 / 5, boxRect.bottom() - box / 4, boxRect.right() - box / 6,
                 boxRect.top() + box / 5);
    }
    p.setPen(Qt::black);
    const QString text = QString::fromStdU16String(shown_[r].text);
    const QRect textRect(textLeft, y, area.width() - textLeft - scaleForDpi(2, dpiX_), rowHeight_);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, fm.elidedText(text, Qt::ElideRight, textRect.width()));
  }
  p.setPen(QColor(128, 128, 128));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vantrel
