#pragma once
// The search page (page key "search", Ctrl+K): results above, updating as
// the user types, a search box at the bottom as on the index page, and while
// the index is being built a progress bar with a Cancel button. The index is
// found, or its build started, as soon as the reader runs (and again when the
// page is shown after a cancelled or failed build); the rest of the reader
// stays usable meanwhile. The query is the page data, so Back returns to the
// results.
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <memory>
#include <string>

#include "core/search/SearchIndex.h"
#include "ui/search/SearchIndexBuilder.h"
#include "ui/shell/LayoutWidget.h"
#include "core/page/MainFrame.h"
#include "core/page/PageHistory.h"
#include "core/page/PageKeys.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

class QBoxLayout;

namespace vantrel {

class SearchWindow : public LayoutWidget, public Rescalable {
 public:
  SearchWindow(QWidget* parent, ScreenDpi dpi);
  SearchWindow(QWidget* parent, int dpiX, int dpiY)
      : SearchWindow(parent, ScreenDpi(dpiX, dpiY)) {}
  QTextBrowser* results() const { return results_; }
  QLineEdit* edit() const { return edit_; }
  QProgressBar* progress() const { return progress_; }
  QPushButton* cancelButton() const { return cancel_; }
  QWidget* buildRow() const { return buildRow_; }
  // The fonts, spacings and fixed heights at the resolution read now.
  void rescale() override;

 private:
  ScreenDpi dpi_;
  QBoxLayout* layout_;
  QBoxLayout* buildLayout_;
  QBoxLayout* searchLayout_;
  QTextBrowser* results_;
  QWidget* buildRow_;
  QProgressBar* progress_;
  QPushButton* cancel_;
  QLineEdit* edit_;
};

class SearchViewer : public ContentViewer, public ScriptStateSection, public ScriptLinkTarget, public ScriptIndexBuild {
 public:
  SearchViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, PageHistory& history,
               QWidget* pageArea, std::string guideDir, ScreenDpi dpi);
  SearchViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, PageHistory& history, QWidget* pageArea, std::string guideDir, int dpiX, int dpiY)
      : SearchViewer(database, frame, keys, history, pageArea, guideDir, ScreenDpi(dpiX, dpiY)) {}
  ~SearchViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  QJsonObject scriptState() const override;
  bool linksShown() const override;
  bool followLink(const std::string& href, std::string& error) override;
  bool indexBuilding() const override { return building(); }

  SearchWindow* window() const { return window_; }
  bool indexReady() const { return index_.isOpen(); }
  bool building() const { return builder_->running(); }
  // Runs the query in the box now (the debounce timer does it while typing).
  void runSearch();
  // Follows a link of the results shown (a result's object or the
  // suggestion), as a tap on it would; false when there is no such link.
  bool activateLink(const QString& href);

 private:
  void ensureIndex();
  void indexBuilt(bool ok, bool cancelled, const QString& error);
  void linkClicked(const QUrl& url);
  void showPage(const std::u16string& html);

  const ContentDatabase& db_;
  const PageKeys& keys_;
  PageHistory& history_;
  std::string guideDir_;
  SearchWindow* window_;
  SearchIndex index_;
  SearchIndexBuilder* builder_;
  QTimer debounce_;
  std::string query_;
  SearchAnswer answer_;
  bool cancelled_ = false;
  QString failure_;
};

}  // namespace vantrel
