#include "platform/QtFontFiles.h"

#include <QFileInfo>
#include <QFontDatabase>

namespace vantrel {

bool QtFontFiles::addFontFile(const std::string& path) {
  QString p = QString::fromStdString(path);
  if (!QFileInfo(p).isFile()) return false;
  int id = QFontDatabase::addApplicationFont(p);
  if (id < 0) return false;
  ids_[p].append(id);
  return true;
}

bool QtFontFiles::removeFontFile(const std::string& path) {
  QString p = QString::fromStdString(path);
  auto it = ids_.find(p);
  if (it == ids_.end() || it->isEmpty()) return false;
  int id = it->takeLast();
  if (it->isEmpty()) ids_.erase(it);
  return QFontDatabase::removeApplicationFont(id);
}

}  // namespace vantrel
