#pragma once
// The home page: a picture of the guide's start screen with an alphabet and
// a contents button. A letter opens the index search with that letter typed;
// the contents button opens the table of contents.
#include <optional>

#include "core/page/MainFrame.h"
#include "core/page/PageKeys.h"

namespace vantrel {

// The hot places of the home picture, in the window's client pixels for a
// resolution and orientation.
class HomeLayout {
 public:
  struct LetterRow {
    Rect rect;
    int columnWidth;
    char16_t first;
    char16_t last;
  };

  HomeLayout(int dpiX, int dpiY, bool landscape);
  const std::vector<LetterRow>& rows() const { return rows_; }
  const Rect& contentsButton() const { return contents_; }
  bool landscape() const { return landscape_; }
  // The background picture's number: portrait 481 (483 at high resolution),
  // landscape 482 (484).
  int bitmap() const { return bitmap_; }
  // The letter at a point, if any.
  std::optional<char16_t> letterAt(int x, int y) const;
  bool onContents(int x, int y) const { return contents_.contains({x, y}); }

  // The hot spots one by one, in reading order (top to bottom, left to
  // right): each letter's column of its row, and the contents button
  // (letter 0). The keyboard and assistive tools press these.
  struct Spot {
    Rect rect;
    char16_t letter = 0;
  };
  std::vector<Spot> spots() const;

 private:
  std::vector<LetterRow> rows_;
  Rect contents_;
  bool landscape_;
  int bitmap_;
};

class HomeViewer : public Viewer {
 public:
  HomeViewer(MainFrame& frame, const PageKeys& keys, LayoutWindow* window)
      : frame_(frame), keys_(keys), window_(window) {}

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override {}
  LayoutWindow* window() const { return window_; }

  // The window's listener operations.
  void letterTapped(char16_t letter);
  void contentsTapped();
  // A tap in the window's client area, with the layout in force at the
  // moment of the tap.
  void tap(const HomeLayout& layout, int x, int y);
  // What a tap on the spot does.
  void press(const HomeLayout::Spot& spot);

 protected:
  void setWindow(LayoutWindow* window) { window_ = window; }

 private:
  MainFrame& frame_;
  const PageKeys& keys_;
  LayoutWindow* window_;
};

}  // namespace vantrel
