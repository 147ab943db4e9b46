#include "ui/html/HtmlControl.h"

#include "ui/platform/DpiStyle.h"

#include <QImage>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextDocument>
#include <QTimer>

namespace vantrel {

HtmlControl::HtmlControl(QWidget* parent, int childId, ScreenDpi dpi)
    : QTextBrowser(parent), childId_(childId), dpi_(dpi) {
  applyDpi();
  setProperty("childId", childId);
  setObjectName(QString::number(childId));
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Keyboard activation of a focused link reports like a tap; a mouse tap is
  // reported by the release handler with the target exactly as written.
  connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (!pressedAnchor_.isEmpty()) return;
    QPointer<HtmlControl> self(this);
    const QString target = url.toString(QUrl::None);
    QTimer::singleShot(0, this, [self, target] {
      if (self) self->report(target);
    });
  });
}

void HtmlControl::applyDpi() {
  QFont f = font();
  f.setPixelSize(dpi_.sy(12));
  setFont(f);
  document()->setDefaultFont(f);
  // Scroll bars as wide as the screen's resolution asks.
  DpiStyle::apply(this, dpi_.y());
}

void HtmlControl::rescale() {
  QScrollBar* bar = verticalScrollBar();
  const int range = bar->maximum() + bar->pageStep();
  const double share = range > 0 ? double(bar->value()) / range : 0.0;
  const QString anchor = lastAnchor_;
  applyDpi();
  // Loaded again so that the document is built in the new font as a page
  // loaded at this resolution is.
  setUpdatesEnabled(false);
  setHtml(text_);
  keepReadableColumn();
  setUpdatesEnabled(true);
  lastAnchor_ = anchor;
  bar->setValue(static_cast<int>(share * (bar->maximum() + bar->pageStep()) + 0.5));
}

void HtmlControl::loadText(const QString& text) {
  setUpdatesEnabled(false);
  text_ = text;
  lastAnchor_.clear();
  pressedAnchor_.clear();
  setHtml(text);
  keepReadableColumn();
  setUpdatesEnabled(true);
}

int HtmlControl::readableWidth() const { return 100 * QFontMetrics(document()->defaultFont()).averageCharWidth(); }

void HtmlControl::keepReadableColumn() {
  // Long lines are hard to read: past the readable width the text keeps to a
  // centred column, the rest of the page stays blank.
  const int spare = viewport()->width() - 2 * static_cast<int>(document()->documentMargin()) - readableWidth();
  const int side = spare > 0 ? spare / 2 : 0;
  QTextFrameFormat format = document()->rootFrame()->frameFormat();
  if (static_cast<int>(format.leftMargin()) == side && static_cast<int>(format.rightMargin()) == side) return;
  format.setLeftMargin(side);
  format.setRightMargin(side);
  document()->rootFrame()->setFrameFormat(format);
}

void HtmlControl::resizeEvent(QResizeEvent* e) {
  QTextBrowser::resizeEvent(e);
  keepReadableColumn();
}

void HtmlControl::jumpToAnchor(const QString& name) {
  lastAnchor_ = name;
  scrollToAnchor(name);
}

void HtmlControl::setScroll(int pos) {
  setUpdatesEnabled(false);
  verticalScrollBar()->setValue(pos);
  setUpdatesEnabled(true);
  viewport()->update();
}

int HtmlControl::scroll() const { return verticalScrollBar()->value(); }

QVariant HtmlControl::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::ImageResource) {
    if (imageListener_) imageListener_(name.toString(QUrl::None));
    // No image: a transparent pixel, so that nothing is drawn in its place.
    QImage none(1, 1, QImage::Format_ARGB32);
    none.fill(Qt::transparent);
    return none;
  }
  return {};
}

void HtmlControl::mousePressEvent(QMouseEvent* e) {
  pressedAnchor_ = e->button() == Qt::LeftButton ? anchorAt(e->position().toPoint()) : QString();
  QTextBrowser::mousePressEvent(e);
}

void HtmlControl::mouseReleaseEvent(QMouseEvent* e) {
  const QString pressed = pressedAnchor_;
  const bool same = !pressed.isEmpty() && anchorAt(e->position().toPoint()) == pressed;
  QTextBrowser::mouseReleaseEvent(e);
  pressedAnchor_.clear();
  if (!same) return;
  // Reported once the control has finished with the event.
  QPointer<HtmlControl> self(this);
  QTimer::singleShot(0, this, [self, pressed] {
    if (self) self->report(pressed);
  });
}

void HtmlControl::report(const QString& target) {
  if (linkListener_) linkListener_(target);
}

QStringList HtmlControl::linkTargets() const {
  QStringList out;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      if (!f.isAnchor()) continue;
      const QString href = f.anchorHref();
      if (href.isEmpty()) continue;
      out.append(href);
    }
  }
  out.removeDuplicates();
  return out;
}

bool HtmlControl::activateLink(const QString& target) {
  if (!linkTargets().contains(target)) return false;
  report(target);
  return true;
}

}  // namespace vantrel
