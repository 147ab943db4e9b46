// Where an interactive reader's window opens: the first time at two thirds
// of the desktop, centred; then where it was closed, unless that no longer
// fits the desktop (another monitor, a smaller screen).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ui/platform/WindowPlacement.h"

namespace vantrel {
namespace {

TEST(WindowPlacement, FirstTimeThenWhereItWasClosedIfItStillFits) {
  QTemporaryDir dir;
  const QString file = dir.filePath("settings.ini");
  const QRect desktop(0, 0, 1920, 1050);
  EXPECT_EQ(initialWindowGeometry(file, desktop), QRect(320, 175, 1280, 700));
  EXPECT_EQ(initialWindowGeometry(QString(), QRect(0, 0, 300, 400)), QRect(30, 40, 240, 320)) << "never below the device";

  ASSERT_TRUE(saveWindowGeometry(file, QRect(50, 60, 800, 600)));
  EXPECT_EQ(initialWindowGeometry(file, desktop), QRect(50, 60, 800, 600));
  // A smaller desktop, or a window left mostly off it, opens the first-time way.
  EXPECT_EQ(initialWindowGeometry(file, QRect(0, 0, 700, 500)), QRect(117, 83, 466, 333));
  ASSERT_TRUE(saveWindowGeometry(file, QRect(1800, 900, 800, 600)));
  EXPECT_EQ(initialWindowGeometry(file, desktop), QRect(320, 175, 1280, 700));

  // Other settings in the file are kept; a damaged value is ignored.
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
  f.write("[Qd07]\nInstallDir=/opt/guide\n[Window]\nx=10\ny=10\nwidth=lots\nheight=500\n");
  f.close();
  EXPECT_EQ(initialWindowGeometry(file, desktop), QRect(320, 175, 1280, 700));
  ASSERT_TRUE(saveWindowGeometry(file, QRect(10, 20, 640, 480)));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
  EXPECT_TRUE(f.readAll().contains("InstallDir=/opt/guide"));
}

}  // namespace
}  // namespace vantrel
