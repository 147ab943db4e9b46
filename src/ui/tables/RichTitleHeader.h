#pragma once
// A title strip whose title is markup drawn by the markup renderer (bold,
// italic, coloured text and links), folding and unfolding like the plain
// TitleHeader, and the container window built on it.
#include <QPushButton>
#include <QWidget>
#include <optional>

#include "core/platform/DrawingSurface.h"
#include "ui/platform/Accessible.h"
#include "core/richtext/LinkAreaList.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/richtext/TextBlock.h"
#include "ui/shell/LayoutWidget.h"
#include "ui/tables/FoldingHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

struct RichHeaderSettings {
  bool shown = true;
  std::u16string text;  // markup
  Colour textColour = 0xFFFFFF;
  int alignment = 0;  // 0 left, 1 centred, 2 right
  std::optional<FontDescription> font;
  Colour background = 0x000000;
  bool collapsed = false;
};

class RichTitleHeader : public FoldingHeader, public AccessibleLabel {
 public:
  static constexpr int kArrowId = 1001;

  RichTitleHeader(QWidget* parent, ScreenDpi dpi);
  RichTitleHeader(QWidget* parent, int dpiX, int dpiY)
      : RichTitleHeader(parent, ScreenDpi(dpiX, dpiY)) {}
  void setup(const RichHeaderSettings& settings);
  int neededHeight() const override;
  // Height of one line of the title as the renderer lays it out.
  int oneLineHeight() const;
  int fullHeight() const { return fullHeight_; }
  int arrowReserve() const { return arrowReserve_; }
  const LinkAreaList& linkAreas() const { return links_; }
  const TextBlock& block() const { return block_; }
  // The part of the client area the last paint copied the title into.
  QRect lastCopied() const { return lastCopied_; }
  QAccessible::Role accessibleRole() const override { return QAccessible::Heading; }
  QString accessibleName() const override;
  void relayout() override;
  // The font made again for the new resolution, the title measured again.
  void rescale() override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QRect mainRect() const;
  void apply(const RichHeaderSettings& settings);

  RichHeaderSettings settings_;
  FontDescription font_;
  FontDescription givenFont_;  // as given, for the resolution of that time
  int givenDpiY_;
  MarkupRenderer renderer_;
  TextBlock block_;
  LinkAreaList links_;
  int fullHeight_ = 0;
  int oneLine_ = 0;  // height of one laid-out line in the font
  int arrowReserve_ = 0;
  QRect mainRect_;
  QRect lastCopied_;
};

class RichHeaderedWindow : public LayoutWidget {
 public:
  RichHeaderedWindow(QWidget* parent, const char* kindName, ScreenDpi dpi);
  RichHeaderedWindow(QWidget* parent, const char* kindName, int dpiX, int dpiY)
      : RichHeaderedWindow(parent, kindName, ScreenDpi(dpiX, dpiY)) {}
  // Moves the container to rect first when one is given.
  void setupHeader(const RichHeaderSettings& settings, std::optional<QRect> rect = std::nullopt);
  RichTitleHeader* header() const { return header_; }
  int contentTop() const;

 protected:
  void resizeEvent(QResizeEvent*) override { layoutHeader(); }
  void layoutHeader();

 private:
  RichTitleHeader* header_;
};

}  // namespace vantrel
