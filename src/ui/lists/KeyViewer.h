#pragma once
// The key and abbreviations viewer: under the header "Key/Abbreviations" a
// paged list of the abbreviations, a search row, and an HTML pane with the
// explanation of the chosen one. KeyViewerModel decides what is shown.
#include <QJsonObject>
#include <QLabel>

#include "ui/html/HtmlPane.h"
#include "core/lists/ListViewerModels.h"
#include "ui/lists/PagedList.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "ui/tables/TitleHeader.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The entries of another source with their markup removed, as the key's
// list shows them.
class PlainTextSource : public ItemSource {
 public:
  explicit PlainTextSource(const ItemSource& source) : source_(source) {}
  Item itemAt(uint32_t i) const override;
  uint32_t itemCount() const override { return source_.itemCount(); }

 private:
  const ItemSource& source_;
};

class KeyWindow : public RichHeaderedWindow, public ItemOwner, public Rescalable {
 public:
  static constexpr int kListId = 106;
  static constexpr int kPaneId = 107;
  static constexpr int kEditId = 101;

  KeyWindow(QWidget* parent, KeyViewerModel& model, ScreenDpi dpi, KeyboardService& keyboard,
            const ScreenInfo& screen);
  KeyWindow(QWidget* parent, KeyViewerModel& model, int dpiX, int dpiY, KeyboardService& keyboard, const ScreenInfo& screen)
      : KeyWindow(parent, model, ScreenDpi(dpiX, dpiY), keyboard, screen) {}
  // Clears the box and gives it the focus, sets the header, the list's
  // source and font and the pane's page source, and lays out.
  void setup();
  // The search for the box's text: the list moves to the row it selects,
  // highlights it and shows its explanation; an empty box clears them.
  void search();
  // The list back at the top with the box emptied.
  void resetSearch();

  // The fonts at the resolution read now; the list keeps its place.
  void rescale() override;

  void itemChosen(PagedList& list, uint32_t data) override;
  void itemDoubleTapped(PagedList&) override {}

  PagedList* list() const { return list_; }
  HtmlPane* pane() const { return pane_; }
  InputPanelEdit* edit() const { return edit_; }
  QLabel* label() const { return label_; }
  ColourBar* separator() const { return separator_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void layoutChildren();
  // The search row's font.
  void applyDpi();
  // The window's header and the explanation pane's, in the guide font.
  void setupHeaders();
  QFont listFont() const;

  KeyViewerModel& model_;
  PlainTextSource plain_;
  ScreenDpi dpi_;
  PagedList* list_;
  HtmlPane* pane_;
  ColourBar* separator_;
  QLabel* label_;
  InputPanelEdit* edit_;
  bool quiet_ = false;
};

class KeyViewer : public ContentViewer, public ScriptStateSection {
 public:
  KeyViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea, ScreenDpi dpi, KeyboardService& keyboard, const ScreenInfo& screen);
  KeyViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea, int dpiX, int dpiY, KeyboardService& keyboard, const ScreenInfo& screen)
      : KeyViewer(database, frame, keys, pageArea, ScreenDpi(dpiX, dpiY), keyboard, screen) {}
  ~KeyViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  // {rows, firstRow, selected, search, visible, rowHeight, y, h, html}
  QJsonObject scriptState() const override;

  KeyWindow* window() const { return window_; }
  KeyViewerModel& model() { return model_; }

 private:
  KeyViewerModel model_;
  QWidget* pageArea_;
  KeyWindow* window_;
  KeyboardService& keyboard_;
  const ScreenInfo& screen_;
};

}  // namespace vantrel
