#include "ui/platform/IniSettings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace vantrel {

IniSettings::IniSettings(const QString& file, const QString& programDir, const QString& installOverride,
                         const QString& previousOverride) {
  QString current, previous;
  if (!file.isEmpty() && QFileInfo(file).isFile()) {
    QSettings ini(file, QSettings::IniFormat);
    current = ini.value("Qd07/InstallDir").toString();
    previous = ini.value("Qd06/InstallDir").toString();
  }
  if (!installOverride.isEmpty()) current = installOverride;
  if (!previousOverride.isEmpty()) previous = previousOverride;
  if (current.isEmpty()) current = programDir;
  if (!current.isEmpty()) current_ = current.toStdString();
  if (!previous.isEmpty()) previous_ = previous.toStdString();
}

QString IniSettings::defaultFile() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return dir.isEmpty() ? QString() : dir + "/vantrel-guide/settings.ini";
}

}  // namespace vantrel
