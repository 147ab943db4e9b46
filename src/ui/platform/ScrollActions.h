#pragma once
// The one mapping from a Qt scroll bar's actions to scroll requests.
#include <QAbstractSlider>
#include <QFrame>
#include <QScrollBar>

#include "core/platform/Scrolling.h"

namespace vantrel {

inline ScrollCode scrollCodeFor(int sliderAction) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollCode::LineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollCode::PageDown;
    case QAbstractSlider::SliderMove: return ScrollCode::ThumbTrack;
    default: return ScrollCode::Other;
  }
}

// The scroll bars of a window that scrolls itself (a picture, a table grid),
// with the names and child ids scripted runs find them by: vertical bar 1001,
// horizontal bar 1002, the box in the corner between them 1003.
struct ScrollBarSet {
  QScrollBar* vertical;
  QScrollBar* horizontal;
  QFrame* corner;
};

inline ScrollBarSet makeScrollBars(QWidget* parent) {
  ScrollBarSet bars{new QScrollBar(Qt::Vertical, parent), new QScrollBar(Qt::Horizontal, parent),
                    new QFrame(parent)};
  bars.vertical->setObjectName("verticalBar");
  bars.vertical->setProperty("childId", 1001);
  bars.horizontal->setObjectName("horizontalBar");
  bars.horizontal->setProperty("childId", 1002);
  bars.corner->setObjectName("cornerBox");
  bars.corner->setProperty("childId", 1003);
  return bars;
}

}  // namespace vantrel
