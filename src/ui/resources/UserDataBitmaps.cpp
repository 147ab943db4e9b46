#include "ui/resources/UserDataBitmaps.h"

#include <QPainter>
#include <QPainterPath>

#include "core/platform/ScreenInfo.h"

namespace vantrel {

namespace {

const QColor kKey(192, 192, 192);

// A rounded button face in a 20 x 20 design grid, scaled to the resolution.
QImage face(int dpiX, int dpiY, QPainter*& painter) {
  const int w = scaleForDpi(20, dpiX), h = scaleForDpi(20, dpiY);
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(kKey);
  painter = new QPainter(&img);
  QPainter& p = *painter;
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(w / 20.0, h / 20.0);
  QLinearGradient g(0, 1, 0, 19);
  g.setColorAt(0, QColor(250, 250, 252));
  g.setColorAt(1, QColor(208, 216, 228));
  p.setPen(QPen(QColor(96, 112, 140), 1));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1, 1, 18, 18), 3, 3);
  return img;
}

QImage newNote(int dpiX, int dpiY) {
  QPainter* p;
  QImage img = face(dpiX, dpiY, p);
  // A sheet with a folded corner and a plus.
  QPainterPath sheet;
  sheet.moveTo(5, 4);
  sheet.lineTo(12, 4);
  sheet.lineTo(15, 7);
  sheet.lineTo(15, 16);
  sheet.lineTo(5, 16);
  sheet.closeSubpath();
  p->setPen(QPen(QColor(40, 60, 90), 1.2));
  p->setBrush(QColor(255, 250, 205));
  p->drawPath(sheet);
  p->drawLine(QPointF(12, 4), QPointF(12, 7));
  p->drawLine(QPointF(12, 7), QPointF(15, 7));
  p->setPen(QPen(QColor(20, 130, 60), 2, Qt::SolidLine, Qt::RoundCap));
  p->drawLine(QPointF(10, 9), QPointF(10, 14));
  p->drawLine(QPointF(7.5, 11.5), QPointF(12.5, 11.5));
  delete p;
  return img;
}

QImage deleteChecked(int dpiX, int dpiY) {
  QPainter* p;
  QImage img = face(dpiX, dpiY, p);
  // A ticked box struck out.
  p->setPen(QPen(QColor(40, 60, 90), 1.2));
  p->setBrush(Qt::white);
  p->drawRect(QRectF(4, 5, 9, 9));
  p->setPen(QPen(QColor(40, 60, 90), 1.5, Qt::SolidLine, Qt::RoundCap));
  p->drawLine(QPointF(5.5, 9.5), QPointF(7.5, 12));
  p->drawLine(QPointF(7.5, 12), QPointF(11.5, 6.5));
  p->setPen(QPen(QColor(190, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
  p->drawLine(QPointF(11, 10), QPointF(16, 15));
  p->drawLine(QPointF(16, 10), QPointF(11, 15));
  delete p;
  return img;
}

QImage saveNote(int dpiX, int dpiY) {
  QPainter* p;
  QImage img = face(dpiX, dpiY, p);
  // A green tick.
  p->setPen(QPen(QColor(20, 130, 60), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p->setBrush(Qt::NoBrush);
  QPainterPath tick;
  tick.moveTo(5, 10.5);
  tick.lineTo(8.5, 14);
  tick.lineTo(15, 6);
  p->drawPath(tick);
  delete p;
  return img;
}

QImage cancelNote(int dpiX, int dpiY) {
  QPainter* p;
  QImage img = face(dpiX, dpiY, p);
  // A red cross.
  p->setPen(QPen(QColor(190, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
  p->drawLine(QPointF(6, 6), QPointF(14, 14));
  p->drawLine(QPointF(14, 6), QPointF(6, 14));
  delete p;
  return img;
}

// The guide's small sign: a white cross on a navy disc and the letters "VG".
QImage logo(int dpiX, int dpiY, QColor background) {
  const int w = scaleForDpi(34, dpiX), h = scaleForDpi(18, dpiY);
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(background);
  {  // the painter ends before the image is returned
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(w / 34.0, h / 18.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(22, 52, 96));
    p.drawEllipse(QRectF(1, 1, 16, 16));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 4, 3, 10));
    p.drawRect(QRectF(4, 7.5, 10, 3));
    QFont f("DejaVu Sans");
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(32, 128, 140));
    p.drawText(QRectF(18, 0, 16, 18), Qt::AlignCenter, "VG");
  }
  return img;
}

}  // namespace

QImage userDataBitmap(int number, int dpiX, int dpiY) {
  switch (number) {
    case 108:
    case 471: return newNote(dpiX, dpiY);
    case 134:
    case 135: return deleteChecked(dpiX, dpiY);
    case 104:
    case 132: return saveNote(dpiX, dpiY);
    case 107:
    case 133: return cancelNote(dpiX, dpiY);
    case 112: return logo(dpiX, dpiY, QColor(214, 212, 188));
    case 131: return logo(dpiX, dpiY, kKey);
    default: return QImage();
  }
}

}  // namespace vantrel
