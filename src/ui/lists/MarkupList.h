#pragma once
// The markup list: a scrolling list of one-line markup rows (MarkupListModel
// decides and draws them off-screen), its scroll bar, the 100 ms timer of a
// held pen and the popup that shows a cut-off row in full. MarkupListPane
// puts it under a rich title header.
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/lists/MarkupListModel.h"
#include "ui/platform/Accessible.h"
#include "ui/platform/QtSurface.h"
#include "ui/popups/FootnotePopup.h"
#include "ui/tables/RichTitleHeader.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class MarkupList : public QWidget, public AccessibleRows {
 public:
  static constexpr int kPopupId = 1001;
  using RowListener = std::function<void(MarkupList& list, uint32_t row)>;
  // A link tapped in a row (anchorName empty) or in the full view of a
  // row's text (the part of the target after "#").
  using LinkListener = std::function<void(MarkupList& list, int32_t linkId, const std::u16string& anchorName)>;

  // mainWindow bounds the popup.
  MarkupList(QWidget* parent, QWidget* mainWindow, ScreenDpi dpi);
  MarkupList(QWidget* parent, QWidget* mainWindow, int dpiX, int dpiY)
      : MarkupList(parent, mainWindow, ScreenDpi(dpiX, dpiY)) {}
  ~MarkupList() override;

  void setup(bool tapEnabled, std::optional<FontDescription> font, const ItemSource* source, Colour background);
  // Lays the rows out again at the resolution read now, with font when one
  // is given, keeping the first row shown and the selection.
  void relayout(std::optional<FontDescription> font);
  // Draws the page from near firstRow; answers the first row drawn.
  int redraw(int64_t firstRow, bool setSelection);
  void setRowListener(RowListener l) { onRow_ = std::move(l); }
  void setLinkListener(LinkListener l) { onLink_ = std::move(l); }

  MarkupListModel& model() { return model_; }
  const MarkupListModel& model() const { return model_; }
  QScrollBar* scrollBar() const { return bar_; }
  FootnotePopup* popup() const { return popup_; }
  // The rows' area: the widget less the scroll bar.
  QRect rowsArea() const;
  // A scroll bar message.
  void scroll(ScrollCode code, int thumb);
  // The arrow, page, Home and End keys move the selection; Return opens the
  // selected row as a tap does. Answers whether the key was one of them
  // (a search box above the list hands them on).
  bool handleKey(QKeyEvent* e);
  // Tells assistive tools which row is selected now.
  void announceSelected();

  int accessibleFirstRow() const override { return model_.firstRow(); }
  int accessibleRowsShown() const override { return model_.lastRowDrawn() - model_.firstRow(); }
  QString accessibleRowText(int row) const override;
  QRect accessibleRowRect(int row) const override;
  bool accessibleRowSelected(int row) const override { return row >= 0 && row == model_.selected(); }
  void accessiblePressRow(int row, bool) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  // The desktop's wheel scrolls by lines, as the scroll bar's arrows do.
  void wheelEvent(QWheelEvent* e) override;

 private:
  void syncBar();
  void selectionMoved();

  MarkupListModel model_;
  QtSurface screen_{1, 1};
  QScrollBar* bar_;
  QTimer timer_;
  QPointer<FootnotePopup> popup_;
  RowListener onRow_;
  LinkListener onLink_;
  ScreenDpi dpi_;
  bool syncing_ = false;
};

class MarkupListPane : public RichHeaderedWindow {
 public:
  using RowListener = std::function<void(MarkupListPane& pane, uint32_t row)>;
  using LinkListener = std::function<void(MarkupListPane& pane, int32_t linkId, const std::u16string& anchorName)>;

  MarkupListPane(QWidget* parent, QWidget* mainWindow, ScreenDpi dpi, const char* kindName = "markupList");
  MarkupListPane(QWidget* parent, QWidget* mainWindow, int dpiX, int dpiY, const char* kindName = "markupList")
      : MarkupListPane(parent, mainWindow, ScreenDpi(dpiX, dpiY), kindName) {}

  // The header (nothing when hasTitle is false) and the list, on white.
  void setup(bool hasTitle, const std::u16string& title, Colour titleColour, std::optional<FontDescription> font,
             bool tapEnabled, const ItemSource* source);
  // The header and the list in font at the resolution read now, keeping
  // the list's place.
  void relayout(const FontDescription& font);
  // The list's redraw: answers the first row drawn.
  int select(int64_t row, bool setSelection) { return list_->redraw(row, setSelection); }
  void setListeners(RowListener rows, LinkListener links);
  MarkupList* list() const { return list_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void placeList();

  RichHeaderSettings header_;
  MarkupList* list_;
  RowListener onRow_;
  LinkListener onLink_;
};

}  // namespace vantrel
