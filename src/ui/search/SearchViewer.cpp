#include "ui/search/SearchViewer.h"

#include <QHBoxLayout>
#include <QJsonArray>
#include <QTextDocument>
#include <QVBoxLayout>

#include "core/search/SearchPage.h"
#include "core/util/TextCodec.h"

namespace vantrel {

namespace {
constexpr int kDebounceMs = 120;
constexpr uint32_t kResultLimit = 50;

}  // namespace

SearchWindow::SearchWindow(QWidget* parent, ScreenDpi dpi) : LayoutWidget(parent, "search"), dpi_(dpi) {
  setObjectName("searchWindow");
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  results_ = new QTextBrowser(this);
  results_->setObjectName("searchResults");
  results_->setOpenLinks(false);
  results_->setFrameShape(QFrame::NoFrame);
  layout_->addWidget(results_, 1);

  buildRow_ = new QWidget(this);
  buildLayout_ = new QHBoxLayout(buildRow_);
  progress_ = new QProgressBar(buildRow_);
  progress_->setObjectName("searchProgress");
  progress_->setRange(0, 100);
  progress_->setValue(0);  // within the range before any build, not Qt's -1
  cancel_ = new QPushButton(QStringLiteral("Cancel"), buildRow_);
  cancel_->setObjectName("searchCancel");
  cancel_->setAccessibleName("Cancel building the search index");
  progress_->setAccessibleName("Building the search index");
  buildLayout_->addWidget(progress_, 1);
  buildLayout_->addWidget(cancel_);
  buildRow_->hide();
  layout_->addWidget(buildRow_);

  auto* row = new QWidget(this);
  searchLayout_ = new QHBoxLayout(row);
  auto* label = new QLabel(QStringLiteral("Search:"), row);
  edit_ = new QLineEdit(row);
  edit_->setObjectName("searchEdit");
  label->setBuddy(edit_);
  edit_->setAccessibleName("Search");
  searchLayout_->addWidget(label);
  searchLayout_->addWidget(edit_, 1);
  layout_->addWidget(row);
  rescale();
  hide();
}

void SearchWindow::rescale() {
  // The bar's label, box and buttons in the guide font's height, like the
  // index's search bar, so they scale with the screen's resolution.
  QFont barFont = font();
  barFont.setPixelSize(((dpi_.y() + 3) * 16) / 96);
  setFont(barFont);
  layout_->setSpacing(dpi_.sy(2));
  // The same text size as the HTML pages: 12 pixels at 96 dots per inch.
  QFont font = results_->document()->defaultFont();
  font.setPixelSize(dpi_.sy(12));
  results_->document()->setDefaultFont(font);
  buildLayout_->setContentsMargins(dpi_.sx(2), 0, dpi_.sx(2), 0);
  progress_->setFixedHeight(dpi_.sy(15));
  searchLayout_->setContentsMargins(0, 0, 0, dpi_.sy(2));
  searchLayout_->setSpacing(dpi_.sx(3));
  edit_->setFixedHeight(dpi_.sy(17) + 4);
}

SearchViewer::SearchViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys,
                           PageHistory& history, QWidget* pageArea, std::string guideDir, ScreenDpi dpi)
    : ContentViewer(&database, &frame),
      db_(database),
      keys_(keys),
      history_(history),
      guideDir_(std::move(guideDir)),
      window_(new SearchWindow(pageArea, dpi)),
      builder_(new SearchIndexBuilder(database, window_)) {
  debounce_.setSingleShot(true);
  debounce_.setInterval(kDebounceMs);
  QObject::connect(&debounce_, &QTimer::timeout, window_, [this] { runSearch(); });
  QObject::connect(window_->edit(), &QLineEdit::textChanged, window_, [this] { debounce_.start(); });
  QObject::connect(window_->edit(), &QLineEdit::returnPressed, window_, [this] {
    debounce_.stop();
    runSearch();
  });
  QObject::connect(window_->results(), &QTextBrowser::anchorClicked, window_,
                   [this](const QUrl& url) { linkClicked(url); });
  QObject::connect(window_->cancelButton(), &QPushButton::clicked, window_, [this] { builder_->cancel(); });
  QObject::connect(builder_, &SearchIndexBuilder::progress, window_, [this](quint64 done, quint64 total) {
    window_->progress()->setValue(total ? static_cast<int>(done * 100 / total) : 0);
  });
  QObject::connect(builder_, &SearchIndexBuilder::finished, window_,
                   [this](bool ok, bool cancelled, const QString& error) { indexBuilt(ok, cancelled, error); });
  // A guide without a usable index starts building it as soon as the reader
  // runs, so that search is ready (or nearly) when first asked for.
  QTimer::singleShot(0, window_, [this] { ensureIndex(); });
}

SearchViewer::~SearchViewer() {
  // The builder is a child of the window: stop the worker before either goes.
  delete builder_;
  builder_ = nullptr;
  delete window_;
}

bool SearchViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  const uint32_t page = keys_["search"];
  if (page == 0 || object != page) return false;
  query_ = queryFromPageData(data, length);
  addLayoutItem(window_, 4);
  frame_->setTitle(kSearchTitle);
  return true;
}

void SearchViewer::afterLayout() {
  {
    QSignalBlocker block(window_->edit());
    window_->edit()->setText(QString::fromStdString(query_));
  }
  debounce_.stop();
  cancelled_ = false;
  ensureIndex();
  runSearch();
  // The box takes the keys at once, also when a dialog closed just before.
  window_->edit()->window()->activateWindow();
  window_->edit()->setFocus(Qt::OtherFocusReason);
}

void SearchViewer::ensureIndex() {
  if (index_.isOpen() || builder_->running()) return;
  const IndexLocation loc = locateIndex(db_, guideDir_);
  if (loc.ready && index_.open(loc.folder, editionKey(db_))) {
    window_->progress()->setValue(100);  // an index found complete reads as a finished build
    return;
  }
  // Missing, stale or damaged: build it again, never trust it.
  failure_.clear();
  window_->progress()->setValue(0);
  window_->buildRow()->show();
  builder_->start(loc.folder);
}

void SearchViewer::indexBuilt(bool ok, bool cancelled, const QString& error) {
  window_->buildRow()->hide();
  if (ok) {
    index_.open(builder_->folder(), editionKey(db_));
  } else if (cancelled) {
    cancelled_ = true;
  } else {
    failure_ = error;
  }
  if (window_->isVisible()) runSearch();
}

void SearchViewer::showPage(const std::u16string& html) {
  window_->results()->setHtml(QString::fromStdU16String(html));
}

void SearchViewer::runSearch() {
  query_ = window_->edit()->text().toStdString();
  // The history entry of this page keeps the query, so Back returns here.
  const std::vector<uint8_t> data = searchPageData(query_);
  history_.updateShownData(data.data(), data.size());
  if (!index_.isOpen()) {
    answer_ = SearchAnswer();
    answer_.query = query_;
    if (cancelled_) {
      showPage(u"<html><body><p><i>Building the search index was cancelled. Open this page again to build "
               u"it.</i></p></body></html>");
    } else if (!failure_.isEmpty()) {
      showPage(u"<html><body><p><i>The search index could not be built: " + failure_.toHtmlEscaped().toStdU16String() +
               u"</i></p></body></html>");
    } else {
      showPage(searchResultsPage(answer_, false));
    }
    return;
  }
  answer_ = index_.search(query_, kResultLimit);
  if (answer_.failed) {
    // Damaged under our feet: build it again.
    index_.close();
    showPage(searchResultsPage(answer_, true, true));
    ensureIndex();
    return;
  }
  showPage(searchResultsPage(answer_, true));
}

bool SearchViewer::activateLink(const QString& href) {
  if (!window_->results()->toHtml().contains(QStringLiteral("href=\"") + href + QStringLiteral("\""))) return false;
  linkClicked(QUrl(href));
  return true;
}

void SearchViewer::linkClicked(const QUrl& url) {
  const QString target = url.toString();
  if (target == QString::fromStdU16String(kCorrectedLink)) {
    if (answer_.corrected) {
      window_->edit()->setText(QString::fromStdString(*answer_.corrected));
      debounce_.stop();
      runSearch();
    }
    return;
  }
  bool ok = false;
  const uint32_t object = target.toUInt(&ok);
  if (!ok || object >= db_.objectCount()) return;
  frame_->navigate(object, nullptr, 0, true);
}

QJsonObject SearchViewer::scriptState() const {
  QJsonObject o;
  o["query"] = QString::fromStdString(query_);
  o["corrected"] = answer_.corrected ? QJsonValue(QString::fromStdString(*answer_.corrected)) : QJsonValue();
  o["total"] = static_cast<qint64>(answer_.total);
  QJsonArray results;
  for (const SearchHit& h : answer_.hits)
    results.append(QJsonObject{{"object", static_cast<qint64>(h.object)},
                               {"title", QString::fromStdString(h.title)},
                               {"kind", QString::fromStdString(h.kind)},
                               {"snippet", QString::fromStdString(h.snippet)}});
  o["results"] = results;
  o["indexReady"] = index_.isOpen();
  o["building"] = builder_->running();
  o["progress"] = window_->progress()->value();
  return o;
}

bool SearchViewer::linksShown() const { return window_->isVisible(); }

bool SearchViewer::followLink(const std::string& href, std::string& error) {
  if (activateLink(QString::fromStdString(href))) return true;
  error = "the search page has no link to '" + href + "'";
  return false;
}

}  // namespace vantrel
