#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>

#include "core/platform/MessageService.h"
#include "ui/platform/QtFontFiles.h"
#include <QFile>
#include <QFileInfo>
#include "ui/tables/ButtonBar.h"
#include "ui/tables/TitleHeader.h"

namespace vantrel {
namespace {

// The QApplication is made by the test environment (QtEnvironment.cpp).
void ensureApp() {}

struct Recorder : ButtonBarListener {
  void buttonCommand(int code) override { codes.push_back(code); }
  std::vector<int> codes;
};

std::vector<ButtonDescription> tableButtons(int dpi) {
  std::vector<ButtonDescription> d(3);
  d[0].code = 1001;
  d[0].text = "Key";
  d[0].width = scaleForDpi(30, dpi);
  d[0].height = scaleForDpi(22, dpi);
  d[1].code = 1002;
  d[1].text = "Restore";
  d[2].code = 1003;
  d[2].text = "Compare";
  for (int i : {1, 2}) {
    d[i].width = scaleForDpi(70, dpi);
    d[i].height = scaleForDpi(22, dpi);
  }
  return d;
}

TEST(ButtonBar, TextButtonsCentredHiddenOneLeavesTheOthersInPlace) {
  ensureApp();
  QWidget parent;
  parent.resize(240, 300);
  parent.show();
  ScriptedMessages messages;
  ButtonBar bar(&parent, 96, 96, &messages);
  bar.setGeometry(0, 270, 240, 26);
  bar.show();
  auto d = tableButtons(96);
  bar.setButtons(d, 2, kAlignCentre, QColor(255, 255, 255), QColor(192, 192, 192), 0);
  ASSERT_EQ(bar.buttons().size(), 3);
  EXPECT_EQ(bar.totalWidth(), 176);
  EXPECT_EQ(bar.buttons()[0]->geometry(), QRect(32, 2, 30, 22));
  EXPECT_EQ(bar.buttons()[2]->x(), 136);
  EXPECT_EQ(bar.buttons()[1]->text(), "Restore");

  bar.showButton(1002, false);
  bar.resize(240, 26);
  EXPECT_TRUE(bar.buttons()[1]->isHidden());
  EXPECT_EQ(bar.buttons()[2]->x(), 136);
  bar.showButton(4242, true);  // unknown: the error message, nothing changes
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].box.text, u"Error, there isn't button on that id");

  bar.resize(150, 26);  // narrower than the buttons: from the left spacing
  QApplication::processEvents();
  EXPECT_EQ(bar.buttons()[0]->x(), 2);

  Recorder r;
  bar.setListener(&r);
  bar.buttons()[2]->click();
  EXPECT_EQ(r.codes, std::vector<int>{1003});
}

TEST(ButtonBar, ImageButtonsAndTheLogo) {
  ensureApp();
  QWidget parent;
  parent.resize(240, 300);
  parent.show();
  ButtonBar bar(&parent, 96, 96);
  bar.setGeometry(0, 270, 240, 26);
  bar.show();
  // The short form skips a picture that does not exist.
  bar.setImageButtons({{0, 100, kNoImage}, {7, 9999, kNoImage}}, QColor(200, 200, 200), 2, QColor(255, 0, 0), 0);
  ASSERT_EQ(bar.buttons().size(), 1);
  EXPECT_EQ(bar.buttons()[0]->size(), QSize(160, 16));
  EXPECT_EQ(bar.buttons()[0]->pos(), QPoint(2, 5));
  // In the full form it becomes a push button of the description's size.
  std::vector<ButtonDescription> d(1);
  d[0].code = 5;
  d[0].image = 9999;
  d[0].width = 40;
  d[0].height = 20;
  bar.setButtons(d, 2, kAlignRight, QColor(255, 255, 255), QColor(), 0);
  ASSERT_NE(qobject_cast<QPushButton*>(bar.buttons()[0]), nullptr);
  EXPECT_EQ(bar.buttons()[0]->geometry().right() + 1, 240 - 2 * 2);

  bar.addLogoButton(500, QColor(), QColor(255, 255, 255));
  QAbstractButton* logo = bar.buttonWithCode(kLogoCode);
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->x(), 240 - 4 - 12);
  Recorder r;
  bar.setListener(&r);
  logo->click();
  EXPECT_EQ(r.codes, std::vector<int>{kLogoCode});
}

TEST(TitleHeader, FoldsToOneLineAndUnfoldsWhilePressed) {
  ensureApp();
  QWidget top;
  top.resize(240, 200);
  top.show();
  HeaderedWindow window(&top, "test", 96, 96);
  window.setGeometry(0, 0, 240, 200);
  window.show();
  HeaderSettings s;
  s.text = "<b>Short</b> &amp; sweet";
  window.setupHeader(s);
  TitleHeader* h = window.header();
  EXPECT_EQ(h->text(), "Short & sweet");
  const int t = h->lineHeight();
  EXPECT_EQ(h->neededHeight(), t);
  EXPECT_TRUE(h->arrow()->isHidden());
  EXPECT_EQ(window.contentTop(), t);
  EXPECT_EQ(h->geometry(), QRect(-1, -1, 242, t + 2));

  s.text = "A much longer title that cannot possibly fit on a single line of this narrow header strip";
  s.collapsed = false;
  window.setupHeader(s);
  EXPECT_TRUE(h->collapsed());  // folded at its first layout all the same
  EXPECT_EQ(h->neededHeight(), t);
  EXPECT_FALSE(h->arrow()->isHidden());
  EXPECT_EQ(h->arrow()->property("childId").toInt(), TitleHeader::kArrowId);
  h->unfold();
  EXPECT_TRUE(h->pressed());
  EXPECT_GT(h->neededHeight(), 2 * t);
  EXPECT_EQ(h->height(), h->neededHeight() + 2);
  EXPECT_TRUE(h->arrow()->isHidden());
  h->fold();
  EXPECT_FALSE(h->pressed());
  EXPECT_EQ(h->height(), t + 2);
  EXPECT_FALSE(h->arrow()->isHidden());

  s.shown = false;
  window.setupHeader(s);
  EXPECT_EQ(h->neededHeight(), 0);
  EXPECT_EQ(window.contentTop(), 0);
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(QtFontFiles, AddThenRemoveOnceAndMissingFilesFail) {
  QtFontFiles fonts;
  const std::string missing = "/nonexistent/ppc_font2.ttf";
  EXPECT_FALSE(fonts.addFontFile(missing));
  EXPECT_FALSE(removeFontAndAnnounce(fonts, missing));
  EXPECT_EQ(fonts.announcements, 0);
  const std::string ttf = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!QFileInfo::exists(QString::fromStdString(ttf))) GTEST_SKIP() << "no DejaVu Sans file";
  ASSERT_TRUE(fonts.addFontFile(ttf));
  EXPECT_TRUE(removeFontAndAnnounce(fonts, ttf));
  EXPECT_EQ(fonts.announcements, 1);
  EXPECT_FALSE(fonts.removeFontFile(ttf));  // already withdrawn
}

}  // namespace
}  // namespace vantrel

#include <QTemporaryDir>

#include "ui/platform/IniSettings.h"

namespace vantrel {
namespace {

TEST(IniSettings, FileThenCommandLineThenProgramDirectory) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString ini = dir.filePath("settings.ini");
  {
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Qd07]\nInstallDir=/from/file/07\n[Qd06]\nInstallDir=/from/file/06\n");
  }
  IniSettings fromFile(ini, "/program", "", "");
  EXPECT_EQ(fromFile.installDir(), std::optional<std::string>("/from/file/07"));
  EXPECT_EQ(fromFile.previousInstallDir(), std::optional<std::string>("/from/file/06"));

  IniSettings overridden(ini, "/program", "/cli/07", "/cli/06");
  EXPECT_EQ(overridden.installDir(), std::optional<std::string>("/cli/07"));
  EXPECT_EQ(overridden.previousInstallDir(), std::optional<std::string>("/cli/06"));

  // Nothing names them: this edition is the program directory, no previous one.
  IniSettings none(dir.filePath("missing.ini"), "/program", "", "");
  EXPECT_EQ(none.installDir(), std::optional<std::string>("/program"));
  EXPECT_EQ(none.previousInstallDir(), std::nullopt);
}

}  // namespace
}  // namespace vantrel
