#pragma once
// The HTML pane: a generated HTML page in the HTML control below a title
// strip. The owner gives it a page source; showing an item loads the
// source's page for it. A tapped link is read as the object it names (its
// leading decimal number) and reported to the owner; web addresses ("http"
// targets) are not followed. Inline images are asked of the source, which
// answers none.
#include <QColor>
#include <optional>
#include <string>

#include "ui/html/HtmlControl.h"
#include "core/page/PageSource.h"
#include "ui/tables/RichTitleHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class HtmlPane;

class HtmlPaneOwner {
 public:
  virtual ~HtmlPaneOwner() = default;
  virtual void linkTapped(HtmlPane& pane, ObjectIndex linkId, int unused) = 0;
  virtual void imageRequested(HtmlPane& pane, const std::u16string& target, uint32_t cookie) = 0;
};

class HtmlPane : public RichHeaderedWindow {
 public:
  static constexpr int kControlId = 8989;

  HtmlPane(QWidget* parent, ScreenDpi dpi, const char* kindName = "html");
  HtmlPane(QWidget* parent, int dpiX, int dpiY, const char* kindName = "html")
      : HtmlPane(parent, ScreenDpi(dpiX, dpiY), kindName) {}

  // Title strip (shown or not, markup text, colour, font) and page source.
  void setup(bool hasTitle, const std::u16string& title, Colour titleColour, std::optional<FontDescription> font,
             PageSource* pageSource);
  void setOwner(HtmlPaneOwner* owner) { owner_ = owner; }
  void setInputEnabled(bool enabled) { inputEnabled_ = enabled; }
  bool inputEnabled() const { return inputEnabled_; }
  PageSource* pageSource() const { return source_; }

  // Loads the source's page for item and scrolls to the top; nothing
  // without a page source.
  void showItem(ObjectIndex item);
  void clear();
  void jumpToAnchor(const std::u16string& name);
  void setScroll(int pos);

  HtmlControl* control() const { return control_; }
  // A target text as the control reports it (also for tests).
  void targetTapped(const QString& target);

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void placeControl();

  HtmlControl* control_;
  HtmlPaneOwner* owner_ = nullptr;
  PageSource* source_ = nullptr;
  bool inputEnabled_ = true;
};

}  // namespace vantrel
