// The image viewer: navigating to a picture of 480 x 640 and of 2,000 x
// 2,000 pixels until its window is drawn (blob read, variant chosen, PNG
// decoded from memory, header, bar, layout, paint), and one drag step of the
// stylus (scroll, bars, repaint). The baseline, measured in the same run,
// decodes the same PNG into a QPixmap shown by a bare QLabel (and scrolls
// that label in a QScrollArea for the drag step).
// Run by hand: build/bin/bench_image_viewer
#include "BenchApp.h"
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <filesystem>
#include <memory>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "ui/images/ImageViewer.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtScreen.h"
#include "core/page/FrameWindow.h"
#include "core/page/MainFrame.h"
#include "ui/shell/MainWindow.h"
#include "core/page/PageKeys.h"

namespace vantrel {
namespace {

QApplication& app() { return bench::benchApp("bench_image_viewer"); }

// A drawing with some texture, so the PNG is of a realistic size.
QByteArray picturePng(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(QColor(250, 248, 240));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRandomGenerator rng(w * 7919 + h);
  for (int i = 0; i < w * h / 4000 + 40; ++i) {
    p.setPen(QPen(QColor::fromHsv(rng.bounded(360), 160, 200), 1 + rng.bounded(4)));
    p.setBrush(QColor::fromHsv(rng.bounded(360), 80, 240));
    const int x = rng.bounded(w), y = rng.bounded(h), s = 10 + rng.bounded(std::max(11, w / 8));
    if (i % 3) p.drawEllipse(x, y, s, s / 2 + 5);
    else p.drawLine(x, y, rng.bounded(w), rng.bounded(h));
  }
  p.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return bytes;
}

std::vector<uint8_t> oneVariantBlob(const QByteArray& file, int w, int h) {
  const uint8_t head[12] = {1, 0, 0, uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 8), uint8_t(h), 0, 0, 0, 0, 12};
  std::vector<uint8_t> out(head, head + 12);
  out.resize(12 + static_cast<size_t>(file.size()));
  std::copy(file.begin(), file.end(), out.begin() + 12);
  return out;
}

struct Guide {
  Guide() {
    char pattern[] = "/tmp/vantrel-bench-image-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    const H table = w.add(0, u"table");
    w.setText(table, u"Figures");
    H figures[2];
    const int sides[2][2] = {{480, 640}, {2000, 2000}};
    for (int i = 0; i < 2; ++i) {
      png[i] = picturePng(sides[i][0], sides[i][1]);
      figures[i] = w.add(table, u"image");
      w.setText(figures[i], u"Figure " + std::u16string(1, char16_t(u'1' + i)) + u" <i>(bench)</i>");
      w.setBlob(w.add(figures[i], u"data"), oneVariantBlob(png[i], sides[i][0], sides[i][1]));
      w.setText(w.add(figures[i], u"note"), u"A note.");
    }
    std::string error;
    if (!w.write(dir + "/" + kContentBaseName, &error)) std::abort();
    for (int i = 0; i < 2; ++i) image[i] = w.indexOf(figures[i]);
    if (!db.open(dir + "/" + kContentBaseName)) std::abort();
  }
  ~Guide() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
  ContentDatabase db;
  ObjectIndex image[2] = {0, 0};
  QByteArray png[2];
};

Guide& guide() {
  static Guide g;
  return g;
}

struct Shell {
  Shell()
      : screen(96, 96, {240, 320}),
        window(screen),
        frameWindow(window, screen, keyboard),
        frame(frameWindow, keyboard),
        viewer(guide().db, frame, keys, window.pageArea(), &window, screen) {
    window.setFrame(&frameWindow);
    frameWindow.create();
    frame.registerViewer(&viewer);
    window.resize(240, 320);
    window.show();
  }
  QtScreen screen;
  DesktopKeyboard keyboard;
  MainWindow window;
  FrameWindow frameWindow;
  MainFrame frame;
  PageKeys keys;
  ImageViewer viewer;
};

// range(0): 0 the 480 x 640 picture, 1 the 2,000 x 2,000 one.
void BM_NavigateToPicture(benchmark::State& state) {
  app();
  const ObjectIndex x = guide().image[state.range(0)];
  Shell s;
  for (auto _ : state) {
    s.frame.navigate(x, nullptr, 0, true);
    s.viewer.imageWindow()->repaint();
  }
  if (s.viewer.shownVariant() != 0) state.SkipWithError("the picture did not load");
}
BENCHMARK(BM_NavigateToPicture)->ArgName("big")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BaselineLabelPicture(benchmark::State& state) {
  app();
  const QByteArray& png = guide().png[state.range(0)];
  QLabel label;
  label.resize(227, 205);
  label.show();
  for (auto _ : state) {
    QPixmap pixmap;
    pixmap.loadFromData(png, "PNG");
    label.setPixmap(pixmap);
    label.repaint();
  }
}
BENCHMARK(BM_BaselineLabelPicture)->ArgName("big")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void sendMove(QWidget* w, QPoint p) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, Qt::LeftButton,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void BM_DragStep(benchmark::State& state) {
  app();
  Shell s;
  s.frame.navigate(guide().image[1], nullptr, 0, true);
  ImageWindow* w = s.viewer.imageWindow();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(190, 100), QPointF(w->mapToGlobal(QPoint(190, 100))),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  // From 190 to 10 and back: the offset runs from 0 to 180 and back.
  int x = 190, dir = 5;
  for (auto _ : state) {
    // Back and forth, 5 pixels a move: every move scrolls.
    if (x <= 10 || x >= 190) dir = -dir;
    x += dir;
    sendMove(w, {x, 100});
  }
  if (w->scroller().offsetX() != 190 - x) state.SkipWithError("the drag did not follow the stylus");
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

void BM_BaselineLabelScrollStep(benchmark::State& state) {
  app();
  QScrollArea area;
  area.resize(240, 218);
  auto* label = new QLabel;
  QPixmap pixmap;
  pixmap.loadFromData(guide().png[1], "PNG");
  label->setPixmap(pixmap);
  label->resize(pixmap.size());
  area.setWidget(label);
  area.show();
  QScrollBar* bar = area.horizontalScrollBar();
  int x = 100, dir = 5;
  for (auto _ : state) {
    if (x <= 10 || x >= 190) dir = -dir;
    x += dir;
    bar->setValue(x);
    area.viewport()->repaint();
  }
}
BENCHMARK(BM_BaselineLabelScrollStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
