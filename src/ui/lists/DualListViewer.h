#pragma once
// The dual list viewer: a "dual list" table as two markup lists one above
// the other (the upper one Generic, the lower one Trade) with a divider
// picture between them, under a title header. A tap on an entry selects its
// counterpart in the other list; nothing is navigated.
#include <QJsonObject>

#include "core/lists/ListViewerModels.h"
#include "ui/lists/MarkupList.h"
#include "core/platform/ScreenInfo.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "ui/tables/TitleHeader.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The picture strip between the lists (id 555). It shows its picture at its
// top-left and lets everything else of its rectangle through; taps on the
// picture do nothing.
class DividerStrip : public QWidget {
 public:
  static constexpr int kId = 555;
  explicit DividerStrip(QWidget* parent);
  void setPicture(int number, const QImage& image);
  int picture() const { return number_; }
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override {}

 private:
  void updateMask();
  int number_ = 0;
  QImage image_;
};

class DualListWindow : public HeaderedWindow {
 public:
  static constexpr int kUpperId = 106;
  static constexpr int kLowerId = 107;
  DualListWindow(QWidget* parent, QWidget* mainWindow, const ScreenInfo& screen, ScreenDpi dpi);
  DualListWindow(QWidget* parent, QWidget* mainWindow, const ScreenInfo& screen, int dpiX, int dpiY)
      : DualListWindow(parent, mainWindow, screen, ScreenDpi(dpiX, dpiY)) {}
  // Places the lists and the divider below the header, choosing the picture.
  void layoutChildren();
  MarkupListPane* upper() const { return upper_; }
  MarkupListPane* lower() const { return lower_; }
  DividerStrip* divider() const { return divider_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  const ScreenInfo& screen_;
  ScreenDpi dpi_;
  MarkupListPane* upper_;
  MarkupListPane* lower_;
  DividerStrip* divider_;
};

class DualListViewer : public ContentViewer, public ScriptStateSection, public Rescalable {
 public:
  DualListViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow,
                   const ScreenInfo& screen, ScreenDpi dpi);
  DualListViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, QWidget* mainWindow, const ScreenInfo& screen, int dpiX, int dpiY)
      : DualListViewer(database, frame, pageArea, mainWindow, screen, ScreenDpi(dpiX, dpiY)) {}
  ~DualListViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  // {object, title, divider, upper, lower}
  QJsonObject scriptState() const override;
  // The header and the lists in the guide font of the resolution read now;
  // each list keeps its first row and selection.
  void rescale() override;

  // A tap on a row of one list: its counterpart is selected in the other.
  void rowTapped(bool upper, uint32_t row);
  DualListWindow* window() const { return window_; }
  DualListModel& model() { return model_; }

 private:
  void setupHeader();

  DualListModel model_;
  QWidget* pageArea_;
  DualListWindow* window_;
  ScreenDpi dpi_;
  ObjectIndex shown_ = 0;
};

}  // namespace vantrel
