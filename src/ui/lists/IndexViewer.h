#pragma once
// The index search viewer: the guide's index as a list of one-line markup
// rows with a search box below it. Typing moves the list to the first entry
// that begins with the typed text; a tap on an entry opens it. IndexViewerModel
// decides; this side holds the windows.
#include <QJsonObject>
#include <QLabel>
#include <functional>

#include "core/lists/ListViewerModels.h"
#include "ui/lists/MarkupList.h"
#include "ui/lists/PagedList.h"
#include "ui/platform/Rescale.h"
#include "ui/shell/LayoutWidget.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// A grey strip with the label "Search:" (id 140) and an edit box (id 150).
// Every change of the box while input is enabled goes to the listener,
// except the changes the bar makes itself (clear, setText).
class SearchBar : public LayoutWidget, public Rescalable {
 public:
  static constexpr int kLabelId = 140;
  static constexpr int kEditId = 150;
  SearchBar(QWidget* parent, ScreenDpi dpi, KeyboardService* keyboard, const ScreenInfo* screen);
  SearchBar(QWidget* parent, int dpiX, int dpiY, KeyboardService* keyboard, const ScreenInfo* screen)
      : SearchBar(parent, ScreenDpi(dpiX, dpiY), keyboard, screen) {}
  void clear();
  void setText(const QString& text);
  QString text() const { return edit_->text(); }
  void setListener(std::function<void(const QString&)> listener) { listener_ = std::move(listener); }
  void setInputEnabled(bool on) { inputEnabled_ = on; }
  InputPanelEdit* edit() const { return edit_; }
  QLabel* label() const { return label_; }
  // The fonts and the bar's height at the resolution read now.
  void rescale() override;
  // 26 pixels at 96 dots per inch.
  int barHeight() const { return dpi_.sy(26); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  ScreenDpi dpi_;
  QLabel* label_;
  InputPanelEdit* edit_;
  bool inputEnabled_ = true;
  bool quiet_ = false;
  std::function<void(const QString&)> listener_;
};

// The state of a markup list for scripted runs: rows, firstRow, selected,
// visible (plain texts), rowHeight, and y and h of the rows area in the
// coordinates of pageArea.
QJsonObject markupListState(const MarkupList& list, const QWidget* pageArea);

class IndexViewer : public ContentViewer, public ScriptStateSection, public Rescalable {
 public:
  IndexViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, PageHistory& history,
                QWidget* pageArea, QWidget* mainWindow, ScreenDpi dpi, KeyboardService& keyboard,
                const ScreenInfo& screen);
  IndexViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, PageHistory& history, QWidget* pageArea, QWidget* mainWindow, int dpiX, int dpiY, KeyboardService& keyboard, const ScreenInfo& screen)
      : IndexViewer(database, frame, keys, history, pageArea, mainWindow, ScreenDpi(dpiX, dpiY), keyboard, screen) {}
  ~IndexViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  // {object, rows, firstRow, selected, search, visible, rowHeight, y, h}
  QJsonObject scriptState() const override;
  // The list in the guide font of the resolution read now, at the same
  // first row and selection.
  void rescale() override;

  // Moves the list to the row the text selects.
  void search(const QString& text);
  MarkupListPane* pane() const { return pane_; }
  SearchBar* searchBar() const { return bar_; }
  IndexViewerModel& model() { return model_; }

 private:
  void open(const IndexViewerModel::Open& o);

  IndexViewerModel model_;
  QWidget* pageArea_;
  MarkupListPane* pane_;
  SearchBar* bar_;
  ScreenDpi dpi_;
  KeyboardService& keyboard_;
  const ScreenInfo& screen_;
};

}  // namespace vantrel
