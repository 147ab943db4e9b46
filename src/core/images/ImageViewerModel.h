#pragma once
// What the image viewer decides without a window: whether it shows an
// object, the caption, the note and its button, which size variant of the
// picture it loads (and whether its bytes can be read), what the bar's
// buttons lead to; and the image window's scrolling state (ImageScroller):
// scroll-bar commands, dragging with the stylus, and the desktop's zoom.
// The Qt side decodes the bytes, draws and carries the actions out.
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/Scrolling.h"
#include "core/content/ContentDatabase.h"
#include "core/images/ImageBlob.h"
#include "core/platform/Geometry.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class PageKeys;

inline constexpr int kImageNoteButton = 0;
inline constexpr int kImageLogoButton = 1111;

struct ImageAction {
  enum class Kind {
    Nothing,
    Navigate,  // to target (the "about" page)
    ShowNote,  // text in the full-view dialog titled title
  };
  Kind kind = Kind::Nothing;
  ObjectIndex target = 0;
  std::u16string text;
  std::u16string title;
};

class ImageViewerModel {
 public:
  ImageViewerModel(const ContentDatabase& database, const PageKeys& keys);

  // Objects of type "image" (exactly), and nothing else.
  static bool accepts(const ContentDatabase& db, ObjectIndex x);
  // Takes image x for a screen of that size and resolution: caption, note,
  // blob layout, the chosen variant and its bytes. False (nothing changed)
  // for an object it does not accept.
  bool show(ObjectIndex x, Size screen, int dpiX, int dpiY);
  // The screen's size or resolution changed: the variant is chosen again for
  // the object shown, and its bytes read when the choice changed. Answers
  // whether it changed.
  bool chooseAgain(Size screen, int dpiX, int dpiY);

  ObjectIndex object() const { return object_; }
  // The object's text with every tag removed and the entities decoded.
  const std::u16string& caption() const { return caption_; }
  // The object's text as stored: what the header and the frame's title are
  // given, as they turn a title into plain text themselves (once).
  const std::u16string& captionMarkup() const { return captionMarkup_; }
  // The text of the first "note" child; empty when there is none.
  const std::u16string& note() const { return note_; }
  bool noteEnabled() const { return !note_.empty(); }
  uint32_t blob() const { return blob_; }
  const ImageBlobLayout& layout() const { return layout_; }
  // The variant the choice rule picked, and where it lies (or why it cannot be read).
  uint32_t chosen() const { return chosen_; }
  const VariantRange& range() const { return range_; }
  // The chosen variant's bytes; empty when they cannot be read.
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  // Drops the bytes once they are decoded.
  void releaseBytes() { std::vector<uint8_t>().swap(bytes_); }

  // A button of the bar: the logo (1111) goes to "about", any other shows the note.
  ImageAction command(int id) const;

 private:
  const ContentDatabase& db_;
  const PageKeys& keys_;
  ObjectIndex object_ = 0;
  std::u16string caption_, captionMarkup_, note_;
  uint32_t blob_ = 0;
  ImageBlobLayout layout_;
  uint32_t chosen_ = 0;
  VariantRange range_;
  std::vector<uint8_t> bytes_;
};

enum class ScrollAxis { Horizontal, Vertical };
// The picture scrolls by the same requests as every other window.
using ScrollRequest = ScrollCode;

// The image window's view of its picture: the picture's size, the client
// area's size and the scroll offsets, all in shown pixels (the picture's
// pixels times the zoom). Zoom is 1 unless the user zooms; fitting the
// window is a mode that sets the zoom at every change of size.
class ImageScroller {
 public:
  explicit ImageScroller(int dpiX = 96, int dpiY = 96) : dpi_(dpiX, dpiY) {}
  // A resolution that may change (a zoom): read at each drag.
  explicit ImageScroller(ScreenDpi dpi) : dpi_(dpi) {}

  // A new picture (an empty size for none): both offsets 0, zoom back to 1
  // (or to the fitting zoom in fit mode).
  void setPicture(Size size);
  // A new client size: both offsets 0 (the bars start at the top left).
  void setClient(Size size);

  Size picture() const { return picture_; }
  Size client() const { return client_; }
  // The picture's size as shown (zoomed).
  Size shown() const { return shown_; }
  int offsetX() const { return x_; }
  int offsetY() const { return y_; }
  int offset(ScrollAxis a) const { return a == ScrollAxis::Horizontal ? x_ : y_; }
  // The furthest offset: shown size less client size, at least 0.
  int maximum(ScrollAxis a) const;
  // The axis scrolls: the shown picture is larger than the client area.
  bool needed(ScrollAxis a) const { return maximum(a) > 0; }
  // 1 vertical, 2 horizontal, 3 both, 0 when the picture fits.
  int scrollBarMask() const;

  // A scroll-bar command; thumb is the thumb's position for Thumb. Answers
  // whether the offset moved.
  bool scroll(ScrollAxis a, ScrollRequest request, int thumb = 0);
  // The stylus: a move scrolls each axis that needs it by last - current
  // when that is more than ((dpi + 24) * 2) / 96 pixels; the remembered
  // point follows every move. Answers whether an offset moved.
  void penDown(Point p) { last_ = p; }
  bool penMove(Point p);
  int dragThreshold(ScrollAxis a) const { return ((a == ScrollAxis::Horizontal ? dpi_.x() : dpi_.y()) + 24) * 2 / 96; }

  // Zoom. Each answers whether the zoom changed; the point at the middle of
  // the client area stays where it is.
  double zoom() const { return zoom_; }
  bool fitMode() const { return fit_; }
  bool zoomIn();
  bool zoomOut();
  bool setZoom(double zoom);  // leaves fit mode
  bool resetZoom();           // 1:1, leaves fit mode
  bool toggleFit();
  static constexpr double kMinZoom = 0.125;
  static constexpr double kMaxZoom = 8.0;
  // No side of the shown picture grows past this.
  static constexpr int kMaxShownSide = 32000;

 private:
  bool applyZoom(double zoom, bool keepCentre);
  double fittingZoom() const;
  int& pos(ScrollAxis a) { return a == ScrollAxis::Horizontal ? x_ : y_; }
  void updateShown();

  ScreenDpi dpi_;
  Size picture_, client_, shown_;
  int x_ = 0, y_ = 0;
  Point last_;
  double zoom_ = 1.0;
  bool fit_ = false;
};

}  // namespace vantrel
