#pragma once
// The markup list without its window: a scrolling list of one-line markup
// rows of equal height, drawn into an off-screen image by the markup
// renderer. It keeps the rows it parsed in a cache (near the rows in view),
// scrolls by blitting the image and drawing only the rows that come into
// view, highlights one selected row, and turns the pen into taps: a quick
// tap selects and reports a row, a pen held for one timer period shows the
// full text of a cut-off row, a tap on a link inside a row reports the link.
//
// The window (src/ui/lists/MarkupList) gives the surface the images are made
// from, runs the 100 ms timer when asked, copies the image to the screen and
// shows the popup.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/lists/ListMoves.h"
#include "core/lists/PagedListModel.h"
#include "core/platform/DrawingSurface.h"
#include "core/platform/ScreenDpi.h"
#include "core/richtext/LinkAreaList.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/richtext/TextBlock.h"
#include "core/tables/ItemSource.h"

namespace vantrel {

inline constexpr Colour kMarkupListSelection = 0x996633;

class MarkupListModel {
 public:
  using RowListener = std::function<void(uint32_t row)>;
  // linkId, and the tapped row's top-left corner in client coordinates.
  using LinkListener = std::function<void(int32_t linkId, Point anchor)>;
  // The full text of a row (a parsed block on a white background) at the
  // row's top-left corner, client coordinates.
  using PopupHandler = std::function<void(const TextBlock& block, Point anchor)>;
  using TimerControl = std::function<void(bool run)>;

  // The rows are measured at the resolution dpi reads at each layout.
  explicit MarkupListModel(ScreenDpi dpi);
  MarkupListModel(int dpiX, int dpiY) : MarkupListModel(ScreenDpi(dpiX, dpiY)) {}

  // Stores the settings; no row is selected. Rows are as high as the font
  // plus a margin above and below.
  void setup(bool tapEnabled, std::optional<FontDescription> font, const ItemSource* source, Colour background);
  // The surface the off-screen images are made from (the window's).
  void setSurface(DrawingSurface* surface) { surface_ = surface; }
  void setRowListener(RowListener l) { onRow_ = std::move(l); }
  void setLinkListener(LinkListener l) { onLink_ = std::move(l); }
  void setPopupHandler(PopupHandler h) { onPopup_ = std::move(h); }
  void setTimerControl(TimerControl t) { timer_ = std::move(t); }

  // Lays the list out again at the resolution read now, with font when one
  // is given (the one it has otherwise): rows are measured again and the
  // page is drawn from the same first row, keeping the selection.
  void relayout(std::optional<FontDescription> font);
  // A new client size: rows per page and the scroll bar follow, and the page
  // is drawn again from the scroll position (keeping the parsed rows).
  // Nothing when the size is unchanged or empty.
  void resize(int width, int height);
  // Draws the page starting near first and answers the first row drawn.
  // The last page is always full. With setSelection, first becomes the
  // selected row (-1: none) and the scroll position moves to it.
  int redraw(int64_t first, bool setSelection);
  // Changes the selected row without moving the page (-1: none); the rows
  // concerned are drawn again when they are in view.
  void setSelected(int64_t row);
  // A scroll bar message; answers whether the page moved.
  bool scroll(ScrollCode code, int thumb = 0);

  // The keyboard and assistive tools. selectRow selects a row and scrolls
  // it into view; move moves the selection as the arrow, page, Home and End
  // keys do (answers whether it changed); press does what a quick tap on a
  // row does: selects it and, when taps are on, reports it.
  void selectRow(int64_t row);
  bool move(ListMove move);
  void press(uint32_t row);

  // The pen, in client coordinates, and the timer's tick.
  void penDown(int x, int y);
  void tick();
  void penUp();

  int rowHeight() const { return rowHeight_; }
  int rowsPerPage() const { return rowsPerPage_; }
  int firstRow() const { return first_; }
  int64_t selected() const { return selected_; }
  uint32_t count() const { return source_ ? source_->itemCount() : 0; }
  const ItemSource* source() const { return source_; }
  Colour background() const { return background_; }
  const ListScrollBar& bar() const { return bar_; }
  // Whether the bar has anything to scroll.
  bool barNeeded() const { return count() > static_cast<uint32_t>(rowsPerPage_); }
  const LinkAreaList& linkAreas() const { return links_; }
  DrawingSurface* image() const { return image_.get(); }
  Size clientSize() const { return {width_, height_}; }
  // Rows parsed and kept (for the tests and the benchmarks).
  size_t cachedRows() const { return cache_.size(); }
  const TextBlock* cachedBlock(uint32_t row) const;
  // Rows drawn since the list was set up (parsed or from the cache).
  uint64_t rowsDrawn() const { return rowsDrawn_; }
  // The plain texts (markup removed) of the rows drawn, top to bottom, and
  // of one row.
  std::vector<std::u16string> visibleTexts() const;
  std::u16string rowText(uint32_t row) const;
  int lastRowDrawn() const;  // one past

 private:
  TextBlock& blockFor(uint32_t row);
  void drawRow(uint32_t row);
  void trimCache();
  void ensureImage();
  void syncBarRange();
  int measureRowHeight() const;

  ScreenDpi dpi_;
  MarkupRenderer renderer_;
  std::optional<FontDescription> font_;
  int rowHeight_;
  int rowsPerPage_ = 0;
  int width_ = 0, height_ = 0;
  Colour background_ = 0xFFFFFF;
  int64_t selected_ = -1;
  bool tapEnabled_ = false;
  const ItemSource* source_ = nullptr;
  std::map<uint32_t, TextBlock> cache_;
  LinkAreaList links_;
  DrawingSurface* surface_ = nullptr;
  std::unique_ptr<DrawingSurface> image_;
  ListScrollBar bar_;
  int first_ = 0;
  uint64_t rowsDrawn_ = 0;

  // Tap state.
  int tappedRow_ = -1;  // on the page
  uint32_t tappedAbsolute_ = 0;
  int ticks_ = 0;
  bool tapValid_ = false;
  bool suppressTap_ = false;
  bool timerRunning_ = false;
  Point anchor_;

  RowListener onRow_;
  LinkListener onLink_;
  PopupHandler onPopup_;
  TimerControl timer_;
};

}  // namespace vantrel
