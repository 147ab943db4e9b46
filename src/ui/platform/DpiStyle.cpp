#include "ui/platform/DpiStyle.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <map>

namespace vantrel {

DpiStyle::DpiStyle(int dpi) : QProxyStyle(), dpi_(dpi) {}

int DpiStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
  const int n = QProxyStyle::pixelMetric(metric, option, widget);
  switch (metric) {
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_RadioButtonLabelSpacing:
    case PM_CheckBoxLabelSpacing:
      return (n * dpi_ + 48) / 96;
    default:
      return n;
  }
}

DpiStyle* DpiStyle::forDpi(int dpi) {
  static std::map<int, DpiStyle*> styles;
  DpiStyle*& s = styles[dpi];
  if (!s) {
    s = new DpiStyle(dpi);
    // The application deletes it when it goes; no widget outlives it.
    if (qApp) s->setParent(qApp);
  }
  return s;
}

void DpiStyle::apply(QWidget* w, int dpi) {
  if (!w) return;
  // Back at 96 (a zoom returned to 100 %), a widget given a style before
  // returns to the application's.
  if (dpi == 96 && !dynamic_cast<DpiStyle*>(w->style())) return;
  DpiStyle* style = dpi == 96 ? nullptr : forDpi(dpi);
  w->setStyle(style);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
    area->verticalScrollBar()->setStyle(style);
    area->horizontalScrollBar()->setStyle(style);
  }
}

}  // namespace vantrel
