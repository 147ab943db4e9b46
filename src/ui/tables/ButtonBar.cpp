#include "ui/tables/ButtonBar.h"

#include <QPainter>
#include <QPushButton>
#include <map>

#include "ui/resources/Bitmaps.h"

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
      spacing_(scaleForDpi(2, dpi.x())), lastDpiY_(dpi.y()) {
  setObjectName("buttonBar");
}

void ButtonBar::rescale() {
  if (height() != madeHeight_) {
    givenHeight_ = height();
    givenDpiY_ = lastDpiY_;
  }
  lastDpiY_ = dpi_.y();
  if (filling_.kind == Filling::Kind::None && filling_.logos.empty()) {
    madeHeight_ = rescaleForDpi(givenHeight_, givenDpiY_, dpi_.y());
    resize(width(), madeHeight_);
    return;
  }
  // The buttons are made again; what the owner switched off stays so.
  struct State {
    bool hidden, enabled;
  };
  std::map<QString, State> states;
  for (const auto* list : {&buttons_, &endButtons_})
    for (QAbstractButton* b : *list) states[b->objectName()] = {b->isHidden(), b->isEnabled()};
  Filling f = filling_;
  auto sx = [&](int n) { return rescaleForDpi(n, f.dpiX, dpi_.x()); };
  auto sy = [&](int n) { return rescaleForDpi(n, f.dpiY, dpi_.y()); };
  switch (f.kind) {
    case Filling::Kind::None:
      break;
    case Filling::Kind::Buttons:
      // Image buttons take their pictures' sizes; text buttons are scaled.
      for (ButtonDescription& d : f.buttons) {
        d.width = sx(d.width);
        d.height = sy(d.height);
        if (d.image != kNoImage) d.image = bitmapForDpi(d.image, dpi_.x());
        if (d.pressedImage != kNoImage) d.pressedImage = bitmapForDpi(d.pressedImage, dpi_.x());
      }
      fillButtons(f.buttons, sx(f.spacing), f.alignment, f.colour, f.keyColour, f.background);
      break;
    case Filling::Kind::ImageButtons:
      for (ImageButtonDescription& d : f.images) {
        if (d.image != kNoImage) d.image = bitmapForDpi(d.image, dpi_.x());
        if (d.pressedImage != kNoImage) d.pressedImage = bitmapForDpi(d.pressedImage, dpi_.x());
      }
      fillImageButtons(f.images, f.colour, sx(f.spacing), f.keyColour, f.background);
      break;
  }
  qDeleteAll(endButtons_);
  endButtons_.clear();
  endWidth_ = 0;
  madeHeight_ = rescaleForDpi(givenHeight_, givenDpiY_, dpi_.y());
  resize(width(), madeHeight_);
  for (Logo logo : f.logos) {
    logo.image = bitmapForDpi(logo.image, dpi_.x());
    addLogo(logo);
  }
  for (const auto* list : {&buttons_, &endButtons_})
    for (QAbstractButton* b : *list)
      if (const auto it = states.find(b->objectName()); it != states.end()) {
        b->setHidden(it->second.hidden);
        b->setEnabled(it->second.enabled);
      }
  relayout();
}

QImage ButtonBar::loadImage(int number, QColor keyColour) const {
  if (number == kNoImage) return QImage();
  // Drawn at the screen's device pixel ratio, shown at the layout's size.
  QImage img = sharpBitmap(number, dpi_.x(), dpi_.y(), devicePixelRatioF());
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
  b->resize(normal.deviceIndependentSize().toSize());
  QObject::connect(b, &QAbstractButton::clicked, this, [this, code] {
    if (listener_) listener_->buttonCommand(code);
  });
  b->show();
  return b;
}

void ButtonBar::setButtons(std::vector<ButtonDescription>& descriptions, int spacing, int alignment, QColor colour,
                           QColor keyColour, int backgroundBitmap) {
  // The logos at the end stay: they are not among the buttons set.
  filling_ = Filling{Filling::Kind::Buttons, descriptions, {}, spacing, alignment, colour, keyColour,
                     backgroundBitmap, filling_.logos, dpi_.x(), dpi_.y()};
  fillButtons(descriptions, spacing, alignment, colour, keyColour, backgroundBitmap);
}

void ButtonBar::fillButtons(std::vector<ButtonDescription>& descriptions, int spacing, int alignment, QColor colour,
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
  filling_ = Filling{Filling::Kind::ImageButtons, {}, descriptions, spacing, alignment_, colour, keyColour,
                     backgroundBitmap, filling_.logos, dpi_.x(), dpi_.y()};
  fillImageButtons(descriptions, colour, spacing, keyColour, backgroundBitmap);
}

void ButtonBar::fillImageButtons(const std::vector<ImageButtonDescription>& descriptions, QColor colour, int spacing,
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
  filling_.logos.push_back({image, keyColour, replacement});
  addLogo(filling_.logos.back());
}

void ButtonBar::addLogo(const Logo& logo) {
  QColor saved = colour_;
  colour_ = logo.replacement;
  QAbstractButton* b = makeImageButton(kLogoCode, logo.image, kNoImage, logo.keyColour);
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
  QImage b = sharpBitmap(bitmap, dpi_.x(), dpi_.y(), devicePixelRatioF());
  if (b.isNull()) return;
  strip_ = b.copy(0, 0, 1, b.height());
  strip_.setDevicePixelRatio(b.devicePixelRatio());
  if (!background_) {
    background_ = new QLabel(this);
    background_->setObjectName("background");
    background_->lower();
  }
  resize(width(), qRound(strip_.deviceIndependentSize().height()));
}

void ButtonBar::relayout() {
  if (background_ && !strip_.isNull() && width() > 0) {
    const qreal ratio = strip_.devicePixelRatio();
    QImage line = strip_.scaled(qRound(width() * ratio), strip_.height());
    line.setDevicePixelRatio(ratio);
    background_->setPixmap(QPixmap::fromImage(line));
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
