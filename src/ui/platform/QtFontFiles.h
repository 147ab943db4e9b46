#pragma once
// Font files lent to the program through the application font database.
#include <QHash>
#include <QString>

#include "core/platform/FontFiles.h"

namespace vantrel {

class QtFontFiles : public FontFiles {
 public:
  bool addFontFile(const std::string& path) override;
  bool removeFontFile(const std::string& path) override;
  // Qt tells its widgets itself when application fonts change; this only
  // counts the announcements.
  void announceFontChange() override { ++announcements; }
  int announcements = 0;

 private:
  QHash<QString, QList<int>> ids_;  // path -> font ids, one per successful add
};

}  // namespace vantrel
