#pragma once
// Windows and viewers whose sizes follow the screen's resolution. After the
// resolution changed (a zoom), rescale() remakes what was made for the old
// one (fonts, bitmaps, fixed sizes, the model's cached layout) and lays out
// again, keeping the place: the same first row, selection, cursor and
// scroll position as far as they map.
class QWidget;

namespace vantrel {

class Rescalable {
 public:
  virtual ~Rescalable() = default;
  virtual void rescale() = 0;
};

// Rescales every Rescalable widget in root's tree (popups parented to it
// included), the innermost first, so a window lays out its children at
// their new sizes.
void rescaleWidgets(QWidget* root);
// Lets every widget in root's tree lay out again at its present size, as a
// resize would: layouts computed on resize read the new resolution.
void relayoutWidgets(QWidget* root);

// Widgets that zoom their own content with the zoom keys and Ctrl+wheel
// (pictures) carry this property; the reader's zoom leaves those to them.
inline constexpr char kZoomsItself[] = "vantrelZoomsItself";

}  // namespace vantrel
