#include "tables/ButtonBar.h"

#include <QPainter>
#include <QPushButton>

#include "resources/Bitmaps.h"

namespace vantrel {

ImageButton::ImageButton(QWidget* parent, QImage normal, QImage pressed)
    : QAbstractButton(parent), normal_(std::move(normal)), pressed_(std::move(pressed)) {
  // Tab reaches the button; a tap leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
}

void ButtonBar::nameButton(QAbstractButton* b, const QString& name, const QString& tip) {
  b->setAccessibleName(name);
  b->setToolTip(tip.isEmpty() ? name : tip);
}

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QImage& img = isDown() && !pressed_.isNull() ? pressed_ : normal_;
  p.drawImage(0, 0, img);
  if (isDown() && pressed_.isNull()) {
    // No pressed picture: darken the normal one while it is held.
    p.fillRect(rect(), QColor(0, 0, 0, 60));
  }
}

ButtonBar::ButtonBar(QWidget* parent, ScreenDpi dpi, MessageService* messages)
    : LayoutWidget(parent, "buttonBar"), dpi_(dpi), messages_(messages),
      spacing_(scaleForDpi(2, dpi.x())) {
  setObjectName("buttonBar");
}

QImage ButtonBar::loadImage(int number, QColor keyColour) const {
  if (number == kNoImage) return QImage();
  QImage img = bitmapImage(number, dpi_.x(), dpi_.y());
  if (img.isNull() || !keyColour.isValid()) return img;
  img = img.convertToFormat(QImage::Format_RGB32);
  const QRgb key = keyColour.rgb() | 0xFF000000u, with = colour_.rgb() | 0xFF000000u;
  for (int y = 0; y < img.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] | 0xFF000000u) == key) line[x] = with;
  }
  return img;
}

void ButtonBar::clearButtons() {
  qDeleteAll(buttons_);
  buttons_.clear();
}

QAbstractButton* ButtonBar::makeImageButton(int code, int image, int pressedImage, QColor keyColour) {
  QImage normal = loadImage(image, keyColour);
  if (normal.isNull()) return nullptr;
  auto* b = new ImageButton(this, normal, loadImage(pressedImage, keyColour));
  b->setObjectName(QString("button%1").arg(code));
  b->resize(normal.size());
  QObject::connect(b, &QAbstractButton::clicked, this, [this, code] {
    if (listener_) listener_->buttonCommand(code);
  });
  b->show();
  return b;
}

void ButtonBar::setButtons(std::vector<ButtonDescription>& descriptions, int spacing, int alignment, QColor colour,
                           QColor keyColour, int backgroundBitmap) {
  clearButtons();
  colour_ = colour;
  spacing_ = spacing;
  alignment_ = alignment;
  int x = spacing;
  for (ButtonDescription& d : descriptions) {
    QAbstractButton* b = makeImageButton(d.code, d.image, d.pressedImage, keyColour);
    if (b) {
      d.width = b->width();
      d.height = b->height();
    } else {
      auto* push = new QPushButton(this);
      push->setObjectName(QString("button%1").arg(d.code));
      push->setFocusPolicy(Qt::TabFocus);
      // The caption in the system font of the emulated screen, scaled with it.
      QFont f = push->font();
      f.setPixelSize(scaleForDpi(11, dpi_.y()));
      push->setFont(f);
      QPalette pal = push->palette();
      pal.setColor(QPalette::Button, d.face);
      push->setPalette(pal);
      const int code = d.code;
      QObject::connect(push, &QAbstractButton::clicked, this, [this, code] {
        if (listener_) listener_->buttonCommand(code);
      });
      push->show();
      b = push;
    }
    b->setGeometry(x, 0, d.width, d.height);
    if (!d.text.isEmpty()) b->setText(d.text);
    nameButton(b, d.name.isEmpty() ? d.text : d.name, d.tip);
    buttons_.append(b);
    x += d.width + spacing;
  }
  totalWidth_ = x - spacing;
  if (backgroundBitmap) setBackgroundStrip(backgroundBitmap);
  relayout();
}

void ButtonBar::setImageButtons(const std::vector<ImageButtonDescription>& descriptions, QColor colour, int spacing,
                                QColor keyColour, int backgroundBitmap) {
  clearButtons();
  colour_ = colour;
  spacing_ = spacing;
  int x = spacing;
  for (const ImageButtonDescription& d : descriptions) {
    QAbstractButton* b = makeImageButton(d.code, d.image, d.pressedImage, keyColour);
    if (!b) continue;  // an image that does not load: no button
    nameButton(b, d.name, {});
    b->move(x, 0);
    buttons_.append(b);
    x += b->width() + spacing;
  }
  // The short form leaves the total width as it was.
  if (backgroundBitmap) setBackgroundStrip(backgroundBitmap);
  relayout();
}

void ButtonBar::addLogoButton(int image, QColor keyColour, QColor replacement) {
  QColor saved = colour_;
  colour_ = replacement;
  QAbstractButton* b = makeImageButton(kLogoCode, image, kNoImage, keyColour);
  colour_ = saved;
  if (!b) return;
  nameButton(b, "Vantrel Guide logo", {});
  const int parentW = parentWidget() ? parentWidget()->width() : width();
  b->move(parentW - scaleForDpi(4, dpi_.x()) - b->width(), (height() - b->height()) / 2);
  endButtons_.append(b);
  endWidth_ += scaleForDpi(4, dpi_.x()) + b->width();
  relayout();
}

QAbstractButton* ButtonBar::buttonWithCode(int code) const {
  for (QAbstractButton* b : buttons_)
    if (b->objectName() == QString("button%1").arg(code)) return b;
  for (QAbstractButton* b : endButtons_)
    if (b->objectName() == QString("button%1").arg(code)) return b;
  return nullptr;
}

void ButtonBar::showButton(int code, bool show) {
  QAbstractButton* b = buttonWithCode(code);
  if (!b) {
    if (messages_)
      messages_->showMessage({u"Error", u"Error, there isn't button on that id", MessageIcon::Error, MessageButtons::Ok});
    return;
  }
  b->setVisible(show);
}

QRect ButtonBar::buttonRect(int index) const {
  if (index < 0 || index >= buttons_.size()) return QRect();
  QAbstractButton* b = buttons_[index];
  return QRect(b->mapToGlobal(QPoint(0, 0)), b->size());
}

void ButtonBar::setBackgroundStrip(int bitmap) {
  QImage b = bitmapImage(bitmap, dpi_.x(), dpi_.y());
  if (b.isNull()) return;
  strip_ = b.copy(0, 0, 1, b.height());
  if (!background_) {
    background_ = new QLabel(this);
    background_->setObjectName("background");
    background_->lower();
  }
  resize(width(), strip_.height());
}

void ButtonBar::relayout() {
  if (background_ && !strip_.isNull() && width() > 0) {
    background_->setPixmap(QPixmap::fromImage(strip_.scaled(width(), strip_.height())));
    background_->setGeometry(0, 0, width(), height());
    background_->lower();
  }
  const int right = width();
  for (int i = endButtons_.size() - 1; i >= 0; --i) {
    QAbstractButton* b = endButtons_[i];
    if (b->isVisible() || !b->isHidden()) b->move(right - endWidth_, (height() - b->height()) / 2);
  }
  int x = buttonBarStart(0, width(), totalWidth_, spacing_, alignment_);
  for (QAbstractButton* b : buttons_) {
    b->move(x, (height() - b->height()) / 2);
    b->update();
    x += spacing_ + b->width();
  }
}

void ButtonBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colour_);
}

}  // namespace vantrel
