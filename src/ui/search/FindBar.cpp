#include "ui/search/FindBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTextDocument>
#include <algorithm>

#include "ui/shell/OpenWindows.h"
#include "core/tables/TableGrid.h"
#include "ui/tables/TableWindow.h"

namespace vantrel {

namespace {
constexpr int kMaxHtmlMatches = 10000;
}  // namespace

FindBar::FindBar(QWidget* host, std::unique_ptr<FindTarget> target, ScreenDpi dpi)
    : QWidget(host), host_(host), dpi_(dpi), layout_(new QHBoxLayout(this)), target_(std::move(target)) {
  setObjectName("findBar");
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(0xC8, 0xC8, 0xC8));
  setPalette(p);
  auto* label = new QLabel(QStringLiteral("Find:"), this);
  edit_ = new QLineEdit(this);
  edit_->setObjectName("findEdit");
  count_ = new QLabel(this);
  count_->setObjectName("findCount");
  close_ = new QToolButton(this);
  close_->setText(QStringLiteral("\u00d7"));
  close_->setAutoRaise(true);
  close_->setAccessibleName("Close find bar");
  close_->setToolTip("Close find bar (Escape)");
  label->setBuddy(edit_);
  edit_->setAccessibleName("Find");
  count_->setAccessibleName("Matches");
  layout_->addWidget(label);
  layout_->addWidget(edit_, 1);
  layout_->addWidget(count_);
  layout_->addWidget(close_);
  connect(edit_, &QLineEdit::textChanged, this, [this](const QString& t) { textChanged(t); });
  connect(edit_, &QLineEdit::returnPressed, this, [this] { next(false); });
  connect(close_, &QToolButton::clicked, this, [this] { close(); });
  auto* browser = qobject_cast<QTextBrowser*>(host);
  if (!browser) browser = host->findChild<QTextBrowser*>();
  if (browser)
    connect(browser, &QTextEdit::textChanged, this, [this] {
      if (isVisible() && !edit_->text().isEmpty()) textChanged(edit_->text());
    });
  host_->installEventFilter(this);
  qApp->installEventFilter(this);
  rescale();
  hide();
}

void FindBar::rescale() {
  QFont barFont = font();
  barFont.setPixelSize(((dpi_.y() + 3) * 16) / 96);
  setFont(barFont);
  layout_->setContentsMargins(dpi_.sx(2), dpi_.sy(2), dpi_.sx(2), dpi_.sy(2));
  layout_->setSpacing(dpi_.sx(3));
  if (isVisible()) place();
}

FindBar::~FindBar() {
  qApp->removeEventFilter(this);
}

FindBar* FindBar::openBar(const QObject* in) {
  const OpenWindows* windows = OpenWindows::of(in);
  return windows ? windows->findBar() : nullptr;
}

void FindBar::place() {
  const int h = sizeHint().height();
  setGeometry(0, std::max(0, host_->height() - h), host_->width(), h);
  raise();
}

void FindBar::open() {
  place();
  show();
  // Entered in the record of the main window its page lies in while it is open.
  if (OpenWindows* windows = OpenWindows::of(this)) windows->opened(this);
  edit_->setFocus();
  edit_->selectAll();
  if (!edit_->text().isEmpty()) textChanged(edit_->text());
}

void FindBar::close() {
  hide();
  if (OpenWindows* windows = OpenWindows::of(this)) windows->closed(this);
  target_->clear();
  matches_ = 0;
  current_ = -1;
  host_->setFocus();
}

void FindBar::textChanged(const QString& text) {
  matches_ = target_->setText(text);
  current_ = matches_ > 0 ? 0 : -1;
  updateCount();
}

void FindBar::next(bool backward) {
  if (target_->stale()) textChanged(edit_->text());
  if (matches_ == 0) return;
  current_ = target_->step(backward);
  updateCount();
}

void FindBar::updateCount() {
  if (edit_->text().isEmpty()) count_->clear();
  else if (matches_ == 0) count_->setText(QStringLiteral("No matches"));
  else count_->setText(QStringLiteral("%1 of %2").arg(current_ + 1).arg(matches_));
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == host_ && event->type() == QEvent::Resize) {
    if (isVisible()) place();
    return false;
  }
  // Leaving the page closes the bar.
  if (watched == host_ && event->type() == QEvent::Hide) {
    if (isVisible()) close();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || !host_->isVisible() || w->window() != host_->window()) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods =
      k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (k->key() == Qt::Key_F && mods == Qt::ControlModifier) {
    open();
    return true;
  }
  if (!isVisible()) return false;
  if (k->key() == Qt::Key_F3 && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
    next(mods == Qt::ShiftModifier);
    return true;
  }
  if (k->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
    close();
    return true;
  }
  return false;
}

int HtmlFindTarget::setText(const QString& text) {
  text_ = text;
  starts_.clear();
  QList<QTextEdit::ExtraSelection> marks;
  if (!text.isEmpty() && browser_->document()) {
    QTextCharFormat mark;
    mark.setBackground(QColor(0xFF, 0xE0, 0x40));
    QTextCursor c(browser_->document());
    while (static_cast<int>(starts_.size()) < kMaxHtmlMatches) {
      c = browser_->document()->find(text, c);
      if (c.isNull()) break;
      starts_.push_back(c.selectionStart());
      marks.append({c, mark});
    }
  }
  browser_->setExtraSelections(marks);
  QTextCursor start(browser_->document());
  browser_->setTextCursor(start);
  if (starts_.empty()) return 0;
  browser_->find(text);
  browser_->ensureCursorVisible();
  return static_cast<int>(starts_.size());
}

int HtmlFindTarget::currentIndex() const {
  const int at = browser_->textCursor().selectionStart();
  for (size_t i = 0; i < starts_.size(); ++i)
    if (starts_[i] == at) return static_cast<int>(i);
  return -1;
}

int HtmlFindTarget::step(bool backward) {
  if (starts_.empty()) return -1;
  const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (!browser_->find(text_, flags)) {
    // Wrap around to the other end.
    QTextCursor c(browser_->document());
    c.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    browser_->setTextCursor(c);
    browser_->find(text_, flags);
  }
  browser_->ensureCursorVisible();
  return currentIndex();
}

void HtmlFindTarget::clear() {
  browser_->setExtraSelections({});
  QTextCursor c = browser_->textCursor();
  c.clearSelection();
  browser_->setTextCursor(c);
}

bool TableFindTarget::stale() const {
  return grid_.source() != source_ || grid_.cellGeneration() != generation_;
}

int TableFindTarget::setText(const QString& text) {
  matches_.clear();
  current_ = -1;
  source_ = grid_.source();
  generation_ = grid_.cellGeneration();
  if (TableSource* source = grid_.source()) matches_ = findInTable(*source, text.toStdU16String());
  if (!matches_.empty()) {
    current_ = 0;
    show();
  }
  return static_cast<int>(matches_.size());
}

int TableFindTarget::step(bool backward) {
  current_ = stepMatch(matches_.size(), current_, backward);
  if (current_ >= 0) show();
  return current_;
}

void TableFindTarget::show() {
  TableSource* source = grid_.source();
  if (!source || current_ < 0) return;
  const TableMatch m = matches_[static_cast<size_t>(current_)];
  grid_.selectOnlyRow(source->rowAt(m.row));
  // Scroll the row into view when it is not.
  const int rowTop = static_cast<int>(m.row - 1) * grid_.rowHeight();
  const int page = grid_.pageY();
  if (rowTop < grid_.scrollY() || rowTop + grid_.rowHeight() > grid_.scrollY() + page)
    widget_->scroll(true, ScrollCode::ThumbPosition, rowTop);
  widget_->redraw();
  generation_ = grid_.cellGeneration();
}

}  // namespace vantrel
