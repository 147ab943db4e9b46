#pragma once
// Title strips over container windows, the containers built on them and a
// solid colour bar.
//  - TitleHeader: a plain-text title (markup removed), one line high; when
//    the title needs more lines a small down arrow shows at its right, and
//    pressing the header unfolds it over the content below until the stylus
//    is lifted.
//  - HeaderedWindow: a container with a TitleHeader across its top.
//  - ColourBar: a window that shows nothing but one colour.
#include <QColor>
#include <QFont>
#include <QPushButton>
#include <optional>

#include "ui/platform/Accessible.h"
#include "ui/shell/LayoutWidget.h"
#include "ui/tables/FoldingHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The seven settings an owner gives a header.
struct HeaderSettings {
  bool shown = true;
  QString text;
  QColor textColour{255, 255, 255};
  int alignment = 0;  // 0 left, 1 centred, 2 right
  std::optional<QFont> font;
  QColor background{0, 0, 0};
  bool collapsed = false;
};

// A markup title as plain text (the markup's one plain-text rule: entities
// decoded once, every whole tag removed).
QString plainTitle(const QString& markup);

class TitleHeader : public FoldingHeader, public AccessibleLabel {
 public:
  static constexpr int kArrowId = 69;

  TitleHeader(QWidget* parent, ScreenDpi dpi);
  TitleHeader(QWidget* parent, int dpiX, int dpiY)
      : TitleHeader(parent, ScreenDpi(dpiX, dpiY)) {}
  void setup(const HeaderSettings& settings);
  // The height the header wants now: one line when folded, the whole
  // title while unfolded, 0 when switched off.
  int neededHeight() const override;
  int lineHeight() const;
  const QString& text() const { return text_; }
  QAccessible::Role accessibleRole() const override { return QAccessible::Heading; }
  QString accessibleName() const override { return text_; }
  // Lays the header out again after a change of size (the arrow, folding).
  void relayout() override;
  // The font made again for the new resolution (a font given in points is
  // left as it is).
  void rescale() override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  bool shown_ = true;
  int givenPixels_ = 0;  // the font's pixel size as given, and the resolution then
  int givenDpiY_ = 96;
  QString text_;
  QColor textColour_{255, 255, 255};
  int alignment_ = 0;
  QFont font_;
  QColor background_{0, 0, 0};
};

class HeaderedWindow : public LayoutWidget {
 public:
  HeaderedWindow(QWidget* parent, const char* kindName, ScreenDpi dpi);
  HeaderedWindow(QWidget* parent, const char* kindName, int dpiX, int dpiY)
      : HeaderedWindow(parent, kindName, ScreenDpi(dpiX, dpiY)) {}
  // Moves the container to rect first when one is given and not empty.
  void setupHeader(const HeaderSettings& settings, std::optional<QRect> rect = std::nullopt);
  TitleHeader* header() const { return header_; }
  // The top of the content below the header, in the container's client coordinates.
  int contentTop() const;

 protected:
  void resizeEvent(QResizeEvent*) override { layoutHeader(); }
  void layoutHeader();

 private:
  TitleHeader* header_;
};

class ColourBar : public LayoutWidget {
 public:
  ColourBar(QWidget* parent, QColor colour) : LayoutWidget(parent, "colourBar"), colour_(colour) {}
  void setColour(QColor colour) { colour_ = colour; }  // shown at the next repaint
  QColor colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor colour_;
};

}  // namespace vantrel
