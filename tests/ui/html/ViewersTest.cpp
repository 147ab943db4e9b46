// The HTML viewer and the calculator in the reader started on the demo guide.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QLineEdit>
#include <QScrollBar>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "ui/html/HtmlViewer.h"
#include "core/platform/KeyboardService.h"
#include "ui/platform/QtFontFiles.h"
#include "ui/platform/QtMessages.h"
#include "ui/platform/QtScreen.h"
#include "ui/shell/GuideHost.h"
#include "ui/tools/CalculatorViewer.h"

namespace vantrel {
namespace {

const std::string kDemo = std::string(VANTREL_BINARY_DIR) + "/demo-guide";
bool demoBuilt() { return std::filesystem::exists(kDemo + "/Qd07-Qd07-Data.pdb"); }

// Object indexes by name from the demo guide's list.
uint32_t demoObject(const std::string& name) {
  static std::map<std::string, uint32_t> objects = [] {
    std::map<std::string, uint32_t> m;
    std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/samples/demo-guide/objects.txt");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      std::string index, label;
      std::getline(fields, index, '\t');
      std::getline(fields, label, '\t');
      m[label] = static_cast<uint32_t>(std::stoul(index));
    }
    return m;
  }();
  return objects.at(name);
}

struct Reader {
  QtScreen screen;
  StateKeyboard keyboard;
  FixedSettings settings{kDemo, std::nullopt};
  QtMessages messages{true};
  QtFontFiles fonts;
  GuideHost host;
  Application application;
  explicit Reader(Size s = {240, 320}, int dpi = 96)
      : screen(dpi, dpi, s), host(screen, kDemo), application(host, Services{screen, keyboard, settings, messages, fonts}) {
    application.startUp();
    host.connectCommands(application);
    QApplication::processEvents();
  }
  ~Reader() {
    if (host.mainWindow()) host.mainWindow()->setFrame(nullptr);
    application.shutDown();
  }
  HtmlViewer* html() { return dynamic_cast<HtmlViewer*>(application.viewer("html")); }
  CalculatorViewer* calc() { return dynamic_cast<CalculatorViewer*>(application.viewer("calculator")); }
  MainFrame& frame() { return *application.mainFrame(); }
  void go(uint32_t object, const std::vector<uint8_t>& data = {}) {
    frame().navigate(object, data.data(), data.size(), true);
    QApplication::processEvents();
  }
  void back() {
    host.chrome()->command(40006);
    QApplication::processEvents();
  }
  bool restartBarShown() { return html()->restartBar()->isVisible(); }
};

void setField(CrClForm* form, int i, const char* text) { form->field(i)->setText(text); }

TEST(HtmlViewer, RestartBarOnlyUnderDecisionTreePagesAndTheAnchorComesBack) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  ASSERT_NE(r.html(), nullptr);
  r.go(demoObject("note_howto"));
  EXPECT_TRUE(r.html()->pane()->isVisible());
  EXPECT_FALSE(r.restartBarShown());
  EXPECT_EQ(r.frame().title(), u"Clinical Notes (demo)");

  const uint32_t tree = demoObject("pep_tree"), q2 = demoObject("pep_q_status");
  r.go(tree);
  EXPECT_TRUE(r.restartBarShown());
  EXPECT_EQ(r.html()->restartBar()->height(), 26);
  EXPECT_EQ(r.html()->restartBar()->button()->size(), QSize(100, 20));
  EXPECT_EQ(r.html()->pane()->geometry().bottom() + 1, r.html()->restartBar()->y());

  // A question page with its anchor as page data, as back and forward bring it.
  r.go(q2, encodeAnchorData(u"110"));
  EXPECT_EQ(r.html()->pane()->control()->lastAnchor(), "110");
  r.go(demoObject("note_howto"));
  EXPECT_FALSE(r.restartBarShown());
  r.back();
  EXPECT_EQ(r.frame().currentObject(), q2);
  EXPECT_EQ(r.html()->pane()->control()->lastAnchor(), "110");
  EXPECT_TRUE(r.restartBarShown());

  // "New evaluation" opens the tree again.
  r.html()->restartBar()->button()->click();
  QApplication::processEvents();
  EXPECT_EQ(r.frame().currentObject(), tree);
  EXPECT_EQ(r.html()->pane()->control()->lastAnchor(), "");
}

TEST(HtmlViewer, ATappedLinkNavigatesAndResultsComeFromThePageData) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  r.go(demoObject("note_howto"));
  ASSERT_TRUE(r.html()->pane()->control()->activateLink("15"));
  QApplication::processEvents();
  EXPECT_EQ(r.frame().currentObject(), 15u);

  const uint32_t results = r.application.pageKeys()["calc_result"];
  r.go(results, encodeCrClResult(CrClResult{53.83f, 57.0f, 70.0f}));
  EXPECT_EQ(r.frame().title(), u"Creatinine Clearance (CrCl) Calculator - results");
  const QString page = r.html()->pane()->control()->text();
  EXPECT_TRUE(page.contains("53.83ml/min. Abnormal level.")) << page.toStdString();
  EXPECT_TRUE(page.contains(QString("<A HREF=\"%1\">").arg(demoObject("DOSAGE_CRCL_OK"))));
  // No page data reads as three zeros.
  r.go(results);
  EXPECT_TRUE(r.html()->pane()->control()->text().contains("0.00ml/min. Abnormal level."));
}

TEST(Calculator, ChecksInOrderMovesTheFocusAndShowsTheKeyboard) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  ASSERT_NE(r.calc(), nullptr);
  r.host.mainWindow()->activateWindow();
  r.go(demoObject("calc_crcl"));
  EXPECT_EQ(r.frame().title(), u"Creatinine Clearance (CrCl) Calculator");
  CrClForm* form = r.calc()->panel()->form();
  EXPECT_TRUE(form->female()->isChecked());
  EXPECT_FALSE(form->male()->isChecked());
  EXPECT_EQ(form->child(1008)->geometry(), QRect(65, 133, 110, 21));
  EXPECT_EQ(form->field(2)->geometry(), QRect(115, 66, 60, 18));
  r.messages.takeShown();

  // Age, then weight, creatinine and height are refused in that order.
  struct Step {
    const char* fields[4];
    int focus;
    const char* start;
  } steps[] = {
      {{"", "0", "0", "0"}, 0, "The \"Age\" value"},
      {{"140", "500.1", "0", "0"}, 1, "The \"Weight\" value"},
      {{"140", "500", "0.59", "0"}, 2, "The \"Serum Creatinine\" value must be between 0.6  and"},
      {{"140", "500", "0.6", "59.9"}, 3, "The \"Height in inches\" value"},
  };
  for (const Step& s : steps) {
    for (int i = 0; i < 4; ++i) setField(form, i, s.fields[i]);
    form->calculateButton()->setFocus();
    const int showsBefore = r.keyboard.showCalls;
    r.keyboard.hideKeyboard();
    form->calculateButton()->click();
    QApplication::processEvents();
    auto shown = r.messages.takeShown();
    ASSERT_EQ(shown.size(), 1u) << s.start;
    EXPECT_EQ(shown[0].box.caption, u"Error");
    EXPECT_EQ(shown[0].box.buttons, MessageButtons::Ok);
    EXPECT_EQ(QString::fromStdU16String(shown[0].box.text).left(int(strlen(s.start))), s.start);
    if (QApplication::focusWidget()) {
      EXPECT_EQ(QApplication::focusWidget(), form->field(s.focus));
    }
    EXPECT_GT(r.keyboard.showCalls, showsBefore) << "a refusal brings the keyboard up";
  }

  // Accepted: the results page with the 12 bytes of page data.
  setField(form, 0, "40");
  setField(form, 1, "100");
  setField(form, 2, "1.0");
  setField(form, 3, "70");
  form->male()->click();
  form->calculateButton()->click();
  QApplication::processEvents();
  EXPECT_TRUE(r.messages.takeShown().empty());
  EXPECT_EQ(r.frame().currentObject(), r.application.pageKeys()["calc_result"]);
  EXPECT_EQ(r.frame().currentData().length(), 12u);
  EXPECT_TRUE(r.html()->pane()->control()->text().contains("Within normal limits: 116.39ml/min"));

  // Back: the fields kept their text.
  r.back();
  EXPECT_EQ(form->field(0)->text(), "40");
  EXPECT_TRUE(form->male()->isChecked());
}

TEST(Calculator, FieldsAreReadAsNineteenCharactersAndFocusShowsTheKeyboard) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  r.go(demoObject("calc_crcl"));
  CrClForm* form = r.calc()->panel()->form();
  setField(form, 0, "0000000000000000040999");  // 19 characters read: "0000000000000000040"
  EXPECT_EQ(form->input().age, u"0000000000000000040");
  const int before = r.keyboard.showCalls;
  QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(form->field(3), &in);
  EXPECT_EQ(r.keyboard.showCalls, before + 1);
  QFocusEvent other(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(form->calculateButton(), &other);
  EXPECT_EQ(r.keyboard.showCalls, before + 1) << "only entry fields bring the keyboard up";
}

TEST(Calculator, FormScalesAtDoubleResolution) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r({480, 640}, 192);
  r.go(demoObject("calc_crcl"));
  CrClForm* form = r.calc()->panel()->form();
  EXPECT_EQ(form->field(1)->geometry(), QRect(230, 88, 120, 36));
  EXPECT_EQ(form->male()->geometry(), QRect(250, 222, 220, 36));
  EXPECT_EQ(r.html()->restartBar()->height(), 52);
  // The round buttons and the HTML control's scroll bars follow the
  // resolution, as the rest of the form does.
  const int radio = QApplication::style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth);
  EXPECT_EQ(form->male()->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth), (radio * 192 + 48) / 96);
  const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  EXPECT_EQ(r.html()->pane()->control()->verticalScrollBar()->style()->pixelMetric(QStyle::PM_ScrollBarExtent),
            (bar * 192 + 48) / 96);
}

TEST(Calculator, EnterInAFieldCalculates) {
  if (!demoBuilt()) GTEST_SKIP() << "demo guide not built";
  Reader r;
  r.go(demoObject("calc_crcl"));
  CrClForm* form = r.calc()->panel()->form();
  setField(form, 0, "60");
  setField(form, 1, "70");
  setField(form, 2, "1.2");
  setField(form, 3, "70");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(form->field(2), &enter);
  QApplication::processEvents();
  EXPECT_EQ(r.frame().currentObject(), r.application.pageKeys()["calc_result"]);
}

}  // namespace
}  // namespace vantrel
