#include "core/images/ImageViewerModel.h"

#include <algorithm>
#include <cmath>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/page/PageKeys.h"

namespace vantrel {

ImageViewerModel::ImageViewerModel(const ContentDatabase& database, const PageKeys& keys)
    : db_(database), keys_(keys) {}

bool ImageViewerModel::accepts(const ContentDatabase& db, ObjectIndex x) {
  return x < db.objectCount() && isOfType(db, x, u"image");
}

bool ImageViewerModel::show(ObjectIndex x, Size screen, int dpiX, int dpiY) {
  if (!accepts(db_, x)) return false;
  object_ = x;
  captionMarkup_.clear();
  textOf(db_, x, captionMarkup_);
  caption_ = MarkupRenderer::stripAllTags(captionMarkup_);
  note_.clear();
  ContentCursor note(db_, x);
  if (note.valid() && note.toChildOfType(u"note")) note.text(note_);

  blob_ = 0;
  imageBlobNumber(db_, x, blob_);
  layout_ = readImageBlobLayout(db_, blob_);
  chosen_ = chooseImageVariant(layout_, screen, dpiX, dpiY);
  range_ = variantRange(layout_, chosen_);
  if (!readVariantBytes(db_, blob_, range_, bytes_)) releaseBytes();
  return true;
}

bool ImageViewerModel::chooseAgain(Size screen, int dpiX, int dpiY) {
  if (layout_.variants.empty()) return false;
  const uint32_t chosen = chooseImageVariant(layout_, screen, dpiX, dpiY);
  if (chosen == chosen_) return false;
  chosen_ = chosen;
  range_ = variantRange(layout_, chosen_);
  if (!readVariantBytes(db_, blob_, range_, bytes_)) releaseBytes();
  return true;
}

ImageAction ImageViewerModel::command(int id) const {
  ImageAction a;
  if (id == kImageLogoButton) {
    a.kind = ImageAction::Kind::Navigate;
    a.target = keys_["about"];
  } else {
    a.kind = ImageAction::Kind::ShowNote;
    a.text = note_;
    a.title = u"Footnote";
  }
  return a;
}

// ---------------------------------------------------------------------------

namespace {

// The zoom steps of Ctrl+plus and Ctrl+minus.
constexpr double kZoomSteps[] = {0.125, 0.25, 1.0 / 3, 0.5, 2.0 / 3, 1.0, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0};

int shownSide(int side, double zoom) {
  if (side <= 0) return 0;
  return std::max(1, static_cast<int>(std::lround(side * zoom)));
}

}  // namespace

int ImageScroller::maximum(ScrollAxis a) const {
  const int m = a == ScrollAxis::Horizontal ? shown_.width - client_.width : shown_.height - client_.height;
  return std::max(0, m);
}

int ImageScroller::scrollBarMask() const {
  return (needed(ScrollAxis::Vertical) ? 1 : 0) | (needed(ScrollAxis::Horizontal) ? 2 : 0);
}

void ImageScroller::updateShown() {
  shown_ = {shownSide(picture_.width, zoom_), shownSide(picture_.height, zoom_)};
}

void ImageScroller::setPicture(Size size) {
  picture_ = {std::max(0, size.width), std::max(0, size.height)};
  zoom_ = 1.0;
  if (fit_) zoom_ = fittingZoom();
  updateShown();
  x_ = y_ = 0;
}

void ImageScroller::setClient(Size size) {
  client_ = {std::max(0, size.width), std::max(0, size.height)};
  if (fit_) {
    zoom_ = fittingZoom();
    updateShown();
  }
  x_ = y_ = 0;
}

bool ImageScroller::scroll(ScrollAxis a, ScrollRequest request, int thumb) {
  const int max = maximum(a);
  if (max <= 0) return false;  // the bar is disabled
  int& p = pos(a);
  const int step = max / 10;
  int next = p;
  switch (request) {
    case ScrollRequest::LineUp:
      if (p < 1) return false;
      next = p - std::min(p, 10);
      break;
    case ScrollRequest::LineDown:
      if (p >= max) return false;
      next = p + std::min(10, max - p);
      break;
    case ScrollRequest::PageUp:
      next = p - std::min(step, p);
      break;
    case ScrollRequest::PageDown:
      next = p + std::min(step, max - p);
      break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
      next = std::clamp(thumb, 0, max);
      break;
    case ScrollCode::Other:
      return false;
  }
  if (next == p) return false;
  p = next;
  return true;
}

bool ImageScroller::penMove(Point p) {
  bool moved = false;
  for (ScrollAxis a : {ScrollAxis::Horizontal, ScrollAxis::Vertical}) {
    if (!needed(a)) continue;
    const int d = a == ScrollAxis::Horizontal ? last_.x - p.x : last_.y - p.y;
    if (std::abs(d) <= dragThreshold(a)) continue;
    int& o = pos(a);
    const int next = static_cast<int>(std::clamp<int64_t>(int64_t(o) + d, 0, maximum(a)));
    moved = moved || next != o;
    o = next;
  }
  last_ = p;
  return moved;
}

double ImageScroller::fittingZoom() const {
  if (picture_.width <= 0 || picture_.height <= 0 || client_.width <= 0 || client_.height <= 0) return 1.0;
  const double z = std::min(double(client_.width) / picture_.width, double(client_.height) / picture_.height);
  return std::clamp(z, kMinZoom, kMaxZoom);
}

bool ImageScroller::applyZoom(double zoom, bool keepCentre) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (shownSide(picture_.width, zoom) > kMaxShownSide || shownSide(picture_.height, zoom) > kMaxShownSide)
    return false;
  if (zoom == zoom_) return false;
  const Size before = shown_;
  const double cx = x_ + std::min(client_.width, before.width) / 2.0;
  const double cy = y_ + std::min(client_.height, before.height) / 2.0;
  zoom_ = zoom;
  updateShown();
  if (keepCentre && before.width > 0 && before.height > 0) {
    const double fx = cx / before.width, fy = cy / before.height;
    x_ = static_cast<int>(std::lround(fx * shown_.width - std::min(client_.width, shown_.width) / 2.0));
    y_ = static_cast<int>(std::lround(fy * shown_.height - std::min(client_.height, shown_.height) / 2.0));
  }
  x_ = std::clamp(x_, 0, maximum(ScrollAxis::Horizontal));
  y_ = std::clamp(y_, 0, maximum(ScrollAxis::Vertical));
  return true;
}

bool ImageScroller::zoomIn() {
  for (double z : kZoomSteps)
    if (z > zoom_ * 1.0001) {
      if (!applyZoom(z, true)) return false;
      fit_ = false;
      return true;
    }
  return false;
}

bool ImageScroller::zoomOut() {
  for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
    if (*it < zoom_ * 0.9999) {
      if (!applyZoom(*it, true)) return false;
      fit_ = false;
      return true;
    }
  return false;
}

bool ImageScroller::setZoom(double zoom) {
  const bool wasFit = fit_;
  fit_ = false;
  return applyZoom(zoom, true) || wasFit;
}

bool ImageScroller::resetZoom() { return setZoom(1.0); }

bool ImageScroller::toggleFit() {
  fit_ = !fit_;
  applyZoom(fit_ ? fittingZoom() : 1.0, false);
  if (fit_) x_ = y_ = 0;
  return true;
}

}  // namespace vantrel
