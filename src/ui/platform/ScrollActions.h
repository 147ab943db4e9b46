#pragma once
// The one mapping from a Qt scroll bar's actions to scroll requests.
#include <QAbstractSlider>

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

}  // namespace vantrel
