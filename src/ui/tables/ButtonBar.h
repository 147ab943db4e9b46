#pragma once
// The strip of buttons that viewers place at the bottom of a page: image or
// text buttons made from descriptions, aligned left, right or centred, an
// optional logo button at the right end, every press reported as a command
// code to one listener.
#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QString>
#include <vector>

#include "core/platform/MessageService.h"
#include "ui/platform/Rescale.h"
#include "ui/shell/LayoutWidget.h"
#include "core/tables/ControlGeometry.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

inline constexpr int kNoImage = 0xFFFF;
inline constexpr int kLogoCode = 1111;

// Full description of one button.
struct ButtonDescription {
  int code = 0;
  int image = kNoImage;
  int pressedImage = kNoImage;
  QString text;
  QColor face{212, 208, 200};
  int width = 0, height = 0;  // a text button's size; an image button's size is written back
  // What the button is called for screen readers (the text when empty) and
  // what its tooltip says (the name when empty).
  QString name = {};
  QString tip = {};
};

// Short description: an image button.
struct ImageButtonDescription {
  int code = 0;
  int image = kNoImage;
  int pressedImage = kNoImage;
  QString name = {};
};

class ButtonBarListener {
 public:
  virtual ~ButtonBarListener() = default;
  virtual void buttonCommand(int code) = 0;
};

// A button that paints its image, or its pressed image while pressed.
class ImageButton : public QAbstractButton {
 public:
  ImageButton(QWidget* parent, QImage normal, QImage pressed);
  QSize sizeHint() const override { return normal_.size(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QImage normal_, pressed_;
};

// The bar keeps what it was filled with, and the height it was given, at the
// resolution of the time: after a zoom it fills itself again with the
// sizes, pictures and height made for the new resolution.
class ButtonBar : public LayoutWidget, public Rescalable {
 public:
  // messages: where showButton reports an unknown code.
  ButtonBar(QWidget* parent, ScreenDpi dpi, MessageService* messages = nullptr);
  ButtonBar(QWidget* parent, int dpiX, int dpiY, MessageService* messages = nullptr)
      : ButtonBar(parent, ScreenDpi(dpiX, dpiY), messages) {}

  // Replaces every button. keyColour (or an invalid colour for none) is
  // replaced by the bar's colour in the images; backgroundBitmap 0 for none.
  void setButtons(std::vector<ButtonDescription>& descriptions, int spacing, int alignment, QColor colour,
                  QColor keyColour, int backgroundBitmap);
  void setImageButtons(const std::vector<ImageButtonDescription>& descriptions, QColor colour, int spacing,
                       QColor keyColour, int backgroundBitmap);
  // The logo at the right end, code 1111.
  void addLogoButton(int image, QColor keyColour, QColor replacement);
  void showButton(int code, bool show);
  void setListener(ButtonBarListener* listener) { listener_ = listener; }
  // The rectangle of the button at that index, in global coordinates.
  QRect buttonRect(int index) const;

  int totalWidth() const { return totalWidth_; }
  int spacing() const { return spacing_; }
  QAbstractButton* buttonWithCode(int code) const;
  const QList<QAbstractButton*>& buttons() const { return buttons_; }
  void rescale() override;

 protected:
  void resizeEvent(QResizeEvent*) override { relayout(); }
  void paintEvent(QPaintEvent*) override;

 private:
  struct Logo {
    int image;
    QColor keyColour, replacement;
  };
  // The last filling, with the sizes and spacing as given.
  struct Filling {
    enum class Kind { None, Buttons, ImageButtons } kind = Kind::None;
    std::vector<ButtonDescription> buttons;
    std::vector<ImageButtonDescription> images;
    int spacing = 0;
    int alignment = 0;
    QColor colour, keyColour;
    int background = 0;
    std::vector<Logo> logos;
    int dpiX = 96, dpiY = 96;
  };
  void fillButtons(std::vector<ButtonDescription>& descriptions, int spacing, int alignment, QColor colour,
                   QColor keyColour, int backgroundBitmap);
  void fillImageButtons(const std::vector<ImageButtonDescription>& descriptions, QColor colour, int spacing,
                        QColor keyColour, int backgroundBitmap);
  void addLogo(const Logo& logo);
  void clearButtons();
  static void nameButton(QAbstractButton* b, const QString& name, const QString& tip);
  QAbstractButton* makeImageButton(int code, int image, int pressedImage, QColor keyColour);
  void setBackgroundStrip(int bitmap);
  void relayout();
  QImage loadImage(int number, QColor keyColour) const;

  ScreenDpi dpi_;
  MessageService* messages_;
  QList<QAbstractButton*> buttons_;
  QList<QAbstractButton*> endButtons_;
  int endWidth_ = 0;
  QColor colour_{255, 255, 255};
  int spacing_;
  int alignment_ = kAlignLeft;
  int totalWidth_ = 0;
  QImage strip_;
  QLabel* background_ = nullptr;
  ButtonBarListener* listener_ = nullptr;
  Filling filling_;
  // The height as last given by the owner and the resolution then; the
  // height the last rescale made; the resolution of the last rescale.
  int givenHeight_ = 0, givenDpiY_ = 96, madeHeight_ = -1, lastDpiY_ = 96;
};

}  // namespace vantrel
