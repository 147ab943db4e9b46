#include "ui/images/ImageViewer.h"

#include "ui/images/PictureDecoder.h"
#include "ui/platform/QtSurface.h"
#include "core/richtext/TextBlock.h"
#include "core/page/MainFrame.h"

namespace vantrel {

ImageViewer::ImageViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea,
                         QWidget* mainWindow, const ScreenInfo& screen)
    : ContentViewer(&database, &frame),
      model_(database, keys),
      screen_(screen),
      pageArea_(pageArea),
      mainWindow_(mainWindow),
      pane_(new ImagePane(pageArea, ScreenDpi(screen))),
      bar_(new ButtonBar(pageArea, ScreenDpi(screen))),
      font_(guideFontDescription(screen.dpiY())) {
  const int dpiX = screen.dpiX(), dpiY = screen.dpiY();
  const bool high = dpiX >= 192;
  pane_->setGeometry(30, 30, 200, 200);
  pane_->hide();

  bar_->setGeometry(0, 0, 0, (22 * dpiY + 48) / 96);
  bar_->hide();
  bar_->setListener(this);
  const QColor grey(200, 200, 200);
  bar_->setImageButtons({{kImageNoteButton, high ? 143 : 142, kNoImage, "Note"}}, grey, ((dpiX + 24) * 2) / 96,
                        QColor(255, 0, 0), 0);
  bar_->addLogoButton(high ? 131 : 112, QColor(), grey);

  popup_ = new FootnotePopup(mainWindow ? mainWindow : pageArea, ScreenDpi(screen));
  popup_->setWindowTitle("popup");
  popup_->setProperty("childId", 890);
  popup_->setFont(font_);
  // Links in the note are not followed from the picture page.
  popup_->setListener([](FootnotePopup*, int32_t, QPoint, const std::u16string&) {});
}

ImageViewer::~ImageViewer() {
  delete popup_.data();  // a top-level window of its own (unless the main window went first)
  delete bar_;
  delete pane_;
}

bool ImageViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!model_.show(object, screen_.screenSize(), screen_.dpiX(), screen_.dpiY())) return false;
  // The header and the frame's title take the caption's markup and show it
  // as plain text, each once, so they read as the caption does.
  HeaderSettings header;
  header.text = QString::fromStdU16String(model_.captionMarkup());
  header.textColour = QColor(255, 255, 255);
  header.alignment = 1;
  header.font = QtSurface::qfontFor(font_);
  header.background = QColor(0, 0, 0);
  pane_->setTitle(header);
  imageWindow()->setCaption(QString::fromStdU16String(model_.caption()));

  addLayoutItem(pane_, 4);
  addLayoutItem(bar_, 3);

  showPicture(false);

  if (QAbstractButton* note = bar_->buttonWithCode(kImageNoteButton)) note->setEnabled(model_.noteEnabled());
  frame_->setTitle(model_.captionMarkup());
  return true;
}

void ImageViewer::showPicture(bool replace) {
  QByteArray format;
  QImage picture = decodePicture(model_.bytes(), &format);
  model_.releaseBytes();
  shownVariant_ = picture.isNull() ? -1 : static_cast<int>(model_.chosen());
  // Photographs are smoothed when zoomed; drawings keep whole pixels.
  const bool photo = format == "jpeg" || format == "jpg";
  if (replace)
    imageWindow()->replacePicture(std::move(picture), photo);
  else
    imageWindow()->setPicture(std::move(picture), photo);
}

void ImageViewer::rescale() {
  font_ = guideFontDescription(screen_.dpiY());
  if (model_.chooseAgain(screen_.screenSize(), screen_.dpiX(), screen_.dpiY())) showPicture(true);
}

void ImageViewer::afterLayout() {
  pane_->update();
  // Keys (zoom, fit) go to the picture while it is shown.
  if (imageWindow()->isVisible()) imageWindow()->setFocus(Qt::OtherFocusReason);
}

void ImageViewer::buttonCommand(int code) {
  const ImageAction action = model_.command(code);
  switch (action.kind) {
    case ImageAction::Kind::Navigate:
      frame_->navigate(action.target, nullptr, 0, true);
      break;
    case ImageAction::Kind::ShowNote: {
      if (!popup_) break;
      TextBlock block(action.text);
      QWidget* main = mainWindow_ ? mainWindow_ : pageArea_->window();
      const QRect r = main->geometry();
      const QPoint anchor((r.left() + r.left() + r.width()) / 2, (r.top() + r.top() + r.height()) / 2);
      popup_->show(block, anchor, action.title, true, true);
      break;
    }
    case ImageAction::Kind::Nothing:
      break;
  }
}

QJsonObject ImageViewer::scriptState() const {
  const ImageWindow* w = imageWindow();
  const ImageScroller& s = w->scroller();
  QJsonObject o;
  o["object"] = static_cast<qint64>(model_.object());
  o["caption"] = QString::fromStdU16String(model_.caption());
  o["variant"] = shownVariant_;
  o["width"] = w->picture().width();
  o["height"] = w->picture().height();
  o["scrollX"] = s.offsetX();
  o["scrollY"] = s.offsetY();
  o["noteEnabled"] = model_.noteEnabled();
  o["zoom"] = s.zoom();
  o["scrollBars"] = s.scrollBarMask();
  const QPoint at = w->mapTo(pageArea_, QPoint(0, 0));
  const QRect c = w->clientRect();
  o["x"] = at.x();
  o["y"] = at.y();
  o["w"] = c.width();
  o["h"] = c.height();
  return o;
}

}  // namespace vantrel
