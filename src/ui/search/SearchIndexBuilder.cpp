#include "ui/search/SearchIndexBuilder.h"

#include "core/search/SearchIndex.h"
#include "core/viewers/ViewerRegistry.h"

namespace vantrel {

SearchIndexBuilder::SearchIndexBuilder(const ContentDatabase& database, QObject* parent)
    : QObject(parent), database_(database) {}

SearchIndexBuilder::~SearchIndexBuilder() {
  if (thread_) {
    cancel_ = true;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
  }
}

bool SearchIndexBuilder::start(const std::string& folder) {
  if (thread_) return false;
  cancel_ = false;
  folder_ = folder;
  thread_ = QThread::create([this, folder] {
    std::string error;
    const bool ok = buildIndex(
        database_, viewerKinds(), folder,
        [this](uint64_t done, uint64_t total) {
          // At most about a hundred reports per build reach the window.
          const quint64 step = total / 100 + 1;
          if (done < total && done - lastReported_.load() < step) return;
          lastReported_ = done;
          emit progress(done, total);
        },
        &cancel_, &error);
    const QString message = QString::fromStdString(error);
    QMetaObject::invokeMethod(this, [this, ok, message] { workerDone(ok, message); }, Qt::QueuedConnection);
  });
  lastReported_ = 0;
  // Idle priority: the build takes only what the reader leaves.
  thread_->start(QThread::IdlePriority);
  return true;
}

void SearchIndexBuilder::cancel() { cancel_ = true; }

void SearchIndexBuilder::workerDone(bool ok, const QString& error) {
  if (thread_) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
  }
  const bool cancelled = !ok && cancel_.load();
  emit finished(ok, cancelled, error);
}

}  // namespace vantrel
