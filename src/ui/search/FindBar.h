#pragma once
// Find in page: a bar over the bottom of a page window with an edit box, the
// match count and a close button. Ctrl+F opens it while its page is shown,
// F3 and Shift+F3 step through the matches, Escape closes it. What a match
// is and how it is shown is the target's business (highlighted text in an
// HTML page, the selected row of a table).
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTextBrowser>
#include <QToolButton>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/search/FindInPage.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

class QBoxLayout;

namespace vantrel {

class TableGrid;
class TableGridWidget;

class FindTarget {
 public:
  virtual ~FindTarget() = default;
  // New text: find every match and go to the first; answers the count.
  virtual int setText(const QString& text) = 0;
  // Goes to the next (previous) match; answers the current one's index, -1 for none.
  virtual int step(bool backward) = 0;
  // The bar closed: remove the highlighting.
  virtual void clear() = 0;
  // Whether the page changed under the matches found last (they are then
  // looked for again).
  virtual bool stale() const { return false; }
};

class FindBar : public QWidget, public Rescalable {
 public:
  // A child of host, laid over its bottom edge; hidden until Ctrl+F.
  FindBar(QWidget* host, std::unique_ptr<FindTarget> target, ScreenDpi dpi);
  FindBar(QWidget* host, std::unique_ptr<FindTarget> target, int dpiX, int dpiY)
      : FindBar(host, std::move(target), ScreenDpi(dpiX, dpiY)) {}
  ~FindBar() override;

  void open();
  void close();
  void next(bool backward);
  QLineEdit* edit() const { return edit_; }
  int matches() const { return matches_; }
  int current() const { return current_; }  // from 0; -1 for none
  // Whether the bar is open on a page shown.
  bool isOpen() const { return isVisible() && host_->isVisible(); }
  // The bar open on the page shown in the main window that in lies in, or null.
  static FindBar* openBar(const QObject* in);
  // The font and the margins at the resolution read now; an open bar is
  // placed again at its new height.
  void rescale() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place();
  void textChanged(const QString& text);
  void updateCount();

  QWidget* host_;
  ScreenDpi dpi_;
  QBoxLayout* layout_;
  std::unique_ptr<FindTarget> target_;
  QLineEdit* edit_;
  QLabel* count_;
  QToolButton* close_;
  int matches_ = 0;
  int current_ = -1;
};

// The HTML page: every match highlighted, the current one selected and
// scrolled into view (QTextBrowser::find).
class HtmlFindTarget : public FindTarget {
 public:
  explicit HtmlFindTarget(QTextBrowser* browser) : browser_(browser) {}
  int setText(const QString& text) override;
  int step(bool backward) override;
  void clear() override;

 private:
  int currentIndex() const;
  QTextBrowser* browser_;
  QString text_;
  std::vector<int> starts_;
};

// A table: the row of the current matching cell is selected and scrolled
// into view.
class TableFindTarget : public FindTarget {
 public:
  TableFindTarget(TableGrid& grid, TableGridWidget* widget) : grid_(grid), widget_(widget) {}
  int setText(const QString& text) override;
  int step(bool backward) override;
  void clear() override {}
  bool stale() const override;

 private:
  void show();
  TableGrid& grid_;
  TableGridWidget* widget_;
  std::vector<TableMatch> matches_;
  int current_ = -1;
  uint64_t generation_ = 0;
  TableSource* source_ = nullptr;
};

}  // namespace vantrel
