#include "ui/resources/Bitmaps.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/resources/HierarchyBitmaps.h"
#include "ui/resources/BarImages.h"
#include "ui/resources/UserDataBitmaps.h"
#include "core/chrome/HomeViewer.h"

namespace vantrel {

namespace {

int sc(int n, int dpi) { return scaleForDpi(n, dpi); }

QFont uiFont(int pixelHeight, bool bold = false) {
  QFont f("DejaVu Sans");
  f.setPixelSize(std::max(1, pixelHeight));
  f.setBold(bold);
  return f;
}

const QColor kNavy(22, 52, 96);
const QColor kTeal(32, 128, 140);
const QColor kPaper(246, 244, 236);

// Home page: a banner with the guide's name, the contents button and the
// alphabet in the rows the page reacts to.
QImage homeImage(bool landscape, int dpiX, int dpiY) {
  const int w = landscape ? sc(320, dpiX) : sc(240, dpiX);
  const int h = landscape ? sc(188, dpiY) : sc(268, dpiY);
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(kPaper);
  {  // the painter ends before the image is returned
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    HomeLayout layout(dpiX, dpiY, landscape);

    // Banner.
    const int bannerH = landscape ? sc(96, dpiY) : sc(118, dpiY);
    QLinearGradient g(0, 0, 0, bannerH);
    g.setColorAt(0, kNavy);
    g.setColorAt(1, kTeal);
    p.fillRect(0, 0, w, bannerH, g);
    // A caduceus-free emblem: a white cross in a ring.
    const int ring = landscape ? sc(44, dpiX) : sc(46, dpiX);
    const QRect emblem(landscape ? sc(14, dpiX) : (w - ring) / 2, landscape ? sc(12, dpiY) : sc(8, dpiY), ring, ring);
    p.setPen(QPen(Qt::white, std::max(1, sc(3, dpiX))));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(emblem.adjusted(2, 2, -2, -2));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const int arm = ring / 5;
    p.drawRect(emblem.center().x() - arm / 2, emblem.top() + ring / 4, arm, ring / 2);
    p.drawRect(emblem.left() + ring / 4, emblem.center().y() - arm / 2, ring / 2, arm);

    p.setPen(Qt::white);
    p.setFont(uiFont(sc(20, dpiY), true));
    QRect titleRect = landscape ? QRect(sc(66, dpiX), sc(14, dpiY), w - sc(70, dpiX), sc(26, dpiY))
                                : QRect(0, sc(58, dpiY), w, sc(26, dpiY));
    p.drawText(titleRect, landscape ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter, "Vantrel Guide");
    p.setFont(uiFont(sc(10, dpiY)));
    QRect subRect = landscape ? QRect(sc(66, dpiX), sc(40, dpiY), w - sc(70, dpiX), sc(16, dpiY))
                              : QRect(0, sc(84, dpiY), w, sc(16, dpiY));
    p.drawText(subRect, landscape ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter,
               "2007 edition");

    // Contents button.
    const Rect c = layout.contentsButton();
    QRect cr(c.left, c.top, c.width(), c.height());
    p.setPen(QPen(kNavy, std::max(1, sc(1, dpiX))));
    QLinearGradient bg(0, cr.top(), 0, cr.bottom());
    bg.setColorAt(0, QColor(255, 255, 255));
    bg.setColorAt(1, QColor(206, 220, 232));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(cr).adjusted(0.5, 0.5, -0.5, -0.5), sc(4, dpiX), sc(4, dpiY));
    p.setPen(kNavy);
    p.setFont(uiFont(sc(12, dpiY), true));
    p.drawText(cr, Qt::AlignCenter, "Contents");

    // A caption beside the contents button, saying what the letters below are for.
    p.setPen(QColor(70, 70, 70));
    p.setFont(uiFont(sc(10, dpiY)));
    const int captionLeft = layout.rows().front().rect.left;
    p.drawText(QRect(captionLeft, cr.y(), cr.x() - captionLeft - sc(4, dpiX), cr.height()),
               Qt::AlignRight | Qt::AlignVCenter, "Index A\u2013Z");

    // Letters: one cell per column of each row.
    p.setFont(uiFont(sc(12, dpiY), true));
    for (const HomeLayout::LetterRow& row : layout.rows()) {
      int x = row.rect.left;
      for (char16_t ch = row.first; ch <= row.last; ++ch, x += row.columnWidth) {
        QRect cell(x, row.rect.top, row.columnWidth, row.rect.height());
        QRectF inner = QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5);
        p.setPen(QPen(QColor(150, 170, 190), 1));
        p.setBrush(QColor(255, 255, 255));
        p.drawRoundedRect(inner, sc(3, dpiX), sc(3, dpiY));
        p.setPen(kNavy);
        p.drawText(cell, Qt::AlignCenter, QString(QChar(ch)));
      }
    }

    // The picture is the program's: it names the product and says nothing
    // about the content of the guide it opens.
  }
  return img;
}

// One command-bar picture in a 16 x 16 design grid.
void drawCommandIcon(QPainter& p, int index, const QColor& ink, const QColor& accent) {
  QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (index) {
    case 0: {  // the guide's menu: a book
      p.setBrush(accent);
      p.drawRoundedRect(QRectF(3, 2, 10, 12), 1.5, 1.5);
      p.setPen(QPen(Qt::white, 1.4));
      p.drawLine(QPointF(8, 5), QPointF(8, 11));
      p.drawLine(QPointF(5, 8), QPointF(11, 8));
      break;
    }
    case 1:  // back
    case 3: {  // forward
      QPainterPath a;
      a.moveTo(2, 8);
      a.lineTo(8, 2.5);
      a.lineTo(8, 5.5);
      a.lineTo(14, 5.5);
      a.lineTo(14, 10.5);
      a.lineTo(8, 10.5);
      a.lineTo(8, 13.5);
      a.closeSubpath();
      if (index == 3) {
        QTransform t;
        t.translate(16, 0);
        t.scale(-1, 1);
        a = t.map(a);
      }
      p.setBrush(accent);
      p.setPen(QPen(ink, 1.0));
      p.drawPath(a);
      break;
    }
    case 2: {  // history: a clock
      p.drawEllipse(QRectF(2, 2, 12, 12));
      p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
      p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
      break;
    }
    case 4: {  // home
      QPainterPath roof;
      roof.moveTo(1.5, 8);
      roof.lineTo(8, 2);
      roof.lineTo(14.5, 8);
      p.drawPath(roof);
      p.setBrush(accent);
      p.drawRect(QRectF(4, 8, 8, 6));
      p.setBrush(Qt::white);
      p.setPen(QPen(ink, 1.0));
      p.drawRect(QRectF(7, 10, 2.5, 4));
      break;
    }
    case 5: {  // index: an A over a Z, drawn with lines
      QPen thin(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      p.setPen(thin);
      p.drawPolyline(QPolygonF() << QPointF(4.5, 7) << QPointF(8, 1) << QPointF(11.5, 7));
      p.drawLine(QPointF(5.8, 4.8), QPointF(10.2, 4.8));
      p.drawPolyline(QPolygonF() << QPointF(4.5, 9) << QPointF(11.5, 9) << QPointF(4.5, 15) << QPointF(11.5, 15));
      break;
    }
    case 6: {  // notes: a pad with lines
      p.setBrush(QColor(255, 244, 170));
      p.setPen(QPen(ink, 1.0));
      p.drawRect(QRectF(3, 2, 10, 12));
      p.drawLine(QPointF(5, 5.5), QPointF(11, 5.5));
      p.drawLine(QPointF(5, 8.5), QPointF(11, 8.5));
      p.drawLine(QPointF(5, 11.5), QPointF(9, 11.5));
      break;
    }
    case 7: {  // bookmarks: a ribbon
      QPainterPath r;
      r.moveTo(4, 1.5);
      r.lineTo(12, 1.5);
      r.lineTo(12, 14.5);
      r.lineTo(8, 10.5);
      r.lineTo(4, 14.5);
      r.closeSubpath();
      p.setBrush(accent);
      p.setPen(QPen(ink, 1.0));
      p.drawPath(r);
      break;
    }
    case 8: {  // tools: the abbreviations key, drawn as a key
      p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(accent);
      p.drawEllipse(QRectF(1.5, 5, 6, 6));
      p.setBrush(Qt::NoBrush);
      p.drawLine(QPointF(7.5, 8), QPointF(14.5, 8));
      p.drawLine(QPointF(12.5, 8), QPointF(12.5, 11));
      p.drawLine(QPointF(10, 8), QPointF(10, 10.5));
      break;
    }
    case 9: {  // exit
      p.setPen(QPen(accent, 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(4, 4), QPointF(12, 12));
      p.drawLine(QPointF(12, 4), QPointF(4, 12));
      break;
    }
    default: break;
  }
}

void paintCommandIcons(QImage& img, bool enabled, int n, int first, int last) {
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink = enabled ? QColor(20, 30, 50) : QColor(128, 128, 128);
  const QColor accent = enabled ? QColor(30, 100, 170) : QColor(160, 160, 160);
  for (int i = first; i <= last; ++i) {
    p.save();
    p.translate((i - first) * n, 0);
    p.scale(n / 16.0, n / 16.0);
    drawCommandIcon(p, i, ink, i == 9 && enabled ? QColor(190, 40, 40) : accent);
    p.restore();
  }
}

QImage commandStrip(bool enabled, int dpiX) {
  const int n = commandImageSize(dpiX);
  QImage img(n * 10, n, QImage::Format_RGB32);
  img.fill(QColor(192, 192, 192));
  paintCommandIcons(img, enabled, n, 0, 9);
  return img;
}

QImage downArrow(int dpiX) {
  const int n = dpiX >= 192 ? 24 : 12;
  QImage img(n, n, QImage::Format_RGB32);
  img.fill(QColor(96, 112, 140));  // grey-blue
  {  // the painter ends before the image is returned
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const double u = n / 12.0;
    QPolygonF tri;
    tri << QPointF(2.5 * u, 4 * u) << QPointF(9.5 * u, 4 * u) << QPointF(6 * u, 8.5 * u);
    p.drawPolygon(tri);
  }
  return img;
}

// The dual list's divider: a grey-blue strip with a thin dark line, a white
// tab at the top-left captioned "Generic" (the list above) and one at the
// bottom-right captioned "Trade" (the list below). w x h is the picture's
// own size (15 pixels high, 30 at high resolution).
QImage dividerStrip(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(QColor(96, 112, 140));
  {  // the painter ends before the image is returned
    QPainter p(&img);
    const double u = h / 15.0;
    p.fillRect(QRectF(0, 7 * u, w, std::max(1.0, u)), QColor(30, 36, 52));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f = uiFont(static_cast<int>(9 * u), true);
    p.setFont(f);
    auto tab = [&](const QRectF& r, const char* caption) {
      p.setPen(QPen(QColor(30, 36, 52), std::max(1.0, u * 0.8)));
      p.setBrush(Qt::white);
      p.drawRoundedRect(r, 2 * u, 2 * u);
      p.setPen(QColor(22, 52, 96));
      p.drawText(r, Qt::AlignCenter, caption);
    };
    tab(QRectF(3 * u, 0.5 * u, 52 * u, 9 * u), "Generic");
    tab(QRectF(w - 47 * u, 5.5 * u, 44 * u, 9 * u), "Trade");
  }
  return img;
}

}  // namespace

QImage sharpBitmap(int number, int dpiX, int dpiY, qreal ratio) {
  // Most pictures are drawn at any resolution; a few have a fixed size, and
  // their high-resolution twin is the one with the device's pixels.
  static constexpr int kFixedSizeTwins[][2] = {{110, 146}, {467, 468}, {469, 470}};
  for (const auto& [low, high] : kFixedSizeTwins)
    if (ratio >= 2.0 && number == low) {
      QImage image = bitmapImage(high, dpiX, dpiY);
      image.setDevicePixelRatio(2.0);
      return image;
    }
  return atPixelRatio(ratio, dpiX, dpiY, [number](int x, int y) { return bitmapImage(number, x, y); });
}

QImage bitmapImage(int number, int dpiX, int dpiY) {
  switch (number) {
    // A picture and its high-resolution twin are drawn alike, each at the
    // resolution asked for, so the places that react to taps match any screen.
    case 100:
    case 148: return commandStrip(true, dpiX);
    case 136:
    case 149: return commandStrip(false, dpiX);
    case 481:
    case 483: return homeImage(false, dpiX, dpiY);
    case 482:
    case 484: return homeImage(true, dpiX, dpiY);
    case 500: return downArrow(dpiX);
    case 110:
    case 146:
    case 400:
    case 401: return hierarchyBitmap(number, dpiX, dpiY);
    case 112:
    case 131: return guideLogoImage(dpiX, dpiY);
    case 142:
    case 143: return noteButtonImage(dpiX, dpiY);
    // The dual list's dividers at their own sizes: landscape 467 (468 at
    // high resolution), portrait or square 469 (470).
    case 467: return dividerStrip(320, 15);
    case 468: return dividerStrip(640, 30);
    case 469: return dividerStrip(240, 15);
    case 470: return dividerStrip(480, 30);
    default: return userDataBitmap(number, dpiX, dpiY);
  }
}

int bitmapForDpi(int number, int dpiX) {
  static constexpr int kTwins[][2] = {{100, 148}, {136, 149}, {481, 483}, {482, 484}, {467, 468},
                                      {469, 470}, {110, 146}, {112, 131}, {142, 143}};
  for (const auto& [low, high] : kTwins)
    if (number == low || number == high) return dpiX >= 192 ? high : low;
  return number;
}

QImage commandImage(int index, bool enabled, int dpiX, int dpiY) {
  // Drawn straight onto transparency, which is what the strip's grey key
  // colour stands for, so that smoothed edges carry no grey fringe.
  const int n = commandImageSize(dpiX);
  QImage one(n, n, QImage::Format_ARGB32_Premultiplied);
  one.fill(Qt::transparent);
  if (index >= 0 && index <= 9) paintCommandIcons(one, enabled, n, index, index);
  return one;
}

}  // namespace vantrel
