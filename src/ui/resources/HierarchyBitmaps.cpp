#include "ui/resources/HierarchyBitmaps.h"

#include <QPainter>

namespace vantrel {

namespace {

const QColor kFace(192, 192, 192);
const QColor kLight(255, 255, 255);
const QColor kShadow(128, 128, 128);
const QColor kDark(64, 64, 64);
const QColor kFill(22, 52, 96);

// A bar of width w x 15 at 96 dots per inch, drawn at the stretched size.
QImage splitterBar(int w, int dpiX, int dpiY) {
  const bool high = dpiX >= 192;
  const double fx = high ? dpiX / 96.0 : 1.0;
  const double fy = high ? dpiY / 96.0 : 1.0;
  const int W = static_cast<int>(w * fx + 0.5);
  const int H = static_cast<int>(15 * fy + 0.5);
  QImage img(W, H, QImage::Format_RGB32);
  img.fill(kFace);
  {  // the painter ends before the image is returned
    QPainter p(&img);
    p.scale(fx, fy);
    // Raised edges.
    p.setPen(QPen(kLight, 1));
    p.drawLine(QPointF(0, 0.5), QPointF(w, 0.5));
    p.setPen(QPen(kShadow, 1));
    p.drawLine(QPointF(0, 13.5), QPointF(w, 13.5));
    p.setPen(QPen(kDark, 1));
    p.drawLine(QPointF(0, 14.5), QPointF(w, 14.5));
    // The grip, in the part that reacts to a drag.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
      const double x = 70 + i * 6;
      p.setBrush(kLight);
      p.drawRect(QRectF(x, 5, 2, 2));
      p.drawRect(QRectF(x, 9, 2, 2));
      p.setBrush(kShadow);
      p.drawRect(QRectF(x + 1, 6, 2, 2));
      p.drawRect(QRectF(x + 1, 10, 2, 2));
    }
    // The snap marks, centred on the zones 40, 24 and 8 pixels from the right
    // end: a small window whose upper part (the tree) is 3/4, 1/2, 1/4 high.
    const double shares[3] = {0.75, 0.5, 0.25};
    const int centres[3] = {w - 40, w - 24, w - 8};
    for (int i = 0; i < 3; ++i) {
      const QRectF box(centres[i] - 4.5, 2.5, 9, 10);
      p.setBrush(kLight);
      p.setPen(QPen(kDark, 1));
      p.drawRect(box);
      p.setPen(Qt::NoPen);
      p.setBrush(kFill);
      p.drawRect(QRectF(box.left() + 1, box.top() + 1, box.width() - 1.5, (box.height() - 1.5) * shares[i]));
    }
  }
  return img;
}

// The field-jump button: a short list with an arrow, on the key colour.
QImage fieldJumpButton(bool high) {
  const int n = high ? 2 : 1;
  QImage img(24 * n, 20 * n, QImage::Format_RGB32);
  img.fill(QColor(255, 0, 0));
  {  // the painter ends before the image is returned
    QPainter p(&img);
    p.scale(n, n);
    p.setPen(QPen(kDark, 1));
    p.setBrush(kLight);
    p.drawRect(QRectF(1.5, 1.5, 15, 16));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
      p.setBrush(kFill);
      p.drawRect(QRectF(4, 4 + i * 3.5, 2, 2));
      p.setBrush(kShadow);
      p.drawRect(QRectF(7, 4 + i * 3.5, 7, 2));
    }
    // An arrow pointing up, where the list opens.
    p.setBrush(kDark);
    QPolygonF arrow;
    arrow << QPointF(20, 4) << QPointF(23.5, 9) << QPointF(21.2, 9) << QPointF(21.2, 16) << QPointF(18.8, 16)
          << QPointF(18.8, 9) << QPointF(16.5, 9);
    p.drawPolygon(arrow);
  }
  return img;
}

}  // namespace

QImage hierarchyBitmap(int number, int dpiX, int dpiY) {
  switch (number) {
    case 400: return splitterBar(240, dpiX, dpiY);
    case 401: return splitterBar(320, dpiX, dpiY);
    case 110: return fieldJumpButton(false);
    case 146: return fieldJumpButton(true);
    default: return QImage();
  }
}

}  // namespace vantrel
