#include "ui/platform/WindowPlacement.h"

#include <QSettings>
#include <algorithm>

#include "core/platform/Zoom.h"

namespace vantrel {

namespace {

QRect firstTime(const QRect& available) {
  const QSize size(std::max(240, available.width() * 2 / 3), std::max(320, available.height() * 2 / 3));
  QRect r(QPoint(0, 0), size.boundedTo(available.size()));
  r.moveCenter(available.center());
  return r;
}

}  // namespace

QRect initialWindowGeometry(const QString& settingsFile, const QRect& available) {
  if (settingsFile.isEmpty() || available.isEmpty()) return firstTime(available);
  QSettings s(settingsFile, QSettings::IniFormat);
  const QRect saved(s.value("Window/x", -1).toInt(), s.value("Window/y", -1).toInt(),
                    s.value("Window/width", 0).toInt(), s.value("Window/height", 0).toInt());
  if (saved.width() < 100 || saved.height() < 100 || saved.width() > available.width() ||
      saved.height() > available.height())
    return firstTime(available);
  const QRect seen = saved.intersected(available);
  const qint64 area = qint64(seen.width()) * seen.height();
  if (area * 4 < qint64(saved.width()) * saved.height()) return firstTime(available);  // mostly off screen
  return saved;
}

bool saveWindowGeometry(const QString& settingsFile, const QRect& geometry) {
  if (settingsFile.isEmpty() || geometry.isEmpty()) return false;
  QSettings s(settingsFile, QSettings::IniFormat);
  s.setValue("Window/x", geometry.x());
  s.setValue("Window/y", geometry.y());
  s.setValue("Window/width", geometry.width());
  s.setValue("Window/height", geometry.height());
  s.sync();
  return s.status() == QSettings::NoError;
}

int savedZoom(const QString& settingsFile) {
  if (settingsFile.isEmpty()) return kNoZoom;
  QSettings s(settingsFile, QSettings::IniFormat);
  bool ok = false;
  const int zoom = s.value("View/Zoom", kNoZoom).toInt(&ok);
  return ok ? clampZoom(zoom) : kNoZoom;
}

bool saveZoom(const QString& settingsFile, int zoom) {
  if (settingsFile.isEmpty()) return false;
  QSettings s(settingsFile, QSettings::IniFormat);
  s.setValue("View/Zoom", clampZoom(zoom));
  s.sync();
  return s.status() == QSettings::NoError;
}

}  // namespace vantrel
