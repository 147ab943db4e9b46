#include "ui/tables/RichTitleHeader.h"

#include <QPainter>

#include "ui/platform/QtSurface.h"
#include "core/platform/ScreenInfo.h"

namespace vantrel {

RichTitleHeader::RichTitleHeader(QWidget* parent, ScreenDpi dpi)
    : FoldingHeader(parent, dpi, kArrowId),
      font_(guideFontDescription(dpi.y())),
      givenFont_(font_),
      givenDpiY_(dpi.y()),
      renderer_(dpi) {
  setObjectName("richTitleHeader");
}

QRect RichTitleHeader::mainRect() const {
  QWidget* top = window();
  return top ? top->rect() : rect();
}

void RichTitleHeader::setup(const RichHeaderSettings& s) {
  if (s.font) {
    givenFont_ = *s.font;
    givenDpiY_ = dpi_.y();
  }
  apply(s);
}

void RichTitleHeader::rescale() {
  FoldingHeader::rescale();
  RichHeaderSettings s = settings_;
  s.font = givenFont_;
  s.font->height = rescaleForDpi(givenFont_.height, givenDpiY_, dpi_.y());
  apply(s);
}

void RichTitleHeader::apply(const RichHeaderSettings& s) {
  settings_.shown = s.shown;
  settings_.textColour = s.textColour;
  if (s.font) font_ = *s.font;
  if (!s.shown) {
    update();
    return;
  }
  settings_ = s;
  fullHeight_ = 0;
  arrowReserve_ = 0;
  collapsed_ = s.collapsed;
  block_.background = s.background;
  block_.text = s.text;
  renderer_.configure(font_, 0, s.textColour);
  MarkupRenderer::resetBlock(block_);
  block_.text = s.text;
  QtSurface measure(1, 1);
  renderer_.parse(block_, measure);
  // The full height is measured for the width of the whole main window.
  QRect main = mainRect().adjusted(1, 1, -1, -1);
  Rect laid = renderer_.measureLayout(measure, block_, Rect{main.left(), main.top(), main.right() + 1, main.bottom() + 1});
  fullHeight_ = laid.height();
  TextBlock probe(u"X");
  renderer_.parse(probe, measure);
  oneLine_ = renderer_.measureLayout(measure, probe, Rect{0, 0, 10000, 10000}).height();
  update();
}

int RichTitleHeader::oneLineHeight() const {
  // A line as laid out may be taller than the renderer's nominal line height
  // (the platform font's own line height); the header keeps room for it.
  return std::max(renderer_.lineHeight(), oneLine_);
}

int RichTitleHeader::neededHeight() const {
  if (!settings_.shown) return 0;
  if (!collapsed_ && fullHeight_ > 0) return fullHeight_;
  return oneLineHeight();
}

void RichTitleHeader::relayout() {
  if (!settings_.shown || pressed_) return;
  if (mainRect() != mainRect_) {
    mainRect_ = mainRect();
    apply(settings_);
  }
  renderer_.configure(font_, 0, settings_.textColour);
  if (foldToLine(oneLineHeight())) arrowReserve_ = scaleForDpi(15, dpi_.x());
}

void RichTitleHeader::paintEvent(QPaintEvent*) {
  const QRect client = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
  QPainter p(this);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!settings_.shown || client.isEmpty()) return;
  renderer_.configure(font_, pressed_ ? 0 : 1, settings_.textColour);
  QtSurface surface(client.width(), client.height(), devicePixelRatioF());
  surface.fillRect(Rect{0, 0, client.width(), client.height()}, settings_.background);
  links_.clear();
  Rect target{0, 0, client.width(), client.height()};
  if (!pressed_) target.right -= arrowReserve_;
  if (!block_.parsed) renderer_.parse(block_, surface);
  block_.background = settings_.background;
  const QPoint origin = mapToGlobal(client.topLeft());
  renderer_.drawLinked(Point{origin.x(), origin.y()}, links_, surface, block_, target);
  surface.end();
  QImage& img = surface.image();
  const int titleWidth = block_.lineWidth;
  if (!block_.truncated && titleWidth > 0 && titleWidth < client.width() &&
      oneLineHeight() >= client.height()) {
    // One short line: only the title's width is copied, placed by the alignment.
    int x = 0;
    if (settings_.alignment == 1) x = (client.width() - titleWidth) / 2;
    else if (settings_.alignment == 2) x = client.width() - titleWidth;
    p.fillRect(client, QColor(redOf(settings_.background), greenOf(settings_.background), blueOf(settings_.background)));
    p.drawImage(QPointF(client.left() + x, client.top()), img,
                QRectF(devicePixels(QRect(0, 0, titleWidth, client.height()), img.devicePixelRatio())));
    lastCopied_ = QRect(client.left() + x, client.top(), titleWidth, client.height());
  } else {
    p.drawImage(client.topLeft(), img);
    lastCopied_ = client;
  }
}

RichHeaderedWindow::RichHeaderedWindow(QWidget* parent, const char* kindName, ScreenDpi dpi)
    : LayoutWidget(parent, kindName), header_(new RichTitleHeader(this, dpi)) {}

void RichHeaderedWindow::setupHeader(const RichHeaderSettings& settings, std::optional<QRect> rect) {
  if (rect) setGeometry(*rect);
  header_->setup(settings);
  layoutHeader();
}

void RichHeaderedWindow::layoutHeader() { layoutHeaderIn(this, header_); }

int RichHeaderedWindow::contentTop() const { return contentTopBelow(header_); }

QString RichTitleHeader::accessibleName() const {
  return QString::fromStdU16String(MarkupRenderer::stripAllTags(settings_.text));
}

}  // namespace vantrel
