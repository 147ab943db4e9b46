#include "ui/tables/TitleHeader.h"

#include <QPainter>

#include "core/platform/ScreenInfo.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/tables/ControlGeometry.h"

namespace vantrel {

QString plainTitle(const QString& markup) {
  return QString::fromStdU16String(MarkupRenderer::stripAllTags(markup.toStdU16String()));
}

TitleHeader::TitleHeader(QWidget* parent, ScreenDpi dpi) : FoldingHeader(parent, dpi, kArrowId) {
  setObjectName("titleHeader");
  font_ = QFont("Sans Serif");
  font_.setPixelSize(((dpi.y() + 3) * 16) / 96);
  font_.setWeight(QFont::Bold);
  font_.setStyleHint(QFont::SansSerif);
  givenPixels_ = font_.pixelSize();
  givenDpiY_ = dpi.y();
}

void TitleHeader::rescale() {
  FoldingHeader::rescale();
  if (givenPixels_ > 0) font_.setPixelSize(std::max(1, rescaleForDpi(givenPixels_, givenDpiY_, dpi_.y())));
  update();
}

void TitleHeader::setup(const HeaderSettings& s) {
  shown_ = s.shown;
  textColour_ = s.textColour;
  if (s.font) {
    font_ = *s.font;
    givenPixels_ = font_.pixelSize();
    givenDpiY_ = dpi_.y();
  }
  if (!shown_) {
    update();
    return;
  }
  collapsed_ = s.collapsed;
  background_ = s.background;
  alignment_ = s.alignment;
  text_ = plainTitle(s.text);
  update();
}

int TitleHeader::lineHeight() const { return QFontMetrics(font_).height(); }

int TitleHeader::neededHeight() const {
  if (!shown_) return 0;
  const int t = lineHeight();
  if (collapsed_) return t;
  QFontMetrics fm(font_);
  const std::u16string text = text_.toStdU16String();
  const int lines = countTitleLines(text, width() - 2 * kBorder, [&fm](std::u16string_view s) {
    return fm.horizontalAdvance(QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())));
  });
  return lines * t;
}

void TitleHeader::relayout() {
  if (!shown_ || pressed_) return;
  foldToLine(lineHeight());
}

void TitleHeader::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!shown_) return;
  p.fillRect(rect(), background_);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setFont(font_);
  p.setPen(textColour_);
  QRect inner = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
  Qt::Alignment a = alignment_ == 1 ? Qt::AlignHCenter : alignment_ == 2 ? Qt::AlignRight : Qt::AlignLeft;
  if (pressed_) {
    p.drawText(inner, a | Qt::AlignTop | Qt::TextWordWrap, text_);
  } else {
    if (!arrow_->isHidden()) inner.setRight(arrow_->x() - 1);
    // Wrapped at spaces like the whole title, of which the folded header
    // shows the first line: a long centred title is not cut at both ends.
    p.drawText(inner, a | Qt::AlignTop | Qt::TextWordWrap, text_);
  }
}

HeaderedWindow::HeaderedWindow(QWidget* parent, const char* kindName, ScreenDpi dpi)
    : LayoutWidget(parent, kindName), header_(new TitleHeader(this, dpi)) {}

void HeaderedWindow::setupHeader(const HeaderSettings& settings, std::optional<QRect> rect) {
  if (rect && !rect->isEmpty()) setGeometry(*rect);
  header_->setup(settings);
  layoutHeader();
}

void HeaderedWindow::layoutHeader() { layoutHeaderIn(this, header_); }

int HeaderedWindow::contentTop() const { return contentTopBelow(header_); }

void ColourBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colour_);
}

}  // namespace vantrel
