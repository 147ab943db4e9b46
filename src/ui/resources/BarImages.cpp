#include "ui/resources/BarImages.h"

#include <QPainter>
#include <QPainterPath>

#include "core/platform/ScreenInfo.h"

namespace vantrel {

QImage noteButtonImage(int dpiX, int dpiY) {
  const int w = scaleForDpi(20, dpiX), h = scaleForDpi(20, dpiY);
  QImage img(w, h, QImage::Format_RGB32);
  // Pure red is the key colour: drawn without smoothing so that no edge
  // pixel is a shade of it that the bar would leave red.
  img.fill(QColor(255, 0, 0));
  {  // the painter ends before the image is returned
    QPainter p(&img);
    const double ux = w / 20.0, uy = h / 20.0;
    auto pt = [&](double x, double y) { return QPointF(x * ux, y * uy); };
    QPolygonF sheet;
    sheet << pt(3, 1) << pt(13, 1) << pt(17, 5) << pt(17, 19) << pt(3, 19);
    p.setPen(QPen(QColor(40, 40, 40), std::max(1.0, ux)));
    p.setBrush(QColor(255, 252, 220));
    p.drawPolygon(sheet);
    QPolygonF fold;
    fold << pt(13, 1) << pt(13, 5) << pt(17, 5);
    p.setBrush(QColor(210, 200, 150));
    p.drawPolygon(fold);
    p.setPen(QPen(QColor(32, 128, 140), std::max(1.0, uy)));
    for (int i = 0; i < 4; ++i) {
      const double y = 8 + i * 3;
      p.drawLine(pt(6, y), pt(i == 3 ? 10 : 14, y));
    }
  }
  return img;
}

QImage guideLogoImage(int dpiX, int dpiY) {
  const int w = scaleForDpi(58, dpiX), h = scaleForDpi(18, dpiY);
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(QColor(200, 200, 200));
  {  // the painter ends before the image is returned
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double u = h / 18.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(22, 52, 96));
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1.0, h - 1.0), 3 * u, 3 * u);
    // A teal cross in a white ring at the left, the name at the right.
    const QPointF c(9 * u, h / 2.0);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 6.5 * u, 6.5 * u);
    p.setBrush(QColor(32, 128, 140));
    p.drawRect(QRectF(c.x() - 1.6 * u, c.y() - 4.5 * u, 3.2 * u, 9 * u));
    p.drawRect(QRectF(c.x() - 4.5 * u, c.y() - 1.6 * u, 9 * u, 3.2 * u));
    QFont f("DejaVu Sans");
    f.setPixelSize(std::max(1, static_cast<int>(10 * u)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(17 * u, 0, w - 17 * u - 2 * u, h), Qt::AlignVCenter | Qt::AlignHCenter, "Vantrel");
  }
  return img;
}

}  // namespace vantrel
