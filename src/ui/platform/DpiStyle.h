#pragma once
// Qt draws its own controls (scroll bars, radio buttons) at the sizes of the
// desktop's resolution; the emulated screen may have twice as many dots per
// inch. A DpiStyle wraps the application's style and scales the sizes of
// those parts as every other size is scaled: (n * dpi + 48) / 96.
#include <QProxyStyle>

class QWidget;

namespace vantrel {

class DpiStyle : public QProxyStyle {
 public:
  explicit DpiStyle(int dpi);
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  int dpi() const { return dpi_; }

  // The shared style for a resolution (owned by the application).
  static DpiStyle* forDpi(int dpi);
  // Gives w (and, for a scroll area, its two scroll bars) the style for dpi.
  // At 96 dots per inch nothing changes.
  static void apply(QWidget* w, int dpi);

 private:
  int dpi_;
};

}  // namespace vantrel
