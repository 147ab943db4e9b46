#pragma once
// The image viewer: shows an "image" object as its caption in a title
// header over the picture (the variant made for the screen, decoded from
// memory) in a scrollable image window, with a bar holding the note button
// and the guide's logo. The note opens in the full-view dialog titled
// "Footnote"; the logo goes to the "about" page. What it takes, which
// variant and what the buttons do are decided by ImageViewerModel.
#include <QJsonObject>
#include <QPointer>
#include <memory>

#include "core/images/ImageViewerModel.h"
#include "ui/images/ImageWindow.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenInfo.h"
#include "ui/popups/FootnotePopup.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "ui/tables/ButtonBar.h"

namespace vantrel {

class PageKeys;

class ImageViewer : public ContentViewer, public ButtonBarListener, public ScriptStateSection, public Rescalable {
 public:
  // pageArea: the frame's window; mainWindow: where the note's dialog opens;
  // screen: its size and resolution choose the variant.
  ImageViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea,
              QWidget* mainWindow, const ScreenInfo& screen);
  ~ImageViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  void buttonCommand(int code) override;
  // The variant is chosen again for the new resolution (the high-resolution
  // picture at 192 dots per inch), keeping the picture's zoom and place.
  void rescale() override;
  // {object, caption, variant, width, height, scrollX, scrollY, noteEnabled,
  // zoom, scrollBars, x, y, w, h}
  QJsonObject scriptState() const override;

  ImagePane* pane() const { return pane_; }
  ImageWindow* imageWindow() const { return pane_->imageWindow(); }
  ButtonBar* buttonBar() const { return bar_; }
  FootnotePopup* popup() const { return popup_; }
  const ImageViewerModel& model() const { return model_; }
  // The variant shown: the chosen one, or -1 when it did not load.
  int shownVariant() const { return shownVariant_; }

 private:
  // Decodes the model's bytes into the image window (replace: keeping the
  // zoom and place of the picture shown).
  void showPicture(bool replace);

  ImageViewerModel model_;
  const ScreenInfo& screen_;
  QWidget* pageArea_;
  QWidget* mainWindow_;
  ImagePane* pane_;
  ButtonBar* bar_;
  QPointer<FootnotePopup> popup_;
  FontDescription font_;
  int shownVariant_ = -1;
};

}  // namespace vantrel
