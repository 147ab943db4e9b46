#pragma once
// Builds a guide's search index on a worker thread. The worker reads the
// content database (read-only, safe to share) and writes the index folder;
// it never touches a widget and reports progress and the end through queued
// signals to the object's own (user-interface) thread.
#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <string>

#include "core/content/ContentDatabase.h"

namespace vantrel {

class SearchIndexBuilder : public QObject {
  Q_OBJECT
 public:
  SearchIndexBuilder(const ContentDatabase& database, QObject* parent = nullptr);
  // Cancels a build still running and waits for the worker to stop.
  ~SearchIndexBuilder() override;

  // Starts building into folder; false when a build is already running.
  bool start(const std::string& folder);
  void cancel();
  bool running() const { return thread_ != nullptr; }
  const std::string& folder() const { return folder_; }

 signals:
  void progress(quint64 done, quint64 total);
  // ok false: cancelled (cancelled true) or failed (error says why).
  void finished(bool ok, bool cancelled, QString error);

 private:
  void workerDone(bool ok, const QString& error);

  const ContentDatabase& database_;
  QThread* thread_ = nullptr;
  std::atomic<bool> cancel_{false};
  std::atomic<quint64> lastReported_{0};
  std::string folder_;
};

}  // namespace vantrel
