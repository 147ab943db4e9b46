#include "ui/platform/QtFontFiles.h"

#include <QFileInfo>
#include <QFontDatabase>

#include "ui/platform/QtSurface.h"

namespace vantrel {

bool QtFontFiles::addFontFile(const std::string& path) {
  QString p = QString::fromStdString(path);
  if (!QFileInfo(p).isFile()) return false;
  int id = QFontDatabase::addApplicationFont(p);
  if (id < 0) return false;
  ids_[p].append(id);
  // Fonts made before may have stood in for the face the file brings.
  QtSurface::clearFontCache();
  return true;
}

bool QtFontFiles::removeFontFile(const std::string& path) {
  QString p = QString::fromStdString(path);
  auto it = ids_.find(p);
  if (it == ids_.end() || it->isEmpty()) return false;
  int id = it->takeLast();
  if (it->isEmpty()) ids_.erase(it);
  const bool removed = QFontDatabase::removeApplicationFont(id);
  if (removed) QtSurface::clearFontCache();
  return removed;
}

}  // namespace vantrel
